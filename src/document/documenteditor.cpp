// SPDX-License-Identifier: MIT
#include "documenteditor.h"

#include "richtextview.h"
#include "scintillaview.h"

#include <QDropEvent>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QPointer>
#include <QScrollBar>
#include <QStackedLayout>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextLayout>

namespace {
using Sci = QsciScintillaBase;
} // namespace

DocumentEditor::DocumentEditor(QWidget* parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("RichEdit2"));
    m_stack = new QStackedLayout(this);
    m_stack->setContentsMargins(0, 0, 0, 0);

    m_plainView = new ScintillaView(this);
    m_plainView->setObjectName(QStringLiteral("RichEdit2PlainView"));
    m_richView = new RichTextView(this);
    m_richView->setObjectName(QStringLiteral("RichEdit2RichView"));
    m_stack->addWidget(m_plainView);
    m_stack->addWidget(m_richView);

    connect(m_plainView, &ScintillaView::mousePressed, this, &DocumentEditor::mousePressed);
    connect(m_plainView, &ScintillaView::keyPressing, this, &DocumentEditor::keyPressing);
    connect(m_plainView, &ScintillaView::keyReleased, this, &DocumentEditor::keyReleased);
    connect(m_plainView, &ScintillaView::overtypeChanged, this, &DocumentEditor::overtypeChanged);
    connect(m_plainView, &ScintillaView::contextMenuWanted, this, &DocumentEditor::showContextMenu);
    connect(m_plainView, &QsciScintilla::modificationChanged, this, [this] { setForcedModified(m_forcedModified); });
    // The scroll bar's thumb scrolls through the bar; the view tells about every other scroll.
    connect(m_plainView->verticalScrollBar(), &QScrollBar::valueChanged, this, &DocumentEditor::verticalScrolled);
    connect(m_plainView, &ScintillaView::topLineChanged, this, &DocumentEditor::verticalScrolled);
    m_plainView->viewport()->installEventFilter(this);
    // Keys: what may change the text, and Alt with a letter that opens no menu, which types nothing.
    m_plainView->installEventFilter(this);
    // A zoom changes the line height: the gutter follows as it does a scroll.
    connect(m_plainView, &QsciScintillaBase::SCN_ZOOM, this, &DocumentEditor::verticalScrolled);

    // Lines start at the very top and left of the text area, at every scroll position, so that
    // the ruler and the gutter can line up with them.
    m_richView->document()->setDocumentMargin(0);
    m_richView->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_richView->verticalScrollBar(), &QScrollBar::valueChanged, this, &DocumentEditor::verticalScrolled);
    connect(m_richView, &RichTextView::mousePressed, this, &DocumentEditor::mousePressed);
    connect(m_richView, &RichTextView::keyPressing, this, &DocumentEditor::keyPressing);
    connect(m_richView, &RichTextView::keyReleased, this, &DocumentEditor::keyReleased);
    connect(m_richView, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& pos) { showContextMenu(m_richView->viewport()->mapToGlobal(pos)); });
    // Dropped files open as documents instead of being pasted as text.
    m_richView->viewport()->installEventFilter(this);
    m_richView->installEventFilter(this);

    m_font = m_plainView->font();
    showPlainView();
    setWordWrap(false);
    applyFont();
}

DocumentEditor::~DocumentEditor() = default;

QWidget* DocumentEditor::shownView() const
{
    return m_rich ? static_cast<QWidget*>(m_richView) : static_cast<QWidget*>(m_plainView);
}

void DocumentEditor::showPlainView()
{
    const bool wasRich = m_rich;
    m_rich = false;
    m_stack->setCurrentWidget(m_plainView);
    setFocusProxy(m_plainView);
    if (wasRich) {
        // The rich document is gone for good; do not keep its memory.
        replaceRichDocument(std::make_unique<QTextDocument>());
    }
}

void DocumentEditor::showRichView()
{
    m_rich = true;
    m_stack->setCurrentWidget(m_richView);
    setFocusProxy(m_richView);
    applyTabStops();
}

void DocumentEditor::showContextMenu(const QPoint& globalPos)
{
    if (m_contextMenu)
        m_contextMenu->popup(globalPos);
}

