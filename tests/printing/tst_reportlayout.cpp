// SPDX-License-Identifier: MIT
// The report without any window: its geometry, the toggle's set-up, pagination and what a PDF shows.
#include "pdftools.h"
#include "printing/printingtexts.h"
#include "printing/reportlayout.h"
#include "ui/fontsubstitution.h"

#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QFontMetricsF>
#include <QPainter>
#include <QPdfWriter>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>

namespace {
const QDateTime kPrinted(QDate(2024, 3, 9), QTime(7, 5, 2));

QString numberedLines(int count)
{
    QStringList lines;
    for (int i = 1; i <= count; ++i)
        lines.append(QStringLiteral("line %1 本文").arg(i, 3, 10, QLatin1Char('0')));
    return lines.join(u'\n');
}

/** Lines per page as the font implies: each line takes its height rounded up to a whole layout unit. */
int linesPerPage(const ReportSetup& setup)
{
    QImage device(1, 1, QImage::Format_RGB32);
    device.setDotsPerMeterX(qRound(ReportLayout::kLayoutDpi / 0.0254));
    device.setDotsPerMeterY(qRound(ReportLayout::kLayoutDpi / 0.0254));
    const double lineHeight = std::ceil(QFontMetricsF(setup.elementFont, &device).height());
    const double areaHeight = ReportDesign::textArea(setup.orientation, setup.elementWidth).height() *
        ReportLayout::kLayoutDpi / 25.4;
    return int(areaHeight / lineHeight);
}

ReportSetup setupFor(QPageLayout::Orientation orientation)
{
    ReportSetup setup = ReportSetup::design();
    setup.orientation = orientation;
    setup.elementWidth = ReportDesign::bandWidth(orientation);
    return setup;
}

QString renderToPdf(const QTemporaryDir& dir, const ReportSetup& setup, const QString& text)
{
    const QString path = dir.filePath(QStringLiteral("report.pdf"));
    QPdfWriter writer(path);
    writer.setResolution(600);
    writer.setPageLayout(reportPageLayout(setup.orientation));
    ReportLayout layout(setup, text);
    return renderReport(writer, layout, kPrinted) ? path : QString();
}
} // namespace

class TestReportLayout final : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();

    void textArea_data();
    void textArea();
    void previewToggle_data();
    void previewToggle();
    void fieldTexts_data();
    void fieldTexts();

    void pageCount_data();
    void pageCount();
    void longLinesWrapWithinTheElement();
    void lazyLayoutPaintsEarlyPagesAsTheWholeOne();
    void longParagraphPrintsEveryWordOnce_data();
    void longParagraphPrintsEveryWordOnce();
    void everyPageIsReportedAndAStopEndsTheJob();

    void pdfPagesCarryHeaderAndText_data();
    void pdfPagesCarryHeaderAndText();
    void pdfPaperFollowsOrientation_data();
    void pdfPaperFollowsOrientation();
    void japaneseSurvivesAsText();
    void longCaptionKeepsItsFileName();

private:
    QTemporaryDir m_dir;
};

void TestReportLayout::initTestCase()
{
    installFontSubstitutions();
    QVERIFY(m_dir.isValid());
}

void TestReportLayout::textArea_data()
{
    QTest::addColumn<QPageLayout::Orientation>("orientation");
    QTest::addColumn<double>("bandWidth");
    QTest::addColumn<QRectF>("area");
    // The text starts under the header band (5 + 8.5) at the element's top (2.1) and ends at the bottom margin.
    QTest::newRow("portrait") << QPageLayout::Portrait << 190.0 << QRectF(10.0, 15.6, 190.0, 297.0 - 5.0 - 15.6);
    QTest::newRow("landscape") << QPageLayout::Landscape << 277.0 << QRectF(10.0, 15.6, 277.0, 210.0 - 5.0 - 15.6);
}

