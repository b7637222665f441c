// SPDX-License-Identifier: MIT
#pragma once

/** How a search matches: one set travels from the dialog to the view that searches. */
struct SearchOptions
{
    enum class Direction {
        /** The first match at or after the position. */
        Forward,
        /** The last match that starts before the position. */
        Backward,
    };
    bool matchCase = false;
    bool wholeWord = false;
    /** The find text is a regular expression, the replace text may name its groups. */
    bool regex = false;
    Direction direction = Direction::Forward;
};

/** A stretch of the text in UTF-16 units; a start of -1 means none, as a search that found nothing. */
struct TextRange
{
    int start = -1;
    int length = 0;

    bool isValid() const { return start >= 0; }
    int end() const { return start + length; }
    friend bool operator==(const TextRange&, const TextRange&) = default;
};
