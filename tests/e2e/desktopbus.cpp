// SPDX-License-Identifier: MIT
#include "desktopbus.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QDeadlineTimer>
#include <QFile>
#include <QStandardPaths>

namespace {

constexpr auto kAccessible = "org.a11y.atspi.Accessible";
constexpr int kShowingBit = 25; // ATSPI_STATE_SHOWING
constexpr int kCallTimeoutMs = 3000;
// Item views list every file of a folder; nothing the tests read lives below them.
const QStringList kOpaqueRoles { QStringLiteral("table"), QStringLiteral("tree table"), QStringLiteral("list"),
                                 QStringLiteral("tree") };

QDBusMessage call(const QDBusConnection& bus, const QString& service, const QString& path, const char* interface,
                  const char* method, const QVariantList& arguments = {})
{
    QDBusMessage message = QDBusMessage::createMethodCall(service, path, QLatin1String(interface),
                                                          QLatin1String(method));
    message.setArguments(arguments);
    return bus.call(message, QDBus::Block, kCallTimeoutMs);
}

QVariant property(const QDBusConnection& bus, const QString& service, const QString& path, const char* interface,
                  const char* name)
{
    const QDBusMessage reply = call(bus, service, path, "org.freedesktop.DBus.Properties", "Get",
                                    { QLatin1String(interface), QLatin1String(name) });
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return {};
    return reply.arguments().constFirst().value<QDBusVariant>().variant();
}

QList<std::pair<QString, QString>> children(const QDBusConnection& bus, const QString& service, const QString& path)
{
    QList<std::pair<QString, QString>> result;
    const QDBusMessage reply = call(bus, service, path, kAccessible, "GetChildren");
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return result;
    const auto argument = reply.arguments().constFirst().value<QDBusArgument>();
    argument.beginArray();
    while (!argument.atEnd()) {
        QString childService;
        QDBusObjectPath childPath;
        argument.beginStructure();
        argument >> childService >> childPath;
        argument.endStructure();
        result.append({ childService, childPath.path() });
    }
    argument.endArray();
    return result;
}

QRect rectFrom(const QDBusMessage& reply)
{
    if (reply.type() != QDBusMessage::ReplyMessage)
        return {};
    const QVariantList values = reply.arguments();
    if (values.size() == 4)
        return { values[0].toInt(), values[1].toInt(), values[2].toInt(), values[3].toInt() };
    if (values.size() != 1)
        return {};
    int x = 0, y = 0, width = 0, height = 0;
    const auto argument = values.constFirst().value<QDBusArgument>();
    argument.beginStructure();
    argument >> x >> y >> width >> height;
    argument.endStructure();
    return { x, y, width, height };
}

} // namespace

DesktopBus::~DesktopBus()
{
    if (!m_connectionName.isEmpty())
        QDBusConnection::disconnectFromBus(m_connectionName);
    if (m_daemon && m_daemon->state() != QProcess::NotRunning) {
        // The accessibility bus and its registry end by themselves once this bus is gone.
        m_daemon->terminate();
        if (!m_daemon->waitForFinished(3000))
            m_daemon->kill();
        m_daemon->waitForFinished();
    }
}

QString DesktopBus::missingTools()
{
    QStringList missing;
    if (QStandardPaths::findExecutable(QStringLiteral("dbus-daemon")).isEmpty())
        missing.append(QStringLiteral("dbus-daemon (Debian package dbus-daemon)"));
    if (!QFile::exists(QStringLiteral("/usr/share/dbus-1/services/org.a11y.Bus.service")))
        missing.append(QStringLiteral("the accessibility bus (Debian package at-spi2-core)"));
    if (missing.isEmpty())
        return {};
    return QStringLiteral("not installed: %1").arg(missing.join(QLatin1String(", ")));
}

bool DesktopBus::start(const QProcessEnvironment& base)
{
    m_daemon = std::make_unique<QProcess>();
    // The bus and the services it activates see the test's display and runtime folder, not the desktop's.
    m_daemon->setProcessEnvironment(base);
    m_daemon->start(QStringLiteral("dbus-daemon"),
                    { QStringLiteral("--session"), QStringLiteral("--nofork"), QStringLiteral("--print-address=1") });
    if (!m_daemon->waitForStarted(5000)) {
        m_error = QStringLiteral("dbus-daemon did not start");
        return false;
    }
    const QDeadlineTimer deadline(5000);
    while (!m_daemon->canReadLine() && !deadline.hasExpired() && m_daemon->state() == QProcess::Running)
        m_daemon->waitForReadyRead(100);
    m_sessionAddress = QString::fromUtf8(m_daemon->readLine().trimmed());
    if (m_sessionAddress.isEmpty()) {
        m_error = QStringLiteral("dbus-daemon gave no address");
        return false;
    }
    const QString sessionName = QStringLiteral("e2e-session-%1").arg(quintptr(this));
    QDBusConnection session = QDBusConnection::connectToBus(m_sessionAddress, sessionName);
    // Asking for the address activates the accessibility bus, so a Qt program started afterwards finds it running.
    const QDBusMessage reply = call(session, QStringLiteral("org.a11y.Bus"), QStringLiteral("/org/a11y/bus"),
                                    "org.a11y.Bus", "GetAddress");
    QDBusConnection::disconnectFromBus(sessionName);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) {
        m_error = QStringLiteral("the accessibility bus did not start: %1").arg(reply.errorMessage());
        return false;
    }
    m_connectionName = QStringLiteral("e2e-a11y-%1").arg(quintptr(this));
    const QDBusConnection a11y = QDBusConnection::connectToBus(reply.arguments().constFirst().toString(),
                                                               m_connectionName);
    if (!a11y.isConnected()) {
        m_error = QStringLiteral("cannot connect to the accessibility bus");
        return false;
    }
    return true;
}

