// SPDX-License-Identifier: MIT
#include "richtextview.h"

#include "document/listlabelplaces.h"
#include "document/regexsearch.h"
#include "formats/rtfreader.h"

#include <QAbstractTextDocumentLayout>
#include <QFontMetricsF>
#include <QPaintEvent>
#include <QPainter>
#include <QPointer>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextLayout>
#include <QTextObjectInterface>

namespace {

// A footnote or comment the view cannot show is drawn as a small raised asterisk.
class KeptGroupMarker final : public QObject, public QTextObjectInterface
{
    Q_OBJECT
    Q_INTERFACES(QTextObjectInterface)
public:
    QSizeF intrinsicSize(QTextDocument*, int, const QTextFormat& format) override
    {
        const QFontMetricsF metrics(format.toCharFormat().font());
        return { metrics.horizontalAdvance(u'*') + 2, metrics.height() };
    }
    void drawObject(QPainter* painter, const QRectF& rect, QTextDocument*, int, const QTextFormat& format) override
    {
        painter->save();
        QFont font = format.toCharFormat().font();
        font.setPointSizeF(font.pointSizeF() * 0.8);
        painter->setFont(font);
        painter->setPen(Qt::darkGray);
        painter->drawText(rect, Qt::AlignLeft | Qt::AlignTop, QStringLiteral("*"));
        painter->restore();
    }
};

TextRange findForward(const QTextDocument& document, const QString& text, int from, const SearchOptions& options)
{
    QTextDocument::FindFlags flags;
    if (options.matchCase)
        flags |= QTextDocument::FindCaseSensitively;
    if (options.wholeWord)
        flags |= QTextDocument::FindWholeWords;
    const QTextCursor found = document.find(text, from, flags);
    if (found.isNull())
        return {};
    return { found.selectionStart(), found.selectionEnd() - found.selectionStart() };
}

} // namespace

RichTextView::RichTextView(QWidget* parent)
    : QTextEdit(parent)
    , m_marker(std::make_unique<KeptGroupMarker>())
{
    // Lines start at the very top and left of the text area, at every scroll position, so that
    // the ruler and the gutter can line up with them.
    document()->setDocumentMargin(0);
}

RichTextView::~RichTextView() = default;

void RichTextView::adoptDocument(std::unique_ptr<QTextDocument> document)
{
    // The view deletes a document it created itself; the ones we gave it are ours to delete.
    QPointer<QTextDocument> previous = this->document();
    document->setDocumentMargin(0);
    document->setParent(this);
    QTextDocument* taken = document.release();
    setDocument(taken);
    taken->documentLayout()->registerHandler(pemmo::formats::kRtfKeptGroupObjectType, m_marker.get());
    connect(taken, &QTextDocument::modificationChanged, this, &RichTextView::modifiedChanged);
    // Paragraphs added to or taken from a list renumber the ones after them, which Qt does not repaint.
    m_drawsListLabels = false;
    for (const QTextFormat& format : taken->allFormats())
        m_drawsListLabels = m_drawsListLabels || (format.isBlockFormat() && format.hasProperty(QTextFormat::ListStyle));
    connect(taken, &QTextDocument::contentsChanged, this, [this] {
        if (m_drawsListLabels)
            viewport()->update();
    });
    if (previous && previous != taken && previous->parent() == this)
        delete previous;
    moveCursor(QTextCursor::Start);
    setTabStops(m_tabStops, m_tabFont);
}

void RichTextView::dropDocument()
{
    // The rich document is gone for good; do not keep its memory.
    adoptDocument(std::make_unique<QTextDocument>());
}

QString RichTextView::wholeText() const
{
    return document()->toPlainText();
}

qsizetype RichTextView::textLength() const
{
    return document()->characterCount() - 1;
}

void RichTextView::textInSlices(const std::function<void(QStringView)>& sink, qsizetype) const
{
    sink(wholeText());
}

QByteArray RichTextView::utf8Range(qsizetype from, qsizetype length) const
{
    return document()->toPlainText().toUtf8().mid(from, length);
}

void RichTextView::copyUtf8Text(QByteArray& into) const
{
    into = wholeText().toUtf8();
}

