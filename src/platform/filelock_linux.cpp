// SPDX-License-Identifier: MIT
#include "filelock.h"

#include <QFile>
#include <QThread>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

FileLock::~FileLock()
{
    unlock();
}

FileLock::Result FileLock::tryLock(const QString& lockFilePath)
{
    return lock(lockFilePath, std::chrono::milliseconds(0));
}

FileLock::Result FileLock::lock(const QString& lockFilePath, std::chrono::milliseconds timeout)
{
    if (m_fd >= 0)
        return Result::Acquired;
    const QByteArray path = QFile::encodeName(lockFilePath);
    // O_NOFOLLOW: a link planted in our place must not make us create or lock another file.
    const int fd = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0)
        return Result::Unavailable;
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    // Non-blocking attempts only, so two processes started together cannot both win and a
    // holder that never lets go costs at most the timeout.
    while (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        if ((error != EWOULDBLOCK && error != EINTR) || std::chrono::steady_clock::now() >= deadline) {
            ::close(fd);
            return error == EWOULDBLOCK ? Result::HeldElsewhere : Result::Unavailable;
        }
        QThread::msleep(5);
    }
    m_fd = fd;
    return Result::Acquired;
}

void FileLock::unlock()
{
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
}
