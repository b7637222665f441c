// SPDX-License-Identifier: MIT
// The RTF writer: reading our RTF back gives the same text and formats; the bytes are what other readers need.
#include "formats/documentio.h"
#include "formats/rtfreader.h"
#include "formats/rtfwriter.h"
#include "testpaths.h"

#include <QDirIterator>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextImageFormat>

using namespace pemmo::formats;

namespace {

std::unique_ptr<QTextDocument> readBack(const QByteArray& rtf)
{
    std::optional<RtfReadResult> result = readRtf(rtf);
    if (!result || result->lossy)
        return nullptr;
    return std::move(result->document);
}

struct Run
{
    QString text;
    QTextCharFormat format;
};

// Runs of the document with the properties that the writer promises to keep.
QList<Run> runs(const QTextDocument& document)
{
    static const int kept[] = { QTextFormat::FontWeight,           QTextFormat::FontItalic,
                                QTextFormat::TextUnderlineStyle,   QTextFormat::FontStrikeOut,
                                QTextFormat::FontPointSize,        QTextFormat::FontFamilies,
                                QTextFormat::ForegroundBrush,      QTextFormat::BackgroundBrush,
                                QTextFormat::TextVerticalAlignment };
    QList<Run> out;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            QTextCharFormat format;
            for (const int property : kept) {
                if (it.fragment().charFormat().hasProperty(property))
                    format.setProperty(property, it.fragment().charFormat().property(property));
            }
            if (!out.isEmpty() && out.last().format == format)
                out.last().text += it.fragment().text();
            else
                out.append({ it.fragment().text(), format });
        }
        if (!out.isEmpty())
            out.last().text += u'\n';
    }
    return out;
}

} // namespace

class TestRtfWriter final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void corpusWriteThenRead_data();
    void corpusWriteThenRead();
    void formatsSurvive();
    void paragraphFormatsSurvive();
    void japaneseBytes_data();
    void japaneseBytes();
    void pictureSurvives();
    void plainTextAsRtf();
};

void TestRtfWriter::corpusWriteThenRead_data()
{
    QTest::addColumn<QString>("path");
    if (!QDir(sharedTestData() + QStringLiteral("/rtf")).exists()) {
        QTest::newRow("corpus missing") << QString();
        return;
    }
    QDirIterator it(sharedTestData() + QStringLiteral("/rtf"), { QStringLiteral("*.rtf") }, QDir::Files,
                    QDirIterator::Subdirectories);
    QStringList files;
    while (it.hasNext())
        files.append(it.next());
    files.sort();
    for (const QString& file : files)
        QTest::newRow(qPrintable(QFileInfo(file).fileName())) << file;
}

void TestRtfWriter::corpusWriteThenRead()
{
    REQUIRE_SHARED_TESTDATA("rtf");
    QFETCH(QString, path);
    const LoadedDocument loaded = readDocumentBytes(readAllBytes(path));
    if (loaded.kind != DocumentKind::RichText)
        QSKIP("not RTF by its content; read as plain text");
    const QByteArray rtf = writeRtf(*loaded.richText);
    const std::unique_ptr<QTextDocument> back = readBack(rtf);
    QVERIFY(back);
    QCOMPARE(back->toRawText(), loaded.richText->toRawText());
    QCOMPARE(back->blockCount(), loaded.richText->blockCount());
    const QList<Run> before = runs(*loaded.richText);
    const QList<Run> after = runs(*back);
    QCOMPARE(after.size(), before.size());
    for (qsizetype i = 0; i < before.size(); ++i) {
        QCOMPARE(after[i].text, before[i].text);
        QVERIFY2(after[i].format == before[i].format,
                 qPrintable(QStringLiteral("run %1: %2").arg(i).arg(before[i].text)));
    }
}

void TestRtfWriter::formatsSurvive()
{
    QTextDocument document;
    QTextCursor cursor(&document);
    const auto add = [&cursor](const QString& text, auto set) {
        QTextCharFormat format;
        set(format);
        cursor.insertText(text, format);
    };
    add(QStringLiteral("bold "), [](QTextCharFormat& f) { f.setFontWeight(QFont::Bold); });
    add(QStringLiteral("italic "), [](QTextCharFormat& f) { f.setFontItalic(true); });
    add(QStringLiteral("under "), [](QTextCharFormat& f) { f.setFontUnderline(true); });
    add(QStringLiteral("strike "), [](QTextCharFormat& f) { f.setFontStrikeOut(true); });
    add(QStringLiteral("日本語 "), [](QTextCharFormat& f) {
        f.setFontFamilies({ QStringLiteral("ＭＳ ゴシック") });
        f.setFontPointSize(10.5);
    });
    add(QStringLiteral("red on yellow"), [](QTextCharFormat& f) {
        f.setForeground(QColor(200, 0, 0));
        f.setBackground(QColor(255, 255, 0));
    });
    add(QStringLiteral("2"), [](QTextCharFormat& f) { f.setVerticalAlignment(QTextCharFormat::AlignSuperScript); });
    add(QStringLiteral(" {braces} \\ tab\there"), [](QTextCharFormat&) {});
    cursor.insertText(QString(QChar::LineSeparator) + QStringLiteral("after line break"));
    const std::unique_ptr<QTextDocument> back = readBack(writeRtf(document));
    QVERIFY(back);
    QCOMPARE(back->toRawText(), document.toRawText());
    const QList<Run> before = runs(document);
    const QList<Run> after = runs(*back);
    QCOMPARE(after.size(), before.size());
    for (qsizetype i = 0; i < before.size(); ++i) {
        QCOMPARE(after[i].text, before[i].text);
        QVERIFY2(after[i].format == before[i].format, qPrintable(before[i].text));
    }
}

