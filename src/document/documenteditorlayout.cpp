// SPDX-License-Identifier: MIT
// The document editor's layout side: lines as laid out, geometry, font, colours, tabs and wrap.
#include "documenteditor.h"

#include "richtextview.h"
#include "scintilla/scintillaview.h"

#include <QGuiApplication>
#include <QScrollBar>

int DocumentEditor::lineFromChar(int index) const
{
    return m_shown->lineOfIndex(index);
}

int DocumentEditor::lineIndex(int line) const
{
    return m_shown->indexOfLine(line);
}

int DocumentEditor::lineCount() const
{
    return m_shown->lineTotal();
}

int DocumentEditor::firstVisibleLine() const
{
    return m_shown->topLine();
}

QFont DocumentEditor::editorFont() const
{
    return m_font;
}

QFont DocumentEditor::shownFont() const
{
    QFont font = m_font;
    const int zoom = m_shown->zoomSteps();
    // The component zooms in points, also a font given in pixels (the designed one is).
    const qreal points = font.pointSizeF() > 0 ? font.pointSizeF() : font.pixelSize() * 72.0 / logicalDpiY();
    if (zoom != 0 && points > 0)
        font.setPointSizeF(qMax(1.0, points + zoom));
    return font;
}

void DocumentEditor::setEditorFont(const QFont& font)
{
    m_font = font;
    applyFont();
    applyTabStops();
}

void DocumentEditor::setTextColour(StoredColour colour)
{
    m_textColour = colour;
    applyFont();
}

void DocumentEditor::setBackgroundColour(StoredColour colour)
{
    m_backgroundColour = colour;
    applyFont();
}

void DocumentEditor::applyFont()
{
    const QPalette system = QGuiApplication::palette();
    for (EditorView* view : views())
        view->setLook(m_font, m_textColour.toColour(system), m_backgroundColour.toColour(system));
    applyCodeColouring();
}

void DocumentEditor::setCodeLanguage(CodeLanguage language)
{
    if (language == m_language)
        return;
    m_language = language;
    applyCodeColouring();
}

void DocumentEditor::setCodeColouring(bool on)
{
    if (on == m_colouring)
        return;
    m_colouring = on;
    applyCodeColouring();
}

void DocumentEditor::applyCodeColouring()
{
    const CodeLanguage shown = m_colouring ? m_language : CodeLanguage::None;
    m_shortenedLines = m_plainView->showCodeLanguage(shown, m_language, kLongLineShownCharacters);
}

void DocumentEditor::setTabStops(const std::array<int, kTabStopCount>& points)
{
    m_tabStops = points;
    applyTabStops();
}

void DocumentEditor::applyTabStops()
{
    for (EditorView* view : views())
        view->setTabStops(m_tabStops, m_font);
}

void DocumentEditor::setWordWrap(bool wrap)
{
    m_wordWrap = wrap;
    for (EditorView* view : views())
        view->setWordWrap(wrap);
}

bool DocumentEditor::wordWrap() const
{
    return m_wordWrap;
}

QTextCharFormat DocumentEditor::selectionCharFormat() const
{
    return m_shown->selectionCharFormat();
}

void DocumentEditor::mergeSelectionCharFormat(const QTextCharFormat& format)
{
    Q_EMIT textMayChange();
    m_shown->mergeSelectionCharFormat(format);
}

QRect DocumentEditor::caretRect() const
{
    return m_shown->caretRect();
}

int DocumentEditor::lineHeight() const
{
    return m_shown->lineHeight();
}

QPoint DocumentEditor::textAreaOffset() const
{
    return m_shown->scrollArea()->viewport()->mapTo(this, QPoint(m_shown->textLeftMargin(), 0));
}

QScrollBar* DocumentEditor::verticalScrollBar() const
{
    return m_shown->scrollArea()->verticalScrollBar();
}

void DocumentEditor::setContextMenu(QMenu* menu)
{
    m_contextMenu = menu;
}
