// SPDX-License-Identifier: MIT
#include "richtextview.h"

#include "formats/rtfreader.h"

#include <QAbstractTextDocumentLayout>
#include <QPainter>
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

} // namespace

RichTextView::RichTextView(QWidget* parent)
    : QTextEdit(parent)
    , m_marker(std::make_unique<KeptGroupMarker>())
{ }

RichTextView::~RichTextView() = default;

void RichTextView::showKeptGroupMarkers()
{
    document()->documentLayout()->registerHandler(pemmo::formats::kRtfKeptGroupObjectType, m_marker.get());
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
