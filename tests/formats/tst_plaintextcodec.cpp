// SPDX-License-Identifier: MIT
// Plain-text encodings: detection, decoding as iconv does, byte-exact saves, and loss that is never silent.
#include "formats/documentio.h"
#include "formats/iconvcodec.h"
#include "formats/plaintext.h"
#include "testpaths.h"

#include <QRegularExpression>
#include <QTemporaryDir>

using namespace pemmo::formats;

Q_DECLARE_METATYPE(pemmo::formats::Encoding)
Q_DECLARE_METATYPE(pemmo::formats::LineEnding)

namespace {

// The oracle files keep the file's own line breaks; the editor holds '\n' and no final break.
QString asEditorText(QString text)
{
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(u'\r', u'\n');
    if (text.endsWith(u'\n'))
        text.chop(1);
    return text;
}

// What a save writes for a CP932 file, by the corpus's table of codes that CP932 holds twice
// (code, character, the code iconv writes for it): a character the file holds under one code
// only keeps that code; one it holds under several is written with iconv's code.
QByteArray withPreferredForms(const QByteArray& original, const QString& tablePath)
{
    QHash<quint16, quint16> reencoded;
    QHash<quint16, uint> characterOf; // every code of the table, the written one too
    QFile table(tablePath);
    if (!table.open(QIODevice::ReadOnly))
        return {};
    table.readLine();
    while (!table.atEnd()) {
        const QList<QByteArray> columns = table.readLine().trimmed().split('\t');
        if (columns.size() < 3)
            continue;
        const auto code = quint16(columns[0].toUInt(nullptr, 16));
        const auto written = quint16(columns[2].toUInt(nullptr, 16));
        const uint character = columns[1].mid(2).toUInt(nullptr, 16);
        reencoded.insert(code, written);
        characterOf.insert(code, character);
        characterOf.insert(written, character);
    }
    const auto isLead = [](quint8 b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); };
    QHash<uint, QSet<quint16>> codesInFile;
    for (qsizetype i = 0; i + 1 < original.size(); ++i) {
        const auto lead = quint8(original[i]);
        if (!isLead(lead))
            continue;
        const quint16 code = quint16(lead << 8 | quint8(original[i + 1]));
        if (characterOf.contains(code))
            codesInFile[characterOf.value(code)].insert(code);
        ++i;
    }
    QByteArray out;
    for (qsizetype i = 0; i < original.size(); ++i) {
        const auto lead = quint8(original[i]);
        if (isLead(lead) && i + 1 < original.size()) {
            const quint16 code = quint16(lead << 8 | quint8(original[i + 1]));
            const bool several = codesInFile.value(characterOf.value(code)).size() > 1;
            const quint16 written = reencoded.contains(code) && several ? reencoded.value(code) : code;
            out.append(char(written >> 8));
            out.append(char(written & 0xFF));
            ++i;
        } else {
            out.append(char(lead));
        }
    }
    return out;
}

} // namespace

class TestPlainTextCodec final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void detectsEncoding_data();
    void detectsEncoding();
    void lineEndings_data();
    void lineEndings();
    void corpusRoundTrip_data();
    void corpusRoundTrip();
    void everyTextFileSavesUnchanged_data();
    void everyTextFileSavesUnchanged();
    void keptBreaksAndChosenEnding();
    void damagedUtf8StaysUtf8_data();
    void damagedUtf8StaysUtf8();
    void everyDoubleByteCodeDecodesAsIconv();
    void utf8DecodingMatchesIconv_data();
    void utf8DecodingMatchesIconv();
    void whatwgOracleAgreesOnValidPairs();
    void undecodableCorpusFilesAreLossy_data();
    void undecodableCorpusFilesAreLossy();
    void singleBytesSurvive_data();
    void singleBytesSurvive();
    void cutOffLeadByteIsLossy_data();
    void cutOffLeadByteIsLossy();
    void projectFixturesRoundTrip_data();
    void projectFixturesRoundTrip();
    void unencodableIsReportedBeforeWriting_data();
    void unencodableIsReportedBeforeWriting();
    void newDocumentFormat();
};

