// SPDX-License-Identifier: MIT
#pragma once

#include <functional>

#include "reportdesign.h"

#include <QImage>
#include <QList>

#include <memory>

class QPagedPaintDevice;
class QPainter;
class QTextDocument;

/**
 * The report laid out for one run: the element's text broken into pages of the text area,
 * each page under the page header. The text is laid out at a fixed resolution, so the screen
 * preview, a PDF file and a 300-dpi printer break the pages at the same lines.
 */
class ReportLayout final
{
public:
    static constexpr int kLayoutDpi = 1200;

    ReportLayout(const ReportSetup& setup, const QString& text);
    ~ReportLayout();
    ReportLayout(const ReportLayout&) = delete;
    ReportLayout& operator=(const ReportLayout&) = delete;

    /** At least 1: the report prints a page even without text. */
    int pageCount() const;
    const ReportSetup& setup() const { return m_setup; }
    /** The document as laid out, in units of 1/kLayoutDpi inch. */
    const QTextDocument& document() const { return *m_document; }

    /**
     * Paints page @p page (1-based): header and that page's share of the text. The painter works
     * in device pixels with its origin at the paper's top left (a full-page device).
     */
    void paintPage(QPainter& painter, int page, const QDateTime& printed) const;

private:
    void paintHeader(QPainter& painter, double pixelsPerMm, int page, const QDateTime& printed) const;
    void breakPages();
    void paintText(QPainter& painter, double pixelsPerMm, int page) const;

    ReportSetup m_setup;
    QImage m_metrics; // a paint device at kLayoutDpi for the text's measurements
    std::unique_ptr<QTextDocument> m_document;
    double m_pageHeight = 0; // of the text area, in layout units
    QList<double> m_pageTops; // where each page's first line starts in the document
};

/** The report's paper: A4 in @p orientation, no margins (the report keeps its own), full page. */
QPageLayout reportPageLayout(QPageLayout::Orientation orientation);

/**
 * Prints every page of @p layout on @p device, which must already use reportPageLayout().
 * False when the device cannot be opened or refuses a page; what was printed stays printed.
 */
/**
 * Paints every page of @p layout on @p device. @p pageDone, when given, hears of each finished
 * page (page, page count) and may stop the job by returning false.
 */
bool renderReport(QPagedPaintDevice& device, const ReportLayout& layout, const QDateTime& printed,
                  const std::function<bool(int, int)>& pageDone = {});
