// SPDX-License-Identifier: MIT
#include "richtextstructure.h"

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

QString listLabel(const QTextBlock& block)
{
    QTextList* const list = block.textList();
    if (!list)
        return {};
    switch (list->format().style()) {
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

} // namespace pemmo::formats