void TestPlainTextCodec::detectsEncoding_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<Encoding>("encoding");
    QTest::addColumn<bool>("bom");
    QTest::newRow("utf-8 bom") << QByteArray("\xEF\xBB\xBF"
                                             "abc")
                               << Encoding::Utf8 << true;
    QTest::newRow("utf-16le bom") << QByteArray("\xFF\xFE"
                                                "a\0",
                                                4)
                                  << Encoding::Utf16Le << true;
    QTest::newRow("utf-16be bom") << QByteArray("\xFE\xFF\0a", 4) << Encoding::Utf16Be << true;
    QTest::newRow("utf-8 without bom") << QStringLiteral("日本語").toUtf8() << Encoding::Utf8 << false;
    QTest::newRow("pure ascii is cp932") << QByteArray("plain ascii\r\n") << Encoding::Cp932 << false;
    QTest::newRow("empty is cp932") << QByteArray() << Encoding::Cp932 << false;
    QTest::newRow("shift_jis kanji") << QByteArray("\x93\xfa\x96\x7b\x8c\xea\x82\xcc\x95\xb6\x8f\xcd")
                                     << Encoding::Cp932 << false;
    QTest::newRow("cut-off utf-8 is not utf-8") << QByteArray("abc\xE6\x97") << Encoding::Cp932 << false;
    QTest::newRow("overlong utf-8 is not utf-8") << QByteArray("\xC0\xAF\x82\xa0") << Encoding::Cp932 << false;
    QTest::newRow("euc-jp fixture") << readAllBytes(projectTestData() + QStringLiteral("/eucjp_lines.txt"))
                                    << Encoding::EucJp << false;
    QTest::newRow("iso-2022-jp fixture") << readAllBytes(projectTestData() + QStringLiteral("/iso2022jp_crlf.txt"))
                                         << Encoding::Iso2022Jp << false;
}

void TestPlainTextCodec::detectsEncoding()
{
    QFETCH(QByteArray, bytes);
    QFETCH(Encoding, encoding);
    QFETCH(bool, bom);
    const TextFormat format = detectEncoding(bytes);
    QCOMPARE(format.encoding, encoding);
    QCOMPARE(format.bom, bom);
}

void TestPlainTextCodec::lineEndings_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");
    QTest::addColumn<LineEnding>("ending");
    QTest::addColumn<QByteArray>("saved");
    QTest::newRow("crlf") << QByteArray("a\r\nb\r\n") << QStringLiteral("a\nb") << LineEnding::CrLf
                          << QByteArray("a\r\nb\r\n");
    QTest::newRow("no final break stays without")
        << QByteArray("a\nb") << QStringLiteral("a\nb") << LineEnding::Lf << QByteArray("a\nb");
    QTest::newRow("cr only") << QByteArray("a\rb\r") << QStringLiteral("a\nb") << LineEnding::Cr
                             << QByteArray("a\rb\r");
    QTest::newRow("mixed are kept, most frequent named")
        << QByteArray("a\r\nb\nc\nd\r") << QStringLiteral("a\r\nb\nc\nd") << LineEnding::Lf
        << QByteArray("a\r\nb\nc\nd\r");
    QTest::newRow("blank last line kept")
        << QByteArray("a\r\n\r\n") << QStringLiteral("a\n") << LineEnding::CrLf << QByteArray("a\r\n\r\n");
    QTest::newRow("one line without break")
        << QByteArray("one line") << QStringLiteral("one line") << LineEnding::CrLf << QByteArray("one line");
    QTest::newRow("lone break") << QByteArray("\n") << QString() << LineEnding::Lf << QByteArray("\n");
    QTest::newRow("empty stays empty") << QByteArray() << QString() << LineEnding::CrLf << QByteArray();
}

void TestPlainTextCodec::lineEndings()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);
    QFETCH(LineEnding, ending);
    QFETCH(QByteArray, saved);
    const DecodedText decoded = decodePlainText(bytes);
    QCOMPARE(decoded.text, text);
    QCOMPARE(decoded.format.lineEnding, ending);
    QVERIFY(!decoded.lossy);
    QCOMPARE(encodePlainText(decoded.text, decoded.format), saved);
}

void TestPlainTextCodec::corpusRoundTrip_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("reencodingTable"); // for files holding codes CP932 holds twice
    // The files its README marks as decoding cleanly.
    const char* plain[] = { "aozora2html_chukiichiran_kinyurei.txt", "aozora_wagahaiwa_nekodearu_reencoded.txt" };
    for (const char* name : plain)
        QTest::newRow(name) << QString::fromLatin1(name) << QStringLiteral("cp932_nonroundtrip.tsv");
    for (const char* name : { "cp932_all_dbcs.txt", "cp932_extensions.txt", "cp932_nonroundtrip.txt" })
        QTest::newRow(name) << QString::fromLatin1(name) << QStringLiteral("cp932_nonroundtrip.tsv");
}

