// SPDX-License-Identifier: MIT
#include "tabstops.h"

#include <QFont>

int effectiveTabWidth(int storedWidth)
{
    return boundedSetting(settingEntry(Reg::MTab), storedWidth).value_or(kDefaultTabWidth);
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
