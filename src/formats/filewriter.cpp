// SPDX-License-Identifier: MIT
#include "filewriter.h"

#include "formattexts.h"
#include "platform/checkedfile.h"
#include "platform/filesystem.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace pemmo::formats {

namespace {

// Beside each backup "backup-XXXXXX", written before it, its note "backup-XXXXXX.info": a tag,
// the original's name (percent-encoded file-system bytes, so that any name survives) and the time
// the save began. The backup itself is the old content, byte for byte, so that it opens as the file did.
constexpr QByteArrayView kBackupTag = "pemmo in-place backup 1\n";
const QString kBackupNoteSuffix = QStringLiteral(".info");
constexpr qint64 kCopyPiece = 1024 * 1024;

QString shownName(const QString& path)
{
    return QDir::toNativeSeparators(path);
}

QString failureMessage(const QString& outcome, const QString& path, WriteError error)
{
    QString reason;
    switch (error) {
    case WriteError::NoSpace:
        reason = kBecauseNoSpace;
        break;
    case WriteError::Io:
        reason = kBecauseIoError;
        break;
    case WriteError::Access:
        reason = kBecauseAccess;
        break;
    case WriteError::ReadOnlyFileSystem:
        reason = kBecauseReadOnly;
        break;
    case WriteError::None:
    case WriteError::Other:
        break;
    }
    return reason + outcome.arg(shownName(path));
}

// Writes what the source gives; false at the first failure.
bool writeFrom(CheckedFile& file, const ByteSource& source)
{
    bool ok = true;
    source([&](QByteArrayView bytes) {
        ok = ok && file.write(bytes);
        return ok;
    });
    return ok;
}

// Copies the whole of @p from to the end of @p to.
bool copyInto(CheckedFile& to, const QString& from)
{
    QFile source(from);
    if (!source.open(QIODevice::ReadOnly))
        return false;
    QByteArray piece;
    while (!source.atEnd()) {
        piece = source.read(kCopyPiece);
        if (source.error() != QFileDevice::NoError || !to.write(piece))
            return false;
    }
    return source.error() == QFileDevice::NoError;
}

std::optional<QString> writeNewFile(const QString& path, const QString& realPath, const ByteSource& source)
{
    CheckedFile file;
    if (file.createUnique(realPath + u'.') && file.setNewFileMode() && writeFrom(file, source) && file.sync() &&
        file.replace(realPath))
        return std::nullopt;
    return failureMessage(kNewFileWriteFailed, path, file.error());
}

// The rename would cut the other hard links off, hand the file to the saving user, or is
// impossible because the folder is read-only while the file is not.
bool renameWouldLoseSomething(const QString& realPath, const FileStatus& status)
{
    if (status.links > 1 || status.owner != effectiveUserId())
        return true;
    return !isWritableByUs(QFileInfo(realPath).absolutePath()) && isWritableByUs(realPath);
}

QByteArray backupNote(const QString& realPath)
{
    return kBackupTag.toByteArray() + QFile::encodeName(realPath).toPercentEncoding("/") + '\n' +
        QByteArray::number(QDateTime::currentSecsSinceEpoch()) + '\n';
}

std::optional<QString> writeInPlace(const QString& path, const QString& realPath, const ByteSource& source)
{
    const QString folder = backupFolder();
    CheckedFile backup;
    CheckedFile note;
    // Locked for as long as this save runs: a start meanwhile does not take it for a leftover.
    // The note comes last: a backup without one was never whole, and the file was not touched yet.
    const bool backedUp = makePrivateFolders(folder) && backup.createUnique(folder + QLatin1String("/backup-")) &&
        backup.tryLock() && copyInto(backup, realPath) && backup.sync() &&
        note.createUnique(backup.fileName() + kBackupNoteSuffix + u'.') && note.write(backupNote(realPath)) &&
        note.sync() && note.replace(backup.fileName() + kBackupNoteSuffix);
    if (!backedUp) {
        if (!backup.fileName().isEmpty())
            QFile::remove(backup.fileName() + kBackupNoteSuffix);
        const WriteError error = backup.error() != WriteError::None ? backup.error() : note.error();
        return failureMessage(kBackupFailed, path, error).arg(shownName(folder));
    }
    const auto dropBackup = [&backup] {
        QFile::remove(backup.fileName() + kBackupNoteSuffix);
        backup.discard();
    };

    CheckedFile target;
    if (!target.openExisting(realPath)) {
        dropBackup();
        return failureMessage(kFileWriteFailed, path, target.error()); // not touched
    }
    if (writeFrom(target, source) && target.truncateHere() && target.sync() && target.keep()) {
        dropBackup();
        return std::nullopt;
    }
    const WriteError error = target.error();
    target.discard();
    CheckedFile restore;
    if (restore.openExisting(realPath) && copyInto(restore, backup.fileName()) && restore.truncateHere() &&
        restore.sync() && restore.keep()) {
        dropBackup();
        return failureMessage(kFileWriteFailed, path, error);
    }
    // Neither the new nor the old content is whole in the file: the backup must stay.
    backup.keep();
    return kInPlaceWriteFailed.arg(shownName(path), shownName(backup.fileName()));
}

std::optional<QString> writeReplacing(const QString& path, const QString& realPath, const ByteSource& source)
{
    CheckedFile file;
    if (!file.createUnique(realPath + u'.'))
        return failureMessage(kFileWriteFailed, path, file.error());
    // Whatever the replacement cannot carry (a group we are not in, an attribute this file
    // system refuses) stays with the file when it is written in place instead.
    if (!file.takeAttributesOf(realPath)) {
        file.discard();
        return writeInPlace(path, realPath, source);
    }
    if (writeFrom(file, source) && file.sync() && file.replace(realPath))
        return std::nullopt;
    return failureMessage(kFileWriteFailed, path, file.error());
}

} // namespace

