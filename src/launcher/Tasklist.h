// SPDX-License-Identifier: MIT
#pragma once

#include "ui/appcontext.h"
#include "ui/dialogs.h"

#include <QList>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QWidget>

#include <functional>

class QAction;
class QMenu;

/**
 * The launcher window: never shown. The process lives as an icon in the notification area,
 * and the icon's two popups start editor processes.
 */
class TForm1 final : public QWidget
{
    Q_OBJECT
public:
    explicit TForm1(AppContext context, QWidget* parent = nullptr);
    ~TForm1() override;

    /** The editor window's remember-file operation, which Open1Click hands the chosen file to. */
    void setRememberFile(std::function<void(const QString&)> rememberFile);

    /** The icon's callback: left press, left double-click, right press. */
    void TrayNotify(QSystemTrayIcon::ActivationReason reason);
    /** What the icon reports: a click waits out the double-click interval before it counts as one. */
    void trayActivated(QSystemTrayIcon::ActivationReason reason);

    QSystemTrayIcon* trayIcon() const { return m_trayIcon; }
    QMenu* PopupMenu1() const { return m_popupMenu1; }
    QMenu* PopupMenu2() const { return m_popupMenu2; }
    const QStringList& MRUList() const { return m_mruList; }
    const QStringList& MMMList() const { return m_mmmList; }

Q_SIGNALS:
    /** The launcher has closed; this ends the process. */
    void closed();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    struct RecentMenu
    {
        QMenu* menu = nullptr;
        QAction* separator = nullptr;
        QList<QAction*> items;
    };

    void buildMenus();
    QAction* addItem(QMenu* menu, const QString& name, const QString& caption);
    void FormCreate();
    void FormCloseQuery();
    void showRecentPopup(QStringList& list, const RecentMenu& menu, QString (*slotName)(int));

    void Open1Click();
    void Sdi1Click();
    void Grep1Click();
    void MRUClick(int index);
    void MMMClick(int index);
    void Exit1Click();
    void startEditor(const QString& filePath);

    AppContext m_context;
    std::function<void(const QString&)> m_rememberFile;
    QSystemTrayIcon* m_trayIcon = nullptr;
    QTimer m_singleClick;
    QMenu* m_popupMenu1 = nullptr;
    QMenu* m_popupMenu2 = nullptr;
    RecentMenu m_fileMenu;
    RecentMenu m_folderMenu;
    QStringList m_mruList;
    QStringList m_mmmList;
    FileDialogState m_openDialog1;
};
