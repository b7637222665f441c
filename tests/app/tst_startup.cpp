// SPDX-License-Identifier: MIT
#include "app/startup.h"
#include "fakedialogs.h"
#include "launcher/Tasklist.h"
#include "options/Formoption.h"
#include "platform/instancelock.h"
#include "settings/hivesettingskey.h"
#include "settings/settingstable.h"
#include "settings/settingstexts.h"
#include "tempsettings.h"
#include "window/mainform.h"

#include <QApplication>
#include <QTest>

#include <stdexcept>

namespace {

class FakeInstanceLock final : public InstanceLock
{
public:
    explicit FakeInstanceLock(Result result)
        : m_result(result)
    { }
    Result tryAcquire(const QString& name) override
    {
        names.append(name);
        return m_result;
    }
    void release() override { ++releases; }

    QStringList names;
    int releases = 0;

private:
    Result m_result;
};

/** What the event loop saw: the mode and which windows were there and shown. */
struct Observed
{
    bool loopRan = false;
    StartMode mode = StartMode::Editor;
    bool mainForm = false, optionForm = false, launcherForm = false;
    bool mainVisible = false, anyVisible = false;
    QString title;
    QString fileName;
};

const QByteArray kKeyHeader = "REGEDIT4\n\n[HKEY_CURRENT_USER\\software\\Ambrel\\Pemmo]\n";

} // namespace

Q_DECLARE_METATYPE(InstanceLock::Result)
Q_DECLARE_METATYPE(StartMode)

class TestStartup : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        m_settings.emplace();
        m_dialogs.messages.clear();
        m_dialogs.setApplicationTitle(QString());
        QGuiApplication::setApplicationDisplayName(QString());
    }
    void cleanup() { m_settings.reset(); }

    void modeDecision_data();
    void modeDecision();
    void firstRunWritesExactlyTheDefaults();
    void presentKeyWithoutUsableMOptionEndsSilently_data();
    void presentKeyWithoutUsableMOptionEndsSilently();
    void firstRunThatCannotWriteSaysSo();
    void unreadableSettingsAreNeverReplaced();
    void failureAfterTheKeyIsOpen_data();
    void failureAfterTheKeyIsOpen();
    void desktopActionsAskForAMode_data();
    void desktopActionsAskForAMode();
    void lockIsReleasedOnlyByItsHolder_data();
    void lockIsReleasedOnlyByItsHolder();

private:
    Observed start(FakeInstanceLock& lock, bool tray, const std::function<void()>& extra = {},
                   const QStringList& arguments = {})
    {
        Observed seen;
        Startup startup(StartupServices { AppContext { m_dialogs, [] { return QRect(0, 0, 1024, 768); } }, lock,
                                          [tray] { return tray; }, QStringLiteral("/usr/bin/pemmo"), arguments });
        const int code = startup.run([&] {
            seen.loopRan = true;
            seen.mode = startup.mode();
            seen.mainForm = startup.mainForm();
            seen.optionForm = startup.optionForm();
            seen.launcherForm = startup.launcherForm();
            seen.mainVisible = startup.mainForm() && startup.mainForm()->isVisible();
            for (QWidget* widget : QApplication::topLevelWidgets())
                seen.anyVisible = seen.anyVisible || widget->isVisible();
            seen.title = QGuiApplication::applicationDisplayName();
            seen.fileName = startup.mainForm() ? startup.mainForm()->currentFileName() : QString();
            if (extra)
                extra();
        });
        [&] { QCOMPARE(code, 0); }();
        return seen;
    }

    FakeDialogs m_dialogs;
    std::optional<TempSettings> m_settings;
};

void TestStartup::modeDecision_data()
{
    QTest::addColumn<QByteArray>("hive"); // empty: no settings yet
    QTest::addColumn<InstanceLock::Result>("lock");
    QTest::addColumn<bool>("tray");
    QTest::addColumn<StartMode>("mode");

    using R = InstanceLock::Result;
    const QByteArray launcherWanted = kKeyHeader + "\"MOption\"=dword:00000001\n";
    const QByteArray editorWanted = kKeyHeader + "\"MOption\"=dword:00000000\n";
    QTest::newRow("first run, alone") << QByteArray() << R::Acquired << true << StartMode::Launcher;
    QTest::newRow("first run, another runs") << QByteArray() << R::HeldElsewhere << true << StartMode::Editor;
    QTest::newRow("MOption true, alone") << launcherWanted << R::Acquired << true << StartMode::Launcher;
    QTest::newRow("MOption true, another runs") << launcherWanted << R::HeldElsewhere << true << StartMode::Editor;
    QTest::newRow("MOption true, lock unavailable") << launcherWanted << R::Unavailable << true << StartMode::Launcher;
    QTest::newRow("MOption 2 counts as true")
        << QByteArray(kKeyHeader + "\"MOption\"=dword:00000002\n") << R::Acquired << true << StartMode::Launcher;
    QTest::newRow("MOption false, alone") << editorWanted << R::Acquired << true << StartMode::Editor;
    QTest::newRow("MOption false, another runs") << editorWanted << R::HeldElsewhere << true << StartMode::Editor;
    QTest::newRow("MOption true, no tray") << launcherWanted << R::Acquired << false << StartMode::Editor;
    QTest::newRow("first run, no tray") << QByteArray() << R::Acquired << false << StartMode::Editor;
}

