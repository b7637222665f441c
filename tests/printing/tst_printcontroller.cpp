// SPDX-License-Identifier: MIT
// Print, printer set-up and the preview, driven as the editor window drives them.
#include "fakedialogs.h"
#include "pdftools.h"
#include "printing/printcontroller.h"
#include "printing/printingtexts.h"
#include "printing/reportlayout.h"
#include "printing/reportpreview.h"
#include "testprinthost.h"
#include "ui/fontsubstitution.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QElapsedTimer>
#include <QPrinter>
#include <QProgressDialog>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <memory>

namespace {
const QDateTime kPrinted(QDate(2024, 3, 9), QTime(7, 5, 2));

QString numberedLines(int count)
{
    QStringList lines;
    for (int i = 1; i <= count; ++i)
        lines.append(QStringLiteral("line %1").arg(i, 3, 10, QLatin1Char('0')));
    return lines.join(u'\n');
}

/** Some megabytes of text: more than a preview could lay out before it answers. */
QString largeText()
{
    const QString block = numberedLines(999) + u'\n';
    QString text;
    text.reserve(block.size() * 800);
    for (int i = 0; i < 800; ++i)
        text += block;
    return text;
}

/** Whether the page's text area has ink: the page was painted, not only its paper. */
bool pageHasText(ReportPreview* preview, int page)
{
    const QRect rect = preview->pageRect(page).intersected(preview->viewport()->rect());
    const QImage image = preview->viewport()->grab(rect).toImage();
    // Below the header band, left of the page's middle, where the lines start.
    for (int y = image.height() / 8; y < image.height(); ++y) {
        for (int x = 0; x < image.width() / 2; ++x) {
            if (qGray(image.pixel(x, y)) < 100)
                return true;
        }
    }
    return false;
}

QFont serifFont()
{
    QFont font(QStringLiteral("DejaVu Serif"), 14);
    font.setBold(true);
    return font;
}
} // namespace

class TestPrintController final : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

    void printBeforeAnyPreviewUsesTheDesign();
    void printAfterAToggleUsesItsSetUp_data();
    void printAfterAToggleUsesItsSetUp();
    void landscapeTakesEffectAtTheNextToggle();
    void cancelledSetUpChangesNothing();

    void openingShowsThePreviewInTheWindow();
    void previewOpensAtPageOneAndZoom80();
    void emptyDocumentPreviewsOnePage();
    void pagesShowFromTheirTop_data();
    void pagesShowFromTheirTop();
    void eachOpeningReadsTheCurrentText();
    void pageButtons_data();
    void pageButtons();
    void zoomFromTheContextMenu_data();
    void zoomFromTheContextMenu();
    void rightClickOpensTheContextMenu();
    void leavingRestoresTheWindow_data();
    void leavingRestoresTheWindow();
    void dragOnThePreviewDoesNotLeave();
    void checkableMenuItemFollowsTheState();
    void largeDocumentPreviewAnswersThroughout_data();
    void largeDocumentPreviewAnswersThroughout();
    void largeDocumentPrintCanBeCancelled();

    void noPrinterIsReported();
    void failingPrinterIsReported();

private:
    QString printToPdf(const QString& name);
    void clickButton(int number);
    ReportPreview* previewView() const;

    QTemporaryDir m_dir;
    std::unique_ptr<FakeDialogs> m_dialogs;
    std::unique_ptr<TestPrintHost> m_host;
    std::unique_ptr<PrintController> m_print;
};

void TestPrintController::initTestCase()
{
    installFontSubstitutions();
    QVERIFY(m_dir.isValid());
}

void TestPrintController::init()
{
    m_dialogs = std::make_unique<FakeDialogs>();
    m_host = std::make_unique<TestPrintHost>();
    m_host->fileName = m_dir.filePath(QStringLiteral("メモ.txt"));
    m_print = std::make_unique<PrintController>(*m_host, m_host->controls(), *m_dialogs);
    m_print->setClock([] { return kPrinted; });
    m_host->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_host.get()));
}

void TestPrintController::cleanup()
{
    m_print.reset();
    m_host.reset();
}

QString TestPrintController::printToPdf(const QString& name)
{
    const QString path = m_dir.filePath(name);
    QFile::remove(path);
    m_print->printer().setOutputFormat(QPrinter::PdfFormat);
    m_print->printer().setOutputFileName(path);
    m_print->FilePrint();
    return path;
}