void TestRtfWriter::paragraphFormatsSurvive()
{
    QTextDocument document;
    QTextCursor cursor(&document);
    QTextBlockFormat centred;
    centred.setAlignment(Qt::AlignHCenter);
    cursor.setBlockFormat(centred);
    cursor.insertText(QStringLiteral("centred"));
    QTextBlockFormat indented;
    indented.setAlignment(Qt::AlignRight);
    indented.setLeftMargin(48);
    indented.setRightMargin(12);
    indented.setTextIndent(-24);
    indented.setTabPositions(
        { QTextOption::Tab(96, QTextOption::LeftTab), QTextOption::Tab(192, QTextOption::RightTab) });
    cursor.insertBlock(indented);
    cursor.insertText(QStringLiteral("indented\ttab"));
    cursor.insertBlock(QTextBlockFormat());
    const std::unique_ptr<QTextDocument> back = readBack(writeRtf(document));
    QVERIFY(back);
    QCOMPARE(back->blockCount(), 3);
    for (int i = 0; i < 3; ++i) {
        const QTextBlockFormat a = document.findBlockByNumber(i).blockFormat();
        const QTextBlockFormat b = back->findBlockByNumber(i).blockFormat();
        QCOMPARE(b.alignment() & Qt::AlignHorizontal_Mask, a.alignment() & Qt::AlignHorizontal_Mask);
        QCOMPARE(b.leftMargin(), a.leftMargin());
        QCOMPARE(b.rightMargin(), a.rightMargin());
        QCOMPARE(b.textIndent(), a.textIndent());
        QCOMPARE(b.tabPositions(), a.tabPositions());
    }
}

void TestRtfWriter::japaneseBytes_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("hiragana as cp932 bytes") << QStringLiteral("あ") << QByteArray("\\'82\\'a0");
    QTest::newRow("trail byte 0x5C escaped") << QStringLiteral("表") << QByteArray("\\'95\\'5c");
    QTest::newRow("half-width kana one byte") << QStringLiteral("ｱ") << QByteArray("\\'b1");
    QTest::newRow("NEC row 13") << QStringLiteral("㎜") << QByteArray("\\'87\\'6f");
    QTest::newRow("wave dash keeps its identity") << QStringLiteral("\u301C") << QByteArray("\\u12316?");
    QTest::newRow("outside bmp as surrogates") << QStringLiteral("𠮷") << QByteArray("\\u-10174?\\u-8265?");
    QTest::newRow("euro outside cp932") << QStringLiteral("€") << QByteArray("\\u8364?");
    QTest::newRow("control byte") << QStringLiteral("\u001A") << QByteArray("\\'1a");
}

void TestRtfWriter::japaneseBytes()
{
    QFETCH(QString, text);
    QFETCH(QByteArray, bytes);
    QTextDocument document;
    QTextCursor(&document).insertText(text);
    const QByteArray rtf = writeRtf(document);
    QVERIFY(rtf.startsWith("{\\rtf1\\ansi\\ansicpg932"));
    QVERIFY(rtf.contains("\\fcharset128"));
    QVERIFY2(rtf.contains(bytes), rtf.constData());
    const std::unique_ptr<QTextDocument> back = readBack(rtf);
    QVERIFY(back);
    QCOMPARE(back->toPlainText(), text);
}

void TestRtfWriter::pictureSurvives()
{
    QTextDocument document;
    QImage image(5, 2, QImage::Format_RGB32);
    image.fill(QColor(0, 128, 0));
    document.addResource(QTextDocument::ImageResource, QUrl(QStringLiteral("green")), image);
    QTextCursor cursor(&document);
    cursor.insertText(QStringLiteral("a"));
    QTextImageFormat format;
    format.setName(QStringLiteral("green"));
    format.setWidth(50);
    format.setHeight(20);
    cursor.insertImage(format);
    cursor.insertText(QStringLiteral("b"));
    const std::unique_ptr<QTextDocument> back = readBack(writeRtf(document));
    QVERIFY(back);
    QCOMPARE(back->toRawText(), document.toRawText());
    QTextCursor at(back.get());
    at.setPosition(2);
    const QTextImageFormat read = at.charFormat().toImageFormat();
    QCOMPARE(read.width(), 50.0);
    QCOMPARE(read.height(), 20.0);
    const QImage picture = back->resource(QTextDocument::ImageResource, QUrl(read.name())).value<QImage>();
    QCOMPARE(picture.size(), QSize(5, 2));
    QCOMPARE(picture.pixelColor(0, 0), QColor(0, 128, 0));
}

void TestRtfWriter::plainTextAsRtf()
{
    // A plain document saved under an .rtf name.
    const QString text = QStringLiteral("一行目\n\n三行目\tタブ");
    const SaveResult rendered = renderDocument(QStringLiteral("x.RTF"), DocumentSource { nullptr, text },
                                               kNewDocumentFormat);
    QCOMPARE(rendered.status, SaveStatus::Saved);
    const std::unique_ptr<QTextDocument> back = readBack(rendered.bytes);
    QVERIFY(back);
    QCOMPARE(documentPlainText(*back), text);
}

QTEST_GUILESS_MAIN(TestRtfWriter)
#include "tst_rtfwriter.moc"
