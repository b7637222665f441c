// SPDX-License-Identifier: MIT
// Grep in the real editor window, offscreen, over a tree such as bench/grep/make_tree.py makes:
// the time to the first result line, the longest event-loop stall while the run goes on, the
// whole run, and the time from a click on 「中止」 to the workers' end (on the tree, and on a
// folder of files over 4 MB, which are read in slices). With --replace also Grep-replace of
// a pattern by itself over the tree (every matching file is read, replaced and written back).
// Run by hand: ./bench/grep/grep_gui_bench TREE [--replace]
#include "document/documenteditor.h"
#include "support/benchdialogs.h"
#include "window/grepcommands.h"
#include "window/mainform.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <functional>

namespace {

class GrepDialogs final : public BenchDialogs
{
public:
    Button ask(const QString& text, const QList<Button>&, Icon, std::optional<Button>) override
    {
        std::fprintf(stderr, "question: %s\n", qPrintable(text));
        asked();
        return Button::Yes;
    }
    bool askGrep(GrepDialogFields& fields) override
    {
        fields.pattern = pattern;
        fields.folder = folder;
        fields.fileMask = QStringLiteral("*");
        fields.replacement = pattern;
        fields.replace = replace;
        return true;
    }

    QString pattern;
    QString folder;
    bool replace = false;
    std::function<void()> asked = [] {};
};

struct RunTimes
{
    qint64 firstResultMs = -1;
    qint64 longestStallMs = 0;
    qint64 totalMs = 0;
    qint64 cancelMs = -1; ///< from the click on 中止 to the run's end
    qint64 questionMs = -1; ///< Grep-replace: until the question
};

// One Grep (or Grep-replace) from the menu; with @p cancelAfterMs >= 0 中止 is clicked then.
RunTimes runOnce(TMainForm& form, GrepDialogs& dialogs, qint64 cancelAfterMs)
{
    auto* editor = form.findChild<DocumentEditor*>(QStringLiteral("RichEdit2"));
    auto* cancelButton = form.findChild<QPushButton*>(QStringLiteral("GrepCancel"));
    RunTimes times;
    bool finished = false;
    const QMetaObject::Connection done = QObject::connect(&form.grep(), &GrepCommands::finished,
                                                          [&finished] { finished = true; });
    QElapsedTimer clock;
    dialogs.asked = [&] { times.questionMs = clock.elapsed(); };
    qint64 clickedAt = -1;
    // The header is 7 lines and an empty one; a line beyond it is the first result.
    const int headerLines = dialogs.replace ? 9 : 8;
    clock.start();
    // The menu command itself (which empties the last result) counts as the window's time too.
    qint64 last = 0;
    form.findChild<QAction*>(QStringLiteral("GrepItem"))->trigger();
    // Waits for events; the 5 ms timer makes every wait end to look at the clock, so a gap
    // between two turns of the loop longer than that is a stall of the window.
    QTimer wake;
    wake.start(5);
    while (!finished && clock.elapsed() < 600000) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        const qint64 now = clock.elapsed();
        times.longestStallMs = qMax(times.longestStallMs, now - last);
        last = now;
        // Not the closing lines: finished is set by then.
        if (times.firstResultMs < 0 && !finished && editor->lineCount() > headerLines)
            times.firstResultMs = now;
        if (cancelAfterMs >= 0 && clickedAt < 0 && now >= cancelAfterMs) {
            cancelButton->click();
            clickedAt = clock.elapsed();
        }
    }
    times.totalMs = clock.elapsed();
    if (clickedAt >= 0)
        times.cancelMs = times.totalMs - clickedAt;
    QObject::disconnect(done);
    return times;
}

void print(const char* what, const RunTimes& t)
{
    std::printf("%-34s first result %5lld ms | longest stall %4lld ms | whole run %6lld ms", what, t.firstResultMs,
                t.longestStallMs, t.totalMs);
    if (t.cancelMs >= 0)
        std::printf(" | 中止 to end %4lld ms", t.cancelMs);
    if (t.questionMs >= 0)
        std::printf(" | question at %6lld ms", t.questionMs);
    std::printf("\n");
    std::fflush(stdout);
}