void TestPlainTextCodec::corpusRoundTrip()
{
    REQUIRE_SHARED_TESTDATA("cp932");
    QFETCH(QString, name);
    QFETCH(QString, reencodingTable);
    const QString dir = sharedTestData() + QStringLiteral("/cp932/");
    const QByteArray original = readAllBytes(dir + name);
    QVERIFY(!original.isEmpty());
    const DecodedText decoded = decodePlainText(original);
    QCOMPARE(decoded.format.encoding, Encoding::Cp932);
    QVERIFY(!decoded.format.bom);
    QVERIFY(!decoded.lossy);
    const QString oracle = QString::fromUtf8(readAllBytes(dir + QFileInfo(name).completeBaseName() + ".utf8.txt"));
    QCOMPARE(decoded.text, asEditorText(oracle));

    const QByteArray expected = withPreferredForms(original, dir + reencodingTable);
    QVERIFY(!findUnencodable(decoded.text, Encoding::Cp932));
    const QByteArray saved = encodePlainText(decoded.text, decoded.format);
    QCOMPARE(saved.size(), expected.size());
    QVERIFY2(saved == expected, "saved bytes differ from the original");
}

void TestPlainTextCodec::everyTextFileSavesUnchanged_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("encoding"); // what detection must say
    // Every text file of the test data, as detection reads it. The encoding each must be read in is
    // written here, so that a change in detection shows as well.
    const struct
    {
        QString dir;
        QStringList files;
    } folders[] = {
        { QStringLiteral(PEMMO_ENCODINGS_TESTDATA),
          QDir(QStringLiteral(PEMMO_ENCODINGS_TESTDATA)).entryList({ QStringLiteral("*.txt") }, QDir::Files) },
        { projectTestData(), QDir(projectTestData()).entryList({ QStringLiteral("*.txt") }, QDir::Files) },
        { sharedTestData() + QStringLiteral("/cp932"),
          QDir(sharedTestData() + QStringLiteral("/cp932")).entryList({ QStringLiteral("*.txt") }, QDir::Files) },
    };
    const QHash<QString, QString> encodings {
        { QStringLiteral("big5.txt"), QStringLiteral("Big5") },
        { QStringLiteral("eucjp.txt"), QStringLiteral("EUC-JP") },
        { QStringLiteral("euckr.txt"), QStringLiteral("EUC-KR") },
        { QStringLiteral("gb18030.txt"), QStringLiteral("GB18030") },
        { QStringLiteral("iso2022jp.txt"), QStringLiteral("ISO-2022-JP") },
        { QStringLiteral("latin1.txt"), QStringLiteral("ISO-8859-1") },
        { QStringLiteral("short_eucjp_kanji.txt"), QStringLiteral("EUC-JP") },
        { QStringLiteral("short_latin1.txt"), QStringLiteral("Windows-1252") },
        { QStringLiteral("short_eucjp_a.txt"), QStringLiteral("EUC-JP") },
        { QStringLiteral("short_eucjp_katakana.txt"), QStringLiteral("EUC-JP") },
        { QStringLiteral("eucjp_two_line_note.txt"), QStringLiteral("EUC-JP") },
        { QStringLiteral("short_iso2022jp.txt"), QStringLiteral("ISO-2022-JP") },
        { QStringLiteral("short_utf16le_japanese.txt"), QStringLiteral("UTF-16LE") },
        { QStringLiteral("windows1252_cafe.txt"), QStringLiteral("Windows-1252") },
        { QStringLiteral("windows1252_resume.txt"), QStringLiteral("Windows-1252") },
        { QStringLiteral("windows1252_euro_quotes.txt"), QStringLiteral("Windows-1252") },
        { QStringLiteral("latin1_line.txt"), QStringLiteral("ISO-8859-1") },
        { QStringLiteral("windows1253_greek.txt"), QStringLiteral("Windows-1253") },
        { QStringLiteral("iso8859_7_greek.txt"), QStringLiteral("ISO-8859-7") },
        { QStringLiteral("koi8r_russian.txt"), QStringLiteral("KOI8-R") },
        { QStringLiteral("koi8u_ukrainian.txt"), QStringLiteral("KOI8-U") },
        { QStringLiteral("short_utf16be_kanji.txt"), QStringLiteral("UTF-16BE") },
        { QStringLiteral("short_utf16le.txt"), QStringLiteral("UTF-16LE") },
        { QStringLiteral("short_utf8.txt"), QStringLiteral("UTF-8") },
        { QStringLiteral("utf16be.txt"), QStringLiteral("UTF-16BE") },
        { QStringLiteral("utf16be_bom.txt"), QStringLiteral("UTF-16BE") },
        { QStringLiteral("utf16le.txt"), QStringLiteral("UTF-16LE") },
        { QStringLiteral("utf16le_bom.txt"), QStringLiteral("UTF-16LE") },
        { QStringLiteral("utf8.txt"), QStringLiteral("UTF-8") },
        { QStringLiteral("utf8_bom.txt"), QStringLiteral("UTF-8") },
        { QStringLiteral("utf8_mixed_endings.txt"), QStringLiteral("UTF-8") },
        { QStringLiteral("windows1252.txt"), QStringLiteral("Windows-1252") },
        { QStringLiteral("windows1255_hebrew.txt"), QStringLiteral("Windows-1255") },
        { QStringLiteral("windows1258_vietnamese.txt"), QStringLiteral("Windows-1258") },
        { QStringLiteral("eucjp_lines.txt"), QStringLiteral("EUC-JP") },
        { QStringLiteral("iso2022jp_crlf.txt"), QStringLiteral("ISO-2022-JP") },
        { QStringLiteral("utf8_lf.txt"), QStringLiteral("UTF-8") },
        { QStringLiteral("encoding_rs_shift_jis_in_ref.txt"), QStringLiteral("UTF-8") },
    };
    int files = 0;
    for (const auto& folder : folders) {
        for (const QString& file : folder.files) {
            // The oracles of the CP932 files are UTF-8: they must survive too.
            const QString encoding = file.endsWith(QLatin1String(".utf8.txt"))
                ? QStringLiteral("UTF-8")
                : encodings.value(file, QStringLiteral("CP932"));
            QTest::newRow(qPrintable(file)) << folder.dir + u'/' + file << encoding;
            ++files;
        }
    }
    // The folders are part of the repository: an empty one is a broken checkout.
    QVERIFY(files >= 40);
}

