// SPDX-License-Identifier: MIT
// The load path into the real editor window, offscreen: the whole load as File > Open runs it
// (read, decode and build the document), first paint, CPU time and peak memory from window
// creation to idle, the longest event-loop stall during and after the load, save as and save over, typing
// latency at the start, middle and end (and while the recovery copy of the unsaved text is written),
// Replace All, and 次を検索 (F3) to the end of the text.
// Run by hand: ./bench/editor_bench          (every case, each in a process of its own)
//              ./bench/editor_bench CASE     (one case: cp932-10, cp932-100, utf8-10, replace-10, ascii-1000, rtf-1,
//              line-10, search-100)
#include "document/documenteditor.h"
#include "formats/documentio.h"
#include "support/benchdialogs.h"
#include "view/search/replacedialog.h"
#include "window/documentcontroller.h"
#include "window/mainform.h"
#include "window/recoverykeeper.h"

#include <QAbstractScrollArea>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QFile>
#include <QKeyEvent>
#include <QLineEdit>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <sys/resource.h>

using namespace pemmo::formats;

namespace {

struct BenchCase
{
    const char* name;
    const char* kind; // "cp932", "utf8", "ascii", "rtf"
    qint64 megabytes;
    bool typing;
    bool replaceAll = false;
    bool search = false;
};

constexpr BenchCase kCases[] = {
    { "cp932-10", "cp932", 10, true },
    { "cp932-100", "cp932", 100, true },
    { "utf8-10", "utf8", 10, false },
    { "replace-10", "cp932", 10, false, true },
    { "ascii-1000", "ascii", 1000, false },
    { "rtf-1", "rtf", 1, true },
    // One line of 10 MB, as minified data comes: every key goes into that line.
    { "line-10", "line", 10, true },
    // F3 through 100 MB to the one match, on the last line.
    { "search-100", "cp932", 100, false, false, true },
};

/** Confirms every file dialog with the file name set beforehand, filter "全てのファイル". */
class SavingDialogs final : public BenchDialogs
{
public:
    // The generated RTF cuts some \'hh escapes in half, so its load is lossy: agree to save anyway.
    Button ask(const QString&, const QList<Button>& buttons, Icon, std::optional<Button>) override
    {
        return buttons.contains(Button::Save) ? Button::Save : Button::Yes;
    }
    bool saveFile(FileDialogState& state) override
    {
        state.fileName = saveAs;
        state.filterIndex = 7;
        return true;
    }
    QString saveAs;
};

long peakMiB()
{
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024;
}

qint64 cpuMs()
{
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    return (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1000 +
        (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1000;
}

const QString kLine = QStringLiteral(
    "吾輩は猫である。名前はまだ無い。どこで生れたかとんと見当がつかぬ。表示 ｱｲｳ ASCII 0123456789\n");

QByteArray plainBytes(const BenchCase& c)
{
    const qint64 target = c.megabytes * 1024 * 1024;
    if (qstrcmp(c.kind, "line") == 0) {
        const QByteArray piece = kLine.trimmed().toUtf8();
        QByteArray bytes;
        while (bytes.size() < target)
            bytes += piece;
        return bytes + '\n';
    }
    const QByteArray line = qstrcmp(c.kind, "utf8") == 0 ? kLine.toUtf8()
        : qstrcmp(c.kind, "ascii") == 0
        ? QByteArray("The quick brown fox jumps over the lazy dog 0123456789 ASCII only line of text.\r\n")
        : renderDocument(QStringLiteral("x.txt"), DocumentSource { nullptr, kLine }, kNewDocumentFormat).bytes;
    QByteArray bytes;
    bytes.reserve(target + line.size());
    while (bytes.size() < target)
        bytes += line;
    if (c.search) {
        // ＥＮＤ in full-width letters, CP932.
        bytes += "\x82\x64\x82\x6d\x82\x63\r\n";
    }
    return bytes;
}

QByteArray rtfBytes(const BenchCase& c)
{
    // What a word processor writes: a font and colour table, then paragraphs of CP932 text in
    // \'hh escapes with bold, italic and coloured runs.
    QByteArray text = renderDocument(QStringLiteral("x.txt"), DocumentSource { nullptr, kLine.trimmed() },
                                     kNewDocumentFormat)
                          .bytes.trimmed();
    QByteArray escaped;
    for (const char ch : text) {
        const auto byte = static_cast<unsigned char>(ch);
        if (byte >= 0x80)
            escaped += "\\'" + QByteArray::number(byte, 16).rightJustified(2, '0');
        else if (ch == '\\' || ch == '{' || ch == '}')
            escaped += QByteArray("\\") + ch;
        else
            escaped += ch;
    }
    QByteArray rtf = "{\\rtf1\\ansi\\ansicpg932\\deff0{\\fonttbl{\\f0\\fmodern\\fcharset128 MS Gothic;}"
                     "{\\f1\\froman\\fcharset0 Times New Roman;}}{\\colortbl;\\red200\\green0\\blue0;}\n"
                     "\\viewkind4\\uc1\\pard\\f0\\fs21 ";
    const QByteArray paragraph = "{\\b " + escaped.left(48) + "}" + escaped.mid(48, 60) + "{\\i\\cf1 " +
        escaped.mid(108) + "}{\\f1  Latin words}\\par\n";
    const qint64 target = c.megabytes * 1024 * 1024;
    while (rtf.size() < target)
        rtf += paragraph;
    return rtf + "}";
}

/** Processes events until @p done, or @p timeoutMs; returns the longest gap between timer ticks. */
qint64 spinUntil(const std::function<bool()>& done, int timeoutMs)
{
    QElapsedTimer clock;
    clock.start();
    qint64 last = 0;
    qint64 longest = 0;
    // Waits for events instead of polling, so that the CPU time measured is the editor's own;
    // the timer makes sure the wait ends to look at the clock.
    QTimer wake;
    wake.start(5);
    while (!done() && clock.elapsed() < timeoutMs) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        const qint64 now = clock.elapsed();
        longest = qMax(longest, now - last);
        last = now;
    }
    return longest;
}

int runCase(const BenchCase& c)
{
    QTemporaryDir dir;
    // The recovery copies of the unsaved text go with the rest.
    qputenv("XDG_STATE_HOME", QFile::encodeName(dir.filePath(QStringLiteral("state"))));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(dir.filePath(QStringLiteral("config"))));
    const bool rtf = qstrcmp(c.kind, "rtf") == 0;
    const QString path = dir.filePath(QStringLiteral("input") +
                                      (rtf ? QStringLiteral(".rtf") : QStringLiteral(".txt")));
    {
        QFile file(path);
        file.open(QIODevice::WriteOnly);
        file.write(rtf ? rtfBytes(c) : plainBytes(c));
    }
    const long baseMiB = peakMiB();

    SavingDialogs dialogs;
    const qint64 cpuBefore = cpuMs();
    TMainForm form(AppContext { dialogs, [] { return QRect(0, 0, 1280, 1024); } }, {});
    form.resize(1000, 700);
    form.show();
    spinUntil([] { return false; }, 200);
    auto* editor = form.findChild<DocumentEditor*>(QStringLiteral("RichEdit2"));

    // A timer that should tick every 10 ms: the longest gap between its ticks is the longest
    // time the window could not answer, during the load and after it.
    QElapsedTimer tickClock;
    tickClock.start();
    qint64 lastTick = 0;
    qint64 longestGap = 0;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, &ticker, [&] {
        const qint64 now = tickClock.elapsed();
        longestGap = qMax(longestGap, now - lastTick);
        lastTick = now;
    });
    ticker.start(10);

