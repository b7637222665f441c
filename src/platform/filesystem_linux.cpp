// SPDX-License-Identifier: MIT
#include "filesystem.h"

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

bool makePrivateFolders(const QString& folder)
{
    if (fileStatus(folder).type == FileStatus::Type::Directory)
        return true;
    QString built;
    for (const QString& part : folder.split(u'/', Qt::SkipEmptyParts)) {
        built += u'/' + part;
        if (::mkdir(QFile::encodeName(built).constData(), 0700) != 0 && errno != EEXIST)
            return false;
    }
    return fileStatus(folder).type == FileStatus::Type::Directory;
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
