// SPDX-License-Identifier: MIT
// Loading and saving files: the content decides reading, the name decides writing, failures leave files alone.
#include "formats/documentio.h"
#include "formats/rtfreader.h"
#include "testpaths.h"

#include <QTemporaryDir>
#include <QTextDocument>

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace pemmo::formats;

Q_DECLARE_METATYPE(pemmo::formats::DocumentKind)

namespace {

void writeBytes(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), bytes.size());
}

} // namespace

class TestDocumentIo final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void loadFailuresSayWhy_data();
    void loadFailuresSayWhy();
    void tooLargeFileIsRefused();
    void sizeLimitIsSound();
    void nameDecidesWrittenFormat_data();
    void nameDecidesWrittenFormat();
    void plainFileNamedRtfLoadsPlainSavesRtf();
    void keptLineBreaksBecomeRtfParagraphs();
    void saveKeepsEncodingBomAndLineEnding_data();
    void saveKeepsEncodingBomAndLineEnding();
    void failedWriteLeavesOriginal();
    void lossyLoadAsksBeforeSaving();
    void endlessSourceStopsAtTheLimit();
    void loneLineBreakRoundTrips_data();
    void loneLineBreakRoundTrips();
    void inPlaceSaveKeepsLinksAndOwners();
};

void TestDocumentIo::loadFailuresSayWhy_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("messageStart");
    QTest::newRow("missing file") << "missing.txt" << QStringLiteral("ファイル「");
    QTest::newRow("folder") << "folder" << QStringLiteral("「");
}

void TestDocumentIo::loadFailuresSayWhy()
{
    QFETCH(QString, name);
    QFETCH(QString, messageStart);
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("folder")));
    const QString path = dir.filePath(name);
    const LoadResult result = loadDocument(path);
    QVERIFY(!result.document);
    QVERIFY(result.errorMessage.startsWith(messageStart));
    QVERIFY(result.errorMessage.contains(path));
}

void TestDocumentIo::tooLargeFileIsRefused()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("big.txt"));
    writeBytes(path, QByteArray(4096, 'x'));
    LoadOptions options;
    options.maxBytes = 4095;
    const LoadResult refused = loadDocument(path, options);
    QVERIFY(!refused.document);
    QVERIFY(refused.errorMessage.contains(QStringLiteral("大きすぎる")));
    options.maxBytes = 4096;
    const LoadResult accepted = loadDocument(path, options);
    QVERIFY(accepted.document);
    QCOMPARE(accepted.document->plainText.size(), 4096);
}

void TestDocumentIo::sizeLimitIsSound()
{
    // Between 64 MiB and 1 GiB, so a 100 MB file still opens on an ordinary machine.
    QVERIFY(editableSizeLimit() >= 64LL * 1024 * 1024);
    QVERIFY(editableSizeLimit() <= 1024LL * 1024 * 1024);
}

void TestDocumentIo::nameDecidesWrittenFormat_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("rtf");
    QTest::newRow("report.RTF") << "report.RTF" << true;
    QTest::newRow("report.rtf") << "report.rtf" << true;
    QTest::newRow("report.Rtf") << "report.Rtf" << true;
    QTest::newRow("report.rtf.txt") << "report.rtf.txt" << false;
    QTest::newRow("no extension") << "report" << false;
    QTest::newRow("rtf without dot") << "reportrtf" << false;
}

void TestDocumentIo::nameDecidesWrittenFormat()
{
    QFETCH(QString, name);
    QFETCH(bool, rtf);
    QTemporaryDir dir;
    const QString path = dir.filePath(name);
    QTextDocument document;
    document.setPlainText(QStringLiteral("本文"));
    QCOMPARE(saveDocument(path, document, kNewDocumentFormat).status, SaveStatus::Saved);
    const QByteArray written = readAllBytes(path);
    QCOMPARE(looksLikeRtf(written), rtf);
    if (!rtf)
        QCOMPARE(written, QByteArray("\x96\x7b\x95\xb6\r\n"));
    const LoadResult loaded = loadDocument(path);
    QVERIFY(loaded.document);
    QCOMPARE(loaded.document->kind, rtf ? DocumentKind::RichText : DocumentKind::PlainText);
}

