// SPDX-License-Identifier: MIT
#include "settings/hivesettingskey.h"
#include "settings/registrysequence.h"
#include "settings/settingstable.h"
#include "settings/settingstexts.h"
#include "tempsettings.h"

#include <QDateTime>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>

#include <csignal>
#include <optional>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
const QString kKey = HiveSettingsKey::keyPath();

RegistryHive readHive(const TempSettings& settings)
{
    return RegistryHive::parse(settings.hiveBytes());
}

std::optional<QString> failureOf(OpenMode mode, const std::function<void(SettingsKey&)>& work)
{
    return runRegistrySequence(mode, work).failure;
}

QString stringIn(const QByteArray& hiveBytes, const QString& name)
{
    const auto value = RegistryHive::parse(hiveBytes).value(kKey, name);
    return value ? QString::fromUtf8(value->data) : QString();
}

/** A worker process playing one editor window; see testworker.cpp. */
class WindowWorker final
{
public:
    WindowWorker(const QString& font, const QString& top, const QString& file)
    {
        m_process.start(QStringLiteral(PEMMO_TESTWORKER), { QStringLiteral("window"), font, top, file });
    }
    bool hasRead()
    {
        while (!m_process.canReadLine() && m_process.waitForReadyRead(10000)) { }
        return m_process.readLine().trimmed() == "read";
    }
    bool writeAndFinish()
    {
        m_process.write("go\n");
        m_process.closeWriteChannel();
        return m_process.waitForFinished(10000) && m_process.exitCode() == 0;
    }

private:
    QProcess m_process;
};

struct passwd* nobody()
{
    return ::getpwnam("nobody");
}

void giveToNobody(const QString& path)
{
    QVERIFY(::chown(QFile::encodeName(path).constData(), nobody()->pw_uid, nobody()->pw_gid) == 0);
}

} // namespace

class TestSettingsKey : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init() { m_settings.emplace(); }
    void cleanup() { m_settings.reset(); }

    void emptyStringHasLengthZero();
    void readingRules_data();
    void readingRules();
    void boolIsAnyNonZeroInteger();
    void openOnlyOnAbsentKeyDoesNothing();
    void exceptionEndsWorkButKeepsEarlierWrites();
    void writeFailureRaisesAndKeepsTheFile();
    void firstRunDefaults();
    void everyNumberReadsByItsEntry_data();
    void everyNumberReadsByItsEntry();
    void filesArePrivate();
    void deleteKeyTreeRemovesTheFile();
    void damagedHiveKeepsWhatCanBeRead_data();
    void damagedHiveKeepsWhatCanBeRead();
    void concurrentCascadeStepsLoseNothing();
    void killedWriterNeverTearsTheFile();
    void windowsKeepEachOthersChanges();
    void hiveIsWrittenOnlyWhereItIsOurs();
    void unreadableHiveIsNeverReplaced();
    void staleTemporariesAreRemoved();

private:
    std::optional<TempSettings> m_settings;
};

void TestSettingsKey::emptyStringHasLengthZero()
{
    QVERIFY(runRegistrySequence(OpenMode::OpenCreating, [](SettingsKey& key) {
                key.writeString(Reg::MDirSave, QString());
            }).completed());
    const auto value = readHive(*m_settings).value(kKey, Reg::MDirSave);
    QVERIFY(value);
    QCOMPARE(value->type, quint32(RegType::String));
    QCOMPARE(value->data.size(), 0);
    QVERIFY(m_settings->hiveBytes().contains("\n\"MDirSave\"=\"\"\n"));
}

