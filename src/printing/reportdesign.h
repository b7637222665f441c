// SPDX-License-Identifier: MIT
#pragma once

#include <QColor>
#include <QDateTime>
#include <QFont>
#include <QPageLayout>
#include <QRectF>
#include <QString>

/**
 * The report the editor prints: one page-header band and one detail band whose rich-text
 * element carries the whole document. Lengths are millimetres from the paper's top left.
 */
namespace ReportDesign {

inline constexpr double kPaperWidth = 210.0; // A4, portrait
inline constexpr double kPaperHeight = 297.0;
inline constexpr double kMarginTop = 5.0;
inline constexpr double kMarginBottom = 5.0;
inline constexpr double kMarginLeft = 10.0;
inline constexpr double kMarginRight = 10.0;

inline constexpr double kHeaderHeight = 8.5;
inline constexpr double kDetailHeight = 20.1;
/** Where the element sits in the detail band; it grows downwards with its text. */
inline constexpr double kElementLeft = 0.0;
inline constexpr double kElementTop = 2.1;
inline constexpr double kElementWidth = 189.4;
inline constexpr double kElementHeight = 8.7;

/** The header fields, relative to the header band. The caption label is ours to place: left of the date. */
inline constexpr QRectF kCaptionField { 0.0, 1.6, 120.0, 4.2 };
inline constexpr QRectF kDateField { 122.8, 1.6, 34.1, 4.2 };
inline constexpr QRectF kPageField { 160.9, 1.6, 23.5, 4.2 };
inline constexpr double kHeaderPointSize = 9.0;

/** The element's font as designed: "ＭＳ ゴシック", 15 pixels high on a 96-dpi screen. */
QFont designElementFont();
/** The face the header fields print in: the window's own, so Japanese file names print. */
QFont headerFont();

/** The paper in @p orientation, in millimetres. */
QSizeF paperSize(QPageLayout::Orientation orientation);
/** The bands' width: the paper between the left and right margins. */
double bandWidth(QPageLayout::Orientation orientation);
/** The page-header band on the paper. */
QRectF headerBand(QPageLayout::Orientation orientation);
/**
 * The part of every page the element's text flows through: from the element's top in the detail
 * band, which follows the header, to the bottom margin; @p elementWidth wide.
 */
QRectF textArea(QPageLayout::Orientation orientation, double elementWidth);

/** The date-and-time field's text, as a Japanese desktop writes date and time. */
QString dateTimeText(const QDateTime& when);
/** The page-number field's text. */
QString pageNumberText(int page);
/** The preview's page counter, "n / m". */
QString counterText(int page, int pageCount);

/** @p font with its size in points, so that it prints at the size the screen shows (96 dpi). */
QFont printableFont(const QFont& font);

} // namespace ReportDesign

/** What the report carries that a preview toggle changes; it starts as designed. */
struct ReportSetup
{
    QPageLayout::Orientation orientation = QPageLayout::Portrait;
    QFont elementFont = ReportDesign::designElementFont();
    QColor elementColour = Qt::black;
    double elementWidth = ReportDesign::kElementWidth;
    QString headerCaption;

    static ReportSetup design();
};

/** What the editor gives the report at a preview toggle. */
struct ToggleInput
{
    QFont editorFont;
    QColor editorColour;
    QPageLayout::Orientation printerOrientation = QPageLayout::Portrait;
    QString fileName;
};

/**
 * The set-up a preview toggle makes, in both directions: the editor's font and colour, the
 * printer's orientation (paper stays A4), the file name as caption, the element as wide as the band.
 */
void applyPreviewToggle(ReportSetup& setup, const ToggleInput& input);