void TestReportLayout::textArea()
{
    QFETCH(QPageLayout::Orientation, orientation);
    QFETCH(double, bandWidth);
    QFETCH(QRectF, area);
    QCOMPARE(ReportDesign::bandWidth(orientation), bandWidth);
    const QRectF actual = ReportDesign::textArea(orientation, ReportDesign::bandWidth(orientation));
    QVERIFY2(qAbs(actual.top() - area.top()) < 1e-9 && qAbs(actual.height() - area.height()) < 1e-9 &&
                 actual.left() == area.left() && actual.width() == area.width(),
             qPrintable(QStringLiteral("%1,%2 %3x%4")
                            .arg(actual.left())
                            .arg(actual.top())
                            .arg(actual.width())
                            .arg(actual.height())));
}

void TestReportLayout::previewToggle_data()
{
    QTest::addColumn<QFont>("editorFont");
    QTest::addColumn<QPageLayout::Orientation>("printerOrientation");
    QTest::addColumn<double>("pointSize");
    QTest::addColumn<double>("elementWidth");

    QFont pixels(QStringLiteral("ＭＳ ゴシック"));
    pixels.setPixelSize(18);
    QFont points(QStringLiteral("DejaVu Serif"), 14);
    points.setBold(true);
    QTest::newRow("18 px editor font, portrait printer") << pixels << QPageLayout::Portrait << 13.5 << 190.0;
    QTest::newRow("14 pt bold editor font, landscape printer") << points << QPageLayout::Landscape << 14.0 << 277.0;
}

void TestReportLayout::previewToggle()
{
    QFETCH(QFont, editorFont);
    QFETCH(QPageLayout::Orientation, printerOrientation);
    QFETCH(double, pointSize);
    QFETCH(double, elementWidth);

    ReportSetup setup = ReportSetup::design();
    QCOMPARE(setup.headerCaption, QStringLiteral("Orvel Soft Version 1.3.7"));
    QCOMPARE(setup.elementWidth, 189.4);
    QCOMPARE(setup.elementFont.pointSizeF(), 11.25); // 15 px on a 96-dpi screen

    applyPreviewToggle(
        setup,
        ToggleInput { editorFont, QColor(Qt::darkBlue), printerOrientation, QStringLiteral("/home/u/メモ.txt") });
    QCOMPARE(setup.elementFont.family(), editorFont.family());
    QCOMPARE(setup.elementFont.bold(), editorFont.bold());
    QCOMPARE(setup.elementFont.pointSizeF(), pointSize);
    QCOMPARE(setup.elementColour, QColor(Qt::darkBlue));
    QCOMPARE(setup.orientation, printerOrientation);
    QCOMPARE(setup.elementWidth, elementWidth);
    QCOMPARE(setup.headerCaption, QStringLiteral("/home/u/メモ.txt"));
}

void TestReportLayout::fieldTexts_data()
{
    QTest::addColumn<QString>("actual");
    QTest::addColumn<QString>("expected");
    QTest::newRow("page 1") << ReportDesign::pageNumberText(1) << QStringLiteral("Page:1");
    QTest::newRow("page 12") << ReportDesign::pageNumberText(12) << QStringLiteral("Page:12");
    QTest::newRow("counter 1 of 1") << ReportDesign::counterText(1, 1) << QStringLiteral("1 / 1");
    QTest::newRow("counter 10 of 250") << ReportDesign::counterText(10, 250) << QStringLiteral("10 / 250");
    QTest::newRow("morning, one-digit hour")
        << ReportDesign::dateTimeText(kPrinted) << QStringLiteral("2024/03/09 7:05:02");
    QTest::newRow("midnight") << ReportDesign::dateTimeText(QDateTime(QDate(2025, 12, 31), QTime(0, 0)))
                              << QStringLiteral("2025/12/31 0:00:00");
}

void TestReportLayout::fieldTexts()
{
    QFETCH(QString, actual);
    QFETCH(QString, expected);
    QCOMPARE(actual, expected);
}

