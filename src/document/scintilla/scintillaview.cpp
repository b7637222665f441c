// SPDX-License-Identifier: MIT
#include "scintillaview.h"

#include "codecolouring.h"
#include "scintillaaccessible.h"

#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QInputMethod>
#include <QInputMethodEvent>
#include <QScrollBar>
#include <QTextCharFormat>
#include <QWheelEvent>

#include <cstring>

namespace {
using Sci = QsciScintillaBase;
} // namespace

ScintillaView::ScintillaView(QWidget* parent)
    : QsciScintilla(parent)
    // Made here, on the view's thread, as a widget must be; a loader thread uses it.
    , m_preparer(std::make_unique<QsciScintillaBase>())
{
    setUpDocument();
    for (int margin = 0; margin < 5; ++margin)
        sci(Sci::SCI_SETMARGINWIDTHN, margin, 0L);
    // A few pixels between the window's border and the text; the ruler counts them in.
    sci(Sci::SCI_SETMARGINLEFT, 0UL, long(kTextLeftMargin));
    sci(Sci::SCI_SETMARGINRIGHT, 0UL, 0L);
    sci(Sci::SCI_USEPOPUP, 0L);
    // Nothing here listens to the change notifications, and QScintilla answers each insert and
    // delete with an accessibility event whose offset it counts from the start of the text:
    // measured, Replace All of 10 000 hits took 17 s with them and 45 ms without, and typing
    // near the end of a large file would pay a scan of the whole text per key.
    sci(Sci::SCI_SETMODEVENTMASK, 0);
    sci(Sci::SCI_SETSCROLLWIDTH, 1L);
    sci(Sci::SCI_SETSCROLLWIDTHTRACKING, 1L);
    // Styling of code runs in the background beyond what is shown, so a large file stays responsive.
    sci(Sci::SCI_SETIDLESTYLING, Sci::SC_IDLESTYLING_ALL);
    // Some scrolls move no scroll bar (the bar's range catches up at the next paint), so the top
    // line itself is watched.
    connect(this, &QsciScintillaBase::SCN_UPDATEUI, this, [this](int updated) {
        checkTopLine();
        if (updated & Sci::SC_UPDATE_SELECTION) {
            keepCaretInShownText();
            ScintillaAccessible::caretMoved(this);
        }
    });
    ScintillaAccessible::install();
    connect(this, &QsciScintillaBase::SCN_PAINTED, this, &ScintillaView::checkTopLine);
    // A zoom changes the line height: whoever follows the scrolling lines follows it too.
    connect(this, &QsciScintillaBase::SCN_ZOOM, this, &ScintillaView::topLineChanged);
    connect(this, &QsciScintilla::modificationChanged, this, [this] { setForcedModified(m_forcedModified); });
}

ScintillaView::~ScintillaView() = default;

void ScintillaView::checkTopLine()
{
    const long top = sci(Sci::SCI_GETFIRSTVISIBLELINE);
    if (top == m_topLine)
        return;
    m_topLine = top;
    Q_EMIT topLineChanged();
}

void ScintillaView::wheelEvent(QWheelEvent* event)
{
    QsciScintilla::wheelEvent(event);
    checkTopLine();
}

qsizetype ScintillaView::byteLength() const
{
    return sci(Sci::SCI_GETLENGTH);
}

QByteArray ScintillaView::utf8Text() const
{
    QByteArray text;
    copyUtf8Text(text);
    return text;
}

void ScintillaView::textInSlices(const std::function<void(QStringView)>& sink, qsizetype sliceBytes) const
{
    const qsizetype length = byteLength();
    qsizetype from = 0;
    do {
        qsizetype to = qMin(length, from + qMax<qsizetype>(1, sliceBytes));
        if (to < length) {
            // Cut after the line break that ends the slice's last whole line, or after the line.
            const long line = sci(Sci::SCI_LINEFROMPOSITION, to);
            const long lineStart = sci(Sci::SCI_POSITIONFROMLINE, line);
            to = lineStart > from ? lineStart : sci(Sci::SCI_POSITIONFROMLINE, line + 1);
            if (to <= from)
                to = length;
        }
        sink(textBetween(from, to));
        from = to;
    } while (from < length);
}

