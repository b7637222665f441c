// SPDX-License-Identifier: MIT
// What an RTF save keeps of what the document had: kept groups with their fonts and colours, lists,
// character formats, charsets.
#include "formats/documentio.h"
#include "formats/richtextstructure.h"
#include "formats/rtfreader.h"
#include "formats/rtfwriter.h"
#include "testpaths.h"

#include <QRegularExpression>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextList>

using namespace pemmo::formats;

namespace {

QString keepData(const QString& name)
{
    return QStringLiteral(PEMMO_KEEP_TESTDATA "/") + name;
}

std::unique_ptr<QTextDocument> loadRtf(const QString& name)
{
    const QByteArray bytes = readAllBytes(keepData(name));
    if (bytes.isEmpty())
        return nullptr;
    std::optional<RtfReadResult> read = readRtf(bytes);
    return read ? std::move(read->document) : nullptr;
}

// The group that starts with "{\<word>" in written RTF, by brace depth (escaped braces are text).
QByteArray groupAt(const QByteArray& rtf, const QByteArray& word)
{
    const qsizetype start = rtf.indexOf(QByteArray("{\\" + word));
    if (start < 0)
        return {};
    int depth = 0;
    for (qsizetype i = start; i < rtf.size(); ++i) {
        if (rtf[i] == '\\') {
            ++i;
        } else if (rtf[i] == '{') {
            ++depth;
        } else if (rtf[i] == '}' && --depth == 0) {
            return rtf.sliced(start, i - start + 1);
        }
    }
    return {};
}

// A kept group as the text of a document of its own, in the written file's tables: what a reader shows for it.
std::unique_ptr<QTextDocument> keptGroupAsBody(const QByteArray& rtf, const QByteArray& word)
{
    const QByteArray group = groupAt(rtf, word);
    const qsizetype tablesEnd = rtf.indexOf("{\\stylesheet");
    if (group.isEmpty() || tablesEnd < 0)
        return nullptr;
    const QByteArray body = rtf.first(tablesEnd) + QByteArray("{") + group.sliced(2 + word.size()) + QByteArray("}");
    std::optional<RtfReadResult> read = readRtf(body);
    return read ? std::move(read->document) : nullptr;
}

QTextBlock blockWithText(const QTextDocument& document, const QString& text)
{
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        if (block.text() == text)
            return block;
    }
    return {};
}

// The control words of the group that holds @p text (as the writer puts one run into one group).
QList<QByteArray> wordsOfRun(const QByteArray& rtf, const QByteArray& text)
{
    const qsizetype at = rtf.indexOf(QByteArray(' ' + text));
    if (at < 0)
        return {};
    const qsizetype start = rtf.lastIndexOf('{', at);
    QList<QByteArray> words = rtf.sliced(start + 1, at - start - 1).split('\\');
    for (QByteArray& word : words)
        word = word.trimmed();
    return words;
}

} // namespace

class TestRtfKeep final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void keptGroupsKeepFontColourAndCharacters_data();
    void keptGroupsKeepFontColourAndCharacters();
    void characterFormatsSurviveTwoSaves_data();
    void characterFormatsSurviveTwoSaves();
    void hiddenTextStaysHidden();
    void listNumbersReadAndKept_data();
    void listNumbersReadAndKept();
    void columnBreakAndEndnoteNumbers();
    void truncatedFileSaysSo_data();
    void truncatedFileSaysSo();
    void bulletBecomesWhatTheEncodingHas_data();
    void bulletBecomesWhatTheEncodingHas();
    void fontCharsetsKept();
    void westernAndEastAsianFacesSurviveTwoSaves();
    void libreOfficeLayoutKept();
    void plainTextAsRtfInTheEditorsFont();
    void markedFieldResultIsLinkText();
    void raisedTextKeepsItsShift();
    void tableLinesOnSomeSidesOnly();
    void cellBesideAMergeKeepsItsParagraph();
};

