// SPDX-License-Identifier: MIT
// Japanese input through a real input method: IBus with Mozc on a real X server, keys from xdotool,
// and the file the editor saves. Mozc will not run as root, so under root the input method and the
// editor run as the unprivileged user nobody, with a home of their own.
#include "journeyfiles.h"
#include "xsession.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <sys/stat.h>
#include <unistd.h>

using namespace journey;

class TestInputMethod : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void aClickWhileComposingCommitsOnce();
};

namespace {

constexpr uid_t kUnprivileged = 65534; // nobody / nogroup

QString missingTools()
{
    QStringList missing;
    for (const char* tool : { "ibus-daemon", "ibus", "dbus-run-session", "setpriv" }) {
        if (QStandardPaths::findExecutable(QLatin1String(tool)).isEmpty())
            missing.append(QLatin1String(tool));
    }
    if (!QFileInfo::exists(QStringLiteral("/usr/lib/ibus-mozc/ibus-engine-mozc")))
        missing.append(QStringLiteral("ibus-engine-mozc"));
    if (missing.isEmpty())
        return {};
    return QStringLiteral("not installed: %1 (Debian packages ibus, ibus-mozc, dbus-daemon, util-linux)")
        .arg(missing.join(QLatin1String(", ")));
}

// @p program with @p arguments as the user the input method can run as.
std::pair<QString, QStringList> asInputMethodUser(const QString& program, const QStringList& arguments)
{
    if (::geteuid() != 0)
        return { program, arguments };
    const QString id = QString::number(kUnprivileged);
    return { QStringLiteral("setpriv"),
             QStringList { QStringLiteral("--reuid=") + id, QStringLiteral("--regid=") + id,
                           QStringLiteral("--clear-groups"), program } +
                 arguments };
}

// Ends what the input method left running with @p home as its home (Mozc's server and renderer
// outlive the input method, and would outlive the test).
void endProcessesOfHome(const QString& home)
{
    const QByteArray wanted = "HOME=" + QFile::encodeName(home);
    for (const QString& pid : QDir(QStringLiteral("/proc")).entryList({ QStringLiteral("[0-9]*") }, QDir::Dirs)) {
        QFile environ(QStringLiteral("/proc/%1/environ").arg(pid));
        if (environ.open(QIODevice::ReadOnly) && environ.readAll().split('\0').contains(wanted))
            ::kill(pid_t(pid.toInt()), SIGTERM);
    }
}

bool giveToInputMethodUser(const QString& path)
{
    return ::geteuid() != 0 || ::chown(QFile::encodeName(path).constData(), kUnprivileged, kUnprivileged) == 0;
}

} // namespace