// Files over 4 MB, one CP932 and one UTF-8 in turn, every line holding "の".
QString makeLargeFiles(const QString& folder, int count, int megabytes)
{
    const QByteArray cp932Line = QByteArray("\x93\x8c\x8b\x9e\x82\xcc\x89\xef\x8b\x63\x82\xc5\x82\xb7\x81\x42\r\n");
    const QByteArray utf8Line = QStringLiteral("東京の会議です。\n").toUtf8();
    for (int i = 0; i < count; ++i) {
        QFile file(folder + QStringLiteral("/large%1.txt").arg(i));
        file.open(QIODevice::WriteOnly);
        const QByteArray& line = i % 2 == 0 ? cp932Line : utf8Line;
        const QByteArray block = line.repeated(1024 * 1024 / int(line.size()));
        for (int m = 0; m < megabytes; ++m)
            file.write(block);
    }
    return folder;
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList arguments = app.arguments();
    if (arguments.size() < 2) {
        std::fprintf(stderr, "usage: grep_gui_bench TREE [--replace]\n");
        return 2;
    }
    QTemporaryDir dir;
    qputenv("XDG_STATE_HOME", QFile::encodeName(dir.filePath(QStringLiteral("state"))));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(dir.filePath(QStringLiteral("config"))));
    qputenv("XDG_CACHE_HOME", QFile::encodeName(dir.filePath(QStringLiteral("cache"))));

    GrepDialogs dialogs;
    dialogs.folder = arguments.at(1);
    TMainForm form(AppContext { dialogs, [] { return QRect(0, 0, 1280, 1024); } }, {});
    form.resize(1000, 700);
    form.show();

    // The first run warms the page cache; the next ones are timed as a user's second search.
    dialogs.pattern = QStringLiteral("東京都");
    runOnce(form, dialogs, -1);
    print("Grep 東京都 (rare)", runOnce(form, dialogs, -1));
    dialogs.pattern = QStringLiteral("Error");
    print("Grep Error", runOnce(form, dialogs, -1));
    dialogs.pattern = QStringLiteral("の");
    print("Grep の (most lines), 中止 at 1 s", runOnce(form, dialogs, 1000));
    qint64 worstCancel = 0;
    for (const qint64 at : { 300, 700, 1500, 2500 }) {
        const RunTimes t = runOnce(form, dialogs, at);
        worstCancel = qMax(worstCancel, t.cancelMs);
    }
    std::printf("%-34s worst 中止 to end over 4 runs: %lld ms\n", "Grep の on the tree", worstCancel);

    const QString large = dir.filePath(QStringLiteral("large"));
    QDir().mkpath(large);
    makeLargeFiles(large, 6, 40);
    dialogs.folder = large;
    dialogs.pattern = QStringLiteral("東京都"); // found nowhere: the files are read through
    runOnce(form, dialogs, -1);
    print("Grep 東京都, 6 files of 40 MB", runOnce(form, dialogs, -1));
    dialogs.pattern = QStringLiteral("の");
    worstCancel = 0;
    for (const qint64 at : { 150, 400, 900, 1300, 2100 }) {
        const RunTimes t = runOnce(form, dialogs, at);
        worstCancel = qMax(worstCancel, t.cancelMs);
    }
    std::printf("%-34s worst 中止 to end over 5 runs: %lld ms\n", "Grep の, 40 MB files", worstCancel);
    dialogs.pattern = QStringLiteral("東京");
    worstCancel = 0;
    for (const qint64 at : { 150, 400, 900 }) {
        const RunTimes t = runOnce(form, dialogs, at);
        worstCancel = qMax(worstCancel, t.cancelMs);
    }
    std::printf("%-34s worst 中止 to end over 3 runs: %lld ms\n", "Grep 東京, 40 MB files", worstCancel);

    if (arguments.contains(QStringLiteral("--replace"))) {
        dialogs.folder = arguments.at(1);
        dialogs.pattern = QStringLiteral("東京都");
        dialogs.replace = true;
        print("Grep-replace 東京都 by itself", runOnce(form, dialogs, -1));
    }
    return 0;
}