void TestDocumentIo::plainFileNamedRtfLoadsPlainSavesRtf()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("x.rtf"));
    writeBytes(path, "not rtf at all\r\n");
    const LoadResult loaded = loadDocument(path);
    QVERIFY(loaded.document);
    QCOMPARE(loaded.document->kind, DocumentKind::PlainText);
    QCOMPARE(saveDocument(path, DocumentSource { nullptr, loaded.document->plainText }, loaded.document->format).status,
             SaveStatus::Saved);
    const LoadResult again = loadDocument(path);
    QCOMPARE(again.document->kind, DocumentKind::RichText);
    QCOMPARE(documentPlainText(*again.document->richText), QStringLiteral("not rtf at all"));
}

void TestDocumentIo::keptLineBreaksBecomeRtfParagraphs()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("mixed.rtf"));
    writeBytes(path, "one\r\ntwo\nthree\rfour\r\n");
    const LoadResult loaded = loadDocument(path);
    QVERIFY(loaded.document);
    QVERIFY(loaded.document->format.keptLineEndings);
    QCOMPARE(saveDocument(path, DocumentSource { nullptr, loaded.document->plainText }, loaded.document->format).status,
             SaveStatus::Saved);
    const LoadResult again = loadDocument(path);
    QCOMPARE(again.document->kind, DocumentKind::RichText);
    QCOMPARE(again.document->richText->blockCount(), 4);
    QCOMPARE(documentPlainText(*again.document->richText), QStringLiteral("one\ntwo\nthree\nfour"));
    // Back to plain text with the file's format: the paragraphs take its most frequent break.
    const SaveResult plain = renderDocument(
        QStringLiteral("mixed.txt"), DocumentSource { again.document->richText.get(), {} }, loaded.document->format);
    QCOMPARE(plain.bytes, QByteArray("one\r\ntwo\r\nthree\r\nfour\r\n"));
}

void TestDocumentIo::saveKeepsEncodingBomAndLineEnding_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("utf-8 bom lf") << QByteArray("\xEF\xBB\xBF"
                                                "一\n二\n");
    QTest::newRow("utf-16be bom cr") << QByteArray("\xFE\xFF\x4E\x00\x00\r", 6);
    QTest::newRow("cp932 crlf") << QByteArray("\x88\xea\r\n\x93\xf1\r\n");
    QTest::newRow("euc-jp lf") << readAllBytes(projectTestData() + QStringLiteral("/eucjp_lines.txt"));
}

void TestDocumentIo::saveKeepsEncodingBomAndLineEnding()
{
    QFETCH(QByteArray, bytes);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("doc.txt"));
    writeBytes(path, bytes);
    const LoadResult loaded = loadDocument(path);
    QVERIFY(loaded.document);
    QVERIFY(!loaded.document->lossy);
    QTextDocument document;
    document.setPlainText(loaded.document->plainText); // as the plain view holds it
    QCOMPARE(saveDocument(path, document, loaded.document->format).status, SaveStatus::Saved);
    QCOMPARE(readAllBytes(path), bytes);
}

void TestDocumentIo::failedWriteLeavesOriginal()
{
    QTemporaryDir dir;
    const QString original = dir.filePath(QStringLiteral("keep.txt"));
    writeBytes(original, "original");
    QTextDocument document;
    document.setPlainText(QStringLiteral("new"));
    // A folder that does not exist, and a "folder" that is a file: no user can write there, root included.
    const QStringList targets = { dir.filePath(QStringLiteral("missing/x.txt")), original + QStringLiteral("/x.txt") };
    for (const QString& target : targets) {
        const SaveResult result = saveDocument(target, document, kNewDocumentFormat);
        QCOMPARE(result.status, SaveStatus::Failed);
        QVERIFY(result.message.contains(QStringLiteral("書き込めませんでした")));
        QVERIFY(!result.message.contains(QStringLiteral("元のファイル"))); // there was none
        QVERIFY(!QFile::exists(target));
    }
    QCOMPARE(readAllBytes(original), QByteArray("original"));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList { QStringLiteral("keep.txt") });
}

void TestDocumentIo::lossyLoadAsksBeforeSaving()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("cut.txt"));
    writeBytes(path, "abc\x82");
    const LoadResult loaded = loadDocument(path);
    QVERIFY(loaded.document->lossy);
    SaveOptions options;
    options.sourceWasLossy = true;
    TextFormat utf8 = loaded.document->format;
    utf8.encoding = Encoding::Utf8;
    // Even in UTF-8 the lost byte is lost: ask, unless the user agreed.
    const SaveResult asked = saveDocument(path, DocumentSource { nullptr, loaded.document->plainText }, utf8, options);
    QCOMPARE(asked.status, SaveStatus::NeedsConfirmation);
    QCOMPARE(readAllBytes(path), QByteArray("abc\x82"));
    options.allowLoss = true;
    QCOMPARE(saveDocument(path, DocumentSource { nullptr, loaded.document->plainText }, utf8, options).status,
             SaveStatus::Saved);
    QCOMPARE(readAllBytes(path), QByteArray("abc\xEF\xBF\xBD"));
}