void TestSettingsKey::readingRules_data()
{
    QTest::addColumn<QByteArray>("stored"); // value line for "V", empty for absent
    QTest::addColumn<QString>("asString"); // expected string, or "!" for a raise
    QTest::addColumn<QString>("asInteger"); // expected integer, or "!" for a raise

    QTest::newRow("absent") << QByteArray() << QString() << QStringLiteral("!");
    QTest::newRow("empty string") << QByteArray(R"("V"="")") << QString() << QStringLiteral("!");
    QTest::newRow("string") << QByteArray(R"("V"="10")") << QStringLiteral("10") << QStringLiteral("!");
    QTest::newRow("dword") << QByteArray("\"V\"=dword:0000000a") << QStringLiteral("!") << QStringLiteral("10");
    QTest::newRow("negative dword") << QByteArray("\"V\"=dword:ffffffec") << QStringLiteral("!")
                                    << QStringLiteral("-20");
    QTest::newRow("expand string") << QByteArray("\"V\"=hex(2):61,62,00") << QStringLiteral("ab")
                                   << QStringLiteral("!");
    QTest::newRow("string up to NUL") << QByteArray("\"V\"=hex(1):61,00,62") << QStringLiteral("a")
                                      << QStringLiteral("!");
    QTest::newRow("binary") << QByteArray("\"V\"=hex:0a,00,00,00") << QStringLiteral("!") << QStringLiteral("!");
    QTest::newRow("short dword") << QByteArray("\"V\"=hex(4):0a,00") << QStringLiteral("!") << QStringLiteral("!");
}

void TestSettingsKey::readingRules()
{
    QFETCH(QByteArray, stored);
    QFETCH(QString, asString);
    QFETCH(QString, asInteger);
    m_settings->writeHive("REGEDIT4\n\n[HKEY_CURRENT_USER\\software\\Ambrel\\Pemmo]\n" + stored + "\n");

    const auto stringFailure = failureOf(
        OpenMode::OpenOnly, [&](SettingsKey& key) { QCOMPARE(key.readString(QStringLiteral("V")), asString); });
    QCOMPARE(stringFailure.has_value(), asString == QLatin1String("!"));

    const auto integerFailure = failureOf(OpenMode::OpenOnly, [&](SettingsKey& key) {
        QCOMPARE(QString::number(key.readInteger(QStringLiteral("V"))), asInteger);
    });
    QCOMPARE(integerFailure.has_value(), asInteger == QLatin1String("!"));

    bool exists = false;
    runRegistrySequence(OpenMode::OpenOnly, [&](SettingsKey& key) { exists = key.valueExists(QStringLiteral("V")); });
    QCOMPARE(exists, !stored.isEmpty());
}

void TestSettingsKey::boolIsAnyNonZeroInteger()
{
    m_settings->writeHive("REGEDIT4\n\n[HKEY_CURRENT_USER\\software\\Ambrel\\Pemmo]\n"
                          "\"T\"=dword:00000002\n\"F\"=dword:00000000\n\"S\"=\"1\"\n");
    bool t = false, f = true;
    QVERIFY(runRegistrySequence(OpenMode::OpenOnly, [&](SettingsKey& key) {
                t = key.readBool(QStringLiteral("T"));
                f = key.readBool(QStringLiteral("F"));
            }).completed());
    QVERIFY(t);
    QVERIFY(!f);
    QVERIFY(failureOf(OpenMode::OpenOnly, [](SettingsKey& key) { key.readBool(QStringLiteral("S")); }));
    QVERIFY(failureOf(OpenMode::OpenOnly, [](SettingsKey& key) { key.readBool(QStringLiteral("Absent")); }));
}

void TestSettingsKey::openOnlyOnAbsentKeyDoesNothing()
{
    bool ran = false;
    const SequenceResult result = runRegistrySequence(OpenMode::OpenOnly, [&](SettingsKey&) { ran = true; });
    QVERIFY(!result.opened);
    QVERIFY(!result.failed());
    QVERIFY(!ran);
    QVERIFY(!QFileInfo::exists(m_settings->hivePath()));

    // Another key in the same hive does not make ours present.
    m_settings->writeHive("REGEDIT4\n\n[HKEY_CURRENT_USER\\software\\Other]\n\"A\"=\"b\"\n");
    QVERIFY(!runRegistrySequence(OpenMode::OpenOnly, [](SettingsKey&) {}).opened);
    QVERIFY(runRegistrySequence(OpenMode::OpenCreating, [](SettingsKey&) {}).completed());
    const RegistryHive hive = readHive(*m_settings);
    QVERIFY(hive.hasKey(kKey));
    QVERIFY(hive.hasKey(QStringLiteral("HKEY_CURRENT_USER\\software\\Other")));
}

