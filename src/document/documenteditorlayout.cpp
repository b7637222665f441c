// SPDX-License-Identifier: MIT
// The document editor's layout side: lines as laid out, geometry, font, colours, tabs and wrap.
#include "documenteditor.h"

#include "codecolouring.h"
#include "richtextview.h"
#include "scintillaview.h"

#include <QFontMetricsF>
#include <QGuiApplication>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextLayout>

namespace {
using Sci = QsciScintillaBase;

long sciColour(const QColor& colour)
{
    return colour.red() | (colour.green() << 8) | (colour.blue() << 16);
}
} // namespace

int DocumentEditor::lineFromChar(int index) const
{
    if (m_rich) {
        const QTextDocument* doc = m_richView->document();
        const QTextBlock block = doc->findBlock(qBound(0, index, doc->characterCount() - 1));
        if (!wordWrap())
            return block.blockNumber();
        int line = 0;
        for (QTextBlock b = doc->firstBlock(); b.isValid() && b != block; b = b.next())
            line += qMax(1, b.lineCount());
        const QTextLayout* layout = block.layout();
        if (layout && layout->lineCount() > 0)
            line += qMax(0, layout->lineForTextPosition(index - block.position()).lineNumber());
        return line;
    }
    const qsizetype position = m_plainView->positionFromIndex(index);
    const long docLine = m_plainView->sci(Sci::SCI_LINEFROMPOSITION, position);
    if (!wordWrap())
        return int(docLine);
    const long lineStart = m_plainView->sci(Sci::SCI_POSITIONFROMLINE, docLine);
    const long height = qMax(1L, m_plainView->sci(Sci::SCI_TEXTHEIGHT, docLine));
    const long subLine = (m_plainView->sci(Sci::SCI_POINTYFROMPOSITION, 0, position) -
                          m_plainView->sci(Sci::SCI_POINTYFROMPOSITION, 0, lineStart)) /
        height;
    return int(m_plainView->sci(Sci::SCI_VISIBLEFROMDOCLINE, docLine) + qMax(0L, subLine));
}

int DocumentEditor::lineIndex(int line) const
{
    if (m_rich) {
        const QTextDocument* doc = m_richView->document();
        if (!wordWrap()) {
            const QTextBlock block = doc->findBlockByNumber(line);
            return block.isValid() ? block.position() : -1;
        }
        int first = 0;
        for (QTextBlock b = doc->firstBlock(); b.isValid(); b = b.next()) {
            const int count = qMax(1, b.lineCount());
            if (line < first + count) {
                const QTextLayout* layout = b.layout();
                if (!layout || layout->lineCount() == 0)
                    return b.position();
                return b.position() + layout->lineAt(line - first).textStart();
            }
            first += count;
        }
        return -1;
    }
    if (line < 0 || line >= lineCount())
        return -1;
    const long docLine = wordWrap() ? m_plainView->sci(Sci::SCI_DOCLINEFROMVISIBLE, line) : line;
    const long lineStart = m_plainView->sci(Sci::SCI_POSITIONFROMLINE, docLine);
    const long subLine = line - (wordWrap() ? m_plainView->sci(Sci::SCI_VISIBLEFROMDOCLINE, docLine) : line);
    if (subLine <= 0)
        return int(m_plainView->indexFromPosition(lineStart));
    // A wrapped line's piece starts where its row does; find it by the row's height.
    const long height = qMax(1L, m_plainView->sci(Sci::SCI_TEXTHEIGHT, docLine));
    const long y = m_plainView->sci(Sci::SCI_POINTYFROMPOSITION, 0, lineStart) + subLine * height + height / 2;
    const long position = m_plainView->sci(Sci::SCI_POSITIONFROMPOINT, 0, y);
    return int(m_plainView->indexFromPosition(position));
}

int DocumentEditor::lineCount() const
{
    if (m_rich) {
        if (!wordWrap())
            return m_richView->document()->blockCount();
        int count = 0;
        for (QTextBlock b = m_richView->document()->firstBlock(); b.isValid(); b = b.next())
            count += qMax(1, b.lineCount());
        return count;
    }
    const long lines = m_plainView->sci(Sci::SCI_GETLINECOUNT);
    if (!wordWrap())
        return int(lines);
    return int(m_plainView->sci(Sci::SCI_VISIBLEFROMDOCLINE, lines - 1) +
               m_plainView->sci(Sci::SCI_WRAPCOUNT, lines - 1));
}

int DocumentEditor::firstVisibleLine() const
{
    if (m_rich)
        return lineFromChar(m_richView->cursorForPosition(QPoint(0, 0)).position());
    return int(m_plainView->sci(Sci::SCI_GETFIRSTVISIBLELINE));
}

