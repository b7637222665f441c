// SPDX-License-Identifier: MIT
// Saves under faults: a full disk (a small tmpfs) for pemmo-convert, the editor's Ctrl+S and the
// settings hive, and kill -9 in the middle of in-place saves of a 100 MB file. No failure may pass
// for a success, and no file may be left torn without its old content kept.
#include "../window/mainformfixture.h"
#include "formats/filewriter.h"
#include "formats/formattexts.h"

#include <QAction>
#include <QApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <sys/mount.h>
#include <unistd.h>

using namespace pemmo::formats;

namespace {

QByteArray bytesOf(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

void writeBytes(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(bytes), bytes.size());
}

// Text of @p size bytes in lines of ASCII, each line saying where it is.
QByteArray text(qsizetype size, char letter)
{
    QByteArray bytes;
    bytes.reserve(size + 80);
    while (bytes.size() < size)
        bytes += QByteArray(60, letter) + ' ' + QByteArray::number(bytes.size()) + "\r\n";
    bytes.truncate(size);
    // A save of text keeps its final line break; end on one so that the oracle is the input itself.
    if (size >= 2)
        bytes.replace(size - 2, 2, "\r\n");
    return bytes;
}

QByteArray hashOf(const QString& path)
{
    QFile file(path);
    QCryptographicHash hash(QCryptographicHash::Sha1);
    if (!file.open(QIODevice::ReadOnly) || !hash.addData(&file))
        return {};
    return hash.result();
}

/** A tmpfs of a given size, mounted for the life of the object (root only). */
class SmallDisk final
{
public:
    explicit SmallDisk(qint64 bytes)
    {
        const QByteArray point = QFile::encodeName(m_dir.path());
        const QByteArray options = "size=" + QByteArray::number(bytes) + ",mode=0755";
        m_mounted = ::mount("tmpfs", point.constData(), "tmpfs", 0, options.constData()) == 0;
    }
    ~SmallDisk()
    {
        if (m_mounted)
            ::umount2(QFile::encodeName(m_dir.path()).constData(), MNT_DETACH);
    }
    SmallDisk(const SmallDisk&) = delete;
    SmallDisk& operator=(const SmallDisk&) = delete;

    bool mounted() const { return m_mounted; }
    QString path(const QString& name) const { return m_dir.filePath(name); }
    /** Fills the disk, then frees @p pages pages of it again. */
    void leaveFree(int pages) const
    {
        QFile::remove(path(QStringLiteral("filler")));
        QFile filler(path(QStringLiteral("filler")));
        if (!filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
            return;
        const QByteArray page(4096, 'f');
        while (filler.write(page) == page.size()) { }
        filler.close();
        filler.resize(qMax<qint64>(0, filler.size() - qint64(pages) * 4096));
    }

private:
    QTemporaryDir m_dir;
    bool m_mounted = false;
};

} // namespace

class TestSaveFaults final : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void fullDiskNeverPassesForSuccess();
    void fullDiskLeavesTheHive();
    void killedInPlaceSavesLoseNothing();
    void anotherUsersHomeIsLeftAlone();

private:
    struct Case
    {
        qsizetype size;
        int freePages;
    };
    static QList<Case> matrix();
};

void TestSaveFaults::initTestCase()
{
    if (::geteuid() != 0)
        QSKIP("mounting a small disk needs root; CI runs as root");
}

QList<TestSaveFaults::Case> TestSaveFaults::matrix()
{
    QList<Case> cases;
    for (const qsizetype size : { 10, 4095, 4096, 4097, 8192, 12289, 16384, 16385, 40000, 150000 }) {
        for (const int pages : { 0, 1, 2, 3, 4, 5, 12, 40 })
            cases.append({ size, pages });
    }
    return cases;
}

