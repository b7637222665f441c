// SPDX-License-Identifier: MIT
#pragma once

#include <QObject>

class DocumentEditor;
class RulerGutter;
class StatusRow;

/**
 * The row/column display: keeps the position field and the ruler marker up to date while the
 * user clicks and types. A click reports the document line and the offset in it; a key release
 * moves the ruler marker to the caret's cell on screen; both show the document line and column.
 */
class PositionDisplay final : public QObject
{
    Q_OBJECT
public:
    PositionDisplay(DocumentEditor* richEdit2, StatusRow* statusRow, RulerGutter* ruler, QObject* parent = nullptr);

    void RichEdit2MouseDown();
    void RichEdit2KeyDown();
    void RichEdit2KeyUp();
    /** Shows where the caret is in the document now, as after a click there: a new document's start. */
    void showDocumentPosition();
    /** Shows the stored position again; the status row lays its fields out itself. */
    void FormResize();

    int row() const { return m_row; }
    int column() const { return m_column; }

private:
    int caretColumn() const;
    void takeDocumentPosition();
    void moveRulerMarker(int column);
    void showPosition();

    DocumentEditor* m_editor;
    StatusRow* m_statusRow;
    RulerGutter* m_ruler;
    int m_row = 0;
    int m_column = 0;
};
