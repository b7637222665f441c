// SPDX-License-Identifier: MIT
// The Grep engine on a tree of CP932, EUC-JP, UTF-8 and UTF-16 files, against GNU grep on a
// UTF-8 copy of the same tree, and pemmo-grep's output and exit codes.
#include "grep/grepengine.h"
#include "grep/grepresult.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

#include <atomic>
#include <sys/stat.h>

using namespace pemmo::grep;
using pemmo::formats::Encoding;

namespace {

const QString kData = QStringLiteral(PEMMO_GREP_TESTDATA);

QByteArray readSource(const QString& name)
{
    QFile file(kData + u'/' + name);
    if (!file.open(QIODevice::ReadOnly))
        qFatal("missing test data %s", qPrintable(file.fileName()));
    return file.readAll();
}

// glibc iconv, as the data's README says; "UTF-16" writes a BOM.
QByteArray iconv(const QByteArray& utf8, const char* to)
{
    QProcess process;
    process.start(QStringLiteral("iconv"),
                  { QStringLiteral("-f"), QStringLiteral("UTF-8"), QStringLiteral("-t"), QString::fromLatin1(to) });
    process.write(utf8);
    process.closeWriteChannel();
    if (!process.waitForFinished(30000) || process.exitCode() != 0)
        qFatal("iconv to %s failed", to);
    return process.readAllStandardOutput();
}

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(unreadable)");
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
}

// A file longer than the engine reads at once, so its slices meet inside it.
QByteArray largeText()
{
    QByteArray text;
    for (int i = 1; i <= 150000; ++i) {
        text += "これは大きなファイルの" + QByteArray::number(i) + "行目です。";
        if (i % 997 == 0)
            text += "東京タワー main";
        text += '\n';
    }
    return text;
}

struct Tree
{
    QString path;
    const char* encoding;
    bool crlf = false;
};

// Where each source goes, in which encoding; the UTF-8 copy has the same names.
struct Placed
{
    const char* source;
    const char* target;
    const char* encoding; // nullptr: UTF-8 as it is
    bool crlf;
};
const Placed kPlaced[] = {
    { "memo.txt", "cp932/memo.txt", "CP932", true },
    { "source.c", "cp932/source.c", "CP932", true },
    { "poem.txt", "eucjp/poem.txt", "EUC-JP", false },
    { "katakana.txt", "eucjp/katakana.txt", "EUC-JP", false },
    { "memo.txt", "utf8/memo.txt", nullptr, false },
    { "utf8only.txt", "utf8/utf8only.txt", nullptr, false },
    { "katakana.txt", "utf16/katakana.txt", "UTF-16", false },
    { "utf8only.txt", "utf16/utf8only.txt", "UTF-16", true },
    { "memo.txt", ".git/memo.txt", nullptr, false },
    { "source.c", "sub/.svn/source.c", nullptr, false },
};

using Hit = QString; // "relative path:line:text"

} // namespace

class TestGrepEngine : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void matchesGrepOnUtf8Copy_data();
    void matchesGrepOnUtf8Copy();
    void columnsCountCharacters();
    void cancelStopsHandingOnResults();
    void commandLine_data();
    void commandLine();
    void commandLineReplace();
    void resultLineReadsBack();

private:
    QTemporaryDir m_dir;
    QString m_mixed;
    QString m_utf8;
    QHash<QString, QString> m_labels; // relative path -> expected encoding label
};