void TestPlainTextCodec::everyTextFileSavesUnchanged()
{
    // Opened and saved without an edit, as the editor does it: decoded in slices into UTF-8 (small
    // ones here, so that many slice ends are met), then encoded in pieces that end after a line.
    QFETCH(QString, path);
    QFETCH(QString, encoding);
    const QByteArray original = readAllBytes(path);
    QVERIFY2(!original.isEmpty(), qPrintable(path));
    const Encoding detected = detectEncoding(original).encoding;
    QCOMPARE(encodingName(detected), encoding);
    QByteArray utf8;
    const DecodedText decoded = decodePlainTextToUtf8(
        original, detected, [&utf8](QByteArrayView slice) { utf8.append(slice); }, {}, 61);
    const QString text = QString::fromUtf8(utf8);
    // Bytes that did not decode cannot come back, and the save asks first
    // (undecodableCorpusFilesAreLossy): invalid Shift_JIS pairs.
    if (path.endsWith(QLatin1String("/encoding_rs_shift_jis_in.txt"))) {
        QVERIFY(decoded.lossy);
        return;
    }
    QVERIFY(!decoded.lossy);
    QCOMPARE(decodePlainText(original).text, text);

    PlainTextEncoder encoder(decoded.format);
    QByteArray saved;
    constexpr qsizetype kPiece = 97;
    qsizetype from = 0;
    while (from < text.size()) {
        const qsizetype newline = text.indexOf(u'\n', from + kPiece);
        const qsizetype to = newline < 0 ? text.size() : newline + 1;
        saved += encoder.encode(QStringView(text).sliced(from, to - from), to == text.size());
        from = to;
    }
    if (text.isEmpty())
        saved += encoder.encode(QStringView(), true);
    QCOMPARE(encodePlainText(text, decoded.format), saved);

    // A character CP932 holds under two codes keeps the file's, unless the file used both.
    const QByteArray expected = detected == Encoding::Cp932
        ? withPreferredForms(original, sharedTestData() + QStringLiteral("/cp932/cp932_nonroundtrip.tsv"))
        : original;
    if (saved != expected) {
        qsizetype at = 0;
        while (at < saved.size() && at < expected.size() && saved[at] == expected[at])
            ++at;
        QFAIL(qPrintable(QStringLiteral("saved bytes differ from byte %1 of %2: %3 instead of %4")
                             .arg(at)
                             .arg(expected.size())
                             .arg(QString::fromLatin1(saved.mid(at, 8).toHex(' ')),
                                  QString::fromLatin1(expected.mid(at, 8).toHex(' ')))));
    }
}

