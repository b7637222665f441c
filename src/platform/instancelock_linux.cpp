// SPDX-License-Identifier: MIT
#include "instancelock.h"

#include <QDir>
#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace {

class FlockInstanceLock final : public InstanceLock
{
public:
    ~FlockInstanceLock() override { release(); }

    Result tryAcquire(const QString& name) override
    {
        if (m_fd >= 0)
            return Result::Acquired;
        const QByteArray path = QFile::encodeName(instanceLockPath(name));
        // O_CLOEXEC: editors started from this process must not inherit the lock.
        const int fd = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        if (fd < 0)
            return Result::Unavailable;
        // A single non-blocking attempt, so two processes started together cannot both win.
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            const bool held = errno == EWOULDBLOCK;
            ::close(fd);
            return held ? Result::HeldElsewhere : Result::Unavailable;
        }
        m_fd = fd;
        return Result::Acquired;
    }

    void release() override
    {
        if (m_fd >= 0) {
            ::close(m_fd);
            m_fd = -1;
        }
    }

private:
    int m_fd = -1;
};

} // namespace

std::unique_ptr<InstanceLock> createInstanceLock()
{
    return std::make_unique<FlockInstanceLock>();
}

QString instanceLockPath(const QString& name)
{
    QString folder = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (folder.isEmpty() || QDir::isRelativePath(folder))
        folder = QStringLiteral("/tmp");
    return QStringLiteral("%1/%2-%3.lock").arg(folder, name).arg(::getuid());
}
