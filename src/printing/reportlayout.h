// SPDX-License-Identifier: MIT
#pragma once

#include <functional>

#include "reportdesign.h"

#include <QImage>
#include <QList>
#include <QTextOption>

class QDeadlineTimer;
class QPagedPaintDevice;
class QPainter;
class QTextLayout;

/**
 * The report laid out for one run: the element's text broken into pages of the text area,
 * each page under the page header. The text is laid out at a fixed resolution, so the screen
 * preview, a PDF file and a 300-dpi printer break the pages at the same lines.
 *
 * Only where each page starts is kept, never the laid-out text: a page is laid out again when
 * it is painted, so a document of any length costs a few bytes a page. A lazy layout breaks its
 * pages a slice at a time (layOutUntil), so a preview can show the first page while the rest
 * are still being counted.
 */
class ReportLayout final
{
public:
    static constexpr int kLayoutDpi = 1200;
    /** Whole: every page is broken before the constructor returns. Lazy: none until asked. */
    enum class Pace { Whole, Lazy };

    ReportLayout(const ReportSetup& setup, const QString& text, Pace pace = Pace::Whole);
    /**
     * The text in UTF-8: only the pieces laid out are ever decoded. When @p wholeLength is more
     * than @p utf8 holds, the rest comes in appendText(), and pages break only as far as the text
     * is known.
     */
    ReportLayout(const ReportSetup& setup, const QByteArray& utf8, Pace pace, qsizetype wholeLength = 0);

    /** More of the text; @p last when it has ended. */
    void appendText(const QByteArray& utf8, bool last);
    bool isTextComplete() const { return m_textComplete; }
    /** How much of the text is known, in UTF-8 bytes. */
    qsizetype textLength() const { return m_text.size(); }
    ~ReportLayout();
    ReportLayout(const ReportLayout&) = delete;
    ReportLayout& operator=(const ReportLayout&) = delete;

    /** Breaks further pages until @p deadline has passed; true once the whole text is broken. */
    bool layOutUntil(const QDeadlineTimer& deadline);
    /** Breaks pages until page @p page is known or the text has ended. */
    void layOutTo(int page);
    bool isComplete() const { return m_complete; }
    /** The pages known so far, all of them once complete; at least 1, as the report prints a page even without text. */
    int pageCount() const;
    /** How far through the text the pages are broken, 0 to 1. */
    double progress() const;
    /** The widest line laid out so far, in layout units. */
    double widestLine() const { return m_widestLine; }
    const ReportSetup& setup() const { return m_setup; }

    /**
     * Paints page @p page (1-based, known): header and that page's share of the text. The painter
     * works in device pixels with its origin at the paper's top left (a full-page device).
     */
    void paintPage(QPainter& painter, int page, const QDateTime& printed) const;

private:
    qsizetype layOutPiece(QTextLayout& layout, qsizetype start, int* lines) const;
    void breakNextPiece();
    bool canBreakMore() const;
    void paintHeader(QPainter& painter, double pixelsPerMm, int page, const QDateTime& printed) const;
    void paintText(QPainter& painter, double pixelsPerMm, int page) const;

    ReportSetup m_setup;
    QByteArray m_text; // UTF-8
    QImage m_metrics; // a paint device at kLayoutDpi for the text's measurements
    QTextOption m_option;
    double m_textWidth = 0; // of the text area, in layout units
    double m_pageHeight = 0;
    QList<qsizetype> m_pageStarts; // where each page's first line starts in the text, in bytes
    qsizetype m_next = 0; // where breaking goes on
    double m_yOnPage = 0; // how much of the last known page is filled
    double m_widestLine = 0;
    bool m_complete = false;
    bool m_textComplete = true;
};

/** The report's paper: A4 in @p orientation, no margins (the report keeps its own), full page. */
QPageLayout reportPageLayout(QPageLayout::Orientation orientation);

/**
 * Paints every page of @p layout (its whole text known) on @p device, which must already use reportPageLayout(),
 * breaking pages as it goes. @p pageDone, when given, hears of each finished page (page, pages known so far) and may
 * stop the job by returning false. False when the device cannot be opened, refuses a page or the job was stopped; what
 * was printed stays printed.
 */
bool renderReport(QPagedPaintDevice& device, ReportLayout& layout, const QDateTime& printed,
                  const std::function<bool(int, int)>& pageDone = {});
