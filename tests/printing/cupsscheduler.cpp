// SPDX-License-Identifier: MIT
#include "cupsscheduler.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QThread>

#include <sys/stat.h>
#include <unistd.h>

namespace {
const QString kCupsPdfBackend = QStringLiteral("/usr/lib/cups/backend/cups-pdf");
const QString kCupsPdfPpd = QStringLiteral("/usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd");
const QString kCupsPdfConfigFolder = QStringLiteral("/etc/cups");
constexpr int kStartSeconds = 20;
} // namespace

CupsScheduler::CupsScheduler()
    : m_queue(QStringLiteral("PemmoPdf%1").arg(QCoreApplication::applicationPid()))
{ }

CupsScheduler::~CupsScheduler()
{
    stop();
    if (!m_cupsPdfConfig.isEmpty())
        QFile::remove(m_cupsPdfConfig);
}

QString CupsScheduler::unavailableReason()
{
    QStringList missing;
    for (const char* tool : { "cupsd", "lpadmin", "lpstat" }) {
        if (QStandardPaths::findExecutable(QLatin1String(tool),
                                           { QStringLiteral("/usr/sbin"), QStringLiteral("/usr/bin") })
                .isEmpty())
            missing.append(QLatin1String(tool));
    }
    if (!missing.isEmpty())
        return missing.join(QLatin1String(", ")) + QLatin1String(" not installed (Debian packages cups, cups-client)");
    if (!QFileInfo::exists(kCupsPdfBackend) || !QFileInfo::exists(kCupsPdfPpd))
        return QStringLiteral("the PDF printer is not installed (Debian package printer-driver-cups-pdf)");
    if (geteuid() != 0)
        return QStringLiteral("cups-pdf's backend runs only under a scheduler started as root; run the test as root");
    if (!QFileInfo(kCupsPdfConfigFolder).isWritable())
        return QStringLiteral("%1 is not writable, so cups-pdf cannot be told where to write")
            .arg(kCupsPdfConfigFolder);
    return {};
}

QString CupsScheduler::socketPath() const
{
    return m_root.filePath(QStringLiteral("cups.sock"));
}

QString CupsScheduler::outputFolder() const
{
    return m_root.filePath(QStringLiteral("out"));
}

QString CupsScheduler::errorLog() const
{
    QFile log(m_root.filePath(QStringLiteral("log/error_log")));
    return log.open(QIODevice::ReadOnly) ? QString::fromUtf8(log.readAll().right(3000)) : QString();
}

bool CupsScheduler::hasPendingJobs() const
{
    QProcess status;
    status.start(QStringLiteral("lpstat"), { QStringLiteral("-h"), socketPath(), QStringLiteral("-o"), m_queue });
    return !status.waitForFinished(10000) || !status.readAllStandardOutput().trimmed().isEmpty();
}

bool CupsScheduler::writeFile(const QString& path, const QByteArray& contents)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(contents) != contents.size()) {
        m_error = QStringLiteral("cannot write %1").arg(path);
        return false;
    }
    return true;
}

bool CupsScheduler::run(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(30000) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        process.kill();
        m_error = QStringLiteral("%1 %2 failed: %3")
                      .arg(program, arguments.join(u' '), QString::fromLocal8Bit(process.readAllStandardError()));
        return false;
    }
    return true;
}