QString DocumentEditor::lastDroppedFile(const QMimeData* mime)
{
    QString last;
    if (mime && mime->hasUrls()) {
        for (const QUrl& url : mime->urls()) {
            if (url.isLocalFile())
                last = url.toLocalFile();
        }
    }
    return last;
}

bool DocumentEditor::movesOnly(const QKeyEvent& key)
{
    switch (key.key()) {
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_Home:
    case Qt::Key_End:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
    case Qt::Key_Shift:
    case Qt::Key_Control:
    case Qt::Key_Alt:
    case Qt::Key_Meta:
    case Qt::Key_Escape:
        return true;
    default:
        return key.matches(QKeySequence::Copy) || key.matches(QKeySequence::SelectAll);
    }
}

bool DocumentEditor::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::KeyPress: {
        // What a menu's Alt+letter did not take is no typing either (AltGr comes without Alt).
        const auto* key = static_cast<QKeyEvent*>(event);
        const Qt::KeyboardModifiers modifiers = key->modifiers();
        if (m_enterActivates && (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) &&
            !(modifiers & (Qt::ControlModifier | Qt::AltModifier | Qt::ShiftModifier))) {
            Q_EMIT enterActivated();
            return true;
        }
        if ((modifiers & Qt::AltModifier) && !(modifiers & Qt::ControlModifier) && !key->text().isEmpty() &&
            key->text().front().isPrint())
            return true;
        if (!movesOnly(*key))
            Q_EMIT textMayChange();
        break;
    }
    case QEvent::DragEnter:
    case QEvent::DragMove: {
        auto* drag = static_cast<QDragMoveEvent*>(event);
        if (lastDroppedFile(drag->mimeData()).isEmpty())
            break;
        drag->acceptProposedAction();
        return true;
    }
    case QEvent::Drop: {
        auto* drop = static_cast<QDropEvent*>(event);
        const QString path = lastDroppedFile(drop->mimeData());
        if (path.isEmpty()) {
            Q_EMIT textMayChange();
            break;
        }
        drop->acceptProposedAction();
        Q_EMIT filesDropped(path);
        return true;
    }
    case QEvent::InputMethod:
        Q_EMIT textMayChange();
        break;
    case QEvent::MouseButtonDblClick:
        Q_EMIT doubleClicked();
        break;
    case QEvent::MouseButtonRelease:
        // A middle click pastes the selection.
        if (static_cast<QMouseEvent*>(event)->button() == Qt::MiddleButton)
            Q_EMIT textMayChange();
        break;
    default:
        break;
    }
    return QWidget::eventFilter(watched, event);
}

QString DocumentEditor::text() const
{
    return m_rich ? m_richView->document()->toPlainText() : m_plainView->wholeText();
}

qsizetype DocumentEditor::textLength() const
{
    return m_rich ? m_richView->document()->characterCount() - 1 : m_plainView->indexLength();
}

void DocumentEditor::textInSlices(const std::function<void(QStringView)>& sink, qsizetype sliceBytes) const
{
    if (m_rich) {
        sink(m_richView->document()->toPlainText());
        return;
    }
    const qsizetype length = m_plainView->byteLength();
    qsizetype from = 0;
    do {
        qsizetype to = qMin(length, from + qMax<qsizetype>(1, sliceBytes));
        if (to < length) {
            // Cut after the line break that ends the slice's last whole line, or after the line.
            const long line = m_plainView->sci(Sci::SCI_LINEFROMPOSITION, to);
            const long lineStart = m_plainView->sci(Sci::SCI_POSITIONFROMLINE, line);
            to = lineStart > from ? lineStart : m_plainView->sci(Sci::SCI_POSITIONFROMLINE, line + 1);
            if (to <= from)
                to = length;
        }
        sink(m_plainView->textBetween(from, to));
        from = to;
    } while (from < length);
}

QByteArray DocumentEditor::plainTextUtf8() const
{
    QByteArray text;
    copyPlainTextUtf8(text);
    return text;
}

void DocumentEditor::copyPlainTextUtf8(QByteArray& into) const
{
    if (m_rich)
        into = m_richView->document()->toPlainText().toUtf8();
    else
        m_plainView->copyUtf8Text(into);
}

