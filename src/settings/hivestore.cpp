// SPDX-License-Identifier: MIT
#include "hivestore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QThread>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

HiveStore::HiveStore(QString hivePath)
    : m_path(std::move(hivePath))
{
}

HiveStore::~HiveStore()
{
    unlock();
}

QString HiveStore::defaultPath()
{
    QString base = qEnvironmentVariable("XDG_CONFIG_HOME");
    // The XDG rules ignore a relative value.
    if (base.isEmpty() || QDir::isRelativePath(base))
        base = QDir::homePath() + QLatin1String("/.config");
    return base + QLatin1String("/Ambrel/Pemmo.reg");
}

bool HiveStore::ensureFolder() const
{
    const QString folder = QFileInfo(m_path).absolutePath();
    if (QFileInfo::exists(folder))
        return true;
    // Settings are private to the user: folders we create are 0700.
    QString built;
    for (const QString& part : folder.split(u'/', Qt::SkipEmptyParts)) {
        built += u'/' + part;
        const QByteArray step = QFile::encodeName(built);
        if (::mkdir(step.constData(), 0700) != 0 && errno != EEXIST)
            return false;
    }
    return QFileInfo(folder).isDir();
}

bool HiveStore::lock(std::chrono::milliseconds timeout)
{
    if (m_lockFd >= 0)
        return true;
    if (!ensureFolder())
        return false;
    const QByteArray lockPath = QFile::encodeName(m_path + QLatin1String(".lock"));
    // O_CLOEXEC: an editor started from this process must not inherit the lock.
    const int fd = ::open(lockPath.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0)
        return false;
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        if ((errno != EWOULDBLOCK && errno != EINTR) || std::chrono::steady_clock::now() >= deadline) {
            ::close(fd);
            return false;
        }
        QThread::msleep(5);
    }
    m_lockFd = fd;
    return true;
}

void HiveStore::unlock()
{
    if (m_lockFd >= 0) {
        ::close(m_lockFd);
        m_lockFd = -1;
    }
}

RegistryHive HiveStore::read() const
{
    QFile file(m_path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return RegistryHive::parse(file.readAll());
}

bool HiveStore::commit(const RegistryHive& hive, QString* error) const
{
    if (hive.isEmpty()) {
        if (!QFile::exists(m_path) || QFile::remove(m_path))
            return true;
        if (error)
            *error = QStringLiteral("cannot remove %1").arg(m_path);
        return false;
    }
    if (!ensureFolder()) {
        if (error)
            *error = QStringLiteral("cannot create the folder of %1").arg(m_path);
        return false;
    }
    QSaveFile file(m_path);
    if (!file.open(QIODevice::WriteOnly)) {
        if (error)
            *error = file.errorString();
        return false;
    }
    file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    const QByteArray bytes = hive.serialize();
    if (file.write(bytes) != bytes.size() || !file.commit()) {
        if (error)
            *error = file.errorString();
        return false;
    }
    return true;
}
