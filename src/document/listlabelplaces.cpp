// SPDX-License-Identifier: MIT
#include "listlabelplaces.h"

#include "formats/richtextstructure.h"

#include <QAbstractTextDocumentLayout>
#include <QFontMetrics>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextLayout>

QList<ListLabelPlace> listLabelPlaces(const QTextDocument& document, const QRectF& area)
{
    QList<ListLabelPlace> places;
    QAbstractTextDocumentLayout* const layout = document.documentLayout();
    // Start a paragraph above the area: a label stands out to the left of its paragraph, never above it.
    const int first = layout->hitTest(QPointF(0, area.top()), Qt::FuzzyHit);
    QTextBlock block = document.findBlock(qMax(0, first));
    if (block.previous().isValid())
        block = block.previous();
    for (; block.isValid(); block = block.next()) {
        const QRectF bounds = layout->blockBoundingRect(block);
        // Cells of one table row share their rows' heights: only text below the table's row ends the search.
        if (bounds.top() > area.bottom() && !pemmo::formats::tableOf(block))
            break;
        if (!block.isVisible() || !pemmo::formats::listLabelDrawnByView(block))
            continue;
        const QTextLayout* const lines = block.layout();
        if (!lines || lines->lineCount() == 0)
            continue;
        const QString text = pemmo::formats::listLabel(block);
        if (text.isEmpty())
            continue;
        // As Qt places its marker: on whole pixels at the first line's start, a space's width before it.
        const QTextCharFormat format = QTextCursor(block).charFormat();
        const QFont font = format.font();
        const QFontMetrics metrics(font);
        const Qt::LayoutDirection direction = block.textDirection();
        const QRectF lineRect = lines->lineAt(0).naturalTextRect();
        QPointF at = bounds.topLeft().toPoint();
        at += lineRect.topLeft().toPoint();
        if (direction == Qt::RightToLeft)
            at.rx() += lineRect.width();
        const qreal width = metrics.horizontalAdvance(text);
        const qreal gap = metrics.horizontalAdvance(QLatin1Char(' '));
        const qreal left = direction == Qt::RightToLeft ? at.x() + gap : at.x() - gap - width;
        const QRectF rect(left, at.y(), width, metrics.height());
        if (!rect.intersects(area))
            continue;
        places.append({ block.position(), text, rect, font, format.foreground(), direction });
    }
    return places;
}
