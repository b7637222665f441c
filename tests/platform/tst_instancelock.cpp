// SPDX-License-Identifier: MIT
#include "platform/instancelock.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

namespace {

/** A second process that tries the lock and keeps whatever it got until it is told to stop. */
class LockHolder final
{
public:
    explicit LockHolder(const QString& name)
    {
        m_process.start(QStringLiteral(PEMMO_TESTWORKER), { QStringLiteral("hold-lock"), name });
    }
    ~LockHolder()
    {
        m_process.closeWriteChannel();
        if (!m_process.waitForFinished(5000))
            m_process.kill();
        m_process.waitForFinished();
    }
    QByteArray answer()
    {
        while (!m_process.canReadLine() && m_process.waitForReadyRead(10000)) { }
        return m_process.readLine().trimmed();
    }
    void kill()
    {
        ::kill(m_process.processId(), SIGKILL);
        m_process.waitForFinished();
    }

private:
    QProcess m_process;
};

} // namespace

class TestInstanceLock : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        m_runtime.emplace();
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(m_runtime->path()));
    }
    void cleanup() { m_runtime.reset(); }

    void lockPathFollowsRuntimeDir();
    void firstTakerWinsUntilRelease();
    void otherProcessSeesTheLock();
    void killedHolderLetsGo();
    void namesAreIndependent();
    void startedChildrenDoNotInheritIt();
    void missingFolderIsUnavailable();

private:
    std::optional<QTemporaryDir> m_runtime;
};

void TestInstanceLock::lockPathFollowsRuntimeDir()
{
    QCOMPARE(instanceLockPath(QStringLiteral("pemmo")),
             QStringLiteral("%1/pemmo-%2.lock").arg(m_runtime->path()).arg(::getuid()));
    // Without a runtime folder, never a shared place: the user's own cache folder.
    qputenv("XDG_CACHE_HOME", QFile::encodeName(m_runtime->path() + QLatin1String("/cache")));
    qputenv("XDG_RUNTIME_DIR", "relative/dir");
    const QString own = QStringLiteral("%1/cache/pemmo/pemmo-%2.lock").arg(m_runtime->path()).arg(::getuid());
    QCOMPARE(instanceLockPath(QStringLiteral("pemmo")), own);
    qunsetenv("XDG_RUNTIME_DIR");
    QCOMPARE(instanceLockPath(QStringLiteral("pemmo")), own);
    const auto lock = createInstanceLock();
    QCOMPARE(lock->tryAcquire(QStringLiteral("pemmo")), InstanceLock::Result::Acquired);
    QCOMPARE(QFileInfo(own).absoluteDir().absolutePath(), m_runtime->path() + QLatin1String("/cache/pemmo"));
    QCOMPARE(QFile::permissions(QFileInfo(own).absolutePath()),
             QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner | QFileDevice::ReadUser |
                 QFileDevice::WriteUser | QFileDevice::ExeUser);
    lock->release();
    qunsetenv("XDG_CACHE_HOME");
}

void TestInstanceLock::firstTakerWinsUntilRelease()
{
    const auto first = createInstanceLock();
    const auto second = createInstanceLock();
    QCOMPARE(first->tryAcquire(QStringLiteral("pemmo")), InstanceLock::Result::Acquired);
    QCOMPARE(second->tryAcquire(QStringLiteral("pemmo")), InstanceLock::Result::HeldElsewhere);
    first->release();
    QCOMPARE(second->tryAcquire(QStringLiteral("pemmo")), InstanceLock::Result::Acquired);
}

void TestInstanceLock::otherProcessSeesTheLock()
{
    const auto lock = createInstanceLock();
    QCOMPARE(lock->tryAcquire(QStringLiteral("pemmo")), InstanceLock::Result::Acquired);
    {
        LockHolder other(QStringLiteral("pemmo"));
        QCOMPARE(other.answer(), QByteArray("busy"));
    }
    lock->release();
    LockHolder other(QStringLiteral("pemmo"));
    QCOMPARE(other.answer(), QByteArray("locked"));
    QCOMPARE(lock->tryAcquire(QStringLiteral("pemmo")), InstanceLock::Result::HeldElsewhere);
}

void TestInstanceLock::killedHolderLetsGo()
{
    LockHolder other(QStringLiteral("pemmo"));
    QCOMPARE(other.answer(), QByteArray("locked"));
    const auto lock = createInstanceLock();
    QCOMPARE(lock->tryAcquire(QStringLiteral("pemmo")), InstanceLock::Result::HeldElsewhere);
    other.kill();
    QCOMPARE(lock->tryAcquire(QStringLiteral("pemmo")), InstanceLock::Result::Acquired);
}

void TestInstanceLock::namesAreIndependent()
{
    // Copies of the executable under other names do not see each other.
    const auto a = createInstanceLock();
    const auto b = createInstanceLock();
    QCOMPARE(a->tryAcquire(QStringLiteral("pemmo")), InstanceLock::Result::Acquired);
    QCOMPARE(b->tryAcquire(QStringLiteral("pemmo-copy")), InstanceLock::Result::Acquired);
}

void TestInstanceLock::startedChildrenDoNotInheritIt()
{
    const auto lock = createInstanceLock();
    QCOMPARE(lock->tryAcquire(QStringLiteral("pemmo")), InstanceLock::Result::Acquired);
    QProcess child;
    child.start(QStringLiteral("sleep"), { QStringLiteral("30") });
    QVERIFY(child.waitForStarted());
    lock->release();
    // The child still runs; had it inherited the descriptor, the lock would still be held.
    const auto again = createInstanceLock();
    QCOMPARE(again->tryAcquire(QStringLiteral("pemmo")), InstanceLock::Result::Acquired);
    child.kill();
    child.waitForFinished();
}

void TestInstanceLock::missingFolderIsUnavailable()
{
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(m_runtime->filePath(QStringLiteral("missing"))));
    QCOMPARE(createInstanceLock()->tryAcquire(QStringLiteral("pemmo")), InstanceLock::Result::Unavailable);
}

QTEST_GUILESS_MAIN(TestInstanceLock)
#include "tst_instancelock.moc"