void TestPlainTextCodec::keptBreaksAndChosenEnding()
{
    // Mixed breaks stay in the text as they were; a new line typed with the most frequent one is
    // written as typed. Choosing one ending for the file then writes every break as that one.
    const QByteArray original("a\r\nb\nc\r\nd\re");
    DecodedText decoded = decodePlainText(original, Encoding::Cp932);
    QVERIFY(decoded.format.keptLineEndings);
    QCOMPARE(decoded.format.lineEnding, LineEnding::CrLf);
    QVERIFY(!decoded.format.finalLineBreak);
    QCOMPARE(decoded.text, QStringLiteral("a\r\nb\nc\r\nd\re"));
    const QString edited = decoded.text + QStringLiteral("\r\nnew");
    QCOMPARE(encodePlainText(edited, decoded.format), QByteArray("a\r\nb\nc\r\nd\re\r\nnew"));
    TextFormat chosen = decoded.format;
    chosen.keptLineEndings = false;
    chosen.lineEnding = LineEnding::Lf;
    QCOMPARE(encodePlainText(edited, chosen), QByteArray("a\nb\nc\nd\ne\nnew"));
    // A lone CR that ends the file is its last break.
    decoded = decodePlainText(QByteArray("x\ny\r\nz\r"), Encoding::Utf8);
    QCOMPARE(decoded.text, QStringLiteral("x\ny\r\nz"));
    QVERIFY(decoded.format.finalLineBreak);
    QCOMPARE(encodePlainText(decoded.text, decoded.format), QByteArray("x\ny\r\nz\r"));
}

void TestPlainTextCodec::damagedUtf8StaysUtf8_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");
    const QByteArray utf8 = readAllBytes(QStringLiteral(PEMMO_ENCODINGS_TESTDATA "/utf8.txt"));
    QVERIFY(utf8.size() > 200);
    const QString whole = decodePlainText(utf8, Encoding::Utf8).text;
    // A stray byte between two characters in the middle of the text.
    qsizetype middle = utf8.size() / 2;
    while ((quint8(utf8[middle]) & 0xC0) == 0x80)
        ++middle;
    const QString before = QString::fromUtf8(utf8.first(middle));
    QTest::newRow("stray 0xFF") << utf8.first(middle) + '\xFF' + utf8.sliced(middle)
                                << asEditorText(before + QChar::ReplacementCharacter + whole.sliced(before.size()));
    // The last character cut in two, as a download that stopped.
    const QByteArray cut = utf8.trimmed().chopped(1);
    QTest::newRow("cut last character") << cut
                                        << QString(asEditorText(QString::fromUtf8(utf8.trimmed())).chopped(1) +
                                                   QChar::ReplacementCharacter);
}

void TestPlainTextCodec::damagedUtf8StaysUtf8()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);
    QCOMPARE(encodingName(detectEncoding(bytes).encoding), QStringLiteral("UTF-8"));
    const DecodedText decoded = decodePlainText(bytes);
    QVERIFY(decoded.lossy);
    // Qt gives a cut character one U+FFFD per byte; how many does not matter here, where they are does.
    QString shown = decoded.text;
    shown.replace(QRegularExpression(QStringLiteral("\uFFFD+")), QString(QChar::ReplacementCharacter));
    QCOMPARE(shown, text);
}

void TestPlainTextCodec::everyDoubleByteCodeDecodesAsIconv()
{
    REQUIRE_SHARED_TESTDATA("cp932");
    // Checked against the table, code by code, so a failure names the code.
    const QString dir = sharedTestData() + QStringLiteral("/cp932/");
    QFile table(dir + QStringLiteral("cp932_all_dbcs.tsv"));
    QVERIFY(table.open(QIODevice::ReadOnly));
    table.readLine();
    int checked = 0;
    while (!table.atEnd()) {
        const QList<QByteArray> columns = table.readLine().trimmed().split('\t');
        if (columns.size() < 2)
            continue;
        const uint code = columns[0].toUInt(nullptr, 16);
        const char bytes[2] = { char(code >> 8), char(code & 0xFF) };
        const DecodedText decoded = decodePlainText(QByteArrayView(bytes, 2), Encoding::Cp932);
        const char32_t expected = columns[1].mid(2).toUInt(nullptr, 16);
        QVERIFY2(decoded.text == QString::fromUcs4(&expected, 1), columns[0].constData());
        ++checked;
    }
    QCOMPARE(checked, 9604);
}

