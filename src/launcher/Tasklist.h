// SPDX-License-Identifier: MIT
#pragma once

#include "app/appcontext.h"

#include <QWidget>

class QMenu;
class QSystemTrayIcon;

/** The launcher window: never shown; the process lives as an icon in the notification area. */
class TForm1 final : public QWidget
{
    Q_OBJECT
public:
    explicit TForm1(AppContext context, QWidget* parent = nullptr);
    ~TForm1() override;

    /** Puts the icon into the notification area. */
    void start();
    QSystemTrayIcon* trayIcon() const { return m_trayIcon; }

Q_SIGNALS:
    /** The launcher has agreed to close; this ends the process. */
    void closed();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void Exit1Click();

    AppContext m_context;
    QSystemTrayIcon* m_trayIcon = nullptr;
    QMenu* m_folderPopup = nullptr;
};