qsizetype DocumentEditor::plainTextByteLength() const
{
    return m_rich ? 0 : m_plainView->byteLength();
}

void DocumentEditor::setText(const QString& text)
{
    if (m_rich) {
        m_richView->setPlainText(text);
        // A new text starts with the document's own default font; the tab stops are document-wide.
        applyTabStops();
        return;
    }
    m_plainView->sci(Sci::SCI_SETUNDOCOLLECTION, 0);
    m_plainView->replaceWholeText(text);
    m_plainView->sci(Sci::SCI_SETUNDOCOLLECTION, 1);
    m_plainView->sci(Sci::SCI_EMPTYUNDOBUFFER);
    m_plainView->sci(Sci::SCI_GOTOPOS, 0);
    m_plainView->sci(Sci::SCI_SETSAVEPOINT);
    setForcedModified(false);
}

void DocumentEditor::loadPlainText(const QString& text)
{
    PlainTextLoad load(*this);
    load.append(text);
}

DocumentEditor::PlainTextLoad::PlainTextLoad(DocumentEditor& editor)
    : m_editor(editor)
{
    ScintillaView* view = m_editor.m_plainView;
    m_editor.showPlainView();
    if (view->startEmptyDocument(true))
        m_editor.applyCodeColouring();
    view->sci(Sci::SCI_SETUNDOCOLLECTION, 0);
    view->sci(Sci::SCI_EMPTYUNDOBUFFER);
    // Change notifications for every appended slice cost more than the text itself; nothing
    // listens to them while the document is being built.
    m_eventMask = view->sci(Sci::SCI_GETMODEVENTMASK);
    view->sci(Sci::SCI_SETMODEVENTMASK, 0);
}

DocumentEditor::PlainTextLoad::~PlainTextLoad()
{
    finish();
}

bool DocumentEditor::keepsStyleBytes(qsizetype sourceBytes, CodeLanguage language)
{
    // Only a large text that will not be coloured goes without style bytes: a small one may be
    // saved as code and coloured later.
    constexpr qsizetype kUnstyledBytes = qsizetype(8) << 20;
    return sourceBytes < kUnstyledBytes || language != CodeLanguage::None;
}

void DocumentEditor::PlainTextLoad::append(QStringView slice)
{
    if (m_finished || slice.isEmpty())
        return;
    const QByteArray utf8 = slice.toUtf8();
    m_editor.m_plainView->sciText(Sci::SCI_APPENDTEXT, utf8.size(), utf8.constData());
}

void DocumentEditor::PlainTextLoad::finish()
{
    if (m_finished)
        return;
    m_finished = true;
    m_editor.m_plainView->sci(Sci::SCI_SETMODEVENTMASK, m_eventMask);
    m_editor.settleLoadedPlainText();
}

void DocumentEditor::settleLoadedPlainText()
{
    // The whole text is there now: its lexer, or the rest of its long lines hidden.
    applyCodeColouring();
    m_plainView->sci(Sci::SCI_SETUNDOCOLLECTION, 1);
    m_plainView->sci(Sci::SCI_EMPTYUNDOBUFFER);
    m_plainView->sci(Sci::SCI_GOTOPOS, 0);
    m_plainView->sci(Sci::SCI_SETSAVEPOINT);
    setForcedModified(false);
}

void DocumentEditor::setLineBreaksFor(const pemmo::formats::TextFormat& format)
{
    using pemmo::formats::LineEnding;
    long mode = Sci::SC_EOL_LF;
    if (format.keptLineEndings) {
        mode = format.lineEnding == LineEnding::CrLf ? Sci::SC_EOL_CRLF
            : format.lineEnding == LineEnding::Cr    ? Sci::SC_EOL_CR
                                                     : Sci::SC_EOL_LF;
    }
    m_plainView->sci(Sci::SCI_SETEOLMODE, mode);
}

void DocumentEditor::loadRichText(std::unique_ptr<QTextDocument> document)
{
    replaceRichDocument(std::move(document));
    // The plain text is gone for good; do not keep its memory.
    m_plainView->sci(Sci::SCI_SETUNDOCOLLECTION, 0);
    m_plainView->sci(Sci::SCI_CLEARALL);
    m_plainView->sci(Sci::SCI_SETUNDOCOLLECTION, 1);
    m_plainView->sci(Sci::SCI_EMPTYUNDOBUFFER);
    m_plainView->sci(Sci::SCI_SETSAVEPOINT);
    m_forcedModified = false;
    showRichView();
}