void TestPlainTextCodec::utf8DecodingMatchesIconv_data()
{
    QTest::addColumn<Encoding>("encoding");
    for (const EncodingChoice& choice : offeredEncodings()) {
        if (!isUnicodeEncoding(choice.encoding))
            QTest::newRow(iconvName(choice.encoding)) << choice.encoding;
    }
}

void TestPlainTextCodec::utf8DecodingMatchesIconv()
{
    // The editor's text goes straight to UTF-8, through a table where the encoding allows one:
    // every byte, every pair, invalid ones and a lead byte cut off at the end must come out as
    // iconv decodes them, lossy flag included.
    QFETCH(Encoding, encoding);
    QByteArray bytes;
    for (int lead = 0; lead < 256; ++lead) {
        for (int trail = 0; trail < 256; ++trail) {
            bytes += char(lead);
            bytes += char(trail);
        }
        // A line break between runs gives every lead byte a fresh start.
        bytes += '\n';
    }
    for (const QByteArray& tail : { QByteArray("\x81"), QByteArray("ab"), QByteArray("\x1b$B") }) {
        const QByteArray input = bytes + tail;
        IconvDecoder reference(iconvName(encoding));
        QString expected;
        const bool expectedClean = reference.decode(input.constData(), input.size(), expected);
        Utf8Decoder decoder(iconvName(encoding));
        QVERIFY(decoder.isValid());
        QByteArray utf8("kept");
        const bool clean = decoder.decode(input.constData(), input.size(), utf8);
        QVERIFY(utf8.startsWith("kept"));
        QCOMPARE(clean, expectedClean);
        const QString decoded = QString::fromUtf8(utf8.mid(4));
        if (decoded != expected) {
            qsizetype at = 0;
            while (at < decoded.size() && at < expected.size() && decoded[at] == expected[at])
                ++at;
            QFAIL(qPrintable(QStringLiteral("differs at unit %1 of %2").arg(at).arg(expected.size())));
        }
    }
}

void TestPlainTextCodec::whatwgOracleAgreesOnValidPairs()
{
    REQUIRE_SHARED_TESTDATA("cp932");
    const QString dir = sharedTestData() + QStringLiteral("/cp932/");
    const QList<QByteArray> lines = readAllBytes(dir + QStringLiteral("encoding_rs_shift_jis_in.txt")).split('\n');
    const QStringList oracle =
        QString::fromUtf8(readAllBytes(dir + QStringLiteral("encoding_rs_shift_jis_in_ref.txt"))).split(u'\n');
    QCOMPARE(lines.size(), oracle.size());
    int compared = 0;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        // The WHATWG decoder differs from iconv only where it reports an error or maps 0x80/0xA0/0xFD-0xFF.
        const QString& expected = oracle[i];
        if (expected.contains(QChar::ReplacementCharacter) || expected.contains(QChar(0x80)) ||
            std::any_of(expected.begin(), expected.end(),
                        [](QChar c) { return c >= QChar(0xF8F0) && c <= QChar(0xF8F3); }))
            continue;
        const DecodedText decoded = decodePlainText(lines[i], Encoding::Cp932);
        QVERIFY2(decoded.text == expected, qPrintable(QStringLiteral("line %1").arg(i + 1)));
        ++compared;
    }
    QVERIFY(compared > 7000);
}

void TestPlainTextCodec::undecodableCorpusFilesAreLossy_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("invalid shift_jis pairs") << QStringLiteral("encoding_rs_shift_jis_in.txt");
}

void TestPlainTextCodec::undecodableCorpusFilesAreLossy()
{
    REQUIRE_SHARED_TESTDATA("cp932");
    QFETCH(QString, name);
    const QByteArray bytes = readAllBytes(sharedTestData() + QStringLiteral("/cp932/") + name);
    const DecodedText decoded = decodePlainText(bytes);
    QVERIFY(decoded.lossy);
    QVERIFY(decoded.text.contains(QChar::ReplacementCharacter));
    // A save of such a document asks first and writes nothing.
    QTemporaryDir dir;
    const QString target = dir.filePath(QStringLiteral("out.txt"));
    SaveOptions options;
    options.sourceWasLossy = decoded.lossy;
    const SaveResult result = saveDocument(target, DocumentSource { nullptr, decoded.text }, decoded.format, options);
    QCOMPARE(result.status, SaveStatus::NeedsConfirmation);
    QVERIFY(!result.message.isEmpty());
    QVERIFY(!QFile::exists(target));
}

