// SPDX-License-Identifier: MIT
#include "iconvcodec.h"

#include <QtEndian>

#include <algorithm>
#include <array>
#include <bitset>
#include <cerrno>
#include <cstring>
#include <iconv.h>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <type_traits>
#include <variant>
#include <vector>

namespace pemmo::formats {

namespace {

constexpr const char* kNativeUtf16 = QSysInfo::ByteOrder == QSysInfo::LittleEndian ? "UTF-16LE" : "UTF-16BE";
const iconv_t kInvalid = reinterpret_cast<iconv_t>(-1);

iconv_t openOrNull(const char* to, const char* from)
{
    iconv_t handle = iconv_open(to, from);
    return handle == kInvalid ? nullptr : handle;
}

constexpr char kReplacementUtf8[] = "\xEF\xBF\xBD";

/**
 * The one iconv loop of the decoders: appends the conversion of @p data to @p out, UTF-16 units
 * in a QString or UTF-8 bytes in a QByteArray, and turns every byte that does not decode into one
 * U+FFFD. False when some did not.
 */
template <typename Text>
bool convertReplacing(iconv_t handle, const char* data, qsizetype size, Text& out)
{
    constexpr bool utf16 = std::is_same_v<Text, QString>;
    constexpr qsizetype unitBytes = utf16 ? 2 : 1;
    // Room per input byte: a legacy byte sequence gives at most one UTF-16 unit per byte, or
    // three UTF-8 bytes per two; U+FFFD takes one unit, or three bytes.
    constexpr qsizetype replacementUnits = utf16 ? 1 : 3;
    const auto room = [](qsizetype bytes) { return utf16 ? bytes : bytes * 2; };
    iconv(handle, nullptr, nullptr, nullptr, nullptr);
    bool clean = true;
    qsizetype written = out.size();
    out.resize(written + room(size) + 16);
    char* in = const_cast<char*>(data);
    size_t inLeft = size_t(size);
    // Hands out what the converter holds back: glibc's Windows-1255 and -1258 keep a base letter
    // until they see whether a combining mark follows, and without this the text's last letter,
    // or the one before a bad byte, would be lost.
    const auto flush = [&] {
        while (true) {
            char* outPtr = reinterpret_cast<char*>(out.data() + written);
            size_t outLeft = size_t(out.size() - written) * unitBytes;
            const size_t before = outLeft;
            const size_t result = iconv(handle, nullptr, nullptr, &outPtr, &outLeft);
            written += qsizetype(before - outLeft) / unitBytes;
            if (result != size_t(-1) || errno != E2BIG)
                return;
            out.resize(out.size() + 64);
        }
    };
    while (inLeft > 0) {
        char* outPtr = reinterpret_cast<char*>(out.data() + written);
        size_t outLeft = size_t(out.size() - written) * unitBytes;
        const size_t before = outLeft;
        const size_t result = iconv(handle, &in, &inLeft, &outPtr, &outLeft);
        written += qsizetype(before - outLeft) / unitBytes;
        if (result != size_t(-1))
            continue;
        if (errno == E2BIG) {
            out.resize(out.size() + room(qsizetype(inLeft)) + 64);
            continue;
        }
        // EILSEQ or EINVAL (a cut-off sequence at the end): keep the byte visible and go on after it.
        clean = false;
        flush();
        if (written + replacementUnits > out.size())
            out.resize(written + room(qsizetype(inLeft)) + 64);
        if constexpr (utf16)
            out[written] = QChar::ReplacementCharacter;
        else
            std::memcpy(out.data() + written, kReplacementUtf8, 3);
        written += replacementUnits;
        ++in;
        --inLeft;
        iconv(handle, nullptr, nullptr, nullptr, nullptr);
    }
    flush();
    out.resize(written);
    return clean;
}

} // namespace

IconvDecoder::IconvDecoder(const char* fromCode)
    : m_handle(openOrNull(kNativeUtf16, fromCode))
{ }

IconvDecoder::~IconvDecoder()
{
    if (m_handle)
        iconv_close(static_cast<iconv_t>(m_handle));
}

bool IconvDecoder::decode(const char* data, qsizetype size, QString& out)
{
    auto* handle = static_cast<iconv_t>(m_handle);
    if (!handle || size <= 0)
        return handle != nullptr;
    return convertReplacing(handle, data, size, out);
}

struct Utf8Decoder::ByteTable
{
    struct Code
    {
        quint8 length = 0; // 0: the byte or pair is no character
        char bytes[4] = {};
    };
    /** One code of a character that the encoding holds under several. */
    struct Twin
    {
        char32_t character = 0;
        QByteArray code;
        bool usual = false; ///< the code the encoder writes for the character
    };
    std::array<Code, 256> single {};
    std::array<bool, 256> lead {};
    std::vector<Code> pairs = std::vector<Code>(0x10000); // lead << 8 | trail
    std::vector<Twin> twins; // grouped by character
    // Apart from the codes, so that their entries stay five bytes: the decoding looks here only
    // after a byte that starts some twin (in CP932 0x81, 0x87, 0xED, 0xEE and 0xFA to 0xFC).
    std::array<bool, 256> twinStart {};
    std::array<quint16, 256> singleTwin {}; // 1 + index into twins, 0 for none
    std::vector<quint16> pairTwin; // the same by lead << 8 | trail; empty when no pair has a twin
};

namespace {

// One conversion of @p size bytes; the code it gives when it took them all as one step, else
// the errno of the failure (0 when it took them but gave nothing or too much).
std::variant<Utf8Decoder::ByteTable::Code, int> probe(iconv_t handle, const char* bytes, size_t size)
{
    iconv(handle, nullptr, nullptr, nullptr, nullptr);
    char* in = const_cast<char*>(bytes);
    size_t inLeft = size;
    char out[16];
    char* outPtr = out;
    size_t outLeft = sizeof out;
    if (iconv(handle, &in, &inLeft, &outPtr, &outLeft) == size_t(-1))
        return errno;
    const auto length = size_t(outPtr - out);
    if (inLeft != 0 || length == 0 || length > 4)
        return 0;
    Utf8Decoder::ByteTable::Code code;
    code.length = quint8(length);
    std::memcpy(code.bytes, out, length);
    return code;
}

// Marks the codes of characters that have more than one: the encoder writes one of them, and a
// file that used another gets it back only if the decoding notes which it saw.
void findTwins(Utf8Decoder::ByteTable& table, const char* fromCode)
{
    iconv_t encoder = iconv_open(fromCode, "UTF-8");
    if (encoder == kInvalid)
        return;
    using Code = Utf8Decoder::ByteTable::Code;
    struct Entry
    {
        QByteArray bytes;
        bool usual;
    };
    std::map<char32_t, std::vector<Entry>> codesOf;
    const auto codeAt = [&table](const QByteArray& bytes) -> Code* {
        const auto* b = reinterpret_cast<const unsigned char*>(bytes.constData());
        if (bytes.size() == 1)
            return table.lead[b[0]] ? nullptr : &table.single[b[0]];
        if (bytes.size() == 2)
            return table.lead[b[0]] ? &table.pairs[b[0] << 8 | b[1]] : nullptr;
        return nullptr;
    };
    const auto consider = [&](const QByteArray& bytes) {
        Code* code = codeAt(bytes);
        if (!code || code->length == 0)
            return;
        iconv(encoder, nullptr, nullptr, nullptr, nullptr);
        char* in = code->bytes;
        size_t inLeft = code->length;
        char out[16];
        char* outPtr = out;
        size_t outLeft = sizeof out;
        if (iconv(encoder, &in, &inLeft, &outPtr, &outLeft) == size_t(-1) ||
            iconv(encoder, nullptr, nullptr, &outPtr, &outLeft) == size_t(-1))
            return;
        const QByteArray usual(out, outPtr - out);
        if (usual == bytes)
            return;
        // The usual code counts only when it reads back as the same character.
        Code* usualCode = codeAt(usual);
        if (!usualCode || usualCode->length != code->length ||
            std::memcmp(usualCode->bytes, code->bytes, code->length) != 0)
            return;
        std::vector<Entry>& entries = codesOf[QString::fromUtf8(code->bytes, code->length).toUcs4().value(0)];
        const auto add = [&entries](const QByteArray& twin, bool isUsual) {
            for (const Entry& entry : entries) {
                if (entry.bytes == twin)
                    return;
            }
            entries.push_back({ twin, isUsual });
        };
        add(usual, true);
        add(bytes, false);
    };
    for (int b = 0; b < 256; ++b)
        consider(QByteArray(1, char(b)));
    for (int pair = 0; pair < 0x10000; ++pair) {
        const char bytes[2] = { char(pair >> 8), char(pair & 0xFF) };
        consider(QByteArray(bytes, 2));
    }
    iconv_close(encoder);
    for (const auto& [character, entries] : codesOf) {
        for (const Entry& entry : entries) {
            table.twins.push_back({ character, entry.bytes, entry.usual });
            const auto index = quint16(table.twins.size());
            const auto* b = reinterpret_cast<const unsigned char*>(entry.bytes.constData());
            table.twinStart[b[0]] = true;
            if (entry.bytes.size() == 1) {
                table.singleTwin[b[0]] = index;
            } else {
                if (table.pairTwin.empty())
                    table.pairTwin.resize(0x10000);
                table.pairTwin[b[0] << 8 | b[1]] = index;
            }
        }
    }
}

// What glibc makes of every byte and every pair that starts with an incomplete byte; null when
// the encoding has shift states, longer characters or bytes that give nothing on their own.
std::unique_ptr<Utf8Decoder::ByteTable> readByteTable(const char* fromCode)
{
    iconv_t handle = iconv_open("UTF-8", fromCode);
    if (handle == kInvalid)
        return nullptr;
    auto table = std::make_unique<Utf8Decoder::ByteTable>();
    bool usable = true;
    for (int b = 0; b < 256 && usable; ++b) {
        const char byte = char(b);
        const auto result = probe(handle, &byte, 1);
        if (const auto* code = std::get_if<Utf8Decoder::ByteTable::Code>(&result))
            table->single[b] = *code;
        else if (std::get<int>(result) == EINVAL)
            table->lead[b] = true;
        else if (std::get<int>(result) != EILSEQ)
            usable = false;
    }
    for (int lead = 0; lead < 256 && usable; ++lead) {
        if (!table->lead[lead])
            continue;
        for (int trail = 0; trail < 256 && usable; ++trail) {
            const char pair[2] = { char(lead), char(trail) };
            const auto result = probe(handle, pair, 2);
            if (const auto* code = std::get_if<Utf8Decoder::ByteTable::Code>(&result))
                table->pairs[lead << 8 | trail] = *code;
            else if (std::get<int>(result) != EILSEQ)
                usable = false;
        }
    }
    iconv_close(handle);
    if (!usable)
        return nullptr;
    findTwins(*table, fromCode);
    return table;
}

const Utf8Decoder::ByteTable* byteTable(const char* fromCode)
{
    static std::mutex mutex;
    static std::map<std::string, std::unique_ptr<Utf8Decoder::ByteTable>> tables;
    std::lock_guard lock(mutex);
    auto [entry, added] = tables.try_emplace(fromCode);
    if (added)
        entry->second = readByteTable(fromCode);
    return entry->second.get();
}

} // namespace

Utf8Decoder::Utf8Decoder(const char* fromCode)
    : m_table(byteTable(fromCode))
    , m_handle(m_table ? nullptr : openOrNull("UTF-8", fromCode))
{
    if (m_table)
        m_seenTwins.assign(m_table->twins.size(), false);
}

QMap<char32_t, QByteArray> Utf8Decoder::ownCodes() const
{
    QMap<char32_t, QByteArray> codes;
    if (!m_table)
        return codes;
    const auto& twins = m_table->twins;
    for (size_t first = 0; first < twins.size();) {
        size_t end = first;
        const ByteTable::Twin* seen = nullptr;
        int seenCount = 0;
        for (; end < twins.size() && twins[end].character == twins[first].character; ++end) {
            if (m_seenTwins[end]) {
                seen = &twins[end];
                ++seenCount;
            }
        }
        // A file that wrote the character in two ways cannot have both back: it gets the usual one.
        if (seenCount == 1 && !seen->usual)
            codes.insert(seen->character, seen->code);
        first = end;
    }
    return codes;
}

Utf8Decoder::~Utf8Decoder()
{
    if (m_handle)
        iconv_close(static_cast<iconv_t>(m_handle));
}

bool Utf8Decoder::decode(const char* data, qsizetype size, QByteArray& out)
{
    if (!m_table)
        return decodeWithIconv(data, size, out);
    if (size <= 0)
        return true;
    const qsizetype start = out.size();
    // A byte gives at most four bytes of UTF-8 (a replacement character three), a pair at most four.
    out.resize(start + size * 4);
    const auto* in = reinterpret_cast<const unsigned char*>(data);
    const auto* end = in + size;
    char* to = out.data() + start;
    bool clean = true;
    while (in < end) {
        const unsigned char byte = *in;
        const ByteTable::Code* code = &m_table->single[byte];
        qsizetype taken = 1;
        if (m_table->lead[byte]) {
            code = in + 1 < end ? &m_table->pairs[byte << 8 | in[1]] : nullptr;
            taken = 2;
        }
        if (!code || code->length == 0) {
            // As iconv reports it: the first byte fails, and the next starts afresh.
            clean = false;
            std::memcpy(to, kReplacementUtf8, 3); // NOLINT(bugprone-not-null-terminated-result): bytes amid a text
            to += 3;
            ++in;
            continue;
        }
        std::memcpy(to, code->bytes, 4);
        to += code->length;
        if (m_table->twinStart[byte]) [[unlikely]] {
            const quint16 twin = taken == 1 ? m_table->singleTwin[byte] : m_table->pairTwin[byte << 8 | in[1]];
            if (twin != 0)
                m_seenTwins[twin - 1] = true;
        }
        in += taken;
    }
    out.resize(to - out.data());
    return clean;
}

bool Utf8Decoder::decodeWithIconv(const char* data, qsizetype size, QByteArray& out)
{
    auto* handle = static_cast<iconv_t>(m_handle);
    if (!handle || size <= 0)
        return handle != nullptr;
    return convertReplacing(handle, data, size, out);
}

IconvEncoder::IconvEncoder(const char* toCode)
    : m_handle(openOrNull(toCode, kNativeUtf16))
{ }

IconvEncoder::~IconvEncoder()
{
    if (m_handle)
        iconv_close(static_cast<iconv_t>(m_handle));
}

bool IconvEncoder::encode(QStringView text, QByteArray& out)
{
    auto* handle = static_cast<iconv_t>(m_handle);
    if (!handle)
        return false;
    iconv(handle, nullptr, nullptr, nullptr, nullptr);
    bool clean = true;
    const qsizetype start = out.size();
    out.resize(start + text.size() * 2 + 16);
    char* in = reinterpret_cast<char*>(const_cast<QChar*>(text.data()));
    size_t inLeft = size_t(text.size()) * 2;
    qsizetype written = start;
    bool flushed = false;
    while (!flushed) {
        char* outPtr = out.data() + written;
        size_t outLeft = size_t(out.size() - written);
        const size_t before = outLeft;
        size_t result;
        if (inLeft) {
            result = iconv(handle, &in, &inLeft, &outPtr, &outLeft);
        } else {
            // Stateful encodings (ISO-2022-JP) end with an escape back to ASCII.
            result = iconv(handle, nullptr, nullptr, &outPtr, &outLeft);
            if (result != size_t(-1))
                flushed = true;
        }
        written += qsizetype(before - outLeft);
        if (result != size_t(-1))
            continue;
        if (errno == E2BIG) {
            out.resize(out.size() + qsizetype(inLeft) + 64);
            continue;
        }
        clean = false;
        if (written + 1 > out.size())
            out.resize(written + qsizetype(inLeft) + 64);
        // A character that has no code here: keep its place visible with '?'.
        out[written++] = '?';
        const auto* unit = reinterpret_cast<const char16_t*>(in);
        const bool pair = inLeft >= 4 && QChar::isHighSurrogate(unit[0]) && QChar::isLowSurrogate(unit[1]);
        const size_t skip = std::min<size_t>(inLeft, pair ? 4 : 2);
        in += skip;
        inLeft -= skip;
    }
    out.resize(written);
    return clean;
}

const std::bitset<0x10000>& legacyRoundTripTable(const char* iconvName)
{
    static std::mutex mutex;
    static std::map<std::string, std::unique_ptr<std::bitset<0x10000>>> tables;
    std::lock_guard lock(mutex);
    auto& table = tables[iconvName];
    if (!table) {
        // Built once per encoding by trying every BMP character: about 0.1 s, only when a legacy save happens.
        table = std::make_unique<std::bitset<0x10000>>();
        IconvEncoder encoder(iconvName);
        IconvDecoder decoder(iconvName);
        QByteArray bytes;
        QString back;
        for (char32_t c = 0; c < 0x10000; ++c) {
            if (QChar::isSurrogate(c))
                continue;
            const char16_t single = char16_t(c);
            bytes.clear();
            if (!encoder.encode(QStringView(&single, 1), bytes))
                continue;
            back.clear();
            if (decoder.decode(bytes.constData(), bytes.size(), back) && back.size() == 1 && back.at(0).unicode() == c)
                table->set(c);
        }
    }
    return *table;
}

void keepJapaneseConversionsLoaded()
{
    // Opened once and never closed: the handles are what keeps the modules in memory.
    static const bool opened = [] {
        for (const char* from : { "CP932", "EUC-JP", "ISO-2022-JP" }) {
            for (const char* to : { kNativeUtf16, "UTF-8" })
                openOrNull(to, from);
        }
        return true;
    }();
    Q_UNUSED(opened)
}

bool legacyEncodingHolds(const char* iconvName, char16_t unit)
{
    if (unit < 0x80 && std::strcmp(iconvName, "ISO-2022-JP") != 0)
        return true;
    if (QChar::isSurrogate(unit))
        return false;
    return legacyRoundTripTable(iconvName).test(unit);
}

} // namespace pemmo::formats
