// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>

class CheckedFile;

namespace pemmo::formats {

/** Takes the next bytes of a file; false once writing has failed, so that the producer may stop. */
using ByteSink = std::function<bool(QByteArrayView bytes)>;
/** Hands a file's bytes to the sink in order, in as many pieces as it likes. */
using ByteSource = std::function<void(const ByteSink& sink)>;

/**
 * Writes a document to @p path; returns the Japanese error message on failure. This is the one
 * way a user's file is written.
 *
 * Only regular files are written: a FIFO, device or socket (also behind a link) is refused, and
 * so are circular links, a dangling link that is not the user's, and a name that is not valid in
 * the file system's encoding. Normally a new file beside the target, carrying the target's owner,
 * group, mode and extended attributes (ACLs among them), replaces it by rename. Where that would
 * lose something (several hard links, another owner, a writable file in a folder that is not,
 * attributes that cannot be carried over), the old content is first copied to a named backup in
 * backupFolder(), synced, then the file is written in place and synced, and only then the backup
 * is removed. A process killed meanwhile leaves that backup behind for pendingBackups().
 * Every write, the final flush and the syncs are checked; a failed save leaves the old file as
 * it was and says why.
 *
 * @p source is called exactly once, when the target's bytes are wanted.
 */
std::optional<QString> writeDocumentFile(const QString& path, const ByteSource& source);
std::optional<QString> writeDocumentFile(const QString& path, const QByteArray& bytes);

/** ${XDG_CACHE_HOME:-~/.cache}/pemmo: where the copies of files written in place wait. */
QString backupFolder();

/** The old content of a file whose in-place save was interrupted. */
struct PendingBackup
{
    QString backupPath; ///< the copy in backupFolder(): the old content, byte for byte
    QString originalPath; ///< the file that was being written
    QDateTime time; ///< when the save began
    /** Holds the backup locked: no other process offers it while this one asks about it. */
    std::shared_ptr<CheckedFile> hold;
};

/**
 * The backups in backupFolder() whose saving process has ended without removing them, and that
 * no editor has taken to restore. Each stays locked until its entry is dropped.
 */
QList<PendingBackup> pendingBackups();
/**
 * Takes @p backup for an editor about to restore it: renamed, it is not offered again unless that
 * editor never locks it. Returns the new path; empty when it could not be taken.
 */
QString claimBackup(const PendingBackup& backup);
/**
 * Removes the temporaries that writes into @p folder left when their process was killed: files
 * matching @p patterns that belong to the user and have not been touched for a minute.
 */
void removeCutShortWrites(const QString& folder, const QStringList& patterns);
/** The file a backup was taken of; nullopt when its note is missing or unreadable. */
std::optional<QString> backupOriginal(const QString& backupPath);
/** Removes a backup and its note: its content was restored, or the user let it go. */
void removeBackup(const QString& backupPath);

} // namespace pemmo::formats