void TestPlainTextCodec::singleBytesSurvive_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");
    QTest::newRow("0x1A") << QByteArray("a\x1A"
                                        "b")
                          << QStringLiteral("a\u001Ab");
    QTest::newRow("0x1C") << QByteArray("a\x1C"
                                        "b")
                          << QStringLiteral("a\u001Cb");
    QTest::newRow("0x7F") << QByteArray("a\x7F"
                                        "b")
                          << QStringLiteral("a\u007Fb");
    QTest::newRow("0x5C alone") << QByteArray("C:\\dir") << QStringLiteral("C:\\dir");
    QTest::newRow("0x5C as trail byte") << QByteArray("\x95\x5C\x8e\xa6") << QStringLiteral("表示");
    QTest::newRow("0x7E is tilde") << QByteArray("~") << QStringLiteral("~");
    QTest::newRow("half-width kana") << QByteArray("\xB1\xDF") << QStringLiteral("ｱﾟ");
    QTest::newRow("0x8160 is fullwidth tilde") << QByteArray("\x81\x60") << QStringLiteral("\uFF5E");
    QTest::newRow("nul byte") << QByteArray("a\0b", 3) << QString::fromUtf16(u"a\0b", 3);
}

void TestPlainTextCodec::singleBytesSurvive()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);
    const DecodedText decoded = decodePlainText(bytes, Encoding::Cp932);
    QCOMPARE(decoded.text, text);
    QVERIFY(!decoded.lossy);
    QVERIFY(!findUnencodable(decoded.text, Encoding::Cp932));
    QCOMPARE(encodePlainText(decoded.text, decoded.format), bytes);
}

void TestPlainTextCodec::cutOffLeadByteIsLossy_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<Encoding>("encoding");
    QTest::addColumn<QString>("text");
    QTest::newRow("cp932 lead at end") << QByteArray("abc\x82") << Encoding::Cp932 << QStringLiteral("abc\uFFFD");
    QTest::newRow("cp932 invalid single byte") << QByteArray("a\x80z") << Encoding::Cp932 << QStringLiteral("a\uFFFDz");
    QTest::newRow("euc-jp lead at end") << QByteArray("x\xA4") << Encoding::EucJp << QStringLiteral("x\uFFFD");
    QTest::newRow("utf-16le odd byte") << QByteArray("\xFF\xFE"
                                                     "a\0b",
                                                     5)
                                       << Encoding::Utf16Le << QStringLiteral("a\uFFFD");
    QTest::newRow("utf-8 bom then invalid") << QByteArray("\xEF\xBB\xBF"
                                                          "a\xFF")
                                            << Encoding::Utf8 << QStringLiteral("a\uFFFD");
}

void TestPlainTextCodec::cutOffLeadByteIsLossy()
{
    QFETCH(QByteArray, bytes);
    QFETCH(Encoding, encoding);
    QFETCH(QString, text);
    const DecodedText decoded = decodePlainText(bytes, encoding);
    QCOMPARE(decoded.text, text);
    QVERIFY(decoded.lossy);
}

void TestPlainTextCodec::projectFixturesRoundTrip_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<Encoding>("encoding");
    QTest::addColumn<LineEnding>("ending");
    QTest::addColumn<QString>("firstLine");
    QTest::newRow("euc-jp") << "eucjp_lines.txt" << Encoding::EucJp << LineEnding::Lf
                            << QStringLiteral("日本語のテキストです。");
    QTest::newRow("iso-2022-jp") << "iso2022jp_crlf.txt" << Encoding::Iso2022Jp << LineEnding::CrLf
                                 << QStringLiteral("ISO-2022-JPの本文です。");
    QTest::newRow("utf-8 stays utf-8") << "utf8_lf.txt" << Encoding::Utf8 << LineEnding::Lf
                                       << QStringLiteral("UTF-8 の文書");
    QTest::newRow("utf-16le with bom") << "utf16le_bom.txt" << Encoding::Utf16Le << LineEnding::CrLf
                                       << QStringLiteral("A\u8A30");
    QTest::newRow("cp932 controls and 0x5C")
        << "cp932_controls.txt" << Encoding::Cp932 << LineEnding::CrLf << QStringLiteral("表示\\パス");
}