void TestPrintController::clickButton(int number)
{
    auto* button = m_host->Panel3->findChild<QPushButton*>(QStringLiteral("Button%1").arg(number));
    QVERIFY(button && button->isVisible());
    QTest::mouseClick(button, Qt::LeftButton);
}

ReportPreview* TestPrintController::previewView() const
{
    return m_host->QRPreview1->findChild<ReportPreview*>(QStringLiteral("QRPreview1Pages"));
}

void TestPrintController::printBeforeAnyPreviewUsesTheDesign()
{
    if (const QString missing = PdfTools::missingTools(); !missing.isEmpty())
        QSKIP(qPrintable(missing));
    m_host->RichEdit2->setFont(serifFont());
    m_host->RichEdit2->setPlainText(QStringLiteral("最初の印刷\nsecond line"));

    const QString path = printToPdf(QStringLiteral("first.pdf"));
    QVERIFY2(m_dialogs->messages.isEmpty(), qPrintable(m_dialogs->messages.join(u'\n')));
    QCOMPARE(PdfTools::pageCount(path), 1);
    const QString text = PdfTools::pageText(path, 1);
    QVERIFY2(text.contains(QStringLiteral("Orvel Soft Version 1.3.7")), qPrintable(text));
    QVERIFY(!text.contains(QStringLiteral("メモ.txt")));
    QVERIFY(text.contains(QStringLiteral("2024/03/09 7:05:02")));
    QVERIFY(text.contains(QStringLiteral("Page:1")));
    QVERIFY(text.contains(QStringLiteral("最初の印刷")));
    const QString fonts = PdfTools::fontNames(path).join(u' ');
    QVERIFY2(!fonts.contains(QLatin1String("DejaVuSerif")), qPrintable(fonts));
    QVERIFY(PdfTools::pageSize(path, 1).height() > PdfTools::pageSize(path, 1).width());
}

void TestPrintController::printAfterAToggleUsesItsSetUp_data()
{
    QTest::addColumn<bool>("leave");
    QTest::addColumn<bool>("byClick");
    QTest::newRow("while the preview is shown") << false << false;
    QTest::newRow("after leaving by the menu") << true << false;
    QTest::newRow("after leaving by a click") << true << true;
}

void TestPrintController::printAfterAToggleUsesItsSetUp()
{
    if (const QString missing = PdfTools::missingTools(); !missing.isEmpty())
        QSKIP(qPrintable(missing));
    QFETCH(bool, leave);
    QFETCH(bool, byClick);
    m_host->RichEdit2->setFont(serifFont());
    m_host->RichEdit2->setPlainText(QStringLiteral("本文 and Latin text"));

    m_print->F_PVewClick();
    if (leave && byClick)
        QTest::mouseClick(previewView()->viewport(), Qt::LeftButton);
    else if (leave)
        m_print->F_PVewClick();
    QCOMPARE(m_print->isPreviewing(), !leave);

    const QString path = printToPdf(QStringLiteral("toggled.pdf"));
    const QString text = PdfTools::pageText(path, 1);
    QVERIFY2(text.contains(QStringLiteral("メモ.txt")), qPrintable(text));
    QVERIFY(!text.contains(QStringLiteral("Orvel Soft")));
    const QString fonts = PdfTools::fontNames(path).join(u' ');
    QVERIFY2(fonts.contains(QLatin1String("DejaVuSerif-Bold")), qPrintable(fonts));
}

void TestPrintController::landscapeTakesEffectAtTheNextToggle()
{
    if (const QString missing = PdfTools::missingTools(); !missing.isEmpty())
        QSKIP(qPrintable(missing));
    m_host->RichEdit2->setPlainText(numberedLines(60));
    m_dialogs->printerChoice = [](QPrinter& printer) { printer.setPageOrientation(QPageLayout::Landscape); };
    m_print->FilePrintSetup();
    QCOMPARE(m_dialogs->printerSetups, 1);

    const auto isLandscape = [](const QString& path) {
        const QSizeF size = PdfTools::pageSize(path, 1);
        return size.width() > size.height();
    };
    QVERIFY2(!isLandscape(printToPdf(QStringLiteral("before.pdf"))), "set-up alone does not turn the report");

    m_print->F_PVewClick();
    QCOMPARE(m_print->reportSetup().orientation, QPageLayout::Landscape);
    QCOMPARE(m_print->preview()->orientation(), QPageLayout::Landscape);
    QCOMPARE(m_print->reportSetup().elementWidth, 277.0);
    const QString duringPreview = printToPdf(QStringLiteral("during.pdf"));
    QVERIFY(isLandscape(duringPreview));

    m_print->F_PVewClick();
    QVERIFY(isLandscape(printToPdf(QStringLiteral("after.pdf"))));
    // Printing used the report's page, and the printer still holds the choice made in set-up.
    QCOMPARE(m_print->printer().pageLayout().orientation(), QPageLayout::Landscape);
}