void RichTextView::resetText(const QString& text)
{
    setPlainText(text);
    // A new text starts with the document's own default font; the tab stops are document-wide.
    setTabStops(m_tabStops, m_tabFont);
}

void RichTextView::removeAllText()
{
    QTextCursor cursor(document());
    cursor.select(QTextCursor::Document);
    cursor.removeSelectedText();
}

int RichTextView::selectionStart() const
{
    return textCursor().selectionStart();
}

int RichTextView::selectionLength() const
{
    const QTextCursor cursor = textCursor();
    return cursor.selectionEnd() - cursor.selectionStart();
}

void RichTextView::selectRange(int start, int length)
{
    QTextCursor cursor(document());
    const int last = document()->characterCount() - 1;
    const int from = qBound(0, start, last);
    cursor.setPosition(from);
    cursor.setPosition(qBound(0, from + qMax(0, length), last), QTextCursor::KeepAnchor);
    setTextCursor(cursor);
    ensureCursorVisible();
}

QString RichTextView::selectedPlainText() const
{
    // Line breaks inside a selection read as the paragraph separator; give them as plain breaks.
    QString text = textCursor().selectedText();
    text.replace(QChar::ParagraphSeparator, u'\n');
    return text;
}

void RichTextView::replaceSelection(const QString& text)
{
    QTextCursor cursor = textCursor();
    cursor.insertText(text);
    setTextCursor(cursor);
}

TextRange RichTextView::findText(const QString& text, int from, const SearchOptions& options) const
{
    if (text.isEmpty())
        return {};
    if (options.regex) {
        // The same search as the plain view's, over the same text.
        const RegexSearch search(text, options);
        const QString whole = searchText(*document());
        return options.direction == SearchOptions::Direction::Backward ? search.last(whole, from)
                                                                       : search.first(whole, from);
    }
    if (options.direction == SearchOptions::Direction::Forward)
        return findForward(*document(), text, from, options);
    // Rich documents are small: step forward to the last match in front of the position.
    TextRange last;
    for (TextRange at = findForward(*document(), text, 0, options); at.isValid() && at.start < from;
         at = findForward(*document(), text, at.start + 1, options))
        last = at;
    return last;
}

void RichTextView::beginUndoGroup()
{
    QTextCursor(document()).beginEditBlock();
}

void RichTextView::endUndoGroup()
{
    QTextCursor(document()).endEditBlock();
}

bool RichTextView::canUndo() const
{
    return document()->isUndoAvailable();
}

bool RichTextView::isTextModified() const
{
    return document()->isModified();
}

void RichTextView::setTextModified(bool modified)
{
    document()->setModified(modified);
}

int RichTextView::lineOfIndex(int index) const
{
    const QTextDocument* doc = document();
    const QTextBlock block = doc->findBlock(qBound(0, index, doc->characterCount() - 1));
    if (!wraps())
        return block.blockNumber();
    int line = 0;
    for (QTextBlock b = doc->firstBlock(); b.isValid() && b != block; b = b.next())
        line += qMax(1, b.lineCount());
    const QTextLayout* layout = block.layout();
    if (layout && layout->lineCount() > 0)
        line += qMax(0, layout->lineForTextPosition(index - block.position()).lineNumber());
    return line;
}

