// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>

namespace pemmo::grep {

/**
 * Finds the first of several byte strings in one pass over the bytes, as the Grep prefilter
 * needs for a pattern spelled in every encoding. Each position is tested on the first and last
 * byte of every string, 16 positions at a time, and only where both agree is the whole string
 * compared. Strings are not empty.
 */
class SpellingSearcher
{
public:
    SpellingSearcher() = default;
    explicit SpellingSearcher(QList<QByteArray> spellings);

    /** Where the earliest of the strings starts at or after @p from, or -1. */
    qsizetype find(QByteArrayView bytes, qsizetype from = 0) const;

private:
    qsizetype findFrom(const char* data, qsizetype size, qsizetype from) const;
    qsizetype findByEdges(const char* data, qsizetype size, qsizetype from) const;
    bool startsHere(const char* data, qsizetype size, qsizetype at) const;

    QList<QByteArray> m_spellings;
    qsizetype m_longest = 0;
};

} // namespace pemmo::grep
