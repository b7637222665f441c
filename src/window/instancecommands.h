// SPDX-License-Identifier: MIT
#pragma once

#include <QObject>

class Dialogs;
class ProcessStarter;
class QWidget;
class RecentFiles;
struct FileDialogState;

/**
 * The editor window's commands that start further editor processes: an empty editor
 * ("新たに新規作成") and an editor for a chosen file ("新たなスレッドで開く"). Each new window
 * opens 20 pixels lower and further right than the stored position.
 */
class InstanceCommands final : public QObject
{
    Q_OBJECT
public:
    InstanceCommands(QWidget* window, Dialogs& dialogs, ProcessStarter* processes, FileDialogState& openDialog,
                     RecentFiles* recent, QObject* parent = nullptr);

    /** Stores this window's position + 20 and starts an empty editor; the document is not touched. */
    void WinexecClick();
    /** Asks for a file and starts an editor for it, after the cascade step and the already-open probe. */
    void F_ONewClick();

private:
    QWidget* m_window;
    Dialogs& m_dialogs;
    ProcessStarter* m_processes;
    FileDialogState& m_openDialog;
    RecentFiles* m_recent;
};