void ScintillaView::resetText(const QString& text)
{
    sci(Sci::SCI_SETUNDOCOLLECTION, 0);
    replaceWholeText(text);
    sci(Sci::SCI_SETUNDOCOLLECTION, 1);
    sci(Sci::SCI_EMPTYUNDOBUFFER);
    sci(Sci::SCI_GOTOPOS, 0);
    sci(Sci::SCI_SETSAVEPOINT);
    setForcedModified(false);
}

void ScintillaView::removeAllText()
{
    // Clearing is one delete, and so one undo step.
    sci(Sci::SCI_CLEARALL);
}

void ScintillaView::dropDocument()
{
    // The plain text is gone for good; do not keep its memory.
    sci(Sci::SCI_SETUNDOCOLLECTION, 0);
    sci(Sci::SCI_CLEARALL);
    sci(Sci::SCI_SETUNDOCOLLECTION, 1);
    sci(Sci::SCI_EMPTYUNDOBUFFER);
    sci(Sci::SCI_SETSAVEPOINT);
    m_forcedModified = false;
}

void ScintillaView::beginAppending()
{
    sci(Sci::SCI_SETUNDOCOLLECTION, 0);
    sci(Sci::SCI_EMPTYUNDOBUFFER);
    // Change notifications for every appended slice cost more than the text itself; nothing
    // listens to them while the document is being built.
    m_eventMask = sci(Sci::SCI_GETMODEVENTMASK);
    sci(Sci::SCI_SETMODEVENTMASK, 0);
    m_appendRoom = 0;
}

void ScintillaView::appendUtf8(QByteArrayView utf8)
{
    // Slice after slice (a Grep result), the component would grow its text and style buffers by
    // a sixth each time, copying them whole: hundreds of milliseconds a slice once the text is
    // large. Room twice the text's size makes the copies rare. A text appended in one piece
    // (the first slice) takes no more room than it needs.
    const qsizetype length = sci(Sci::SCI_GETLENGTH);
    if (length > 0 && length + utf8.size() > m_appendRoom) {
        m_appendRoom = 2 * (length + utf8.size());
        sci(Sci::SCI_ALLOCATE, m_appendRoom);
    }
    sciText(Sci::SCI_APPENDTEXT, utf8.size(), utf8.data());
}

void ScintillaView::endAppending()
{
    sci(Sci::SCI_SETMODEVENTMASK, m_eventMask);
}

void ScintillaView::settleLoadedText()
{
    sci(Sci::SCI_SETUNDOCOLLECTION, 1);
    sci(Sci::SCI_EMPTYUNDOBUFFER);
    sci(Sci::SCI_GOTOPOS, 0);
    sci(Sci::SCI_SETSAVEPOINT);
    setForcedModified(false);
}

void ScintillaView::setLineBreaksFor(const pemmo::formats::TextFormat& format)
{
    using pemmo::formats::LineEnding;
    long mode = Sci::SC_EOL_LF;
    if (format.keptLineEndings) {
        mode = format.lineEnding == LineEnding::CrLf ? Sci::SC_EOL_CRLF
            : format.lineEnding == LineEnding::Cr    ? Sci::SC_EOL_CR
                                                     : Sci::SC_EOL_LF;
    }
    sci(Sci::SCI_SETEOLMODE, mode);
}

int ScintillaView::selectionStart() const
{
    return int(indexFromPosition(sci(Sci::SCI_GETSELECTIONSTART)));
}

int ScintillaView::selectionLength() const
{
    return int(indexFromPosition(sci(Sci::SCI_GETSELECTIONEND))) - selectionStart();
}

void ScintillaView::selectRange(int start, int length)
{
    const qsizetype from = positionFromIndex(start);
    const qsizetype to = positionFromIndex(qMax(0, start) + qMax(0, length));
    sci(Sci::SCI_SETSEL, from, to);
    sci(Sci::SCI_SCROLLCARET);
    checkTopLine();
}

QString ScintillaView::selectedPlainText() const
{
    return textBetween(sci(Sci::SCI_GETSELECTIONSTART), sci(Sci::SCI_GETSELECTIONEND));
}

void ScintillaView::replaceSelection(const QString& text)
{
    const QByteArray bytes = text.toUtf8();
    sciText(Sci::SCI_REPLACESEL, 0, bytes.constData());
}