void TestGrepEngine::initTestCase()
{
    QVERIFY(m_dir.isValid());
    m_mixed = m_dir.filePath(QStringLiteral("mixed"));
    m_utf8 = m_dir.filePath(QStringLiteral("utf8copy"));
    for (const Placed& placed : kPlaced) {
        const QByteArray utf8 = readSource(QString::fromLatin1(placed.source));
        // The copy keeps LF: grep's lines would end in CR, the editor's do not.
        QByteArray text = utf8;
        if (placed.crlf)
            text.replace("\n", "\r\n");
        const QByteArray bytes = placed.encoding ? iconv(text, placed.encoding) : text;
        writeFile(m_mixed + u'/' + QLatin1String(placed.target), bytes);
        writeFile(m_utf8 + u'/' + QLatin1String(placed.target), utf8);
    }
    // Enough files that the engine passes over those whose bytes cannot hold the pattern.
    const char* const fillerSources[] = { "memo.txt", "poem.txt", "katakana.txt", "source.c", "memo.txt" };
    const char* const fillerEncodings[] = { "CP932", "EUC-JP", nullptr, "UTF-16" };
    for (int i = 0; i < 240; ++i) {
        const QByteArray utf8 = readSource(QString::fromLatin1(fillerSources[i % 5]));
        const char* encoding = fillerEncodings[i % 4];
        const QString name = QStringLiteral("/filler/%1.txt").arg(i);
        writeFile(m_mixed + name, encoding ? iconv(utf8, encoding) : utf8);
        writeFile(m_utf8 + name, utf8);
    }
    const QByteArray large = largeText();
    writeFile(m_mixed + QStringLiteral("/big/large-cp932.txt"), iconv(large, "CP932"));
    writeFile(m_mixed + QStringLiteral("/big/large-utf16.txt"), iconv(large, "UTF-16"));
    writeFile(m_utf8 + QStringLiteral("/big/large-cp932.txt"), large);
    writeFile(m_utf8 + QStringLiteral("/big/large-utf16.txt"), large);
    QVERIFY(QFileInfo(m_mixed + QStringLiteral("/big/large-cp932.txt")).size() > 4 * 1024 * 1024);
    // Bytes that only a reading finds: CP932's IBM codes for ∵ and Ⅰ (iconv writes the NEC ones),
    // and UTF-16 with a mark but no NUL byte.
    const QByteArray twins = QStringLiteral("なぜなら∵Ⅰ章にある。\n").toUtf8();
    QByteArray ibmCodes = iconv(twins, "CP932");
    QVERIFY(ibmCodes.contains("\x81\xE6\x87\x54"));
    ibmCodes.replace("\x81\xE6\x87\x54", "\xFA\x5B\xFA\x4A");
    writeFile(m_mixed + QStringLiteral("/twins/ibm-codes.txt"), ibmCodes);
    writeFile(m_utf8 + QStringLiteral("/twins/ibm-codes.txt"), twins);
    const QByteArray kanjiOnly = QStringLiteral("東京駅").toUtf8();
    writeFile(m_mixed + QStringLiteral("/twins/kanji-utf16be.txt"), "\xFE\xFF" + iconv(kanjiOnly, "UTF-16BE"));
    writeFile(m_utf8 + QStringLiteral("/twins/kanji-utf16be.txt"), kanjiOnly);
    // Where bytes alone would mislead: 東京's CP932 bytes run across ％結曄; lines that end in a
    // lone CR before the matches; a FIFO, which a read would wait on for ever.
    const QByteArray straddling = QStringLiteral("価格は％結曄です。\n東京は首都。\n").toUtf8();
    writeFile(m_mixed + QStringLiteral("/edges/straddle.txt"), iconv(straddling, "CP932"));
    writeFile(m_utf8 + QStringLiteral("/edges/straddle.txt"), straddling);
    const QByteArray crLines = QStringLiteral("一行目\n二行目\n東京の三行目\n四行目\n五行目は東京\n").toUtf8();
    writeFile(m_mixed + QStringLiteral("/edges/cr-lines.txt"), iconv(crLines, "EUC-JP").replace('\n', '\r'));
    writeFile(m_utf8 + QStringLiteral("/edges/cr-lines.txt"), crLines);
    for (const QString& tree : { m_mixed, m_utf8 })
        QCOMPARE(::mkfifo(QFile::encodeName(tree + QStringLiteral("/edges/waiting.fifo")).constData(), 0600), 0);
    // NUL bytes around the pattern: not a text file, in neither tree.
    const QByteArray binary = QByteArray("\x7f"
                                         "ELF\0\0\0",
                                         7) +
        "東京" + QByteArray(64, '\0');
    writeFile(m_mixed + QStringLiteral("/binary.dat"), binary);
    writeFile(m_utf8 + QStringLiteral("/binary.dat"), binary);
    m_labels = {
        { QStringLiteral("cp932"), QStringLiteral("Shift_JIS (CP932)") },
        { QStringLiteral("eucjp"), QStringLiteral("EUC-JP") },
        { QStringLiteral("utf8"), QStringLiteral("UTF-8") },
        { QStringLiteral("utf16"), QStringLiteral("UTF-16LE BOM") },
    };
}

