// SPDX-License-Identifier: MIT
// Which encoding a file is read in, on files made for it in every encoding the menu offers
// (tests/data/encodings), and saves in each of them that read back the same.
#include "formats/documentio.h"
#include "formats/encodingdetection.h"
#include "formats/plaintext.h"
#include "testpaths.h"

#include <QTemporaryDir>
#include <QTextDocument>

using namespace pemmo::formats;

Q_DECLARE_METATYPE(pemmo::formats::Encoding)
Q_DECLARE_METATYPE(pemmo::formats::LineEnding)

namespace {

QString encodingsData()
{
    return QStringLiteral(PEMMO_ENCODINGS_TESTDATA);
}

QByteArray encodingsFile(const QString& name)
{
    return readAllBytes(encodingsData() + u'/' + name);
}

// The editor holds '\n' between lines and no break after the last one.
QString sourceText(const QString& name)
{
    QString text = QString::fromUtf8(encodingsFile(QStringLiteral("source/") + name));
    if (text.endsWith(u'\n'))
        text.chop(1);
    return text;
}

} // namespace

class TestEncodingDetection final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void detects_data();
    void detects();
    void readsJapaneseAndOthersInTheirOwnEncoding_data();
    void readsJapaneseAndOthersInTheirOwnEncoding();
    void binaryFilesAreAskedAbout();
    void cp932LookAlikesSaveWithoutAsking();
    void everyOfferedEncodingSavesAndReadsBack_data();
    void everyOfferedEncodingSavesAndReadsBack();
    void chosenEncodingOverridesDetection();
    void shortWesternTextIsWindows1252();
};

void TestEncodingDetection::detects_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<Encoding>("encoding");
    QTest::addColumn<bool>("bom");
    QTest::addColumn<LineEnding>("ending");
    QTest::addColumn<QString>("text"); // a source file's name, or the text itself

    const auto row = [](const char* file, Encoding encoding, bool bom, LineEnding ending, const QString& text) {
        QTest::newRow(file) << QString::fromLatin1(file) << encoding << bom << ending << text;
    };
    const QString ja = QStringLiteral("source/ja.txt");
    row("cp932.txt", Encoding::Cp932, false, LineEnding::CrLf, ja);
    row("eucjp.txt", Encoding::EucJp, false, LineEnding::Lf, ja);
    row("iso2022jp.txt", Encoding::Iso2022Jp, false, LineEnding::CrLf, ja);
    row("utf8.txt", Encoding::Utf8, false, LineEnding::Lf, ja);
    row("utf8_bom.txt", Encoding::Utf8, true, LineEnding::CrLf, ja);
    row("utf16le_bom.txt", Encoding::Utf16Le, true, LineEnding::CrLf, ja);
    row("utf16be_bom.txt", Encoding::Utf16Be, true, LineEnding::CrLf, ja);
    row("utf16le.txt", Encoding::Utf16Le, false, LineEnding::CrLf, ja);
    row("utf16be.txt", Encoding::Utf16Be, false, LineEnding::Lf, ja);
    row("gb18030.txt", Encoding::Gb18030, false, LineEnding::CrLf, QStringLiteral("source/zh_hans.txt"));
    row("big5.txt", Encoding::Big5, false, LineEnding::CrLf, QStringLiteral("source/zh_hant.txt"));
    row("euckr.txt", Encoding::EucKr, false, LineEnding::Lf, QStringLiteral("source/ko.txt"));
    row("latin1.txt", Encoding::Iso8859_1, false, LineEnding::Lf, QStringLiteral("source/fr.txt"));
    row("windows1252.txt", Encoding::Windows1252, false, LineEnding::CrLf, QStringLiteral("source/de.txt"));
    row("short_cp932.txt", Encoding::Cp932, false, LineEnding::CrLf, QStringLiteral("メモ"));
    row("short_utf8.txt", Encoding::Utf8, false, LineEnding::CrLf, QStringLiteral("あ"));
    row("short_utf16le.txt", Encoding::Utf16Le, false, LineEnding::CrLf, QStringLiteral("ab"));
    row("short_utf16be_kanji.txt", Encoding::Utf16Be, false, LineEnding::Lf, QStringLiteral("漢字"));
    row("short_eucjp_kanji.txt", Encoding::EucJp, false, LineEnding::CrLf, QStringLiteral("漢字"));
    // Valid CP932 too, but there it is half-width katakana alternating with ､: EUC-JP gives hiragana.
    row("short_eucjp_a.txt", Encoding::EucJp, false, LineEnding::CrLf, QStringLiteral("あ"));
    // Valid in both, and neither reading is ordinary Japanese: CP932, and the menu fixes it.
    row("short_gb18030_ambiguous.txt", Encoding::Cp932, false, LineEnding::CrLf, QStringLiteral("ﾖﾐﾎﾄ"));
}