QFont DocumentEditor::editorFont() const
{
    return m_font;
}

QFont DocumentEditor::shownFont() const
{
    QFont font = m_font;
    const long zoom = m_rich ? 0 : m_plainView->sci(Sci::SCI_GETZOOM);
    // The component zooms in points, also a font given in pixels (the designed one is).
    const qreal points = font.pointSizeF() > 0 ? font.pointSizeF() : font.pixelSize() * 72.0 / logicalDpiY();
    if (zoom != 0 && points > 0)
        font.setPointSizeF(qMax(1.0, points + zoom));
    return font;
}

void DocumentEditor::setEditorFont(const QFont& font)
{
    m_font = font;
    m_plainView->setFont(font);
    m_richView->setFont(font);
    applyFont();
    applyTabStops();
}

void DocumentEditor::setTextColour(StoredColour colour)
{
    m_textColour = colour;
    applyColours();
}

void DocumentEditor::setBackgroundColour(StoredColour colour)
{
    m_backgroundColour = colour;
    applyColours();
}

void DocumentEditor::applyColours()
{
    const QPalette system = QGuiApplication::palette();
    QPalette palette = m_richView->palette();
    for (const auto group : { QPalette::Active, QPalette::Inactive }) {
        palette.setColor(group, QPalette::Text, m_textColour.toColour(system));
        palette.setColor(group, QPalette::Base, m_backgroundColour.toColour(system));
    }
    m_richView->setPalette(palette);
    m_plainView->setPalette(palette);
    applyFont();
}

void DocumentEditor::applyFont()
{
    const QPalette system = QGuiApplication::palette();
    const QColor text = m_textColour.toColour(system);
    const QColor background = m_backgroundColour.toColour(system);
    ScintillaView* v = m_plainView;
    const QByteArray family = m_font.family().toUtf8();
    const qreal points = m_font.pointSizeF() > 0 ? m_font.pointSizeF() : m_font.pixelSize() * 72.0 / logicalDpiY();
    v->sciText(Sci::SCI_STYLESETFONT, Sci::STYLE_DEFAULT, family.constData());
    v->sci(Sci::SCI_STYLESETSIZEFRACTIONAL, Sci::STYLE_DEFAULT, long(qRound(points * 100)));
    v->sci(Sci::SCI_STYLESETBOLD, Sci::STYLE_DEFAULT, m_font.bold());
    v->sci(Sci::SCI_STYLESETITALIC, Sci::STYLE_DEFAULT, m_font.italic());
    v->sci(Sci::SCI_STYLESETFORE, Sci::STYLE_DEFAULT, sciColour(text));
    v->sci(Sci::SCI_STYLESETBACK, Sci::STYLE_DEFAULT, sciColour(background));
    v->sci(Sci::SCI_STYLECLEARALL);
    v->sci(Sci::SCI_SETCARETFORE, sciColour(text));
    v->sci(Sci::SCI_SETSELFORE, 1, sciColour(system.color(QPalette::Active, QPalette::HighlightedText)));
    v->sci(Sci::SCI_SETSELBACK, 1, sciColour(system.color(QPalette::Active, QPalette::Highlight)));
    applyCodeColouring();
    // Lines get at least the face's own line spacing: some faces report less room than their glyphs take.
    v->sci(Sci::SCI_SETEXTRADESCENT, 0);
    const long extra = QFontMetrics(m_font).lineSpacing() - v->sci(Sci::SCI_TEXTHEIGHT, 0);
    if (extra > 0)
        v->sci(Sci::SCI_SETEXTRADESCENT, extra);
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
    const QPalette system = QGuiApplication::palette();
    const CodeLanguage shown = m_colouring ? m_language : CodeLanguage::None;
    // Back to the user's colours first: a lexer only changes the styles it uses.
    m_plainView->sci(Sci::SCI_STYLECLEARALL);
    ::applyCodeColouring(*m_plainView, shown, m_textColour.toColour(system), m_backgroundColour.toColour(system));
    // A lexer styles every character itself; only text it leaves alone can hide a long line's rest.
    m_shortenedLines = 0;
    if (shown == CodeLanguage::None)
        shortenLongLines();
    // Matching braces are marked in code, where they mean something.
    m_plainView->setBraceMatching(m_language == CodeLanguage::None ? QsciScintilla::NoBraceMatch
                                                                   : QsciScintilla::SloppyBraceMatch);
}

