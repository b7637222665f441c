// SPDX-License-Identifier: MIT
#include "xsession.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QStandardPaths>
#include <QTest>
#include <QThread>

XSession::~XSession()
{
    for (auto* process : { m_windowManager.get(), m_tray.get(), m_xvfb.get() }) {
        if (process && process->state() != QProcess::NotRunning) {
            process->terminate();
            if (!process->waitForFinished(3000))
                process->kill();
            process->waitForFinished();
        }
    }
}

QString XSession::missingTools(bool withTray)
{
    QStringList missing;
    QStringList tools { QStringLiteral("Xvfb"), QStringLiteral("xdotool"), QStringLiteral("import"),
                        QStringLiteral("xmodmap") };
    if (withTray)
        tools.append(QStringLiteral("trayer"));
    for (const QString& tool : tools) {
        if (QStandardPaths::findExecutable(tool).isEmpty())
            missing.append(tool);
    }
    if (missing.isEmpty())
        return {};
    return QStringLiteral("not installed: %1 (Debian packages xvfb, xdotool, imagemagick, trayer)")
        .arg(missing.join(QLatin1String(", ")));
}

bool XSession::start(bool withTray)
{
    m_xvfb = std::make_unique<QProcess>();
    // -displayfd 1: Xvfb picks a free display itself and tells us its number, so parallel tests never collide.
    m_xvfb->start(QStringLiteral("Xvfb"),
                  { QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"), QStringLiteral("0"),
                    QStringLiteral("1024x768x24"), QStringLiteral("-nolisten"), QStringLiteral("tcp") });
    if (!m_xvfb->waitForStarted()) {
        m_error = QStringLiteral("Xvfb did not start");
        return false;
    }
    if (!waitFor([this] { return m_xvfb->canReadLine() || m_xvfb->state() == QProcess::NotRunning; })) {
        m_error = QStringLiteral("Xvfb gave no display number");
        return false;
    }
    m_display = u':' + QString::fromLatin1(m_xvfb->readLine().trimmed());
    QDir(m_home.path()).mkdir(QStringLiteral("runtime"));
    QFile::setPermissions(m_home.filePath(QStringLiteral("runtime")),
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    if (!withTray)
        return true;

    m_tray = std::make_unique<QProcess>();
    m_tray->setProcessEnvironment(environment());
    m_tray->start(QStringLiteral("trayer"),
                  { QStringLiteral("--edge"), QStringLiteral("bottom"), QStringLiteral("--align"),
                    QStringLiteral("right"), QStringLiteral("--widthtype"), QStringLiteral("request"),
                    QStringLiteral("--height"), QStringLiteral("24") });
    if (!m_tray->waitForStarted() || !waitFor([this] { return !windowsNamed(QStringLiteral("^panel$")).isEmpty(); })) {
        m_error = QStringLiteral("trayer did not start");
        return false;
    }
    return true;
}

bool XSession::startWindowManager()
{
    m_windowManager = std::make_unique<QProcess>();
    m_windowManager->setProcessEnvironment(environment());
    m_windowManager->start(QStringLiteral("openbox"), { QStringLiteral("--sm-disable") });
    // A window manager announces itself on the root window once it manages the screen.
    const auto announced = [this] {
        QProcess xprop;
        xprop.setProcessEnvironment(environment());
        xprop.start(QStringLiteral("xprop"), { QStringLiteral("-root"), QStringLiteral("_NET_SUPPORTING_WM_CHECK") });
        return xprop.waitForFinished(5000) && xprop.readAllStandardOutput().contains("window id");
    };
    if (!m_windowManager->waitForStarted() || !waitFor(announced)) {
        m_error = QStringLiteral("openbox did not start");
        return false;
    }
    return true;
}

QProcessEnvironment XSession::environment() const
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DISPLAY"), m_display);
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), settingsDir());
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_home.filePath(QStringLiteral("runtime")));
    env.insert(QStringLiteral("LANG"), QStringLiteral("C.UTF-8"));
    return env;
}

QString XSession::xdotool(const QStringList& arguments) const
{
    QProcess process;
    process.setProcessEnvironment(environment());
    process.start(QStringLiteral("xdotool"), arguments);
    process.waitForFinished(10000);
    return QString::fromUtf8(process.readAllStandardOutput()).trimmed();
}