void TestPrintController::cancelledSetUpChangesNothing()
{
    const QPageLayout before = m_print->printer().pageLayout();
    const QString name = m_print->printer().printerName();
    m_print->FilePrintSetup(); // no choice: the user cancels
    QCOMPARE(m_dialogs->printerSetups, 1);
    QVERIFY(m_print->printer().pageLayout().isEquivalentTo(before));
    QCOMPARE(m_print->printer().printerName(), name);
    QCOMPARE(m_print->reportSetup().headerCaption, QStringLiteral("Orvel Soft Version 1.3.7"));
}

void TestPrintController::openingShowsThePreviewInTheWindow()
{
    m_host->VG->setChecked(true);
    m_host->applyLineNumberSwitch();
    m_print->F_PVewClick();

    QVERIFY(m_host->F_PVew->isChecked());
    QVERIFY(m_host->QRPreview1->isVisible());
    QVERIFY(m_print->preview()->isVisible());
    QVERIFY(!m_host->RichEdit2->isVisible());
    QVERIFY(!m_host->Ruler->isVisible());
    QVERIFY2(!m_host->Panel4->isVisible(), "the gutter gives way even with line numbers on");
    QVERIFY(!m_host->ToolBar1->isVisible());
    QVERIFY(m_host->Panel3->isVisible());
    QCOMPARE(m_host->StatusBar1->text(), QStringLiteral("プレビュー"));
}

void TestPrintController::previewOpensAtPageOneAndZoom80()
{
    m_host->RichEdit2->setPlainText(numberedLines(200));
    m_print->F_PVewClick();
    ReportSetup expected = ReportSetup::design();
    applyPreviewToggle(
        expected,
        ToggleInput { m_host->editorFont(), m_host->editorTextColour(), QPageLayout::Portrait, m_host->fileName });
    const int pages = ReportLayout(expected, numberedLines(200)).pageCount();
    QVERIFY(pages > 2);

    QCOMPARE(m_print->preview()->pageCount(), pages);
    QCOMPARE(m_print->lastPage(), pages);
    QCOMPARE(m_print->preview()->currentPage(), 1);
    QCOMPARE(m_print->preview()->zoomFactor(), 0.8);
    QCOMPARE(m_host->StatusBar2->text(), QStringLiteral("1 / %1").arg(pages));

    // Wherever the last preview was left, the next one starts afresh.
    clickButton(3);
    clickButton(3);
    m_print->PView50Click();
    QCOMPARE(m_print->preview()->currentPage(), 3);
    m_print->F_PVewClick();
    m_print->F_PVewClick();
    QCOMPARE(m_print->preview()->currentPage(), 1);
    QCOMPARE(m_print->preview()->zoomFactor(), 0.8);
    QCOMPARE(m_host->StatusBar2->text(), QStringLiteral("1 / %1").arg(pages));
}

void TestPrintController::emptyDocumentPreviewsOnePage()
{
    m_print->F_PVewClick();
    QCOMPARE(m_print->preview()->pageCount(), 1);
    QCOMPARE(m_host->StatusBar2->text(), QStringLiteral("1 / 1"));
    clickButton(3);
    clickButton(4);
    QCOMPARE(m_host->StatusBar2->text(), QStringLiteral("1 / 1"));
}

void TestPrintController::pagesShowFromTheirTop_data()
{
    QTest::addColumn<QList<int>>("clicks");
    QTest::newRow("on opening") << QList<int> {};
    QTest::newRow("after >") << QList<int> { 3 };
    QTest::newRow("after >>") << QList<int> { 4 };
}

