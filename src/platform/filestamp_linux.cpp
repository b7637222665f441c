// SPDX-License-Identifier: MIT
#include "filestamp.h"

#include <QFile>

#include <sys/stat.h>

std::optional<FileStamp> fileStamp(const QString& path)
{
    if (path.isEmpty())
        return std::nullopt;
    struct stat info
    {
    };
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return std::nullopt;
    FileStamp stamp;
    stamp.size = qint64(info.st_size);
    stamp.modifiedNs = qint64(info.st_mtim.tv_sec) * 1'000'000'000 + info.st_mtim.tv_nsec;
    stamp.device = quint64(info.st_dev);
    stamp.inode = quint64(info.st_ino);
    return stamp;
}