    // The real load path, as File > Open runs it: read, decode and build the document together.
    QElapsedTimer clock;
    clock.start();
    lastTick = tickClock.elapsed();
    if (!form.documents().loadIntoDocumentEditor(path)) {
        std::printf("%s: load failed\n", c.name);
        return 1;
    }
    const qint64 handMs = clock.elapsed();

    // First paint: the view's viewport has painted the new document.
    auto* view = editor->findChild<QAbstractScrollArea*>(editor->isRichText() ? QStringLiteral("RichEdit2RichView")
                                                                              : QStringLiteral("RichEdit2PlainView"));
    bool painted = false;
    struct PaintSpy final : QObject
    {
        bool* painted;
        explicit PaintSpy(bool* p)
            : painted(p)
        { }
        bool eventFilter(QObject*, QEvent* event) override
        {
            if (event->type() == QEvent::Paint)
                *painted = true;
            return false;
        }
    } spy(&painted);
    view->viewport()->installEventFilter(&spy);
    view->viewport()->update();
    spinUntil([&] { return painted; }, 60000);
    const qint64 paintMs = clock.elapsed();
    view->viewport()->removeEventFilter(&spy);
    // Idle: a second with nothing to do; background work (layout, styling) shows as stalls.
    spinUntil([] { return false; }, 1000);
    ticker.stop();
    const qint64 idleCpuMs = cpuMs() - cpuBefore;
    const long peak = peakMiB();