void TestEncodingDetection::detects()
{
    QFETCH(QString, file);
    QFETCH(Encoding, encoding);
    QFETCH(bool, bom);
    QFETCH(LineEnding, ending);
    QFETCH(QString, text);
    const QByteArray bytes = encodingsFile(file);
    QVERIFY2(!bytes.isEmpty(), qPrintable(QStringLiteral("missing test file ") + file));
    const QString expected = text.startsWith(QLatin1String("source/")) ? sourceText(text.mid(7)) : text;
    QVERIFY(!expected.isEmpty());

    const TextFormat detected = detectEncoding(bytes);
    QCOMPARE(encodingName(detected.encoding), encodingName(encoding));
    QCOMPARE(detected.bom, bom);
    const DecodedText decoded = decodePlainText(bytes);
    QCOMPARE(decoded.text, expected);
    QVERIFY(!decoded.lossy);
    QCOMPARE(decoded.format.lineEnding, ending);
    QVERIFY(!looksBinary(bytes));
    // Kept on save: the same bytes come back, a file without a final break stays without.
    QCOMPARE(encodePlainText(decoded.text, decoded.format).toHex(' '), bytes.toHex(' '));
}

void TestEncodingDetection::readsJapaneseAndOthersInTheirOwnEncoding_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<Encoding>("encoding");
    QTest::addColumn<QString>("text"); // as the editor holds it: '\n' between lines, no final break

    const auto row = [](const char* name, const char* file, Encoding encoding, const QString& text) {
        QTest::newRow(name) << QString::fromLatin1(file) << encoding << text;
    };
    // Japanese without a single hiragana.
    row("half-width katakana only: CP932", "cp932_halfwidth_katakana.txt", Encoding::Cp932,
        QStringLiteral("ｺﾝﾆﾁﾊ｡ ｷｮｳﾊ ｲｲ ﾃﾝｷﾃﾞｽﾈ｡"));
    row("NEC row 13 symbols only: CP932", "cp932_nec_row13.txt", Encoding::Cp932,
        QStringLiteral("①②③④⑤ ㈱㈲ ㍉㌔㌢㍍ ㍻ №℡"));
    row("NEC-selected kanji only: CP932", "cp932_nec_selected_kanji.txt", Encoding::Cp932,
        QStringLiteral("纊褜鍈銈蓜俉炻昱棈鋹曻彅 髙髜"));
    // Short EUC-JP, valid CP932 half-width punctuation and katakana too.
    row("short EUC-JP hiragana: EUC-JP", "short_eucjp_a.txt", Encoding::EucJp, QStringLiteral("あ"));
    row("short EUC-JP katakana: EUC-JP", "short_eucjp_katakana.txt", Encoding::EucJp, QStringLiteral("テスト"));
    row("two-line EUC-JP note: EUC-JP", "eucjp_two_line_note.txt", Encoding::EucJp,
        QStringLiteral("メモ：明日は会議です。\n資料を忘れずに持ってくること。"));
    row("short ISO-2022-JP: ISO-2022-JP", "short_iso2022jp.txt", Encoding::Iso2022Jp,
        QStringLiteral("こんにちは、世界。"));
    row("UTF-16LE Japanese without BOM: UTF-16LE", "short_utf16le_japanese.txt", Encoding::Utf16Le,
        QStringLiteral("メモ: 日本語のテキスト"));
    // Western text with a few accents, not valid CP932.
    row("Café déjà vu: Windows-1252", "windows1252_cafe.txt", Encoding::Windows1252, QStringLiteral("Café déjà vu"));
    row("résumé élève: Windows-1252", "windows1252_resume.txt", Encoding::Windows1252, QStringLiteral("résumé élève"));
    row("euro, dash and quotes: Windows-1252", "windows1252_euro_quotes.txt", Encoding::Windows1252,
        QStringLiteral("100€ — “quoted”"));
    row("Latin-1 line: ISO-8859-1", "latin1_line.txt", Encoding::Iso8859_1,
        QStringLiteral("Où est la gare? Ça coûte 5 £, à côté du café: élève, garçon, naïf, déjà, père, Noël, être, "
                       "forêt."));
    // Other scripts stay what they are.
    row("Greek in Windows-1253: Windows-1253", "windows1253_greek.txt", Encoding::Windows1253,
        QStringLiteral("Καλημέρα σας! Αυτό είναι ένα κείμενο στα ελληνικά.\nΆλλη μία γραμμή με “εισαγωγικά” και "
                       "τόνους."));
    row("Greek in ISO-8859-7: ISO-8859-7", "iso8859_7_greek.txt", Encoding::Iso8859_7,
        QStringLiteral("Καλημέρα σας! Αυτό είναι ένα κείμενο στα ελληνικά.\nΆλλη μία γραμμή με τόνους και διαλυτικά: "
                       "ϊ ΰ."));
    row("Russian in KOI8-R: KOI8-R", "koi8r_russian.txt", Encoding::Koi8R,
        QStringLiteral("Привет, мир! Это текст на русском языке в кодировке КОИ-8.\nВторая строка: съешь же ещё этих "
                       "мягких французских булок."));
    row("Ukrainian in KOI8-U: KOI8-U", "koi8u_ukrainian.txt", Encoding::Koi8U,
        QStringLiteral("Привіт, світе! Це текст українською мовою в кодуванні КОІ-8.\nЇжак з'їв ґедзя, і єнот теж."));
}

