// SPDX-License-Identifier: MIT
// The real executable, started as a user would start it.
#include "settings/hivesettingskey.h"
#include "settings/registryhive.h"
#include "tempsettings.h"

#include <QProcess>
#include <QTest>

class TestPemmoProcess : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init() { m_settings.emplace(); }
    void cleanup() { m_settings.reset(); }

    void firstStartWritesTheDefaultsAndShowsAnEditor();
    void keyWithoutMOptionEndsAtOnceWithZero();

private:
    std::optional<TempSettings> m_settings;
};

void TestPemmoProcess::firstStartWritesTheDefaultsAndShowsAnEditor()
{
    QProcess pemmo;
    pemmo.start(QStringLiteral(PEMMO_BINARY), {});
    QVERIFY(pemmo.waitForStarted());
    // Offscreen there is no tray, so the first start comes up as an editor and keeps running.
    QTRY_VERIFY_WITH_TIMEOUT(
        RegistryHive::parse(m_settings->hiveBytes()).value(HiveSettingsKey::keyPath(), QStringLiteral("MOption")),
        15000);
    QVERIFY(!pemmo.waitForFinished(500));
    const RegistryHive hive = RegistryHive::parse(m_settings->hiveBytes());
    const QStringList names = hive.valueNames(HiveSettingsKey::keyPath());
    QCOMPARE(names.size(), 21);
    int strings = 0;
    for (const QString& name : names)
        strings += hive.value(HiveSettingsKey::keyPath(), name)->type == quint32(RegType::String) ? 1 : 0;
    QCOMPARE(strings, 11); // ten empty list slots and the font name
    pemmo.kill();
    pemmo.waitForFinished();
}

void TestPemmoProcess::keyWithoutMOptionEndsAtOnceWithZero()
{
    const QByteArray hive = "REGEDIT4\n\n[HKEY_CURRENT_USER\\software\\Ambrel\\Pemmo]\n\"MTop\"=dword:00000064\n";
    m_settings->writeHive(hive);
    QProcess pemmo;
    pemmo.start(QStringLiteral(PEMMO_BINARY), {});
    QVERIFY(pemmo.waitForFinished(15000));
    QCOMPARE(pemmo.exitStatus(), QProcess::NormalExit);
    QCOMPARE(pemmo.exitCode(), 0);
    QCOMPARE(m_settings->hiveBytes(), hive);
}

QTEST_GUILESS_MAIN(TestPemmoProcess)
#include "tst_pemmo_process.moc"