bool CupsScheduler::start()
{
    if (!m_root.isValid()) {
        m_error = QStringLiteral("no temporary folder");
        return false;
    }
    // The filters run as the unprivileged user "lp" and must reach the spool below this folder.
    QFile::setPermissions(m_root.path(),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner |
                              QFileDevice::ReadGroup | QFileDevice::ExeGroup | QFileDevice::ReadOther |
                              QFileDevice::ExeOther);
    const QDir root(m_root.path());
    for (const char* folder : { "etc", "spool", "tmp", "cache", "state", "log", "out", "cups-pdf-spool" })
        root.mkpath(QLatin1String(folder));
    // The filters' temporary files, written as "lp".
    ::chmod(QFile::encodeName(root.filePath(QStringLiteral("tmp"))).constData(), 01777);
    const QByteArray path = m_root.path().toUtf8();

    const QByteArray files = "ServerRoot " + path +
        "/etc\n"
        "RequestRoot " +
        path +
        "/spool\n"
        "TempDir " +
        path +
        "/tmp\n"
        "CacheDir " +
        path +
        "/cache\n"
        "StateDir " +
        path +
        "/state\n"
        "ServerBin /usr/lib/cups\n"
        "DataDir /usr/share/cups\n"
        "AccessLog " +
        path +
        "/log/access_log\n"
        "ErrorLog " +
        path +
        "/log/error_log\n"
        "PageLog " +
        path +
        "/log/page_log\n"
        "Printcap " +
        path +
        "/printcap\n"
        "User lp\n"
        "Group lp\n"
        "SystemGroup root\n";
    const QByteArray conf = "Listen " + socketPath().toUtf8() +
        "\n"
        "LogLevel info\n"
        "Browsing No\n"
        "WebInterface No\n"
        "DefaultAuthType None\n"
        "ErrorPolicy abort-job\n"
        "<Location />\n  Order allow,deny\n  Allow all\n</Location>\n";
    m_cupsPdfConfig = kCupsPdfConfigFolder + QStringLiteral("/cups-pdf-%1.conf").arg(m_queue);
    const QByteArray cupsPdf = "Out " + outputFolder().toUtf8() +
        "\n"
        "AnonDirName " +
        outputFolder().toUtf8() +
        "\n"
        "Spool " +
        path +
        "/cups-pdf-spool\n"
        "Log " +
        path +
        "/log\n"
        "Grp root\n";
    if (!writeFile(root.filePath(QStringLiteral("etc/cups-files.conf")), files) ||
        !writeFile(root.filePath(QStringLiteral("etc/cupsd.conf")), conf) || !writeFile(m_cupsPdfConfig, cupsPdf))
        return false;

    m_cupsd = std::make_unique<QProcess>();
    m_cupsd->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_cupsd->start(QStringLiteral("cupsd"),
                   { QStringLiteral("-f"), QStringLiteral("-c"), root.filePath(QStringLiteral("etc/cupsd.conf")),
                     QStringLiteral("-s"), root.filePath(QStringLiteral("etc/cups-files.conf")) });
    if (!m_cupsd->waitForStarted(5000)) {
        m_error = QStringLiteral("cupsd does not start: %1").arg(m_cupsd->errorString());
        return false;
    }
    const QDeadlineTimer deadline(kStartSeconds * 1000);
    bool running = false;
    while (!running && !deadline.hasExpired() && m_cupsd->state() == QProcess::Running) {
        QThread::msleep(200);
        QProcess status;
        status.start(QStringLiteral("lpstat"), { QStringLiteral("-h"), socketPath(), QStringLiteral("-r") });
        running = status.waitForFinished(5000) && status.readAllStandardOutput().contains("is running");
    }
    if (!running) {
        m_error = QStringLiteral("cupsd did not answer within %1 s: %2").arg(kStartSeconds).arg(errorLog());
        return false;
    }
    // The driver takes PostScript; cairo's keeps the text's letters readable in the PDF that
    // ghostscript makes of it, where the default converter's leaves only glyph numbers.
    const QString server = socketPath();
    return run(QStringLiteral("lpadmin"),
               { QStringLiteral("-h"), server, QStringLiteral("-p"), m_queue, QStringLiteral("-v"),
                 QStringLiteral("cups-pdf:/") + m_queue, QStringLiteral("-P"), kCupsPdfPpd, QStringLiteral("-o"),
                 QStringLiteral("pdftops-renderer-default=pdftocairo"), QStringLiteral("-E") }) &&
        run(QStringLiteral("lpadmin"), { QStringLiteral("-h"), server, QStringLiteral("-d"), m_queue });
}

void CupsScheduler::stop()
{
    if (!m_cupsd || m_cupsd->state() == QProcess::NotRunning)
        return;
    m_cupsd->terminate();
    if (!m_cupsd->waitForFinished(10000)) {
        m_cupsd->kill();
        m_cupsd->waitForFinished(5000);
    }
}
