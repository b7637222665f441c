// SPDX-License-Identifier: MIT
#include "spellingsearch.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace pemmo::grep {

SpellingSearcher::SpellingSearcher(QList<QByteArray> spellings)
    : m_spellings(std::move(spellings))
{
    m_spellings.removeIf([](const QByteArray& spelling) { return spelling.isEmpty(); });
    for (const QByteArray& spelling : std::as_const(m_spellings))
        m_longest = std::max(m_longest, spelling.size());
}

qsizetype SpellingSearcher::find(QByteArrayView bytes, qsizetype from) const
{
    if (m_spellings.isEmpty() || from < 0 || from >= bytes.size())
        return -1;
    return findFrom(bytes.data(), bytes.size(), from);
}

bool SpellingSearcher::startsHere(const char* data, qsizetype size, qsizetype at) const
{
    return std::any_of(m_spellings.cbegin(), m_spellings.cend(), [&](const QByteArray& spelling) {
        return spelling.size() <= size - at &&
            std::memcmp(data + at, spelling.constData(), size_t(spelling.size())) == 0;
    });
}

qsizetype SpellingSearcher::findFrom(const char* data, qsizetype size, qsizetype from) const
{
#ifdef __SSE2__
    // A pattern has a few spellings; with more, each is looked for on its own.
    constexpr qsizetype kMostEdges = 16;
    if (m_spellings.size() <= kMostEdges)
        return findByEdges(data, size, from);
#endif
    qsizetype nearest = -1;
    for (const QByteArray& spelling : m_spellings) {
        const void* found = memmem(data + from, size_t(size - from), spelling.constData(), size_t(spelling.size()));
        const qsizetype at = found ? static_cast<const char*>(found) - data : -1;
        if (at >= 0 && (nearest < 0 || at < nearest))
            nearest = at;
    }
    return nearest;
}

#ifdef __SSE2__
qsizetype SpellingSearcher::findByEdges(const char* data, qsizetype size, qsizetype from) const
{
    struct Edges
    {
        __m128i first;
        __m128i last;
        qsizetype lastOffset;
    };
    std::array<Edges, 16> edges;
    const qsizetype edgeCount = m_spellings.size();
    Q_ASSERT(edgeCount <= qsizetype(edges.size()));
    for (qsizetype i = 0; i < edgeCount; ++i) {
        const QByteArray& spelling = m_spellings[i];
        edges[size_t(i)] = { _mm_set1_epi8(spelling.front()), _mm_set1_epi8(spelling.back()), spelling.size() - 1 };
    }
    // A block of 16 starting positions is tested while every string fits after the last of them.
    constexpr qsizetype kBlock = 16;
    qsizetype at = from;
    for (; at + kBlock - 1 + m_longest <= size; at += kBlock) {
        const __m128i firsts = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + at));
        unsigned candidates = 0;
        for (qsizetype i = 0; i < edgeCount; ++i) {
            const Edges& e = edges[size_t(i)];
            const __m128i lasts = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + at + e.lastOffset));
            const __m128i both = _mm_and_si128(_mm_cmpeq_epi8(firsts, e.first), _mm_cmpeq_epi8(lasts, e.last));
            candidates |= unsigned(_mm_movemask_epi8(both));
        }
        while (candidates != 0) {
            const qsizetype here = at + std::countr_zero(candidates);
            if (startsHere(data, size, here))
                return here;
            candidates &= candidates - 1;
        }
    }
    for (; at < size; ++at) {
        if (startsHere(data, size, at))
            return at;
    }
    return -1;
}
#endif

} // namespace pemmo::grep
