// SPDX-License-Identifier: MIT
#include "tabstops.h"

#include <QFont>

int effectiveTabWidth(int storedWidth)
{
    return storedWidth <= 0 ? kDefaultTabWidth : storedWidth;
}

std::array<int, kTabStopCount> tabStopPoints(int width, int fontPoints)
{
    std::array<int, kTabStopCount> stops {};
    for (int j = 0; j < kTabStopCount; ++j)
        stops[j] = (j * width * fontPoints) / 2;
    return stops;
}

qreal pointSizeAt(const QFont& font, qreal dpi)
{
    return font.pointSizeF() > 0 ? font.pointSizeF() : font.pixelSize() * 72.0 / dpi;
}
