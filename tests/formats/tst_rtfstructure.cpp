// SPDX-License-Identifier: MIT
// RTF structure: what the reader builds from tables, lists, links, headings, breaks and East Asian runs,
// and that a save read back builds the same.
#include "formats/documentio.h"
#include "formats/formattexts.h"
#include "formats/richtextstructure.h"
#include "formats/rtfreader.h"
#include "formats/rtfwriter.h"

#include <QBuffer>
#include <QImage>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextList>
#include <QTextTable>
#include <QtTest>

using namespace pemmo::formats;

namespace {

std::unique_ptr<QTextDocument> read(const QByteArray& rtf)
{
    std::optional<RtfReadResult> result = readRtf(rtf);
    return result && !result->lossy ? std::move(result->document) : nullptr;
}

void describeBlock(const QTextBlock& block, QStringList& facts)
{
    const QTextBlockFormat format = block.blockFormat();
    const QString text = block.text();
    if (QTextList* list = block.textList())
        facts << QStringLiteral("item %1 %2 %3").arg(listLabel(block)).arg(list->format().indent()).arg(text);
    if (format.headingLevel() > 0)
        facts << QStringLiteral("h%1 %2").arg(format.headingLevel()).arg(text);
    if (format.pageBreakPolicy() & QTextFormat::PageBreak_AlwaysBefore)
        facts << QStringLiteral("break %1").arg(text);
    if (format.topMargin() > 0 || format.bottomMargin() > 0)
        facts << QStringLiteral("space %1 %2 %3").arg(format.topMargin()).arg(format.bottomMargin()).arg(text);
    if (format.lineHeightType() != QTextBlockFormat::SingleHeight)
        facts << QStringLiteral("line %1 %2 %3").arg(format.lineHeightType()).arg(format.lineHeight()).arg(text);
    for (auto it = block.begin(); !it.atEnd(); ++it) {
        const QTextCharFormat chars = it.fragment().charFormat();
        const QString piece = it.fragment().text();
        if (chars.isAnchor())
            facts << QStringLiteral("link %1 %2").arg(chars.anchorHref(), piece);
        if (chars.fontWeight() >= QFont::Bold)
            facts << QStringLiteral("bold %1").arg(piece);
        if (chars.fontItalic())
            facts << QStringLiteral("italic %1").arg(piece);
        if (chars.fontStrikeOut())
            facts << QStringLiteral("strike %1").arg(piece);
        if (chars.hasProperty(QTextFormat::FontPointSize))
            facts << QStringLiteral("size %1 %2").arg(chars.fontPointSize()).arg(piece);
        if (chars.verticalAlignment() == QTextCharFormat::AlignSuperScript)
            facts << QStringLiteral("sup %1").arg(piece);
        if (chars.verticalAlignment() == QTextCharFormat::AlignSubScript)
            facts << QStringLiteral("sub %1").arg(piece);
    }
}

// What a user sees of the structure, one fact a line; tables as their grid with spans and shading.
QStringList facts(const QTextDocument& document)
{
    QStringList out;
    QList<QTextTable*> tables;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        QTextTable* table = tableOf(block);
        if (table && !tables.contains(table)) {
            tables << table;
            out << QStringLiteral("table %1x%2 border %3")
                       .arg(table->rows())
                       .arg(table->columns())
                       .arg(table->format().border());
            for (int r = 0; r < table->rows(); ++r) {
                for (int c = 0; c < table->columns(); ++c) {
                    const QTextTableCell cell = table->cellAt(r, c);
                    if (cell.row() != r || cell.column() != c)
                        continue;
                    QString text;
                    for (QTextFrame::iterator it = cell.begin(); !it.atEnd(); ++it)
                        text += it.currentBlock().text();
                    out << QStringLiteral("cell %1,%2 %3x%4 %5%6")
                               .arg(r)
                               .arg(c)
                               .arg(cell.rowSpan())
                               .arg(cell.columnSpan())
                               .arg(text,
                                    cell.format().background().style() != Qt::NoBrush ? QStringLiteral(" shaded")
                                                                                      : QString());
                }
            }
        }
        describeBlock(block, out);
    }
    return out;
}

} // namespace

class TestRtfStructure final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void readThenWriteKeepsStructure_data();
    void readThenWriteKeepsStructure();
    void tableWidthsFromCellEdges();
    void plainTextOfTablesAndLists();
    void keptGroupsAreWrittenBack();
    void jpegStaysJpeg();
    void skippedDestinationsInTheTextAreNamed();
};

