// SPDX-License-Identifier: MIT
#pragma once

#include <QObject>

class DocumentEditor;
class QPlainTextEdit;
class RulerGutter;
class StatusRow;

/**
 * The row/column display: keeps the position field and the ruler marker up to date while the
 * user clicks and types. A click reports the document line and the offset in it; a key release
 * reports the caret's place in the visible text area, counted in lines and in cells of "A".
 */
class PositionDisplay final : public QObject
{
    Q_OBJECT
public:
    PositionDisplay(DocumentEditor* richEdit2, QPlainTextEdit* memo1, StatusRow* statusRow, RulerGutter* ruler,
                    QObject* parent = nullptr);

    void RichEdit2MouseDown();
    void RichEdit2KeyDown();
    void RichEdit2KeyUp();
    void Memo1KeyDown();
    /** Shows the stored position again; the status row lays its fields out itself. */
    void FormResize();

    int row() const { return m_row; }
    int column() const { return m_column; }

private:
    int caretColumn() const;
    void moveRulerMarker(int column);
    void showPosition();

    DocumentEditor* m_editor;
    QPlainTextEdit* m_memo;
    StatusRow* m_statusRow;
    RulerGutter* m_ruler;
    int m_row = 0;
    int m_column = 0;
};