void TestDocumentIo::endlessSourceStopsAtTheLimit()
{
    LoadOptions options;
    options.maxBytes = 3 * 1024 * 1024;
    const LoadResult result = loadDocument(QStringLiteral("/dev/zero"), options);
    QVERIFY(!result.document);
    QVERIFY(result.errorMessage.contains(QStringLiteral("大きすぎる")));
}

void TestDocumentIo::loneLineBreakRoundTrips_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("LF") << QByteArray("\n");
    QTest::newRow("CR LF") << QByteArray("\r\n");
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("two LF") << QByteArray("\n\n");
}

void TestDocumentIo::loneLineBreakRoundTrips()
{
    QFETCH(QByteArray, bytes);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("break.txt"));
    writeBytes(path, bytes);
    const LoadResult loaded = loadDocument(path);
    QVERIFY(loaded.document);
    QCOMPARE(saveDocument(path, DocumentSource { nullptr, loaded.document->plainText }, loaded.document->format).status,
             SaveStatus::Saved);
    QCOMPARE(readAllBytes(path), bytes);
}

void TestDocumentIo::inPlaceSaveKeepsLinksAndOwners()
{
    QTemporaryDir dir;
    qputenv("XDG_CACHE_HOME", QFile::encodeName(dir.filePath(QStringLiteral("cache"))));
    const QString path = dir.filePath(QStringLiteral("linked.txt"));
    const QString other = dir.filePath(QStringLiteral("other-name.txt"));
    writeBytes(path, "old\r\n");
    QVERIFY(::link(QFile::encodeName(path).constData(), QFile::encodeName(other).constData()) == 0);
    const auto inode = [](const QString& name) {
        struct stat info
        {
        };
        ::stat(QFile::encodeName(name).constData(), &info);
        return info.st_ino;
    };
    const auto before = inode(path);

    // Without a place for the copy of the old content, nothing is written, and the user is told.
    writeBytes(dir.filePath(QStringLiteral("cache")), "a file where the cache folder should be");
    QTextDocument document;
    document.setPlainText(QStringLiteral("new"));
    SaveResult result = saveDocument(path, document, kNewDocumentFormat);
    QCOMPARE(result.status, SaveStatus::Failed);
    QVERIFY(result.message.contains(QStringLiteral("元のファイルは変更されていません")));
    QCOMPARE(readAllBytes(other), QByteArray("old\r\n"));

    // With one, both names see the new text: the file was written in place.
    QVERIFY(QFile::remove(dir.filePath(QStringLiteral("cache"))));
    result = saveDocument(path, document, kNewDocumentFormat);
    QCOMPARE(result.status, SaveStatus::Saved);
    QCOMPARE(readAllBytes(other), QByteArray("new\r\n"));
    QCOMPARE(inode(path), before);
    QVERIFY(QDir(dir.filePath(QStringLiteral("cache/pemmo"))).isEmpty());

    // Root saving another user's file keeps it that user's.
    if (::geteuid() == 0) {
        struct passwd* nobody = ::getpwnam("nobody");
        QVERIFY2(nobody, "the test needs the user nobody to own a file");
        const QString theirs = dir.filePath(QStringLiteral("theirs.txt"));
        writeBytes(theirs, "old\r\n");
        QVERIFY(::chown(QFile::encodeName(theirs).constData(), nobody->pw_uid, nobody->pw_gid) == 0);
        QCOMPARE(saveDocument(theirs, document, kNewDocumentFormat).status, SaveStatus::Saved);
        struct stat info
        {
        };
        QCOMPARE(::stat(QFile::encodeName(theirs).constData(), &info), 0);
        QCOMPARE(info.st_uid, nobody->pw_uid);
        QCOMPARE(readAllBytes(theirs), QByteArray("new\r\n"));
    }
    qunsetenv("XDG_CACHE_HOME");
}

QTEST_GUILESS_MAIN(TestDocumentIo)
#include "tst_documentio.moc"