void TestSettingsKey::exceptionEndsWorkButKeepsEarlierWrites()
{
    bool reachedAfter = false;
    const SequenceResult result = runRegistrySequence(OpenMode::OpenCreating, [&](SettingsKey& key) {
        key.writeInteger(Reg::MTop, 7);
        key.readInteger(Reg::MIno); // absent: raises
        reachedAfter = true;
        key.writeInteger(Reg::MLeft, 8);
    });
    QVERIFY(result.opened);
    QVERIFY(result.failed());
    QVERIFY(!reachedAfter);
    const RegistryHive hive = readHive(*m_settings);
    QCOMPARE(hive.value(kKey, Reg::MTop)->data, regDword(7).data);
    QVERIFY(!hive.value(kKey, Reg::MLeft));
}

void TestSettingsKey::writeFailureRaisesAndKeepsTheFile()
{
    QVERIFY(runRegistrySequence(OpenMode::OpenCreating, [](SettingsKey& key) {
                key.writeInteger(Reg::MTop, 1);
            }).completed());
    const QByteArray before = m_settings->hiveBytes();
    // A folder where the commit's temporary file would go makes every write fail, even for root.
    auto key = HiveSettingsKey::open(m_settings->hivePath(), OpenMode::OpenOnly);
    QVERIFY(key);
    QVERIFY(QFile::rename(m_settings->hivePath(), m_settings->hivePath() + QLatin1String(".moved")));
    QVERIFY(QDir().mkdir(m_settings->hivePath()));
    QVERIFY_THROWS_EXCEPTION(RegistryError, key->writeInteger(Reg::MLeft, 2));
    key.reset();
    QVERIFY(QDir().rmdir(m_settings->hivePath()));
    QVERIFY(QFile::rename(m_settings->hivePath() + QLatin1String(".moved"), m_settings->hivePath()));
    QCOMPARE(m_settings->hiveBytes(), before);
}

void TestSettingsKey::everyNumberReadsByItsEntry_data()
{
    QTest::addColumn<QString>("name");
    for (const SettingEntry& entry : settingsTable()) {
        if (entry.type != SettingType::String)
            QTest::newRow(qPrintable(entry.name)) << entry.name;
    }
}

// Each reader takes a value as its entry declares: absent, in bounds, just outside them.
void TestSettingsKey::everyNumberReadsByItsEntry()
{
    QFETCH(QString, name);
    const SettingEntry& entry = settingEntry(name);
    const auto read = [&]() -> std::optional<qint32> {
        std::optional<qint32> value;
        if (!runRegistrySequence(OpenMode::OpenCreating, [&](SettingsKey& key) {
                 value = readNumberSetting(key, name);
             }).completed())
            return std::nullopt;
        return value;
    };
    const auto store = [&](qint32 number) {
        QVERIFY(runRegistrySequence(OpenMode::OpenCreating, [&](SettingsKey& key) {
                    key.writeInteger(name, number);
                }).completed());
    };

    QCOMPARE(read(), entry.whenAbsent);
    QVERIFY(entry.number >= entry.minimum && entry.number <= entry.maximum);
    if (entry.whenAbsent)
        QVERIFY(*entry.whenAbsent >= entry.minimum && *entry.whenAbsent <= entry.maximum);

    store(entry.number);
    QCOMPARE(read(), std::optional<qint32>(entry.number));
    if (entry.minimum > std::numeric_limits<qint32>::min()) {
        store(entry.minimum);
        QCOMPARE(read(), std::optional<qint32>(entry.minimum));
        store(entry.minimum - 1);
        QCOMPARE(read(), entry.whenAbsent);
    }
    if (entry.maximum < std::numeric_limits<qint32>::max()) {
        store(entry.maximum + 1);
        QCOMPARE(read(), entry.whenAbsent);
    }
}

