// SPDX-License-Identifier: MIT
#include "documenteditor.h"

#include "richtextview.h"
#include "scintilla/scintillaview.h"

#include <QDropEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QScrollBar>
#include <QStackedLayout>
#include <QTextDocument>

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
    // The view tells about every scroll but the scroll bar's own, and about a zoom, which changes
    // the line height: the gutter follows both.
    connect(m_plainView, &ScintillaView::topLineChanged, this, &DocumentEditor::verticalScrolled);

    m_richView->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_richView, &RichTextView::mousePressed, this, &DocumentEditor::mousePressed);
    connect(m_richView, &RichTextView::keyPressing, this, &DocumentEditor::keyPressing);
    connect(m_richView, &RichTextView::keyReleased, this, &DocumentEditor::keyReleased);
    connect(m_richView, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& pos) { showContextMenu(m_richView->viewport()->mapToGlobal(pos)); });

    // Only the view shown speaks for the document's modified flag.
    connect(m_plainView, &ScintillaView::modifiedChanged, this, [this](bool modified) {
        if (m_shown == m_plainView)
            Q_EMIT modificationChanged(modified);
    });
    connect(m_richView, &RichTextView::modifiedChanged, this, [this](bool modified) {
        if (m_shown == m_richView)
            Q_EMIT modificationChanged(modified);
    });
    for (EditorView* view : views()) {
        QAbstractScrollArea* area = view->scrollArea();
        // The scroll bar's thumb scrolls through the bar.
        connect(area->verticalScrollBar(), &QScrollBar::valueChanged, this, &DocumentEditor::verticalScrolled);
        // Dropped files open as documents instead of being pasted as text.
        area->viewport()->installEventFilter(this);
        // Keys: what may change the text, and Alt with a letter that opens no menu, which types nothing.
        area->installEventFilter(this);
    }

    m_font = m_plainView->font();
    showView(m_plainView);
    setWordWrap(false);
    applyFont();
    applyTabStops();
}

DocumentEditor::~DocumentEditor() = default;

std::array<EditorView*, 2> DocumentEditor::views() const
{
    return { m_plainView, m_richView };
}

void DocumentEditor::showView(EditorView* view)
{
    EditorView* previous = m_shown;
    m_shown = view;
    m_stack->setCurrentWidget(view->scrollArea());
    setFocusProxy(view->scrollArea());
    // The other view's document is gone for good; do not keep its memory.
    if (previous && previous != view)
        previous->dropDocument();
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
    return m_shown->wholeText();
}

qsizetype DocumentEditor::textLength() const
{
    return m_shown->textLength();
}

void DocumentEditor::textInSlices(const std::function<void(QStringView)>& sink, qsizetype sliceBytes) const
{
    m_shown->textInSlices(sink, sliceBytes);
}

QByteArray DocumentEditor::plainTextUtf8() const
{
    QByteArray text;
    copyPlainTextUtf8(text);
    return text;
}

QByteArray DocumentEditor::plainTextUtf8(qsizetype from, qsizetype length) const
{
    return m_shown->utf8Range(from, length);
}

void DocumentEditor::copyPlainTextUtf8(QByteArray& into) const
{
    m_shown->copyUtf8Text(into);
}

qsizetype DocumentEditor::plainTextByteLength() const
{
    return m_shown->utf8Length();
}

void DocumentEditor::setText(const QString& text)
{
    m_shown->resetText(text);
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
    m_editor.showView(view);
    if (view->startEmptyDocument(true))
        m_editor.applyCodeColouring();
    view->beginAppending();
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
    m_editor.m_plainView->appendUtf8(slice.toUtf8());
}

void DocumentEditor::PlainTextLoad::finish()
{
    if (m_finished)
        return;
    m_finished = true;
    m_editor.m_plainView->endAppending();
    m_editor.settleLoadedPlainText();
}

void DocumentEditor::settleLoadedPlainText()
{
    // The whole text is there now: its lexer, or the rest of its long lines hidden.
    applyCodeColouring();
    m_plainView->settleLoadedText();
}

void DocumentEditor::setLineBreaksFor(const pemmo::formats::TextFormat& format)
{
    m_plainView->setLineBreaksFor(format);
}

void DocumentEditor::loadRichText(std::unique_ptr<QTextDocument> document)
{
    m_richView->adoptDocument(std::move(document));
    showView(m_richView);
}

void DocumentEditor::clear()
{
    loadPlainText(QString());
}

const QTextDocument* DocumentEditor::richDocument() const
{
    return m_shown->richDocument();
}

bool DocumentEditor::isRichText() const
{
    return m_shown->richDocument() != nullptr;
}

int DocumentEditor::selectionStart() const
{
    return m_shown->selectionStart();
}

int DocumentEditor::selectionLength() const
{
    return m_shown->selectionLength();
}

void DocumentEditor::setSelection(int start, int length)
{
    m_shown->selectRange(start, length);
}

QString DocumentEditor::selectedText() const
{
    return m_shown->selectedPlainText();
}

void DocumentEditor::replaceSelection(const QString& text)
{
    Q_EMIT textMayChange();
    m_shown->replaceSelection(text);
}

std::optional<int> DocumentEditor::replaceAll(const QString& text, const QString& replacement,
                                              const SearchOptions& options)
{
    Q_EMIT textMayChange();
    return m_shown->replaceAll(text, replacement, options);
}

void DocumentEditor::beginUndoGroup()
{
    m_shown->beginUndoGroup();
}

void DocumentEditor::endUndoGroup()
{
    m_shown->endUndoGroup();
}

void DocumentEditor::removeAllText()
{
    Q_EMIT textMayChange();
    m_shown->removeAllText();
}

TextRange DocumentEditor::findText(const QString& text, int from, const SearchOptions& options) const
{
    return m_shown->findText(text, from, options);
}

void DocumentEditor::undo()
{
    Q_EMIT textMayChange();
    m_shown->undo();
}

void DocumentEditor::redo()
{
    Q_EMIT textMayChange();
    m_shown->redo();
}

void DocumentEditor::cut()
{
    Q_EMIT textMayChange();
    m_shown->cut();
}

void DocumentEditor::copy()
{
    m_shown->copy();
}

void DocumentEditor::paste()
{
    Q_EMIT textMayChange();
    m_shown->paste();
}

void DocumentEditor::selectAll()
{
    m_shown->selectWholeText();
}

void DocumentEditor::focusText()
{
    m_shown->scrollArea()->setFocus();
}

bool DocumentEditor::isUndoAvailable() const
{
    return m_shown->canUndo();
}

bool DocumentEditor::isModified() const
{
    return m_shown->isTextModified();
}

void DocumentEditor::setModified(bool modified)
{
    m_shown->setTextModified(modified);
}