QStringList XSession::visibleWindows(qint64 pid) const
{
    QStringList arguments { QStringLiteral("search"), QStringLiteral("--onlyvisible") };
    if (pid)
        arguments << QStringLiteral("--pid") << QString::number(pid);
    else
        arguments << QStringLiteral("--name") << QStringLiteral(".*");
    return xdotool(arguments).split(u'\n', Qt::SkipEmptyParts);
}

QStringList XSession::windowsNamed(const QString& pattern) const
{
    return xdotool({ QStringLiteral("search"), QStringLiteral("--onlyvisible"), QStringLiteral("--name"), pattern })
        .split(u'\n', Qt::SkipEmptyParts);
}

QString XSession::windowName(const QString& window) const
{
    return xdotool({ QStringLiteral("getwindowname"), window });
}

QRect XSession::windowGeometry(const QString& window) const
{
    const QStringList values = xdotool({ QStringLiteral("getwindowgeometry"), QStringLiteral("--shell"), window })
                                   .split(u'\n', Qt::SkipEmptyParts);
    QRect rect;
    for (const QString& line : values) {
        const int value = line.section(u'=', 1).toInt();
        if (line.startsWith(QLatin1String("X=")))
            rect.moveLeft(value);
        else if (line.startsWith(QLatin1String("Y=")))
            rect.moveTop(value);
        else if (line.startsWith(QLatin1String("WIDTH=")))
            rect.setWidth(value);
        else if (line.startsWith(QLatin1String("HEIGHT=")))
            rect.setHeight(value);
    }
    return rect;
}

qint64 XSession::windowPid(const QString& window) const
{
    return xdotool({ QStringLiteral("getwindowpid"), window }).toLongLong();
}

void XSession::click(QPoint at, int button) const
{
    xdotool({ QStringLiteral("mousemove"), QString::number(at.x()), QString::number(at.y()), QStringLiteral("click"),
              QString::number(button) });
}

void XSession::keys(const QStringList& keys) const
{
    xdotool(QStringList { QStringLiteral("key"), QStringLiteral("--delay"), QStringLiteral("80") } + keys);
}

bool XSession::screenshot(const QString& path) const
{
    QProcess process;
    process.setProcessEnvironment(environment());
    process.start(QStringLiteral("import"), { QStringLiteral("-window"), QStringLiteral("root"), path });
    return process.waitForFinished(20000) && process.exitCode() == 0;
}

bool XSession::bindCharacters(const QString& text)
{
    const auto xmodmap = [this](const QStringList& arguments) {
        QProcess process;
        process.setProcessEnvironment(environment());
        process.start(QStringLiteral("xmodmap"), arguments);
        process.waitForFinished(10000);
        return QString::fromLatin1(process.readAllStandardOutput());
    };
    if (m_freeKeycodes.isEmpty() && m_bound.isEmpty()) {
        // "keycode  93 =" with nothing after it is a key the keyboard map leaves free.
        for (const QString& line : xmodmap({ QStringLiteral("-pke") }).split(u'\n')) {
            const QStringList fields = line.simplified().split(u' ');
            if (fields.size() == 3 && fields[0] == u"keycode" && fields[2] == u"=")
                m_freeKeycodes.append(fields[1].toInt());
        }
    }
    for (const char32_t c : text.toUcs4()) {
        if (c < 0x80 || m_bound.contains(c))
            continue;
        if (m_freeKeycodes.isEmpty())
            return false;
        const QString keysym = QStringLiteral("U%1").arg(uint(c), 4, 16, QLatin1Char('0')).toUpper();
        xmodmap(
            { QStringLiteral("-e"), QStringLiteral("keycode %1 = %2 %2").arg(m_freeKeycodes.takeFirst()).arg(keysym) });
        m_bound.append(c);
    }
    return true;
}

bool XSession::waitFor(const std::function<bool()>& condition, int ms)
{
    const QDeadlineTimer deadline(ms);
    while (!condition()) {
        if (deadline.hasExpired())
            return false;
        QTest::qWait(50);
    }
    return true;
}
