// SPDX-License-Identifier: MIT
#pragma once

#include "grepengine.h"

#include <QByteArray>
#include <QByteArrayView>

#include <functional>
#include <optional>
#include <vector>

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

private:
    using Searcher = std::boyer_moore_horspool_searcher<const char*>;
    struct Spelling
    {
        QByteArray bytes;
        Searcher searcher;
        explicit Spelling(const QByteArray& spelling);
    };
    bool anyFound(const std::vector<Spelling>& spellings, QByteArrayView bytes) const;

    std::vector<Spelling> m_spellings; // in the encodings without NUL bytes
    std::vector<Spelling> m_utf16Spellings; // looked for only where the bytes may be UTF-16
    bool m_detected = true; // the encoding is detected file by file
};

} // namespace pemmo::grep