void TestPrintController::pagesShowFromTheirTop()
{
    QFETCH(QList<int>, clicks);
    m_host->RichEdit2->setPlainText(numberedLines(200));
    m_print->F_PVewClick();
    QTest::qWait(50);
    for (const int button : clicks)
        clickButton(button);

    ReportPreview* view = previewView();
    const QRect visible = view->viewport()->rect();
    const QRect page = view->pageRect(view->currentPage());
    QVERIFY2(page.height() > visible.height(), "at 80% an A4 page is taller than the window");
    QVERIFY2(visible.contains(QPoint(page.center().x(), page.top() + 1)), "the page's header is in view");
}

void TestPrintController::eachOpeningReadsTheCurrentText()
{
    m_host->RichEdit2->setPlainText(QStringLiteral("short"));
    m_print->F_PVewClick();
    QCOMPARE(m_print->preview()->pageCount(), 1);
    m_print->F_PVewClick();

    m_host->RichEdit2->setPlainText(numberedLines(200));
    m_print->F_PVewClick();
    QVERIFY(m_print->preview()->pageCount() > 2);
    QCOMPARE(m_print->lastPage(), m_print->preview()->pageCount());
}

void TestPrintController::pageButtons_data()
{
    QTest::addColumn<QList<int>>("clicks");
    QTest::addColumn<int>("fromEnd"); // the page expected, counted back from the last (0 = last)
    QTest::addColumn<int>("fromStart"); // or counted from the first, when fromEnd is -1

    QTest::newRow("< on the first page stays") << QList<int> { 2 } << -1 << 1;
    QTest::newRow("> twice") << QList<int> { 3, 3 } << -1 << 3;
    QTest::newRow("> then <") << QList<int> { 3, 2 } << -1 << 1;
    QTest::newRow(">> goes to the last page") << QList<int> { 4 } << 0 << 0;
    QTest::newRow("> on the last page stays") << QList<int> { 4, 3 } << 0 << 0;
    QTest::newRow(">> then <") << QList<int> { 4, 2 } << 1 << 0;
    QTest::newRow("<< from the last page") << QList<int> { 4, 1 } << -1 << 1;
}

void TestPrintController::pageButtons()
{
    QFETCH(QList<int>, clicks);
    QFETCH(int, fromEnd);
    QFETCH(int, fromStart);
    m_host->RichEdit2->setPlainText(numberedLines(400));
    m_print->F_PVewClick();
    const int pages = m_print->preview()->pageCount();
    QVERIFY(pages >= 4);

    for (const int button : clicks)
        clickButton(button);
    const int expected = fromEnd >= 0 ? pages - fromEnd : fromStart;
    QCOMPARE(m_print->preview()->currentPage(), expected);
    QCOMPARE(m_host->StatusBar2->text(), QStringLiteral("%1 / %2").arg(expected).arg(pages));
}

void TestPrintController::zoomFromTheContextMenu_data()
{
    QTest::addColumn<QString>("item");
    QTest::addColumn<double>("zoom");
    QTest::newRow("100%") << QStringLiteral("PView100") << 1.0;
    QTest::newRow("50%") << QStringLiteral("PView50") << 0.5;
    QTest::newRow("20%") << QStringLiteral("PView20") << 0.2;
    QTest::newRow("80% after 20%") << QStringLiteral("PView80") << 0.8;
}

void TestPrintController::zoomFromTheContextMenu()
{
    QFETCH(QString, item);
    QFETCH(double, zoom);
    m_host->RichEdit2->setPlainText(numberedLines(200));
    m_print->F_PVewClick();
    clickButton(3);
    m_print->PView20Click();

    m_host->PopupMenu3->findChild<QAction*>(item)->trigger();
    QCOMPARE(m_print->preview()->zoomFactor(), zoom);
    QCOMPARE(m_print->preview()->currentPage(), 2);
}

void TestPrintController::rightClickOpensTheContextMenu()
{
    m_print->F_PVewClick();
    QWidget* viewport = previewView()->viewport();
    const QPoint at = viewport->rect().center();
    QContextMenuEvent event(QContextMenuEvent::Mouse, at, viewport->mapToGlobal(at));
    QApplication::sendEvent(viewport, &event);
    QVERIFY(m_host->PopupMenu3->isVisible());
    m_host->PopupMenu3->hide();
    QVERIFY(m_print->isPreviewing());
}