void TestRtfStructure::readThenWriteKeepsStructure_data()
{
    QTest::addColumn<QByteArray>("rtf");
    QTest::addColumn<QStringList>("expected");
    const QByteArray head =
        "{\\rtf1\\ansi\\ansicpg932\\deff0{\\fonttbl{\\f0\\fcharset128 \\'82\\'6c\\'82\\'72 Mincho;}}"
        "{\\colortbl;\\red200\\green200\\blue255;}";
    // LibreOffice's way: a wide cell is its horizontal merge; \clvmgf/\clvmrg the vertical one.
    QTest::newRow("table with merges and shading")
        << head +
            "\\trowd\\clbrdrt\\brdrs\\clcbpat1\\cellx1000\\clcbpat1\\cellx2000\\cellx3000"
            "\\pard\\intbl \\'95\\'69\\'96\\'bc\\cell \\'90\\'94\\cell \\'89\\'bf\\cell\\row"
            "\\trowd\\cellx2000\\cellx3000\\pard\\intbl \\'8d\\'87\\'8c\\'76\\cell 900\\cell\\row"
            "\\trowd\\clvmgf\\cellx1000\\cellx2000\\cellx3000\\pard\\intbl \\'8f\\'63\\cell a\\cell b\\cell\\row"
            "\\trowd\\clvmrg\\cellx1000\\cellx2000\\cellx3000\\pard\\intbl\\cell c\\cell d\\cell\\row"
            "\\pard after\\par}"
        << QStringList { QStringLiteral("table 4x3 border 1"), QStringLiteral("cell 0,0 1x1 品名 shaded"),
                         QStringLiteral("cell 1,0 1x2 合計"),  QStringLiteral("cell 1,2 1x1 900"),
                         QStringLiteral("cell 2,0 2x1 縦"),    QStringLiteral("cell 3,2 1x1 d") };
    QTest::newRow("Word's \\clmgf/\\clmrg and a nested table")
        << head +
            "\\trowd\\clmgf\\cellx1000\\clmrg\\cellx2000\\pard\\intbl wide\\cell\\cell\\row"
            "\\trowd\\cellx1000\\cellx2000\\pard\\intbl outer\\cell\\pard\\intbl\\itap2 in1\\nestcell in2\\nestcell"
            "{\\*\\nesttableprops\\trowd\\cellx500\\cellx900\\nestrow}{\\nonesttables\\par}"
            "\\pard\\intbl\\itap1 \\cell\\row\\pard\\par}"
        << QStringList { QStringLiteral("table 2x2 border 0"), QStringLiteral("cell 0,0 1x2 wide"),
                         QStringLiteral("cell 1,1 1x1 in1\tin2") };
    QTest::newRow("list table bullets and numbers")
        << head +
            "{\\*\\listtable{\\list{\\listlevel\\levelnfc23{\\leveltext\\'01\\u8226 ?;}}"
            "{\\listlevel\\levelnfc23{\\leveltext\\'01\\u9702 ?;}}\\listid5}"
            "{\\list{\\listlevel\\levelnfc0{\\leveltext\\'02\\'00.;}{\\levelnumbers\\'01;}}\\listid6}}"
            "{\\*\\listoverridetable{\\listoverride\\listid5\\ls1}{\\listoverride\\listid6\\ls2}}"
            "\\pard\\ls1{\\listtext \\'81\\'45\\tab}\\'8b\\'8d\\'93\\'fb\\par"
            "\\pard\\ls1\\ilvl1{\\listtext o\\tab}\\'83\\'70\\'83\\'93\\par"
            "\\pard\\ls2{\\listtext 1.\\tab}\\'88\\'ea\\par\\pard\\ls2{\\listtext 2.\\tab}\\'93\\'f1\\par\\pard end}"
        << QStringList { QStringLiteral("item • 1 牛乳"), QStringLiteral("item ◦ 2 パン"),
                         QStringLiteral("item 1. 1 一"), QStringLiteral("item 2. 1 二") };
    QTest::newRow("old \\pn numbering") << head +
            "\\pard{\\pntext 1.\\tab}{\\*\\pn\\pnlvlbody\\pndec{\\pntxta .}}A\\par"
            "\\pard{\\pntext 2.\\tab}{\\*\\pn\\pnlvlbody\\pndec{\\pntxta .}}B\\par\\pard C}"
                                        << QStringList { QStringLiteral("item 1. 1 A"), QStringLiteral("item 2. 1 B") };
    QTest::newRow("links, headings, page break, spacing")
        << head +
            "{\\stylesheet{\\ql Normal;}{\\s1\\outlinelevel0 heading 1;}{\\s2 Heading 2;}{\\s3 "
            "\\'8c\\'a9\\'8f\\'6f\\'82\\'b5 3;}}"
            "\\pard\\s1 \\'91\\'e6\\'88\\'ea\\'8f\\'cd\\par\\pard\\s2 Two\\par\\pard\\s3 Three\\par"
            "\\pard\\sb240\\sa120\\sl480\\slmult1 see {\\field{\\*\\fldinst HYPERLINK "
            "\"https://example.com/\\'93\\'fa\"}"
            "{\\fldrslt \\'83\\'79\\'81\\'5b\\'83\\'57}} and {\\field{\\*\\fldinst {HYPERLINK \\\\l "
            "\"top\"}}{\\fldrslt up}}\\par"
            "\\pard before\\page after\\par\\pard\\pagebb own\\par}"
        << QStringList { QStringLiteral("h1 第一章"),
                         QStringLiteral("h2 Two"),
                         QStringLiteral("h3 Three"),
                         QStringLiteral("link https://example.com/日 ページ"),
                         QStringLiteral("link #top up"),
                         QStringLiteral("space 16 8 see ページ and up"),
                         QStringLiteral("line 1 200 see ページ and up"),
                         QStringLiteral("break after"),
                         QStringLiteral("break own") };
    QTest::newRow("super, sub, double strike, East Asian bold and size")
        << head +
            "H{\\dn4 2}O m{\\up6 2} x{\\super 3} {\\striked1 gone}{\\striked0 back}"
            "{\\dbch\\ab\\dbch \\'91\\'be\\'8e\\'9a}{\\dbch\\ab\\dbch ab}{\\dbch\\afs40\\dbch \\'91\\'e5}"
            "{\\rtlch\\ab\\ltrch\\loch \\'8d\\'d7}}"
        << QStringList { QStringLiteral("sub 2"),       QStringLiteral("sup 2"),     QStringLiteral("sup 3"),
                         QStringLiteral("strike gone"), QStringLiteral("bold 太字"), QStringLiteral("size 20 大") };
}

