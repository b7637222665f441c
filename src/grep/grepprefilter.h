// SPDX-License-Identifier: MIT
#pragma once

#include "grepengine.h"
#include "spellingsearch.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>

#include <array>
#include <optional>

namespace pemmo::grep {

/**
 * Tells from a file's bytes alone that a literal pattern cannot be in its text, so that most
 * files of a tree are passed over without detecting their encoding or decoding them. It looks
 * for the pattern as every encoding the file could be read in would write it, with every code
 * of characters that have several; a file where none is found cannot match. Built only where
 * that holds: a literal pattern without line breaks, matched with case or made of characters
 * that have no case.
 */
class BytePrefilter
{
public:
    static std::optional<BytePrefilter> forConditions(const GrepConditions& conditions);

    /** False only when no reading of @p bytes can hold the pattern. */
    bool mayMatch(QByteArrayView bytes) const;

    /**
     * Finds the byte strings of which text in @p encoding that holds the pattern must contain
     * one, once the file's encoding is known; null for an encoding the bytes cannot tell of.
     */
    const SpellingSearcher* spellingsIn(formats::Encoding encoding) const;

private:
    SpellingSearcher m_spellings; // in the encodings without NUL bytes
    SpellingSearcher m_utf16Spellings; // looked for only where the bytes may be UTF-16
    std::array<std::optional<SpellingSearcher>, size_t(formats::kLastEncoding) + 1> m_byEncoding;
    bool m_detected = true; // the encoding is detected file by file
};

} // namespace pemmo::grep
