// SPDX-License-Identifier: MIT
#include "instancecommands.h"

#include "launcher/editorlaunch.h"
#include "platform/processstarter.h"
#include "recentfiles.h"
#include "settings/settingskey.h"
#include "settings/settingstable.h"
#include "settings/settingstexts.h"
#include "ui/dialogs.h"
#include "ui/errorreport.h"

#include <QWidget>

InstanceCommands::InstanceCommands(QWidget* window, Dialogs& dialogs, ProcessStarter* processes,
                                   FileDialogState& openDialog, RecentFiles* recent, QObject* parent)
    : QObject(parent)
    , m_window(window)
    , m_dialogs(dialogs)
    , m_processes(processes)
    , m_openDialog(openDialog)
    , m_recent(recent)
{ }

void InstanceCommands::WinexecClick()
{
    const QRect outer = m_window->frameGeometry();
    runRegistrySequence(m_dialogs, OpenMode::OpenCreating, kRegistryWriteFailed, [&](SettingsKey& key) {
        key.writeInteger(Reg::MTop, outer.top() + 20);
        key.writeInteger(Reg::MLeft, outer.left() + 20);
    });
    if (m_processes)
        m_processes->startEditor(QString());
}

void InstanceCommands::F_ONewClick()
{
    runRegistrySequence(m_dialogs, OpenMode::OpenOnly, QString(),
                        [this](SettingsKey& key) { m_openDialog.initialFolder = key.readString(Reg::MDirSave); });
    if (!m_dialogs.openFile(m_openDialog))
        return;
    const QString path = m_openDialog.fileName;
    // The step starts from the stored position, not this window's, so that several starts in a
    // row open one below the other.
    runRegistrySequence(m_dialogs, OpenMode::OpenOnly, QString(), &applyCascadeStep);
    m_recent->rememberFile(path);
    if (!passesAlreadyOpenProbe(m_dialogs, path))
        return;
    if (m_processes)
        m_processes->startEditor(path);
}
