// SPDX-License-Identifier: MIT
#include "bytespellings.h"

#include <QStringEncoder>

#include <algorithm>
#include <array>
#include <cerrno>
#include <iconv.h>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace pemmo::formats {

namespace {

const iconv_t kInvalid = reinterpret_cast<iconv_t>(-1);

/**
 * The codes of every character of a legacy encoding without shift states, found by asking
 * glibc what each byte, each pair after a lead byte and each triple after a lead pair makes. A
 * lead pair is followed only where there are few of them (EUC-JP's 0x8F row); GB18030's four-byte
 * codes are not listed, and a character without a shorter code is asked of the encoder, which
 * there is one to one.
 */
struct CodeIndex
{
    struct Code
    {
        char32_t character = 0;
        quint8 length = 0;
        std::array<char, 3> bytes {};
        bool operator<(const Code& other) const { return character < other.character; }
    };
    std::vector<Code> codes; // sorted by character: a flat list, as there are tens of thousands
    bool longerCodes = false; ///< some codes are longer than the index follows
    bool usable = true;

    QList<QByteArray> codesOf(char32_t character) const
    {
        QList<QByteArray> found;
        const auto [first, last] = std::equal_range(codes.cbegin(), codes.cend(), Code { character, 0, {} });
        for (auto code = first; code != last; ++code)
            found.append(QByteArray(code->bytes.data(), code->length));
        return found;
    }
};

enum class Probe { Character, Incomplete, Invalid, Other };

Probe probe(iconv_t handle, const char* bytes, size_t size, char32_t& character)
{
    iconv(handle, nullptr, nullptr, nullptr, nullptr);
    char* in = const_cast<char*>(bytes);
    size_t inLeft = size;
    char32_t out[4];
    char* outPtr = reinterpret_cast<char*>(out);
    size_t outLeft = sizeof out;
    if (iconv(handle, &in, &inLeft, &outPtr, &outLeft) == size_t(-1))
        return errno == EINVAL ? Probe::Incomplete : errno == EILSEQ ? Probe::Invalid : Probe::Other;
    if (inLeft != 0 || outLeft != sizeof out - sizeof(char32_t))
        return Probe::Other;
    character = out[0];
    return Probe::Character;
}

std::unique_ptr<CodeIndex> readCodeIndex(const char* iconvName)
{
    auto index = std::make_unique<CodeIndex>();
    const char* internal = QSysInfo::ByteOrder == QSysInfo::LittleEndian ? "UTF-32LE" : "UTF-32BE";
    iconv_t handle = iconv_open(internal, iconvName);
    if (handle == kInvalid) {
        index->usable = false;
        return index;
    }
    using Start = std::array<char, 2>; // the first byte or two of a longer code
    // Probes @p bytes[0..length) and notes a character, or a start that wants more bytes.
    const auto take = [&](const std::array<char, 3>& bytes, quint8 length, std::vector<Start>* incomplete) {
        char32_t character = 0;
        switch (probe(handle, bytes.data(), length, character)) {
        case Probe::Character:
            index->codes.push_back({ character, length, bytes });
            break;
        case Probe::Incomplete:
            if (incomplete)
                incomplete->push_back({ bytes[0], bytes[1] });
            else
                index->longerCodes = true;
            break;
        case Probe::Invalid:
            break;
        case Probe::Other:
            index->usable = false;
            break;
        }
    };
    std::vector<Start> leads;
    for (int b = 0; b < 256; ++b)
        take({ char(b), 0, 0 }, 1, &leads);
    std::vector<Start> leadPairs;
    for (const Start& lead : leads) {
        for (int b = 0; b < 256; ++b)
            take({ lead[0], char(b), 0 }, 2, &leadPairs);
    }
    constexpr size_t kMostLeadPairsFollowed = 256;
    if (leadPairs.size() > kMostLeadPairsFollowed) {
        index->longerCodes = true;
    } else {
        for (const Start& pair : leadPairs) {
            for (int b = 0; b < 256; ++b)
                take({ pair[0], pair[1], char(b) }, 3, nullptr);
        }
    }
    iconv_close(handle);
    std::stable_sort(index->codes.begin(), index->codes.end());
    return index;
}

const CodeIndex& codeIndex(const char* iconvName)
{
    static std::mutex mutex;
    static std::map<std::string, std::unique_ptr<CodeIndex>> indexes;
    const std::lock_guard lock(mutex);
    std::unique_ptr<CodeIndex>& entry = indexes[iconvName];
    if (!entry)
        entry = readCodeIndex(iconvName);
    return *entry;
}

// A character's one code from the encoder, when it reads back as the character.
std::optional<QByteArray> encoderCode(const char* iconvName, char32_t character)
{
    iconv_t encoder = iconv_open(iconvName, "UTF-8");
    if (encoder == kInvalid)
        return std::nullopt;
    const QByteArray utf8 = QString::fromUcs4(&character, 1).toUtf8();
    char* in = const_cast<char*>(utf8.constData());
    size_t inLeft = size_t(utf8.size());
    char out[16];
    char* outPtr = out;
    size_t outLeft = sizeof out;
    const bool converted = iconv(encoder, &in, &inLeft, &outPtr, &outLeft) != size_t(-1) &&
        iconv(encoder, nullptr, nullptr, &outPtr, &outLeft) != size_t(-1);
    iconv_close(encoder);
    if (!converted)
        return std::nullopt;
    const QByteArray code(out, outPtr - out);
    iconv_t decoder = iconv_open("UTF-8", iconvName);
    if (decoder == kInvalid)
        return std::nullopt;
    in = const_cast<char*>(code.constData());
    inLeft = size_t(code.size());
    char back[16];
    outPtr = back;
    outLeft = sizeof back;
    const bool decoded = iconv(decoder, &in, &inLeft, &outPtr, &outLeft) != size_t(-1);
    iconv_close(decoder);
    if (!decoded || QByteArray(back, outPtr - back) != utf8)
        return std::nullopt;
    return code;
}

bool isAscii(QStringView text)
{
    return std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() < 0x80; });
}

} // namespace

