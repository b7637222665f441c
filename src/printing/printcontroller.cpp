// SPDX-License-Identifier: MIT
#include "printcontroller.h"

#include "printingtexts.h"
#include "reportlayout.h"
#include "ui/busycursor.h"
#include "ui/dialogs.h"
#include "ui/errorreport.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QBoxLayout>
#include <QFileInfo>
#include <QGraphicsItem>
#include <QGraphicsView>
#include <QMenu>
#include <QMouseEvent>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QPrinterInfo>
#include <QProgressDialog>
#include <QTimer>

#include <stdexcept>

namespace {

constexpr int kPreviewZoom = 80;
constexpr int kMinimumZoom = 2;
constexpr int kMaximumZoom = 2000;

[[noreturn]] void fail(const QString& message)
{
    throw std::runtime_error(message.toStdString());
}

QString destinationName(const QPrinter& printer)
{
    return printer.outputFormat() == QPrinter::PdfFormat ? printer.outputFileName() : printer.printerName();
}

/** The report's paper on a printer: A4, the painter's origin at the paper's corner. */
void useReportPage(QPrinter& printer, QPageLayout::Orientation orientation)
{
    printer.setFullPage(true);
    printer.setPageSize(QPageSize(QPageSize::A4));
    printer.setPageOrientation(orientation);
}
} // namespace

PrintController::PrintController(PrintHost& host, const PreviewControls& controls, Dialogs& dialogs, QObject* parent)
    : QObject(parent)
    , m_host(host)
    , m_controls(controls)
    , m_dialogs(dialogs)
    , m_printer(std::make_unique<QPrinter>(QPrinter::HighResolution))
    , m_previewPrinter(std::make_unique<QPrinter>(QPrinter::HighResolution))
{
    // The preview never reaches a printer; it only lends the page its size and resolution.
    m_previewPrinter->setOutputFormat(QPrinter::PdfFormat);

    m_preview = new QPrintPreviewWidget(m_previewPrinter.get(), m_controls.QRPreview1);
    m_preview->setObjectName(QStringLiteral("QRPreview1Pages"));
    auto* layout = m_controls.QRPreview1->layout();
    if (!layout) {
        layout = new QVBoxLayout(m_controls.QRPreview1);
        layout->setContentsMargins(0, 0, 0, 0);
    }
    layout->addWidget(m_preview);
    m_controls.QRPreview1->hide();
    connectControls();
}

PrintController::~PrintController() = default;

void PrintController::connectControls()
{
    connect(m_preview, &QPrintPreviewWidget::paintRequested, this, &PrintController::paintPreview);

    if (auto* view = m_preview->findChild<QGraphicsView*>()) {
        view->viewport()->installEventFilter(this);
        // The scroll area answers its viewport's context-menu events by its own policy.
        view->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(view, &QWidget::customContextMenuRequested, this, [this, view](const QPoint& at) {
            if (m_controls.PopupMenu3)
                m_controls.PopupMenu3->popup(view->viewport()->mapToGlobal(at));
        });
    }

    const std::array<void (PrintController::*)(), 4> pageHandlers { &PrintController::Button1Click,
                                                                    &PrintController::Button2Click,
                                                                    &PrintController::Button3Click,
                                                                    &PrintController::Button4Click };
    for (int i = 0; i < int(pageHandlers.size()) && i < m_controls.pageButtons.size(); ++i)
        connect(m_controls.pageButtons.at(i), &QAbstractButton::clicked, this, pageHandlers[size_t(i)]);

    const std::array<void (PrintController::*)(), 4> zoomHandlers { &PrintController::PView100Click,
                                                                    &PrintController::PView80Click,
                                                                    &PrintController::PView50Click,
                                                                    &PrintController::PView20Click };
    for (int i = 0; i < int(zoomHandlers.size()) && i < m_controls.zoomItems.size(); ++i)
        connect(m_controls.zoomItems.at(i), &QAction::triggered, this, zoomHandlers[size_t(i)]);
}

void PrintController::FilePrint()
{
    runReported(m_dialogs, [this] {
        DetailBand1BeforePrint();
        printOn(*m_printer);
    });
}

void PrintController::FilePrintSetup()
{
    runReported(m_dialogs, [this] { m_dialogs.printerSetup(*m_printer); });
}

void PrintController::F_PVewClick()
{
    runReported(m_dialogs, [this] {
        applyToggleSetup();
        if (m_previewing)
            leavePreview();
        else
            openPreview();
    });
}

void PrintController::endPreview()
{
    if (m_previewing)
        leavePreview();
}

void PrintController::QRPreview1Click()
{
    if (!m_previewing)
        return;
    runReported(m_dialogs, [this] { leavePreview(); });
}

void PrintController::Button1Click()
{
    requestPage(1);
}

void PrintController::Button2Click()
{
    requestPage(m_preview->currentPage() - 1);
}

void PrintController::Button3Click()
{
    requestPage(m_preview->currentPage() + 1);
}

void PrintController::Button4Click()
{
    requestPage(m_lastPage);
}

void PrintController::PView100Click()
{
    setZoom(100);
}

void PrintController::PView80Click()
{
    setZoom(80);
}

void PrintController::PView50Click()
{
    setZoom(50);
}

void PrintController::PView20Click()
{
    setZoom(20);
}

