// SPDX-License-Identifier: MIT
#pragma once

#include "printhost.h"
#include "reportdesign.h"

#include <QDateTime>
#include <QObject>
#include <QPoint>

#include <functional>
#include <memory>

class Dialogs;
class QPrinter;
class QTimer;
class ReportLayout;
class ReportPreview;

/**
 * Print, printer set-up and the in-window preview of the editor window. The window owns one
 * and connects its menu items and tool buttons to the handlers; the page buttons, the preview's
 * context menu and the click on the preview are connected here. Every handler reports a failure
 * through the default error report and returns; none throws.
 */
class PrintController final : public QObject
{
    Q_OBJECT
public:
    PrintController(PrintHost& host, const PreviewControls& controls, Dialogs& dialogs, QObject* parent = nullptr);
    ~PrintController() override;

    /** Prints the document on the current printer, without a dialog. */
    void FilePrint();
    /** The printer set-up dialog; its choice reaches the next print and the next preview toggle. */
    void FilePrintSetup();
    /** Turns the preview on or off ("印刷プレビュー" of the File menu and of the editor's context menu). */
    void F_PVewClick();
    /** A click on the preview leaves it. */
    void QRPreview1Click();
    void Button1Click(); // "<<"
    void Button2Click(); // "<"
    void Button3Click(); // ">"
    void Button4Click(); // ">>"
    void PView100Click();
    void PView80Click();
    void PView50Click();
    void PView20Click();

    bool isPreviewing() const { return m_previewing; }
    /** Leaves the preview, if it is shown. */
    void endPreview();
    /** The current printer: printer set-up changes it, print uses it. */
    QPrinter& printer() { return *m_printer; }
    /** The report as the next print or preview will lay it out. */
    const ReportSetup& reportSetup() const { return m_setup; }
    ReportPreview* preview() const { return m_preview; }
    /** The last page known so far; ">>" goes there. */
    int lastPage() const { return m_lastPage; }
    /** Where the print date and time come from. */
    void setClock(std::function<QDateTime()> clock) { m_clock = std::move(clock); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void connectControls();
    void DetailBand1BeforePrint();
    void applyToggleSetup();
    void openPreview();
    void leavePreview();
    void layOutMorePages();
    void printOn(QPrinter& printer);
    void requestPage(int page);
    void setZoom(int percent);
    void showCounter();

    PrintHost& m_host;
    PreviewControls m_controls;
    Dialogs& m_dialogs;
    std::unique_ptr<QPrinter> m_printer;
    ReportPreview* m_preview = nullptr;
    /** The preview's pages, broken a slice at a time while the window goes on answering. */
    std::unique_ptr<ReportLayout> m_previewLayout;
    QTimer* m_layoutTimer = nullptr;
    qsizetype m_previewTextLength = 0; // in UTF-8 bytes
    bool m_textTick = false;
    ReportSetup m_setup = ReportSetup::design();
    QByteArray m_lines; // UTF-8
    bool m_previewing = false;
    int m_lastPage = 1;
    QPoint m_pressedAt;
    std::function<QDateTime()> m_clock = [] { return QDateTime::currentDateTime(); };
};
