// SPDX-License-Identifier: MIT
#include "plaintext.h"

#include "encodingdetection.h"
#include "iconvcodec.h"

#include <QStringDecoder>
#include <QStringEncoder>

#include <algorithm>
#include <array>
#include <cstring>
#include <memory>

namespace pemmo::formats {

namespace {

// Characters that Japanese input methods on Linux type but CP932 holds only as their look-alike
// partner: Windows and glibc write them as the partner's code, and a Japanese reader sees the
// same character. A save writes them so without asking; they read back as the partner.
constexpr struct
{
    char16_t character;
    char16_t partner;
} kCp932Partners[] = {
    { 0x301C, 0xFF5E }, // WAVE DASH -> FULLWIDTH TILDE, 0x8160
    { 0x2016, 0x2225 }, // DOUBLE VERTICAL LINE -> PARALLEL TO, 0x8161
    { 0x2212, 0xFF0D }, // MINUS SIGN -> FULLWIDTH HYPHEN-MINUS, 0x817C
    { 0x00A2, 0xFFE0 }, // CENT SIGN -> FULLWIDTH CENT SIGN, 0x8191
    { 0x00A3, 0xFFE1 }, // POUND SIGN -> FULLWIDTH POUND SIGN, 0x8192
    { 0x00AC, 0xFFE2 }, // NOT SIGN -> FULLWIDTH NOT SIGN, 0x81CA
    { 0x2014, 0x2015 }, // EM DASH -> HORIZONTAL BAR, 0x815C
};

std::optional<char16_t> cp932Partner(char16_t unit)
{
    for (const auto& pair : kCp932Partners) {
        if (pair.character == unit)
            return pair.partner;
    }
    return std::nullopt;
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

// The same for UTF-8, where a CR or LF byte is never part of another character.
void normaliseLineEndings(QByteArray& text, LineEndingCounts& counts)
{
    char* data = text.data();
    const qsizetype size = text.size();
    const qsizetype lineFeeds = std::count(data, data + size, '\n');
    char* cr = static_cast<char*>(std::memchr(data, '\r', size_t(size)));
    qsizetype crLf = 0;
    qsizetype loneCr = 0;
    if (cr) {
        char* out = cr;
        const char* in = cr;
        const char* end = data + size;
        while (in < end) {
            // Here *in is a CR.
            if (in + 1 < end && in[1] == '\n') {
                ++crLf;
                ++in;
            } else {
                ++loneCr;
                *out++ = '\n';
                ++in;
            }
            const char* next = static_cast<const char*>(std::memchr(in, '\r', size_t(end - in)));
            const char* stop = next ? next : end;
            std::memmove(out, in, size_t(stop - in));
            out += stop - in;
            in = stop;
        }
        text.truncate(out - data);
    }
    counts[0] += crLf;
    counts[1] += lineFeeds - crLf;
    counts[2] += loneCr;
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

namespace {

// Hands decoded slices on, holding back the line break at the end of each: the break that ends
// the last line is not part of the text, and only the next slice tells whether this one was the last.
class SliceWriter
{
public:
    SliceWriter(const TextSliceSink& utf16, const Utf8SliceSink& utf8)
        : m_utf16(utf16)
        , m_utf8(utf8)
    { }

    template <typename Text>
    void put(Text& text)
    {
        if (text.isEmpty())
            return;
        if (m_pendingBreak) {
            if (m_utf16)
                m_utf16(u"\n");
            else
                m_utf8("\n");
            m_anyText = true;
        }
        m_pendingBreak = text.endsWith(typename Text::value_type('\n'));
        if (m_pendingBreak)
            text.chop(1);
        if (!text.isEmpty()) {
            hand(text);
            m_anyText = true;
        }
    }
    bool pendingBreak() const { return m_pendingBreak; }
    bool anyText() const { return m_anyText; }

private:
    void hand(const QString& text) const
    {
        if (m_utf16)
            m_utf16(text);
        else
            m_utf8(text.toUtf8());
    }
    void hand(const QByteArray& text) const
    {
        if (m_utf8)
            m_utf8(text);
        else
            m_utf16(QString::fromUtf8(text));
    }

    const TextSliceSink& m_utf16;
    const Utf8SliceSink& m_utf8;
    bool m_pendingBreak = false;
    bool m_anyText = false;
};

DecodedText decodeInSlices(QByteArrayView bytes, Encoding encoding, SliceWriter& writer, const DecodeProgress& progress,
                           qsizetype sliceBytes, const std::function<bool()>& stopped)
{
    DecodedText result;
    result.format.encoding = encoding;
    const qint64 total = bytes.size();
    if (const std::optional<TextFormat> bom = bomFormat(bytes); bom && bom->encoding == encoding) {
        result.format.bom = true;
        bytes = bytes.sliced(bomLength(*bom));
    }
    const bool cutAtLineBreaks = !lineFeedMayBeInsideCharacter(encoding);
    std::optional<Utf8Decoder> legacy;
    if (!isUnicodeEncoding(encoding))
        legacy.emplace(iconvName(encoding));
    LineEndingCounts counts {};
    // Reused from slice to slice: fresh memory for every slice costs more than the decoding.
    QByteArray utf8;
    QString utf16;
    qsizetype from = 0;
    while (from < bytes.size()) {
        const qsizetype end = cutAtLineBreaks ? sliceEnd(bytes, from, qMax<qsizetype>(1, sliceBytes)) : bytes.size();
        const QByteArrayView piece = bytes.sliced(from, end - from);
        bool clean = true;
        if (legacy || (encoding == Encoding::Utf8 && piece.isValidUtf8())) {
            utf8.resize(0);
            if (legacy)
                clean = legacy->decode(piece.data(), piece.size(), utf8);
            else
                utf8.append(piece);
            normaliseLineEndings(utf8, counts);
            writer.put(utf8);
        } else {
            clean = decodeUnicode(piece, encoding, utf16);
            normaliseLineEndings(utf16, counts);
            writer.put(utf16);
        }
        result.lossy = result.lossy || !clean;
        from = end;
        if (progress)
            progress(total - (bytes.size() - from), total);
        if (stopped && from < bytes.size() && stopped())
            break;
    }
    result.format.lineEnding = mostFrequent(counts);
    // The text of a lone line break is empty, like that of an empty file; only the format can tell them apart.
    result.format.oneEmptyLine = writer.pendingBreak() && !writer.anyText();
    return result;
}

} // namespace

DecodedText decodePlainTextInSlices(QByteArrayView bytes, Encoding encoding, const TextSliceSink& sink,
                                    const DecodeProgress& progress, qsizetype sliceBytes,
                                    const std::function<bool()>& stopped)
{
    const Utf8SliceSink none;
    SliceWriter writer(sink, none);
    return decodeInSlices(bytes, encoding, writer, progress, sliceBytes, stopped);
}

DecodedText decodePlainTextToUtf8(QByteArrayView bytes, Encoding encoding, const Utf8SliceSink& sink,
                                  const DecodeProgress& progress, qsizetype sliceBytes,
                                  const std::function<bool()>& stopped)
{
    const TextSliceSink none;
    SliceWriter writer(none, sink);
    return decodeInSlices(bytes, encoding, writer, progress, sliceBytes, stopped);
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
        if (pair) {
            // GB18030 codes every character; the other legacy encodings none beyond the BMP.
            if (encoding == Encoding::Gb18030) {
                ++i;
                continue;
            }
            return Unencodable { i, QChar::surrogateToUcs4(unit, text[i + 1].unicode()), line };
        }
        if (!holds->test(unit) && !(encoding == Encoding::Cp932 && cp932Partner(unit)))
            return Unencodable { i, unit, line };
    }
    return std::nullopt;
}

PlainTextEncoder::PlainTextEncoder(const TextFormat& format)
    : m_format(format)
    , m_ending(QString::fromLatin1(lineEndingBytes(format.lineEnding)))
{
    switch (format.encoding) {
    case Encoding::Utf8:
    case Encoding::Utf16Le:
    case Encoding::Utf16Be: {
        const auto qtEncoding = format.encoding == Encoding::Utf8 ? QStringConverter::Utf8
            : format.encoding == Encoding::Utf16Le                ? QStringConverter::Utf16LE
                                                                  : QStringConverter::Utf16BE;
        m_unicode.emplace(qtEncoding, format.bom ? QStringConverter::Flag::WriteBom : QStringConverter::Flag::Default);
        break;
    }
    default:
        m_legacy = std::make_unique<IconvEncoder>(iconvName(format.encoding));
        break;
    }
}

PlainTextEncoder::~PlainTextEncoder() = default;

QByteArray PlainTextEncoder::encode(QStringView piece, bool last)
{
    QString withEndings;
    withEndings.reserve(piece.size() + piece.size() / 16 + 2);
    qsizetype start = 0;
    while (start <= piece.size()) {
        const qsizetype newline = piece.indexOf(u'\n', start);
        if (newline < 0) {
            withEndings.append(piece.mid(start));
            break;
        }
        withEndings.append(piece.mid(start, newline - start));
        withEndings.append(m_ending);
        start = newline + 1;
    }
    m_anyText = m_anyText || !piece.isEmpty();
    // Every line, the last one too, is followed by the line ending; an empty text has no line,
    // unless it was read from a lone line break.
    if (last && (m_anyText || m_format.oneEmptyLine))
        withEndings.append(m_ending);
    if (m_format.encoding == Encoding::Cp932) {
        for (QChar& c : withEndings) {
            if (const std::optional<char16_t> partner = cp932Partner(c.unicode()))
                c = QChar(*partner);
        }
    }
    QByteArray bytes;
    if (m_unicode) {
        bytes = m_unicode->encode(withEndings);
        if (!bytes.isEmpty())
            m_bomWritten = true;
        if (last && m_format.bom && !m_bomWritten) {
            // Qt writes the BOM only with the first character; an empty document keeps its BOM too.
            bytes = m_format.encoding == Encoding::Utf8  ? QByteArray("\xEF\xBB\xBF")
                : m_format.encoding == Encoding::Utf16Le ? QByteArray("\xFF\xFE")
                                                         : QByteArray("\xFE\xFF");
        }
    } else if (!withEndings.isEmpty()) {
        m_legacy->encode(withEndings, bytes);
    }
    return bytes;
}

QByteArray encodePlainText(QStringView text, const TextFormat& format)
{
    PlainTextEncoder encoder(format);
    return encoder.encode(text, true);
}

} // namespace pemmo::formats
