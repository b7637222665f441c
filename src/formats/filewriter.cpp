// SPDX-License-Identifier: MIT
#include "filewriter.h"

#include "formattexts.h"
#include "platform/filesystem.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QTemporaryFile>

namespace pemmo::formats {

namespace {

QString shownName(const QString& path)
{
    return QDir::toNativeSeparators(path);
}

bool writeReplacing(const QString& path, const QByteArray& bytes)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    if (file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

bool writeWhole(QFile& file, const QByteArray& bytes)
{
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size() &&
        syncToStorage(file);
}

// The rename would cut the other hard links off, hand the file to the saving user, or is
// impossible because the folder is read-only while the file is not.
bool renameWouldLoseSomething(const QString& realPath, const FileStatus& status)
{
    if (status.links > 1 || status.owner != effectiveUserId())
        return true;
    return !isWritableByUs(QFileInfo(realPath).absolutePath()) && isWritableByUs(realPath);
}

std::optional<QString> writeInPlace(const QString& path, const QString& realPath, const QByteArray& bytes)
{
    QFile old(realPath);
    if (!old.open(QIODevice::ReadOnly))
        return kFileWriteFailed.arg(shownName(path));
    const QByteArray oldBytes = old.readAll();
    if (old.error() != QFileDevice::NoError)
        return kFileWriteFailed.arg(shownName(path));
    old.close();

    const QString folder = backupFolder();
    QTemporaryFile backup(folder + u'/' + QFileInfo(realPath).fileName() + QLatin1String(".XXXXXX"));
    if (!makePrivateFolders(folder) || !backup.open() || backup.write(oldBytes) != oldBytes.size() ||
        !syncToStorage(backup))
        return kBackupFailed.arg(shownName(path), shownName(folder));

    QFile target(realPath);
    if (!target.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return kFileWriteFailed.arg(shownName(path)); // not touched
    if (target.write(bytes) == bytes.size() && syncToStorage(target))
        return std::nullopt; // the backup goes with its QTemporaryFile
    target.close();
    QFile restore(realPath);
    if (writeWhole(restore, oldBytes))
        return kFileWriteFailed.arg(shownName(path));
    backup.setAutoRemove(false);
    return kInPlaceWriteFailed.arg(shownName(path), shownName(backup.fileName()));
}

} // namespace

QString backupFolder()
{
    QString base = qEnvironmentVariable("XDG_CACHE_HOME");
    if (base.isEmpty() || QDir::isRelativePath(base))
        base = QDir::homePath() + QLatin1String("/.cache");
    return base + QLatin1String("/pemmo");
}

std::optional<QString> writeDocumentFile(const QString& path, const QByteArray& bytes)
{
    const FileStatus status = fileStatus(path);
    if (!status.exists()) {
        if (writeReplacing(path, bytes))
            return std::nullopt;
        // Something may stand there after all, that we could not look at.
        return (status.error ? kFileWriteFailed : kNewFileWriteFailed).arg(shownName(path));
    }
    if (!status.isRegular())
        return kNotRegularFile.arg(shownName(path));
    const QString realPath = QFileInfo(path).canonicalFilePath();
    if (!realPath.isEmpty() && renameWouldLoseSomething(realPath, status))
        return writeInPlace(path, realPath, bytes);
    if (writeReplacing(path, bytes))
        return std::nullopt;
    return kFileWriteFailed.arg(shownName(path));
}

} // namespace pemmo::formats
