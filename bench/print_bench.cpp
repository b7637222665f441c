// SPDX-License-Identifier: MIT
// Print preview of a large document in the real editor window, offscreen: the time from the
// command to the first page painted, the longest event-loop stall while the pages are counted,
// how long Esc and closing the window take, and peak memory.
// Run by hand: ./bench/print_bench [megabytes]     (default 100; CP932 text)
#include "formats/documentio.h"
#include "printing/reportpreview.h"
#include "support/benchdialogs.h"
#include "window/documentcontroller.h"
#include "window/mainform.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QKeyEvent>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>
#include <sys/resource.h>

using namespace pemmo::formats;

namespace {

long peakMiB()
{
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024;
}

/** Counts the longest gap between the ticks of a 10 ms timer: the longest the window could not answer. */
class StallMeter
{
public:
    StallMeter()
    {
        m_clock.start();
        QObject::connect(&m_ticker, &QTimer::timeout, &m_ticker, [this] {
            const qint64 now = m_clock.elapsed();
            m_longest = qMax(m_longest, now - m_last);
            m_last = now;
        });
        m_ticker.start(10);
    }
    void restart()
    {
        m_last = m_clock.elapsed();
        m_longest = 0;
    }
    qint64 longest() const { return m_longest; }

private:
    QElapsedTimer m_clock;
    QTimer m_ticker;
    qint64 m_last = 0;
    qint64 m_longest = 0;
};

void spinUntil(const std::function<bool()>& done, int timeoutMs)
{
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < timeoutMs)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
}

struct PaintSpy final : QObject
{
    bool painted = false;
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            painted = true;
        return false;
    }
};

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const qint64 megabytes = argc > 1 ? QByteArray(argv[1]).toLongLong() : 100;

    QTemporaryDir dir;
    qputenv("XDG_STATE_HOME", QFile::encodeName(dir.filePath(QStringLiteral("state"))));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(dir.filePath(QStringLiteral("config"))));
    const QString path = dir.filePath(QStringLiteral("input.txt"));
    {
        const QString line = QStringLiteral(
            "吾輩は猫である。名前はまだ無い。どこで生れたかとんと見当がつかぬ。表示 ｱｲｳ ASCII 0123456789\n");
        const QByteArray bytes =
            renderDocument(QStringLiteral("x.txt"), DocumentSource { nullptr, line }, kNewDocumentFormat).bytes;
        QFile file(path);
        file.open(QIODevice::WriteOnly);
        for (qint64 written = 0; written < megabytes << 20; written += bytes.size())
            file.write(bytes);
    }

    BenchDialogs dialogs;
    auto form = std::make_unique<TMainForm>(AppContext { dialogs, [] { return QRect(0, 0, 1280, 1024); } },
                                            QStringList {});
    form->resize(1000, 700);
    form->show();
    if (!form->documents().loadIntoDocumentEditor(path)) {
        std::printf("load failed\n");
        return 1;
    }
    spinUntil([] { return false; }, 500);

    auto* preview = form->findChild<ReportPreview*>(QStringLiteral("QRPreview1Pages"));
    auto* command = form->findChild<QAction*>(QStringLiteral("F_PVew"));
    if (!preview || !command) {
        std::printf("no preview\n");
        return 1;
    }
    StallMeter stalls;
    PaintSpy spy;
    preview->viewport()->installEventFilter(&spy);

    QElapsedTimer clock;
    clock.start();
    stalls.restart();
    command->trigger();
    const qint64 commandMs = clock.elapsed();
    spinUntil([&] { return spy.painted; }, 60000);
    const qint64 firstPageMs = clock.elapsed();
    const qint64 firstPageStallMs = stalls.longest();

    // Counting goes on: three seconds of it, with a page turn and a zoom in between.
    stalls.restart();
    spinUntil([] { return false; }, 1000);
    const qint64 countingOnlyMs = stalls.longest();
    stalls.restart();
    preview->setCurrentPage(preview->pageCount());
    spinUntil([] { return false; }, 1000);
    const qint64 afterTurnMs = stalls.longest();
    stalls.restart();
    preview->setZoomFactor(0.5);
    spinUntil([] { return false; }, 1000);
    const qint64 afterZoomMs = stalls.longest();
    const qint64 countingStallMs = qMax(countingOnlyMs, qMax(afterTurnMs, afterZoomMs));
    const int pagesAfter3s = preview->pageCount();

    clock.restart();
    QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(preview, &esc);
    const qint64 escMs = clock.elapsed();
    const bool left = !command->isChecked();

    command->trigger();
    spinUntil([] { return false; }, 300);
    clock.restart();
    form->close();
    form.reset();
    const qint64 closeMs = clock.elapsed();

    std::printf("%lld MB: stalls while counting %lld ms, with a page turn %lld ms, with a zoom to 50 %% %lld ms\n",
                megabytes, countingOnlyMs, afterTurnMs, afterZoomMs);
    std::printf("%lld MB: the command returns after %lld ms, longest stall until the first page %lld ms\n", megabytes,
                commandMs, firstPageStallMs);
    std::printf("%lld MB: first page %lld ms, longest stall while counting %lld ms (%d pages known after 3 s), "
                "Esc %lld ms (%s), closing the window %lld ms, peak %ld MiB\n",
                megabytes, firstPageMs, countingStallMs, pagesAfter3s, escMs, left ? "left" : "NOT LEFT", closeMs,
                peakMiB());
    return 0;
}
