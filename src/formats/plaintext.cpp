// SPDX-License-Identifier: MIT
#include "plaintext.h"

#include "iconvcodec.h"

#include <QStringDecoder>
#include <QStringEncoder>

#include <uchardet.h>

#include <array>
#include <memory>

namespace pemmo::formats {

namespace {

constexpr qsizetype kDetectorSampleBytes = 4 * 1024 * 1024;

// Returns 0 when invalid, 1 when pure ASCII, 2 when valid UTF-8 with non-ASCII characters.
int classifyUtf8(QByteArrayView bytes)
{
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const auto* end = p + bytes.size();
    bool nonAscii = false;
    while (p < end) {
        if (*p < 0x80) {
            ++p;
            continue;
        }
        nonAscii = true;
        const unsigned char lead = *p;
        int length;
        char32_t minimum;
        char32_t value;
        if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2, minimum = 0x80, value = lead & 0x1F;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3, minimum = 0x800, value = lead & 0x0F;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4, minimum = 0x10000, value = lead & 0x07;
        } else {
            return 0;
        }
        if (end - p < length)
            return 0;
        for (int i = 1; i < length; ++i) {
            if ((p[i] & 0xC0) != 0x80)
                return 0;
            value = (value << 6) | (p[i] & 0x3F);
        }
        if (value < minimum || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF))
            return 0;
        p += length;
    }
    return nonAscii ? 2 : 1;
}

Encoding detectLegacy(QByteArrayView bytes)
{
    std::unique_ptr<std::remove_pointer_t<uchardet_t>, void (*)(uchardet_t)> detector(uchardet_new(), uchardet_delete);
    if (!detector)
        return Encoding::Cp932;
    const qsizetype sample = std::min(bytes.size(), kDetectorSampleBytes);
    if (uchardet_handle_data(detector.get(), bytes.data(), size_t(sample)) != 0)
        return Encoding::Cp932;
    uchardet_data_end(detector.get());
    const QByteArray name = QByteArray(uchardet_get_charset(detector.get())).toUpper();
    if (name == "EUC-JP")
        return Encoding::EucJp;
    if (name == "ISO-2022-JP")
        return Encoding::Iso2022Jp;
    // Shift_JIS, an unsure answer or any non-Japanese guess: the program's own encoding.
    return Encoding::Cp932;
}

qsizetype bomLength(const TextFormat& format)
{
    if (!format.bom)
        return 0;
    return format.encoding == Encoding::Utf8 ? 3 : 2;
}

using LineEndingCounts = std::array<qsizetype, 3>; // CrLf, Lf, Cr

// Turns CR LF, CR and LF into '\n' in place and counts each kind.
void normaliseLineEndings(QString& text, LineEndingCounts& counts)
{
    QChar* data = text.data();
    const qsizetype size = text.size();
    qsizetype out = 0;
    for (qsizetype i = 0; i < size; ++i) {
        const char16_t c = data[i].unicode();
        if (c == u'\r') {
            if (i + 1 < size && data[i + 1].unicode() == u'\n') {
                ++counts[0];
                ++i;
            } else {
                ++counts[2];
            }
            data[out++] = QLatin1Char('\n');
        } else {
            if (c == u'\n')
                ++counts[1];
            data[out++] = data[i];
        }
    }
    text.truncate(out);
}

LineEnding mostFrequent(const LineEndingCounts& counts)
{
    // Ties go to CR LF, then LF: the program's own choice first.
    if (counts[0] >= counts[1] && counts[0] >= counts[2])
        return LineEnding::CrLf;
    return counts[1] >= counts[2] ? LineEnding::Lf : LineEnding::Cr;
}

// Where the slice starting at @p from ends: just after the first LF byte at or past from + size,
// so that neither a multi-byte character nor a CR LF pair is cut. Only for encodings where
// 0x0A is never part of another character.
qsizetype sliceEnd(QByteArrayView bytes, qsizetype from, qsizetype size)
{
    if (bytes.size() - from <= size)
        return bytes.size();
    const qsizetype newline = bytes.indexOf('\n', from + size - 1);
    return newline < 0 ? bytes.size() : newline + 1;
}

std::optional<TextFormat> bomFormat(QByteArrayView bytes)
{
    if (bytes.startsWith("\xEF\xBB\xBF"))
        return TextFormat { Encoding::Utf8, true, LineEnding::CrLf };
    if (bytes.startsWith("\xFF\xFE"))
        return TextFormat { Encoding::Utf16Le, true, LineEnding::CrLf };
    if (bytes.startsWith("\xFE\xFF"))
        return TextFormat { Encoding::Utf16Be, true, LineEnding::CrLf };
    return std::nullopt;
}

bool decodeUnicode(QByteArrayView bytes, Encoding encoding, QString& out)
{
    QStringConverter::Encoding qtEncoding = QStringConverter::Utf8;
    if (encoding == Encoding::Utf16Le)
        qtEncoding = QStringConverter::Utf16LE;
    else if (encoding == Encoding::Utf16Be)
        qtEncoding = QStringConverter::Utf16BE;
    const bool oddByte = encoding != Encoding::Utf8 && bytes.size() % 2 != 0;
    if (oddByte)
        bytes = bytes.first(bytes.size() - 1);
    QStringDecoder decoder(qtEncoding, QStringConverter::Flag::Stateless);
    out = decoder.decode(bytes);
    if (oddByte)
        out += QChar::ReplacementCharacter; // a cut-off last unit stays visible
    return !decoder.hasError() && !oddByte;
}

} // namespace