bool PrintController::eventFilter(QObject* watched, QEvent* event)
{
    // A click, not the end of a drag that scrolled the page.
    if (event->type() == QEvent::MouseButtonPress) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::LeftButton)
            m_pressedAt = mouse->position().toPoint();
    } else if (event->type() == QEvent::MouseButtonRelease) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::LeftButton &&
            (mouse->position().toPoint() - m_pressedAt).manhattanLength() < QApplication::startDragDistance()) {
            QRPreview1Click();
        }
    }
    return QObject::eventFilter(watched, event);
}

void PrintController::DetailBand1BeforePrint()
{
    m_lines = m_host.documentText();
}

void PrintController::applyToggleSetup()
{
    m_host.hideGutter();
    applyPreviewToggle(m_setup,
                       ToggleInput { m_host.editorFont(), m_host.editorTextColour(),
                                     m_printer->pageLayout().orientation(), m_host.documentFileName() });
}

void PrintController::openPreview()
{
    m_host.setRulerShown(false);
    m_host.setToolBarShown(false);
    if (m_controls.Panel3)
        m_controls.Panel3->show();
    m_previewing = true;
    if (m_controls.F_PVew)
        m_controls.F_PVew->setChecked(true);

    useReportPage(*m_previewPrinter, m_setup.orientation);
    m_preview->updatePreview();
    m_preview->setCurrentPage(1);
    m_lastPage = m_preview->pageCount();

    showCounter();
    m_host.setStatusMessage(PrintingText::Previewing);

    setZoom(kPreviewZoom);
    m_host.setEditingAreaShown(false);
    m_controls.QRPreview1->show();
    // The preview gets its final size only once the window has laid itself out again.
    QTimer::singleShot(0, this, &PrintController::showPageTop);
}

void PrintController::leavePreview()
{
    m_host.setToolBarShown(true);
    if (m_controls.Panel3)
        m_controls.Panel3->hide();
    m_controls.QRPreview1->hide();
    m_host.setEditingAreaShown(true);
    m_host.setRulerShown(true);
    m_host.setStatusMessage(QString());
    m_host.setPositionText(QString());
    m_previewing = false;
    if (m_controls.F_PVew)
        m_controls.F_PVew->setChecked(false);
    m_host.applyLineNumberSwitch();
}

void PrintController::paintPreview(QPrinter* printer)
{
    DetailBand1BeforePrint();
    const ReportLayout layout(m_setup, m_lines);
    renderReport(*printer, layout, m_clock());
}

void PrintController::printOn(QPrinter& printer)
{
    // Without any system printer Qt falls back to a PDF file that nobody has named yet.
    if (destinationName(printer).isEmpty() ||
        (printer.outputFormat() == QPrinter::NativeFormat &&
         QPrinterInfo::printerInfo(printer.printerName()).isNull())) {
        fail(PrintingText::NoPrinter);
    }

    // The report's page is the report's business: the orientation chosen in printer set-up must
    // still be there for the next preview toggle to take over.
    const QPageLayout chosen = printer.pageLayout();
    const bool chosenFullPage = printer.fullPage();
    useReportPage(printer, m_setup.orientation);
    const ReportLayout layout(m_setup, m_lines);
    // Many pages take a while: a busy cursor at once, and past half a second the progress with the name.
    const BusyCursor busy;
    QProgressDialog progress(PrintingText::Printing.arg(QFileInfo(m_host.documentFileName()).fileName()), QString(), 0,
                             layout.pageCount(), m_controls.QRPreview1 ? m_controls.QRPreview1->window() : nullptr);
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(500);
    const bool printed = renderReport(printer, layout, m_clock(),
                                      [&progress](int page, int) {
                                          progress.setValue(page);
                                          return true;
                                      }) &&
        printer.printerState() != QPrinter::Error;
    printer.setFullPage(chosenFullPage);
    printer.setPageLayout(chosen);

    if (!printed)
        fail(PrintingText::PrintFailed.arg(destinationName(printer)));
}

void PrintController::requestPage(int page)
{
    if (!m_previewing)
        return;
    // The preview ignores a page outside 1..count; the counter is rewritten all the same.
    m_preview->setCurrentPage(page);
    showPageTop();
    showCounter();
}

void PrintController::setZoom(int percent)
{
    if (percent < kMinimumZoom || percent > kMaximumZoom)
        return;
    m_preview->setZoomFactor(percent / 100.0);
    showPageTop();
}

void PrintController::showPageTop()
{
    // The preview centres the page it goes to; a page taller than the window should show its
    // header first, where reading starts.
    auto* view = m_preview->findChild<QGraphicsView*>();
    if (!m_previewing || !view)
        return;
    QGraphicsItem* page = view->itemAt(view->viewport()->rect().center());
    if (!page)
        return;
    while (page->parentItem())
        page = page->parentItem();
    const QRectF pageRect = page->sceneBoundingRect();
    const QRectF visible = view->mapToScene(view->viewport()->rect()).boundingRect();
    if (pageRect.height() <= visible.height())
        return;
    const double gap = 8 / view->transform().m22(); // a little of the grey above the paper, in page units
    view->centerOn(pageRect.center().x(), pageRect.top() - gap + visible.height() / 2);
}

void PrintController::showCounter()
{
    m_host.setPositionText(ReportDesign::counterText(m_preview->currentPage(), m_preview->pageCount()));
}
