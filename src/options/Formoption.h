// SPDX-License-Identifier: MIT
#pragma once

#include "ui/appcontext.h"

#include <QWidget>

#include <optional>

class ColourSwatch;
class OptionsHost;
class QLabel;
class QLineEdit;
class QPushButton;
class QTabBar;

/**
 * The options window: tab width, text colour and background colour of the editor.
 * Created once, then only shown and hidden; it is not modal.
 */
class TFormOption final : public QWidget
{
    Q_OBJECT
public:
    explicit TFormOption(AppContext context, QWidget* parent = nullptr);
    ~TFormOption() override;

    /** The editor window whose settings this window changes. */
    void setHost(OptionsHost* host) { m_host = host; }

    /** Opens the window for the editor window's current colours and tab width. */
    void FOClick();

    void TabControl1Change();
    void Panel1Click();
    void Panel2Click();
    void Button1Click();

private:
    void FormCreate();
    void chooseColour(ColourSwatch* swatch, bool text);
    /** The box's number, or nullopt after telling the user it is not one. */
    std::optional<int> tabWidthFromBox();
    /** Writes both colours and then, when the box holds a number, MTab. False when a write failed. */
    bool storeOptions();

    AppContext m_context;
    OptionsHost* m_host = nullptr;

    QTabBar* TabControl1 = nullptr;
    QLabel* Label1 = nullptr;
    QLineEdit* Memo1 = nullptr;
    QLabel* Label2 = nullptr;
    ColourSwatch* Panel1 = nullptr;
    ColourSwatch* Panel2 = nullptr;
    QPushButton* Button1 = nullptr;
};