void TestGrepEngine::matchesGrepOnUtf8Copy_data()
{
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QStringList>("grepFlags"); // the same conditions for GNU grep
    QTest::addColumn<bool>("regex");
    QTest::addColumn<bool>("caseSensitive");
    QTest::addColumn<bool>("wholeWord");
    QTest::addColumn<QString>("mask");

    const QStringList fixed { QStringLiteral("-F") };
    QTest::newRow("kanji, also in the large files")
        << QStringLiteral("東京") << fixed << false << true << false << QString();
    QTest::newRow("ASCII, case kept") << QStringLiteral("deadline") << fixed << false << true << false << QString();
    QTest::newRow("ASCII, case ignored") << QStringLiteral("deadline")
                                         << QStringList { QStringLiteral("-F"), QStringLiteral("-i") } << false << false
                                         << false << QString();
    QTest::newRow("whole word") << QStringLiteral("main") << QStringList { QStringLiteral("-F"), QStringLiteral("-w") }
                                << false << true << true << QString();
    QTest::newRow("regex metacharacters taken literally")
        << QStringLiteral("\"%s\\n\"") << fixed << false << true << false << QString();
    QTest::newRow("a character with two codes")
        << QStringLiteral("∵Ⅰ章") << fixed << false << true << false << QString();
    QTest::newRow("half-width katakana") << QStringLiteral("ﾊﾝｶｸ") << fixed << false << true << false << QString();
    QTest::newRow("outside the BMP") << QStringLiteral("𠮷野家") << fixed << false << true << false << QString();
    QTest::newRow("regex: a run of kanji")
        << QStringLiteral("\\p{Han}{3,}") << QStringList { QStringLiteral("-P") } << true << true << false << QString();
    QTest::newRow("regex: line start") << QStringLiteral("^(春|夏|秋|冬)は") << QStringList { QStringLiteral("-E") }
                                       << true << true << false << QString();
    QTest::newRow("regex: line end") << QStringLiteral("ます。$") << QStringList { QStringLiteral("-E") } << true
                                     << true << false << QString();
    QTest::newRow("mask with an exclusion")
        << QStringLiteral("東京")
        << QStringList { QStringLiteral("-F"), QStringLiteral("--include=*.txt"), QStringLiteral("--exclude=memo*") }
        << false << true << false << QStringLiteral("*.txt;!memo*");
}

void TestGrepEngine::matchesGrepOnUtf8Copy()
{
    QFETCH(QString, pattern);
    QFETCH(QStringList, grepFlags);
    QFETCH(bool, regex);
    QFETCH(bool, caseSensitive);
    QFETCH(bool, wholeWord);
    QFETCH(QString, mask);

    QProcess grep;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
    grep.setProcessEnvironment(environment);
    grep.setWorkingDirectory(m_utf8);
    grep.start(QStringLiteral("grep"),
               QStringList { QStringLiteral("-rnI"), QStringLiteral("--exclude-dir=.git"),
                             QStringLiteral("--exclude-dir=.svn") } +
                   grepFlags + QStringList { QStringLiteral("-e"), pattern, QStringLiteral(".") });
    QVERIFY(grep.waitForFinished(60000));
    QSet<Hit> expected;
    for (const QByteArray& line : grep.readAllStandardOutput().split('\n')) {
        if (line.isEmpty())
            continue;
        expected.insert(QString::fromUtf8(line).mid(2)); // "./"
    }
    QVERIFY2(!expected.isEmpty(), "the row should find something");

    GrepConditions conditions;
    conditions.pattern = pattern;
    conditions.paths = { m_mixed };
    conditions.regex = regex;
    conditions.caseSensitive = caseSensitive;
    conditions.wholeWord = wholeWord;
    conditions.fileMask = mask;
    struct Collector final : GrepReceiver
    {
        QString root;
        QSet<Hit> hits;
        QStringList wrongLabels;
        QHash<QString, QString> labels;
        int lastIndex = -1;
        bool inOrder = true;
        void listed(int) override { }
        void fileDone(int index, const GrepFileResult& result) override
        {
            inOrder = inOrder && index == lastIndex + 1;
            lastIndex = index;
            const QString relative = result.path.mid(root.size() + 1);
            const QString label = labels.value(relative.section(u'/', 0, 0));
            for (const GrepMatch& match : result.matches) {
                hits.insert(relative + u':' + QString::number(match.line) + u':' + match.text);
                if (!label.isEmpty() && pemmo::formats::encodingLabel(result.format) != label)
                    wrongLabels.append(relative);
            }
        }
    } collector;
    collector.root = m_mixed;
    collector.labels = m_labels;
    const std::atomic_bool cancel { false };
    const GrepSummary summary = runGrep(conditions, collector, cancel);

    QVERIFY(summary.errors.isEmpty());
    QCOMPARE(summary.unreadableFiles, 0);
    QVERIFY(collector.inOrder);
    QVERIFY2(collector.wrongLabels.isEmpty(), qPrintable(collector.wrongLabels.join(u' ')));
    const QSet<Hit> missing = expected - collector.hits;
    const QSet<Hit> extra = collector.hits - expected;
    QVERIFY2(missing.isEmpty(), qPrintable(QStringLiteral("missing: ") + QStringList(missing.values()).join(u'\n')));
    QVERIFY2(extra.isEmpty(), qPrintable(QStringLiteral("extra: ") + QStringList(extra.values()).join(u'\n')));
    QCOMPARE(summary.matches, qint64(expected.size()));
}

