// SPDX-License-Identifier: MIT
// The launcher as a user meets it: a real X server, a real system tray, the real executable.
#include "xsession.h"

#include <QFile>
#include <QProcess>
#include <QTest>

#include <csignal>

class TestTrayEndToEnd : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void launcherJourney();
    void withoutATrayTheFirstStartIsAnEditor();

private:
    std::unique_ptr<QProcess> startPemmo(const QStringList& arguments = {});
    /** An editor window whose title contains @p titlePart, other than the @p known ones. */
    QString editorWindowOf(const QString& titlePart, const QStringList& known = {});
    QString outputPath(const QString& name) const { return QStringLiteral(PEMMO_E2E_OUTPUT "/") + name; }

    std::unique_ptr<XSession> m_x;
    std::vector<std::unique_ptr<QProcess>> m_started;
    QList<qint64> m_detached;
};

void TestTrayEndToEnd::init()
{
    m_x = std::make_unique<XSession>();
}

void TestTrayEndToEnd::cleanup()
{
    for (const qint64 pid : std::as_const(m_detached))
        ::kill(pid_t(pid), SIGTERM);
    for (auto& process : m_started) {
        process->kill();
        process->waitForFinished();
    }
    m_started.clear();
    m_detached.clear();
    m_x.reset();
}

std::unique_ptr<QProcess> TestTrayEndToEnd::startPemmo(const QStringList& arguments)
{
    auto process = std::make_unique<QProcess>();
    process->setProcessEnvironment(m_x->environment());
    process->start(QStringLiteral(PEMMO_BINARY), arguments);
    return process;
}

QString TestTrayEndToEnd::editorWindowOf(const QString& titlePart, const QStringList& known)
{
    QString found;
    XSession::waitFor([&] {
        for (const QString& window : m_x->windowsNamed(QStringLiteral("Orvel Soft"))) {
            if (!known.contains(window) && m_x->windowName(window).contains(titlePart)) {
                found = window;
                return true;
            }
        }
        return false;
    });
    return found;
}

