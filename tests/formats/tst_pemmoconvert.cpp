// SPDX-License-Identifier: MIT
// pemmo-convert end to end: exit codes, one-line errors, OUT untouched on failure.
#include "formats/formattexts.h"
#include "formats/rtfreader.h"
#include "testpaths.h"

#include <QProcess>
#include <QStandardPaths>

#include <QTemporaryDir>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

class TestPemmoConvert final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void converts_data();
    void converts();
    void failuresLeaveOutput_data();
    void failuresLeaveOutput();
    void writesToStdout();
    void readsPipesAndRefusesSpecialTargets();
    void writesInPlaceIntoReadOnlyFolder();
    void unkeptFormattingNeedsAllowLoss();

private:
    struct Run
    {
        int exitCode = -1;
        QByteArray out;
        QByteArray err;
    };
    Run run(const QStringList& arguments);
    QString path(const QString& name) const { return m_dir->filePath(name); }
    void write(const QString& name, const QByteArray& bytes);

    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestPemmoConvert::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

TestPemmoConvert::Run TestPemmoConvert::run(const QStringList& arguments)
{
    QProcess process;
    process.start(QStringLiteral(PEMMO_CONVERT_PATH), arguments);
    Run result;
    if (!process.waitForFinished(60000))
        return result;
    result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -2;
    result.out = process.readAllStandardOutput();
    result.err = process.readAllStandardError();
    return result;
}

void TestPemmoConvert::write(const QString& name, const QByteArray& bytes)
{
    QFile file(path(name));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

void TestPemmoConvert::converts_data()
{
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QString>("outName");
    QTest::addColumn<QByteArray>("expected"); // empty: RTF expected
    const QByteArray cp932("\x93\xfa\x96\x7b\r\n");
    QTest::newRow("keeps cp932") << cp932 << QStringList() << "o.txt" << cp932;
    QTest::newRow("UTF-8") << cp932 << QStringList { "--encoding", "UTF-8" } << "o.txt" << QByteArray("日本\r\n");
    QTest::newRow("utf-8 lower case") << cp932 << QStringList { "--encoding", "utf-8" } << "o.txt"
                                      << QByteArray("日本\r\n");
    QTest::newRow("Shift_JIS") << QByteArray("日本\n") << QStringList { "--encoding", "Shift_JIS" } << "o.txt"
                               << QByteArray("\x93\xfa\x96\x7b\n");
    QTest::newRow("EUC-JP") << cp932 << QStringList { "--encoding=EUC-JP" } << "o.txt"
                            << QByteArray("\xc6\xfc\xcb\xdc\r\n");
    QTest::newRow("UTF-16LE") << cp932 << QStringList { "--encoding", "UTF-16LE" } << "o.txt"
                              << QByteArray("\xe5\x65\x2c\x67\r\0\n\0", 8);
    // A text without a final line break is written without one.
    QTest::newRow("CP932 from utf-8") << QByteArray("日本") << QStringList { "--encoding", "CP932" } << "o.txt"
                                      << QByteArray("\x93\xfa\x96\x7b");
    // Mozc's 〜 (U+301C) is Shift_JIS 0x8160, as on Windows: no question, exit 0.
    QTest::newRow("wave dash to CP932") << QByteArray("\xe3\x80\x9c\n") << QStringList { "--encoding", "CP932" }
                                        << "o.txt" << QByteArray("\x81\x60\n");
    // 「あ」 in EUC-JP is also valid CP932 and detected so; the input encoding reads it right.
    QTest::newRow("input EUC-JP") << QByteArray("\xa4\xa2\n")
                                  << QStringList { "--input-encoding", "EUC-JP", "--encoding", "UTF-8" } << "o.txt"
                                  << QByteArray("あ\n");
    QTest::newRow("input Big5 to CP932") << QByteArray("\xa4\xe9\xa5\xbb\r\n")
                                         << QStringList { "--input-encoding=Big5", "--encoding=CP932" } << "o.txt"
                                         << QByteArray("\x93\xfa\x96\x7b\r\n");
    QTest::newRow("input Windows-1252") << QByteArray("\x80 caf\xe9\n")
                                        << QStringList { "--input-encoding", "windows-1252", "--encoding", "UTF-8" }
                                        << "o.txt" << QByteArray("€ café\n");
    QTest::newRow("rtf by name any case") << cp932 << QStringList() << "o.RTF" << QByteArray();
    QTest::newRow("rtf to plain") << QByteArray("{\\rtf1\\ansi\\ansicpg932 \\'93\\'fa\\par\\b \\'96\\'7b}")
                                  << QStringList() << "o.txt" << QByteArray("\x93\xfa\r\n\x96\x7b\r\n");
}

void TestPemmoConvert::converts()
{
    QFETCH(QByteArray, input);
    QFETCH(QStringList, options);
    QFETCH(QString, outName);
    QFETCH(QByteArray, expected);
    write(QStringLiteral("in.txt"), input);
    const Run result = run(options + QStringList { path(QStringLiteral("in.txt")), path(outName) });
    QVERIFY2(result.exitCode == 0, result.err.constData());
    QVERIFY(result.err.isEmpty());
    const QByteArray written = readAllBytes(path(outName));
    if (expected.isEmpty()) {
        QVERIFY(pemmo::formats::looksLikeRtf(written));
        QVERIFY(written.contains("\\'93\\'fa\\'96\\'7b"));
    } else {
        QCOMPARE(written, expected);
    }
}

void TestPemmoConvert::failuresLeaveOutput_data()
{
    QTest::addColumn<QStringList>("arguments"); // IN, OUT are appended unless empty
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<int>("exitCode");
    QTest::newRow("missing input") << QStringList { "--in", "missing.txt" } << QByteArray() << 1;
    QTest::newRow("unknown encoding") << QStringList { "--encoding", "KOI8-Q" } << QByteArray("x") << 2;
    QTest::newRow("unencodable character") << QStringList { "--encoding", "CP932" } << QByteArray("€") << 3;
    QTest::newRow("lossy input") << QStringList() << QByteArray("abc\x82") << 3;
    QTest::newRow("unknown input encoding") << QStringList { "--input-encoding", "KOI8-Q" } << QByteArray("x") << 2;
    QTest::newRow("input encoding without name")
        << QStringList { "--only-in", "--input-encoding" } << QByteArray("x") << 2;
    // The wrong input encoding is not silent: the bytes that do not decode stop the conversion.
    QTest::newRow("wrong input encoding")
        << QStringList { "--input-encoding", "UTF-8" } << QByteArray("\x93\xfa\x96\x7b") << 3;
    QTest::newRow("too few arguments") << QStringList { "--only-in" } << QByteArray("x") << 2;
    QTest::newRow("unknown option") << QStringList { "--frobnicate" } << QByteArray("x") << 2;
}

void TestPemmoConvert::failuresLeaveOutput()
{
    QFETCH(QStringList, arguments);
    QFETCH(QByteArray, input);
    QFETCH(int, exitCode);
    write(QStringLiteral("in.txt"), input);
    write(QStringLiteral("out.txt"), "untouched");
    QStringList full;
    if (arguments.value(0) == QLatin1String("--in"))
        full = { path(arguments[1]), path(QStringLiteral("out.txt")) };
    else if (arguments.value(0) == QLatin1String("--only-in"))
        full = arguments.mid(1) + QStringList { path(QStringLiteral("in.txt")) };
    else
        full = arguments + QStringList { path(QStringLiteral("in.txt")), path(QStringLiteral("out.txt")) };
    const Run result = run(full);
    QCOMPARE(result.exitCode, exitCode);
    QCOMPARE(result.err.count('\n'), 1);
    QVERIFY(result.err.startsWith("pemmo-convert: "));
    QCOMPARE(readAllBytes(path(QStringLiteral("out.txt"))), QByteArray("untouched"));
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files | QDir::Hidden).size(), 2); // no temporary file left behind
}

