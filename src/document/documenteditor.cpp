// SPDX-License-Identifier: MIT
#include "documenteditor.h"

#include "plaintextview.h"
#include "richtextview.h"

#include <QDropEvent>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QMenu>
#include <QMimeData>
#include <QPointer>
#include <QScrollBar>
#include <QStackedLayout>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextLayout>

#include <type_traits>

// What differs between the plain-text and the rich-text view; everything else works on the
// QTextDocument they share the interface of.
class DocumentEditor::View
{
public:
    virtual ~View() = default;
    virtual QAbstractScrollArea* widget() const = 0;
    virtual QTextDocument* document() const = 0;
    virtual QTextCursor textCursor() const = 0;
    virtual void setTextCursor(const QTextCursor& cursor) = 0;
    virtual void setText(const QString& text) = 0;
    virtual QRect cursorRect() const = 0;
    virtual int firstVisibleLine(const DocumentEditor& editor) const = 0;
    virtual void undo() = 0;
    virtual void redo() = 0;
    virtual void cut() = 0;
    virtual void copy() = 0;
    virtual void paste() = 0;
    virtual void selectAll() = 0;
    virtual void setWordWrap(bool wrap) = 0;
    virtual bool wordWrap() const = 0;
    virtual void mergeCurrentCharFormat(const QTextCharFormat& format) = 0;
};

template <class Widget>
class DocumentEditor::ViewFor final : public DocumentEditor::View
{
public:
    explicit ViewFor(Widget* widget)
        : m_widget(widget)
    { }
    QAbstractScrollArea* widget() const override { return m_widget; }
    QTextDocument* document() const override { return m_widget->document(); }
    QTextCursor textCursor() const override { return m_widget->textCursor(); }
    void setTextCursor(const QTextCursor& cursor) override
    {
        m_widget->setTextCursor(cursor);
        m_widget->ensureCursorVisible();
    }
    void setText(const QString& text) override { m_widget->setPlainText(text); }
    QRect cursorRect() const override { return m_widget->cursorRect(); }
    int firstVisibleLine(const DocumentEditor& editor) const override
    {
        if constexpr (std::is_base_of_v<QPlainTextEdit, Widget>) {
            Q_UNUSED(editor);
            // A plain-text view scrolls by whole lines: its scroll value is the top line.
            return m_widget->verticalScrollBar()->value();
        } else {
            return editor.lineFromChar(m_widget->cursorForPosition(QPoint(0, 0)).position());
        }
    }
    void undo() override { m_widget->undo(); }
    void redo() override { m_widget->redo(); }
    void cut() override { m_widget->cut(); }
    void copy() override { m_widget->copy(); }
    void paste() override { m_widget->paste(); }
    void selectAll() override { m_widget->selectAll(); }
    void setWordWrap(bool wrap) override
    {
        m_widget->setLineWrapMode(wrap ? Widget::WidgetWidth : Widget::NoWrap);
        m_widget->setHorizontalScrollBarPolicy(wrap ? Qt::ScrollBarAlwaysOff : Qt::ScrollBarAsNeeded);
    }
    bool wordWrap() const override { return m_widget->lineWrapMode() != Widget::NoWrap; }
    void mergeCurrentCharFormat(const QTextCharFormat& format) override { m_widget->mergeCurrentCharFormat(format); }

private:
    Widget* m_widget;
};

DocumentEditor::DocumentEditor(QWidget* parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("RichEdit2"));
    m_stack = new QStackedLayout(this);
    m_stack->setContentsMargins(0, 0, 0, 0);

    m_plainView = new PlainTextView(this);
    m_plainView->setObjectName(QStringLiteral("RichEdit2PlainView"));
    m_richView = new RichTextView(this);
    m_richView->setObjectName(QStringLiteral("RichEdit2RichView"));
    m_plainAdapter = std::make_unique<ViewFor<QPlainTextEdit>>(m_plainView);
    m_richAdapter = std::make_unique<ViewFor<QTextEdit>>(m_richView);
    wireView(m_plainView);
    wireView(m_richView);
    connect(m_plainView, &QPlainTextEdit::modificationChanged, this, &DocumentEditor::modificationChanged);
    // Paging and caret moves scroll a plain-text view with its scroll bar's signals blocked; its
    // update request still tells about every scroll.
    connect(m_plainView, &QPlainTextEdit::updateRequest, this, [this](const QRect&, int dy) {
        if (dy != 0)
            Q_EMIT verticalScrolled();
    });

    showView(m_plainAdapter.get());
    setWordWrap(false);
    applyColours();
}

