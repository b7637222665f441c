// SPDX-License-Identifier: MIT
#include "printcontroller.h"

#include "printingtexts.h"
#include "reportlayout.h"
#include "reportpreview.h"
#include "ui/busycursor.h"
#include "ui/dialogs.h"
#include "ui/errorreport.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QBoxLayout>
#include <QDeadlineTimer>
#include <QFileInfo>
#include <QMenu>
#include <QMouseEvent>
#include <QPrinter>
#include <QPrinterInfo>
#include <QProgressDialog>
#include <QTimer>

#include <stdexcept>

namespace {

constexpr int kPreviewZoom = 80;
constexpr int kMinimumZoom = 2;
constexpr int kMaximumZoom = 2000;
/**
 * How long the preview breaks pages at a time before the window answers again, and how long it
 * may take before the first page shows.
 */
constexpr int kLayoutSliceMs = 15;
constexpr int kFirstPageMs = 100;
/** The preview takes the text this many bytes at a time: a few ms to copy, a thousand pages or so. */
constexpr qsizetype kTextSlice = qsizetype(2) << 20;
/** The print progress counts in thousandths of the text. */
constexpr int kProgressSteps = 1000;

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
{
    m_layoutTimer = new QTimer(this);
    m_layoutTimer->setInterval(0);
    connect(m_layoutTimer, &QTimer::timeout, this, &PrintController::layOutMorePages);

    m_preview = new ReportPreview(m_controls.QRPreview1);
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
    connect(m_preview, &ReportPreview::currentPageChanged, this, &PrintController::showCounter);
    connect(m_preview, &ReportPreview::leaveRequested, this, &PrintController::QRPreview1Click);
    m_preview->viewport()->installEventFilter(this);
    // The scroll area answers its viewport's context-menu events by its own policy.
    m_preview->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_preview, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        if (m_controls.PopupMenu3)
            m_controls.PopupMenu3->popup(m_preview->viewport()->mapToGlobal(at));
    });

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
    m_lines = m_host.documentUtf8(0, m_host.documentUtf8Length());
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

    // The first page shows at once; the rest are counted a slice at a time while the window answers.
    // The text comes a slice at a time too: the first holds many pages.
    m_previewTextLength = m_host.documentUtf8Length();
    m_previewLayout = std::make_unique<ReportLayout>(m_setup, m_host.documentUtf8(0, kTextSlice),
                                                     ReportLayout::Pace::Lazy, m_previewTextLength);
    m_previewLayout->layOutUntil(QDeadlineTimer(kFirstPageMs));
    m_preview->setReport(m_previewLayout.get(), m_clock());
    m_lastPage = m_previewLayout->pageCount();
    if (!m_previewLayout->isComplete())
        m_layoutTimer->start();

    showCounter();
    m_host.setStatusMessage(PrintingText::Previewing);

    m_host.setEditingAreaShown(false);
    m_controls.QRPreview1->show();
    setZoom(kPreviewZoom);
    m_preview->setFocus();
}

void PrintController::layOutMorePages()
{
    if (!m_previewLayout) {
        m_layoutTimer->stop();
        return;
    }
    // A tick either takes more text or breaks more pages, so that it stays short.
    m_textTick = !m_textTick;
    if (m_textTick && !m_previewLayout->isTextComplete()) {
        const QByteArray more = m_host.documentUtf8(m_previewLayout->textLength(), kTextSlice);
        m_previewLayout->appendText(
            more, more.size() < kTextSlice || m_previewLayout->textLength() + more.size() >= m_previewTextLength);
        return;
    }
    if (m_previewLayout->layOutUntil(QDeadlineTimer(kLayoutSliceMs)))
        m_layoutTimer->stop();
    m_lastPage = m_previewLayout->pageCount();
    m_preview->pagesAdded();
    showCounter();
}

void PrintController::leavePreview()
{
    m_layoutTimer->stop();
    m_preview->setReport(nullptr, {});
    m_previewLayout.reset();
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
    // Pages are broken as they are printed, so the first goes out at once and only the page
    // being printed is ever laid out.
    ReportLayout layout(m_setup, m_lines, ReportLayout::Pace::Lazy);
    // Many pages take a while: a busy cursor at once, and past half a second the progress with
    // the name and a way to stop.
    const BusyCursor busy;
    QProgressDialog progress(PrintingText::Printing.arg(QFileInfo(m_host.documentFileName()).fileName()),
                             PrintingText::CancelPrinting, 0, kProgressSteps,
                             m_controls.QRPreview1 ? m_controls.QRPreview1->window() : nullptr);
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(500);
    progress.setAutoReset(false);
    const bool printed = renderReport(printer, layout, m_clock(),
                                      [&](int, int) {
                                          // A modal progress lets the window's events through, the cancel button's too.
                                          progress.setValue(int(layout.progress() * (kProgressSteps - 1)));
                                          if (!progress.wasCanceled())
                                              return true;
                                          // Stopped: the job goes nowhere rather than half printed.
                                          printer.abort();
                                          return false;
                                      }) &&
        printer.printerState() != QPrinter::Error;
    const bool cancelled = progress.wasCanceled();
    printer.setFullPage(chosenFullPage);
    printer.setPageLayout(chosen);

    if (!printed && !cancelled)
        fail(PrintingText::PrintFailed.arg(destinationName(printer)));
}

void PrintController::requestPage(int page)
{
    if (!m_previewing)
        return;
    // The preview ignores a page outside 1..count; the counter is rewritten all the same.
    m_preview->setCurrentPage(page);
    showCounter();
}

void PrintController::setZoom(int percent)
{
    if (percent < kMinimumZoom || percent > kMaximumZoom)
        return;
    m_preview->setZoomFactor(percent / 100.0);
}

void PrintController::showCounter()
{
    QString counter = ReportDesign::counterText(m_preview->currentPage(), m_preview->pageCount());
    if (m_previewLayout && !m_previewLayout->isComplete())
        counter += PrintingText::StillCounting;
    m_host.setPositionText(counter);
}