void TestPemmoConvert::unkeptFormattingNeedsAllowLoss()
{
    write(QStringLiteral("in.rtf"),
          "{\\rtf1 a{\\pict\\wmetafile8 0100}b{\\field{\\*\\fldinst PAGE}{\\fldrslt 1}}\\par}");
    write(QStringLiteral("out.rtf"), "untouched");
    const QStringList files = { path(QStringLiteral("in.rtf")), path(QStringLiteral("out.rtf")) };
    const Run refused = run(files);
    QCOMPARE(refused.exitCode, 3);
    const QString message = QString::fromLocal8Bit(refused.err);
    QVERIFY2(message.contains(kUnkeptPicture) && message.contains(kUnkeptField), refused.err.constData());
    QCOMPARE(readAllBytes(path(QStringLiteral("out.rtf"))), QByteArray("untouched"));
    const Run allowed = run(QStringList { QStringLiteral("--allow-loss") } + files);
    QCOMPARE(allowed.exitCode, 0);
    QVERIFY(readAllBytes(path(QStringLiteral("out.rtf"))).contains("{ab1}"));
}

void TestPemmoConvert::writesToStdout()
{
    write(QStringLiteral("in.rtf"), "{\\rtf1 \\u26085?\\u26412?}");
    const Run result = run(
        { QStringLiteral("--encoding"), QStringLiteral("UTF-8"), path(QStringLiteral("in.rtf")), QStringLiteral("-") });
    QCOMPARE(result.exitCode, 0);
    QCOMPARE(result.out, QByteArray("日本\r\n"));
}