void TestRtfKeep::keptGroupsKeepFontColourAndCharacters_data()
{
    QTest::addColumn<QByteArray>("group");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("family");
    QTest::addColumn<QColor>("colour");
    QTest::newRow("Latin-1 header in red") << QByteArray("header") << QStringLiteral("Café crème")
                                           << QStringLiteral("Times New Roman") << QColor(255, 0, 0);
    QTest::newRow("Cyrillic footer in blue")
        << QByteArray("footer") << QStringLiteral("Привет") << QStringLiteral("Arial") << QColor(0, 0, 255);
    QTest::newRow("Latin-1 footnote with a Symbol bullet")
        << QByteArray("footnote") << QStringLiteral("Naïve note • bullet") << QStringLiteral("Times New Roman")
        << QColor();
}

void TestRtfKeep::keptGroupsKeepFontColourAndCharacters()
{
    QFETCH(QByteArray, group);
    QFETCH(QString, text);
    QFETCH(QString, family);
    QFETCH(QColor, colour);
    const std::unique_ptr<QTextDocument> source = loadRtf(QStringLiteral("kept-groups.rtf"));
    QVERIFY2(source, "tests/data/rtf-keep/kept-groups.rtf missing or unreadable");
    // An edit first, as a user makes one before saving.
    QTextCursor(source.get()).insertText(QStringLiteral("追記"));
    const QByteArray written = writeRtf(*source);
    const std::unique_ptr<QTextDocument> kept = keptGroupAsBody(written, group);
    QVERIFY2(kept, written.constData());
    const QString shown = kept->toPlainText().trimmed();
    QVERIFY2(shown.contains(text), qPrintable(shown));
    QTextCursor at(kept.get());
    at.setPosition(int(kept->toPlainText().indexOf(text)) + 1);
    QCOMPARE(at.charFormat().fontFamilies().toStringList().value(0), family);
    if (colour.isValid())
        QCOMPARE(at.charFormat().foreground().color(), colour);
}

void TestRtfKeep::characterFormatsSurviveTwoSaves_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QByteArray>("word");
    QTest::newRow("double underline") << QByteArray("double") << QByteArray("uldb");
    QTest::newRow("wave underline") << QByteArray("wave") << QByteArray("ulwave");
    QTest::newRow("dotted underline") << QByteArray("dotted") << QByteArray("uld");
    QTest::newRow("thick underline") << QByteArray("thick") << QByteArray("ulth");
    QTest::newRow("word underline") << QByteArray("word") << QByteArray("ulw");
    QTest::newRow("dash underline") << QByteArray("dash") << QByteArray("uldash");
    QTest::newRow("double strike") << QByteArray("twice") << QByteArray("striked1");
    QTest::newRow("capitals") << QByteArray("capitals") << QByteArray("caps");
    QTest::newRow("small capitals") << QByteArray("small") << QByteArray("scaps");
    QTest::newRow("outline") << QByteArray("outline") << QByteArray("outl");
    QTest::newRow("shadow") << QByteArray("shadow") << QByteArray("shad");
    QTest::newRow("emboss") << QByteArray("emboss") << QByteArray("embo");
    QTest::newRow("engrave") << QByteArray("engrave") << QByteArray("impr");
}

void TestRtfKeep::characterFormatsSurviveTwoSaves()
{
    QFETCH(QByteArray, text);
    QFETCH(QByteArray, word);
    const std::unique_ptr<QTextDocument> source = loadRtf(QStringLiteral("char-formats.rtf"));
    QVERIFY2(source, "tests/data/rtf-keep/char-formats.rtf missing or unreadable");
    const QByteArray first = writeRtf(*source);
    std::optional<RtfReadResult> again = readRtf(first);
    QVERIFY(again);
    const QByteArray second = writeRtf(*again->document);
    for (const QByteArray& written : { first, second }) {
        const QList<QByteArray> words = wordsOfRun(written, text);
        QVERIFY2(words.contains(word), written.constData());
    }
}

