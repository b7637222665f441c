// SPDX-License-Identifier: MIT
#include "fileprobe.h"

#include <QFile>

#include <cerrno>
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

std::optional<SmallFileRead> readSmallFile(const QString& path, qint64 most, QByteArray& into)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC | O_NOCTTY);
    if (fd < 0)
        return std::nullopt;
    struct stat info
    {
    };
    if (::fstat(fd, &info) != 0) {
        ::close(fd);
        return std::nullopt;
    }
    SmallFileRead result;
    result.size = qint64(info.st_size);
    if (!S_ISREG(info.st_mode) || result.size > most) {
        ::close(fd);
        return result;
    }
    into.resize(result.size);
    qint64 got = 0;
    while (got < result.size) {
        const ssize_t n = ::read(fd, into.data() + got, size_t(result.size - got));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            ::close(fd);
            return std::nullopt;
        }
        if (n == 0)
            break; // shortened since the fstat: what is there is the file
        got += n;
    }
    ::close(fd);
    into.resize(got);
    result.read = true;
    return result;
}
