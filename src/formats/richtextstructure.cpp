// SPDX-License-Identifier: MIT
#include "richtextstructure.h"

#include "rtfreader.h"

#include <QTextBlock>
#include <QTextCursor>
#include <QTextList>
#include <QTextTable>

namespace pemmo::formats {

QTextTable* tableOf(const QTextBlock& block)
{
    return block.isValid() ? QTextCursor(block).currentTable() : nullptr;
}

bool isBlockBeforeTable(const QTextBlock& block)
{
    if (block.length() != 1)
        return false;
    const QTextBlock next = block.next();
    QTextTable* const table = tableOf(next);
    return table && table != tableOf(block) && table->firstPosition() == next.position();
}

namespace {

QString roman(int number)
{
    static const std::pair<int, const char*> parts[] = { { 1000, "M" }, { 900, "CM" }, { 500, "D" }, { 400, "CD" },
                                                         { 100, "C" },  { 90, "XC" },  { 50, "L" },  { 40, "XL" },
                                                         { 10, "X" },   { 9, "IX" },   { 5, "V" },   { 4, "IV" },
                                                         { 1, "I" } };
    QString out;
    for (const auto& [value, letters] : parts) {
        for (; number >= value; number -= value)
            out += QLatin1StringView(letters);
    }
    return out;
}

QString letters(int number)
{
    // A..Z, then AA..ZZ, as word processors count.
    const QChar letter(char16_t(u'A' + (number - 1) % 26));
    return QString((number - 1) / 26 + 1, letter);
}

QString kanji(int number)
{
    static const QString digits = QStringLiteral("〇一二三四五六七八九");
    if (number < 10)
        return digits.at(number);
    if (number < 100) {
        const int tens = number / 10;
        return (tens > 1 ? QString(digits.at(tens)) : QString()) + u'十' +
            (number % 10 ? QString(digits.at(number % 10)) : QString());
    }
    QString out;
    for (const QChar c : QString::number(number))
        out += digits.at(c.digitValue());
    return out;
}

QString fromSequence(int number, QStringView sequence)
{
    // A sequence that runs out starts again, as word processors do.
    return QString(sequence.at((number - 1) % sequence.size()));
}

// The number of a list item: a level below the first counts again after each item of a level above it.
int itemNumber(const QTextBlock& block, QTextList* list)
{
    const QTextListFormat format = list->format();
    const int start = format.hasProperty(kRtfListStartProperty) ? format.intProperty(kRtfListStartProperty) : 1;
    const int level = format.indent() - 1;
    if (level <= 0)
        return start + list->itemNumber(block);
    const QVariant key = format.property(kRtfListKeyProperty);
    int count = 0;
    int steps = 0;
    for (QTextBlock before = block.previous(); before.isValid() && steps < 100000;
         before = before.previous(), ++steps) {
        QTextList* const other = before.textList();
        if (other == list)
            ++count;
        else if (other && other->format().property(kRtfListKeyProperty) == key && other->format().indent() - 1 < level)
            break;
    }
    return start + count;
}

// The label's number at an ancestor level: the last item of the same RTF list at that level before the block.
QString ancestorNumber(const QTextBlock& block, const QVariant& key, int level)
{
    int steps = 0;
    for (QTextBlock before = block.previous(); before.isValid() && steps < 100000;
         before = before.previous(), ++steps) {
        QTextList* const list = before.textList();
        if (!list || list->format().property(kRtfListKeyProperty) != key || list->format().indent() - 1 != level)
            continue;
        return listNumberText(itemNumber(before, list), list->format().intProperty(kRtfListNumberFormatProperty));
    }
    return QStringLiteral("1");
}

} // namespace

QString listNumberText(int number, int numberFormat)
{
    if (number <= 0)
        return QString::number(number);
    switch (numberFormat) {
    case 1:
        return roman(number);
    case 2:
        return roman(number).toLower();
    case 3:
        return letters(number);
    case 4:
        return letters(number).toLower();
    case 10:
    case 11:
    case 16:
    case 17:
        return kanji(number);
    case 12:
        return fromSequence(number, u"ｱｲｳｴｵｶｷｸｹｺｻｼｽｾｿﾀﾁﾂﾃﾄﾅﾆﾇﾈﾉﾊﾋﾌﾍﾎﾏﾐﾑﾒﾓﾔﾕﾖﾗﾘﾙﾚﾛﾜｦﾝ");
    case 13:
        return fromSequence(number, u"ｲﾛﾊﾆﾎﾍﾄﾁﾘﾇﾙｦﾜｶﾖﾀﾚｿﾂﾈﾅﾗﾑｳヰﾉｵｸﾔﾏｹﾌｺｴﾃｱｻｷﾕﾒﾐｼヱﾋﾓｾｽ");
    case 20:
        return fromSequence(
            number, u"アイウエオカキクケコサシスセソタチツテトナニヌネノハヒフヘホマミムメモヤユヨラリルレロワヲン");
    case 21:
        return fromSequence(
            number, u"イロハニホヘトチリヌルヲワカヨタレソツネナラムウヰノオクヤマケフコエテアサキユメミシヱヒモセス");
    case 14:
    case 19: {
        QString wide = QString::number(number);
        for (QChar& c : wide)
            c = QChar(char16_t(c.unicode() - u'0' + u'０'));
        return wide;
    }
    case 18:
        return number <= 20 ? QString(QChar(char16_t(0x2460 + number - 1))) : QString::number(number);
    case 22:
        return number < 10 ? u'0' + QString::number(number) : QString::number(number);
    case 23:
    case 255:
        return {};
    default:
        return QString::number(number);
    }
}

QString listLabel(const QTextBlock& block)
{
    QTextList* const list = block.textList();
    if (!list)
        return {};
    const QTextListFormat format = list->format();
    const bool bullet = format.style() == QTextListFormat::ListDisc || format.style() == QTextListFormat::ListCircle ||
        format.style() == QTextListFormat::ListSquare;
    // Bullets take their shape from the level, as word processors draw them; numbers follow the template.
    if (!bullet && (format.hasProperty(kRtfListTemplateProperty) || format.hasProperty(kRtfListStartProperty))) {
        const int level = std::clamp(format.indent() - 1, 0, 8);
        const int numberFormat = format.intProperty(kRtfListNumberFormatProperty);
        QString pattern = format.stringProperty(kRtfListTemplateProperty);
        if (!format.hasProperty(kRtfListTemplateProperty))
            pattern = QString(QChar(char16_t(level))) + u'.';
        const int number = itemNumber(block, list);
        QString label;
        for (const QChar c : pattern) {
            if (c.unicode() > 8)
                label += c;
            else if (c.unicode() == level)
                label += listNumberText(number, numberFormat);
            else
                label += ancestorNumber(block, format.property(kRtfListKeyProperty), c.unicode());
        }
        return label;
    }
    switch (format.style()) {
    case QTextListFormat::ListDisc:
        return QStringLiteral("•");
    case QTextListFormat::ListCircle:
        return QStringLiteral("◦");
    case QTextListFormat::ListSquare:
        return QStringLiteral("▪");
    default:
        return list->itemText(block);
    }
}

bool qtDrawsListLabel(const QTextListFormat& format)
{
    const QTextListFormat::Style style = format.style();
    if (style == QTextListFormat::ListDisc || style == QTextListFormat::ListCircle ||
        style == QTextListFormat::ListSquare)
        return true;
    // Qt counts each list from 1 in decimals, whatever the level, and knows no start value.
    if (style != QTextListFormat::ListDecimal || format.indent() > 1 ||
        format.intProperty(kRtfListNumberFormatProperty) != 0)
        return false;
    if (format.hasProperty(kRtfListStartProperty) && format.intProperty(kRtfListStartProperty) != 1)
        return false;
    if (!format.hasProperty(kRtfListTemplateProperty))
        return true;
    // Qt writes prefix, number, suffix: right when the template holds this level's number only, once.
    return format.stringProperty(kRtfListTemplateProperty) ==
        format.numberPrefix() + QChar(char16_t(0)) + format.numberSuffix();
}

bool listLabelDrawnByView(const QTextBlock& block)
{
    if (!block.textList())
        return false;
    const QTextBlockFormat format = block.blockFormat();
    return format.hasProperty(QTextFormat::ListStyle) &&
        format.intProperty(QTextFormat::ListStyle) == QTextListFormat::ListStyleUndefined;
}

} // namespace pemmo::formats
