// SPDX-License-Identifier: MIT
#include "scintillaview.h"

#include "scintillaaccessible.h"

#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QInputMethod>
#include <QInputMethodEvent>
#include <QScrollBar>
#include <QWheelEvent>

#include <cstring>

namespace {
using Sci = QsciScintillaBase;
} // namespace

ScintillaView::ScintillaView(QWidget* parent)
    : QsciScintilla(parent)
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
    if (sci(Sci::SCI_GETDOCUMENTOPTIONS) == options) {
        sci(Sci::SCI_CLEARALL);
        // A new text starts with breaks as '\n', whatever the previous file kept.
        sci(Sci::SCI_SETEOLMODE, Sci::SC_EOL_LF);
        return false;
    }
    // These settings belong to the document, not to the view: carry them over.
    const long tabWidth = sci(Sci::SCI_GETTABWIDTH);
    const long document = sci(Sci::SCI_CREATEDOCUMENT, 0, options);
    sci(Sci::SCI_SETDOCPOINTER, 0, document);
    // The view holds the document now; drop the reference the creation gave us.
    sci(Sci::SCI_RELEASEDOCUMENT, 0, document);
    setUpDocument();
    sci(Sci::SCI_SETTABWIDTH, tabWidth);
    return true;
}

void ScintillaView::prepareDocument(void* document)
{
    if (!m_preparer)
        m_preparer = std::make_unique<QsciScintillaBase>();
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

qsizetype ScintillaView::findFrom(const QByteArray& needle, qsizetype from, bool matchCase, bool wholeWord) const
{
    return searchRange(needle, from, byteLength(), matchCase, wholeWord);
}

qsizetype ScintillaView::findBefore(const QByteArray& needle, qsizetype before, bool matchCase, bool wholeWord) const
{
    // A target that runs backwards makes the component search from its end towards its start.
    return searchRange(needle, qMin(before, byteLength()), 0, matchCase, wholeWord);
}

qsizetype ScintillaView::searchRange(const QByteArray& needle, qsizetype from, qsizetype to, bool matchCase,
                                     bool wholeWord) const
{
    if (needle.isEmpty())
        return -1;
    int flags = 0;
    if (matchCase)
        flags |= Sci::SCFIND_MATCHCASE;
    if (wholeWord)
        flags |= Sci::SCFIND_WHOLEWORD;
    // The target is the component's own state; a search must not disturb one a caller has set.
    const long targetStart = sci(Sci::SCI_GETTARGETSTART);
    const long targetEnd = sci(Sci::SCI_GETTARGETEND);
    sci(Sci::SCI_SETSEARCHFLAGS, flags);
    sci(Sci::SCI_SETTARGETRANGE, from, to);
    const long found = sciText(Sci::SCI_SEARCHINTARGET, needle.size(), needle.constData());
    sci(Sci::SCI_SETTARGETRANGE, targetStart, targetEnd);
    return found;
}

int ScintillaView::replaceEvery(const QString& needle, const QString& replacement, bool matchCase, bool wholeWord,
                                qsizetype* lastStart, qsizetype* lastEnd)
{
    const QByteArray find = needle.toUtf8();
    const QByteArray replace = replacement.toUtf8();
    if (find.isEmpty())
        return 0;
    int flags = 0;
    if (matchCase)
        flags |= Sci::SCFIND_MATCHCASE;
    if (wholeWord)
        flags |= Sci::SCFIND_WHOLEWORD;
    sci(Sci::SCI_SETSEARCHFLAGS, flags);
    int count = 0;
    sci(Sci::SCI_BEGINUNDOACTION);
    if (matchCase && !wholeWord) {
        count = replaceMatches(matchesOf(find), find.size(), replace, lastStart, lastEnd);
    } else {
        // Whether a match is a whole word depends on the text before it, which may be an
        // earlier replacement, and a match that ignores case may differ from the needle in
        // length: search the text as it is after every replacement.
        long from = 0;
        while (true) {
            sci(Sci::SCI_SETTARGETRANGE, from, byteLength());
            if (sciText(Sci::SCI_SEARCHINTARGET, find.size(), find.constData()) < 0)
                break;
            sciText(Sci::SCI_REPLACETARGET, replace.size(), replace.constData());
            ++count;
            *lastStart = sci(Sci::SCI_GETTARGETSTART);
            from = sci(Sci::SCI_GETTARGETEND);
            *lastEnd = from;
        }
    }
    sci(Sci::SCI_ENDUNDOACTION);
    return count;
}

QList<qsizetype> ScintillaView::matchesOf(const QByteArray& find) const
{
    // A byte search finds what the component's case-sensitive search finds (a needle of whole
    // UTF-8 characters only matches at character starts), many times faster.
    QList<qsizetype> starts;
    const QByteArrayView text(reinterpret_cast<const char*>(sci(Sci::SCI_GETCHARACTERPOINTER)), byteLength());
    for (qsizetype at = text.indexOf(find); at >= 0; at = text.indexOf(find, at + find.size()))
        starts.append(at);
    return starts;
}

int ScintillaView::replaceMatches(const QList<qsizetype>& starts, qsizetype findLength, const QByteArray& replace,
                                  qsizetype* lastStart, qsizetype* lastEnd)
{
    // Matches close together are replaced as one stretch of text: one change to the component
    // instead of two per match. A stretch stays short, so that the undo record of a few matches
    // far apart stays small.
    constexpr qsizetype kJoinGap = 1024;
    constexpr qsizetype kStretchBytes = qsizetype(1) << 20;
    const qsizetype shift = replace.size() - findLength;
    qsizetype moved = 0; // how far the text after the replacements so far has moved
    QByteArray stretch;
    for (qsizetype first = 0; first < starts.size();) {
        qsizetype last = first;
        while (last + 1 < starts.size() && starts[last + 1] - (starts[last] + findLength) <= kJoinGap &&
               starts[last + 1] + findLength - starts[first] <= kStretchBytes)
            ++last;
        const qsizetype begin = starts[first] + moved;
        const qsizetype end = starts[last] + findLength + moved;
        const auto* text = reinterpret_cast<const char*>(sci(Sci::SCI_GETRANGEPOINTER, begin, end - begin));
        stretch.resize(0);
        for (qsizetype i = first; i <= last; ++i) {
            stretch.append(replace);
            if (i < last) {
                const qsizetype gapStart = starts[i] + findLength - starts[first];
                stretch.append(text + gapStart, starts[i + 1] - starts[i] - findLength);
            }
        }
        sci(Sci::SCI_SETTARGETRANGE, begin, end);
        sciText(Sci::SCI_REPLACETARGET, stretch.size(), stretch.constData());
        moved += shift * (last - first + 1);
        // The last match of the stretch, where it is now.
        *lastStart = starts[last] + moved - shift;
        *lastEnd = *lastStart + replace.size();
        first = last + 1;
    }
    return int(starts.size());
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
