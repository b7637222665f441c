// SPDX-License-Identifier: MIT
#pragma once

#include <QBrush>
#include <QFont>
#include <QList>
#include <QRectF>
#include <QString>

class QTextDocument;

/** A list label the rich view draws itself, where Qt would have drawn its own marker. */
struct ListLabelPlace
{
    int blockPosition = 0; ///< where the list paragraph starts in the document
    QString text; ///< listLabel() of the paragraph
    QRectF rect; ///< in document coordinates: right-aligned a space before the first line's text, one line high
    QFont font; ///< the font of the paragraph's first character, as Qt's marker takes it
    QBrush foreground; ///< the first character's colour; NoBrush for the palette's text colour
    Qt::LayoutDirection direction = Qt::LeftToRight;
};

/**
 * The labels of the list paragraphs in @p area (document coordinates) whose numbering Qt cannot show
 * (pemmo::formats::listLabelDrawnByView), laid out as Qt lays out its own markers.
 */
QList<ListLabelPlace> listLabelPlaces(const QTextDocument& document, const QRectF& area);