void TestSettingsKey::firstRunDefaults()
{
    QVERIFY(runRegistrySequence(OpenMode::OpenCreating, writeFirstRunDefaults).completed());
    const RegistryHive hive = readHive(*m_settings);
    const QStringList names = hive.valueNames(kKey);
    QCOMPARE(names.size(), 21);

    QStringList expected;
    for (int slot = 1; slot <= 5; ++slot)
        expected << Reg::mru(slot);
    for (int slot = 1; slot <= 5; ++slot)
        expected << Reg::mmm(slot);
    expected << Reg::MCoolBarVewF << Reg::MTop << Reg::MLeft << Reg::MFontCol << Reg::MFontSize << Reg::MFontName
             << Reg::MFontStyleB << Reg::MFontStyleI << Reg::MFontStyleU << Reg::MFontStyleS << Reg::MOption;
    QCOMPARE(names, expected); // also the order they were written in

    int strings = 0;
    for (const QString& name : names) {
        const auto value = hive.value(kKey, name);
        if (value->type == quint32(RegType::String))
            ++strings;
        else
            QCOMPARE(value->type, quint32(RegType::Dword));
    }
    QCOMPARE(strings, 11);
    QCOMPARE(QString::fromUtf8(hive.value(kKey, Reg::MFontName)->data), QStringLiteral("ＭＳ ゴシック"));
    QCOMPARE(hive.value(kKey, Reg::MFontCol)->data, regDword(qint32(0x80000008u)).data);
    QCOMPARE(hive.value(kKey, Reg::MTop)->data, regDword(100).data);
    QCOMPARE(hive.value(kKey, Reg::MLeft)->data, regDword(200).data);
    QCOMPARE(hive.value(kKey, Reg::MFontSize)->data, regDword(10).data);
    QCOMPARE(hive.value(kKey, Reg::MOption)->data, regDword(1).data);
    QCOMPARE(hive.value(kKey, Reg::MCoolBarVewF)->data, regDword(1).data);
    QCOMPARE(hive.value(kKey, Reg::MFontStyleS)->data, regDword(0).data);
}

void TestSettingsKey::filesArePrivate()
{
    QVERIFY(runRegistrySequence(OpenMode::OpenCreating, [](SettingsKey& key) {
                key.writeBool(Reg::MVG, true);
            }).completed());
    const auto mode = [](const QString& path) {
        struct stat info
        {
        };
        return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? int(info.st_mode & 0777) : -1;
    };
    QCOMPARE(mode(m_settings->hivePath()), 0600);
    QCOMPARE(mode(QFileInfo(m_settings->hivePath()).absolutePath()), 0700);
    QCOMPARE(mode(m_settings->dir() + QLatin1String("/config")), 0700);
}

void TestSettingsKey::deleteKeyTreeRemovesTheFile()
{
    QVERIFY(runRegistrySequence(OpenMode::OpenCreating, writeFirstRunDefaults).completed());
    const SequenceResult result = runRegistrySequence(OpenMode::OpenCreating, [](SettingsKey& key) {
        key.writeString(Reg::MDLFLG, QStringLiteral(" "));
        key.deleteKeyTree();
        key.writeString(Reg::mru(1), QStringLiteral("/after")); // the key is gone: raises
    });
    QVERIFY(result.failed());
    QVERIFY(!QFileInfo::exists(m_settings->hivePath()));
    QVERIFY(!runRegistrySequence(OpenMode::OpenOnly, [](SettingsKey&) {}).opened);

    // Lines we could not read are the user's: the file stays for them.
    m_settings->writeHive("REGEDIT4\nsomething unreadable\n\n[HKEY_CURRENT_USER\\software\\Ambrel\\Pemmo]\n");
    QVERIFY(runRegistrySequence(OpenMode::OpenOnly, [](SettingsKey& key) { key.deleteKeyTree(); }).completed());
    QCOMPARE(m_settings->hiveBytes(), QByteArray("REGEDIT4\nsomething unreadable\n"));
}

