// SPDX-License-Identifier: MIT
#include "tabstops.h"

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