void TestRtfKeep::hiddenTextStaysHidden()
{
    const QByteArray bytes = readAllBytes(keepData(QStringLiteral("char-formats.rtf")));
    QVERIFY2(!bytes.isEmpty(), "tests/data/rtf-keep/char-formats.rtf missing");
    std::optional<RtfReadResult> read = readRtf(bytes);
    QVERIFY(read);
    QVERIFY(read->unkept.contains(QStringLiteral("文字間隔・文字幅")));
    for (int generation = 0; generation < 2; ++generation) {
        const QString shown = documentPlainText(*read->document);
        QVERIFY2(shown.contains(QStringLiteral("\nvisibleend\n")), qPrintable(shown));
        QVERIFY(!shown.contains(QStringLiteral("hidden")));
        const QByteArray written = writeRtf(*read->document);
        QVERIFY2(written.contains("\\v hidden") && written.contains("\\v \\u12354"), written.constData());
        read = readRtf(written);
        QVERIFY(read);
    }
}

void TestRtfKeep::listNumbersReadAndKept_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("label");
    const std::pair<const char16_t*, const char16_t*> rows[] = {
        { u"three", u"3." },     { u"four", u"4." },       { u"four one", u"4.1." },  { u"four two", u"4.2." },
        { u"five", u"5." },      { u"five one", u"5.1." }, { u"letter a", u"(a)" },   { u"letter b", u"(b)" },
        { u"いろは一", u"イ)" }, { u"いろは二", u"ロ)" },  { u"あいう一", u"ア." },   { u"あいう二", u"イ." },
        { u"丸一", u"①" },       { u"丸二", u"②" },        { u"漢数字一", u"一、" },  { u"漢数字二", u"二、" },
        { u"roman one", u"I." }, { u"roman two", u"II." }, { u"legacy two", u"II." }, { u"legacy three", u"III." },
    };
    for (const auto& [text, label] : rows)
        QTest::newRow(qPrintable(QString::fromUtf16(text))) << QString::fromUtf16(text) << QString::fromUtf16(label);
}

void TestRtfKeep::listNumbersReadAndKept()
{
    QFETCH(QString, text);
    QFETCH(QString, label);
    std::unique_ptr<QTextDocument> current = loadRtf(QStringLiteral("lists.rtf"));
    QVERIFY2(current, "tests/data/rtf-keep/lists.rtf missing or unreadable");
    QCOMPARE(listLabel(blockWithText(*current, text)), label);
    // Saved and read again, twice: the numbers stay what they were.
    for (int generation = 0; generation < 2; ++generation) {
        const QByteArray written = writeRtf(*current);
        std::optional<RtfReadResult> again = readRtf(written);
        QVERIFY(again);
        current = std::move(again->document);
        QVERIFY2(listLabel(blockWithText(*current, text)) == label, written.constData());
    }
}

void TestRtfKeep::columnBreakAndEndnoteNumbers()
{
    const QByteArray bytes = readAllBytes(keepData(QStringLiteral("notes-columns.rtf")));
    QVERIFY2(!bytes.isEmpty(), "tests/data/rtf-keep/notes-columns.rtf missing");
    std::optional<RtfReadResult> read = readRtf(bytes);
    QVERIFY(read);
    QVERIFY(read->unkept.contains(QStringLiteral("段の区切り")));
    const QString shown = documentPlainText(*read->document).trimmed();
    QCOMPARE(shown, QStringLiteral("left\nright\nBody1 andi andii."));
    // The numbering settings go back with the save, so the notes count the same way in other readers.
    const QByteArray written = writeRtf(*read->document);
    QVERIFY(written.contains("\\aftnnrlc"));
    read = readRtf(written);
    QVERIFY(read);
    QCOMPARE(documentPlainText(*read->document).trimmed(), shown);
}