void TestPrintController::leavingRestoresTheWindow_data()
{
    QTest::addColumn<bool>("byClick");
    QTest::addColumn<bool>("lineNumbers");
    QTest::newRow("by the menu, line numbers on") << false << true;
    QTest::newRow("by the menu, line numbers off") << false << false;
    QTest::newRow("by a click, line numbers on") << true << true;
    QTest::newRow("by a click, line numbers off") << true << false;
}

void TestPrintController::leavingRestoresTheWindow()
{
    QFETCH(bool, byClick);
    QFETCH(bool, lineNumbers);
    m_host->VG->setChecked(lineNumbers);
    m_host->applyLineNumberSwitch();
    m_host->Ruler->hide(); // switched off in the View menu; leaving shows it all the same
    m_print->F_PVewClick();

    if (byClick)
        QTest::mouseClick(previewView()->viewport(), Qt::LeftButton, {}, QPoint(40, 40));
    else
        m_print->F_PVewClick();

    QVERIFY(!m_print->isPreviewing());
    QVERIFY(!m_host->F_PVew->isChecked());
    QVERIFY(!m_host->QRPreview1->isVisible());
    QVERIFY(m_host->RichEdit2->isVisible());
    QVERIFY(m_host->Ruler->isVisible());
    QVERIFY(m_host->ToolBar1->isVisible());
    QVERIFY(!m_host->Panel3->isVisible());
    QCOMPARE(m_host->Panel4->isVisible(), lineNumbers);
    QCOMPARE(m_host->Panel4->width(), lineNumbers ? 30 : 0);
    QCOMPARE(m_host->StatusBar1->text(), QString());
    QCOMPARE(m_host->StatusBar2->text(), QString());
}

void TestPrintController::dragOnThePreviewDoesNotLeave()
{
    m_print->F_PVewClick();
    QWidget* viewport = previewView()->viewport();
    QTest::mousePress(viewport, Qt::LeftButton, {}, QPoint(20, 20));
    QTest::mouseMove(viewport, QPoint(20, 120));
    QTest::mouseRelease(viewport, Qt::LeftButton, {}, QPoint(20, 120));
    QVERIFY(m_print->isPreviewing());
    QTest::mouseClick(viewport, Qt::RightButton, {}, QPoint(20, 20));
    QVERIFY(m_print->isPreviewing());
}

void TestPrintController::checkableMenuItemFollowsTheState()
{
    // A checkable menu item flips its own mark before the handler runs; the mark must end as the state.
    connect(m_host->F_PVew, &QAction::triggered, m_print.get(), &PrintController::F_PVewClick);
    m_host->F_PVew->trigger();
    QVERIFY(m_print->isPreviewing());
    QVERIFY(m_host->F_PVew->isChecked());
    m_host->F_PVew->trigger();
    QVERIFY(!m_print->isPreviewing());
    QVERIFY(!m_host->F_PVew->isChecked());
}

void TestPrintController::largeDocumentPreviewAnswersThroughout_data()
{
    QTest::addColumn<QString>("leaveBy");
    QTest::newRow("Esc") << QStringLiteral("esc");
    QTest::newRow("the menu item") << QStringLiteral("menu");
    QTest::newRow("closing the window") << QStringLiteral("close");
}

void TestPrintController::largeDocumentPreviewAnswersThroughout()
{
    QFETCH(QString, leaveBy);
    m_host->RichEdit2->setPlainText(largeText());
    // This window's text widget takes its time to hand the text over; the editor's does not.
    QElapsedTimer clock;
    clock.start();
    (void)m_host->documentUtf8Length();
    (void)m_host->documentUtf8(0, 4 << 20);
    const qint64 textMs = clock.elapsed();
    clock.restart();
    m_print->F_PVewClick();
    // Bounds far above the targets, which the bench measures: this is about never waiting for the whole.
    QVERIFY2(clock.elapsed() < 2 * textMs + 3000,
             qPrintable(QStringLiteral("%1 ms to open, %2 of them for the text").arg(clock.elapsed()).arg(textMs)));
    QVERIFY(m_print->isPreviewing());
    ReportPreview* preview = previewView();
    QVERIFY(pageHasText(preview, 1));
    QVERIFY2(m_host->StatusBar2->text().endsWith(PrintingText::StillCounting), qPrintable(m_host->StatusBar2->text()));

    // The count fills in while the window answers.
    const int known = preview->pageCount();
    QTest::qWait(300);
    QVERIFY2(preview->pageCount() > known, qPrintable(QStringLiteral("%1 pages").arg(known)));
    QCOMPARE(m_print->lastPage(), preview->pageCount());
    clickButton(4);
    QVERIFY(pageHasText(preview, preview->currentPage()));

    clock.restart();
    if (leaveBy == QLatin1String("esc")) {
        QTest::keyClick(preview, Qt::Key_Escape);
    } else if (leaveBy == QLatin1String("menu")) {
        m_print->F_PVewClick();
    } else {
        m_host->close();
        QVERIFY(!m_host->isVisible());
        m_print.reset();
        m_host.reset();
        QVERIFY(clock.elapsed() < 1000);
        return;
    }
    QVERIFY(!m_print->isPreviewing());
    QVERIFY(m_host->RichEdit2->isVisible());
    QVERIFY2(clock.elapsed() < 1000, qPrintable(QStringLiteral("%1 ms to leave").arg(clock.elapsed())));
    // Counting stops with the preview: the next one starts afresh.
    m_host->RichEdit2->setPlainText(QStringLiteral("short"));
    m_print->F_PVewClick();
    QCOMPARE(m_host->StatusBar2->text(), QStringLiteral("1 / 1"));
}