void TestInputMethod::aClickWhileComposingCommitsOnce()
{
    if (const QString missing = XSession::missingTools(false); !missing.isEmpty())
        QSKIP(qPrintable(missing));
    if (const QString missing = missingTools(); !missing.isEmpty())
        QSKIP(qPrintable(missing));
    XSession x;
    QVERIFY2(x.start(false), qPrintable(x.errorString()));

    // A home the input method's user owns: Mozc keeps its dictionary there, and the editor its settings.
    QTemporaryDir home;
    QVERIFY(home.isValid());
    QVERIFY(QDir(home.path()).mkpath(QStringLiteral(".config/mozc")));
    QVERIFY(QDir(home.path()).mkpath(QStringLiteral("runtime")));
    // Mozc starts in its Japanese mode, as a user switches it on before typing.
    QFile mozc(home.filePath(QStringLiteral(".config/mozc/ibus_config.textproto")));
    QVERIFY(mozc.open(QIODevice::WriteOnly));
    mozc.write("engines {\n  name : \"mozc-jp\"\n  longname : \"Mozc\"\n  layout : \"default\"\n"
               "  layout_variant : \"\"\n  layout_option : \"\"\n  rank : 80\n}\nactive_on_launch: True\n");
    mozc.close();
    const QString memo = home.filePath(QStringLiteral("memo.txt"));
    QFile file(memo);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(toCp932(QStringLiteral("あ\r\n")));
    file.close();
    // The build may sit in a folder only root can enter (a clone in a mktemp folder): the
    // unprivileged user runs its own copy of the editor, which links no library of the build.
    const QString binary = home.filePath(QStringLiteral("pemmo"));
    QVERIFY(QFile::copy(QStringLiteral(PEMMO_BINARY), binary));
    for (const QString& path :
         { home.path(), home.filePath(QStringLiteral(".config")), home.filePath(QStringLiteral(".config/mozc")),
           mozc.fileName(), home.filePath(QStringLiteral("runtime")), memo, binary }) {
        QVERIFY2(giveToInputMethodUser(path), qPrintable(QStringLiteral("cannot hand %1 over").arg(path)));
    }
    QVERIFY(QFile::setPermissions(home.filePath(QStringLiteral("runtime")),
                                  QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));

    QProcessEnvironment env = x.environment();
    env.insert(QStringLiteral("HOME"), home.path());
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), home.filePath(QStringLiteral(".config")));
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), home.filePath(QStringLiteral("runtime")));
    env.insert(QStringLiteral("QT_IM_MODULE"), QStringLiteral("ibus"));
    env.insert(QStringLiteral("XMODIFIERS"), QStringLiteral("@im=ibus"));
    // The input method and the editor share one session bus, which ends with the editor.
    const QString session = QStringLiteral("ibus-daemon --daemonize --replace --xim --panel=disable && sleep 2 && "
                                           "ibus engine mozc-jp; exec \"$0\" \"$1\"");
    const auto [program, arguments] = asInputMethodUser(
        QStringLiteral("dbus-run-session"),
        { QStringLiteral("--"), QStringLiteral("sh"), QStringLiteral("-c"), session, binary, memo });
    QProcess editor;
    // Whatever happens, nothing the session started outlives the test: the input method, Mozc's
    // server and the accessibility bus would otherwise hold on to the test's output.
    const auto cleanup = qScopeGuard([&] {
        if (editor.state() != QProcess::NotRunning) {
            editor.terminate();
            if (!editor.waitForFinished(5000))
                editor.kill();
            editor.waitForFinished(5000);
        }
        QProcess exit;
        exit.setProcessEnvironment(env);
        const auto [exitProgram, exitArguments] = asInputMethodUser(QStringLiteral("ibus"), { QStringLiteral("exit") });
        exit.start(exitProgram, exitArguments);
        exit.waitForFinished(10000);
        endProcessesOfHome(home.path());
    });
    editor.setProcessEnvironment(env);
    editor.start(program, arguments);
    QVERIFY(editor.waitForStarted());
    QString window;
    QVERIFY2(XSession::waitFor(
                 [&] {
                     const QStringList named = x.windowsNamed(QStringLiteral("memo.txt"));
                     window = named.value(0);
                     return !window.isEmpty() || editor.state() == QProcess::NotRunning;
                 },
                 90000) &&
                 !window.isEmpty(),
             "no editor window under the input method");
    x.xdotool({ QStringLiteral("windowfocus"), QStringLiteral("--sync"), window });
    QTest::qWait(1000);
    // The engine belongs to the focused input context: choose it again now that the editor has one.
    QProcess engine;
    engine.setProcessEnvironment(env);
    const auto [engineProgram, engineArguments] = asInputMethodUser(
        QStringLiteral("ibus"), { QStringLiteral("engine"), QStringLiteral("mozc-jp") });
    engine.start(engineProgram, engineArguments);
    QVERIFY(engine.waitForFinished(10000));
    QTest::qWait(500);

    // にほんご, converted to 日本語 and still open, then a click in the text before it.
    x.keys({ QStringLiteral("End"), QStringLiteral("n"), QStringLiteral("i"), QStringLiteral("h"), QStringLiteral("o"),
             QStringLiteral("n"), QStringLiteral("g"), QStringLiteral("o") });
    QTest::qWait(800);
    x.keys({ QStringLiteral("space") });
    QTest::qWait(800);
    x.screenshot(QStringLiteral(PEMMO_E2E_OUTPUT "/inputmethod-1-converted.png"));
    const QRect frame = x.windowGeometry(window);
    // The first text line lies below the menu bar, the tool bar and the ruler.
    x.click(frame.topLeft() + QPoint(30, 78));
    QTest::qWait(1500);
    x.screenshot(QStringLiteral(PEMMO_E2E_OUTPUT "/inputmethod-2-clicked.png"));
    x.keys({ QStringLiteral("ctrl+s") });

    const QByteArray expected = toCp932(QStringLiteral("あ日本語\r\n"));
    QByteArray saved;
    XSession::waitFor(
        [&] {
            QFile written(memo);
            saved = written.open(QIODevice::ReadOnly) ? written.readAll() : QByteArray();
            return saved == expected;
        },
        10000);
    const QString savedText = QString::fromUtf8(saved.toHex(' '));
    QVERIFY2(saved == expected, qPrintable(QStringLiteral("saved %1 (CP932); wanted あ日本語 once").arg(savedText)));

    x.keys({ QStringLiteral("alt+f"), QStringLiteral("x") });
    QVERIFY2(editor.waitForFinished(10000), "終了(&X) did not end the editor");
}

QTEST_GUILESS_MAIN(TestInputMethod)
#include "tst_inputmethod_e2e.moc"