void TestPemmoConvert::readsPipesAndRefusesSpecialTargets()
{
    // printf 'x' | pemmo-convert /dev/stdin out.txt
    QProcess piped;
    piped.start(QStringLiteral(PEMMO_CONVERT_PATH), { QStringLiteral("/dev/stdin"), path(QStringLiteral("out.txt")) });
    QVERIFY(piped.waitForStarted());
    piped.write("x");
    piped.closeWriteChannel();
    QVERIFY(piped.waitForFinished(60000));
    QCOMPARE(piped.exitCode(), 0);
    QCOMPARE(readAllBytes(path(QStringLiteral("out.txt"))), QByteArray("x"));

    // A FIFO target, directly and through a link, stays a FIFO and nobody has to read it.
    write(QStringLiteral("in.txt"), "text");
    const QByteArray fifo = QFile::encodeName(path(QStringLiteral("out.fifo")));
    QCOMPARE(::mkfifo(fifo.constData(), 0600), 0);
    QVERIFY(QFile::link(path(QStringLiteral("out.fifo")), path(QStringLiteral("link.txt"))));
    for (const QString& target : { QStringLiteral("out.fifo"), QStringLiteral("link.txt") }) {
        const Run result = run({ path(QStringLiteral("in.txt")), path(target) });
        QCOMPARE(result.exitCode, 1);
        QVERIFY(QString::fromLocal8Bit(result.err).contains(QStringLiteral("通常のファイルではない")));
        struct stat info
        {
        };
        QCOMPARE(::lstat(fifo.constData(), &info), 0);
        QVERIFY(S_ISFIFO(info.st_mode));
    }
    QVERIFY(QFileInfo(path(QStringLiteral("link.txt"))).isSymLink());
}

void TestPemmoConvert::writesInPlaceIntoReadOnlyFolder()
{
    // A writable file in a folder its user may not change: the rename cannot happen, so the file is
    // written in place. Root may change any folder, so a plain user does the save.
    QVERIFY(QDir(m_dir->path()).mkdir(QStringLiteral("locked")));
    QVERIFY(QDir(m_dir->path()).mkdir(QStringLiteral("cache")));
    write(QStringLiteral("in.txt"), "new");
    write(QStringLiteral("locked/out.txt"), "old");
    const QString folder = path(QStringLiteral("locked"));
    QProcess saver;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_CACHE_HOME"), path(QStringLiteral("cache")));
    saver.setProcessEnvironment(environment);
    const QStringList arguments { path(QStringLiteral("in.txt")), path(QStringLiteral("locked/out.txt")) };
    if (::geteuid() == 0) {
        struct passwd* nobody = ::getpwnam("nobody");
        QVERIFY2(nobody, "the test needs the user nobody to run as a plain user");
        const QString setpriv = QStandardPaths::findExecutable(QStringLiteral("setpriv"));
        QVERIFY2(!setpriv.isEmpty(), "the test needs setpriv to run as a plain user");
        QVERIFY(::chmod(QFile::encodeName(m_dir->path()).constData(), 0755) == 0);
        for (const QString& name :
             { QStringLiteral("in.txt"), QStringLiteral("locked/out.txt"), QStringLiteral("cache") })
            QVERIFY(::chown(QFile::encodeName(path(name)).constData(), nobody->pw_uid, nobody->pw_gid) == 0);
        QVERIFY(::chmod(QFile::encodeName(folder).constData(), 0755) == 0); // root's, read-only to nobody
        saver.start(setpriv,
                    QStringList { QStringLiteral("--reuid=nobody"), QStringLiteral("--regid=nogroup"),
                                  QStringLiteral("--clear-groups"), QStringLiteral(PEMMO_CONVERT_PATH) } +
                        arguments);
    } else {
        QVERIFY(::chmod(QFile::encodeName(folder).constData(), 0555) == 0);
        saver.start(QStringLiteral(PEMMO_CONVERT_PATH), arguments);
    }
    QVERIFY(saver.waitForFinished(60000));
    ::chmod(QFile::encodeName(folder).constData(), 0755);
    QCOMPARE(saver.exitCode(), 0);
    QCOMPARE(readAllBytes(path(QStringLiteral("locked/out.txt"))), QByteArray("new"));
    QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden), QStringList { QStringLiteral("out.txt") });
    QVERIFY(QDir(path(QStringLiteral("cache/pemmo"))).isEmpty()); // the copy went once the save succeeded
}

QTEST_GUILESS_MAIN(TestPemmoConvert)
#include "tst_pemmoconvert.moc"
