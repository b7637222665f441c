// SPDX-License-Identifier: MIT
// The document without a window: opened, edited and saved through an in-memory text.
#include "document/document.h"
#include "document/documenttext.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTextDocument>

using namespace pemmo::formats;

namespace {

/** The text as a string: what an editor would hold, without one. */
class MemoryText final : public DocumentText
{
public:
    QString text;
    bool modified = false;
    std::unique_ptr<QTextDocument> rich;

    class Fill final : public PlainFill
    {
    public:
        explicit Fill(MemoryText& owner)
            : m_owner(owner)
        { }
        void append(QByteArrayView utf8) override { m_utf8 += utf8; }
        void readSoFar(qint64, qint64) override { }
        bool finish() override
        {
            m_owner.text = QString::fromUtf8(m_utf8);
            return true;
        }

    private:
        MemoryText& m_owner;
        QByteArray m_utf8;
    };

    std::unique_ptr<PlainFill> startPlainFill(qint64, const QString&) override
    {
        clear();
        return std::make_unique<Fill>(*this);
    }
    void takeRichText(std::unique_ptr<QTextDocument> document) override
    {
        text = document->toPlainText();
        rich = std::move(document);
    }
    void clear() override
    {
        text.clear();
        rich.reset();
    }
    const QTextDocument* richDocument() const override { return rich.get(); }
    qsizetype textLength() const override { return text.size(); }
    void textInSlices(const std::function<void(QStringView)>& sink) const override
    {
        // Small slices, each ending a line, as the editor's come.
        const QStringView all(text);
        qsizetype start = 0;
        while (true) {
            const qsizetype cut = all.indexOf(QLatin1Char('\n'), qMin(start + 64, all.size()));
            if (cut < 0) {
                sink(all.mid(start));
                return;
            }
            sink(all.mid(start, cut + 1 - start));
            start = cut + 1;
        }
    }
    bool isModified() const override { return modified; }
    void setModified(bool value) override { modified = value; }
    void setLineBreaksFor(const TextFormat&) override { }
};

QByteArray fileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

void writeBytes(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(bytes), bytes.size());
}

} // namespace

class TestDocument : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void openEditSaveKeepsTheFilesFormat_data();
    void openEditSaveKeepsTheFilesFormat();
    void failedLoadKeepsTheDocument();
    void lossyLoadMakesTheSaveAsk();
    void changeOnDiskIsToldOnce();
    void saveAsMakesTheDocumentThatFile();
    void textChangesComeCoalesced();
    void saveReportsProgressToTheEnd();

private:
    QString path(const QString& name) const { return m_dir->filePath(name); }
    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestDocument::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

void TestDocument::openEditSaveKeepsTheFilesFormat_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("encoding");
    QTest::addColumn<QString>("loadedText");
    QTest::addColumn<QByteArray>("prefixBytes"); // 「追加」 as the file's encoding writes it

    QTest::newRow("CP932, CR LF") << QByteArray("\x93\xfa\x96\x7b\x8c\xea\r\nline 2\r\n") << int(Encoding::Cp932)
                                  << QStringLiteral("日本語\nline 2") << QByteArray("\x92\xc7\x89\xc1");
    QTest::newRow("UTF-8 with BOM, LF") << QByteArray("\xef\xbb\xbf日本語\nline 2\n") << int(Encoding::Utf8)
                                        << QStringLiteral("日本語\nline 2") << QByteArray("追加");
    QTest::newRow("EUC-JP, no final break") << QByteArray("\xc6\xfc\xcb\xdc\xb8\xec\nline 2") << int(Encoding::EucJp)
                                            << QStringLiteral("日本語\nline 2") << QByteArray("\xc4\xc9\xb2\xc3");
}

