// SPDX-License-Identifier: MIT
#include "filesystem.h"

#include <QDir>
#include <QFile>
#include <QFileDevice>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

FileStatus::Type typeOf(mode_t mode)
{
    if (S_ISREG(mode))
        return FileStatus::Type::Regular;
    if (S_ISDIR(mode))
        return FileStatus::Type::Directory;
    if (S_ISLNK(mode))
        return FileStatus::Type::Link;
    if (S_ISFIFO(mode))
        return FileStatus::Type::Fifo;
    if (S_ISCHR(mode))
        return FileStatus::Type::CharDevice;
    if (S_ISBLK(mode))
        return FileStatus::Type::BlockDevice;
    if (S_ISSOCK(mode))
        return FileStatus::Type::Socket;
    return FileStatus::Type::Other;
}

FileStatus statusOf(const QString& path, bool followLinks)
{
    FileStatus status;
    if (path.isEmpty())
        return status;
    const QByteArray name = QFile::encodeName(path);
    struct stat info
    {
    };
    if ((followLinks ? ::stat(name.constData(), &info) : ::lstat(name.constData(), &info)) != 0) {
        status.error = errno != ENOENT && errno != ENOTDIR;
        return status;
    }
    status.type = typeOf(info.st_mode);
    status.owner = info.st_uid;
    status.device = info.st_dev;
    status.inode = info.st_ino;
    status.links = info.st_nlink;
    status.size = info.st_size;
    status.modifiedSeconds = info.st_mtim.tv_sec;
    status.modifiedNanoseconds = info.st_mtim.tv_nsec;
    status.changedSeconds = info.st_ctim.tv_sec;
    return status;
}

} // namespace

FileStatus fileStatus(const QString& path)
{
    return statusOf(path, true);
}

FileStatus linkStatus(const QString& path)
{
    return statusOf(path, false);
}

quint32 effectiveUserId()
{
    return ::geteuid();
}

bool isWritableByUs(const QString& path)
{
    // AT_EACCESS: the effective user decides, as it does for the write itself.
    return ::faccessat(AT_FDCWD, QFile::encodeName(path).constData(), W_OK, AT_EACCESS) == 0;
}

QString userFolder(UserFolder which)
{
    const char* variable = "XDG_CONFIG_HOME";
    const char* fallback = "/.config";
    if (which == UserFolder::Cache) {
        variable = "XDG_CACHE_HOME";
        fallback = "/.cache";
    } else if (which == UserFolder::State) {
        variable = "XDG_STATE_HOME";
        fallback = "/.local/state";
    }
    const QString base = qEnvironmentVariable(variable);
    // The XDG rules ignore a relative value.
    if (base.isEmpty() || QDir::isRelativePath(base))
        return QDir::homePath() + QLatin1String(fallback);
    return QDir::cleanPath(base);
}

namespace {

// Walks from the root to @p folder; returns the first step that is in our way, empty when none.
// With @p make, creates the missing steps on the way.
QString walkPrivateFolders(const QString& folder, bool make)
{
    const quint32 us = effectiveUserId();
    QString built;
    bool parentOurs = false;
    const QStringList parts = QDir::cleanPath(folder).split(u'/', Qt::SkipEmptyParts);
    for (const QString& part : parts) {
        QString parent = built.isEmpty() ? QStringLiteral("/") : built;
        built += u'/' + part;
        FileStatus status = fileStatus(built);
        if (!status.exists() && !status.error) {
            if (!parentOurs)
                return parent;
            if (!make)
                return {}; // the rest would be made inside a folder of ours
            if (::mkdir(QFile::encodeName(built).constData(), 0700) != 0 && errno != EEXIST)
                return built;
            status = fileStatus(built);
        }
        // Something else in the way is no question of whose it is: making the folder fails.
        if (status.type != FileStatus::Type::Directory)
            return make ? built : QString();
        parentOurs = status.owner == us;
    }
    if (!parentOurs)
        return QDir::cleanPath(folder);
    return {};
}

} // namespace

QString privateFolderObstacle(const QString& folder)
{
    return walkPrivateFolders(folder, false);
}

bool makePrivateFolders(const QString& folder)
{
    if (!walkPrivateFolders(folder, true).isEmpty())
        return false;
    const QByteArray name = QFile::encodeName(folder);
    struct stat info
    {
    };
    if (::stat(name.constData(), &info) != 0 || !S_ISDIR(info.st_mode) || info.st_uid != effectiveUserId())
        return false;
    // Made by an older version, or by hand: what we keep there is nobody else's business.
    return (info.st_mode & 077) == 0 || ::chmod(name.constData(), 0700) == 0;
}

bool syncToStorage(QFileDevice& file)
{
    if (!file.flush())
        return false;
    const int fd = file.handle();
    return fd >= 0 && ::fsync(fd) == 0;
}

qint64 physicalMemoryBytes()
{
    const long pages = ::sysconf(_SC_PHYS_PAGES);
    const long pageSize = ::sysconf(_SC_PAGE_SIZE);
    return pages > 0 && pageSize > 0 ? qint64(pages) * pageSize : 0;
}

std::optional<FileStamp> fileStamp(const QString& path)
{
    if (path.isEmpty())
        return std::nullopt;
    const FileStatus status = fileStatus(path);
    if (status.error || !status.exists())
        return std::nullopt;
    return FileStamp { status.size, status.modifiedSeconds * 1'000'000'000 + status.modifiedNanoseconds, status.device,
                       status.inode };
}
