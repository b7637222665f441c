// SPDX-License-Identifier: MIT
// "印刷" through a real spooler: a CUPS scheduler of the test's own with the PDF printer as default.
#include "cupsscheduler.h"
#include "fakedialogs.h"
#include "pdftools.h"
#include "printing/printcontroller.h"
#include "printing/reportlayout.h"
#include "testprinthost.h"
#include "ui/fontsubstitution.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QPrinter>
#include <QTest>

#include <memory>

namespace {
constexpr int kJobSeconds = 90;
constexpr int kLines = 150;

QString numberedLines()
{
    QStringList lines;
    for (int i = 1; i <= kLines; ++i)
        lines.append(QStringLiteral("spooled line %1").arg(i, 3, 10, QLatin1Char('0')));
    return lines.join(u'\n');
}

/** The PDF cups-pdf writes, once the job has finished; empty after the deadline. */
QString waitForPdf(const CupsScheduler& cups, QDeadlineTimer deadline)
{
    // The file grows while the job runs; only a finished job's file is whole.
    while (cups.hasPendingJobs()) {
        if (deadline.hasExpired())
            return {};
        QTest::qWait(250);
    }
    const QFileInfoList files = QDir(cups.outputFolder()).entryInfoList({ QStringLiteral("*.pdf") }, QDir::Files);
    return files.isEmpty() ? QString() : files.constFirst().filePath();
}
} // namespace

class TestPrintEndToEnd final : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void printGoesThroughTheSpooler();

private:
    std::unique_ptr<CupsScheduler> m_cups;
};

void TestPrintEndToEnd::initTestCase()
{
    installFontSubstitutions();
    if (const QString missing = PdfTools::missingTools(); !missing.isEmpty())
        QSKIP(qPrintable(missing));
    if (const QString reason = CupsScheduler::unavailableReason(); !reason.isEmpty())
        QSKIP(qPrintable(reason));
    m_cups = std::make_unique<CupsScheduler>();
    QVERIFY2(m_cups->start(), qPrintable(m_cups->errorString()));
    qputenv("CUPS_SERVER", m_cups->socketPath().toLocal8Bit());
}

void TestPrintEndToEnd::printGoesThroughTheSpooler()
{
    FakeDialogs dialogs;
    TestPrintHost host;
    host.RichEdit2->setPlainText(numberedLines());
    PrintController print(host, host.controls(), dialogs);
    QCOMPARE(print.printer().outputFormat(), QPrinter::NativeFormat);
    QCOMPARE(print.printer().printerName(), m_cups->queueName());

    print.FilePrint();
    QVERIFY2(dialogs.messages.isEmpty(), qPrintable(dialogs.messages.join(u'\n')));
    const QString pdf = waitForPdf(*m_cups, QDeadlineTimer(kJobSeconds * 1000));
    QVERIFY2(!pdf.isEmpty(),
             qPrintable(QStringLiteral("no PDF from the queue, or not within %1 s; scheduler log:\n%2")
                            .arg(kJobSeconds)
                            .arg(m_cups->errorLog())));

    const int pages = ReportLayout(ReportSetup::design(), numberedLines()).pageCount();
    QVERIFY(pages > 1);
    QCOMPARE(PdfTools::pageCount(pdf), pages);
    for (int page = 1; page <= pages; ++page) {
        const QString text = PdfTools::pageText(pdf, page);
        QVERIFY2(text.contains(QStringLiteral("Orvel Soft Version 1.3.7")), qPrintable(text.left(400)));
        QVERIFY(text.contains(QStringLiteral("Page:%1").arg(page)));
    }
    QVERIFY(PdfTools::pageText(pdf, 1).contains(QStringLiteral("spooled line 001")));
    QVERIFY(PdfTools::pageText(pdf, pages).contains(QStringLiteral("spooled line %1").arg(kLines)));
    const QSizeF size = PdfTools::pageSize(pdf, 1);
    QVERIFY2(qAbs(size.width() - 595.3) < 2 && qAbs(size.height() - 841.9) < 2,
             qPrintable(QStringLiteral("%1 x %2").arg(size.width()).arg(size.height())));
}

int main(int argc, char** argv)
{
    // The queue of the test's scheduler must be the default: no destination chosen from outside.
    qunsetenv("PRINTER");
    qunsetenv("LPDEST");
    QApplication app(argc, argv);
    TestPrintEndToEnd test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_print_e2e.moc"