void TestEncodingDetection::readsJapaneseAndOthersInTheirOwnEncoding()
{
    QFETCH(QString, file);
    QFETCH(Encoding, encoding);
    QFETCH(QString, text);
    const QByteArray bytes = encodingsFile(file);
    QVERIFY2(!bytes.isEmpty(), qPrintable(QStringLiteral("missing test file ") + file));

    QCOMPARE(encodingName(detectEncoding(bytes).encoding), encodingName(encoding));
    const DecodedText decoded = decodePlainText(bytes);
    QCOMPARE(decoded.text, text);
    QVERIFY(!decoded.lossy);
    QCOMPARE(encodePlainText(decoded.text, decoded.format).toHex(' '), bytes.toHex(' '));
}

void TestEncodingDetection::binaryFilesAreAskedAbout()
{
    const QByteArray binary = encodingsFile(QStringLiteral("binary.bin"));
    QVERIFY2(!binary.isEmpty(), "missing test file binary.bin");
    QVERIFY(looksBinary(binary));
    // A NUL after the first 8 KiB is not looked at.
    QVERIFY(!looksBinary(QByteArray(QByteArray(8 * 1024, 'a') + QByteArray(1, '\0'))));

    int asked = 0;
    bool answer = false;
    LoadOptions options;
    options.confirmBinary = [&] {
        ++asked;
        return answer;
    };
    const QString binaryPath = encodingsData() + QStringLiteral("/binary.bin");
    LoadResult refused = loadDocument(binaryPath, options);
    QCOMPARE(asked, 1);
    QVERIFY(refused.cancelled);
    QVERIFY(!refused.document);
    QVERIFY(refused.errorMessage.isEmpty());

    answer = true;
    LoadResult accepted = loadDocument(binaryPath, options);
    QCOMPARE(asked, 2);
    QVERIFY(accepted.document);
    QVERIFY(accepted.document->plainText.startsWith(QStringLiteral("\x7F"
                                                                   "ELF")));

    // UTF-16 is full of NUL bytes and is text: no question.
    for (const char* name : { "utf16le.txt", "utf16be.txt", "utf16le_bom.txt", "short_utf16be_kanji.txt" }) {
        const LoadResult text = loadDocument(encodingsData() + u'/' + QLatin1String(name), options);
        QVERIFY2(text.document, name);
    }
    QCOMPARE(asked, 2);
}

