// SPDX-License-Identifier: MIT
#include "tabstops.h"

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
