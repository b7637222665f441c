// SPDX-License-Identifier: MIT
#pragma once

#include "settings/settingstable.h"

#include <QtGlobal>

#include <array>

class QFont;

inline constexpr int kTabStopCount = 8;

/** A stored tab width as the settings table bounds it: 0 (or less) means the default of 8 cells. */
int effectiveTabWidth(int storedWidth);

/**
 * The eight tab stops, in points, for a tab width of @p width half-width cells and a font of
 * @p fontPoints points: stop j at (j × width × size) / 2, truncated. A half-width cell of a
 * fixed-pitch font is half its size wide, so the stops fall every @p width cells.
 */
std::array<int, kTabStopCount> tabStopPoints(int width, int fontPoints);

/** The size of @p font in points, also for a font given in pixels, shown at @p dpi dots per inch. */
qreal pointSizeAt(const QFont& font, qreal dpi);