void TestEncodingDetection::cp932LookAlikesSaveWithoutAsking()
{
    // What Mozc types, and the CP932 code that Windows and glibc write for it.
    const struct
    {
        char16_t character;
        char16_t readBack;
        const char* code;
    } pairs[] = {
        { 0x301C, 0xFF5E, "\x81\x60" }, { 0x2016, 0x2225, "\x81\x61" }, { 0x2212, 0xFF0D, "\x81\x7C" },
        { 0x00A2, 0xFFE0, "\x81\x91" }, { 0x00A3, 0xFFE1, "\x81\x92" }, { 0x00AC, 0xFFE2, "\x81\xCA" },
        { 0x2014, 0x2015, "\x81\x5C" },
    };
    QTemporaryDir dir;
    for (const auto& pair : pairs) {
        const QString text = QStringLiteral("a") + QChar(pair.character) + QStringLiteral("b");
        QVERIFY(!findUnencodable(text, Encoding::Cp932));
        const QString path = dir.filePath(QStringLiteral("pair.txt"));
        const SaveResult saved = saveDocument(path, DocumentSource { nullptr, text }, kNewDocumentFormat);
        QCOMPARE(saved.status, SaveStatus::Saved);
        const QByteArray expected = QByteArray("a") + pair.code + "b\r\n";
        const QByteArray bytes = readAllBytes(path);
        QCOMPARE(bytes.toHex(' '), expected.toHex(' '));
        // Read back it is the partner, which saves to the same code: the round trip is stable.
        const DecodedText back = decodePlainText(bytes, Encoding::Cp932);
        QCOMPARE(back.text, QStringLiteral("a") + QChar(pair.readBack) + QStringLiteral("b"));
        QCOMPARE(encodePlainText(back.text, back.format).toHex(' '), expected.toHex(' '));
    }
    // Only these: everything else CP932 cannot hold still asks, in the middle of the pairs too.
    const QString mixed = QStringLiteral("〜‖−¢£¬—é");
    const std::optional<Unencodable> bad = findUnencodable(mixed, Encoding::Cp932);
    QVERIFY(bad);
    QCOMPARE(uint(bad->character), 0xE9u);
    // EUC-JP's own table holds U+301C; the partners are a CP932 matter.
    QVERIFY(!findUnencodable(QStringLiteral("〜"), Encoding::EucJp));
}

void TestEncodingDetection::everyOfferedEncodingSavesAndReadsBack_data()
{
    QTest::addColumn<Encoding>("encoding");
    QTest::addColumn<bool>("bom");
    QTest::addColumn<QString>("source");
    for (const EncodingChoice& choice : offeredEncodings()) {
        QString source = QStringLiteral("ja.txt");
        if (choice.encoding == Encoding::Gb18030)
            source = QStringLiteral("zh_hans.txt");
        else if (choice.encoding == Encoding::Big5)
            source = QStringLiteral("zh_hant.txt");
        else if (choice.encoding == Encoding::EucKr)
            source = QStringLiteral("ko.txt");
        else if (choice.encoding == Encoding::Iso8859_1)
            source = QStringLiteral("fr.txt");
        else if (choice.encoding == Encoding::Windows1252)
            source = QStringLiteral("de.txt");
        else if (choice.encoding == Encoding::Koi8R)
            source = QStringLiteral("ru.txt");
        else if (choice.encoding == Encoding::Koi8U)
            source = QStringLiteral("uk.txt");
        QTest::newRow(qPrintable(encodingLabel(choice.encoding, choice.bom)))
            << choice.encoding << choice.bom << source;
    }
}

