// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

/** "R: n C: m" for a 0-based @p row and @p column. */
QString positionText(int row, int column);

/** Column of a caret @p x pixels from the text area's left edge, counted in cells of @p cellWidth. */
int columnFromCaretX(double x, double cellWidth);

/** Row of a caret @p y pixels below the text area's top, counted in lines of @p lineHeight. */
int rowFromCaretY(int y, int lineHeight);

/** Where the three fields of the status row go for a row @p width pixels wide. */
struct StatusRowGeometry
{
    int messageWidth = 0; // left-aligned message field
    int insertLeft = 0; // insert-mode field, a fixed distance left of the position field
    int positionLeft = 0; // right-aligned position field
    int positionWidth = 0;
};

inline constexpr int kInsertFieldWidth = 58;
inline constexpr int kInsertFieldOffset = 100;

StatusRowGeometry statusRowGeometry(int width);
