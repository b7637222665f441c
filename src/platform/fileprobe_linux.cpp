// SPDX-License-Identifier: MIT
#include "fileprobe.h"

#include <QFile>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

std::optional<qint64> probeFileForReading(const QString& path)
{
    if (path.isEmpty())
        return std::nullopt;
    // O_NONBLOCK: a FIFO must not hang the probe.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return std::nullopt;
    struct stat info
    {
    };
    const bool regular = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
    ::close(fd);
    if (!regular)
        return std::nullopt;
    return qint64(info.st_size);
}
