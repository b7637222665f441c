// SPDX-License-Identifier: MIT
// What a user's system gets: a valid menu entry and AppStream file, and a Debian package that
// installs on Debian 12 with what the program needs.
#include <QDir>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

namespace {

struct Run
{
    int exitCode = -1;
    QString output;
};

Run run(const QString& program, const QStringList& arguments, int timeoutMs = 120000)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    if (!process.waitForFinished(timeoutMs))
        return {};
    return { process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
             QString::fromUtf8(process.readAll()) };
}

void requireTool(const QString& tool, const char* package)
{
    if (QStandardPaths::findExecutable(tool).isEmpty())
        QSKIP(qPrintable(QStringLiteral("%1 not installed (Debian package %2)").arg(tool, QLatin1String(package))));
}

} // namespace

class TestPackaging : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void desktopEntryIsValid();
    void appStreamFileIsValid();
    void debianPackage();
};

void TestPackaging::desktopEntryIsValid()
{
    requireTool(QStringLiteral("desktop-file-validate"), "desktop-file-utils");
    const QString entry = QStringLiteral(PEMMO_RESOURCES "/jp.ambrel.pemmo.desktop");
    const Run result = run(QStringLiteral("desktop-file-validate"), { entry });
    QVERIFY2(result.exitCode == 0 && result.output.trimmed().isEmpty(), qPrintable(result.output));
    QFile file(entry);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(file.readAll());
    // A document opened from the desktop always shows, one window per file.
    QVERIFY(text.contains(QLatin1String("\nExec=pemmo --editor %F\n")));
    QVERIFY(text.contains(QStringLiteral("\nName[ja]=")));
    for (const char* type :
         { "text/plain", "text/rtf", "application/rtf", "text/html", "text/x-csrc", "text/x-c++src", "text/x-asm" })
        QVERIFY2(text.contains(QLatin1String(type) + u';'), type);
    QVERIFY(text.contains(QLatin1String("Exec=pemmo --editor")));
    QVERIFY(text.contains(QLatin1String("Exec=pemmo --launcher")));
}

void TestPackaging::appStreamFileIsValid()
{
    requireTool(QStringLiteral("appstreamcli"), "appstream");
    const Run result = run(QStringLiteral("appstreamcli"),
                           { QStringLiteral("validate"), QStringLiteral("--no-net"),
                             QStringLiteral(PEMMO_RESOURCES "/jp.ambrel.pemmo.metainfo.xml") });
    QVERIFY2(result.exitCode == 0, qPrintable(result.output));
}

void TestPackaging::debianPackage()
{
    requireTool(QStringLiteral("cpack"), "cmake");
    requireTool(QStringLiteral("dpkg-shlibdeps"), "dpkg-dev");
    QTemporaryDir out;
    const Run pack = run(QStringLiteral("cpack"),
                         { QStringLiteral("-G"), QStringLiteral("DEB"), QStringLiteral("-B"), out.path(),
                           QStringLiteral("--config"), QStringLiteral(PEMMO_BUILD_DIR "/CPackConfig.cmake") },
                         300000);
    QVERIFY2(pack.exitCode == 0, qPrintable(pack.output));
    const QStringList debs = QDir(out.path()).entryList({ QStringLiteral("pemmo_*.deb") });
    QCOMPARE(debs.size(), 1);
    const QString deb = out.filePath(debs.first());

    const QString contents = run(QStringLiteral("dpkg-deb"), { QStringLiteral("-c"), deb }).output;
    for (const char* path :
         { "./usr/bin/pemmo", "./usr/bin/pemmo-convert", "./usr/share/applications/jp.ambrel.pemmo.desktop",
           "./usr/share/metainfo/jp.ambrel.pemmo.metainfo.xml", "./usr/share/icons/hicolor/scalable/apps/pemmo.svg",
           "./usr/share/icons/hicolor/48x48/apps/pemmo.png", "./usr/share/pemmo/help/ORVEL/index.html" })
        QVERIFY2(contents.contains(QLatin1String(path)), path);
    const QString depends =
        run(QStringLiteral("dpkg-deb"), { QStringLiteral("-f"), deb, QStringLiteral("Depends") }).output;
    for (const char* package : { "libqt6widgets6", "libqt6printsupport6", "libuchardet0", "fonts-ipafont-gothic" })
        QVERIFY2(depends.contains(QLatin1String(package)), package);

    // apt resolves the package's dependencies as it would for a real install, without installing.
    if (QStandardPaths::findExecutable(QStringLiteral("apt-get")).isEmpty())
        return;
    const Run simulate = run(QStringLiteral("apt-get"),
                             { QStringLiteral("install"), QStringLiteral("--simulate"), QStringLiteral("-q"), deb });
    QVERIFY2(simulate.exitCode == 0, qPrintable(simulate.output));
    QVERIFY(simulate.output.contains(QLatin1String("Inst pemmo")));
}

QTEST_GUILESS_MAIN(TestPackaging)
#include "tst_packaging.moc"