void TestDocument::openEditSaveKeepsTheFilesFormat()
{
    MemoryText text;
    QFETCH(QByteArray, bytes);
    QFETCH(int, encoding);
    QFETCH(QString, loadedText);
    QFETCH(QByteArray, prefixBytes);
    const QString file = path(QStringLiteral("a.txt"));
    writeBytes(file, bytes);

    Document document(text);
    QVERIFY(document.isUntitled());
    QSignalSpy loaded(&document, &Document::loaded);
    QSignalSpy saved(&document, &Document::saved);
    // The encoding is named, as the encoding menu does: three short lines are too little to detect by.
    const Document::LoadReport report = document.load({ file, Encoding(encoding), {} });
    QVERIFY2(report.loaded(), qPrintable(report.errorMessage));
    document.setPath(file);
    QCOMPARE(loaded.size(), 1);
    QVERIFY(text.text.startsWith(loadedText));
    QCOMPARE(document.format().encoding, Encoding(encoding));
    QVERIFY(!document.isModified());
    QVERIFY(!document.isLossy());

    text.text.prepend(QStringLiteral("追加"));
    text.modified = true;
    const SaveResult result = document.save(document.path(), document.format(), {});
    QCOMPARE(int(result.status), int(SaveStatus::Saved));
    QCOMPARE(saved.size(), 1);
    QVERIFY(!document.isModified());
    // The file is written back as it was, byte for byte, with the edit: BOM, encoding and breaks kept.
    QByteArray expected = bytes;
    const qsizetype bomLength = bytes.startsWith("\xef\xbb\xbf") ? 3 : 0;
    expected.insert(bomLength, prefixBytes);
    QCOMPARE(fileBytes(file), expected);
    // What was saved is what the disk holds now: no change to tell about.
    QSignalSpy changed(&document, &Document::fileChangedOnDisk);
    document.checkDisk();
    QCOMPARE(changed.size(), 0);
}

void TestDocument::failedLoadKeepsTheDocument()
{
    MemoryText text;
    const QString file = path(QStringLiteral("kept.txt"));
    writeBytes(file, "kept\r\n");
    Document document(text);
    QVERIFY(document.load({ file, std::nullopt, {} }).loaded());
    document.setPath(file);
    text.text += QStringLiteral(" edited");
    text.modified = true;

    const QString missing = path(QStringLiteral("missing.txt"));
    QSignalSpy loaded(&document, &Document::loaded);
    const Document::LoadReport report = document.load({ missing, std::nullopt, {} });
    QCOMPARE(int(report.outcome), int(Document::LoadOutcome::Failed));
    QVERIFY2(report.errorMessage.contains(QDir::toNativeSeparators(missing)), qPrintable(report.errorMessage));
    QCOMPARE(loaded.size(), 0);
    QVERIFY(text.text.endsWith(QStringLiteral(" edited")));
    QVERIFY(document.isModified());
    QCOMPARE(document.path(), file);
    QVERIFY(!document.isLoading());
}

void TestDocument::lossyLoadMakesTheSaveAsk()
{
    MemoryText text;
    const QString file = path(QStringLiteral("broken.txt"));
    const QByteArray bytes("ok \xff\xfe bytes\n");
    writeBytes(file, bytes);
    Document document(text);
    QVERIFY(document.load({ file, Encoding::Utf8, {} }).loaded());
    document.setPath(file);
    QVERIFY(document.isLossy());
    QVERIFY(text.text.contains(QChar::ReplacementCharacter));

    text.text.append(QStringLiteral("x"));
    text.modified = true;
    QSignalSpy saved(&document, &Document::saved);
    SaveOptions options;
    options.sourceWasLossy = document.isLossy();
    // Unasked, the save writes nothing: the file keeps its bytes.
    SaveResult result = document.save(file, document.format(), options);
    QCOMPARE(int(result.status), int(SaveStatus::NeedsConfirmation));
    QCOMPARE(fileBytes(file), bytes);
    QCOMPARE(saved.size(), 0);
    QVERIFY(document.isModified());
    QVERIFY(document.isLossy());

    // Agreed to: written, and the document is no longer lossy.
    options.replaceUndecoded = true;
    result = document.save(file, document.format(), options);
    QCOMPARE(int(result.status), int(SaveStatus::Saved));
    QCOMPARE(saved.size(), 1);
    QVERIFY(!document.isLossy());
    QVERIFY(!fileBytes(file).contains("\xff\xfe"));
}