void ScintillaView::beginUndoGroup()
{
    sci(Sci::SCI_BEGINUNDOACTION);
}

void ScintillaView::endUndoGroup()
{
    sci(Sci::SCI_ENDUNDOACTION);
}

bool ScintillaView::canUndo() const
{
    return sci(Sci::SCI_CANUNDO) != 0;
}

bool ScintillaView::isTextModified() const
{
    return m_forcedModified || sci(Sci::SCI_GETMODIFY) != 0;
}

void ScintillaView::setTextModified(bool modified)
{
    if (!modified)
        sci(Sci::SCI_SETSAVEPOINT);
    setForcedModified(modified);
}

void ScintillaView::setForcedModified(bool modified)
{
    // The flag is told once per change, whatever moved it.
    m_forcedModified = modified;
    const bool now = isTextModified();
    const bool changed = now != m_reportedModified;
    m_reportedModified = now;
    if (changed)
        Q_EMIT modifiedChanged(now);
}

bool ScintillaView::wraps() const
{
    return sci(Sci::SCI_GETWRAPMODE) != Sci::SC_WRAP_NONE;
}

int ScintillaView::lineOfIndex(int index) const
{
    const qsizetype position = positionFromIndex(index);
    const long docLine = sci(Sci::SCI_LINEFROMPOSITION, position);
    if (!wraps())
        return int(docLine);
    const long lineStart = sci(Sci::SCI_POSITIONFROMLINE, docLine);
    const long height = qMax(1L, sci(Sci::SCI_TEXTHEIGHT, docLine));
    const long subLine = (sci(Sci::SCI_POINTYFROMPOSITION, 0, position) -
                          sci(Sci::SCI_POINTYFROMPOSITION, 0, lineStart)) /
        height;
    return int(sci(Sci::SCI_VISIBLEFROMDOCLINE, docLine) + qMax(0L, subLine));
}

int ScintillaView::indexOfLine(int line) const
{
    if (line < 0 || line >= lineTotal())
        return -1;
    const bool wrapped = wraps();
    const long docLine = wrapped ? sci(Sci::SCI_DOCLINEFROMVISIBLE, line) : line;
    const long lineStart = sci(Sci::SCI_POSITIONFROMLINE, docLine);
    const long subLine = line - (wrapped ? sci(Sci::SCI_VISIBLEFROMDOCLINE, docLine) : line);
    if (subLine <= 0)
        return int(indexFromPosition(lineStart));
    // A wrapped line's piece starts where its row does; find it by the row's height.
    const long height = qMax(1L, sci(Sci::SCI_TEXTHEIGHT, docLine));
    const long y = sci(Sci::SCI_POINTYFROMPOSITION, 0, lineStart) + subLine * height + height / 2;
    return int(indexFromPosition(sci(Sci::SCI_POSITIONFROMPOINT, 0, y)));
}

int ScintillaView::lineTotal() const
{
    const long lines = sci(Sci::SCI_GETLINECOUNT);
    if (!wraps())
        return int(lines);
    return int(sci(Sci::SCI_VISIBLEFROMDOCLINE, lines - 1) + sci(Sci::SCI_WRAPCOUNT, lines - 1));
}

int ScintillaView::topLine() const
{
    return int(sci(Sci::SCI_GETFIRSTVISIBLELINE));
}

QRect ScintillaView::caretRect() const
{
    const long position = sci(Sci::SCI_GETCURRENTPOS);
    const int x = int(sci(Sci::SCI_POINTXFROMPOSITION, 0, position)) - kTextLeftMargin;
    const int y = int(sci(Sci::SCI_POINTYFROMPOSITION, 0, position));
    return QRect(x, y, 1, lineHeight());
}

int ScintillaView::lineHeight() const
{
    return int(sci(Sci::SCI_TEXTHEIGHT, 0));
}

int ScintillaView::zoomSteps() const
{
    return int(sci(Sci::SCI_GETZOOM));
}

namespace {
long sciColour(const QColor& colour)
{
    return colour.red() | (colour.green() << 8) | (colour.blue() << 16);
}
} // namespace