QString backupFolder()
{
    return userFolder(UserFolder::Cache) + QLatin1String("/pemmo");
}

std::optional<QString> writeDocumentFile(const QString& path, const ByteSource& source)
{
    // Qt shows bytes that are not UTF-8 as U+FFFD; writing that would make another file.
    if (path.contains(QChar::ReplacementCharacter))
        return kNameNotWritable.arg(shownName(path));
    const FileStatus own = linkStatus(path);
    QString realPath = QDir::cleanPath(QDir::current().absoluteFilePath(path));
    if (own.type == FileStatus::Type::Link) {
        realPath = followLinks(path);
        if (realPath.isEmpty())
            return kLinkLoop.arg(shownName(path));
    }
    const FileStatus status = linkStatus(realPath);
    if (status.error)
        return kFileWriteFailed.arg(shownName(path));
    if (!status.exists()) {
        // A link that leads nowhere is followed only when it is the user's own: another user's
        // link would have us create a file where they chose.
        if (own.type == FileStatus::Type::Link && own.owner != effectiveUserId())
            return kForeignDanglingLink.arg(shownName(path));
        return writeNewFile(path, realPath, source);
    }
    if (!status.isRegular())
        return kNotRegularFile.arg(shownName(path));
    if (renameWouldLoseSomething(realPath, status))
        return writeInPlace(path, realPath, source);
    return writeReplacing(path, realPath, source);
}

std::optional<QString> writeDocumentFile(const QString& path, const QByteArray& bytes)
{
    return writeDocumentFile(path, [&bytes](const ByteSink& sink) { sink(bytes); });
}

namespace {

struct BackupNote
{
    QString originalPath;
    QDateTime time;
};

std::optional<BackupNote> readBackupNote(const QString& backupPath)
{
    QFile file(backupPath + kBackupNoteSuffix);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray tag = file.readLine(kBackupTag.size() + 1);
    const QByteArray name = file.readLine(64 * 1024);
    const QByteArray time = file.readLine(64);
    if (tag != kBackupTag || !name.endsWith('\n') || !time.endsWith('\n'))
        return std::nullopt;
    bool ok = false;
    const qint64 seconds = time.trimmed().toLongLong(&ok);
    if (!ok)
        return std::nullopt;
    return BackupNote { QFile::decodeName(QByteArray::fromPercentEncoding(name.chopped(1))),
                        QDateTime::fromSecsSinceEpoch(seconds) };
}

} // namespace

void removeCutShortWrites(const QString& folder, const QStringList& patterns)
{
    // A write in progress touches its temporary all the time; one untouched this long has no writer left.
    constexpr qint64 kUntouchedSeconds = 60;
    const QDir dir(folder);
    for (const QString& name : dir.entryList(patterns, QDir::Files | QDir::Hidden)) {
        const FileStatus status = linkStatus(dir.filePath(name));
        if (status.isRegular() && status.owner == effectiveUserId() &&
            QDateTime::currentSecsSinceEpoch() - status.modifiedSeconds > kUntouchedSeconds)
            QFile::remove(dir.filePath(name));
    }
}

QList<PendingBackup> pendingBackups()
{
    // An editor that was handed a claimed backup locks it within moments of its start; one that
    // has not done so by then never will.
    constexpr qint64 kClaimGraceSeconds = 30;
    QList<PendingBackup> found;
    const QDir folder(backupFolder());
    const QStringList names = folder.entryList({ QStringLiteral("backup-??????"), QStringLiteral("restoring-??????") },
                                               QDir::Files | QDir::Hidden);
    for (const QString& name : names) {
        const QString path = folder.filePath(name);
        const FileStatus status = linkStatus(path);
        if (!status.isRegular() || status.owner != effectiveUserId())
            continue;
        if (name.startsWith(QLatin1String("restoring-")) &&
            QDateTime::currentSecsSinceEpoch() - status.changedSeconds < kClaimGraceSeconds)
            continue;
        // A save still running, or an editor that restores it, holds it locked.
        auto hold = std::make_shared<CheckedFile>();
        if (!hold->openForReading(path) || !hold->tryLock())
            continue;
        if (const std::optional<BackupNote> note = readBackupNote(path))
            found.append({ path, note->originalPath, note->time, std::move(hold) });
        else if (!QFile::exists(path + kBackupNoteSuffix))
            removeBackup(path); // its save ended before the copy was whole, and before it touched the file
    }
    removeCutShortWrites(folder.path(), { QStringLiteral("*-??????.info.??????") });
    return found;
}

QString claimBackup(const PendingBackup& backup)
{
    const QFileInfo file(backup.backupPath);
    QString claimed = file.absolutePath() + QLatin1String("/restoring-") + file.fileName().right(6);
    if (claimed != backup.backupPath) {
        if (!QFile::rename(backup.backupPath + kBackupNoteSuffix, claimed + kBackupNoteSuffix))
            return {};
        if (!QFile::rename(backup.backupPath, claimed)) {
            QFile::rename(claimed + kBackupNoteSuffix, backup.backupPath + kBackupNoteSuffix);
            return {};
        }
    }
    return claimed;
}

std::optional<QString> backupOriginal(const QString& backupPath)
{
    if (const std::optional<BackupNote> note = readBackupNote(backupPath))
        return note->originalPath;
    return std::nullopt;
}

void removeBackup(const QString& backupPath)
{
    QFile::remove(backupPath + kBackupNoteSuffix);
    QFile::remove(backupPath);
}

} // namespace pemmo::formats