void TestSettingsKey::damagedHiveKeepsWhatCanBeRead_data()
{
    QTest::addColumn<QByteArray>("hive");
    QTest::addColumn<bool>("mTopReadable");
    const QByteArray head = "REGEDIT4\n\n[HKEY_CURRENT_USER\\software\\Ambrel\\Pemmo]\n\"MTop\"=dword:00000064\n";
    QTest::newRow("garbage lines") << QByteArray(head + "%%%%\n\"broken=\n[[[\n") << true;
    QTest::newRow("truncated mid-line") << QByteArray(head + "\"MFontName\"=\"ＭＳ ") << true;
    QTest::newRow("truncated mid-value") << QByteArray(head.left(head.size() - 12)) << false;
    QByteArray binary = head;
    for (int i = 0; i < 4096; ++i)
        binary.append(char((i * 7919) % 256));
    QTest::newRow("binary junk") << binary << true;
    QByteArray large = head;
    const QByteArray filler = "# a comment-like line that the registry would not understand 0123456789\n";
    while (large.size() < 10 * 1024 * 1024)
        large += filler;
    QTest::newRow("10 MB") << large << true;
}

void TestSettingsKey::damagedHiveKeepsWhatCanBeRead()
{
    QFETCH(QByteArray, hive);
    QFETCH(bool, mTopReadable);
    m_settings->writeHive(hive);

    qint32 top = 0;
    const SequenceResult read = runRegistrySequence(OpenMode::OpenOnly,
                                                    [&](SettingsKey& key) { top = key.readInteger(Reg::MTop); });
    QVERIFY(read.opened);
    QCOMPARE(read.completed(), mTopReadable);
    if (mTopReadable)
        QCOMPARE(top, 100);

    QVERIFY(runRegistrySequence(OpenMode::OpenCreating, [](SettingsKey& key) {
                key.writeInteger(Reg::MLeft, 30);
                key.writeString(Reg::mru(1), QStringLiteral("/home/user/メモ.txt"));
            }).completed());
    const QByteArray after = m_settings->hiveBytes();
    QVERIFY(after.size() >= hive.size());
    QString mru;
    qint32 left = 0;
    QVERIFY(runRegistrySequence(OpenMode::OpenOnly, [&](SettingsKey& key) {
                left = key.readInteger(Reg::MLeft);
                mru = key.readString(Reg::mru(1));
            }).completed());
    QCOMPARE(left, 30);
    QCOMPARE(mru, QStringLiteral("/home/user/メモ.txt"));
}

void TestSettingsKey::concurrentCascadeStepsLoseNothing()
{
    QVERIFY(runRegistrySequence(OpenMode::OpenCreating, writeFirstRunDefaults).completed());
    constexpr int kProcesses = 8;
    constexpr int kStepsEach = 5;
    std::vector<std::unique_ptr<QProcess>> workers;
    for (int i = 0; i < kProcesses; ++i) {
        auto worker = std::make_unique<QProcess>();
        worker->start(QStringLiteral(PEMMO_TESTWORKER), { QStringLiteral("cascade"), QString::number(kStepsEach) });
        workers.push_back(std::move(worker));
    }
    for (auto& worker : workers) {
        QVERIFY(worker->waitForFinished(60000));
        QCOMPARE(worker->exitCode(), 0);
    }
    const QByteArray bytes = m_settings->hiveBytes();
    const RegistryHive hive = RegistryHive::parse(bytes);
    QCOMPARE(hive.valueNames(kKey).size(), 21);
    QCOMPARE(hive.value(kKey, Reg::MTop)->data, regDword(100 + 20 * kProcesses * kStepsEach).data);
    QCOMPARE(hive.value(kKey, Reg::MLeft)->data, regDword(200 + 20 * kProcesses * kStepsEach).data);
    QCOMPARE(RegistryHive::parse(hive.serialize()).serialize(), bytes); // well formed: a fixed point
}

