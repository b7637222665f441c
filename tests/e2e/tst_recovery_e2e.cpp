// SPDX-License-Identifier: MIT
// The real program, killed with unsaved text: the next start offers it, and 復元 brings it back in a
// window of its own, under the file's name, unsaved, and Ctrl+S writes exactly that text.
#include "journeyfiles.h"
#include "xsession.h"

#include <QDir>
#include <QElapsedTimer>
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
    void terminatedEditorKeepsItsTextAtOnce();
    void killedNewDocumentIsRestoredAndSavedAs();

private:
    /**
     * Starts pemmo with @p arguments and waits for a window of it whose name contains @p titlePart
     * (any window when empty); returns that window, empty when none came.
     */
    QString startPemmo(QProcess& process, const QStringList& arguments, const QString& titlePart = {});
    /** Focuses @p window and types @p text as a person would. */
    void typeInto(const QString& window, const QString& text) const;
    /** Writes "base\n" to @p path, opens it in @p editor and types @p typed; the window, empty when none came. */
    QString openAndType(QProcess& editor, const QString& path, const QString& typed);

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

// Only a real process: an id of 0 or -1 (a process that has ended, a window not found) would
// reach this test's own group or every process.
void sendSignal(qint64 pid, int number)
{
    if (pid > 0)
        ::kill(pid_t(pid), number);
}

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
        sendSignal(pid, SIGKILL);
    m_started.clear();
    m_x.reset();
    // Each case starts with nothing to offer.
    QDir(recoveryFolder()).removeRecursively();
}

QString TestRecoveryE2e::startPemmo(QProcess& process, const QStringList& arguments, const QString& titlePart)
{
    process.setProcessEnvironment(environment());
    process.start(QStringLiteral(PEMMO_BINARY), arguments);
    if (!process.waitForStarted())
        return {};
    m_started.append(process.processId());
    QString window;
    XSession::waitFor([&] {
        for (const QString& candidate : m_x->visibleWindows(process.processId())) {
            if (m_x->windowName(candidate).contains(titlePart))
                window = candidate;
        }
        return !window.isEmpty();
    });
    return window;
}

void TestRecoveryE2e::typeInto(const QString& window, const QString& text) const
{
    m_x->xdotool({ QStringLiteral("windowfocus"), QStringLiteral("--sync"), window });
    m_x->xdotool({ QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("40"), text });
}

QString TestRecoveryE2e::openAndType(QProcess& editor, const QString& path, const QString& typed)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write("base\n") != 5)
        return {};
    file.close();
    const QString window = startPemmo(editor, { path }, path);
    if (!window.isEmpty())
        typeInto(window, typed);
    return window;
}