void DocumentEditor::replaceRichDocument(std::unique_ptr<QTextDocument> document)
{
    // The view deletes a document it created itself; the ones we gave it are ours to delete.
    QPointer<QTextDocument> previous = m_richView->document();
    document->setDocumentMargin(0);
    document->setParent(m_richView);
    QTextDocument* taken = document.release();
    m_richView->setDocument(taken);
    m_richView->showKeptGroupMarkers();
    connect(taken, &QTextDocument::modificationChanged, this, [this](bool modified) {
        if (m_rich)
            Q_EMIT modificationChanged(modified);
    });
    if (previous && previous != taken && previous->parent() == m_richView)
        delete previous;
    m_richView->moveCursor(QTextCursor::Start);
}

void DocumentEditor::clear()
{
    loadPlainText(QString());
}

const QTextDocument* DocumentEditor::richDocument() const
{
    return m_rich ? m_richView->document() : nullptr;
}

bool DocumentEditor::isRichText() const
{
    return m_rich;
}

int DocumentEditor::selectionStart() const
{
    if (m_rich)
        return m_richView->textCursor().selectionStart();
    return int(m_plainView->indexFromPosition(m_plainView->sci(Sci::SCI_GETSELECTIONSTART)));
}

int DocumentEditor::selectionLength() const
{
    if (m_rich) {
        const QTextCursor cursor = m_richView->textCursor();
        return cursor.selectionEnd() - cursor.selectionStart();
    }
    return int(m_plainView->indexFromPosition(m_plainView->sci(Sci::SCI_GETSELECTIONEND))) - selectionStart();
}

void DocumentEditor::setSelection(int start, int length)
{
    if (m_rich) {
        QTextCursor cursor(m_richView->document());
        const int last = m_richView->document()->characterCount() - 1;
        const int from = qBound(0, start, last);
        cursor.setPosition(from);
        cursor.setPosition(qBound(0, from + qMax(0, length), last), QTextCursor::KeepAnchor);
        m_richView->setTextCursor(cursor);
        m_richView->ensureCursorVisible();
        return;
    }
    const qsizetype from = m_plainView->positionFromIndex(start);
    const qsizetype to = m_plainView->positionFromIndex(qMax(0, start) + qMax(0, length));
    m_plainView->sci(Sci::SCI_SETSEL, from, to);
    m_plainView->sci(Sci::SCI_SCROLLCARET);
    m_plainView->checkTopLine();
}

QString DocumentEditor::selectedText() const
{
    if (m_rich) {
        // Line breaks inside a selection read as the paragraph separator; give them as plain breaks.
        QString text = m_richView->textCursor().selectedText();
        text.replace(QChar::ParagraphSeparator, u'\n');
        return text;
    }
    return m_plainView->textBetween(m_plainView->sci(Sci::SCI_GETSELECTIONSTART),
                                    m_plainView->sci(Sci::SCI_GETSELECTIONEND));
}

void DocumentEditor::replaceSelection(const QString& text)
{
    Q_EMIT textMayChange();
    if (m_rich) {
        QTextCursor cursor = m_richView->textCursor();
        cursor.insertText(text);
        m_richView->setTextCursor(cursor);
        return;
    }
    const QByteArray bytes = text.toUtf8();
    m_plainView->sciText(Sci::SCI_REPLACESEL, 0, bytes.constData());
}

std::optional<int> DocumentEditor::replaceAll(const QString& text, const QString& replacement, bool matchCase,
                                              bool wholeWord)
{
    Q_EMIT textMayChange();
    if (m_rich)
        return std::nullopt;
    qsizetype lastStart = 0;
    qsizetype lastEnd = 0;
    const int count = m_plainView->replaceEvery(text, replacement, matchCase, wholeWord, &lastStart, &lastEnd);
    if (count > 0)
        m_plainView->sci(Sci::SCI_SETSEL, lastStart, lastEnd);
    else
        m_plainView->sci(Sci::SCI_SETSEL, 0, 0L);
    return count;
}