void TestSettingsKey::killedWriterNeverTearsTheFile()
{
    for (int round = 0; round < 12; ++round) {
        QProcess worker;
        worker.start(QStringLiteral(PEMMO_TESTWORKER), { QStringLiteral("churn") });
        QVERIFY(worker.waitForStarted());
        QTest::qWait(60 + 37 * round % 110);
        ::kill(worker.processId(), SIGKILL);
        QVERIFY(worker.waitForFinished());

        const QByteArray bytes = m_settings->hiveBytes();
        if (bytes.isEmpty())
            continue; // killed before its first commit
        QVERIFY(bytes.endsWith("\n"));
        const RegistryHive hive = RegistryHive::parse(bytes);
        const auto big = hive.value(kKey, QStringLiteral("Big"));
        if (!big) {
            // Killed between creating the key and the first write: the key alone, nothing torn.
            QVERIFY(hive.hasKey(kKey));
            QVERIFY(hive.valueNames(kKey).isEmpty());
            continue;
        }
        QCOMPARE(big->data.size(), 256 * 1024);
        QVERIFY(big->data == QByteArray(256 * 1024, 'A') || big->data == QByteArray(256 * 1024, 'B'));
    }
}

void TestSettingsKey::windowsKeepEachOthersChanges()
{
    // Two editors started from one hive; each changes one value and opens one file, then both
    // write everything they hold, one after the other.
    QVERIFY(runRegistrySequence(OpenMode::OpenCreating, [](SettingsKey& key) {
                writeFirstRunDefaults(key);
                key.writeString(Reg::mru(1), QStringLiteral("/old/first.txt"));
                key.writeString(Reg::mru(2), QStringLiteral("relative.txt")); // from an older hive
                key.writeString(Reg::mru(3), QStringLiteral("/old/second.txt"));
            }).completed());
    WindowWorker fontChanger(QStringLiteral("Fira Mono"), QStringLiteral("-"), QStringLiteral("/a/one.txt"));
    WindowWorker mover(QStringLiteral("-"), QStringLiteral("555"), QStringLiteral("/b/two.txt"));
    QVERIFY(fontChanger.hasRead());
    QVERIFY(mover.hasRead());
    QVERIFY(fontChanger.writeAndFinish());
    QVERIFY(mover.writeAndFinish());

    const QByteArray bytes = m_settings->hiveBytes();
    QCOMPARE(stringIn(bytes, Reg::MFontName), QStringLiteral("Fira Mono"));
    QCOMPARE(RegistryHive::parse(bytes).value(kKey, Reg::MTop)->data, regDword(555).data);
    QStringList files;
    for (int slot = 1; slot <= 5; ++slot)
        files << stringIn(bytes, Reg::mru(slot));
    QCOMPARE(files,
             QStringList({ QStringLiteral("/b/two.txt"), QStringLiteral("/a/one.txt"), QStringLiteral("/old/first.txt"),
                           QStringLiteral("/old/second.txt"), QString() }));

    // This process's own reading drops the relative entry too, and adding a listed entry moves nothing.
    QStringList read;
    QVERIFY(runRegistrySequence(OpenMode::OpenOnly, [&](SettingsKey& key) {
                read = readRecentList(key, &Reg::mru);
            }).completed());
    QCOMPARE(read.size(), 5);
    QVERIFY(!read.contains(QStringLiteral("relative.txt")));
    QVERIFY(runRegistrySequence(OpenMode::OpenCreating, [&](SettingsKey& key) {
                writeRecentLists(key, read, {});
            }).completed());
    QCOMPARE(m_settings->hiveBytes(), bytes);
}

