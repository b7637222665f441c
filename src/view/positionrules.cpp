// SPDX-License-Identifier: MIT
#include "positionrules.h"

#include <QLatin1StringView>

QString positionText(int row, int column)
{
    return QLatin1StringView("R: ") + QString::number(row + 1) + QLatin1StringView(" C: ") +
        QString::number(column + 1);
}

int columnFromCaretX(double x, double cellWidth)
{
    if (cellWidth <= 0)
        return 0;
    // A caret left of the text area (scrolled horizontally) is still in the first visible column.
    return qMax(0, int(x / cellWidth));
}

int rowFromCaretY(int y, int lineHeight)
{
    if (lineHeight <= 0)
        return 0;
    return qMax(0, y / lineHeight);
}

StatusRowGeometry statusRowGeometry(int width)
{
    StatusRowGeometry g;
    g.messageWidth = int(0.4 * width);
    g.positionWidth = int(0.2 * width);
    g.positionLeft = width - g.positionWidth;
    g.insertLeft = g.positionLeft - kInsertFieldOffset;
    return g;
}