std::optional<QList<QByteArray>> byteSpellings(Encoding encoding, QStringView text, qsizetype limit)
{
    if (text.contains(QChar::ReplacementCharacter))
        return std::nullopt;
    switch (encoding) {
    case Encoding::Utf8:
        return QList<QByteArray> { text.toUtf8() };
    case Encoding::Utf16Le:
    case Encoding::Utf16Be: {
        QStringEncoder encoder(encoding == Encoding::Utf16Le ? QStringConverter::Utf16LE : QStringConverter::Utf16BE);
        return QList<QByteArray> { encoder.encode(text) };
    }
    case Encoding::Iso2022Jp:
        return std::nullopt;
    case Encoding::Windows1255:
    case Encoding::Windows1258:
        // A letter may come from a base and a mark, so only ASCII (always its own byte) is told.
        // What they join are Latin and Hebrew letters: CJK and kana are never in them.
        if (std::any_of(text.begin(), text.end(),
                        [](QChar c) { return c.unicode() >= 0x3000 && c.unicode() < 0xFB00; }))
            return QList<QByteArray> {};
        if (!isAscii(text))
            return std::nullopt;
        return QList<QByteArray> { text.toLatin1() };
    default:
        break;
    }
    const char* name = iconvName(encoding);
    const CodeIndex& index = codeIndex(name);
    if (!index.usable)
        return std::nullopt;
    QList<QByteArray> spellings { QByteArray() };
    for (const char32_t character : text.toUcs4()) {
        QList<QByteArray> codes = index.codesOf(character);
        if (codes.isEmpty() && index.longerCodes) {
            if (const std::optional<QByteArray> code = encoderCode(name, character))
                codes.append(*code);
        }
        if (codes.isEmpty())
            return QList<QByteArray> {};
        if (spellings.size() * codes.size() > limit)
            return std::nullopt;
        QList<QByteArray> longer;
        longer.reserve(spellings.size() * codes.size());
        for (const QByteArray& start : std::as_const(spellings)) {
            for (const QByteArray& code : std::as_const(codes))
                longer.append(start + code);
        }
        spellings = std::move(longer);
    }
    return spellings;
}

} // namespace pemmo::formats