void TestSettingsKey::hiveIsWrittenOnlyWhereItIsOurs()
{
    if (::geteuid() != 0 || !nobody())
        QSKIP("needs root, to give files to another user (nobody)");
    const QString hive = m_settings->hivePath();
    const QString folder = QFileInfo(hive).absolutePath();
    const QByteArray original = "REGEDIT4\n\n[HKEY_CURRENT_USER\\software\\Ambrel\\Pemmo]\n\"MTop\"=dword:00000064\n";
    QVERIFY(QDir().mkpath(folder));
    const QString target = m_settings->dir() + QLatin1String("/dotfiles/Pemmo.reg");
    QVERIFY(QDir().mkpath(QFileInfo(target).absolutePath()));
    const auto writeTarget = [&] {
        QFile file(target);
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(original);
    };
    const auto readTarget = [&] {
        QFile file(target);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    };
    const auto writeLeft = [] {
        return runRegistrySequence(OpenMode::OpenCreating, [](SettingsKey& key) { key.writeInteger(Reg::MLeft, 7); });
    };

    // A link to a file of our own (a dotfile manager's) is written through and stays a link.
    writeTarget();
    QVERIFY(QFile::link(target, hive));
    SequenceResult result = writeLeft();
    QVERIFY(result.completed());
    QVERIFY(result.notice.isEmpty());
    QVERIFY(QFileInfo(hive).isSymLink());
    QVERIFY(RegistryHive::parse(readTarget()).value(kKey, Reg::MLeft));

    // A link to another user's file: read, never written, and said once.
    writeTarget();
    giveToNobody(target);
    qint32 top = 0;
    result = runRegistrySequence(OpenMode::OpenCreating, [&](SettingsKey& key) {
        top = key.readInteger(Reg::MTop);
        key.writeInteger(Reg::MLeft, 7);
        key.deleteKeyTree();
    });
    QVERIFY(result.completed());
    QCOMPARE(top, 100);
    QVERIFY(result.notice.contains(target));
    QCOMPARE(readTarget(), original);
    QVERIFY(QFileInfo(hive).isSymLink());
    QVERIFY(writeLeft().notice.isEmpty()); // once is enough
    QCOMPARE(readTarget(), original);

    // A plain hive in a folder of another user's.
    QVERIFY(QFile::remove(hive));
    QVERIFY(QFile::remove(hive + QLatin1String(".lock")));
    m_settings->writeHive(original);
    giveToNobody(folder);
    QVERIFY(writeLeft().completed());
    QCOMPARE(m_settings->hiveBytes(), original);
    QVERIFY(!QFileInfo::exists(hive + QLatin1String(".lock")));

    // A hive file of another user's in our folder.
    QVERIFY(::chown(QFile::encodeName(folder).constData(), 0, 0) == 0);
    giveToNobody(hive);
    m_settings.reset();
    m_settings.emplace();
    QVERIFY(QDir().mkpath(QFileInfo(m_settings->hivePath()).absolutePath()));
    m_settings->writeHive(original);
    giveToNobody(m_settings->hivePath());
    result = writeLeft();
    QVERIFY(result.notice.contains(m_settings->hivePath()));
    QCOMPARE(m_settings->hiveBytes(), original);
}

