// SPDX-License-Identifier: MIT
#include "backupoffer.h"

#include "apptexts.h"
#include "formats/filewriter.h"
#include "platform/processstarter.h"
#include "ui/dialogs.h"

#include <QDir>
#include <QFileInfo>
#include <QLocale>

using namespace pemmo::formats;

void offerPendingBackups(Dialogs& dialogs, ProcessStarter& processes)
{
    QList<PendingBackup> backups = pendingBackups();
    if (backups.isEmpty())
        return;
    QString text = kPendingBackupsQuestion;
    const QLocale japanese(QLocale::Japanese, QLocale::Japan);
    for (const PendingBackup& backup : backups) {
        const QFileInfo original(backup.originalPath);
        text += kPendingBackupLine.arg(original.fileName(), QDir::toNativeSeparators(original.absolutePath()),
                                       japanese.toString(backup.time, QLocale::ShortFormat));
    }
    using Button = Dialogs::Button;
    switch (dialogs.ask(text, { Button::Restore, Button::Discard, Button::Later }, Dialogs::Icon::Question,
                        Button::Restore)) {
    case Button::Restore:
        for (PendingBackup& backup : backups) {
            const QString claimed = claimBackup(backup);
            // The editor locks it itself; until then the claim keeps other starts away.
            backup.hold.reset();
            if (!claimed.isEmpty())
                processes.startRestoringEditor(claimed);
        }
        break;
    case Button::Discard:
        for (const PendingBackup& backup : backups)
            removeBackup(backup.backupPath);
        break;
    default:
        break;
    }
}