void ScintillaView::setLook(const QFont& font, const QColor& text, const QColor& background)
{
    m_font = font;
    m_textColour = text;
    m_backgroundColour = background;
    QPalette shades = palette();
    for (const auto group : { QPalette::Active, QPalette::Inactive }) {
        shades.setColor(group, QPalette::Text, text);
        shades.setColor(group, QPalette::Base, background);
    }
    setPalette(shades);
    setFont(font);
    const QPalette system = QGuiApplication::palette();
    const QByteArray family = font.family().toUtf8();
    sciText(Sci::SCI_STYLESETFONT, Sci::STYLE_DEFAULT, family.constData());
    sci(Sci::SCI_STYLESETSIZEFRACTIONAL, Sci::STYLE_DEFAULT, long(qRound(pointSizeAt(font, logicalDpiY()) * 100)));
    sci(Sci::SCI_STYLESETBOLD, Sci::STYLE_DEFAULT, font.bold());
    sci(Sci::SCI_STYLESETITALIC, Sci::STYLE_DEFAULT, font.italic());
    sci(Sci::SCI_STYLESETFORE, Sci::STYLE_DEFAULT, sciColour(text));
    sci(Sci::SCI_STYLESETBACK, Sci::STYLE_DEFAULT, sciColour(background));
    sci(Sci::SCI_STYLECLEARALL);
    sci(Sci::SCI_SETCARETFORE, sciColour(text));
    sci(Sci::SCI_SETSELFORE, 1, sciColour(system.color(QPalette::Active, QPalette::HighlightedText)));
    sci(Sci::SCI_SETSELBACK, 1, sciColour(system.color(QPalette::Active, QPalette::Highlight)));
    // Lines get at least the face's own line spacing: some faces report less room than their glyphs take.
    sci(Sci::SCI_SETEXTRADESCENT, 0);
    const long extra = QFontMetrics(font).lineSpacing() - sci(Sci::SCI_TEXTHEIGHT, 0);
    if (extra > 0)
        sci(Sci::SCI_SETEXTRADESCENT, extra);
}

int ScintillaView::showCodeLanguage(CodeLanguage shown, CodeLanguage braces, qsizetype shownCharacters)
{
    // Back to the user's colours first: a lexer only changes the styles it uses.
    sci(Sci::SCI_STYLECLEARALL);
    applyCodeColouring(*this, shown, m_textColour, m_backgroundColour);
    // Matching braces are marked in code, where they mean something.
    setBraceMatching(braces == CodeLanguage::None ? QsciScintilla::NoBraceMatch : QsciScintilla::SloppyBraceMatch);
    // A lexer styles every character itself; only text it leaves alone can hide a long line's rest.
    if (shown != CodeLanguage::None)
        return 0;
    // A style no lexer of ours gives in plain text: the rest of a long line in it is neither
    // measured nor drawn.
    constexpr int kHiddenRestStyle = 31;
    sci(Sci::SCI_STYLESETVISIBLE, kHiddenRestStyle, 0L);
    return styleLongLineTails(shownCharacters, kHiddenRestStyle);
}

void ScintillaView::setTabStops(const std::array<int, kTabStopCount>& points, const QFont& font)
{
    // The component keeps one width for every stop, counted in half-width cells, which are half
    // the font's size wide.
    const qreal halfCellPoints = pointSizeAt(font, logicalDpiY()) / 2;
    const int spacing = points[1] - points[0];
    if (halfCellPoints > 0 && spacing > 0)
        sci(Sci::SCI_SETTABWIDTH, qMax(1L, long(qRound(spacing / halfCellPoints))));
}

void ScintillaView::setWordWrap(bool wrap)
{
    sci(Sci::SCI_SETWRAPMODE, wrap ? Sci::SC_WRAP_WORD : Sci::SC_WRAP_NONE);
    sci(Sci::SCI_SETHSCROLLBAR, wrap ? 0 : 1);
}

QTextCharFormat ScintillaView::selectionCharFormat() const
{
    // A plain document has one format: the editor's font.
    QTextCharFormat format;
    format.setFont(m_font);
    return format;
}

void ScintillaView::copyUtf8Text(QByteArray& into) const
{
    // The character pointer closes the buffer's gap, once; then the copy is one memcpy. A buffer
    // that already has the room keeps its pages: 25 000 fresh ones would stall the window for a
    // few hundred ms at 100 MB.
    const qsizetype length = byteLength();
    into.resize(length);
    std::memcpy(into.data(), reinterpret_cast<const char*>(sci(Sci::SCI_GETCHARACTERPOINTER)), size_t(length));
}

