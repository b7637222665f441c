// SPDX-License-Identifier: MIT
#include "grepprefilter.h"

#include "formats/bytespellings.h"
#include "formats/encodingdetection.h"

#include <algorithm>
#include <cstring>

namespace pemmo::grep {

using formats::Encoding;

namespace {

// Whether caseless matching can find only this very character: ASCII that is no letter, and
// characters from the CJK blocks on that have no other case (kana, kanji, full-width digits).
// Letters below are left out, since some fold onto others (U+212A KELVIN SIGN onto k).
bool hasNoCase(char32_t c)
{
    if (c < 0x80)
        return !((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'));
    return c >= 0x3000 && QChar::toUpper(c) == c && QChar::toLower(c) == c && QChar::toCaseFolded(c) == c;
}

} // namespace

std::optional<BytePrefilter> BytePrefilter::forConditions(const GrepConditions& conditions)
{
    const QString& pattern = conditions.pattern;
    if (conditions.regex || pattern.isEmpty() || pattern.contains(u'\n') || pattern.contains(u'\r'))
        return std::nullopt;
    if (!conditions.caseSensitive) {
        const QList<uint> characters = pattern.toUcs4();
        if (!std::all_of(characters.cbegin(), characters.cend(), [](uint c) { return hasNoCase(c); }))
            return std::nullopt;
    }
    BytePrefilter filter;
    filter.m_detected = !conditions.encoding.has_value();
    QList<QByteArray> spellings; // in the encodings without NUL bytes, each once
    QList<QByteArray> utf16Spellings;
    const auto add = [&](Encoding encoding, QList<QByteArray>& into) {
        const std::optional<QList<QByteArray>> inEncoding = formats::byteSpellings(encoding, pattern);
        if (!inEncoding)
            return false;
        for (const QByteArray& spelling : *inEncoding) {
            if (!into.contains(spelling))
                into.append(spelling);
        }
        filter.m_byEncoding[size_t(encoding)].emplace(*inEncoding);
        return true;
    };
    if (conditions.encoding) {
        if (!add(*conditions.encoding, spellings))
            return std::nullopt;
    } else {
        // Every encoding the detection may answer. ISO-2022-JP needs escape bytes, and a file
        // that has one is always read; without them it reads as ASCII, which the others cover.
        for (int value = 0; value <= int(formats::kLastEncoding); ++value) {
            const auto encoding = Encoding(value);
            if (encoding == Encoding::Iso2022Jp)
                continue;
            const bool utf16 = encoding == Encoding::Utf16Le || encoding == Encoding::Utf16Be;
            if (!add(encoding, utf16 ? utf16Spellings : spellings))
                return std::nullopt;
        }
    }
    filter.m_spellings = SpellingSearcher(spellings);
    filter.m_utf16Spellings = SpellingSearcher(utf16Spellings);
    return filter;
}

bool BytePrefilter::mayMatch(QByteArrayView bytes) const
{
    if (!m_detected)
        return m_spellings.find(bytes) >= 0;
    if (bytes.contains('\x1B'))
        return true;
    if (m_spellings.find(bytes) >= 0)
        return true;
    // UTF-16 is detected by its byte order mark or by NUL bytes; kanji-only UTF-16 after a mark has none.
    const bool mayBeUtf16 = formats::bomFormat(bytes).has_value() || bytes.contains('\0');
    return mayBeUtf16 && m_utf16Spellings.find(bytes) >= 0;
}

const SpellingSearcher* BytePrefilter::spellingsIn(Encoding encoding) const
{
    const std::optional<SpellingSearcher>& searcher = m_byEncoding[size_t(encoding)];
    return searcher ? &*searcher : nullptr;
}

} // namespace pemmo::grep
