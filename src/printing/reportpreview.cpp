// SPDX-License-Identifier: MIT
#include "reportpreview.h"

#include "reportlayout.h"

#include <QKeyEvent>
#include <QPainter>
#include <QScopedValueRollback>
#include <QScrollBar>

#include <algorithm>

namespace {
/** Grey between the pages and around them, in pixels. */
constexpr int kGap = 10;
constexpr double kMmPerInch = 25.4;
/** Pages up to this many pixels wide and high are painted once as a picture and kept while in view. */
constexpr int kLargestPaintedPage = 4000;
} // namespace

ReportPreview::ReportPreview(QWidget* parent)
    : QAbstractScrollArea(parent)
{
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setBackgroundRole(QPalette::Dark);
    viewport()->setAutoFillBackground(true);
}

ReportPreview::~ReportPreview() = default;

void ReportPreview::setReport(const ReportLayout* layout, const QDateTime& printed)
{
    m_layout = layout;
    m_printed = printed;
    m_painted.clear();
    m_currentPage = 1;
    updateScrollRange();
    scrollToPage(1);
    viewport()->update();
}

void ReportPreview::pagesAdded()
{
    // A page is painted whole from where it starts, known or not where the next begins: the
    // pages in view stay as they are.
    updateScrollRange();
}

int ReportPreview::pageCount() const
{
    return m_layout ? m_layout->pageCount() : 0;
}

void ReportPreview::setCurrentPage(int page)
{
    if (page < 1 || page > pageCount())
        return;
    scrollToPage(page);
    if (m_currentPage != page) {
        m_currentPage = page;
        Q_EMIT currentPageChanged(page);
    }
}

void ReportPreview::setZoomFactor(double zoom)
{
    m_zoom = zoom;
    m_painted.clear();
    updateScrollRange();
    scrollToPage(m_currentPage);
    viewport()->update();
}

QPageLayout::Orientation ReportPreview::orientation() const
{
    return m_layout ? m_layout->setup().orientation : QPageLayout::Portrait;
}

QSize ReportPreview::pageSize() const
{
    const QSizeF paper = ReportDesign::paperSize(orientation());
    const double pixelsPerMm = logicalDpiY() / kMmPerInch * m_zoom;
    return QSize(qRound(paper.width() * pixelsPerMm), qRound(paper.height() * pixelsPerMm));
}

int ReportPreview::pageTop(int page) const
{
    return kGap + (page - 1) * (pageSize().height() + kGap);
}

QRect ReportPreview::pageRect(int page) const
{
    const QSize size = pageSize();
    const int left = std::max(kGap, (viewport()->width() - size.width()) / 2) - horizontalScrollBar()->value();
    return QRect(QPoint(left, pageTop(page) - verticalScrollBar()->value()), size);
}

void ReportPreview::updateScrollRange()
{
    // A range that shrinks moves the bars; that is no scroll by hand.
    const QScopedValueRollback scrolling(m_scrolling, true);
    const QSize size = pageSize();
    const QSize all(size.width() + 2 * kGap, pageTop(pageCount() + 1));
    const QSize view = viewport()->size();
    horizontalScrollBar()->setRange(0, std::max(0, all.width() - view.width()));
    horizontalScrollBar()->setPageStep(view.width());
    verticalScrollBar()->setRange(0, std::max(0, all.height() - view.height()));
    verticalScrollBar()->setPageStep(view.height());
    verticalScrollBar()->setSingleStep(std::max(1, size.height() / 20));
}

void ReportPreview::scrollToPage(int page)
{
    // A page taller than the window shows its header first, where reading starts.
    const QScopedValueRollback scrolling(m_scrolling, true);
    verticalScrollBar()->setValue(pageTop(page) - kGap);
}

void ReportPreview::scrollContentsBy(int, int)
{
    viewport()->update();
    if (m_scrolling || pageCount() == 0)
        return;
    // Scrolled by hand: the page at the window's middle becomes the current one.
    const int middle = verticalScrollBar()->value() + viewport()->height() / 2;
    const int page = std::clamp(middle / (pageSize().height() + kGap) + 1, 1, pageCount());
    if (page != m_currentPage) {
        m_currentPage = page;
        Q_EMIT currentPageChanged(page);
    }
}

void ReportPreview::resizeEvent(QResizeEvent* event)
{
    QAbstractScrollArea::resizeEvent(event);
    updateScrollRange();
}

void ReportPreview::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape) {
        Q_EMIT leaveRequested();
        return;
    }
    QAbstractScrollArea::keyPressEvent(event);
}

QImage ReportPreview::renderPage(int page)
{
    for (const auto& [number, image] : std::as_const(m_painted)) {
        if (number == page)
            return image;
    }
    const QSize size = pageSize();
    QImage image(size, QImage::Format_RGB32);
    // The page paints at the zoomed resolution, so its fonts resolve for the size shown.
    const int dotsPerMetre = qRound(logicalDpiY() * m_zoom / 0.0254);
    image.setDotsPerMeterX(dotsPerMetre);
    image.setDotsPerMeterY(dotsPerMetre);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    m_layout->paintPage(painter, page, m_printed);
    painter.end();
    m_painted.append({ page, image });
    return image;
}

void ReportPreview::paintEvent(QPaintEvent*)
{
    if (!m_layout)
        return;
    QPainter painter(viewport());
    const int height = pageSize().height() + kGap;
    const int first = std::max(1, (verticalScrollBar()->value() - kGap) / height + 1);
    const int last = std::min(pageCount(), (verticalScrollBar()->value() + viewport()->height()) / height + 1);
    QList<std::pair<int, QImage>> kept;
    for (int page = first; page <= last; ++page) {
        const QRect rect = pageRect(page);
        painter.fillRect(rect.translated(2, 2), Qt::black); // a shadow under the paper
        if (rect.width() > kLargestPaintedPage || rect.height() > kLargestPaintedPage) {
            // Zoomed far in, a page would take more memory as a picture than it is worth: it is
            // drawn straight onto the window, only the part in view.
            painter.fillRect(rect, Qt::white);
            painter.save();
            painter.setClipRect(rect.intersected(viewport()->rect()));
            painter.translate(rect.topLeft());
            painter.scale(m_zoom, m_zoom);
            m_layout->paintPage(painter, page, m_printed);
            painter.restore();
            continue;
        }
        const QImage image = renderPage(page);
        painter.drawImage(rect.topLeft(), image);
        kept.append({ page, image });
    }
    // Only the pages in view stay painted; the rest of a long report is never held.
    m_painted = kept;
}