QByteArray ScintillaView::utf8Range(qsizetype from, qsizetype length) const
{
    from = qBound<qsizetype>(0, from, byteLength());
    length = qBound<qsizetype>(0, length, byteLength() - from);
    if (length == 0)
        return QByteArray();
    // Only a gap inside the range is closed: a slice costs its own length, not the text's.
    return QByteArray(reinterpret_cast<const char*>(sci(Sci::SCI_GETRANGEPOINTER, from, length)), length);
}

QString ScintillaView::textBetween(qsizetype from, qsizetype to) const
{
    from = qBound<qsizetype>(0, from, byteLength());
    to = qBound<qsizetype>(from, to, byteLength());
    if (from == to)
        return QString();
    const auto* data = reinterpret_cast<const char*>(sci(Sci::SCI_GETRANGEPOINTER, from, to - from));
    return QString::fromUtf8(data, to - from);
}

QString ScintillaView::wholeText() const
{
    return textBetween(0, byteLength());
}

void ScintillaView::setUpDocument()
{
    sci(Sci::SCI_SETCODEPAGE, Sci::SC_CP_UTF8);
    // Lines end in '\n' inside the editor; a save writes the file's own line ending.
    sci(Sci::SCI_SETEOLMODE, Sci::SC_EOL_LF);
    // Positions are converted to and from UTF-16 indices all the time; the index keeps that cheap.
    sci(Sci::SCI_ALLOCATELINECHARACTERINDEX, Sci::SC_LINECHARACTERINDEX_UTF16);
}

bool ScintillaView::startEmptyDocument(bool styled)
{
    const long options = styled ? Sci::SC_DOCUMENTOPTION_DEFAULT : Sci::SC_DOCUMENTOPTION_STYLES_NONE;
    // A large text is let go of on another thread: emptying or freeing a few hundred MB here
    // would stall the window for a tenth of a second or more.
    constexpr qsizetype kFreedAsideBytes = qsizetype(16) << 20;
    const bool large = byteLength() >= kFreedAsideBytes;
    if (!large && sci(Sci::SCI_GETDOCUMENTOPTIONS) == options) {
        sci(Sci::SCI_CLEARALL);
        // A new text starts with breaks as '\n', whatever the previous file kept.
        sci(Sci::SCI_SETEOLMODE, Sci::SC_EOL_LF);
        return false;
    }
    // These settings belong to the document, not to the view: carry them over.
    const long tabWidth = sci(Sci::SCI_GETTABWIDTH);
    const long previous = large ? sci(Sci::SCI_GETDOCPOINTER) : 0;
    if (previous)
        sci(Sci::SCI_ADDREFDOCUMENT, 0, previous);
    const long document = sci(Sci::SCI_CREATEDOCUMENT, 0, options);
    sci(Sci::SCI_SETDOCPOINTER, 0, document);
    // The view holds the document now; drop the reference the creation gave us.
    sci(Sci::SCI_RELEASEDOCUMENT, 0, document);
    setUpDocument();
    sci(Sci::SCI_SETTABWIDTH, tabWidth);
    if (previous) {
        // The last reference, through the hidden preparer: releasing touches no view's state.
        QsciScintillaBase* releaser = m_preparer.get();
        m_releases.start([releaser, previous] { releaser->SendScintilla(Sci::SCI_RELEASEDOCUMENT, 0UL, previous); });
    }
    return true;
}

void* ScintillaView::createLoader(qsizetype capacity, long documentOptions)
{
    return reinterpret_cast<void*>(m_preparer->SendScintilla(
        Sci::SCI_CREATELOADER, static_cast<unsigned long>(qMax<qsizetype>(capacity, 0)), documentOptions));
}