void TestDocument::changeOnDiskIsToldOnce()
{
    MemoryText text;
    const QString file = path(QStringLiteral("watched.txt"));
    writeBytes(file, "first\n");
    Document document(text);
    QVERIFY(document.load({ file, std::nullopt, {} }).loaded());
    document.setPath(file);
    QSignalSpy changed(&document, &Document::fileChangedOnDisk);
    document.checkDisk();
    QCOMPARE(changed.size(), 0);

    writeBytes(file, "changed by another program\n");
    QVERIFY(document.disk().changedSince(file));
    document.checkDisk();
    document.checkDisk();
    QCOMPARE(changed.size(), 1);
    QCOMPARE(changed.at(0).at(0).toString(), file);
    QCOMPARE(changed.at(0).at(1).toBool(), false);

    QVERIFY(QFile::remove(file));
    document.checkDisk();
    QCOMPARE(changed.size(), 2);
    QCOMPARE(changed.at(1).at(1).toBool(), true);

    // Reloaded, the document is as the file is now, and nothing more is told.
    writeBytes(file, "third\n");
    QVERIFY(document.load({ file, std::nullopt, {} }).loaded());
    QVERIFY(text.text.startsWith(QStringLiteral("third")));
    QVERIFY(!document.disk().changedSince(file));
    document.checkDisk();
    QCOMPARE(changed.size(), 2);
}

void TestDocument::saveAsMakesTheDocumentThatFile()
{
    MemoryText text;
    Document document(text);
    text.text = QStringLiteral("新しい\n文書");
    text.modified = true;
    QVERIFY(document.isUntitled());
    const QString file = path(QStringLiteral("new.txt"));
    TextFormat format = document.format();
    format.encoding = Encoding::Utf8;
    format.lineEnding = LineEnding::Lf;
    QCOMPARE(int(document.save(file, format, {}).status), int(SaveStatus::Saved));
    QVERIFY(!document.isUntitled());
    QCOMPARE(document.path(), file);
    QCOMPARE(document.format().encoding, Encoding::Utf8);
    QCOMPARE(fileBytes(file), QByteArray("新しい\n文書\n"));
    QVERIFY(document.disk().taken());
    QVERIFY(!document.disk().changedSince(file));
}

void TestDocument::textChangesComeCoalesced()
{
    MemoryText text;
    Document document(text);
    QSignalSpy changed(&document, &Document::textChanged);
    document.touchText();
    document.touchText();
    document.touchText();
    QCOMPARE(changed.size(), 0);
    QVERIFY(changed.wait(1000));
    QCoreApplication::processEvents();
    QCOMPARE(changed.size(), 1);
    document.touchText();
    QVERIFY(changed.wait(1000));
    QCOMPARE(changed.size(), 2);
}

void TestDocument::saveReportsProgressToTheEnd()
{
    MemoryText text;
    Document document(text);
    for (int line = 0; line < 20000; ++line)
        text.text += QStringLiteral("行 %1\n").arg(line);
    QSignalSpy progress(&document, &Document::saveProgress);
    const QString file = path(QStringLiteral("long.txt"));
    QCOMPARE(int(document.save(file, document.format(), {}).status), int(SaveStatus::Saved));
    QVERIFY2(progress.size() > 10, "the save reports as it goes, not only at its end");
    int last = -1;
    for (const QList<QVariant>& report : progress) {
        QVERIFY(report.at(0).toInt() > last);
        last = report.at(0).toInt();
    }
    QCOMPARE(last, 100);
}

QTEST_GUILESS_MAIN(TestDocument)
#include "tst_document.moc"