void TestTrayEndToEnd::launcherJourney()
{
    if (const QString missing = XSession::missingTools(true); !missing.isEmpty())
        QSKIP(qPrintable(missing));
    QVERIFY2(m_x->start(true), qPrintable(m_x->errorString()));

    // First start with a fresh settings key: MOption is true, so pemmo becomes the launcher.
    auto launcher = startPemmo();
    QVERIFY(launcher->waitForStarted());
    // The first start says where the launcher lives, in a balloon beside the icon; a click closes it.
    QString icon;
    QString balloon;
    QVERIFY2(XSession::waitFor([&] {
                 for (const QString& window : m_x->visibleWindows(launcher->processId())) {
                     const QRect rect = m_x->windowGeometry(window);
                     (rect.width() <= 32 && rect.height() <= 32 ? icon : balloon) = window;
                 }
                 return !icon.isEmpty() && !balloon.isEmpty();
             }),
             "the launcher's first start showed no icon with a balloon");
    m_x->click(m_x->windowGeometry(balloon).center());
    QVERIFY2(XSession::waitFor([&] { return m_x->visibleWindows(launcher->processId()).size() == 1; }),
             "the balloon did not close when clicked");
    QCOMPARE(m_x->visibleWindows(launcher->processId()), QStringList { icon }); // no window of its own
    const QRect iconRect = m_x->windowGeometry(icon);

    // A double-click starts one empty editor, at the stored place, and leaves no popup behind: the first
    // click's popup waits for the double-click interval and is then dropped.
    m_x->xdotool({ QStringLiteral("mousemove"), QString::number(iconRect.center().x()),
                   QString::number(iconRect.center().y()), QStringLiteral("click"), QStringLiteral("--repeat"),
                   QStringLiteral("2"), QStringLiteral("--delay"), QStringLiteral("60"), QStringLiteral("1") });
    const QString emptyEditor = editorWindowOf(QStringLiteral("[ "));
    QVERIFY2(!emptyEditor.isEmpty(), "no editor window after a double-click on the icon");
    m_detached.append(m_x->windowPid(emptyEditor));
    QCOMPARE(m_x->windowGeometry(emptyEditor).topLeft(), QPoint(200, 100));
    // Well past the double-click interval (400 ms unless the desktop says otherwise).
    QTest::qWait(1500);
    QCOMPARE(m_x->windowsNamed(QStringLiteral("Orvel Soft")).size(), 1);
    QCOMPARE(m_x->visibleWindows(launcher->processId()), QStringList { icon });

    // A left click shows the file popup above the cursor.
    m_x->click(iconRect.center());
    QVERIFY2(XSession::waitFor([&] { return m_x->visibleWindows(launcher->processId()).size() == 2; }),
             "no popup after a left click on the icon");
    QString popup;
    for (const QString& window : m_x->visibleWindows(launcher->processId())) {
        if (window != icon)
            popup = window;
    }
    QVERIFY(m_x->windowGeometry(popup).bottom() < iconRect.center().y());
    m_x->screenshot(outputPath(QStringLiteral("tray-popup.png")));

    // "Sdiアプリスタート" starts an editor 20 pixels further down and right than the stored 100/200, where the
    // double-clicked one sits.
    m_x->keys({ QStringLiteral("Down"), QStringLiteral("Down"), QStringLiteral("Return") });
    const QString firstEditor = editorWindowOf(QStringLiteral("[ "), { emptyEditor });
    QVERIFY2(!firstEditor.isEmpty(), "no editor window after Sdiアプリスタート");
    m_detached.append(m_x->windowPid(firstEditor));
    QCOMPARE(m_x->windowGeometry(firstEditor).topLeft(), QPoint(220, 120));
    m_x->screenshot(outputPath(QStringLiteral("tray-new-editor.png")));

    // Started from outside while the launcher runs: an editor for the file, whatever MOption says.
    const QString file = m_x->settingsDir() + QStringLiteral("/../a  memo.txt");
    QFile text(file);
    QVERIFY(text.open(QIODevice::WriteOnly));
    text.write("hello\n");
    text.close();
    m_started.push_back(startPemmo({ file }));
    const QString fileEditor = editorWindowOf(QStringLiteral("a  memo.txt"));
    QVERIFY2(!fileEditor.isEmpty(), "no editor window for the file started from outside");

    // "終了" from the right-click popup removes the icon and ends the launcher with exit code 0.
    m_x->click(iconRect.center(), 3);
    QVERIFY2(XSession::waitFor([&] { return m_x->visibleWindows(launcher->processId()).size() == 2; }),
             "no popup after a right click on the icon");
    m_x->keys({ QStringLiteral("Down"), QStringLiteral("Return") });
    QVERIFY(launcher->waitForFinished(10000));
    QCOMPARE(launcher->exitStatus(), QProcess::NormalExit);
    QCOMPARE(launcher->exitCode(), 0);
    QVERIFY(m_x->windowsNamed(QStringLiteral("多機能エディタータスクアイコン")).isEmpty());
}

void TestTrayEndToEnd::withoutATrayTheFirstStartIsAnEditor()
{
    if (const QString missing = XSession::missingTools(false); !missing.isEmpty())
        QSKIP(qPrintable(missing));
    QVERIFY2(m_x->start(false), qPrintable(m_x->errorString()));
    m_started.push_back(startPemmo());
    const QString editor = editorWindowOf(QStringLiteral("[ "));
    QVERIFY2(!editor.isEmpty(), "the first start without a tray showed no editor");
    QCOMPARE(m_x->windowGeometry(editor).topLeft(), QPoint(200, 100));
}

QTEST_GUILESS_MAIN(TestTrayEndToEnd)
#include "tst_tray_e2e.moc"