TextFormat detectEncoding(QByteArrayView bytes)
{
    TextFormat format;
    if (const std::optional<TextFormat> bom = bomFormat(bytes))
        return *bom;
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

DecodedText decodePlainText(QByteArrayView bytes)
{
    return decodePlainText(bytes, detectEncoding(bytes).encoding);
}

DecodedText decodePlainText(QByteArrayView bytes, Encoding encoding)
{
    QString text;
    DecodedText result = decodePlainTextInSlices(bytes, encoding, [&text](QStringView slice) { text.append(slice); });
    // Appending grew the string in steps; give back what the last step left over.
    text.squeeze();
    result.text = std::move(text);
    return result;
}

DecodedText decodePlainTextInSlices(QByteArrayView bytes, Encoding encoding, const TextSliceSink& sink,
    const DecodeProgress& progress, qsizetype sliceBytes)
{
    DecodedText result;
    result.format.encoding = encoding;
    const qint64 total = bytes.size();
    if (const std::optional<TextFormat> bom = bomFormat(bytes); bom && bom->encoding == encoding) {
        result.format.bom = true;
        bytes = bytes.sliced(bomLength(*bom));
    }
    const bool cutAtLineBreaks
        = encoding == Encoding::Utf8 || encoding == Encoding::Cp932 || encoding == Encoding::EucJp;
    std::optional<IconvDecoder> legacy;
    if (!isUnicodeEncoding(encoding))
        legacy.emplace(iconvName(encoding));
    LineEndingCounts counts {};
    bool anyText = false;
    // A line break at the end of a slice is held back: the break that ends the last line is not
    // part of the text, and only the next slice tells whether this one was the last.
    bool pendingBreak = false;
    qsizetype from = 0;
    while (from < bytes.size()) {
        const qsizetype end = cutAtLineBreaks ? sliceEnd(bytes, from, qMax<qsizetype>(1, sliceBytes)) : bytes.size();
        const QByteArrayView piece = bytes.sliced(from, end - from);
        QString text;
        const bool clean
            = legacy ? legacy->decode(piece.data(), piece.size(), text) : decodeUnicode(piece, encoding, text);
        result.lossy = result.lossy || !clean;
        normaliseLineEndings(text, counts);
        if (!text.isEmpty()) {
            if (pendingBreak) {
                sink(u"\n");
                anyText = true;
            }
            pendingBreak = text.endsWith(QLatin1Char('\n'));
            if (pendingBreak)
                text.chop(1);
            if (!text.isEmpty()) {
                sink(text);
                anyText = true;
            }
        }
        from = end;
        if (progress)
            progress(total - (bytes.size() - from), total);
    }
    result.format.lineEnding = mostFrequent(counts);
    // The text of a lone line break is empty, like that of an empty file; only the format can tell them apart.
    result.format.oneEmptyLine = pendingBreak && !anyText;
    return result;
}

std::optional<Unencodable> findUnencodable(QStringView text, Encoding encoding)
{
    const bool unicode = isUnicodeEncoding(encoding);
    const std::bitset<0x10000>* holds = unicode ? nullptr : &legacyRoundTripTable(iconvName(encoding));
    int line = 1;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t unit = text[i].unicode();
        if (unit == u'\n') {
            ++line;
            continue;
        }
        const bool pair = QChar::isHighSurrogate(unit) && i + 1 < text.size() && text[i + 1].isLowSurrogate();
        if (unicode) {
            // Only a lone surrogate half has no UTF-8/UTF-16 form.
            if (pair)
                ++i;
            else if (QChar::isSurrogate(unit))
                return Unencodable { i, unit, line };
            continue;
        }
        if (unit < 0x80 && encoding != Encoding::Iso2022Jp)
            continue;
        if (pair)
            return Unencodable { i, QChar::surrogateToUcs4(unit, text[i + 1].unicode()), line };
        if (!holds->test(unit))
            return Unencodable { i, unit, line };
    }
    return std::nullopt;
}

QByteArray encodePlainText(QStringView text, const TextFormat& format)
{
    QString withEndings;
    if (text.isEmpty() && format.oneEmptyLine)
        withEndings = QString::fromLatin1(lineEndingBytes(format.lineEnding));
    if (!text.isEmpty()) {
        const QByteArray ending = lineEndingBytes(format.lineEnding);
        // Every line, the last one too, is followed by the line ending.
        withEndings.reserve(text.size() + text.size() / 16 + 2);
        qsizetype start = 0;
        const QString endingText = QString::fromLatin1(ending);
        while (true) {
            const qsizetype newline = text.indexOf(u'\n', start);
            const qsizetype end = newline < 0 ? text.size() : newline;
            withEndings.append(text.mid(start, end - start));
            withEndings.append(endingText);
            if (newline < 0)
                break;
            start = newline + 1;
        }
    }
    QByteArray bytes;
    switch (format.encoding) {
    case Encoding::Utf8:
    case Encoding::Utf16Le:
    case Encoding::Utf16Be: {
        const auto qtEncoding = format.encoding == Encoding::Utf8 ? QStringConverter::Utf8
            : format.encoding == Encoding::Utf16Le                ? QStringConverter::Utf16LE
                                                                  : QStringConverter::Utf16BE;
        QStringEncoder encoder(
            qtEncoding, format.bom ? QStringConverter::Flag::WriteBom : QStringConverter::Flag::Default);
        bytes = encoder.encode(withEndings);
        if (format.bom && withEndings.isEmpty()) {
            // Qt writes the BOM only with the first character; an empty document keeps its BOM too.
            bytes = format.encoding == Encoding::Utf8  ? QByteArray("\xEF\xBB\xBF")
                : format.encoding == Encoding::Utf16Le ? QByteArray("\xFF\xFE")
                                                       : QByteArray("\xFE\xFF");
        }
        break;
    }
    default: {
        IconvEncoder encoder(iconvName(format.encoding));
        encoder.encode(withEndings, bytes);
        break;
    }
    }
    return bytes;
}

} // namespace pemmo::formats