void TestSaveFaults::fullDiskNeverPassesForSuccess()
{
    const QByteArray old = text(5000, 'o');
    int silentLosses = 0;
    int saved = 0;
    int refused = 0;
    const auto judge = [&](const QString& where, const QByteArray& expected, const QByteArray& onDisk,
                           bool reportedSuccess, const QString& said) {
        if (reportedSuccess && onDisk == expected) {
            ++saved;
        } else if (!reportedSuccess && onDisk == old && said.contains(kBecauseNoSpace)) {
            ++refused;
        } else {
            ++silentLosses;
            qWarning("%s: %s, %lld bytes on disk", qPrintable(where), reportedSuccess ? "success" : "failure",
                     qlonglong(onDisk.size()));
        }
    };

    // pemmo-convert, the library's own command.
    for (const Case& c : matrix()) {
        SmallDisk disk(256 * 1024);
        QVERIFY2(disk.mounted(), "mount -t tmpfs failed");
        const QString target = disk.path(QStringLiteral("target.txt"));
        writeBytes(target, old);
        const QByteArray wanted = text(c.size, 'n');
        QTemporaryDir inputs;
        const QString input = inputs.filePath(QStringLiteral("in.txt"));
        writeBytes(input, wanted);
        disk.leaveFree(c.freePages);
        QProcess convert;
        convert.start(QStringLiteral(PEMMO_CONVERT), { input, target });
        QVERIFY(convert.waitForFinished(60000));
        judge(QStringLiteral("pemmo-convert %1 bytes, %2 pages free").arg(c.size).arg(c.freePages), wanted,
              bytesOf(target), convert.exitCode() == 0, QString::fromUtf8(convert.readAllStandardError()));
    }

    // The editor window's Ctrl+S.
    for (const Case& c : matrix()) {
        SmallDisk disk(256 * 1024);
        const QString target = disk.path(QStringLiteral("target.txt"));
        writeBytes(target, old);
        MainFormFixture f;
        f.writeValues(MainFormFixture::firstRunValues());
        TMainForm& form = f.createForm({ target });
        form.show();
        QApplication::setActiveWindow(&form);
        const QByteArray wanted = text(c.size, 'n');
        f.editor()->selectAll();
        f.editor()->replaceSelection(QString::fromLatin1(wanted.chopped(2)).replace(QLatin1String("\r\n"), "\n"));
        disk.leaveFree(c.freePages);
        QTest::keyClick(f.editorView(), Qt::Key_S, Qt::ControlModifier);
        const bool success = f.dialogs.messages.isEmpty() && !f.editor()->isModified();
        QCOMPARE(f.editor()->isModified(), !success); // the * stays exactly when nothing was saved
        judge(QStringLiteral("editor %1 bytes, %2 pages free").arg(c.size).arg(c.freePages), wanted, bytesOf(target),
              success, f.dialogs.messages.value(0));
        f.editor()->setModified(false); // no question at close
    }
    qInfo("full disk: %d saved, %d refused with the old file kept, %d silent losses", saved, refused, silentLosses);
    QCOMPARE(silentLosses, 0);
    QVERIFY(saved > 0 && refused > 0);
}

void TestSaveFaults::fullDiskLeavesTheHive()
{
    SmallDisk disk(256 * 1024);
    QVERIFY2(disk.mounted(), "mount -t tmpfs failed");
    MainFormFixture f;
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(disk.path(QStringLiteral("config"))));
    // Recent files long enough that a rewritten hive needs more than the page it has now.
    auto values = MainFormFixture::firstRunValues();
    for (int i = 1; i <= 5; ++i)
        values = MainFormFixture::with(values, QStringLiteral("MRU%1").arg(i), QString(700, QChar(u'あ' + i)));
    f.writeValues(values);
    const QByteArray before = bytesOf(f.settings.hivePath());
    QVERIFY(before.size() > 4096);
    const QString document = f.writeFile(QStringLiteral("doc.txt"), "text\r\n");
    disk.leaveFree(0);
    {
        TMainForm& form = f.createForm({ document });
        form.show();
        form.close();
    }
    f.form.reset();
    const QByteArray after = bytesOf(f.settings.hivePath());
    // Either the old hive or a whole new one: never a shortened one.
    QVERIFY2(after == before || (after.startsWith("REGEDIT4") && after.size() >= before.size()),
             qPrintable(QStringLiteral("hive of %1 bytes became %2").arg(before.size()).arg(after.size())));
    qunsetenv("XDG_CONFIG_HOME");
}

