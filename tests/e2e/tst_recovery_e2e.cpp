// SPDX-License-Identifier: MIT
// The real program, killed with unsaved text: the next start offers it, and 復元 brings it back in a
// window of its own, under the file's name, unsaved, and Ctrl+S writes exactly that text.
#include "journeyfiles.h"
#include "xsession.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

using namespace journey;

class TestRecoveryE2e final : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void killedEditorsTextIsOfferedAndRestored();

private:
    QProcessEnvironment environment() const
    {
        QProcessEnvironment env = m_x->environment();
        env.insert(QStringLiteral("XDG_STATE_HOME"), m_state.path());
        return env;
    }
    QString recoveryFolder() const { return m_state.filePath(QStringLiteral("pemmo/recovery")); }

    std::unique_ptr<XSession> m_x;
    QTemporaryDir m_state;
    QList<qint64> m_started;
};

namespace {

QByteArray bytesOf(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

void TestRecoveryE2e::init()
{
    if (const QString missing = XSession::missingTools(false); !missing.isEmpty())
        QSKIP(qPrintable(missing));
    m_x = std::make_unique<XSession>();
    QVERIFY2(m_x->start(false), qPrintable(m_x->errorString()));
    QVERIFY(writeHive(m_x->hivePath(), editorFirstRunHive()));
}

void TestRecoveryE2e::cleanup()
{
    for (const qint64 pid : std::as_const(m_started))
        ::kill(pid_t(pid), SIGKILL);
    m_started.clear();
    m_x.reset();
}

void TestRecoveryE2e::killedEditorsTextIsOfferedAndRestored()
{
    const XSession& x = *m_x;
    QTemporaryDir work;
    const QString path = work.filePath(QStringLiteral("notes.txt"));
    {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("base\n");
    }

    QProcess editor;
    editor.setProcessEnvironment(environment());
    editor.start(QStringLiteral(PEMMO_BINARY), { path });
    QVERIFY(editor.waitForStarted());
    m_started.append(editor.processId());
    QString window;
    QVERIFY2(XSession::waitFor([&] {
                 const QStringList windows = x.visibleWindows(editor.processId());
                 for (const QString& candidate : windows) {
                     if (x.windowName(candidate).contains(path))
                         window = candidate;
                 }
                 return !window.isEmpty();
             }),
             "the editor window did not appear");
    x.xdotool({ QStringLiteral("windowfocus"), QStringLiteral("--sync"), window });
    x.xdotool({ QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("40"), QStringLiteral("typed ") });
    // Typing pauses: within about 2 s the copy holds the text as a save would write it.
    QTest::qWait(3000);
    const QDir folder(recoveryFolder());
    QString copy;
    QVERIFY2(XSession::waitFor(
                 [&] {
                     const QStringList copies = folder.entryList({ QStringLiteral("*.copy") }, QDir::Files);
                     copy = copies.size() == 1 ? folder.filePath(copies[0]) : QString();
                     return bytesOf(copy) == "typed base\n";
                 },
                 5000),
             qPrintable(QStringLiteral("no copy with the typed text in %1: %2")
                            .arg(recoveryFolder(), QString::fromUtf8(bytesOf(copy)))));
    QCOMPARE(bytesOf(path), QByteArray("base\n"));

    ::kill(pid_t(editor.processId()), SIGKILL);
    QVERIFY(editor.waitForFinished(10000));
    QCOMPARE(editor.exitStatus(), QProcess::CrashExit);

    // A fresh start asks first, before its own window; Enter takes the default, 復元.
    QProcess next;
    next.setProcessEnvironment(environment());
    next.start(QStringLiteral(PEMMO_BINARY), { QStringLiteral("--editor") });
    QVERIFY(next.waitForStarted());
    m_started.append(next.processId());
    QString question;
    QVERIFY2(XSession::waitFor([&] {
                 const QStringList windows = x.visibleWindows(next.processId());
                 question = windows.isEmpty() ? QString() : windows.first();
                 return !question.isEmpty();
             }),
             "the start showed no question");
    x.xdotool({ QStringLiteral("windowfocus"), QStringLiteral("--sync"), question });
    x.keys({ QStringLiteral("Return") });

    // The restored document has a window of its own: the file's name, marked unsaved.
    QString restored;
    QVERIFY2(XSession::waitFor([&] {
                 for (const QString& candidate : x.visibleWindows()) {
                     const QString name = x.windowName(candidate);
                     if (name.startsWith(QLatin1Char('*')) && name.contains(path))
                         restored = candidate;
                 }
                 return !restored.isEmpty();
             }),
             "no window shows the restored document");
    m_started.append(x.windowPid(restored));
    QVERIFY(x.windowPid(restored) != next.processId());
    x.xdotool({ QStringLiteral("windowfocus"), QStringLiteral("--sync"), restored });
    x.keys({ QStringLiteral("ctrl+s") });
    QVERIFY2(XSession::waitFor([&] { return bytesOf(path) == "typed base\n"; }, 10000),
             qPrintable(QString::fromUtf8(bytesOf(path))));
    // Saved: nothing is left to offer.
    QVERIFY(XSession::waitFor([&] { return folder.entryList(QDir::Files).isEmpty(); }, 10000));
}

QTEST_MAIN(TestRecoveryE2e)
#include "tst_recovery_e2e.moc"