void TestReportLayout::pageCount_data()
{
    QTest::addColumn<ReportSetup>("setup");
    QTest::addColumn<int>("lines");
    QTest::addColumn<int>("pages");

    const ReportSetup design = ReportSetup::design();
    const int perPage = linesPerPage(design);
    QTest::newRow("empty document") << design << 0 << 1;
    QTest::newRow("one line") << design << 1 << 1;
    QTest::newRow("a full page") << design << perPage << 1;
    QTest::newRow("one line more than a page") << design << perPage + 1 << 2;
    QTest::newRow("200 lines") << design << 200 << (200 + perPage - 1) / perPage;

    const ReportSetup landscape = setupFor(QPageLayout::Landscape);
    const int perLandscapePage = linesPerPage(landscape);
    QTest::newRow("200 lines, landscape") << landscape << 200 << (200 + perLandscapePage - 1) / perLandscapePage;

    ReportSetup large = design;
    large.elementFont.setPointSize(24);
    const int perLargePage = linesPerPage(large);
    QTest::newRow("200 lines, 24 pt") << large << 200 << (200 + perLargePage - 1) / perLargePage;
}

void TestReportLayout::pageCount()
{
    QFETCH(ReportSetup, setup);
    QFETCH(int, lines);
    QFETCH(int, pages);
    ReportLayout layout(setup, lines == 0 ? QString() : numberedLines(lines));
    QCOMPARE(layout.pageCount(), pages);
}

void TestReportLayout::everyPageIsReportedAndAStopEndsTheJob()
{
    QTemporaryDir dir;
    ReportLayout layout(ReportSetup::design(), numberedLines(200));
    QVERIFY(layout.pageCount() > 2);
    QList<int> seen;
    QPdfWriter whole(dir.filePath(QStringLiteral("whole.pdf")));
    whole.setPageLayout(reportPageLayout(QPageLayout::Portrait));
    QVERIFY(renderReport(whole, layout, kPrinted, [&](int page, int pages) {
        [&] { QCOMPARE(pages, layout.pageCount()); }();
        seen.append(page);
        return true;
    }));
    QList<int> expected;
    for (int page = 1; page <= layout.pageCount(); ++page)
        expected.append(page);
    QCOMPARE(seen, expected);

    seen.clear();
    QPdfWriter stopped(dir.filePath(QStringLiteral("stopped.pdf")));
    stopped.setPageLayout(reportPageLayout(QPageLayout::Portrait));
    QVERIFY(!renderReport(stopped, layout, kPrinted, [&](int page, int) {
        seen.append(page);
        return page < 2;
    }));
    QCOMPARE(seen, (QList<int> { 1, 2 }));
}

void TestReportLayout::longLinesWrapWithinTheElement()
{
    const ReportSetup setup = ReportSetup::design();
    const int perPage = linesPerPage(setup);
    // One paragraph with no blank in it, several times the element's width: it must wrap, not run off.
    const QString longLine = QString(perPage * 200, QChar(u'漢'));
    ReportLayout layout(setup, longLine);
    QVERIFY2(layout.pageCount() > 1, "a paragraph longer than a page flows on");
    QVERIFY(layout.widestLine() <= ReportDesign::kElementWidth * ReportLayout::kLayoutDpi / 25.4 + 1);
}

namespace {
QImage pageImage(const ReportLayout& layout, int page)
{
    QImage image(QSize(210, 297) * 4, QImage::Format_RGB32);
    image.setDotsPerMeterX(qRound(4 * 25.4 / 0.0254));
    image.setDotsPerMeterY(qRound(4 * 25.4 / 0.0254));
    image.fill(Qt::white);
    QPainter painter(&image);
    layout.paintPage(painter, page, kPrinted);
    return image;
}
} // namespace