void TestGrepEngine::columnsCountCharacters()
{
    // 𠮷 is two UTF-16 units but one character; the editor's jump takes characters.
    GrepConditions conditions;
    conditions.pattern = QStringLiteral("牛丼");
    const CompiledPattern compiled = compileGrepPattern(conditions);
    QVERIFY(compiled.error.isEmpty());
    const QList<GrepMatch> matches = searchLines(QStringLiteral("一行目\n𠮷野家の牛丼\n牛丼"), compiled.expression, 10);
    QCOMPARE(matches.size(), 2);
    QCOMPARE(matches[0].line, 11);
    QCOMPARE(matches[0].column, 5);
    QCOMPARE(matches[0].length, 2);
    QCOMPARE(matches[1].line, 12);
    QCOMPARE(matches[1].column, 1);
}

void TestGrepEngine::cancelStopsHandingOnResults()
{
    GrepConditions conditions;
    conditions.pattern = QStringLiteral("東京");
    conditions.paths = { m_mixed };
    struct Canceller final : GrepReceiver
    {
        std::atomic_bool* cancel = nullptr;
        int listedFiles = 0;
        int done = 0;
        void listed(int count) override { listedFiles = count; }
        void fileDone(int, const GrepFileResult&) override
        {
            ++done;
            *cancel = true;
        }
    } canceller;
    std::atomic_bool cancel { false };
    canceller.cancel = &cancel;
    const GrepSummary summary = runGrep(conditions, canceller, cancel);
    QVERIFY(summary.cancelled);
    QVERIFY(canceller.listedFiles > 2);
    QCOMPARE(canceller.done, 1);
}

void TestGrepEngine::commandLine_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("firstLine"); // "%1" is the mixed tree

    QTest::newRow("found, CP932 file") << QStringList { QStringLiteral("-r"), QStringLiteral("--include=*.c"),
                                                        QStringLiteral("東京"), QStringLiteral("%1") }
                                       << 0
                                       << QStringLiteral("%1/cp932/source.c(7,33) [Shift_JIS (CP932)]: "
                                                         "    printf(\"%s\\n\", message); /* 東京 */");
    QTest::newRow("one encoding for every file")
        << QStringList { QStringLiteral("--encoding=EUC-JP"), QStringLiteral("夏は"),
                         QStringLiteral("%1/eucjp/poem.txt") }
        << 0 << QStringLiteral("%1/eucjp/poem.txt(3,1) [EUC-JP]: 夏は夜。月のころはさらなり。");
    QTest::newRow("nothing found") << QStringList { QStringLiteral("-r"), QStringLiteral("存在しない"),
                                                    QStringLiteral("%1") }
                                   << 1 << QString();
    QTest::newRow("bad regex") << QStringList { QStringLiteral("-E"), QStringLiteral("(東京"), QStringLiteral("%1") }
                               << 2 << QString();
    QTest::newRow("missing path") << QStringList { QStringLiteral("東京"), QStringLiteral("%1/nothing-here") } << 2
                                  << QString();
    QTest::newRow("folder without -r") << QStringList { QStringLiteral("東京"), QStringLiteral("%1") } << 2
                                       << QString();
}

