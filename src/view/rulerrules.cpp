// SPDX-License-Identifier: MIT
#include "rulerrules.h"

#include <QChar>

QString plainRulerText()
{
    return kRulerUnit.repeated(kRulerUnits);
}

namespace {
bool isBlankOrControl(QChar c)
{
    return c.unicode() <= 0x20;
}
} // namespace

QString rulerTextWithMarker(int column)
{
    const int c = qMax(0, column);
    // A leading blank gives column 0 room for the marker; for every later column it is trimmed away,
    // which shifts the marker one cell left so that it straddles the caret's boundary.
    QString s = QLatin1Char(' ') + plainRulerText();
    if (c < s.size())
        s.remove(c, 2);
    s.insert(qMin(c, int(s.size())), kRulerMarker);

    qsizetype begin = 0;
    qsizetype end = s.size();
    while (begin < end && isBlankOrControl(s.at(begin)))
        ++begin;
    while (end > begin && isBlankOrControl(s.at(end - 1)))
        --end;
    return s.mid(begin, end - begin);
}

QString gutterText(int firstVisibleLine)
{
    QString text;
    int n = qMax(0, firstVisibleLine) + 1;
    for (int i = 0; i < kGutterNumbers; ++i, ++n) {
        if (n < 10)
            text += QLatin1Char(' ');
        text += QString::number(n) + QLatin1Char('\n');
    }
    return text;
}

int gutterWidth(int firstVisibleLine)
{
    const int nextAfterLast = qMax(0, firstVisibleLine) + 1 + kGutterNumbers;
    return nextAfterLast >= 1000 ? kGutterWideWidth : kGutterNarrowWidth;
}

bool rulerWanted(bool documentEditorShown, double alternateFontPoints, double documentFontPoints)
{
    if (documentEditorShown)
        return true;
    return alternateFontPoints >= 10 && documentFontPoints <= 12;
}
