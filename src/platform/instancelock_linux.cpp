// SPDX-License-Identifier: MIT
#include "instancelock.h"

#include "filelock.h"
#include "filesystem.h"

#include <QDir>

namespace {

class FlockInstanceLock final : public InstanceLock
{
public:
    Result tryAcquire(const QString& name) override
    {
        switch (m_lock.tryLock(instanceLockPath(name))) {
        case FileLock::Result::Acquired:
            return Result::Acquired;
        case FileLock::Result::HeldElsewhere:
            return Result::HeldElsewhere;
        case FileLock::Result::Unavailable:
            break;
        }
        return Result::Unavailable;
    }

    void release() override { m_lock.unlock(); }

private:
    FileLock m_lock;
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
    return QStringLiteral("%1/%2-%3.lock").arg(folder, name).arg(effectiveUserId());
}