void TestStartup::modeDecision()
{
    QFETCH(QByteArray, hive);
    QFETCH(InstanceLock::Result, lock);
    QFETCH(bool, tray);
    QFETCH(StartMode, mode);
    if (!hive.isEmpty())
        m_settings->writeHive(hive);

    FakeInstanceLock fakeLock(lock);
    const Observed seen = start(fakeLock, tray);
    QVERIFY(seen.loopRan);
    QCOMPARE(seen.mode, mode);
    QCOMPARE(fakeLock.names, QStringList { QStringLiteral("pemmo") });
    QVERIFY(seen.mainForm);
    QVERIFY(seen.optionForm);
    QVERIFY(m_dialogs.messages.isEmpty());
    if (mode == StartMode::Launcher) {
        QVERIFY(seen.launcherForm);
        QVERIFY(!seen.anyVisible); // no window and so no taskbar entry
        QCOMPARE(seen.title, Startup::kLauncherTitle);
        QCOMPARE(m_dialogs.applicationTitle(), Startup::kLauncherTitle); // message boxes say who speaks
    } else {
        QVERIFY(!seen.launcherForm);
        QVERIFY(seen.mainVisible);
        QVERIFY(seen.title != Startup::kLauncherTitle);
        QVERIFY(m_dialogs.applicationTitle() != Startup::kLauncherTitle);
    }
}

void TestStartup::firstRunWritesExactlyTheDefaults()
{
    FakeInstanceLock lock(InstanceLock::Result::Acquired);
    start(lock, false);
    const RegistryHive hive = RegistryHive::parse(m_settings->hiveBytes());
    QStringList names = hive.valueNames(HiveSettingsKey::keyPath());
    // The editor window of this start may add its own values; the first-run ones come first, in order.
    QVERIFY(names.size() >= 21);
    QCOMPARE(names.mid(0, 21).last(), Reg::MOption);
    QCOMPARE(hive.value(HiveSettingsKey::keyPath(), Reg::MOption)->data, regDword(1).data);
    QVERIFY(m_dialogs.messages.isEmpty());
}

void TestStartup::presentKeyWithoutUsableMOptionEndsSilently_data()
{
    QTest::addColumn<QByteArray>("hive");
    QTest::newRow("MOption absent") << QByteArray(kKeyHeader + "\"MTop\"=dword:00000064\n");
    QTest::newRow("MOption a string") << QByteArray(kKeyHeader + "\"MOption\"=\"1\"\n");
    QTest::newRow("key empty") << kKeyHeader;
}

void TestStartup::presentKeyWithoutUsableMOptionEndsSilently()
{
    QFETCH(QByteArray, hive);
    m_settings->writeHive(hive);
    FakeInstanceLock lock(InstanceLock::Result::Acquired);
    const Observed seen = start(lock, true);
    QVERIFY(!seen.loopRan);
    QVERIFY(m_dialogs.messages.isEmpty());
    QCOMPARE(lock.releases, 1);
    QCOMPARE(m_settings->hiveBytes(), hive); // nothing written
}

void TestStartup::firstRunThatCannotWriteSaysSo()
{
    // A file where the settings folder should be: the key can be neither opened nor created.
    QFile blocker(m_settings->dir() + QLatin1String("/config"));
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    FakeInstanceLock lock(InstanceLock::Result::Acquired);
    const Observed seen = start(lock, true);
    QVERIFY(!seen.loopRan);
    QCOMPARE(m_dialogs.messages, QStringList { kRegistryNotFound });
    QCOMPARE(lock.releases, 1);
}

