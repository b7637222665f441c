// SPDX-License-Identifier: MIT
#include "instancelock.h"

#include "filelock.h"
#include "filesystem.h"

#include <QDir>
#include <QFileInfo>

namespace {

// The session's own folder, made by the login; empty when there is none.
QString runtimeFolder()
{
    const QString folder = qEnvironmentVariable("XDG_RUNTIME_DIR");
    return folder.isEmpty() || QDir::isRelativePath(folder) ? QString() : folder;
}

class FlockInstanceLock final : public InstanceLock
{
public:
    Result tryAcquire(const QString& name) override
    {
        const QString path = instanceLockPath(name);
        // Without a runtime folder the lock lives in one of the user's own, never in a shared
        // place where another user could plant the file first.
        if (runtimeFolder().isEmpty() && !makePrivateFolders(QFileInfo(path).absolutePath()))
            return Result::Unavailable;
        switch (m_lock.tryLock(path)) {
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
    QString folder = runtimeFolder();
    if (folder.isEmpty())
        folder = userFolder(UserFolder::Cache) + QLatin1String("/pemmo");
    return QStringLiteral("%1/%2-%3.lock").arg(folder, name).arg(effectiveUserId());
}
