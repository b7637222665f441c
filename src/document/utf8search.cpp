// SPDX-License-Identifier: MIT
#include "utf8search.h"

#include <QChar>
#include <QList>

#include <algorithm>
#include <cstring>
#include <string_view>
#include <utility>

namespace {

constexpr char32_t kLastCodePoint = 0x10FFFF;

/** The character at @p at and its length in bytes; a byte that starts no valid character reads as itself. */
char32_t decodeAt(QByteArrayView text, qsizetype at, qsizetype* length)
{
    const auto byte = [&](qsizetype i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(at);
    *length = 1;
    if (lead < 0x80)
        return lead;
    const int extra = lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC0 ? 1 : 0;
    if (extra == 0 || at + extra >= text.size())
        return lead;
    char32_t code = lead & (0x3F >> extra);
    for (int i = 1; i <= extra; ++i) {
        const unsigned char next = byte(at + i);
        if ((next & 0xC0) != 0x80)
            return lead;
        code = (code << 6) | (next & 0x3F);
    }
    *length = 1 + extra;
    return code;
}

char32_t fold(char32_t code)
{
    if (code < 0x80)
        return code >= 'A' && code <= 'Z' ? code + ('a' - 'A') : code;
    return QChar::toCaseFolded(code);
}

unsigned char leadByte(char32_t code)
{
    if (code < 0x80)
        return static_cast<unsigned char>(code);
    if (code < 0x800)
        return static_cast<unsigned char>(0xC0 | (code >> 6));
    if (code < 0x10000)
        return static_cast<unsigned char>(0xE0 | (code >> 12));
    return static_cast<unsigned char>(0xF0 | (code >> 18));
}

/** Every character that case folding changes, after what it folds to, sorted by that: built once. */
const std::vector<std::pair<char32_t, char32_t>>& foldedFrom()
{
    static const std::vector<std::pair<char32_t, char32_t>> table = [] {
        std::vector<std::pair<char32_t, char32_t>> pairs;
        for (char32_t code = 0; code <= kLastCodePoint; ++code) {
            if (code >= 0xD800 && code <= 0xDFFF)
                continue;
            if (const char32_t folded = fold(code); folded != code)
                pairs.emplace_back(folded, code);
        }
        std::sort(pairs.begin(), pairs.end());
        return pairs;
    }();
    return table;
}

bool isWordCharacter(char32_t code)
{
    return code == '_' || QChar::isLetterOrNumber(code);
}

} // namespace

Utf8Search::Utf8Search(const QString& needle, const SearchOptions& options)
    : m_utf8(needle.toUtf8())
    , m_matchCase(options.matchCase)
    , m_wholeWord(options.wholeWord)
{
    if (m_matchCase || needle.isEmpty())
        return;
    for (const char32_t code : needle.toUcs4())
        m_folded.push_back(fold(code));
    // Every character that folds as the first one does can start a match: for 'k' also 'K' and
    // the Kelvin sign.
    const char32_t first = m_folded.front();
    m_leads[leadByte(first)] = true;
    const auto& folds = foldedFrom();
    const auto same = std::equal_range(folds.begin(), folds.end(), std::pair<char32_t, char32_t>(first, 0),
                                       [](const auto& a, const auto& b) { return a.first < b.first; });
    for (auto it = same.first; it != same.second; ++it)
        m_leads[leadByte(it->second)] = true;
    for (int b = 0; b < 256; ++b) {
        if (m_leads[b])
            m_leadBytes.push_back(char(b));
    }
}

qsizetype Utf8Search::previousLead(QByteArrayView text, qsizetype at) const
{
    const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
    for (; at >= 0; --at) {
        if (m_leads[bytes[at]])
            return at;
    }
    return -1;
}

qsizetype Utf8Search::matchEnd(QByteArrayView text, qsizetype at) const
{
    qsizetype end = at;
    for (const char32_t wanted : m_folded) {
        if (end >= text.size())
            return -1;
        qsizetype length = 1;
        if (fold(decodeAt(text, end, &length)) != wanted)
            return -1;
        end += length;
    }
    return end;
}

bool Utf8Search::isWholeWord(QByteArrayView text, qsizetype start, qsizetype end) const
{
    if (start > 0) {
        qsizetype before = start - 1;
        while (before > 0 && (static_cast<unsigned char>(text[before]) & 0xC0) == 0x80 && start - before < 4)
            --before;
        qsizetype length = 1;
        if (isWordCharacter(decodeAt(text, before, &length)))
            return false;
    }
    qsizetype length = 1;
    return end >= text.size() || !isWordCharacter(decodeAt(text, end, &length));
}

Utf8Search::Match Utf8Search::first(QByteArrayView text, qsizetype from) const
{
    if (m_utf8.isEmpty())
        return {};
    from = qMax<qsizetype>(0, from);
    if (m_matchCase) {
        // A needle of whole characters matches only at character starts. The standard search
        // looks for the first byte with memchr, several times faster than QByteArrayView's.
        const std::string_view haystack(text.data(), size_t(text.size()));
        const std::string_view wanted(m_utf8.constData(), size_t(m_utf8.size()));
        for (size_t at = haystack.find(wanted, size_t(from)); at != std::string_view::npos;
             at = haystack.find(wanted, at + 1)) {
            const auto start = qsizetype(at);
            if (!m_wholeWord || isWholeWord(text, start, start + m_utf8.size()))
                return { start, start + m_utf8.size() };
        }
        return {};
    }
    // A lead byte is never inside a character, so every candidate is a character start. Each
    // lead byte is looked for on its own (memchr runs at memory speed); the nearest comes first.
    const auto find = [&](char lead, qsizetype at) -> qsizetype {
        if (at >= text.size())
            return -1;
        const void* found = std::memchr(text.data() + at, lead, size_t(text.size() - at));
        return found ? static_cast<const char*>(found) - text.data() : -1;
    };
    std::vector<qsizetype> next(m_leadBytes.size());
    for (size_t i = 0; i < m_leadBytes.size(); ++i)
        next[i] = find(m_leadBytes[i], from);
    while (true) {
        size_t nearest = next.size();
        for (size_t i = 0; i < next.size(); ++i) {
            if (next[i] >= 0 && (nearest == next.size() || next[i] < next[nearest]))
                nearest = i;
        }
        if (nearest == next.size())
            return {};
        const qsizetype at = next[nearest];
        const qsizetype end = matchEnd(text, at);
        if (end >= 0 && (!m_wholeWord || isWholeWord(text, at, end)))
            return { at, end };
        next[nearest] = find(m_leadBytes[nearest], at + 1);
    }
}

Utf8Search::Match Utf8Search::last(QByteArrayView text, qsizetype before) const
{
    if (m_utf8.isEmpty())
        return {};
    before = qMin(before, text.size());
    if (m_matchCase) {
        // lastIndexOf() takes -1 for "from the end": stop before that.
        for (qsizetype at = before > 0 ? text.lastIndexOf(m_utf8, before - 1) : -1; at >= 0;
             at = at > 0 ? text.lastIndexOf(m_utf8, at - 1) : -1) {
            if (!m_wholeWord || isWholeWord(text, at, at + m_utf8.size()))
                return { at, at + m_utf8.size() };
        }
        return {};
    }
    for (qsizetype at = previousLead(text, before - 1); at >= 0; at = previousLead(text, at - 1)) {
        const qsizetype end = matchEnd(text, at);
        if (end >= 0 && (!m_wholeWord || isWholeWord(text, at, end)))
            return { at, end };
    }
    return {};
}