void TestRtfKeep::truncatedFileSaysSo_data()
{
    QTest::addColumn<int>("cutAfter"); // bytes after the escapes of 「本文」; -1: the whole file
    QTest::addColumn<bool>("endsEarly");
    QTest::newRow("whole file") << -1 << false;
    QTest::newRow("cut after body text") << 8 << true;
    QTest::newRow("cut inside an escape") << 6 << true;
}

void TestRtfKeep::truncatedFileSaysSo()
{
    QFETCH(int, cutAfter);
    QFETCH(bool, endsEarly);
    QByteArray bytes = readAllBytes(keepData(QStringLiteral("kept-groups.rtf")));
    QVERIFY2(!bytes.isEmpty(), "tests/data/rtf-keep/kept-groups.rtf missing");
    if (cutAfter >= 0)
        bytes.truncate(bytes.indexOf("\\'95\\'b6") + cutAfter);
    const LoadedDocument loaded = readDocumentBytes(bytes);
    QCOMPARE(loaded.kind, DocumentKind::RichText);
    QCOMPARE(loaded.loadNote.isEmpty(), !endsEarly);
    // Lossy means bytes shown as U+FFFD; a cut-off end is named apart, so a save does not speak of unreadable bytes.
    QCOMPARE(loaded.lossy, documentPlainText(*loaded.richText).contains(QChar::ReplacementCharacter));
    QCOMPARE(loaded.unkept.contains(QStringLiteral("途中で切れたファイルの残り")), endsEarly);
    QVERIFY(documentPlainText(*loaded.richText).contains(u'本'));
}

void TestRtfKeep::bulletBecomesWhatTheEncodingHas_data()
{
    QTest::addColumn<Encoding>("encoding");
    QTest::addColumn<QString>("bullet");
    QTest::newRow("CP932 has no bullet") << Encoding::Cp932 << QStringLiteral("・");
    QTest::newRow("UTF-8 keeps it") << Encoding::Utf8 << QStringLiteral("•");
}

void TestRtfKeep::bulletBecomesWhatTheEncodingHas()
{
    QFETCH(Encoding, encoding);
    QFETCH(QString, bullet);
    QTextDocument document;
    QTextCursor cursor(&document);
    cursor.insertText(QStringLiteral("見出し"));
    cursor.insertBlock();
    cursor.createList(QTextListFormat::ListDisc);
    cursor.insertText(QStringLiteral("項目"));
    TextFormat format = kNewDocumentFormat;
    format.encoding = encoding;
    const SaveResult rendered = renderDocument(QStringLiteral("x.txt"), DocumentSource { &document, {} }, format);
    QCOMPARE(rendered.status, SaveStatus::Saved);
    const LoadedDocument back = readDocumentBytes(rendered.bytes);
    QVERIFY2(back.plainText.contains(bullet + QStringLiteral(" 項目")), qPrintable(back.plainText));
}