template <class Widget>
void DocumentEditor::wireView(Widget* view)
{
    // Lines start at the very top and left of the text area, at every scroll position, so that
    // the ruler and the gutter can line up with them.
    view->document()->setDocumentMargin(0);
    view->setContextMenuPolicy(Qt::CustomContextMenu);
    m_stack->addWidget(view);
    connect(view->verticalScrollBar(), &QScrollBar::valueChanged, this, &DocumentEditor::verticalScrolled);
    connect(view, &Widget::mousePressed, this, &DocumentEditor::mousePressed);
    connect(view, &Widget::keyPressing, this, &DocumentEditor::keyPressing);
    connect(view, &Widget::keyReleased, this, &DocumentEditor::keyReleased);
    connect(view, &QWidget::customContextMenuRequested, this, [this, view](const QPoint& pos) {
        if (m_contextMenu)
            m_contextMenu->popup(view->viewport()->mapToGlobal(pos));
    });
    // Dropped files open as documents instead of being pasted as text.
    view->viewport()->installEventFilter(this);
}

void DocumentEditor::showView(View* view)
{
    m_view = view;
    m_stack->setCurrentWidget(view->widget());
    setFocusProxy(view->widget());
    applyTabStops();
}

DocumentEditor::~DocumentEditor() = default;

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

bool DocumentEditor::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
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
        if (path.isEmpty())
            break;
        drop->acceptProposedAction();
        Q_EMIT filesDropped(path);
        return true;
    }
    default:
        break;
    }
    return QWidget::eventFilter(watched, event);
}

QString DocumentEditor::text() const
{
    return m_view->document()->toPlainText();
}

void DocumentEditor::setText(const QString& text)
{
    m_view->setText(text);
    // A new text starts with the document's own default font; the tab stops are document-wide.
    applyTabStops();
}

void DocumentEditor::loadPlainText(const QString& text)
{
    PlainTextLoad load(*this);
    load.append(text);
}

void DocumentEditor::showPlainView()
{
    if (!isRichText())
        return;
    showView(m_plainAdapter.get());
    // The rich document is gone for good; do not keep its memory.
    replaceRichDocument(std::make_unique<QTextDocument>());
}

DocumentEditor::PlainTextLoad::PlainTextLoad(DocumentEditor& editor)
    : m_editor(editor)
    , m_verticalPolicy(editor.m_plainView->verticalScrollBarPolicy())
{
    PlainTextView* view = m_editor.m_plainView;
    // Emptying through the view resets its caret and typing format as a new text does.
    view->setPlainText(QString());
    m_editor.showPlainView();
    // The tab stops go into the document's options while it is empty: setting them later
    // sends the layout over every block again.
    m_editor.applyTabStops();
    // A view whose width changes lays out every block of its document again, creating a text
    // layout for each: on a large file that costs a second and hundreds of megabytes. The
    // scroll bar that a long text brings would change the width, so it is there from the start.
    view->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    QTextDocument* document = view->document();
    document->setUndoRedoEnabled(false);
    // The caret stays at the start while the text goes in after it, instead of being carried
    // to the end and scrolled after.
    QTextCursor caret = view->textCursor();
    caret.setKeepPositionOnInsert(true);
    view->setTextCursor(caret);
    m_cursor = QTextCursor(document);
    m_format = m_cursor.charFormat();
    m_cursor.beginEditBlock();
}

DocumentEditor::PlainTextLoad::~PlainTextLoad()
{
    finish();
}

void DocumentEditor::PlainTextLoad::append(QStringView slice)
{
    if (!m_finished && !slice.isEmpty())
        m_cursor.insertText(slice.toString(), m_format);
}

void DocumentEditor::PlainTextLoad::finish()
{
    if (m_finished)
        return;
    m_finished = true;
    PlainTextView* view = m_editor.m_plainView;
    QTextDocument* document = view->document();
    // One change for the layout and the listeners, for the whole text.
    m_cursor.endEditBlock();
    m_cursor = QTextCursor();
    document->setUndoRedoEnabled(true);
    document->setModified(false);
    view->setVerticalScrollBarPolicy(m_verticalPolicy);
    view->setTextCursor(QTextCursor(document));
    view->ensureCursorVisible();
}

void DocumentEditor::loadRichText(std::unique_ptr<QTextDocument> document)
{
    replaceRichDocument(std::move(document));
    m_plainView->clear();
    showView(m_richAdapter.get());
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
    connect(taken, &QTextDocument::modificationChanged, this, &DocumentEditor::modificationChanged);
    if (previous && previous != taken && previous->parent() == m_richView)
        delete previous;
    m_richView->moveCursor(QTextCursor::Start);
}

void DocumentEditor::clear()
{
    loadPlainText(QString());
}

void DocumentEditor::removeAllText()
{
    QTextCursor cursor(m_view->document());
    cursor.select(QTextCursor::Document);
    cursor.removeSelectedText();
}

QTextDocument* DocumentEditor::document() const
{
    return m_view->document();
}

bool DocumentEditor::isRichText() const
{
    return m_view == m_richAdapter.get();
}

int DocumentEditor::selectionStart() const
{
    return m_view->textCursor().selectionStart();
}

int DocumentEditor::selectionLength() const
{
    const QTextCursor cursor = m_view->textCursor();
    return cursor.selectionEnd() - cursor.selectionStart();
}