void TestReportLayout::lazyLayoutPaintsEarlyPagesAsTheWholeOne()
{
    // Half a million lines: a lazy layout knows its first pages long before it could know them all.
    const QString head = numberedLines(300);
    QString text = head;
    text.reserve(head.size() * 1700);
    for (int i = 0; i < 1700; ++i)
        text += u'\n' + head;
    QElapsedTimer clock;
    clock.start();
    ReportLayout lazy(ReportSetup::design(), text, ReportLayout::Pace::Lazy);
    lazy.layOutTo(4);
    QVERIFY2(clock.elapsed() < 2000, qPrintable(QString::number(clock.elapsed())));
    QVERIFY(!lazy.isComplete());
    QCOMPARE(lazy.pageCount(), 4);
    QVERIFY(lazy.progress() > 0 && lazy.progress() < 0.01);
    QVERIFY(!lazy.layOutUntil(QDeadlineTimer(30)));
    QVERIFY2(lazy.pageCount() > 4, "a slice breaks further pages");

    const ReportLayout whole(ReportSetup::design(), head);
    QVERIFY(whole.pageCount() >= 3);
    for (int page = 1; page < whole.pageCount(); ++page)
        QVERIFY2(pageImage(lazy, page) == pageImage(whole, page), qPrintable(QString::number(page)));
}

void TestReportLayout::longParagraphPrintsEveryWordOnce_data()
{
    QTest::addColumn<QString>("prefix");
    QTest::addColumn<QString>("separator");
    QTest::addColumn<QString>("lineEnd");
    QTest::newRow("words with blanks") << QStringLiteral("w") << QStringLiteral(" ") << QString();
    QTest::newRow("no blanks at all") << QStringLiteral("w") << QString() << QString();
    QTest::newRow("ends in CR LF") << QStringLiteral("w") << QStringLiteral(" ") << QStringLiteral("\r\n");
    // Three bytes a character in UTF-8: a piece must not end within one.
    QTest::newRow("Japanese") << QStringLiteral("語") << QStringLiteral("、") << QString();
}

void TestReportLayout::longParagraphPrintsEveryWordOnce()
{
    if (const QString missing = PdfTools::missingTools(); !missing.isEmpty())
        QSKIP(qPrintable(missing));
    QFETCH(QString, prefix);
    QFETCH(QString, separator);
    QFETCH(QString, lineEnd);
    // One paragraph of many times the length laid out at a time: nothing lost or doubled where it is cut.
    QStringList words;
    for (int i = 1; i <= 3000; ++i)
        words.append(prefix + QStringLiteral("%1").arg(i, 5, 10, QLatin1Char('0')));
    const QString text = words.join(separator) + lineEnd + QStringLiteral("end");
    const QString path = renderToPdf(m_dir, ReportSetup::design(), text);
    QVERIFY(!path.isEmpty());
    QString printed;
    for (int page = 1; page <= PdfTools::pageCount(path); ++page)
        printed += PdfTools::pageText(path, page).remove(QStringLiteral("Page:%1").arg(page)) + u'\n';
    printed.remove(QStringLiteral("2024/03/09 7:05:02"));
    printed.remove(PrintingText::DesignHeaderCaption);
    printed.remove(QRegularExpression(QStringLiteral("\\s")));
    QCOMPARE(printed, words.join(separator.trimmed()) + QStringLiteral("end"));
}

void TestReportLayout::pdfPagesCarryHeaderAndText_data()
{
    QTest::addColumn<QPageLayout::Orientation>("orientation");
    QTest::newRow("portrait") << QPageLayout::Portrait;
    QTest::newRow("landscape") << QPageLayout::Landscape;
}

void TestReportLayout::pdfPagesCarryHeaderAndText()
{
    if (const QString missing = PdfTools::missingTools(); !missing.isEmpty())
        QSKIP(qPrintable(missing));
    QFETCH(QPageLayout::Orientation, orientation);
    ReportSetup setup = setupFor(orientation);
    setup.headerCaption = QStringLiteral("/tmp/report-test.txt");
    const QString path = renderToPdf(m_dir, setup, numberedLines(200));
    QVERIFY(!path.isEmpty());

    const int perPage = linesPerPage(setup);
    const int pages = (200 + perPage - 1) / perPage;
    QCOMPARE(PdfTools::pageCount(path), pages);
    for (int page = 1; page <= pages; ++page) {
        const QString text = PdfTools::pageText(path, page);
        QVERIFY2(text.contains(QStringLiteral("Page:%1").arg(page)), qPrintable(text.left(300)));
        QVERIFY(text.contains(setup.headerCaption));
        QVERIFY(text.contains(QStringLiteral("2024/03/09 7:05:02")));
        const int first = (page - 1) * perPage + 1;
        const int last = qMin(200, page * perPage);
        QVERIFY2(text.contains(QStringLiteral("line %1").arg(first, 3, 10, QLatin1Char('0'))),
                 qPrintable(QStringLiteral("page %1 should start at line %2").arg(page).arg(first)));
        QVERIFY2(text.contains(QStringLiteral("line %1").arg(last, 3, 10, QLatin1Char('0'))),
                 qPrintable(QStringLiteral("page %1 should end at line %2").arg(page).arg(last)));
        if (last < 200) {
            QVERIFY2(!text.contains(QStringLiteral("line %1").arg(last + 1, 3, 10, QLatin1Char('0'))),
                     qPrintable(QStringLiteral("line %1 belongs to the next page").arg(last + 1)));
        }
    }
}

