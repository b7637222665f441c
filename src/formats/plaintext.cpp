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

// Turns CR LF, CR and LF into '\n' in place.
void normaliseLineEndings(QString& text)
{
    QChar* data = text.data();
    const qsizetype size = text.size();
    qsizetype out = 0;
    for (qsizetype i = 0; i < size; ++i) {
        const char16_t c = data[i].unicode();
        if (c == u'\r') {
            if (i + 1 < size && data[i + 1].unicode() == u'\n')
                ++i;
            data[out++] = QLatin1Char('\n');
        } else {
            data[out++] = data[i];
        }
    }
    text.truncate(out);
}

// The same for UTF-8, where a CR or LF byte is never part of another character.
void normaliseLineEndings(QByteArray& text)
{
    char* data = text.data();
    const qsizetype size = text.size();
    char* cr = static_cast<char*>(std::memchr(data, '\r', size_t(size)));
    if (cr) {
        char* out = cr;
        const char* in = cr;
        const char* end = data + size;
        while (in < end) {
            // Here *in is a CR.
            if (in + 1 < end && in[1] == '\n') {
                ++in;
            } else {
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
}

LineEnding mostFrequent(const LineEndingCounts& counts)
{
    // Ties go to CR LF, then LF: the program's own choice first.
    if (counts[0] >= counts[1] && counts[0] >= counts[2])
        return LineEnding::CrLf;
    return counts[1] >= counts[2] ? LineEnding::Lf : LineEnding::Cr;
}

int kindsOf(const LineEndingCounts& counts)
{
    return int(std::count_if(counts.begin(), counts.end(), [](qsizetype n) { return n > 0; }));
}

// Counts the line breaks of each kind. CR and LF are those bytes in every encoding but UTF-16
// (the legacy ones never use them inside a character).
LineEndingCounts countLineEndings(QByteArrayView bytes, Encoding encoding)
{
    LineEndingCounts counts {};
    if (encoding == Encoding::Utf16Le || encoding == Encoding::Utf16Be) {
        const bool little = encoding == Encoding::Utf16Le;
        const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
        const qsizetype units = bytes.size() / 2;
        const auto unitAt = [&](qsizetype i) {
            return little ? char16_t(data[2 * i] | data[2 * i + 1] << 8) : char16_t(data[2 * i] << 8 | data[2 * i + 1]);
        };
        for (qsizetype i = 0; i < units; ++i) {
            const char16_t unit = unitAt(i);
            if (unit == u'\n') {
                ++counts[1];
            } else if (unit == u'\r') {
                if (i + 1 < units && unitAt(i + 1) == u'\n') {
                    ++counts[0];
                    ++i;
                } else {
                    ++counts[2];
                }
            }
        }
        return counts;
    }
    const char* data = bytes.data();
    const char* end = data + bytes.size();
    const qsizetype lineFeeds = std::count(data, end, '\n');
    qsizetype crLf = 0;
    qsizetype loneCr = 0;
    for (const char* cr = static_cast<const char*>(std::memchr(data, '\r', size_t(end - data))); cr;
         cr = static_cast<const char*>(std::memchr(cr + 1, '\r', size_t(end - cr - 1)))) {
        if (cr + 1 < end && cr[1] == '\n')
            ++crLf;
        else
            ++loneCr;
    }
    counts[0] = crLf;
    counts[1] = lineFeeds - crLf;
    counts[2] = loneCr;
    return counts;
}

// Whether some CR in [data, data + size) is not followed by LF, or some LF there not preceded by
// CR; data[size] must be readable (it is looked at as the byte after the last).
bool anyLoneBreak(const char* data, qsizetype size)
{
    // Sixteen bytes at a time with the compiler's vector types, so that a file of one kind of
    // break costs a few milliseconds per 100 MB to confirm, not a count of every break.
    using Bytes = signed char __attribute__((vector_size(16)));
    constexpr qsizetype kBlock = 64;
    const Bytes cr = Bytes {} + '\r';
    const Bytes lf = Bytes {} + '\n';
    qsizetype i = 0;
    for (; i + kBlock <= size; i += kBlock) {
        Bytes mismatch {};
        for (qsizetype j = i; j < i + kBlock; j += 16) {
            Bytes here;
            Bytes next;
            std::memcpy(&here, data + j, sizeof here);
            std::memcpy(&next, data + j + 1, sizeof next);
            mismatch |= (here == cr) ^ (next == lf);
        }
        quint64 halves[2];
        std::memcpy(halves, &mismatch, sizeof halves);
        if ((halves[0] | halves[1]) != 0)
            return true;
    }
    for (; i < size; ++i) {
        if ((data[i] == '\r') != (data[i + 1] == '\n'))
            return true;
    }
    return false;
}

struct LineBreaks
{
    bool mixed = false; ///< of more than one kind
    LineEnding mostFrequent = LineEnding::CrLf;
    bool normalise = false; ///< of one kind that is not LF: the text wants them turned into '\n'
};

// Looks at the line breaks before decoding, to tell whether they are all alike; only mixed ones
// are counted, for the most frequent kind.
LineBreaks lineBreaksOf(QByteArrayView bytes, Encoding encoding)
{
    LineBreaks breaks;
    const auto fromCounts = [&breaks](const LineEndingCounts& counts) {
        breaks.mixed = kindsOf(counts) > 1;
        breaks.mostFrequent = mostFrequent(counts);
        breaks.normalise = !breaks.mixed && counts[0] + counts[2] > 0;
        return breaks;
    };
    if (encoding == Encoding::Utf16Le || encoding == Encoding::Utf16Be)
        return fromCounts(countLineEndings(bytes, encoding));
    const char* data = bytes.data();
    const auto size = size_t(bytes.size());
    const bool anyCr = std::memchr(data, '\r', size) != nullptr;
    const bool anyLf = std::memchr(data, '\n', size) != nullptr;
    if (!anyCr || !anyLf) {
        // LF alone needs nothing done; no break at all counts as CR LF, the program's own.
        breaks.mostFrequent = anyCr ? LineEnding::Cr : anyLf ? LineEnding::Lf : LineEnding::CrLf;
        breaks.normalise = anyCr;
        return breaks;
    }
    // Both bytes occur: all CR LF pairs, unless the first byte is a LF, the last a CR, or some
    // pair of neighbours has one without the other.
    const bool onlyPairs = data[0] != '\n' && data[size - 1] != '\r' && !anyLoneBreak(data, qsizetype(size) - 1);
    if (!onlyPairs)
        return fromCounts(countLineEndings(bytes, encoding));
    breaks.normalise = true;
    return breaks;
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
// Slices hold '\n' for every break, or, when the file's breaks are kept, each as it was.
class SliceWriter
{
public:
    SliceWriter(const TextSliceSink& utf16, const Utf8SliceSink& utf8)
        : m_utf16(utf16)
        , m_utf8(utf8)
    { }

    template <typename Text>
    void put(Text& text, bool keptEndings)
    {
        using Char = typename Text::value_type;
        if (text.isEmpty())
            return;
        if (m_pending) {
            const QByteArray ending = keptEndings ? lineEndingBytes(*m_pending) : QByteArrayLiteral("\n");
            if (m_utf16)
                m_utf16(QString::fromLatin1(ending));
            else
                m_utf8(ending);
            m_anyText = true;
        }
        m_pending.reset();
        if (text.endsWith(Char('\n'))) {
            const bool pair = keptEndings && text.size() >= 2 && text.at(text.size() - 2) == Char('\r');
            m_pending = pair ? LineEnding::CrLf : LineEnding::Lf;
            text.chop(pair ? 2 : 1);
        } else if (keptEndings && text.endsWith(Char('\r'))) {
            m_pending = LineEnding::Cr;
            text.chop(1);
        }
        if (!text.isEmpty()) {
            hand(text);
            m_anyText = true;
        }
    }
    /** The break after the text so far, held back; nullopt when the text ends without one. */
    std::optional<LineEnding> pendingBreak() const { return m_pending; }
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
    std::optional<LineEnding> m_pending;
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
    // Breaks of one kind become '\n', and a save writes them back as that kind. Mixed ones stay
    // as they are, so that a save changes none of them.
    const LineBreaks breaks = lineBreaksOf(bytes, encoding);
    const bool keptEndings = breaks.mixed;
    const bool normalise = breaks.normalise;
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
            if (normalise)
                normaliseLineEndings(utf8);
            writer.put(utf8, keptEndings);
        } else {
            clean = decodeUnicode(piece, encoding, utf16);
            if (normalise)
                normaliseLineEndings(utf16);
            writer.put(utf16, keptEndings);
        }
        result.lossy = result.lossy || !clean;
        from = end;
        if (progress)
            progress(total - (bytes.size() - from), total);
        if (stopped && from < bytes.size() && stopped())
            break;
    }
    result.format.lineEnding = breaks.mostFrequent;
    result.format.keptLineEndings = keptEndings;
    if (keptEndings)
        result.format.lastLineEnding = writer.pendingBreak().value_or(result.format.lineEnding);
    // An empty file has no last line; what is typed into it ends as a new document's does.
    result.format.finalLineBreak = writer.pendingBreak() || !writer.anyText();
    // The text of a lone line break is empty, like that of an empty file; only the format can tell them apart.
    result.format.oneEmptyLine = writer.pendingBreak() && !writer.anyText();
    if (legacy) {
        result.format.ownCodes = legacy->ownCodes();
        result.format.ownCodesEncoding = encoding;
    }
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
        if (format.ownCodesEncoding == format.encoding && !format.ownCodes.isEmpty()) {
            m_ownUnits = std::make_unique<std::bitset<0x10000>>();
            for (auto it = format.ownCodes.cbegin(); it != format.ownCodes.cend(); ++it) {
                if (it.key() < 0x10000 && !QChar::isSurrogate(it.key()))
                    m_ownUnits->set(it.key());
            }
        }
        break;
    }
}

PlainTextEncoder::~PlainTextEncoder() = default;

QByteArray PlainTextEncoder::encode(QStringView piece, bool last)
{
    QString withEndings;
    withEndings.reserve(piece.size() + piece.size() / 16 + 2);
    if (m_format.keptLineEndings) {
        withEndings.append(piece);
    } else {
        // Every break becomes the format's: '\n' as the editor holds it, and CR LF or CR that a
        // text with kept breaks still holds after the user chose one ending for all.
        const char16_t* data = piece.utf16();
        const qsizetype size = piece.size();
        qsizetype start = 0;
        if (m_afterCr && size > 0 && data[0] == u'\n')
            start = 1; // the CR LF pair that the previous piece cut
        for (qsizetype i = start; i < size; ++i) {
            const char16_t c = data[i];
            if (c != u'\n' && c != u'\r')
                continue;
            withEndings.append(QStringView(data + start, i - start));
            withEndings.append(m_ending);
            if (c == u'\r' && i + 1 < size && data[i + 1] == u'\n')
                ++i;
            start = i + 1;
        }
        withEndings.append(QStringView(data + start, size - start));
        m_afterCr = size > 0 && data[size - 1] == u'\r';
    }
    m_anyText = m_anyText || !piece.isEmpty();
    // The last line is followed by a line break if the file's was; an empty text has no line,
    // unless it was read from a lone line break.
    if (last && m_format.finalLineBreak && (m_anyText || m_format.oneEmptyLine))
        withEndings.append(m_format.keptLineEndings ? QString::fromLatin1(lineEndingBytes(m_format.lastLineEnding))
                                                    : m_ending);
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
        encodeLegacy(withEndings, bytes);
    }
    return bytes;
}

void PlainTextEncoder::encodeLegacy(QStringView text, QByteArray& bytes)
{
    if (!m_ownUnits) {
        m_legacy->encode(text, bytes);
        return;
    }
    // The characters the file wrote with a code of its own get that code; the runs between them go
    // through the converter (these encodings have no shift state that a cut could break).
    qsizetype start = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t unit = text[i].unicode();
        if (!m_ownUnits->test(unit))
            continue;
        if (i > start)
            m_legacy->encode(text.sliced(start, i - start), bytes);
        bytes.append(m_format.ownCodes.value(unit));
        start = i + 1;
    }
    if (start < text.size())
        m_legacy->encode(text.sliced(start), bytes);
}

QByteArray encodePlainText(QStringView text, const TextFormat& format)
{
    PlainTextEncoder encoder(format);
    return encoder.encode(text, true);
}

} // namespace pemmo::formats