void TestRtfStructure::readThenWriteKeepsStructure()
{
    QFETCH(QByteArray, rtf);
    QFETCH(QStringList, expected);
    const std::unique_ptr<QTextDocument> document = read(rtf);
    QVERIFY(document);
    const QStringList first = facts(*document);
    for (const QString& fact : expected)
        QVERIFY2(first.contains(fact), qPrintable(fact + QStringLiteral("\n  not in\n") + first.join(u'\n')));
    // Only what was meant: \ab without \dbch and Latin text under \dbch\ab stay regular.
    QVERIFY(!first.contains(QStringLiteral("bold 細")));
    QVERIFY(!first.contains(QStringLiteral("bold ab")));
    const QByteArray written = writeRtf(*document);
    const std::unique_ptr<QTextDocument> again = read(written);
    QVERIFY(again);
    QCOMPARE(facts(*again), first);
    QCOMPARE(documentPlainText(*again), documentPlainText(*document));
    // A second save is the first: nothing grows from save to save (the paragraph Qt keeps before a table).
    QCOMPARE(writeRtf(*again), written);
}

void TestRtfStructure::tableWidthsFromCellEdges()
{
    const std::unique_ptr<QTextDocument> document = read(
        "{\\rtf1\\trowd\\cellx1500\\cellx4500\\pard\\intbl a\\cell b\\cell\\row\\pard\\par}");
    QVERIFY(document);
    QTextTable* table = tableOf(document->findBlock(int(document->toPlainText().indexOf(u'a'))));
    QVERIFY(table);
    const QList<QTextLength> widths = table->format().columnWidthConstraints();
    QCOMPARE(widths.size(), 2);
    QCOMPARE(widths[0], QTextLength(QTextLength::FixedLength, 100.0)); // 1500 twips at 96 dpi
    QCOMPARE(widths[1], QTextLength(QTextLength::FixedLength, 200.0));
    const QByteArray written = writeRtf(*document);
    QVERIFY2(written.contains("\\cellx1500") && written.contains("\\cellx4500"), written.constData());
}

void TestRtfStructure::plainTextOfTablesAndLists()
{
    // A plain save keeps what the rich view shows: cells tab-separated, list labels in front.
    const std::unique_ptr<QTextDocument> document = read(
        "{\\rtf1{\\*\\listtable{\\list{\\listlevel\\levelnfc0}\\listid1}}{\\*\\listoverridetable"
        "{\\listoverride\\listid1\\ls1}}before\\par\\trowd\\cellx100\\cellx200\\intbl A\\cell B\\cell\\row"
        "\\intbl\\cell D\\cell\\row\\pard\\ls1 one\\par\\pard\\ls1 two\\par\\pard end}");
    QVERIFY(document);
    QCOMPARE(documentPlainText(*document), QStringLiteral("before\nA\tB\n\tD\n1. one\n2. two\nend"));
}