void TestRtfKeep::westernAndEastAsianFacesSurviveTwoSaves()
{
    std::unique_ptr<QTextDocument> document = loadRtf(QStringLiteral("faces.rtf"));
    QVERIFY2(document, "tests/data/rtf-keep/faces.rtf missing or unreadable");
    // Japanese typed into the western run takes the run's East Asian face along.
    QTextCursor(document.get()).insertText(QStringLiteral("追記"));
    for (int save = 0; save < 2; ++save) {
        std::optional<RtfReadResult> read = readRtf(writeRtf(*document));
        QVERIFY(read);
        document = std::move(read->document);
    }
    const QString text = document->toPlainText();
    const auto facesAt = [&](const QString& word) {
        QTextCursor at(document.get());
        at.setPosition(int(text.indexOf(word)) + 1);
        return at.charFormat().fontFamilies().toStringList();
    };
    const QStringList serif = { QStringLiteral("Times New Roman"), QStringLiteral("ＭＳ 明朝") };
    const QStringList sans = { QStringLiteral("Arial"), QStringLiteral("ＭＳ ゴシック") };
    QCOMPARE(facesAt(QStringLiteral("追記")), serif);
    QCOMPARE(facesAt(QStringLiteral("Serif")), serif);
    QCOMPARE(facesAt(QStringLiteral("明朝の本文")), serif);
    QCOMPARE(facesAt(QStringLiteral("Sans")), sans);
    QCOMPARE(facesAt(QStringLiteral("ゴシックの行")), sans);

    // A run that names only its East Asian face (as LibreOffice writes one whose western face is the
    // style's) keeps it there: after \dbch, where a plain \f would make it the western face.
    std::optional<RtfReadResult> eastAsianOnly = readRtf("{\\rtf1\\ansi\\ansicpg932\\deff0{\\fonttbl{\\f0\\fcharset0 "
                                                         "Liberation Serif;}{\\f1\\fcharset0 Times New Roman;}}"
                                                         "\\pard {\\dbch\\af1 \\u26085?\\u26412?}\\par}");
    QVERIFY(eastAsianOnly);
    for (int save = 0; save < 2; ++save) {
        const QByteArray written = writeRtf(*eastAsianOnly->document);
        QVERIFY2(written.contains("\\fcharset0 Times New Roman;") && written.contains("\\dbch\\af"),
                 written.constData());
        QVERIFY2(!written.contains("\\loch"), written.constData());
        eastAsianOnly = readRtf(written);
        QVERIFY(eastAsianOnly);
    }
    QTextCursor at(eastAsianOnly->document.get());
    at.setPosition(1);
    QCOMPARE(at.charFormat().fontFamilies().toStringList(), QStringList { QStringLiteral("Times New Roman") });
}

void TestRtfKeep::fontCharsetsKept()
{
    const std::unique_ptr<QTextDocument> source = loadRtf(QStringLiteral("kept-groups.rtf"));
    QVERIFY2(source, "tests/data/rtf-keep/kept-groups.rtf missing or unreadable");
    QTextCursor cursor(source.get());
    cursor.movePosition(QTextCursor::End);
    QTextCharFormat cyrillic;
    cyrillic.setFontFamilies({ QStringLiteral("Arial") });
    cursor.insertText(QStringLiteral("Ещё"), cyrillic);
    const QByteArray written = writeRtf(*source);
    // Arial came as a Cyrillic font: it stays one, and its text goes as Unicode with its own bytes behind.
    QVERIFY2(written.contains("\\fcharset204 Arial;"), written.constData());
    QVERIFY2(written.contains("\\u1045\\'c5\\u1097\\'f9\\u1105\\'b8"), written.constData());
    // Japanese text names its font after \dbch too, where LibreOffice looks for it.
    const QRegularExpression eastAsian(QStringLiteral("\\\\dbch\\\\af(\\d+)\\\\f\\1 \\\\'96\\\\'7b"));
    QVERIFY2(eastAsian.match(QString::fromLatin1(written)).hasMatch(), written.constData());
    std::optional<RtfReadResult> back = readRtf(written);
    QVERIFY(back);
    QVERIFY(back->document->toPlainText().endsWith(QStringLiteral("Ещё")));
}

void TestRtfKeep::libreOfficeLayoutKept()
{
    // LibreOffice's table: cells without padding, DejaVu Serif at 12 pt in the Normal style, and DejaVu
    // Sans for its Japanese.
    const QByteArray bytes = readAllBytes(QStringLiteral(PEMMO_STRUCTURE_TESTDATA "/table.rtf"));
    QVERIFY2(!bytes.isEmpty(), "tests/data/rtf-structure/table.rtf missing");
    std::optional<RtfReadResult> read = readRtf(bytes);
    QVERIFY(read);
    QTextCursor(read->document.get()).insertText(QStringLiteral("追記。"));
    const QByteArray written = writeRtf(*read->document);
    QVERIFY2(written.contains("\\trgaph0\\trleft0\\trpaddl0\\trpaddr0"), written.constData());
    QVERIFY2(!written.contains("\\trgaph108"), written.constData());
    QVERIFY2(written.contains("{\\f0\\fnil\\fcharset0 DejaVu Serif;}"), written.constData());
    const QRegularExpressionMatch normal =
        QRegularExpression(QStringLiteral("\\{\\\\ql \\\\f0\\\\fs24 \\\\dbch\\\\af(\\d+) \\\\snext0 Normal;\\}"))
            .match(QString::fromLatin1(written));
    QVERIFY2(normal.hasMatch(), written.constData());
    QVERIFY2(written.contains(QByteArray("{\\f" + normal.captured(1).toLatin1() + "\\fnil\\fcharset0 DejaVu Sans;}")),
             written.constData());
}

