// SPDX-License-Identifier: MIT
#include "positiondisplay.h"

#include "document/documenteditor.h"
#include "positionrules.h"
#include "rulergutter.h"
#include "statusrow.h"

#include <QFontMetricsF>
#include <QLabel>

namespace {
double cellWidth(const QFont& font)
{
    return QFontMetricsF(font).horizontalAdvance(QLatin1Char('A'));
}
} // namespace

PositionDisplay::PositionDisplay(DocumentEditor* richEdit2, StatusRow* statusRow, RulerGutter* ruler, QObject* parent)
    : QObject(parent)
    , m_editor(richEdit2)
    , m_statusRow(statusRow)
    , m_ruler(ruler)
{
    connect(m_editor, &DocumentEditor::mousePressed, this, &PositionDisplay::RichEdit2MouseDown);
    connect(m_editor, &DocumentEditor::keyPressing, this, &PositionDisplay::RichEdit2KeyDown);
    connect(m_editor, &DocumentEditor::keyReleased, this, &PositionDisplay::RichEdit2KeyUp);
}

void PositionDisplay::RichEdit2MouseDown()
{
    showDocumentPosition();
}

void PositionDisplay::showDocumentPosition()
{
    takeDocumentPosition();
    showPosition();
    moveRulerMarker(m_column);
}

void PositionDisplay::takeDocumentPosition()
{
    const int s = m_editor->selectionStart();
    m_row = m_editor->lineFromChar(s);
    m_column = s - m_editor->lineIndex(m_row);
}

int PositionDisplay::caretColumn() const
{
    // The caret stands on a cell boundary; rounding keeps a fraction of a pixel from costing a column.
    const double cell = cellWidth(m_editor->shownFont());
    return columnFromCaretX(int(m_editor->caretRect().x() + cell / 2), cell);
}

void PositionDisplay::RichEdit2KeyDown()
{
    moveRulerMarker(caretColumn());
}

void PositionDisplay::RichEdit2KeyUp()
{
    // The marker measures half-width cells on screen; the field names the line and column in the document,
    // which scrolling cannot change.
    moveRulerMarker(caretColumn());
    takeDocumentPosition();
    showPosition();
}

void PositionDisplay::FormResize()
{
    showPosition();
}

void PositionDisplay::moveRulerMarker(int column)
{
    m_ruler->markRuler(column);
}

void PositionDisplay::showPosition()
{
    m_statusRow->positionField()->setText(positionText(m_row, m_column));
}