void TestRtfStructure::keptGroupsAreWrittenBack()
{
    const QByteArray info = "{\\info{\\title \\'8e\\'8e}}";
    const QByteArray header = "{\\header\\pard\\qc \\'83\\'77\\'83\\'62\\'83\\'5f\\par}";
    const QByteArray unknown = "{\\*\\mynewthing keep me}";
    const QByteArray footnote = "{\\footnote\\pard{\\super\\chftn} \\'92\\'8d}";
    const QByteArray comment = "{\\*\\annotation note}";
    const QByteArray rtf = "{\\rtf1\\ansi\\ansicpg932" + info + unknown + "\\paperw11906\\margl1701\\sectd" + header +
        "\\pard A{\\super\\chftn}" + footnote + "B" + comment + "C\\par}";
    const std::unique_ptr<QTextDocument> document = read(rtf);
    QVERIFY(document);
    // The view shows the footnote's number, not its text; a plain save has neither the groups nor their text.
    QCOMPARE(documentPlainText(*document), QStringLiteral("A1BC\n"));
    QCOMPARE(document->toRawText().count(QChar::ObjectReplacementCharacter), 2);
    const QByteArray written = writeRtf(*document);
    for (const QByteArray& group : { info, header, unknown, footnote, comment })
        QVERIFY2(written.contains(group), group.constData());
    QVERIFY(written.contains("\\paperw11906\\margl1701\\sectd"));
    // Where they were: the footnote after A's number (written as \\chftn), the comment between B and C.
    const QList<qsizetype> order = { written.indexOf("{A}"), written.indexOf("\\chftn}"), written.indexOf(footnote),
                                     written.indexOf("{B}"), written.indexOf(comment),    written.indexOf("{C}") };
    QVERIFY2(!order.contains(-1) && std::is_sorted(order.begin(), order.end()), written.constData());
    const std::unique_ptr<QTextDocument> again = read(written);
    QVERIFY(again);
    QCOMPARE(writeRtf(*again), written);
}

// What a save would drop is named before it asks; bookkeeping that LibreOffice writes into every
// paragraph is not, or every such file would ask.
void TestRtfStructure::skippedDestinationsInTheTextAreNamed()
{
    const auto unkept = [](const QByteArray& body) {
        const std::optional<RtfReadResult> result = readRtf(
            QByteArray("{\\rtf1\\ansi{\\*\\docthing kept}" + body + "}"));
        return result ? result->unkept : QStringList { QStringLiteral("<unreadable>") };
    };
    QCOMPARE(unkept("\\pard A{\\*\\pgdscno0}{\\*\\updnprop5801}{\\*\\hyphen2}B\\par"), QStringList());
    QCOMPARE(unkept("\\pard A{\\*\\mytextthing hidden}B{\\*\\mytextthing again}\\par"),
             QStringList { kUnkeptUnknownDestination.arg(QStringLiteral("mytextthing")) });
    QCOMPARE(unkept("\\pard A{\\*\\bkmkstart mark}B{\\*\\bkmkend mark}\\par"), QStringList { kUnkeptBookmark });
    // Inside a group that is kept whole, nothing is lost.
    QCOMPARE(unkept("\\pard A{\\footnote\\pard{\\*\\mytextthing x} note}B\\par"), QStringList());
}

void TestRtfStructure::jpegStaysJpeg()
{
    QImage image(8, 6, QImage::Format_RGB32);
    image.fill(QColor(10, 200, 30));
    QByteArray jpeg;
    QBuffer buffer(&jpeg);
    buffer.open(QIODevice::WriteOnly);
    QVERIFY(image.save(&buffer, "JPEG"));
    const QByteArray words = "\\jpegblip\\picw212\\pich159\\picwgoal120\\pichgoal90\\picscalex50\\picscaley75";
    const std::unique_ptr<QTextDocument> document = read("{\\rtf1 a{\\pict" + words + " " + jpeg.toHex() + "}b}");
    QVERIFY(document);
    QCOMPARE(document->toRawText().count(QChar::ObjectReplacementCharacter), 1);
    const QByteArray written = writeRtf(*document);
    QVERIFY2(written.contains(QByteArray("{\\pict" + words + "\r\n")), written.left(300).constData());
    QVERIFY(written.contains(jpeg.toHex().left(128)));
    QVERIFY(!written.contains("\\pngblip"));
}

QTEST_MAIN(TestRtfStructure)
#include "tst_rtfstructure.moc"
