// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

class QTextBlock;
class QTextListFormat;
class QTextTable;

namespace pemmo::formats {

/** The table whose cell holds the block, or null. */
QTextTable* tableOf(const QTextBlock& block);

/** Qt keeps an empty paragraph in front of every table; it belongs to the table, not to the text. */
bool isBlockBeforeTable(const QTextBlock& block);

/** A list number in an RTF number format (\levelnfcN): roman, letters, イロハ, アイウ, ①, 一... */
QString listNumberText(int number, int numberFormat);

/** The label a list paragraph shows ("1.", "1.1.", "(b)", "イ)", "•"), empty outside lists. */
QString listLabel(const QTextBlock& block);

/**
 * Whether Qt's own list marker shows the label of the list's paragraphs: bullets, and decimals counted from 1
 * on the first level with only text around the number. For other lists Qt's marker would be wrong.
 */
bool qtDrawsListLabel(const QTextListFormat& format);

/**
 * Whether the paragraph is a list item whose label Qt does not draw (its block format turns the marker off),
 * so that the view draws listLabel() in its place.
 */
bool listLabelDrawnByView(const QTextBlock& block);

} // namespace pemmo::formats