void ScintillaView::prepareDocument(void* document)
{
    const auto pointer = reinterpret_cast<long>(document);
    m_preparer->SendScintilla(Sci::SCI_SETDOCPOINTER, 0UL, pointer);
    m_preparer->SendScintilla(Sci::SCI_SETCODEPAGE, Sci::SC_CP_UTF8);
    m_preparer->SendScintilla(Sci::SCI_SETEOLMODE, Sci::SC_EOL_LF);
    m_preparer->SendScintilla(Sci::SCI_ALLOCATELINECHARACTERINDEX, Sci::SC_LINECHARACTERINDEX_UTF16);
    // Back to a document of its own: the prepared one keeps its settings and the caller's reference.
    m_preparer->SendScintilla(Sci::SCI_SETDOCPOINTER, 0UL, 0L);
}

void ScintillaView::adoptDocument(void* document)
{
    // As in startEmptyDocument(), the tab width belongs to the document. QScintilla's own record
    // of the document (QsciDocument) is left alone: nothing here uses it, as there.
    const long tabWidth = sci(Sci::SCI_GETTABWIDTH);
    sci(Sci::SCI_SETDOCPOINTER, 0, reinterpret_cast<long>(document));
    sci(Sci::SCI_SETTABWIDTH, tabWidth);
}

int ScintillaView::styleLongLineTails(qsizetype shownCharacters, int style)
{
    if (sci(Sci::SCI_GETDOCUMENTOPTIONS) & Sci::SC_DOCUMENTOPTION_STYLES_NONE)
        return 0;
    const qsizetype length = byteLength();
    if (length <= shownCharacters)
        return 0;
    const auto* text = reinterpret_cast<const char*>(sci(Sci::SCI_GETCHARACTERPOINTER));
    int styled = 0;
    // A text that keeps a file's mixed breaks may end lines with CR alone.
    const bool anyCr = std::memchr(text, '\r', size_t(length)) != nullptr;
    for (qsizetype lineStart = 0; lineStart < length;) {
        const auto* newline = static_cast<const char*>(std::memchr(text + lineStart, '\n', size_t(length - lineStart)));
        qsizetype lineEnd = newline ? newline - text : length;
        if (anyCr) {
            const auto* cr = static_cast<const char*>(std::memchr(text + lineStart, '\r', size_t(lineEnd - lineStart)));
            if (cr)
                lineEnd = cr - text;
        }
        // A line has no more characters than bytes: only a line this long in bytes can be too long.
        if (lineEnd - lineStart > shownCharacters) {
            qsizetype at = lineStart;
            for (qsizetype characters = 0; at < lineEnd && characters < shownCharacters; ++characters) {
                ++at;
                while (at < lineEnd && (static_cast<unsigned char>(text[at]) & 0xC0) == 0x80)
                    ++at;
            }
            if (at < lineEnd) {
                sci(Sci::SCI_STARTSTYLING, at);
                sci(Sci::SCI_SETSTYLING, lineEnd - at, style);
                ++styled;
            }
        }
        lineStart = lineEnd + 1;
    }
    m_hiddenStyle = styled > 0 ? style : -1;
    return styled;
}

void ScintillaView::keepCaretInShownText()
{
    // The hidden rest of a line takes no room, so a caret anywhere in it or after it is drawn at
    // the end of the shown start. It is put there, so that what is typed goes where it shows.
    if (m_hiddenStyle < 0 || sci(Sci::SCI_STYLEGETVISIBLE, m_hiddenStyle))
        return;
    const long caret = sci(Sci::SCI_GETCURRENTPOS);
    if (caret == 0 || caret != sci(Sci::SCI_GETANCHOR) || sci(Sci::SCI_GETSTYLEAT, caret - 1) != m_hiddenStyle)
        return;
    // A line's hidden rest is one run up to its end: find where it starts.
    long shownEnd = sci(Sci::SCI_POSITIONFROMLINE, sci(Sci::SCI_LINEFROMPOSITION, caret));
    long hidden = caret - 1;
    while (shownEnd < hidden) {
        const long middle = shownEnd + (hidden - shownEnd) / 2;
        if (sci(Sci::SCI_GETSTYLEAT, middle) == m_hiddenStyle)
            hidden = middle;
        else
            shownEnd = middle + 1;
    }
    sci(Sci::SCI_SETEMPTYSELECTION, shownEnd);
}

void ScintillaView::replaceWholeText(const QString& text)
{
    const QByteArray bytes = text.toUtf8();
    sci(Sci::SCI_CLEARALL);
    sciText(Sci::SCI_APPENDTEXT, bytes.size(), bytes.constData());
}