void DocumentEditor::setSelection(int start, int length)
{
    QTextCursor cursor(m_view->document());
    const int last = m_view->document()->characterCount() - 1;
    const int from = qBound(0, start, last);
    cursor.setPosition(from);
    cursor.setPosition(qBound(0, from + qMax(0, length), last), QTextCursor::KeepAnchor);
    m_view->setTextCursor(cursor);
}

int DocumentEditor::lineFromChar(int index) const
{
    const QTextDocument* doc = m_view->document();
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

int DocumentEditor::lineIndex(int line) const
{
    const QTextDocument* doc = m_view->document();
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

int DocumentEditor::lineCount() const
{
    if (!wordWrap())
        return m_view->document()->blockCount();
    int count = 0;
    for (QTextBlock b = m_view->document()->firstBlock(); b.isValid(); b = b.next())
        count += qMax(1, b.lineCount());
    return count;
}

int DocumentEditor::firstVisibleLine() const
{
    return m_view->firstVisibleLine(*this);
}

int DocumentEditor::findText(const QString& text, int from, bool matchCase, bool wholeWord) const
{
    QTextDocument::FindFlags flags;
    if (matchCase)
        flags |= QTextDocument::FindCaseSensitively;
    if (wholeWord)
        flags |= QTextDocument::FindWholeWords;
    const QTextCursor found = m_view->document()->find(text, from, flags);
    return found.isNull() ? -1 : found.selectionStart();
}

void DocumentEditor::undo()
{
    m_view->undo();
}

void DocumentEditor::redo()
{
    m_view->redo();
}

void DocumentEditor::cut()
{
    m_view->cut();
}

void DocumentEditor::copy()
{
    m_view->copy();
}

void DocumentEditor::paste()
{
    m_view->paste();
}

void DocumentEditor::selectAll()
{
    m_view->selectAll();
}

void DocumentEditor::focusText()
{
    m_view->widget()->setFocus();
}

bool DocumentEditor::isUndoAvailable() const
{
    return m_view->document()->isUndoAvailable();
}

bool DocumentEditor::isModified() const
{
    return m_view->document()->isModified();
}

void DocumentEditor::setModified(bool modified)
{
    m_view->document()->setModified(modified);
}

QFont DocumentEditor::editorFont() const
{
    return m_view->widget()->font();
}

void DocumentEditor::setEditorFont(const QFont& font)
{
    m_plainView->setFont(font);
    m_richView->setFont(font);
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
    for (QWidget* view : { static_cast<QWidget*>(m_plainView), static_cast<QWidget*>(m_richView) }) {
        QPalette palette = view->palette();
        for (const auto group : { QPalette::Active, QPalette::Inactive }) {
            palette.setColor(group, QPalette::Text, m_textColour.toColour(system));
            palette.setColor(group, QPalette::Base, m_backgroundColour.toColour(system));
        }
        view->setPalette(palette);
    }
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
    const QFont font = m_view->widget()->font();
    const qreal points = font.pointSizeF() > 0 ? font.pointSizeF() : font.pixelSize() * 72.0 / logicalDpiY();
    const qreal halfCellPoints = points / 2;
    const qreal cellPixels = QFontMetricsF(font).horizontalAdvance(QLatin1Char('A'));
    const qreal pixelsPerPoint = halfCellPoints > 0 && cellPixels > 0 ? cellPixels / halfCellPoints
                                                                      : m_plainView->logicalDpiX() / 72.0;
    QList<QTextOption::Tab> tabs;
    for (const int stop : m_tabStops)
        tabs.append(QTextOption::Tab(stop * pixelsPerPoint, QTextOption::LeftTab));
    QTextDocument* doc = m_view->document();
    QTextOption option = doc->defaultTextOption();
    option.setTabs(tabs);
    const int spacing = m_tabStops[1] - m_tabStops[0];
    if (spacing > 0)
        option.setTabStopDistance(spacing * pixelsPerPoint);
    doc->setDefaultTextOption(option);
}

void DocumentEditor::setWordWrap(bool wrap)
{
    m_plainAdapter->setWordWrap(wrap);
    m_richAdapter->setWordWrap(wrap);
}

bool DocumentEditor::wordWrap() const
{
    return m_view->wordWrap();
}

QTextCharFormat DocumentEditor::selectionCharFormat() const
{
    return m_view->textCursor().charFormat();
}

void DocumentEditor::mergeSelectionCharFormat(const QTextCharFormat& format)
{
    m_view->mergeCurrentCharFormat(format);
}

QRect DocumentEditor::caretRect() const
{
    return m_view->cursorRect();
}

QPoint DocumentEditor::textAreaOffset() const
{
    return m_view->widget()->viewport()->mapTo(this, QPoint(0, 0));
}

QScrollBar* DocumentEditor::verticalScrollBar() const
{
    return m_view->widget()->verticalScrollBar();
}

void DocumentEditor::setContextMenu(QMenu* menu)
{
    m_contextMenu = menu;
}
