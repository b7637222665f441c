// SPDX-License-Identifier: MIT
#include "reportlayout.h"

#include <QDeadlineTimer>
#include <QFontMetricsF>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QTextLayout>

#include <algorithm>
#include <cmath>

namespace {
constexpr double kMmPerInch = 25.4;
/**
 * A paragraph is laid out this many bytes at a time: a line of megabytes must not be laid out
 * whole for every page it runs through. Wrapping goes line by line, so a piece that starts where
 * a line starts wraps as the whole paragraph would.
 */
constexpr qsizetype kPieceLength = 12 * 1024;
/** Tab stops every so many spaces, as in the editor. */
constexpr int kTabWidth = 8;

double layoutUnits(double mm)
{
    return mm * ReportLayout::kLayoutDpi / kMmPerInch;
}

QRectF toPixels(const QRectF& mm, double pixelsPerMm)
{
    return QRectF(mm.x() * pixelsPerMm, mm.y() * pixelsPerMm, mm.width() * pixelsPerMm, mm.height() * pixelsPerMm);
}

/** How many bytes @p text takes in UTF-8. */
qsizetype utf8Length(QStringView text)
{
    qsizetype bytes = 0;
    for (const QChar ch : text) {
        const char16_t unit = ch.unicode();
        // A surrogate pair is four bytes, two for each half.
        bytes += unit < 0x80 ? 1 : unit < 0x800 || ch.isSurrogate() ? 2 : 3;
    }
    return bytes;
}

/** A line takes its height rounded up to a whole layout unit, so pages break alike everywhere. */
double lineHeight(const QTextLine& line)
{
    return std::ceil(line.height());
}
} // namespace

ReportLayout::ReportLayout(const ReportSetup& setup, const QString& text, Pace pace)
    : ReportLayout(setup, text.toUtf8(), pace)
{ }

ReportLayout::ReportLayout(const ReportSetup& setup, const QByteArray& utf8, Pace pace, qsizetype wholeLength)
    : m_setup(setup)
    , m_text(utf8)
    , m_metrics(1, 1, QImage::Format_RGB32)
    , m_textComplete(wholeLength <= utf8.size())
{
    // The room for the rest at once: growing by slices would copy what is there again and again.
    if (!m_textComplete)
        m_text.reserve(wholeLength);
    const int dotsPerMetre = qRound(kLayoutDpi / 0.0254);
    m_metrics.setDotsPerMeterX(dotsPerMetre);
    m_metrics.setDotsPerMeterY(dotsPerMetre);

    // Japanese lines have no blanks to break at; a long word must not run off the paper either.
    m_option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    m_option.setTabStopDistance(QFontMetricsF(m_setup.elementFont, &m_metrics).horizontalAdvance(u' ') * kTabWidth);

    const QRectF area = ReportDesign::textArea(m_setup.orientation, m_setup.elementWidth);
    m_textWidth = layoutUnits(area.width());
    m_pageHeight = layoutUnits(area.height());
    m_pageStarts = { 0 };
    if (pace == Pace::Whole)
        layOutUntil(QDeadlineTimer(QDeadlineTimer::Forever));
}

ReportLayout::~ReportLayout() = default;

qsizetype ReportLayout::layOutPiece(QTextLayout& layout, qsizetype start, int* lines) const
{
    const char* text = m_text.constData();
    const qsizetype newline = m_text.indexOf('\n', start);
    qsizetype end = newline < 0 ? m_text.size() : newline;
    const bool cut = end - start > kPieceLength;
    if (cut) {
        end = start + kPieceLength;
        while (end > start + 1 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) // not within a character
            --end;
    } else if (end > start && text[end - 1] == '\r') {
        --end;
    }

    const QString piece = QString::fromUtf8(text + start, end - start);
    layout.setText(piece);
    layout.setTextOption(m_option);
    layout.beginLayout();
    double y = 0;
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(m_textWidth);
        line.setPosition(QPointF(0, y));
        y += lineHeight(line);
    }
    layout.endLayout();

    *lines = layout.lineCount();
    if (cut && *lines > 1) {
        // The last line may end where the piece was cut; the next piece lays it out again.
        --*lines;
        return start + utf8Length(QStringView(piece).left(layout.lineAt(*lines).textStart()));
    }
    if (cut)
        return end;
    return newline < 0 ? -1 : newline + 1;
}

