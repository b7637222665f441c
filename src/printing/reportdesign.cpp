// SPDX-License-Identifier: MIT
#include "reportdesign.h"

#include "printingtexts.h"

namespace ReportDesign {

namespace {
// The stored sizes were measured on a 96-dpi screen; a pixel there is 0.75 point.
constexpr double kPointsPerScreenPixel = 72.0 / 96.0;
const QString kWindowFace = QStringLiteral("ＭＳ ゴシック");
} // namespace

QFont designElementFont()
{
    QFont font(kWindowFace);
    font.setStyleHint(QFont::TypeWriter);
    font.setPointSizeF(15 * kPointsPerScreenPixel);
    return font;
}

QFont headerFont()
{
    QFont font(kWindowFace);
    font.setStyleHint(QFont::TypeWriter);
    font.setPointSizeF(kHeaderPointSize);
    return font;
}

QSizeF paperSize(QPageLayout::Orientation orientation)
{
    return orientation == QPageLayout::Landscape ? QSizeF(kPaperHeight, kPaperWidth)
                                                 : QSizeF(kPaperWidth, kPaperHeight);
}

double bandWidth(QPageLayout::Orientation orientation)
{
    return paperSize(orientation).width() - kMarginLeft - kMarginRight;
}

QRectF headerBand(QPageLayout::Orientation orientation)
{
    return QRectF(kMarginLeft, kMarginTop, bandWidth(orientation), kHeaderHeight);
}

QRectF textArea(QPageLayout::Orientation orientation, double elementWidth)
{
    const double top = kMarginTop + kHeaderHeight + kElementTop;
    const double bottom = paperSize(orientation).height() - kMarginBottom;
    return QRectF(kMarginLeft + kElementLeft, top, elementWidth, bottom - top);
}

QString dateTimeText(const QDateTime& when)
{
    return when.toString(QStringLiteral("yyyy/MM/dd H:mm:ss"));
}

QString pageNumberText(int page)
{
    return PrintingText::PageNumberPrefix + QString::number(page);
}

QString counterText(int page, int pageCount)
{
    return QString::number(page) + PrintingText::CounterSeparator + QString::number(pageCount);
}

QFont printableFont(const QFont& font)
{
    QFont result = font;
    if (font.pixelSize() > 0)
        result.setPointSizeF(font.pixelSize() * kPointsPerScreenPixel);
    return result;
}

} // namespace ReportDesign

ReportSetup ReportSetup::design()
{
    ReportSetup setup;
    setup.headerCaption = PrintingText::DesignHeaderCaption;
    return setup;
}

void applyPreviewToggle(ReportSetup& setup, const ToggleInput& input)
{
    setup.elementFont = ReportDesign::printableFont(input.editorFont);
    setup.elementColour = input.editorColour;
    setup.orientation = input.printerOrientation;
    setup.headerCaption = input.fileName;
    setup.elementWidth = ReportDesign::bandWidth(setup.orientation);
}
