// SPDX-License-Identifier: MIT
#pragma once

#include <QStringView>

#include <optional>

/**
 * A place in the text to jump to: 1-based line and column, and how many characters to select
 * there. Columns and lengths count characters, as Grep's results do: one beyond the BMP (𠮷) is one.
 */
struct LinePlace
{
    qint64 line = 1;
    qint64 column = 1;
    qint64 length = 0;

    friend bool operator==(const LinePlace&, const LinePlace&) = default;
};

/**
 * "12", "12:5" or "12:5:3" (line, column, selected length; ',' also separates, spaces and
 * full-width digits are taken as a Japanese input method types them); nullopt for anything else.
 */
std::optional<LinePlace> parseLinePlace(QStringView text);

/**
 * How many UTF-16 units the @p characters characters of @p text from unit @p from take; past the
 * text's end every character counts one.
 */
qint64 unitsForCharacters(QStringView text, qint64 from, qint64 characters);

/**
 * Where @p place, counted in UTF-16 units, lands in a text of @p lineCount lines, as a UTF-16 index: @p lineStart and
 * @p lineLength give each 0-based line's start and length. A line past the end is the last line,
 * a column past the line's end its end.
 */
struct PlaceInText
{
    qint64 position = 0;
    qint64 length = 0;
};
template <typename LineStart, typename LineLength>
PlaceInText placeInText(const LinePlace& place, qint64 lineCount, LineStart lineStart, LineLength lineLength)
{
    const qint64 line = qBound<qint64>(0, place.line - 1, qMax<qint64>(0, lineCount - 1));
    const qint64 length = lineLength(line);
    const qint64 column = qBound<qint64>(0, place.column - 1, length);
    return { lineStart(line) + column, qBound<qint64>(0, place.length, length - column) };
}