void TestPlainTextCodec::projectFixturesRoundTrip()
{
    QFETCH(QString, file);
    QFETCH(Encoding, encoding);
    QFETCH(LineEnding, ending);
    QFETCH(QString, firstLine);
    const QByteArray original = readAllBytes(projectTestData() + u'/' + file);
    QVERIFY(!original.isEmpty());
    const DecodedText decoded = decodePlainText(original);
    QCOMPARE(decoded.format.encoding, encoding);
    QCOMPARE(decoded.format.lineEnding, ending);
    QVERIFY(!decoded.lossy);
    QCOMPARE(decoded.text.section(u'\n', 0, 0), firstLine);
    QCOMPARE(encodePlainText(decoded.text, decoded.format), original);
}

void TestPlainTextCodec::unencodableIsReportedBeforeWriting_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<Encoding>("encoding");
    QTest::addColumn<qsizetype>("position");
    QTest::addColumn<uint>("character");
    QTest::addColumn<int>("line");
    QTest::newRow("outside bmp") << QStringLiteral("ab\n𠮷") << Encoding::Cp932 << qsizetype(3) << 0x20BB7u << 2;
    QTest::newRow("euro sign") << QStringLiteral("price €") << Encoding::Cp932 << qsizetype(6) << 0x20ACu << 1;
    QTest::newRow("latin letter") << QStringLiteral("a\u00E9") << Encoding::Cp932 << qsizetype(1) << 0xE9u << 1;
    QTest::newRow("yen sign would become backslash")
        << QStringLiteral("\n\n¥100") << Encoding::Cp932 << qsizetype(2) << 0xA5u << 3;
    QTest::newRow("replacement character of a lossy load")
        << QStringLiteral("x\uFFFD") << Encoding::Cp932 << qsizetype(1) << 0xFFFDu << 1;
    QTest::newRow("ibm extension outside euc-jp")
        << QStringLiteral("髙") << Encoding::EucJp << qsizetype(0) << 0x9AD9u << 1;
    QTest::newRow("lone surrogate in utf-8")
        << QString(QChar(0xD800)) << Encoding::Utf8 << qsizetype(0) << 0xD800u << 1;
}

void TestPlainTextCodec::unencodableIsReportedBeforeWriting()
{
    QFETCH(QString, text);
    QFETCH(Encoding, encoding);
    QFETCH(qsizetype, position);
    QFETCH(uint, character);
    QFETCH(int, line);
    const std::optional<Unencodable> bad = findUnencodable(text, encoding);
    QVERIFY(bad.has_value());
    QCOMPARE(bad->position, position);
    QCOMPARE(uint(bad->character), character);
    QCOMPARE(bad->line, line);

    QTemporaryDir dir;
    const QString target = dir.filePath(QStringLiteral("keep.txt"));
    QFile original(target);
    QVERIFY(original.open(QIODevice::WriteOnly));
    original.write("original");
    original.close();
    TextFormat format;
    format.encoding = encoding;
    const SaveResult result = saveDocument(target, DocumentSource { nullptr, text }, format);
    QCOMPARE(result.status, SaveStatus::NeedsConfirmation);
    QVERIFY(result.message.contains(QStringLiteral("UTF-8")));
    QCOMPARE(readAllBytes(target), QByteArray("original"));

    // The offered way out: UTF-8 holds it (a lone surrogate excepted).
    if (encoding != Encoding::Utf8) {
        format.encoding = Encoding::Utf8;
        QCOMPARE(saveDocument(target, DocumentSource { nullptr, text }, format).status, SaveStatus::Saved);
        QString expected = text + u'\n';
        expected.replace(u'\n', QStringLiteral("\r\n"));
        QCOMPARE(QString::fromUtf8(readAllBytes(target)), expected);
    }
}

void TestPlainTextCodec::newDocumentFormat()
{
    QCOMPARE(kNewDocumentFormat.encoding, Encoding::Cp932);
    QCOMPARE(kNewDocumentFormat.lineEnding, LineEnding::CrLf);
    QCOMPARE(encodePlainText(QStringLiteral("新規\n文書"), kNewDocumentFormat),
             QByteArray("\x90\x56\x8b\x4b\r\n\x95\xb6\x8f\x91\r\n"));
}

QTEST_GUILESS_MAIN(TestPlainTextCodec)
#include "tst_plaintextcodec.moc"