void TestPrintController::largeDocumentPrintCanBeCancelled()
{
    m_host->RichEdit2->setPlainText(largeText());
    const QString path = m_dir.filePath(QStringLiteral("cancelled.pdf"));
    m_print->printer().setOutputFormat(QPrinter::PdfFormat);
    m_print->printer().setOutputFileName(path);

    // The progress shows after half a second; its cancel button stops the job.
    QString shownText;
    QElapsedTimer sinceCancel;
    QTimer cancel;
    connect(&cancel, &QTimer::timeout, this, [&] {
        auto* progress = qobject_cast<QProgressDialog*>(QApplication::activeModalWidget());
        if (!progress || !progress->isVisible() || sinceCancel.isValid())
            return;
        shownText = progress->labelText();
        auto* button = progress->findChild<QPushButton*>();
        QVERIFY(button);
        QCOMPARE(button->text(), PrintingText::CancelPrinting);
        sinceCancel.start();
        QTest::mouseClick(button, Qt::LeftButton);
    });
    cancel.start(50);
    QElapsedTimer clock;
    clock.start();
    m_print->FilePrint();
    QVERIFY2(sinceCancel.isValid(),
             qPrintable(QStringLiteral("printed in %1 ms without a progress").arg(clock.elapsed())));
    QVERIFY2(sinceCancel.elapsed() < 1000, qPrintable(QStringLiteral("%1 ms after cancel").arg(sinceCancel.elapsed())));
    QCOMPARE(shownText, PrintingText::Printing.arg(QStringLiteral("メモ.txt")));
    QCOMPARE(m_dialogs->messages, QStringList());
    QVERIFY(!QApplication::overrideCursor());
}

void TestPrintController::noPrinterIsReported()
{
    QPrinter& printer = m_print->printer();
    if (!printer.printerName().isEmpty())
        QSKIP("this machine has a printer; the test needs none (CUPS_SERVER points nowhere)");
    m_host->RichEdit2->setPlainText(QStringLiteral("text"));
    m_print->FilePrint();
    QCOMPARE(m_dialogs->messages, QStringList { PrintingText::NoPrinter });
}

void TestPrintController::failingPrinterIsReported()
{
    const QString path = m_dir.filePath(QStringLiteral("missing-folder/out.pdf"));
    m_print->printer().setOutputFormat(QPrinter::PdfFormat);
    m_print->printer().setOutputFileName(path);
    m_host->RichEdit2->setPlainText(QStringLiteral("text"));
    m_print->FilePrint();
    QCOMPARE(m_dialogs->messages, QStringList { PrintingText::PrintFailed.arg(path) });
    QVERIFY(!QApplication::overrideCursor()); // the busy cursor goes with a failed job too
    // The window goes on: the preview still opens.
    m_print->F_PVewClick();
    QVERIFY(m_print->isPreviewing());
}

int main(int argc, char** argv)
{
    // No printer of this machine may take part: the client library finds no scheduler here.
    qputenv("CUPS_SERVER", QByteArrayLiteral("/nonexistent/pemmo-test-cups.sock"));
    QApplication app(argc, argv);
    TestPrintController test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_printcontroller.moc"