void TestStartup::unreadableSettingsAreNeverReplaced()
{
    // Not a first run: the user's settings are there, just too large to be read. The editor comes
    // up with its designed values, says why once, and writes nothing over them.
    QByteArray hive = kKeyHeader + "\"MOption\"=dword:00000001\n\"MFontName\"=\"Custom Mono\"\n";
    hive += QByteArray(HiveStore::kMaxHiveBytes, '#');
    m_settings->writeHive(hive);
    FakeInstanceLock lock(InstanceLock::Result::Acquired);
    // Closing the window runs its writes of the window state; none may reach the file.
    const Observed seen = start(lock, true, [] {
        for (QWidget* window : QApplication::topLevelWidgets())
            window->close();
    });
    QVERIFY(seen.loopRan);
    QCOMPARE(seen.mode, StartMode::Editor);
    QVERIFY(seen.mainVisible);
    QCOMPARE(m_dialogs.messages.size(), 1);
    QVERIFY(m_dialogs.messages.constFirst().startsWith(kRegistryReadFailed));
    QCOMPARE(m_settings->hiveBytes(), hive);
}

void TestStartup::failureAfterTheKeyIsOpen_data()
{
    QTest::addColumn<QByteArray>("hive");
    QTest::addColumn<QStringList>("messages");
    QTest::newRow("first run tells") << QByteArray() << QStringList { kRegistryNotFound };
    QTest::newRow("present key is silent") << QByteArray(kKeyHeader + "\"MOption\"=dword:00000000\n") << QStringList();
}

void TestStartup::failureAfterTheKeyIsOpen()
{
    QFETCH(QByteArray, hive);
    QFETCH(QStringList, messages);
    if (!hive.isEmpty())
        m_settings->writeHive(hive);
    FakeInstanceLock lock(InstanceLock::Result::Acquired);
    start(lock, false, [] { throw std::runtime_error("loop failed"); });
    QCOMPARE(m_dialogs.messages, messages);
    QCOMPARE(lock.releases, 1);
}

void TestStartup::desktopActionsAskForAMode_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QByteArray>("mOption");
    QTest::addColumn<InstanceLock::Result>("lock");
    QTest::addColumn<StartMode>("mode");
    QTest::addColumn<bool>("withFile");
    using R = InstanceLock::Result;
    QTest::newRow("--editor over MOption true")
        << QStringList { QStringLiteral("--editor") } << QByteArray("1") << R::Acquired << StartMode::Editor << false;
    QTest::newRow("--editor with a file") << QStringList { QStringLiteral("--editor"), QStringLiteral("FILE") }
                                          << QByteArray("1") << R::Acquired << StartMode::Editor << true;
    QTest::newRow("--launcher over MOption false") << QStringList { QStringLiteral("--launcher") } << QByteArray("0")
                                                   << R::Acquired << StartMode::Launcher << false;
    QTest::newRow("--launcher while another runs") << QStringList { QStringLiteral("--launcher") } << QByteArray("0")
                                                   << R::HeldElsewhere << StartMode::Editor << false;
    QTest::newRow("a later --editor is part of the file")
        << QStringList { QStringLiteral("FILE") } << QByteArray("0") << R::Acquired << StartMode::Editor << true;
}

void TestStartup::desktopActionsAskForAMode()
{
    QFETCH(QStringList, arguments);
    QFETCH(QByteArray, mOption);
    QFETCH(InstanceLock::Result, lock);
    QFETCH(StartMode, mode);
    QFETCH(bool, withFile);
    m_settings->writeHive(kKeyHeader + "\"MOption\"=dword:0000000" + mOption + "\n");
    const QString file = m_settings->dir() + QStringLiteral("/my --editor.txt");
    QFile text(file);
    QVERIFY(text.open(QIODevice::WriteOnly));
    text.close();
    for (QString& argument : arguments) {
        if (argument == QLatin1String("FILE"))
            argument = file;
    }
    FakeInstanceLock fakeLock(lock);
    const Observed seen = start(fakeLock, true, {}, arguments);
    QVERIFY(seen.loopRan);
    QCOMPARE(seen.mode, mode);
    if (withFile)
        QCOMPARE(seen.fileName, file);
    else
        QVERIFY(seen.fileName != file);
}

void TestStartup::lockIsReleasedOnlyByItsHolder_data()
{
    QTest::addColumn<InstanceLock::Result>("lock");
    QTest::addColumn<int>("releases");
    QTest::newRow("holder") << InstanceLock::Result::Acquired << 1;
    QTest::newRow("another holds it") << InstanceLock::Result::HeldElsewhere << 0;
    QTest::newRow("no lock at all") << InstanceLock::Result::Unavailable << 0;
}

void TestStartup::lockIsReleasedOnlyByItsHolder()
{
    QFETCH(InstanceLock::Result, lock);
    QFETCH(int, releases);
    FakeInstanceLock fakeLock(lock);
    start(fakeLock, false);
    QCOMPARE(fakeLock.releases, releases);
}

QTEST_MAIN(TestStartup)
#include "tst_startup.moc"