void TestEncodingDetection::everyOfferedEncodingSavesAndReadsBack()
{
    QFETCH(Encoding, encoding);
    QFETCH(bool, bom);
    QFETCH(QString, source);
    const QString text = sourceText(source);
    QVERIFY2(!text.isEmpty(), qPrintable(QStringLiteral("missing source/") + source));
    QTemporaryDir dir;
    for (const LineEnding ending : kOfferedLineEndings) {
        const TextFormat format { encoding, bom, ending };
        const QString path = dir.filePath(QStringLiteral("saved.txt"));
        const SaveResult saved = saveDocument(path, DocumentSource { nullptr, text }, format);
        QCOMPARE(saved.status, SaveStatus::Saved);
        // Long enough to be recognised on its own: opening the saved file finds the same format.
        const LoadResult loaded = loadDocument(path);
        QVERIFY(loaded.document);
        QCOMPARE(loaded.document->plainText, text);
        QCOMPARE(encodingLabel(loaded.document->format), encodingLabel(format));
        QCOMPARE(loaded.document->format.lineEnding, ending);
    }
}

void TestEncodingDetection::chosenEncodingOverridesDetection()
{
    // 「中文」 in GB18030 is detected as CP932; the chosen encoding reads it right.
    LoadOptions options;
    options.encoding = Encoding::Gb18030;
    const LoadResult chosen = loadDocument(encodingsData() + QStringLiteral("/short_gb18030_ambiguous.txt"), options);
    QVERIFY(chosen.document);
    QCOMPARE(chosen.document->plainText, QStringLiteral("中文"));
    QCOMPARE(chosen.document->format.encoding, Encoding::Gb18030);
    QVERIFY(!chosen.document->lossy);
    // A wrong choice is not silent: the bytes that do not decode make the load lossy.
    options.encoding = Encoding::Utf8;
    const LoadResult wrong = loadDocument(encodingsData() + QStringLiteral("/cp932.txt"), options);
    QVERIFY(wrong.document);
    QVERIFY(wrong.document->lossy);
    // A BOM of the chosen encoding is still taken off and kept.
    options.encoding = Encoding::Utf16Le;
    const LoadResult withBom = loadDocument(encodingsData() + QStringLiteral("/utf16le_bom.txt"), options);
    QVERIFY(withBom.document);
    QVERIFY(withBom.document->format.bom);
    QCOMPARE(withBom.document->plainText, sourceText(QStringLiteral("ja.txt")));
}

void TestEncodingDetection::shortWesternTextIsWindows1252()
{
    // "café" is too little for uchardet, but neither Japanese reading works and it looks like a
    // word with an accent: Windows-1252, not lossy.
    const QByteArray bytes = encodingsFile(QStringLiteral("short_latin1.txt"));
    QVERIFY2(!bytes.isEmpty(), "missing test file short_latin1.txt");
    const DecodedText detected = decodePlainText(bytes);
    QCOMPARE(encodingName(detected.format.encoding), QStringLiteral("Windows-1252"));
    QCOMPARE(detected.text, QStringLiteral("café"));
    QVERIFY(!detected.lossy);
    // Japanese cut in the middle of a character is not Western: CP932, lossy, so a save asks.
    const QByteArray cut = encodingsFile(QStringLiteral("cp932.txt")).first(31);
    QVERIFY(cut.size() == 31 && uchar(cut.back()) >= 0x81);
    const DecodedText cutDecoded = decodePlainText(cut);
    QCOMPARE(cutDecoded.format.encoding, Encoding::Cp932);
    // A damaged byte in the middle too.
    QByteArray damaged = encodingsFile(QStringLiteral("cp932_no_final_break.txt"));
    damaged.insert(6, '\xFF');
    QCOMPARE(decodePlainText(damaged).format.encoding, Encoding::Cp932);
    QVERIFY(decodePlainText(damaged).lossy);
}

QTEST_GUILESS_MAIN(TestEncodingDetection)
#include "tst_encodingdetection.moc"
