// SPDX-License-Identifier: MIT
#include "lineplace.h"

#include <QList>
#include <QRegularExpression>
#include <QString>

std::optional<LinePlace> parseLinePlace(QStringView text)
{
    // NFKC turns full-width digits and colons into ASCII ones.
    const QString typed = text.toString().normalized(QString::NormalizationForm_KC).trimmed();
    static const QRegularExpression form(
        QStringLiteral("^(\\d{1,12})(?:\\s*[:,]\\s*(\\d{1,12})(?:\\s*[:,]\\s*(\\d{1,12}))?)?$"));
    const QRegularExpressionMatch match = form.match(typed);
    if (!match.hasMatch())
        return std::nullopt;
    LinePlace place;
    place.line = match.captured(1).toLongLong();
    if (match.hasCaptured(2))
        place.column = match.captured(2).toLongLong();
    if (match.hasCaptured(3))
        place.length = match.captured(3).toLongLong();
    if (place.line < 1 || place.column < 1)
        return std::nullopt;
    return place;
}

qint64 unitsForCharacters(QStringView text, qint64 from, qint64 characters)
{
    qint64 at = qBound<qint64>(0, from, text.size());
    qint64 units = 0;
    for (; characters > 0 && at < text.size(); --characters) {
        const qint64 step = at + 1 < text.size() && text.at(at).isHighSurrogate() && text.at(at + 1).isLowSurrogate()
            ? 2
            : 1;
        at += step;
        units += step;
    }
    return units + characters;
}