    QString keyTimes;
    if (c.typing) {
        const int length = int(editor->textLength());
        for (const auto& [where, index] :
             { std::pair { "start", 0 }, std::pair { "middle", length / 2 }, std::pair { "end", length } }) {
            editor->setSelection(index, 0);
            spinUntil([] { return false; }, 200);
            constexpr int kKeys = 40;
            QElapsedTimer typing;
            typing.start();
            for (int i = 0; i < kKeys; ++i) {
                QKeyEvent press(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, QStringLiteral("a"));
                QKeyEvent release(QEvent::KeyRelease, Qt::Key_A, Qt::NoModifier, QStringLiteral("a"));
                QCoreApplication::sendEvent(view, &press);
                QCoreApplication::sendEvent(view, &release);
                // Includes the repaint the key causes.
                QCoreApplication::processEvents();
            }
            keyTimes += QStringLiteral(" %1 %2")
                            .arg(QLatin1String(where))
                            .arg(double(typing.nsecsElapsed()) / 1e6 / kKeys, 0, 'f', 2);
        }
    }

    // Typing on at a person's pace while the recovery copy is written: once typing pauses (2 s), and
    // while it goes on (every 10 s). Key times and the longest stall of the event loop meanwhile.
    const qint64 loadStall = longestGap;
    QString recoveryResult;
    if (c.typing) {
        QList<double> keyMs;
        lastTick = tickClock.elapsed();
        longestGap = 0;
        ticker.start(10);
        QElapsedTimer span;
        span.start();
        int written = 0;
        QObject::connect(&form.recovery(), &RecoveryKeeper::written, &form, [&written] { ++written; });
        while (span.elapsed() < 14000) {
            // Keys for 11 s without a pause, then a pause.
            if (span.elapsed() < 11000) {
                QElapsedTimer key;
                key.start();
                QKeyEvent press(QEvent::KeyPress, Qt::Key_B, Qt::NoModifier, QStringLiteral("b"));
                QKeyEvent release(QEvent::KeyRelease, Qt::Key_B, Qt::NoModifier, QStringLiteral("b"));
                QCoreApplication::sendEvent(view, &press);
                QCoreApplication::sendEvent(view, &release);
                QCoreApplication::processEvents();
                keyMs.append(double(key.nsecsElapsed()) / 1e6);
            }
            spinUntil([] { return false; }, 150);
        }
        ticker.stop();
        std::sort(keyMs.begin(), keyMs.end());
        recoveryResult = QStringLiteral(" | with recovery: %1 copies, key ms median %2 max %3, max stall %4 ms")
                             .arg(written)
                             .arg(keyMs.value(keyMs.size() / 2), 0, 'f', 2)
                             .arg(keyMs.isEmpty() ? 0.0 : keyMs.constLast(), 0, 'f', 2)
                             .arg(longestGap);
    }

