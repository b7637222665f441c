// SPDX-License-Identifier: MIT
#include "backupoffer.h"

#include "apptexts.h"
#include "formats/filewriter.h"
#include "formats/recoverystore.h"
#include "platform/processstarter.h"
#include "ui/dialogs.h"

#include <QDir>
#include <QFileInfo>
#include <QLocale>

using namespace pemmo::formats;

void offerPendingBackups(Dialogs& dialogs, ProcessStarter& processes)
{
    QList<PendingRecovery> recoveries = pendingRecoveries();
    QList<PendingBackup> backups = pendingBackups();
    if (backups.isEmpty() && recoveries.isEmpty())
        return;
    const QLocale japanese(QLocale::Japanese, QLocale::Japan);
    QString text;
    if (!recoveries.isEmpty()) {
        text += kPendingRecoveriesQuestion;
        for (const PendingRecovery& recovery : recoveries) {
            const QString time = japanese.toString(recovery.note.time, QLocale::ShortFormat);
            if (recovery.note.originalPath.isEmpty()) {
                text += kPendingUntitledLine.arg(time);
            } else {
                const QFileInfo original(recovery.note.originalPath);
                text += kPendingBackupLine.arg(original.fileName(), QDir::toNativeSeparators(original.absolutePath()),
                                               time);
            }
        }
    }
    if (!backups.isEmpty()) {
        if (!text.isEmpty())
            text += QLatin1String("\n\n");
        text += kPendingBackupsQuestion;
        for (const PendingBackup& backup : backups) {
            const QFileInfo original(backup.originalPath);
            text += kPendingBackupLine.arg(original.fileName(), QDir::toNativeSeparators(original.absolutePath()),
                                           japanese.toString(backup.time, QLocale::ShortFormat));
        }
    }
    using Button = Dialogs::Button;
    switch (dialogs.ask(text, { Button::Restore, Button::Discard, Button::Later }, Dialogs::Icon::Question,
                        Button::Restore)) {
    case Button::Restore:
        // Each is claimed by a rename before it is let go of: until its editor locks it, the
        // claim keeps other starts away.
        for (PendingRecovery& recovery : recoveries) {
            const QString claimed = claimRecovery(recovery);
            recovery.hold.reset();
            if (!claimed.isEmpty())
                processes.startRecoveringEditor(claimed);
        }
        for (PendingBackup& backup : backups) {
            const QString claimed = claimBackup(backup);
            backup.hold.reset();
            if (!claimed.isEmpty())
                processes.startRestoringEditor(claimed);
        }
        break;
    case Button::Discard:
        for (const PendingRecovery& recovery : recoveries)
            removeRecovery(recovery.lockPath);
        for (const PendingBackup& backup : backups)
            removeBackup(backup.backupPath);
        break;
    default:
        break;
    }
}
