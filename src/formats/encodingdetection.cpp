// SPDX-License-Identifier: MIT
#include "encodingdetection.h"

#include "iconvcodec.h"

#include <QByteArray>
#include <QString>

#include <uchardet.h>

#include <algorithm>
#include <memory>

namespace pemmo::formats {

namespace {

constexpr qsizetype kDetectorSampleBytes = 4 * 1024 * 1024;
constexpr qsizetype kUtf16SampleBytes = 64 * 1024;
constexpr qsizetype kBinarySampleBytes = 8 * 1024;
// Japanese text, read as CP932 or EUC-JP, has kana among its non-ASCII characters; the Chinese,
// Korean and Latin samples read that way had none at all, the Japanese ones at least 11 %.
constexpr double kJapaneseKanaShare = 0.05;
// The longest run of non-ASCII bytes in Western text read as such: "é", "—", "»…", "€”".
constexpr qsizetype kWesternMaxRun = 3;
constexpr qsizetype kShortTextBytes = 64 * 1024;

// UTF-8 with a few damaged bytes (a cut last character, a stray byte) is still UTF-8: in text of
// another encoding read as UTF-8, bad stretches outnumber valid characters, or come close.
constexpr qsizetype kDamagedUtf8MinValid = 20;
constexpr qsizetype kDamagedUtf8ValidPerInvalid = 20;

// How the bytes read as UTF-8: the multi-byte characters that are valid, and the stretches that
// are not (a maximal ill-formed part each: a lead byte with the continuation bytes it has, or a
// stray byte).
struct Utf8Census
{
    qsizetype valid = 0;
    qsizetype invalid = 0;
};

// Stops at the first bad stretch after which the rest cannot make the text nearly all valid, even
// if it were all two-byte characters: text of another encoding then costs a few megabytes of a
// large file, not all of it.
Utf8Census censusUtf8(QByteArrayView bytes)
{
    Utf8Census census;
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const auto* end = p + bytes.size();
    while (p < end) {
        if (*p < 0x80) {
            ++p;
            continue;
        }
        const unsigned char lead = *p;
        int length = 0;
        unsigned char low = 0x80; // the second byte's range, which rules out overlong forms and surrogates
        unsigned char high = 0xBF;
        if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3;
            low = lead == 0xE0 ? 0xA0 : 0x80;
            high = lead == 0xED ? 0x9F : 0xBF;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4;
            low = lead == 0xF0 ? 0x90 : 0x80;
            high = lead == 0xF4 ? 0x8F : 0xBF;
        }
        int good = 0;
        if (length > 0) {
            good = 1;
            while (good < length && p + good < end) {
                const unsigned char next = p[good];
                const bool fits = good == 1 ? next >= low && next <= high : (next & 0xC0) == 0x80;
                if (!fits)
                    break;
                ++good;
            }
        }
        if (length > 0 && good == length) {
            ++census.valid;
        } else {
            ++census.invalid;
            good = std::max(good, 1);
            const qsizetype mostStillValid = census.valid + (end - p - good) / 2;
            if (mostStillValid < kDamagedUtf8MinValid || census.invalid * kDamagedUtf8ValidPerInvalid > mostStillValid)
                return census;
        }
        p += good;
    }
    return census;
}

// Returns 0 when not UTF-8, 1 when pure ASCII, 2 when UTF-8 with non-ASCII characters.
int classifyUtf8(QByteArrayView bytes)
{
    const Utf8Census census = censusUtf8(bytes);
    if (census.invalid == 0)
        return census.valid > 0 ? 2 : 1;
    const bool nearlyAllValid = census.valid >= kDamagedUtf8MinValid &&
        census.invalid * kDamagedUtf8ValidPerInvalid <= census.valid;
    return nearlyAllValid ? 2 : 0;
}

QByteArray uchardetName(QByteArrayView sample)
{
    std::unique_ptr<std::remove_pointer_t<uchardet_t>, void (*)(uchardet_t)> detector(uchardet_new(), uchardet_delete);
    if (!detector || uchardet_handle_data(detector.get(), sample.data(), size_t(sample.size())) != 0)
        return {};
    uchardet_data_end(detector.get());
    return QByteArray(uchardet_get_charset(detector.get())).toUpper();
}

std::optional<Encoding> japaneseEncoding(const QByteArray& name)
{
    if (name == "SHIFT_JIS" || name == "CP932")
        return Encoding::Cp932;
    if (name == "EUC-JP")
        return Encoding::EucJp;
    if (name == "ISO-2022-JP")
        return Encoding::Iso2022Jp;
    return std::nullopt;
}

// The legacy encodings of other languages that we take uchardet's word for; the rest of what it
// can name (Mac and DOS code pages, TIS-620, ...) stays with CP932.
std::optional<Encoding> foreignEncoding(const QByteArray& name)
{
    if (name == "UHC")
        return Encoding::EucKr;
    if (name == "GB18030" || name == "BIG5" || name == "EUC-KR" || name.startsWith("ISO-8859-") ||
        name.startsWith("WINDOWS-125") || name == "KOI8-R")
        return encodingFromName(QString::fromLatin1(name));
    return std::nullopt;
}

// Whether the bytes read as text in @p encoding: no byte fails, and no C1 control comes out
// (glibc's EUC-JP and ISO-8859 tables pass 0x80-0x9F through as controls, which no text has).
// The decoder the files are read with answers as glibc does, from its table where it has one.
bool decodesCleanly(QByteArrayView bytes, Encoding encoding)
{
    Utf8Decoder decoder(iconvName(encoding));
    QByteArray text;
    if (!decoder.isValid() || !decoder.decode(bytes.data(), bytes.size(), text))
        return false;
    // U+0080 to U+009F are C2 80 to C2 9F in UTF-8.
    for (qsizetype at = text.indexOf('\xC2'); at >= 0 && at + 1 < text.size(); at = text.indexOf('\xC2', at + 2)) {
        if (static_cast<unsigned char>(text.at(at + 1)) <= 0x9F)
            return false;
    }
    return true;
}

qsizetype nonAsciiBytes(QByteArrayView bytes)
{
    qsizetype count = 0;
    for (const char c : bytes)
        count += static_cast<unsigned char>(c) >= 0x80 ? 1 : 0;
    return count;
}

// Whether either Japanese reading of the bytes is valid and has kana among its non-ASCII characters. Half-width
// katakana counts only in EUC-JP, where it needs its own prefix byte; in CP932 it is what any
// stray Latin byte reads as.
bool readsAsJapanese(QByteArrayView bytes)
{
    for (const Encoding encoding : { Encoding::Cp932, Encoding::EucJp }) {
        // Only a reading without errors counts: Big5 read as EUC-JP breaks, but shows hiragana.
        IconvDecoder decoder(iconvName(encoding));
        QString text;
        if (!decoder.decode(bytes.data(), bytes.size(), text))
            continue;
        qsizetype nonAscii = 0;
        qsizetype kana = 0;
        for (const QChar c : text) {
            const char16_t u = c.unicode();
            if (u < 0x80)
                continue;
            ++nonAscii;
            if ((u >= 0x3040 && u <= 0x30FF) || (encoding == Encoding::EucJp && u >= 0xFF61 && u <= 0xFF9F))
                ++kana;
        }
        if (nonAscii > 0 && double(kana) / double(nonAscii) >= kJapaneseKanaShare)
            return true;
    }
    return false;
}

bool isAsciiLetter(unsigned char b)
{
    return (b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z');
}

// The shape of the bytes read as CP932, by byte ranges (validity is iconv's to say).
struct Cp932Shape
{
    qsizetype halfWidth = 0; // 0xA1-0xDF
    qsizetype halfWidthFirstRows = 0; // 0xA1-0xBF: punctuation, small kana, ｰ and ｱ to ｿ
    qsizetype halfWidthPunctuation = 0; // ｡｢｣､･
    qsizetype halfWidthBeforeAscii = 0; // followed at once by an ASCII letter or symbol
    qsizetype soundMarks = 0; // ﾞ and ﾟ
    qsizetype misplacedSoundMarks = 0; // after a kana that takes none
    qsizetype doubleByte = 0;
    qsizetype isolatedDoubleByte = 0; // ASCII on both sides
};

Cp932Shape cp932Shape(QByteArrayView bytes)
{
    Cp932Shape shape;
    const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
    const qsizetype size = bytes.size();
    for (qsizetype i = 0; i < size; ++i) {
        const unsigned char b = data[i];
        if (b < 0x80)
            continue;
        if (b >= 0xA1 && b <= 0xDF) {
            ++shape.halfWidth;
            shape.halfWidthFirstRows += b <= 0xBF ? 1 : 0;
            shape.halfWidthPunctuation += b <= 0xA5 ? 1 : 0;
            if (i + 1 < size && data[i + 1] >= 0x40 && data[i + 1] < 0x7F)
                ++shape.halfWidthBeforeAscii;
            if (b >= 0xDE) {
                ++shape.soundMarks;
                // ﾞ goes on ｳ, ｶ to ﾄ and ﾊ to ﾎ; ﾟ on ﾊ to ﾎ only.
                const unsigned char base = i > 0 ? data[i - 1] : 0;
                const bool takesHandakuten = base >= 0xCA && base <= 0xCE;
                const bool takesDakuten = takesHandakuten || base == 0xB3 || (base >= 0xB6 && base <= 0xC4);
                if (!(b == 0xDE ? takesDakuten : takesHandakuten))
                    ++shape.misplacedSoundMarks;
            }
            continue;
        }
        if (((b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC)) && i + 1 < size) {
            ++shape.doubleByte;
            const bool asciiBefore = i == 0 || data[i - 1] < 0x80;
            const bool asciiAfter = i + 2 >= size || data[i + 2] < 0x80;
            shape.isolatedDoubleByte += asciiBefore && asciiAfter ? 1 : 0;
            ++i;
        }
    }
    return shape;
}

// Half-width katakana as Japanese writes it: the first rows (ｱ to ｿ, ｰ, the small kana) are a
// good part of it, punctuation does not alternate with it, the sound marks sit on kana that take
// them, and no ASCII letter sticks to it. Greek capitals and Russian lowercase in their own
// encodings fall on the later rows; EUC-JP kana read as CP932 alternate with ､ and ･; Big5's
// trail bytes put ASCII after every other one.
bool halfWidthLooksJapanese(const Cp932Shape& shape)
{
    return shape.halfWidthFirstRows * 4 >= shape.halfWidth && shape.halfWidthPunctuation * 5 <= shape.halfWidth * 2 &&
        shape.misplacedSoundMarks * 4 <= shape.soundMarks && shape.halfWidthBeforeAscii * 5 <= shape.halfWidth;
}

// Japanese written without kana still reads as CP932 throughout: half-width katakana that looks
// like it, and double-byte characters in runs (NEC row 13 symbols, NEC-selected and IBM kanji).
// Latin letters with accents read as CP932 give a double-byte character alone between ASCII
// letters now and then; there it is mostly alone.
bool cp932LooksJapanese(QByteArrayView bytes)
{
    const Cp932Shape shape = cp932Shape(bytes);
    if (shape.halfWidth + shape.doubleByte == 0)
        return false;
    if (shape.halfWidth > 0 && !halfWidthLooksJapanese(shape))
        return false;
    if (shape.isolatedDoubleByte * 2 > shape.doubleByte)
        return false;
    return decodesCleanly(bytes, Encoding::Cp932);
}

// Whether EUC-JP gives ordinary Japanese (hiragana, katakana, the common symbols and level 1
// kanji) and nothing else outside ASCII.
bool eucJpReadsOrdinary(QByteArrayView bytes)
{
    const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
    const qsizetype size = bytes.size();
    qsizetype characters = 0;
    for (qsizetype i = 0; i < size; ++i) {
        const unsigned char b = data[i];
        if (b < 0x80)
            continue;
        const bool ordinaryRow = b == 0xA1 || b == 0xA4 || b == 0xA5 || (b >= 0xB0 && b <= 0xCF);
        if (!ordinaryRow || i + 1 >= size || data[i + 1] < 0xA1 || data[i + 1] > 0xFE)
            return false;
        ++characters;
        ++i;
    }
    return characters > 0;
}

// Short EUC-JP kana is valid CP932 too, as half-width katakana with ､ or ･ between every two:
// when EUC-JP reads as ordinary Japanese and CP932 does not, it is EUC-JP.
bool eucJpBeatsCp932(QByteArrayView bytes)
{
    // Longer EUC-JP is uchardet's to tell; this spares a large file two more passes.
    if (bytes.size() > kShortTextBytes || !eucJpReadsOrdinary(bytes))
        return false;
    const Cp932Shape shape = cp932Shape(bytes);
    if (shape.halfWidth == 0 || halfWidthLooksJapanese(shape))
        return false;
    // CP932 first: its table answers fast, and EUC-JP's kanji often fail in it.
    return decodesCleanly(bytes, Encoding::Cp932) && decodesCleanly(bytes, Encoding::EucJp);
}

bool isSingleByte(Encoding encoding)
{
    return encoding != Encoding::Gb18030 && encoding != Encoding::Big5 && encoding != Encoding::EucKr;
}

// uchardet 0.0.7 knows no KOI8-U and names Ukrainian KOI8-R; the letters Ukrainian adds (є і ї ґ
// and their capitals) are box-drawing characters in KOI8-R, which never stand next to a letter.
Encoding koi8Variant(QByteArrayView bytes)
{
    const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
    const qsizetype size = bytes.size();
    for (qsizetype i = 0; i < size; ++i) {
        const unsigned char b = data[i];
        const bool ukrainian = b == 0xA4 || b == 0xA6 || b == 0xA7 || b == 0xAD || b == 0xB4 || b == 0xB6 ||
            b == 0xB7 || b == 0xBD;
        if (!ukrainian)
            continue;
        const bool letterBefore = i > 0 && data[i - 1] >= 0xC0;
        const bool letterAfter = i + 1 < size && data[i + 1] >= 0xC0;
        if (letterBefore || letterAfter)
            return Encoding::Koi8U;
    }
    return Encoding::Koi8R;
}

bool isWindows1252Letter(unsigned char b)
{
    if (b >= 0xC0)
        return b != 0xD7 && b != 0xF7;
    return b == 0x8A || b == 0x8C || b == 0x8E || b == 0x9A || b == 0x9C || b == 0x9E || b == 0x9F || b == 0xAA ||
        b == 0xB5 || b == 0xBA;
}

// Western text with a few accents: every run of non-ASCII bytes is short (an accented letter, a
// dash, a pair of quotes) and one sits next to an ASCII letter; Japanese, even cut short or
// damaged, has runs of several double-byte characters. A lone lead byte at the very end is a
// character cut in two, not a Western mark.
bool looksWestern(QByteArrayView bytes)
{
    const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
    const qsizetype size = bytes.size();
    bool anyLetterNext = false;
    for (qsizetype i = 0; i < size;) {
        if (data[i] < 0x80) {
            ++i;
            continue;
        }
        const qsizetype start = i;
        bool letter = false;
        while (i < size && data[i] >= 0x80)
            letter = isWindows1252Letter(data[i++]) || letter;
        if (i - start > kWesternMaxRun)
            return false;
        if (i == size && !letter)
            continue;
        anyLetterNext = anyLetterNext || (start > 0 && isAsciiLetter(data[start - 1])) ||
            (i < size && isAsciiLetter(data[i]));
    }
    return anyLetterNext;
}

// The detector's sample ends after a line break, so that the validity checks do not see a
// character cut in two.
QByteArrayView detectorSample(QByteArrayView bytes)
{
    if (bytes.size() <= kDetectorSampleBytes)
        return bytes;
    const QByteArrayView head = bytes.first(kDetectorSampleBytes);
    const qsizetype newline = head.lastIndexOf('\n');
    return newline > 0 ? head.first(newline + 1) : head;
}

Encoding detectLegacy(QByteArrayView bytes)
{
    const QByteArrayView sample = detectorSample(bytes);
    const QByteArray name = uchardetName(sample);
    if (name == "ISO-2022-JP")
        return Encoding::Iso2022Jp;
    // Before uchardet's Japanese answer, which for a few bytes of EUC-JP kana is often Shift_JIS.
    if (name == "EUC-JP" || eucJpBeatsCp932(sample))
        return Encoding::EucJp;
    if (const std::optional<Encoding> japanese = japaneseEncoding(name))
        return *japanese;
    const std::optional<Encoding> foreign = foreignEncoding(name);
    // Enough text that has no kana in either Japanese reading: uchardet is sure, and right.
    // This goes before the EUC-JP rule, because Korean and Chinese bytes are often valid EUC-JP.
    // A single-byte answer also gives way to CP932 that reads as Japanese without kana: uchardet
    // takes half-width katakana for Greek and NEC symbols or kanji for Latin-1.
    if (foreign && nonAsciiBytes(sample) >= kForeignMinNonAsciiBytes && decodesCleanly(sample, *foreign) &&
        !readsAsJapanese(sample) && !(isSingleByte(*foreign) && cp932LooksJapanese(sample)))
        return *foreign == Encoding::Koi8R ? koi8Variant(sample) : *foreign;
    if (decodesCleanly(sample, Encoding::Cp932))
        return Encoding::Cp932;
    if (decodesCleanly(sample, Encoding::EucJp))
        return Encoding::EucJp;
    // Neither Japanese reading works: a few accents in Western text. Windows-1252 holds all of
    // ISO-8859-1's letters and the quotes, dashes and euro sign besides.
    if (looksWestern(sample) && decodesCleanly(sample, Encoding::Windows1252))
        return Encoding::Windows1252;
    // Anything else stays CP932 even when CP932 cannot read it: a Japanese file cut short or
    // with one damaged byte must not turn into Latin-1, and the encoding menu fixes the rest.
    return Encoding::Cp932;
}

} // namespace

std::optional<TextFormat> bomFormat(QByteArrayView bytes)
{
    TextFormat format;
    format.bom = true;
    if (bytes.startsWith("\xEF\xBB\xBF"))
        format.encoding = Encoding::Utf8;
    else if (bytes.startsWith("\xFF\xFE"))
        format.encoding = Encoding::Utf16Le;
    else if (bytes.startsWith("\xFE\xFF"))
        format.encoding = Encoding::Utf16Be;
    else
        return std::nullopt;
    return format;
}

std::optional<Encoding> utf16ByNulPattern(QByteArrayView bytes)
{
    const qsizetype size = std::min(bytes.size(), kUtf16SampleBytes) & ~qsizetype(1);
    const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
    qsizetype evenNuls = 0;
    qsizetype oddNuls = 0;
    for (qsizetype i = 0; i < size; i += 2) {
        evenNuls += data[i] == 0 ? 1 : 0;
        oddNuls += data[i + 1] == 0 ? 1 : 0;
    }
    // ASCII puts its NULs on one side; a few on the other come from characters like U+4E00.
    Encoding encoding;
    if (oddNuls > 0 && evenNuls * 4 <= oddNuls)
        encoding = Encoding::Utf16Le;
    else if (evenNuls > 0 && oddNuls * 4 <= evenNuls)
        encoding = Encoding::Utf16Be;
    else
        return std::nullopt;
    const bool little = encoding == Encoding::Utf16Le;
    qsizetype asciiUnits = 0;
    qsizetype latinUnits = 0;
    for (qsizetype i = 0; i < size; i += 2) {
        const char16_t unit = little ? char16_t(data[i] | data[i + 1] << 8) : char16_t(data[i] << 8 | data[i + 1]);
        if (unit == 0 || unit == 0xFFFE || unit == 0xFFFF)
            return std::nullopt;
        if (unit < 0x20 && unit != u'\t' && unit != u'\n' && unit != u'\f' && unit != u'\r')
            return std::nullopt;
        if (QChar::isHighSurrogate(unit)) {
            if (i + 2 >= size)
                break; // cut off by the sample's end
            const char16_t next = little ? char16_t(data[i + 2] | data[i + 3] << 8)
                                         : char16_t(data[i + 2] << 8 | data[i + 3]);
            if (!QChar::isLowSurrogate(next))
                return std::nullopt;
            i += 2;
            continue;
        }
        if (QChar::isLowSurrogate(unit))
            return std::nullopt;
        if (unit < 0x80)
            ++asciiUnits;
        else if (unit < 0x100)
            ++latinUnits;
    }
    // Bytes of another encoding with a stray NUL pair up into units of the 0x80-0xFF row as often as not.
    if (asciiUnits == 0 || latinUnits > asciiUnits)
        return std::nullopt;
    return encoding;
}

bool looksBinary(QByteArrayView bytes)
{
    if (!bytes.first(std::min(bytes.size(), kBinarySampleBytes)).contains('\0'))
        return false;
    if (const std::optional<TextFormat> bom = bomFormat(bytes); bom && bom->encoding != Encoding::Utf8)
        return false;
    return !utf16ByNulPattern(bytes);
}

TextFormat detectEncoding(QByteArrayView bytes)
{
    TextFormat format;
    if (const std::optional<TextFormat> bom = bomFormat(bytes))
        return *bom;
    if (const std::optional<Encoding> utf16 = utf16ByNulPattern(bytes)) {
        format.encoding = *utf16;
        return format;
    }
    switch (classifyUtf8(bytes)) {
    case 2:
        format.encoding = Encoding::Utf8;
        return format;
    case 1:
        // ISO-2022-JP is 7-bit: only an escape sequence tells it apart from ASCII.
        format.encoding = bytes.contains('\x1B') ? detectLegacy(bytes) : Encoding::Cp932;
        return format;
    default:
        format.encoding = detectLegacy(bytes);
        return format;
    }
}

} // namespace pemmo::formats