QProcessEnvironment DesktopBus::environment(const QProcessEnvironment& base) const
{
    QProcessEnvironment env = base;
    env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), m_sessionAddress);
    // Without a screen reader announcing itself, Qt keeps its bridge off unless asked.
    env.insert(QStringLiteral("QT_LINUX_ACCESSIBILITY_ALWAYS_ON"), QStringLiteral("1"));
    // Qt's own dialogs, whatever desktop the test machine has.
    env.remove(QStringLiteral("QT_QPA_PLATFORMTHEME"));
    env.remove(QStringLiteral("XDG_CURRENT_DESKTOP"));
    return env;
}

QList<AccessibleNode> DesktopBus::snapshot(qint64 pid) const
{
    QList<AccessibleNode> nodes;
    const QDBusConnection bus = QDBusConnection(m_connectionName);
    for (const auto& [service, path] :
         children(bus, QStringLiteral("org.a11y.atspi.Registry"), QStringLiteral("/org/a11y/atspi/accessible/root"))) {
        const QDBusMessage owner = call(bus, QStringLiteral("org.freedesktop.DBus"),
                                        QStringLiteral("/org/freedesktop/DBus"), "org.freedesktop.DBus",
                                        "GetConnectionUnixProcessID", { service });
        if (owner.type() == QDBusMessage::ReplyMessage && owner.arguments().value(0).toLongLong() == pid) {
            collect(service, path, QString(), 0, nodes);
            break;
        }
    }
    return nodes;
}

void DesktopBus::collect(const QString& service, const QString& path, const QString& window, int depth,
                         QList<AccessibleNode>& into) const
{
    if (depth > 40 || into.size() > 5000)
        return;
    const QDBusConnection bus = QDBusConnection(m_connectionName);
    AccessibleNode node;
    node.service = service;
    node.path = path;
    node.name = property(bus, service, path, kAccessible, "Name").toString();
    node.role = call(bus, service, path, kAccessible, "GetRoleName").arguments().value(0).toString();
    const QDBusMessage state = call(bus, service, path, kAccessible, "GetState");
    if (state.type() == QDBusMessage::ReplyMessage && !state.arguments().isEmpty()) {
        const auto argument = state.arguments().constFirst().value<QDBusArgument>();
        QList<uint> words;
        argument.beginArray();
        while (!argument.atEnd()) {
            uint word = 0;
            argument >> word;
            words.append(word);
        }
        argument.endArray();
        node.showing = !words.isEmpty() && (words.constFirst() & (1u << kShowingBit));
    }
    // The application's children are its top-level windows; everything below belongs to one of them.
    node.window = depth == 1 ? node.name : window;
    into.append(node);
    if (kOpaqueRoles.contains(node.role))
        return;
    for (const auto& [childService, childPath] : children(bus, service, path))
        collect(childService, childPath, node.window, depth + 1, into);
}

QRect DesktopBus::extents(const AccessibleNode& node) const
{
    const QDBusConnection bus = QDBusConnection(m_connectionName);
    // Coordinate type 0: the screen's.
    return rectFrom(call(bus, node.service, node.path, "org.a11y.atspi.Component", "GetExtents", { 0u }));
}

QString DesktopBus::text(const AccessibleNode& node) const
{
    const QDBusConnection bus = QDBusConnection(m_connectionName);
    const int count = property(bus, node.service, node.path, "org.a11y.atspi.Text", "CharacterCount").toInt();
    return call(bus, node.service, node.path, "org.a11y.atspi.Text", "GetText", { 0, count })
        .arguments()
        .value(0)
        .toString();
}

QRect DesktopBus::characterExtents(const AccessibleNode& node, int offset) const
{
    const QDBusConnection bus = QDBusConnection(m_connectionName);
    return rectFrom(call(bus, node.service, node.path, "org.a11y.atspi.Text", "GetCharacterExtents", { offset, 0u }));
}

std::pair<int, int> DesktopBus::selection(const AccessibleNode& node) const
{
    const QDBusConnection bus = QDBusConnection(m_connectionName);
    const QList<QVariant> values =
        call(bus, node.service, node.path, "org.a11y.atspi.Text", "GetSelection", { 0 }).arguments();
    return { values.value(0).toInt(), values.value(1).toInt() };
}
