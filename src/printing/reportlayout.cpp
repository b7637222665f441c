// SPDX-License-Identifier: MIT
#include "reportlayout.h"

#include <QAbstractTextDocumentLayout>
#include <QFontMetricsF>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>
#include <QTextOption>

#include <algorithm>
#include <cmath>

namespace {
constexpr double kMmPerInch = 25.4;

double layoutUnits(double mm)
{
    return mm * ReportLayout::kLayoutDpi / kMmPerInch;
}

QRectF toPixels(const QRectF& mm, double pixelsPerMm)
{
    return QRectF(mm.x() * pixelsPerMm, mm.y() * pixelsPerMm, mm.width() * pixelsPerMm, mm.height() * pixelsPerMm);
}
} // namespace

ReportLayout::ReportLayout(const ReportSetup& setup, const QString& text)
    : m_setup(setup)
    , m_metrics(1, 1, QImage::Format_RGB32)
    , m_document(std::make_unique<QTextDocument>())
{
    const int dotsPerMetre = qRound(kLayoutDpi / 0.0254);
    m_metrics.setDotsPerMeterX(dotsPerMetre);
    m_metrics.setDotsPerMeterY(dotsPerMetre);

    m_document->documentLayout()->setPaintDevice(&m_metrics);
    m_document->setDocumentMargin(0);
    m_document->setDefaultFont(m_setup.elementFont);
    QTextOption option = m_document->defaultTextOption();
    // Japanese lines have no blanks to break at; a long word must not run off the paper either.
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    m_document->setDefaultTextOption(option);
    m_document->setPlainText(text);

    const QRectF area = ReportDesign::textArea(m_setup.orientation, m_setup.elementWidth);
    m_document->setTextWidth(layoutUnits(area.width()));
    m_pageHeight = layoutUnits(area.height());
    breakPages();
}

void ReportLayout::breakPages()
{
    // Pages break between lines, never through one; QTextDocument's own pagination can leave
    // a line straddling the page end. A line taller than a page keeps a page to itself.
    m_pageTops = { 0.0 };
    const QAbstractTextDocumentLayout* layout = m_document->documentLayout();
    for (QTextBlock block = m_document->begin(); block != m_document->end(); block = block.next()) {
        const double blockTop = layout->blockBoundingRect(block).top();
        const QTextLayout* lines = block.layout();
        for (int i = 0; i < lines->lineCount(); ++i) {
            const QTextLine line = lines->lineAt(i);
            const double top = blockTop + line.y();
            const double pageTop = m_pageTops.constLast();
            if (top > pageTop && top + line.height() - pageTop > m_pageHeight)
                m_pageTops.append(top);
        }
    }
}

ReportLayout::~ReportLayout() = default;

int ReportLayout::pageCount() const
{
    return int(m_pageTops.size());
}

void ReportLayout::paintPage(QPainter& painter, int page, const QDateTime& printed) const
{
    const QPaintDevice* device = painter.device();
    const double pixelsPerMm = device->logicalDpiY() / kMmPerInch;
    painter.save();
    paintHeader(painter, pixelsPerMm, page, printed);
    paintText(painter, pixelsPerMm, page);
    painter.restore();
}

void ReportLayout::paintHeader(QPainter& painter, double pixelsPerMm, int page, const QDateTime& printed) const
{
    const QPointF band = ReportDesign::headerBand(m_setup.orientation).topLeft();
    const auto field = [&](const QRectF& rect) { return toPixels(rect.translated(band), pixelsPerMm); };

    painter.setFont(QFont(ReportDesign::headerFont(), painter.device()));
    painter.setPen(Qt::black);

    // A long path keeps its file name, the end that tells documents apart.
    const QRectF caption = field(ReportDesign::kCaptionField);
    const QString shown = QFontMetricsF(painter.font(), painter.device())
                              .elidedText(m_setup.headerCaption, Qt::ElideLeft, caption.width());
    painter.drawText(caption, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, shown);
    painter.drawText(field(ReportDesign::kDateField), Qt::AlignRight | Qt::AlignTop | Qt::TextSingleLine,
                     ReportDesign::dateTimeText(printed));
    painter.drawText(field(ReportDesign::kPageField), Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine,
                     ReportDesign::pageNumberText(page));
}

void ReportLayout::paintText(QPainter& painter, double pixelsPerMm, int page) const
{
    const QRectF area = toPixels(ReportDesign::textArea(m_setup.orientation, m_setup.elementWidth), pixelsPerMm);
    const double scale = pixelsPerMm * kMmPerInch / kLayoutDpi;
    const double top = m_pageTops.at(page - 1);
    const double bottom = page < pageCount() ? m_pageTops.at(page) : top + m_pageHeight;
    const double width = m_document->textWidth();

    painter.translate(area.topLeft());
    painter.scale(scale, scale);
    painter.translate(0, -top);
    painter.setClipRect(QRectF(0, top, width, m_pageHeight));

    // Lines only touching the page's edges belong to the neighbours; a PDF keeps clipped text.
    QAbstractTextDocumentLayout::PaintContext context;
    context.clip = QRectF(0, top + 0.5, width, bottom - top - 1.0);
    context.palette.setColor(QPalette::Text, m_setup.elementColour);
    m_document->documentLayout()->draw(&painter, context);
}

QPageLayout reportPageLayout(QPageLayout::Orientation orientation)
{
    QPageLayout layout(QPageSize(QPageSize::A4), orientation, QMarginsF(), QPageLayout::Millimeter);
    layout.setMode(QPageLayout::FullPageMode);
    return layout;
}

bool renderReport(QPagedPaintDevice& device, const ReportLayout& layout, const QDateTime& printed,
                  const std::function<bool(int, int)>& pageDone)
{
    QPainter painter;
    if (!painter.begin(&device))
        return false;
    bool ok = true;
    for (int page = 1; page <= layout.pageCount() && ok; ++page) {
        if (page > 1)
            ok = device.newPage();
        if (ok)
            layout.paintPage(painter, page, printed);
        if (ok && pageDone && !pageDone(page, layout.pageCount()))
            ok = false;
    }
    return painter.end() && ok;
}