void DocumentEditor::shortenLongLines()
{
    // A style no lexer of ours gives in plain text: the rest of a long line in it is neither
    // measured nor drawn.
    constexpr int kHiddenRestStyle = 31;
    m_plainView->sci(Sci::SCI_STYLESETVISIBLE, kHiddenRestStyle, 0L);
    m_shortenedLines = m_plainView->styleLongLineTails(kLongLineShownCharacters, kHiddenRestStyle);
}

void DocumentEditor::setTabStops(const std::array<int, kTabStopCount>& points)
{
    m_tabStops = points;
    applyTabStops();
}

void DocumentEditor::applyTabStops()
{
    // The stops are meant to fall on half-width cells, which are half the font's size wide. A
    // rendered cell is a whole or half pixel, so measure it rather than convert points exactly,
    // or the stops drift off the columns along a line.
    const QFont font = m_font;
    const qreal points = font.pointSizeF() > 0 ? font.pointSizeF() : font.pixelSize() * 72.0 / logicalDpiY();
    const qreal halfCellPoints = points / 2;
    const int spacing = m_tabStops[1] - m_tabStops[0];
    // The component keeps one width for every stop, counted in cells.
    if (halfCellPoints > 0 && spacing > 0)
        m_plainView->sci(Sci::SCI_SETTABWIDTH, qMax(1L, long(qRound(spacing / halfCellPoints))));

    const qreal cellPixels = QFontMetricsF(font).horizontalAdvance(QLatin1Char('A'));
    const qreal pixelsPerPoint = halfCellPoints > 0 && cellPixels > 0 ? cellPixels / halfCellPoints
                                                                      : logicalDpiX() / 72.0;
    QList<QTextOption::Tab> tabs;
    for (const int stop : m_tabStops)
        tabs.append(QTextOption::Tab(stop * pixelsPerPoint, QTextOption::LeftTab));
    QTextDocument* doc = m_richView->document();
    QTextOption option = doc->defaultTextOption();
    option.setTabs(tabs);
    if (spacing > 0)
        option.setTabStopDistance(spacing * pixelsPerPoint);
    doc->setDefaultTextOption(option);
}

void DocumentEditor::setWordWrap(bool wrap)
{
    m_wordWrap = wrap;
    m_plainView->sci(Sci::SCI_SETWRAPMODE, wrap ? Sci::SC_WRAP_WORD : Sci::SC_WRAP_NONE);
    m_plainView->sci(Sci::SCI_SETHSCROLLBAR, wrap ? 0 : 1);
    m_richView->setLineWrapMode(wrap ? QTextEdit::WidgetWidth : QTextEdit::NoWrap);
    m_richView->setHorizontalScrollBarPolicy(wrap ? Qt::ScrollBarAlwaysOff : Qt::ScrollBarAsNeeded);
}

bool DocumentEditor::wordWrap() const
{
    return m_wordWrap;
}

QTextCharFormat DocumentEditor::selectionCharFormat() const
{
    if (m_rich)
        return m_richView->textCursor().charFormat();
    // A plain document has one format: the editor's font.
    QTextCharFormat format;
    format.setFont(m_font);
    return format;
}

void DocumentEditor::mergeSelectionCharFormat(const QTextCharFormat& format)
{
    Q_EMIT textMayChange();
    if (m_rich)
        m_richView->mergeCurrentCharFormat(format);
}

QRect DocumentEditor::caretRect() const
{
    if (m_rich)
        return m_richView->cursorRect();
    const long position = m_plainView->sci(Sci::SCI_GETCURRENTPOS);
    const int x = int(m_plainView->sci(Sci::SCI_POINTXFROMPOSITION, 0, position)) - ScintillaView::kTextLeftMargin;
    const int y = int(m_plainView->sci(Sci::SCI_POINTYFROMPOSITION, 0, position));
    return QRect(x, y, 1, lineHeight());
}

int DocumentEditor::lineHeight() const
{
    if (m_rich)
        return QFontMetrics(m_font).lineSpacing();
    return int(m_plainView->sci(Sci::SCI_TEXTHEIGHT, 0));
}

QPoint DocumentEditor::textAreaOffset() const
{
    const auto* area = m_rich ? static_cast<QAbstractScrollArea*>(m_richView) : m_plainView;
    return area->viewport()->mapTo(this, QPoint(m_rich ? 0 : ScintillaView::kTextLeftMargin, 0));
}

QScrollBar* DocumentEditor::verticalScrollBar() const
{
    return m_rich ? m_richView->verticalScrollBar() : m_plainView->verticalScrollBar();
}

void DocumentEditor::setContextMenu(QMenu* menu)
{
    m_contextMenu = menu;
}