int RichTextView::indexOfLine(int line) const
{
    const QTextDocument* doc = document();
    if (!wraps()) {
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

int RichTextView::lineTotal() const
{
    if (!wraps())
        return document()->blockCount();
    int count = 0;
    for (QTextBlock b = document()->firstBlock(); b.isValid(); b = b.next())
        count += qMax(1, b.lineCount());
    return count;
}

int RichTextView::topLine() const
{
    return lineOfIndex(cursorForPosition(QPoint(0, 0)).position());
}

int RichTextView::lineHeight() const
{
    return QFontMetrics(font()).lineSpacing();
}

void RichTextView::setLook(const QFont& font, const QColor& text, const QColor& background)
{
    QPalette shades = palette();
    for (const auto group : { QPalette::Active, QPalette::Inactive }) {
        shades.setColor(group, QPalette::Text, text);
        shades.setColor(group, QPalette::Base, background);
    }
    setPalette(shades);
    setFont(font);
}

void RichTextView::setTabStops(const std::array<int, kTabStopCount>& points, const QFont& font)
{
    m_tabStops = points;
    m_tabFont = font;
    // The stops are meant to fall on half-width cells, which are half the font's size wide. A
    // rendered cell is a whole or half pixel, so measure it rather than convert points exactly,
    // or the stops drift off the columns along a line.
    const qreal halfCellPoints = pointSizeAt(font, logicalDpiY()) / 2;
    const int spacing = points[1] - points[0];
    const qreal cellPixels = QFontMetricsF(font).horizontalAdvance(QLatin1Char('A'));
    const qreal pixelsPerPoint = halfCellPoints > 0 && cellPixels > 0 ? cellPixels / halfCellPoints
                                                                      : logicalDpiX() / 72.0;
    QList<QTextOption::Tab> tabs;
    for (const int stop : points)
        tabs.append(QTextOption::Tab(stop * pixelsPerPoint, QTextOption::LeftTab));
    QTextOption option = document()->defaultTextOption();
    option.setTabs(tabs);
    if (spacing > 0)
        option.setTabStopDistance(spacing * pixelsPerPoint);
    document()->setDefaultTextOption(option);
}

void RichTextView::setWordWrap(bool wrap)
{
    setLineWrapMode(wrap ? QTextEdit::WidgetWidth : QTextEdit::NoWrap);
    setHorizontalScrollBarPolicy(wrap ? Qt::ScrollBarAlwaysOff : Qt::ScrollBarAsNeeded);
}

QTextCharFormat RichTextView::selectionCharFormat() const
{
    return textCursor().charFormat();
}

void RichTextView::mergeSelectionCharFormat(const QTextCharFormat& format)
{
    mergeCurrentCharFormat(format);
}

void RichTextView::paintEvent(QPaintEvent* event)
{
    QTextEdit::paintEvent(event);
    if (m_drawsListLabels)
        paintListLabels(event->rect());
}

void RichTextView::paintListLabels(const QRect& exposed)
{
    // The same offset QTextEdit paints the document at.
    const QScrollBar* across = horizontalScrollBar();
    const QPointF offset(isRightToLeft() ? across->maximum() - across->value() : across->value(),
                         verticalScrollBar()->value());
    const QList<ListLabelPlace> places = listLabelPlaces(*document(), QRectF(exposed).translated(offset));
    if (places.isEmpty())
        return;
    QPainter painter(viewport());
    painter.translate(-offset);
    painter.setRenderHint(QPainter::Antialiasing);
    const QTextCursor caret = textCursor();
    for (const ListLabelPlace& place : places) {
        // A selection over the paragraph's start takes the label along, as Qt's marker does.
        const bool selected = caret.hasSelection() && caret.selectionStart() <= place.blockPosition &&
            caret.selectionEnd() > place.blockPosition;
        if (selected) {
            painter.fillRect(place.rect, palette().brush(QPalette::Highlight));
            painter.setPen(QPen(palette().brush(QPalette::HighlightedText), 0));
        } else {
            painter.setPen(
                QPen(place.foreground.style() == Qt::NoBrush ? palette().brush(QPalette::Text) : place.foreground, 0));
        }
        QTextLayout label(place.text, place.font);
        QTextOption option(Qt::AlignLeft | Qt::AlignAbsolute);
        option.setTextDirection(place.direction);
        label.setTextOption(option);
        label.beginLayout();
        QTextLine line = label.createLine();
        if (line.isValid())
            line.setLeadingIncluded(true);
        label.endLayout();
        label.draw(&painter, place.rect.topLeft());
    }
}

void RichTextView::mousePressEvent(QMouseEvent* event)
{
    QTextEdit::mousePressEvent(event);
    Q_EMIT mousePressed();
}

void RichTextView::keyPressEvent(QKeyEvent* event)
{
    Q_EMIT keyPressing();
    QTextEdit::keyPressEvent(event);
}

void RichTextView::keyReleaseEvent(QKeyEvent* event)
{
    QTextEdit::keyReleaseEvent(event);
    Q_EMIT keyReleased();
}

#include "richtextview.moc"