    QString replaceResult;
    if (c.replaceAll) {
        // 100 000 hits: one per line of the first 100 000 lines.
        QElapsedTimer replacing;
        replacing.start();
        const std::optional<int> count = editor->replaceAll(QStringLiteral("吾輩"), QStringLiteral("我等"),
                                                            { .matchCase = true });
        const qint64 replaceMs = replacing.elapsed();
        editor->undo();
        replaceResult = QStringLiteral(" | replace all %1 hits %2 ms, undone in one step: %3")
                            .arg(count.value_or(-1))
                            .arg(replaceMs)
                            .arg(editor->isUndoAvailable() ? QStringLiteral("no") : QStringLiteral("yes"));
    }

    QString searchResult;
    if (c.search) {
        // 次を検索 from the top, as F3 runs it, for text found only on the last line; the window
        // answers nothing while it runs, so its time is the stall.
        form.findChild<QAction*>(QStringLiteral("E_Se"))->trigger();
        auto* dialog = form.findChild<ReplaceDialog*>();
        QAction* findNext = form.findChild<QAction*>(QStringLiteral("FindNextItem"));
        const auto timedSearch = [&](const QString& text, bool matchCase) {
            dialog->findEdit()->setText(text);
            dialog->matchCaseBox()->setChecked(matchCase);
            editor->setSelection(0, 0);
            QElapsedTimer searching;
            searching.start();
            findNext->trigger();
            const qint64 ms = searching.elapsed();
            return editor->selectedText() == QStringLiteral("ＥＮＤ") ? ms : -ms;
        };
        const qint64 foldedMs = timedSearch(QStringLiteral("ｅｎｄ"), false);
        const qint64 exactMs = timedSearch(QStringLiteral("ＥＮＤ"), true);
        const qint64 asciiMs = timedSearch(QStringLiteral("café"), false);
        dialog->hide();
        searchResult = QStringLiteral(" | search to the end (negative: not found there): ignoring case %1 ms, "
                                      "match case %2 ms, absent text to the end %3 ms")
                           .arg(foldedMs)
                           .arg(exactMs)
                           .arg(-asciiMs);
    }

    dialogs.saveAs = dir.filePath(QStringLiteral("saved") + (rtf ? QStringLiteral(".rtf") : QStringLiteral(".txt")));
    QElapsedTimer saving;
    saving.start();
    const bool saved = c.megabytes >= 1000 || form.documents().FileSaveAs();
    const qint64 saveMs = saving.elapsed();
    const long peakAfterSave = peakMiB();
    // File > Save over the file just written, as Ctrl+S after an edit: the path that replaces an existing file.
    qint64 saveOverMs = 0;
    bool savedOver = true;
    if (c.megabytes < 1000) {
        editor->setSelection(0, 0);
        QKeyEvent press(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, QStringLiteral("a"));
        QCoreApplication::sendEvent(view, &press);
        QCoreApplication::processEvents();
        saving.restart();
        savedOver = form.documents().FileSave();
        saveOverMs = saving.elapsed();
    }

    std::printf("%-10s load to editor %6lld ms | first paint %6lld ms | CPU to idle %6lld ms | max stall %5lld ms | "
                "peak %5ld MiB (+%ld) | save as %6lld ms, peak %5ld MiB%s | save over %6lld ms%s%s%s%s%s\n",
                c.name, handMs, paintMs, idleCpuMs, loadStall, peak, peak - baseMiB, saveMs, peakAfterSave,
                saved ? "" : " FAILED", saveOverMs, savedOver ? "" : " FAILED",
                c.typing ? qPrintable(QStringLiteral(" | key ms") + keyTimes) : "", qPrintable(recoveryResult),
                qPrintable(replaceResult), qPrintable(searchResult));
    std::fflush(stdout);
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() > 1) {
        for (const BenchCase& c : kCases) {
            if (args[1] == QLatin1String(c.name))
                return runCase(c);
        }
        std::fprintf(stderr, "unknown case\n");
        return 2;
    }
    // Each case in a fresh process, so that the peak memory is its own.
    for (const BenchCase& c : kCases) {
        QProcess child;
        child.setProcessChannelMode(QProcess::ForwardedChannels);
        child.start(QCoreApplication::applicationFilePath(), { QString::fromLatin1(c.name) });
        child.waitForFinished(-1);
    }
    return 0;
}