void DocumentEditor::beginUndoGroup()
{
    if (m_rich)
        QTextCursor(m_richView->document()).beginEditBlock();
    else
        m_plainView->sci(Sci::SCI_BEGINUNDOACTION);
}

void DocumentEditor::endUndoGroup()
{
    if (m_rich)
        QTextCursor(m_richView->document()).endEditBlock();
    else
        m_plainView->sci(Sci::SCI_ENDUNDOACTION);
}

void DocumentEditor::removeAllText()
{
    Q_EMIT textMayChange();
    if (m_rich) {
        QTextCursor cursor(m_richView->document());
        cursor.select(QTextCursor::Document);
        cursor.removeSelectedText();
        return;
    }
    // Clearing is one delete, and so one undo step.
    m_plainView->sci(Sci::SCI_CLEARALL);
}

int DocumentEditor::findText(const QString& text, int from, bool matchCase, bool wholeWord) const
{
    if (m_rich) {
        QTextDocument::FindFlags flags;
        if (matchCase)
            flags |= QTextDocument::FindCaseSensitively;
        if (wholeWord)
            flags |= QTextDocument::FindWholeWords;
        const QTextCursor found = m_richView->document()->find(text, from, flags);
        return found.isNull() ? -1 : found.selectionStart();
    }
    const qsizetype found = m_plainView->findFrom(text.toUtf8(), m_plainView->positionFromIndex(from), matchCase,
                                                  wholeWord);
    return found < 0 ? -1 : int(m_plainView->indexFromPosition(found));
}

int DocumentEditor::findTextBefore(const QString& text, int before, bool matchCase, bool wholeWord) const
{
    if (m_rich) {
        // Rich documents are small: step forward to the last match in front of the position.
        int last = -1;
        for (int at = findText(text, 0, matchCase, wholeWord); at >= 0 && at < before;
             at = findText(text, at + 1, matchCase, wholeWord))
            last = at;
        return last;
    }
    const qsizetype found = m_plainView->findBefore(text.toUtf8(), m_plainView->positionFromIndex(before), matchCase,
                                                    wholeWord);
    return found < 0 ? -1 : int(m_plainView->indexFromPosition(found));
}

void DocumentEditor::undo()
{
    Q_EMIT textMayChange();
    if (m_rich)
        m_richView->undo();
    else
        m_plainView->undo();
}

void DocumentEditor::redo()
{
    Q_EMIT textMayChange();
    if (m_rich)
        m_richView->redo();
    else
        m_plainView->redo();
}

void DocumentEditor::cut()
{
    Q_EMIT textMayChange();
    if (m_rich)
        m_richView->cut();
    else
        m_plainView->cut();
}

void DocumentEditor::copy()
{
    if (m_rich)
        m_richView->copy();
    else
        m_plainView->copy();
}

void DocumentEditor::paste()
{
    Q_EMIT textMayChange();
    if (m_rich)
        m_richView->paste();
    else
        m_plainView->paste();
}

void DocumentEditor::selectAll()
{
    if (m_rich)
        m_richView->selectAll();
    else
        m_plainView->selectAll();
}

void DocumentEditor::focusText()
{
    shownView()->setFocus();
}

bool DocumentEditor::isUndoAvailable() const
{
    return m_rich ? m_richView->document()->isUndoAvailable() : m_plainView->sci(Sci::SCI_CANUNDO) != 0;
}

bool DocumentEditor::isModified() const
{
    if (m_rich)
        return m_richView->document()->isModified();
    return m_forcedModified || m_plainView->sci(Sci::SCI_GETMODIFY) != 0;
}

void DocumentEditor::setModified(bool modified)
{
    if (m_rich) {
        m_richView->document()->setModified(modified);
        return;
    }
    if (!modified)
        m_plainView->sci(Sci::SCI_SETSAVEPOINT);
    setForcedModified(modified);
}

void DocumentEditor::setForcedModified(bool modified)
{
    // The plain view's flag is told once per change, whatever moved it.
    m_forcedModified = modified;
    const bool now = isModified();
    const bool changed = now != m_reportedModified;
    m_reportedModified = now;
    if (!m_rich && changed)
        Q_EMIT modificationChanged(now);
}