void TestSettingsKey::unreadableHiveIsNeverReplaced()
{
    const QByteArray custom =
        "REGEDIT4\n\n[HKEY_CURRENT_USER\\software\\Ambrel\\Pemmo]\n\"MFontName\"=\"Custom Mono\"\n";
    // Too large to be settings: unreadable, and nothing is written over it.
    QByteArray huge = custom;
    huge += QByteArray(HiveStore::kMaxHiveBytes, '#');
    m_settings->writeHive(huge);
    SequenceResult result = runRegistrySequence(OpenMode::OpenOnly, [](SettingsKey&) {});
    QVERIFY(!result.opened);
    QVERIFY(result.unreadable);
    QVERIFY(result.notice.startsWith(kRegistryReadFailed));
    QVERIFY(!runRegistrySequence(OpenMode::OpenCreating, writeFirstRunDefaults).opened);
    QCOMPARE(QFileInfo(m_settings->hivePath()).size(), huge.size());

    // A hive its owner may not read (mode 0200). Root reads anything, so a plain user tries it.
    m_settings->writeHive(custom);
    QVERIFY(QFile::setPermissions(m_settings->hivePath(), QFileDevice::WriteOwner));
    QProcess starter;
    if (::geteuid() == 0) {
        QVERIFY2(nobody(), "the test needs the user nobody to run as a plain user");
        const QString setpriv = QStandardPaths::findExecutable(QStringLiteral("setpriv"));
        QVERIFY2(!setpriv.isEmpty(), "the test needs setpriv to run as a plain user");
        QVERIFY(
            QFile::setPermissions(m_settings->dir(), QFile::permissions(m_settings->dir()) | QFileDevice::ExeOther));
        giveToNobody(m_settings->dir() + QLatin1String("/config"));
        giveToNobody(QFileInfo(m_settings->hivePath()).absolutePath());
        giveToNobody(m_settings->hivePath());
        giveToNobody(m_settings->hivePath() + QLatin1String(".lock"));
        starter.start(setpriv,
                      { QStringLiteral("--reuid=nobody"), QStringLiteral("--regid=nogroup"),
                        QStringLiteral("--clear-groups"), QStringLiteral(PEMMO_TESTWORKER), QStringLiteral("start") });
    } else {
        starter.start(QStringLiteral(PEMMO_TESTWORKER), { QStringLiteral("start") });
    }
    QVERIFY(starter.waitForFinished(10000));
    QCOMPARE(starter.exitCode(), 0);
    const QStringList lines = QString::fromUtf8(starter.readAllStandardOutput()).split(u'\n');
    QCOMPARE(lines.value(0), QStringLiteral("unreadable"));
    QVERIFY(lines.value(1).startsWith(kRegistryReadFailed));
    QVERIFY(!lines.contains(QStringLiteral("written")));
    QVERIFY(QFile::setPermissions(m_settings->hivePath(), QFileDevice::ReadOwner | QFileDevice::WriteOwner));
    QCOMPARE(m_settings->hiveBytes(), custom);
}

void TestSettingsKey::staleTemporariesAreRemoved()
{
    QVERIFY(runRegistrySequence(OpenMode::OpenCreating, writeFirstRunDefaults).completed());
    const QString hive = m_settings->hivePath();
    const auto leave = [&](const QString& suffix, qint64 ageSeconds) {
        QFile file(hive + suffix);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("REGEDIT4\n");
        QVERIFY(file.flush());
        QVERIFY(file.setFileTime(QDateTime::currentDateTime().addSecs(-ageSeconds), QFileDevice::FileModificationTime));
    };
    leave(QStringLiteral(".aB3xYz"), 120); // left by a process killed two minutes ago
    leave(QStringLiteral(".Q9w8E7"), 5); // perhaps another process's commit under way
    leave(QStringLiteral(".backup"), 120); // a name a person would give: not ours
    QVERIFY(runRegistrySequence(OpenMode::OpenOnly, [](SettingsKey& key) { key.readInteger(Reg::MTop); }).completed());
    QVERIFY(QFileInfo::exists(hive + QLatin1String(".aB3xYz"))); // reading writes nothing, removes nothing
    QVERIFY(
        runRegistrySequence(OpenMode::OpenOnly, [](SettingsKey& key) { key.writeInteger(Reg::MTop, 1); }).completed());
    QVERIFY(!QFileInfo::exists(hive + QLatin1String(".aB3xYz")));
    QVERIFY(QFileInfo::exists(hive + QLatin1String(".Q9w8E7")));
    QVERIFY(QFileInfo::exists(hive + QLatin1String(".backup")));
    QVERIFY(QFileInfo::exists(hive + QLatin1String(".lock")));
}

QTEST_GUILESS_MAIN(TestSettingsKey)
#include "tst_settingskey.moc"
