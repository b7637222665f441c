// SPDX-License-Identifier: MIT
#pragma once

#include <QAbstractScrollArea>
#include <QDateTime>
#include <QImage>
#include <QList>
#include <QPageLayout>

class ReportLayout;

/**
 * The report's pages one under the other, as the preview shows them. Only the pages in view are
 * painted, each when it comes into view, so a report still being broken into pages shows its
 * first page at once, and one of thousands of pages costs no more than one of ten.
 */
class ReportPreview final : public QAbstractScrollArea
{
    Q_OBJECT
public:
    explicit ReportPreview(QWidget* parent = nullptr);
    ~ReportPreview() override;

    /** Shows @p layout (not owned; null for none) from its first page. */
    void setReport(const ReportLayout* layout, const QDateTime& printed);
    /** The layout has broken more pages: the scroll range grows, the pages in view stay. */
    void pagesAdded();

    int pageCount() const;
    int currentPage() const { return m_currentPage; }
    /** Goes to @p page (ignored outside 1..count), its top in view. */
    void setCurrentPage(int page);
    double zoomFactor() const { return m_zoom; }
    /** Changes the zoom, keeping the current page's top in view. */
    void setZoomFactor(double zoom);
    QPageLayout::Orientation orientation() const;
    /** Where page @p page lies on the viewport. */
    QRect pageRect(int page) const;

Q_SIGNALS:
    void currentPageChanged(int page);
    /** Esc: the preview asks to be left. */
    void leaveRequested();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QSize pageSize() const;
    int pageTop(int page) const;
    void updateScrollRange();
    void scrollToPage(int page);
    QImage renderPage(int page);

    const ReportLayout* m_layout = nullptr;
    QDateTime m_printed;
    double m_zoom = 1.0;
    int m_currentPage = 1;
    bool m_scrolling = false; // the preview scrolls itself; the current page stays
    /** The pages painted last, by page number; what has scrolled out of view is dropped. */
    QList<std::pair<int, QImage>> m_painted;
};