void TestSaveFaults::killedInPlaceSavesLoseNothing()
{
    QTemporaryDir dir;
    const QString target = dir.filePath(QStringLiteral("big.txt"));
    const QString otherName = dir.filePath(QStringLiteral("big-link.txt"));
    const QString input = dir.filePath(QStringLiteral("new.txt"));
    const QByteArray oldBytes = text(60 * 1000 * 1000, 'o');
    writeBytes(target, oldBytes);
    writeBytes(input, text(50 * 1000 * 1000, 'n'));
    QVERIFY(::link(QFile::encodeName(target).constData(), QFile::encodeName(otherName).constData()) == 0);
    const QByteArray oldHash = hashOf(target);
    const QByteArray newHash = hashOf(input);
    const QString cache = dir.filePath(QStringLiteral("cache"));
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_CACHE_HOME"), cache);
    qputenv("XDG_CACHE_HOME", QFile::encodeName(cache));

    // The writing begins when the copy of the old content appears; until then the file is not
    // touched. A kill is sent at a random moment of the writing, as long as it took once here.
    const QDir backups(cache + QLatin1String("/pemmo"));
    const auto startAndWaitForWriting = [&](QProcess& convert) {
        convert.setProcessEnvironment(environment);
        convert.start(QStringLiteral(PEMMO_CONVERT), { input, target });
        while (convert.state() != QProcess::NotRunning &&
               backups.entryList({ QStringLiteral("backup-*") }, QDir::Files).isEmpty())
            convert.waitForFinished(2);
    };
    QElapsedTimer clock;
    QProcess first;
    startAndWaitForWriting(first);
    clock.start();
    QVERIFY(first.waitForFinished(120000));
    const qint64 wholeSave = clock.elapsed();
    QCOMPARE(first.exitCode(), 0);
    QCOMPARE(hashOf(otherName), newHash);

    const quint32 seed = QRandomGenerator::global()->generate();
    QRandomGenerator random(seed);
    // Enough kills to land in each phase of the writing (copy, write, truncate) several times.
    constexpr int kRuns = 24;
    int whole = 0;
    int offered = 0;
    for (int run = 0; run < kRuns; ++run) {
        // Each run starts from the old content, written in place so that both names keep it.
        QFile reset(target);
        QVERIFY(reset.open(QIODevice::ReadWrite));
        QCOMPARE(reset.write(oldBytes), oldBytes.size());
        QVERIFY(reset.resize(oldBytes.size()));
        reset.close();
        QProcess convert;
        startAndWaitForWriting(convert);
        QTest::qWait(int(random.bounded(wholeSave + 1)));
        // A process that has already ended has no id: kill(0) would hit this test's own group.
        if (const qint64 pid = convert.processId(); pid > 0)
            ::kill(pid_t(pid), SIGKILL);
        convert.waitForFinished();

        const QByteArray found = hashOf(target);
        QCOMPARE(hashOf(otherName), found);
        const QList<PendingBackup> backups = pendingBackups();
        if (found == oldHash || found == newHash) {
            ++whole;
        } else {
            // Torn: the old content must be waiting, whole, to be offered back.
            QVERIFY2(backups.size() == 1, qPrintable(QStringLiteral("run %1, seed %2").arg(run).arg(seed)));
            QCOMPARE(backups[0].originalPath, target);
            QCOMPARE(hashOf(backups[0].backupPath), oldHash);
            ++offered;
        }
        for (const PendingBackup& backup : backups)
            removeBackup(backup.backupPath);
    }
    qInfo("kill -9 during %d in-place saves of 60 MB (writing takes %lld ms, seed %u): %d left the file whole, "
          "%d left it torn with the old content offered back",
          kRuns, qlonglong(wholeSave), seed, whole, offered);
    qunsetenv("XDG_CACHE_HOME");
}

void TestSaveFaults::anotherUsersHomeIsLeftAlone()
{
    // Root started with another user's environment (sudo -E): it must make nothing of root's in
    // their home, where their own programs could then no longer write.
    QTemporaryDir home;
    QVERIFY(::chown(QFile::encodeName(home.path()).constData(), 65534, 65534) == 0);
    const QString document = home.filePath(QStringLiteral("notes.txt"));
    writeBytes(document, "text\r\n");
    QVERIFY(::chown(QFile::encodeName(document).constData(), 65534, 65534) == 0);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name : { "XDG_CONFIG_HOME", "XDG_CACHE_HOME", "XDG_STATE_HOME", "XDG_RUNTIME_DIR" })
        environment.remove(QLatin1String(name));
    environment.insert(QStringLiteral("HOME"), home.path());
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    QProcess editor;
    editor.setProcessEnvironment(environment);
    editor.start(QStringLiteral(PEMMO_BINARY), { QStringLiteral("--editor"), document });
    QVERIFY(editor.waitForStarted());
    QTest::qWait(3000);
    editor.kill();
    editor.waitForFinished();
    QCOMPARE(QDir(home.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
             QStringList { QStringLiteral("notes.txt") });
}

QTEST_MAIN(TestSaveFaults)
#include "tst_savefaults.moc"
