// SPDX-License-Identifier: MIT
// A second process for tests that need several processes at once.
//   testworker cascade N         N cascade steps: read MTop and MLeft, write both + 20
//   testworker churn             rewrites a large value forever, alternating its fill
//   testworker hold-lock NAME    takes the instance lock NAME, prints "locked" or "busy", waits for stdin to close
//   testworker window FONT TOP FILE
//                                an editor window in brief: reads MFontName, MTop and the recent files, prints
//                                "read", waits for a line on stdin, then writes its whole picture back with its
//                                own changes (FONT and TOP, "-" for none) and FILE added to the recent files
//   testworker start             start-up's sequences: prints "unreadable" or "readable", then the notice, then
//                                "written" when the first-run defaults could be written
#include "platform/instancelock.h"
#include "settings/registrysequence.h"
#include "settings/settingstable.h"

#include <QCoreApplication>
#include <QTextStream>

#include <cstdio>

namespace {

int cascade(int steps)
{
    for (int i = 0; i < steps; ++i) {
        const SequenceResult result = runRegistrySequence(OpenMode::OpenCreating, [](SettingsKey& key) {
            const qint32 top = key.readInteger(Reg::MTop);
            const qint32 left = key.readInteger(Reg::MLeft);
            key.writeInteger(Reg::MTop, top + 20);
            key.writeInteger(Reg::MLeft, left + 20);
        });
        if (!result.completed())
            return 1;
    }
    return 0;
}

int churn()
{
    for (quint64 round = 0;; ++round) {
        const QString fill(256 * 1024, round % 2 ? QLatin1Char('B') : QLatin1Char('A'));
        runRegistrySequence(OpenMode::OpenCreating, [&](SettingsKey& key) {
            key.writeString(QStringLiteral("Big"), fill);
            key.writeInteger(QStringLiteral("Round"), qint32(round));
        });
    }
}

int holdLock(const QString& name)
{
    const auto lock = createInstanceLock();
    const bool held = lock->tryAcquire(name) == InstanceLock::Result::Acquired;
    std::fputs(held ? "locked\n" : "busy\n", stdout);
    std::fflush(stdout);
    // Wait until the test closes our stdin (or kills us).
    while (std::fgetc(stdin) != EOF) { }
    return 0;
}

int window(const QString& font, const QString& top, const QString& file)
{
    QString fontName;
    qint32 topValue = 0;
    QStringList recent;
    const SequenceResult read = runRegistrySequence(OpenMode::OpenOnly, [&](SettingsKey& key) {
        fontName = key.readString(Reg::MFontName);
        topValue = key.readInteger(Reg::MTop);
        recent = readRecentList(key, &Reg::mru);
    });
    if (!read.completed())
        return 1;
    std::fputs("read\n", stdout);
    std::fflush(stdout);
    char line[16];
    if (!std::fgets(line, sizeof line, stdin))
        return 1;
    if (font != QLatin1String("-"))
        fontName = font;
    if (top != QLatin1String("-"))
        topValue = top.toInt();
    recent.prepend(file);
    const SequenceResult written = runRegistrySequence(OpenMode::OpenCreating, [&](SettingsKey& key) {
        key.writeString(Reg::MFontName, fontName);
        key.writeInteger(Reg::MTop, topValue);
        writeRecentLists(key, recent, {});
    });
    return written.completed() ? 0 : 1;
}

int start()
{
    const SequenceResult present = runRegistrySequence(OpenMode::OpenOnly,
                                                       [](SettingsKey& key) { key.readBool(Reg::MOption); });
    QTextStream out(stdout);
    out << (present.unreadable ? "unreadable" : "readable") << '\n' << present.notice << '\n';
    const SequenceResult created = runRegistrySequence(OpenMode::OpenCreating, writeFirstRunDefaults);
    if (created.completed())
        out << "written\n";
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() >= 3 && args[1] == QLatin1String("cascade"))
        return cascade(args[2].toInt());
    if (args.size() >= 2 && args[1] == QLatin1String("churn"))
        return churn();
    if (args.size() >= 3 && args[1] == QLatin1String("hold-lock"))
        return holdLock(args[2]);
    if (args.size() >= 5 && args[1] == QLatin1String("window"))
        return window(args[2], args[3], args[4]);
    if (args.size() >= 2 && args[1] == QLatin1String("start"))
        return start();
    QTextStream(stderr) << "usage: testworker cascade N | churn | hold-lock NAME | window FONT TOP FILE | start\n";
    return 2;
}
