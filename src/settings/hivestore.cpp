// SPDX-License-Identifier: MIT
#include "hivestore.h"

#include "platform/checkedfile.h"
#include "platform/filesystem.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <cstring>

HiveStore::HiveStore(QString hivePath)
    : m_path(std::move(hivePath))
{ }

QString HiveStore::defaultPath()
{
    return userFolder(UserFolder::Config) + QLatin1String("/Ambrel/Pemmo.reg");
}

QString HiveStore::decideRefusal() const
{
    const quint32 us = effectiveUserId();
    const auto ours = [us](const FileStatus& status) { return !status.error && status.owner == us; };
    QString folder = QFileInfo(m_path).absolutePath();
    const FileStatus folderStatus = fileStatus(folder);
    // A folder that is missing is made by us, private, but only inside a folder of our own:
    // root with another user's environment must not leave root's folders in their home.
    if (folderStatus.exists() && !ours(folderStatus))
        return folder;
    if (folderStatus.error)
        return folder;
    if (!folderStatus.exists()) {
        if (QString obstacle = privateFolderObstacle(folder); !obstacle.isEmpty())
            return obstacle;
    }
    const FileStatus own = linkStatus(m_path);
    if (own.error)
        return m_path;
    if (!own.exists())
        return {};
    if (!ours(own))
        return m_path;
    if (own.type != FileStatus::Type::Link)
        return {};
    // A link is written through when the file it leads to, and that file's folder, are ours too.
    QString target = QFileInfo(m_path).canonicalFilePath();
    if (target.isEmpty())
        return m_path; // a dangling link: writing would create a file somewhere we did not choose
    const FileStatus targetStatus = fileStatus(target);
    if (!targetStatus.isRegular() || !ours(targetStatus))
        return target;
    QString targetFolder = QFileInfo(target).absolutePath();
    if (!ours(fileStatus(targetFolder)))
        return targetFolder;
    return {};
}

bool HiveStore::lock(std::chrono::milliseconds timeout)
{
    if (isLocked())
        return true;
    m_refusal = decideRefusal();
    if (!m_refusal.isEmpty())
        return true; // read only: hives are replaced whole, so an unlocked read is never torn
    if (!makePrivateFolders(QFileInfo(m_path).absolutePath()))
        return false;
    return m_lock.lock(m_path + QLatin1String(".lock"), timeout) == FileLock::Result::Acquired;
}

std::optional<RegistryHive> HiveStore::read() const
{
    const FileStatus status = fileStatus(m_path);
    if (!status.exists() && !status.error)
        return RegistryHive();
    if (!status.isRegular() || status.size > kMaxHiveBytes)
        return std::nullopt;
    QFile file(m_path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    // Bounded: the file may have grown since it was measured.
    const QByteArray bytes = file.read(kMaxHiveBytes + 1);
    if (file.error() != QFileDevice::NoError || bytes.size() > kMaxHiveBytes)
        return std::nullopt;
    return RegistryHive::parse(bytes);
}

void HiveStore::removeStaleTemporaries() const
{
    // A commit names its temporary file after the target with six random characters.
    const QFileInfo real(QFileInfo(m_path).isSymLink() ? QFileInfo(m_path).canonicalFilePath() : m_path);
    const QDir folder = real.absoluteDir();
    const QRegularExpression pattern(QLatin1String("^") + QRegularExpression::escape(real.fileName()) +
                                     QLatin1String("\\.[A-Za-z0-9]{6}$"));
    const qint64 now = QDateTime::currentSecsSinceEpoch();
    const QStringList candidates = folder.entryList({ real.fileName() + QLatin1String(".??????") },
                                                    QDir::Files | QDir::Hidden | QDir::System);
    for (const QString& name : candidates) {
        // Random characters, not a word: a name like "Pemmo.reg.backup" is the user's own copy.
        const QStringView tail = QStringView(name).right(6);
        const bool word = tail == tail.toString().toLower() || tail == tail.toString().toUpper();
        if (!pattern.match(name).hasMatch() || word)
            continue;
        const QString path = folder.filePath(name);
        const FileStatus status = linkStatus(path);
        if (status.isRegular() && status.owner == effectiveUserId() &&
            now - status.modifiedSeconds > kStaleTemporarySeconds)
            QFile::remove(path);
    }
}

bool HiveStore::commit(const RegistryHive& hive, QString* error)
{
    const auto fail = [error](const QString& why) {
        if (error)
            *error = why;
        return false;
    };
    if (!m_refusal.isEmpty())
        return fail(QStringLiteral("%1 is not the user's own").arg(m_refusal));
    if (!m_swept) {
        m_swept = true;
        removeStaleTemporaries();
    }
    const bool linked = linkStatus(m_path).type == FileStatus::Type::Link;
    if (hive.isEmpty() && !linked) {
        if (!QFile::exists(m_path) || QFile::remove(m_path))
            return true;
        return fail(QStringLiteral("cannot remove %1").arg(m_path));
    }
    if (!makePrivateFolders(QFileInfo(m_path).absolutePath()))
        return fail(QStringLiteral("cannot create the folder of %1").arg(m_path));
    // Written through a link to its target, so that the link stays. Every write and the sync are
    // checked: a full disk must leave the old hive whole, never an empty one.
    const QString target = linked ? followLinks(m_path) : m_path;
    if (target.isEmpty())
        return fail(QStringLiteral("%1 is a circular link").arg(m_path));
    CheckedFile file;
    const QByteArray bytes = hive.serialize();
    if (!file.createUnique(target + u'.') || !file.write(bytes) || !file.sync() || !file.replace(target))
        return fail(QString::fromLocal8Bit(std::strerror(file.errorNumber())));
    return true;
}