void TestRtfKeep::plainTextAsRtfInTheEditorsFont()
{
    QFont font(QStringLiteral("Noto Sans CJK JP"));
    font.setPointSizeF(14);
    const QString text = QStringLiteral("一行目\n二行目");
    const SaveResult rendered = renderDocument(QStringLiteral("x.rtf"), DocumentSource { nullptr, text, {}, font },
                                               kNewDocumentFormat);
    QCOMPARE(rendered.status, SaveStatus::Saved);
    QVERIFY2(rendered.bytes.contains("{\\f0\\fnil\\fcharset128 Noto Sans CJK JP;}"), rendered.bytes.constData());
    std::optional<RtfReadResult> back = readRtf(rendered.bytes);
    QVERIFY(back);
    QTextCursor at(back->document.get());
    at.setPosition(1);
    QCOMPARE(at.charFormat().fontPointSize(), 14.0);
    QCOMPARE(documentPlainText(*back->document), text);
}

void TestRtfKeep::markedFieldResultIsLinkText()
{
    // AbiWord writes a link's text as {\*\fldrslt ...}: it is text to show and keep, not a group to skip.
    const QByteArray bytes = readAllBytes(QStringLiteral(PEMMO_ROUNDTRIP_TESTDATA "/abi-lists.rtf"));
    QVERIFY2(!bytes.isEmpty(), "tests/data/rtf-roundtrip/abi-lists.rtf missing");
    QVERIFY(bytes.contains("{\\*\\fldrslt"));
    const auto linkText = [](const QTextDocument& document) {
        QStringList links;
        for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
            for (auto it = block.begin(); !it.atEnd(); ++it) {
                if (it.fragment().charFormat().isAnchor())
                    links << it.fragment().charFormat().anchorHref() + u' ' + it.fragment().text();
            }
        }
        return links;
    };
    std::optional<RtfReadResult> read = readRtf(bytes);
    QVERIFY(read);
    QVERIFY2(read->document->toPlainText().contains(QStringLiteral("リストの後 AbiWord site.")),
             qPrintable(read->document->toPlainText()));
    const QStringList expected { QStringLiteral("https://www.abisource.com/ AbiWord site") };
    QCOMPARE(linkText(*read->document), expected);
    std::optional<RtfReadResult> back = readRtf(writeRtf(*read->document));
    QVERIFY(back);
    QCOMPARE(linkText(*back->document), expected);
}

