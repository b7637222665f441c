// SPDX-License-Identifier: MIT
#pragma once

#include "dialogs.h"
#include "helpviewer.h"

#include <QPointer>

#include <memory>

class QMessageBox;

/** The message box that message() and ask() show: Qt's standard buttons, in Qt's translation. */
std::unique_ptr<QMessageBox> makeMessageBox(const QString& caption, const QString& text,
                                            const QList<Dialogs::Button>& buttons, Dialogs::Icon icon);

/** The dialogs as the user sees them: Qt's message boxes, parented to the active window. */
class WidgetDialogs final : public Dialogs
{
public:
    void message(const QString& text, Icon icon) override;
    Button ask(const QString& text, const QList<Button>& buttons, Icon icon,
               std::optional<Button> defaultButton = std::nullopt) override;
    bool openFile(FileDialogState& state) override;
    bool saveFile(FileDialogState& state) override;
    std::optional<FontChoice> chooseFont(const QFont& initial, std::optional<QColor> colour) override;
    std::optional<QColor> chooseColour(const QColor& initial) override;
    bool printerSetup(QPrinter& printer) override;
    bool showHelp(const QString& indexPath) override;
    bool askGrep(GrepDialogFields& fields) override;
    std::optional<QString> askText(const QString& title, const QString& label, const QString& initial) override;

private:
    QString caption() const;
    QPointer<HelpViewer> m_helpViewer;
};