void TestReportLayout::pdfPaperFollowsOrientation_data()
{
    QTest::addColumn<QPageLayout::Orientation>("orientation");
    QTest::addColumn<QSizeF>("points");
    QTest::newRow("portrait") << QPageLayout::Portrait << QSizeF(595.28, 841.89);
    QTest::newRow("landscape") << QPageLayout::Landscape << QSizeF(841.89, 595.28);
}

void TestReportLayout::pdfPaperFollowsOrientation()
{
    if (const QString missing = PdfTools::missingTools(); !missing.isEmpty())
        QSKIP(qPrintable(missing));
    QFETCH(QPageLayout::Orientation, orientation);
    QFETCH(QSizeF, points);
    const QString path = renderToPdf(m_dir, setupFor(orientation), QString());
    QCOMPARE(PdfTools::pageCount(path), 1);
    const QSizeF size = PdfTools::pageSize(path, 1);
    QVERIFY2(qAbs(size.width() - points.width()) < 1 && qAbs(size.height() - points.height()) < 1,
             qPrintable(QStringLiteral("%1 x %2").arg(size.width()).arg(size.height())));
    // The empty report still has its header.
    QVERIFY(PdfTools::pageText(path, 1).contains(QStringLiteral("Page:1")));
}

void TestReportLayout::japaneseSurvivesAsText()
{
    if (const QString missing = PdfTools::missingTools(); !missing.isEmpty())
        QSKIP(qPrintable(missing));
    ReportSetup setup = ReportSetup::design();
    setup.headerCaption = QStringLiteral("/home/利用者/日本語の名前.txt");
    const QString path = renderToPdf(m_dir, setup,
                                     QStringLiteral("吾輩は猫である。名前はまだ無い。\n半角ｶﾅと全角ＡＢＣ"));
    const QString text = PdfTools::pageText(path, 1);
    QVERIFY2(text.contains(QStringLiteral("吾輩は猫である。名前はまだ無い。")), qPrintable(text));
    QVERIFY(text.contains(QStringLiteral("半角ｶﾅと全角ＡＢＣ")));
    QVERIFY(text.contains(QStringLiteral("日本語の名前.txt")));
    QVERIFY2(PdfTools::fontNames(path).join(u' ').contains(QLatin1String("IPAGothic")),
             "the design face prints in the installed Japanese face");
}

void TestReportLayout::longCaptionKeepsItsFileName()
{
    if (const QString missing = PdfTools::missingTools(); !missing.isEmpty())
        QSKIP(qPrintable(missing));
    ReportSetup setup = ReportSetup::design();
    setup.headerCaption = QStringLiteral("/very") + QStringLiteral("/deeply/nested").repeated(20) +
        QStringLiteral("/last-one.txt");
    const QString text = PdfTools::pageText(renderToPdf(m_dir, setup, QStringLiteral("x")), 1);
    QVERIFY2(text.contains(QStringLiteral("last-one.txt")), qPrintable(text));
    QVERIFY2(text.contains(QStringLiteral("Page:1")), "the caption does not run into the page number");
    QVERIFY(!text.contains(QStringLiteral("/very/deeply")));
}

QTEST_MAIN(TestReportLayout)
#include "tst_reportlayout.moc"
