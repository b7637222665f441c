// SPDX-License-Identifier: MIT
// A second process for tests that need several processes at once.
//   testworker cascade N         N cascade steps: read MTop and MLeft, write both + 20
//   testworker churn             rewrites a large value forever, alternating its fill
//   testworker hold-lock NAME    takes the instance lock NAME, prints "locked" or "busy", waits for stdin to close
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
    QTextStream(stderr) << "usage: testworker cascade N | churn | hold-lock NAME\n";
    return 2;
}
