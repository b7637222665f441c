// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

class QTextBlock;
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

} // namespace pemmo::formats
