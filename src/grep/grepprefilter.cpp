// SPDX-License-Identifier: MIT
#include "grepprefilter.h"

#include "formats/bytespellings.h"
#include "formats/encodingdetection.h"

#include <QSet>

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

BytePrefilter::Spelling::Spelling(const QByteArray& spelling)
    : bytes(spelling)
    , searcher(bytes.constBegin(), bytes.constEnd())
{ }

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
    QSet<QByteArray> seen;
    const auto add = [&](Encoding encoding, std::vector<Spelling>& into) {
        const std::optional<QList<QByteArray>> spellings = formats::byteSpellings(encoding, pattern);
        if (!spellings)
            return false;
        for (const QByteArray& spelling : *spellings) {
            if (!seen.contains(spelling)) {
                seen.insert(spelling);
                into.emplace_back(spelling);
            }
        }
        return true;
    };
    if (conditions.encoding) {
        if (!add(*conditions.encoding, filter.m_spellings))
            return std::nullopt;
        return filter;
    }
    // Every encoding the detection may answer. ISO-2022-JP needs escape bytes, and a file that
    // has one is always read; without them it reads as ASCII, which the others cover.
    for (int value = 0; value <= int(formats::kLastEncoding); ++value) {
        const auto encoding = Encoding(value);
        if (encoding == Encoding::Iso2022Jp)
            continue;
        const bool utf16 = encoding == Encoding::Utf16Le || encoding == Encoding::Utf16Be;
        if (!add(encoding, utf16 ? filter.m_utf16Spellings : filter.m_spellings))
            return std::nullopt;
    }
    return filter;
}

bool BytePrefilter::anyFound(const std::vector<Spelling>& spellings, QByteArrayView bytes) const
{
    return std::any_of(spellings.cbegin(), spellings.cend(), [&](const Spelling& spelling) {
        return memmem(bytes.data(), size_t(bytes.size()), spelling.bytes.constData(), size_t(spelling.bytes.size())) !=
            nullptr;
    });
}

bool BytePrefilter::mayMatch(QByteArrayView bytes) const
{
    if (!m_detected)
        return anyFound(m_spellings, bytes);
    if (bytes.contains('\x1B'))
        return true;
    if (anyFound(m_spellings, bytes))
        return true;
    // UTF-16 is detected by its byte order mark or by NUL bytes; kanji-only UTF-16 after a mark has none.
    const bool mayBeUtf16 = formats::bomFormat(bytes).has_value() || bytes.contains('\0');
    return mayBeUtf16 && anyFound(m_utf16Spellings, bytes);
}

} // namespace pemmo::grep