void ReportLayout::breakNextPiece()
{
    // Pages break between lines, never through one. A line taller than a page keeps a page to itself.
    QTextLayout layout(QString(), m_setup.elementFont, &m_metrics);
    int lines = 0;
    const qsizetype next = layOutPiece(layout, m_next, &lines);
    const QString piece = layout.text();
    for (int i = 0; i < lines; ++i) {
        const QTextLine line = layout.lineAt(i);
        const double height = lineHeight(line);
        if (m_yOnPage > 0 && m_yOnPage + height > m_pageHeight) {
            m_pageStarts.append(m_next + utf8Length(QStringView(piece).left(line.textStart())));
            m_yOnPage = 0;
        }
        m_yOnPage += height;
        m_widestLine = std::max(m_widestLine, line.naturalTextWidth());
    }
    if (next < 0)
        m_complete = true;
    else
        m_next = next;
}

void ReportLayout::appendText(const QByteArray& utf8, bool last)
{
    m_text += utf8;
    m_textComplete = last;
}

bool ReportLayout::canBreakMore() const
{
    // The next piece must be whole: a paragraph's end, or as much as a piece takes.
    if (m_complete)
        return false;
    return m_textComplete || m_text.size() - m_next > kPieceLength || m_text.indexOf('\n', m_next) >= 0;
}

bool ReportLayout::layOutUntil(const QDeadlineTimer& deadline)
{
    while (canBreakMore() && !deadline.hasExpired())
        breakNextPiece();
    return m_complete;
}

void ReportLayout::layOutTo(int page)
{
    while (canBreakMore() && pageCount() < page)
        breakNextPiece();
}

int ReportLayout::pageCount() const
{
    return int(m_pageStarts.size());
}

double ReportLayout::progress() const
{
    return m_complete || m_text.isEmpty() ? 1.0 : double(m_next) / double(m_text.size());
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
    painter.translate(area.topLeft());
    painter.scale(scale, scale);
    painter.setClipRect(QRectF(0, 0, m_textWidth, m_pageHeight));
    painter.setPen(m_setup.elementColour);

    // The page is laid out again from its first line, by the rule that broke it.
    double y = 0;
    qsizetype start = m_pageStarts.at(page - 1);
    while (start >= 0) {
        QTextLayout layout(QString(), m_setup.elementFont, &m_metrics);
        int lines = 0;
        const qsizetype next = layOutPiece(layout, start, &lines);
        for (int i = 0; i < lines; ++i) {
            const QTextLine line = layout.lineAt(i);
            const double height = lineHeight(line);
            if (y > 0 && y + height > m_pageHeight)
                return;
            line.draw(&painter, QPointF(0, y - line.y()));
            y += height;
        }
        start = next;
    }
}

QPageLayout reportPageLayout(QPageLayout::Orientation orientation)
{
    QPageLayout layout(QPageSize(QPageSize::A4), orientation, QMarginsF(), QPageLayout::Millimeter);
    layout.setMode(QPageLayout::FullPageMode);
    return layout;
}

bool renderReport(QPagedPaintDevice& device, ReportLayout& layout, const QDateTime& printed,
                  const std::function<bool(int, int)>& pageDone)
{
    QPainter painter;
    if (!painter.begin(&device))
        return false;
    bool ok = true;
    // A page is printed once the next one is known, or the text has ended: only then is it whole.
    for (int page = 1; ok; ++page) {
        layout.layOutTo(page + 1);
        if (page > layout.pageCount())
            break;
        if (page > 1)
            ok = device.newPage();
        if (ok)
            layout.paintPage(painter, page, printed);
        if (ok && pageDone && !pageDone(page, layout.pageCount()))
            ok = false;
    }
    return painter.end() && ok;
}
