// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

/** The ruler's repeating unit: one character per half-width cell. */
inline const QString kRulerUnit = QStringLiteral("----+----|");
/** The plain ruler is this many units long. */
inline constexpr int kRulerUnits = 16;
/** The caret marker; it is double-width and covers two cells. */
inline const QString kRulerMarker = QStringLiteral("↓");
/** The gutter always lists this many numbers, whatever the document's length. */
inline constexpr int kGutterNumbers = 81;
inline constexpr int kGutterNarrowWidth = 30;
inline constexpr int kGutterWideWidth = 40;

/** The ruler without a marker: 16 units, 160 characters. */
QString plainRulerText();

/**
 * The ruler with the marker for the caret in @p column (0-based). The marker's middle sits on
 * the boundary before that column; column 0 puts it over the first two cells.
 */
QString rulerTextWithMarker(int column);

/** The gutter text for @p firstVisibleLine (0-based): 81 numbers, each line ending in a line feed. */
QString gutterText(int firstVisibleLine);

/** The gutter's width for @p firstVisibleLine: wide once the number after the last shown reaches 1000. */
int gutterWidth(int firstVisibleLine);

/**
 * Whether the ruler should be shown. The ruler measures the document editor's cells, so it is
 * always shown with it; with the alternate editor it is shown only while the two fonts are of a
 * size for which its cells still roughly match.
 */
bool rulerWanted(bool documentEditorShown, double alternateFontPoints, double documentFontPoints);