qsizetype ScintillaView::indexLength() const
{
    return indexFromPosition(byteLength());
}

qsizetype ScintillaView::indexFromPosition(qsizetype position) const
{
    position = qBound<qsizetype>(0, position, byteLength());
    const long line = sci(Sci::SCI_LINEFROMPOSITION, position);
    const long lineStart = sci(Sci::SCI_POSITIONFROMLINE, line);
    return sci(Sci::SCI_INDEXPOSITIONFROMLINE, line, Sci::SC_LINECHARACTERINDEX_UTF16) +
        sci(Sci::SCI_COUNTCODEUNITS, lineStart, position);
}

qsizetype ScintillaView::positionFromIndex(qsizetype index) const
{
    if (index <= 0)
        return 0;
    const long line = sci(Sci::SCI_LINEFROMINDEXPOSITION, index, Sci::SC_LINECHARACTERINDEX_UTF16);
    const long lineIndex = sci(Sci::SCI_INDEXPOSITIONFROMLINE, line, Sci::SC_LINECHARACTERINDEX_UTF16);
    const long lineStart = sci(Sci::SCI_POSITIONFROMLINE, line);
    const long lineEnd = line + 1 < sci(Sci::SCI_GETLINECOUNT) ? sci(Sci::SCI_POSITIONFROMLINE, line + 1)
                                                               : byteLength();
    const long inLine = index - lineIndex;
    if (inLine >= sci(Sci::SCI_COUNTCODEUNITS, lineStart, lineEnd))
        return lineEnd;
    return sci(Sci::SCI_POSITIONRELATIVECODEUNITS, lineStart, inLine);
}

void ScintillaView::mousePressEvent(QMouseEvent* event)
{
    // A click while composing ends the composition here, once: the text goes in where it was
    // composed, and the input method drops its copy instead of sending it again.
    finishComposition();
    QsciScintilla::mousePressEvent(event);
    Q_EMIT mousePressed();
}

void ScintillaView::keyPressEvent(QKeyEvent* event)
{
    Q_EMIT keyPressing();
    // The component tells of a moved caret only when it next paints; a key typed before must not
    // land behind a hidden rest all the same.
    keepCaretInShownText();
    const bool overtype = overwriteMode();
    QsciScintilla::keyPressEvent(event);
    if (overwriteMode() != overtype)
        Q_EMIT overtypeChanged(!overtype);
    checkTopLine();
}

void ScintillaView::keyReleaseEvent(QKeyEvent* event)
{
    QsciScintilla::keyReleaseEvent(event);
    Q_EMIT keyReleased();
}

void ScintillaView::contextMenuEvent(QContextMenuEvent* event)
{
    // The component's own menu is English only; the window brings its Japanese popup.
    Q_EMIT contextMenuWanted(event->globalPos());
    event->accept();
}

namespace {
// How long after a click the input method's own copy of the committed text is still expected.
constexpr qint64 kInputMethodEchoMs = 2000;
} // namespace

void ScintillaView::inputMethodEvent(QInputMethodEvent* event)
{
    keepCaretInShownText();
    // Asked to reset after a click committed its text, an input method may commit the same text
    // itself (Mozc through IBus does, a moment later, where the click has put the caret): that
    // copy is dropped. Anything else the input method sends means it has moved on.
    if (!m_committedForInputMethod.isEmpty() &&
        (!event->preeditString().isEmpty() || !event->commitString().isEmpty())) {
        const bool echo = event->preeditString().isEmpty() && event->commitString() == m_committedForInputMethod &&
            !m_committedAt.hasExpired(kInputMethodEchoMs);
        m_committedForInputMethod.clear();
        if (echo) {
            event->accept();
            return;
        }
    }
    QsciScintilla::inputMethodEvent(event);
    m_preedit = event->preeditString();
    m_composing = !m_preedit.isEmpty();
}

void ScintillaView::finishComposition()
{
    if (!m_composing)
        return;
    const QString composed = m_preedit;
    QInputMethodEvent commit;
    commit.setCommitString(composed);
    inputMethodEvent(&commit);
    QGuiApplication::inputMethod()->reset();
    m_committedForInputMethod = composed;
    m_committedAt.start();
}