void TestRtfKeep::raisedTextKeepsItsShift()
{
    // {\up6\fs16 上げ}{\dn6\fs16 下げ} beside \super and \sub: a raise is not a superscript, whose size
    // a reader makes smaller (LibreOffice: 58 %).
    const QByteArray bytes = readAllBytes(QStringLiteral(PEMMO_ROUNDTRIP_TESTDATA "/win-fields.rtf"));
    QVERIFY2(!bytes.isEmpty(), "tests/data/rtf-roundtrip/win-fields.rtf missing");
    std::optional<RtfReadResult> read = readRtf(bytes);
    QVERIFY(read);
    const auto formatOf = [](const QTextDocument& document, const QString& text) {
        const QTextCursor found = document.find(text);
        return found.isNull() ? QTextCharFormat() : found.charFormat();
    };
    for (int generation = 0; generation < 2; ++generation) {
        const QByteArray written = writeRtf(*read->document);
        QVERIFY2(written.contains("\\up6") && written.contains("\\dn6"), written.constData());
        QVERIFY2(written.contains("\\super") && written.contains("\\sub"), written.constData());
        read = readRtf(written);
        QVERIFY(read);
        const QTextCharFormat up = formatOf(*read->document, QStringLiteral("上げ"));
        const QTextCharFormat down = formatOf(*read->document, QStringLiteral("下げ"));
        QCOMPARE(up.verticalAlignment(), QTextCharFormat::AlignSuperScript);
        QCOMPARE(up.intProperty(kRtfRaiseProperty), 6);
        QCOMPARE(down.verticalAlignment(), QTextCharFormat::AlignSubScript);
        QCOMPARE(down.intProperty(kRtfRaiseProperty), -6);
        QCOMPARE(up.fontPointSize(), 8.0);
    }
    // Made a subscript in the editor, raised text is written as one.
    QTextCursor cursor = read->document->find(QStringLiteral("上げ"));
    QTextCharFormat sub;
    sub.setVerticalAlignment(QTextCharFormat::AlignSubScript);
    cursor.mergeCharFormat(sub);
    const QByteArray written = writeRtf(*read->document);
    QVERIFY2(!written.contains("\\up6"), written.constData());
}

void TestRtfKeep::tableLinesOnSomeSidesOnly()
{
    // pandoc draws one line under the header row and none elsewhere: a save must not box every cell.
    const QByteArray bytes = readAllBytes(QStringLiteral(PEMMO_ROUNDTRIP_TESTDATA "/pandoc-table.rtf"));
    QVERIFY2(!bytes.isEmpty(), "tests/data/rtf-roundtrip/pandoc-table.rtf missing");
    std::optional<RtfReadResult> read = readRtf(bytes);
    QVERIFY(read);
    for (int generation = 0; generation < 2; ++generation) {
        const QByteArray written = writeRtf(*read->document);
        const QList<QByteArray> rows = written.split('\n');
        QList<QByteArray> definitions;
        for (const QByteArray& line : rows) {
            if (line.startsWith("\\trowd"))
                definitions << line.trimmed();
        }
        QVERIFY2(definitions.size() >= 4, written.constData());
        // Header row: bottom lines only; the body rows: none.
        QCOMPARE(definitions[0].count("\\clbrdrb\\brdrs"), 3);
        QVERIFY2(!definitions[0].contains("\\clbrdrt") && !definitions[0].contains("\\clbrdrl"),
                 definitions[0].constData());
        QVERIFY2(!definitions[1].contains("\\clbrdr"), definitions[1].constData());
        read = readRtf(written);
        QVERIFY(read);
    }
}

void TestRtfKeep::cellBesideAMergeKeepsItsParagraph()
{
    // LibreOffice's table: 「部署 Dept.」 follows a cell two columns wide and is centred; placing it in
    // its column must not leave its paragraph's alignment and style behind.
    const QByteArray bytes = readAllBytes(QStringLiteral(PEMMO_ROUNDTRIP_TESTDATA "/lo-table.rtf"));
    QVERIFY2(!bytes.isEmpty(), "tests/data/rtf-roundtrip/lo-table.rtf missing");
    std::optional<RtfReadResult> read = readRtf(bytes);
    QVERIFY(read);
    for (int generation = 0; generation < 2; ++generation) {
        const QTextBlock dept = blockWithText(*read->document, QStringLiteral("部署 Dept."));
        QVERIFY(dept.isValid());
        QCOMPARE(dept.blockFormat().alignment() & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);
        const QTextBlock name = blockWithText(*read->document, QStringLiteral("氏名 Name"));
        QVERIFY(name.isValid());
        QCOMPARE(dept.blockFormat().property(kRtfStyleNameProperty),
                 name.blockFormat().property(kRtfStyleNameProperty));
        read = readRtf(writeRtf(*read->document));
        QVERIFY(read);
    }
}

QTEST_GUILESS_MAIN(TestRtfKeep)
#include "tst_rtfkeep.moc"