void TestRecoveryE2e::killedEditorsTextIsOfferedAndRestored()
{
    const XSession& x = *m_x;
    QTemporaryDir work;
    const QString path = work.filePath(QStringLiteral("notes.txt"));
    QProcess editor;
    QVERIFY2(!openAndType(editor, path, QStringLiteral("typed ")).isEmpty(), "the editor window did not appear");
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

    sendSignal(editor.processId(), SIGKILL);
    QVERIFY(editor.waitForFinished(10000));
    QCOMPARE(editor.exitStatus(), QProcess::CrashExit);

    // A fresh start asks first, before its own window; Enter takes the default, 復元.
    QProcess next;
    const QString question = startPemmo(next, { QStringLiteral("--editor") });
    QVERIFY2(!question.isEmpty(), "the start showed no question");
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

void TestRecoveryE2e::terminatedEditorKeepsItsTextAtOnce()
{
    // A logout or a shutdown sends SIGTERM: the text typed a moment ago, before any pause, is kept,
    // and the window does not hold the session up.
    const XSession& x = *m_x;
    QTemporaryDir work;
    const QString path = work.filePath(QStringLiteral("memo.txt"));
    QProcess editor;
    const QString window = openAndType(editor, path, QStringLiteral("late "));
    QVERIFY2(!window.isEmpty(), "the editor window did not appear");
    QVERIFY2(XSession::waitFor([&] { return x.windowName(window).startsWith(QLatin1Char('*')); }, 5000),
             "the typing did not arrive");
    QVERIFY(QDir(recoveryFolder()).entryList({ QStringLiteral("*.copy") }, QDir::Files).isEmpty());

    QElapsedTimer clock;
    clock.start();
    sendSignal(editor.processId(), SIGTERM);
    QVERIFY(editor.waitForFinished(10000));
    const qint64 ended = clock.elapsed();
    QVERIFY2(ended < 2000, qPrintable(QStringLiteral("ended after %1 ms").arg(ended)));
    const QDir folder(recoveryFolder());
    const QStringList copies = folder.entryList({ QStringLiteral("*.copy") }, QDir::Files);
    QCOMPARE(copies.size(), 1);
    QCOMPARE(bytesOf(folder.filePath(copies[0])), QByteArray("late base\n"));
    QCOMPARE(bytesOf(path), QByteArray("base\n"));
}

void TestRecoveryE2e::killedNewDocumentIsRestoredAndSavedAs()
{
    // A document that never had a name: typed, killed, restored, and saved under a name chosen then.
    const XSession& x = *m_x;
    QProcess editor;
    const QString window = startPemmo(editor, { QStringLiteral("--editor") });
    QVERIFY2(!window.isEmpty(), "the editor window did not appear");
    typeInto(window, QStringLiteral("fresh text"));
    const QDir folder(recoveryFolder());
    QVERIFY2(XSession::waitFor(
                 [&] {
                     const QStringList copies = folder.entryList({ QStringLiteral("*.copy") }, QDir::Files);
                     return copies.size() == 1 && bytesOf(folder.filePath(copies[0])) == "fresh text\r\n";
                 },
                 8000),
             "no copy of the new document's text");
    sendSignal(editor.processId(), SIGKILL);
    QVERIFY(editor.waitForFinished(10000));

    QProcess next;
    const QString question = startPemmo(next, { QStringLiteral("--editor") });
    QVERIFY2(!question.isEmpty(), "the start showed no question");
    x.xdotool({ QStringLiteral("windowfocus"), QStringLiteral("--sync"), question });
    x.keys({ QStringLiteral("Return") });
    QString restored;
    QVERIFY2(XSession::waitFor([&] {
                 for (const QString& candidate : x.visibleWindows()) {
                     if (x.windowPid(candidate) != next.processId() && x.windowName(candidate).startsWith(u'*'))
                         restored = candidate;
                 }
                 return !restored.isEmpty();
             }),
             "no window shows the restored document");
    const qint64 restoredPid = x.windowPid(restored);
    m_started.append(restoredPid);
    x.xdotool({ QStringLiteral("windowfocus"), QStringLiteral("--sync"), restored });
    x.keys({ QStringLiteral("ctrl+s") });
    // Ctrl+S on a text without a name is Save As: its dialog takes the name.
    QString dialog;
    QVERIFY2(XSession::waitFor([&] {
                 for (const QString& candidate : x.visibleWindows(restoredPid)) {
                     if (candidate != restored)
                         dialog = candidate;
                 }
                 return !dialog.isEmpty();
             }),
             "Ctrl+S showed no save dialog");
    QTemporaryDir work;
    const QString path = work.filePath(QStringLiteral("named.txt"));
    x.xdotool({ QStringLiteral("windowfocus"), QStringLiteral("--sync"), dialog });
    x.keys({ QStringLiteral("ctrl+a") });
    x.xdotool({ QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("20"), path });
    x.keys({ QStringLiteral("Return") });
    QVERIFY2(XSession::waitFor([&] { return bytesOf(path) == "fresh text\r\n"; }, 10000),
             qPrintable(QString::fromUtf8(bytesOf(path))));
    QVERIFY(XSession::waitFor([&] { return folder.entryList(QDir::Files).isEmpty(); }, 10000));
}

QTEST_MAIN(TestRecoveryE2e)
#include "tst_recovery_e2e.moc"