void TestGrepEngine::commandLine()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, exitCode);
    QFETCH(QString, firstLine);
    for (QString& argument : arguments)
        argument.replace(QStringLiteral("%1"), m_mixed);
    QProcess process;
    process.start(QStringLiteral(PEMMO_GREP_PATH), arguments);
    QVERIFY(process.waitForFinished(60000));
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(process.exitCode(), exitCode);
    const QString out = QString::fromUtf8(process.readAllStandardOutput());
    if (firstLine.isEmpty())
        QCOMPARE(out, QString());
    else
        QCOMPARE(out.section(u'\n', 0, 0), firstLine.arg(m_mixed));
    if (exitCode == 2)
        QVERIFY(!process.readAllStandardError().isEmpty());
}

void TestGrepEngine::commandLineReplace()
{
    // Each file written back in its own encoding, BOM and line breaks; one its encoding cannot
    // take the replacement in is left alone and named, and the exit code says so.
    QTemporaryDir dir;
    const QString root = dir.path();
    const QByteArray cp932 = iconv("一行目\r\n会議は東京で\r\n", "CP932");
    const QByteArray utf16 = iconv("東京と東京\n", "UTF-16");
    const QByteArray untouched = "nothing here\n";
    writeFile(root + QStringLiteral("/a.txt"), cp932);
    writeFile(root + QStringLiteral("/sub/b.txt"), utf16);
    writeFile(root + QStringLiteral("/c.txt"), untouched);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_STATE_HOME"), root + QStringLiteral("/.state"));
    const auto run = [&](const QString& replacement) {
        QProcess process;
        process.setProcessEnvironment(environment);
        process.start(QStringLiteral(PEMMO_GREP_PATH),
                      { QStringLiteral("-r"), QStringLiteral("--include=*.txt"), QStringLiteral("--replace"),
                        replacement, QStringLiteral("東京"), root });
        if (!process.waitForFinished(60000))
            return -1;
        return process.exitCode();
    };
    QCOMPARE(run(QStringLiteral("大阪")), 0);
    QCOMPARE(readAll(root + QStringLiteral("/a.txt")), iconv("一行目\r\n会議は大阪で\r\n", "CP932"));
    QCOMPARE(readAll(root + QStringLiteral("/sub/b.txt")), iconv("大阪と大阪\n", "UTF-16"));
    QCOMPARE(readAll(root + QStringLiteral("/c.txt")), untouched);
    QCOMPARE(run(QStringLiteral("x")), 1); // nothing left to replace
    writeFile(root + QStringLiteral("/a.txt"), cp932);
    writeFile(root + QStringLiteral("/sub/b.txt"), utf16);
    QCOMPARE(run(QStringLiteral("𠮷")), 2);
    QCOMPARE(readAll(root + QStringLiteral("/a.txt")), cp932);
    QCOMPARE(readAll(root + QStringLiteral("/sub/b.txt")), iconv("𠮷と𠮷\n", "UTF-16"));
    QVERIFY(QDir(root + QStringLiteral("/.state/pemmo/recovery")).entryList(QDir::Files).isEmpty());
}

void TestGrepEngine::resultLineReadsBack()
{
    // A path with parentheses and a text that itself looks like a result line.
    GrepMatch match;
    match.line = 120;
    match.column = 7;
    match.text = QStringLiteral("x(1,2) [UTF-8]: y");
    const QString path = QStringLiteral("/tmp/資料 (2)/a(1).txt");
    const std::optional<GrepLocation> location = parseGrepResultLine(
        grepResultLine(path, pemmo::formats::TextFormat {}, match));
    QVERIFY(location);
    QCOMPARE(location->path, path);
    QCOMPARE(location->line, 120);
    QCOMPARE(location->column, 7);
    QVERIFY(!parseGrepResultLine(grepFooter(3, false)));
}

QTEST_GUILESS_MAIN(TestGrepEngine)
#include "tst_grepengine.moc"
