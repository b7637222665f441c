// SPDX-License-Identifier: MIT
#include "settings/registryhive.h"

#include <QElapsedTimer>
#include <QTest>

namespace {
const QString kKey = QStringLiteral("HKEY_CURRENT_USER\\software\\Ambrel\\Pemmo");

QByteArray hiveWith(const QByteArray& valueLines)
{
    return "REGEDIT4\n\n[HKEY_CURRENT_USER\\software\\Ambrel\\Pemmo]\n" + valueLines;
}
} // namespace

class TestRegistryHive : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void stringsRoundTrip_data();
    void stringsRoundTrip();
    void dwordsAreWrittenAsTheirBitPattern_data();
    void dwordsAreWrittenAsTheirBitPattern();
    void otherTypesAreKeptVerbatim();
    void namesAndKeysIgnoreCase();
    void laterDuplicateWins();
    void damagedLinesAreKeptAndIgnored_data();
    void damagedLinesAreKeptAndIgnored();
    void binaryJunkSurvivesByteForByte();
    void deleteKeyTreeTakesSubkeysOnly();
    void emptiness();
    void largeHivesParseInLinearTime();
};

void TestRegistryHive::stringsRoundTrip_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("line");
    QTest::newRow("empty") << QString() << QByteArray(R"("V"="")");
    QTest::newRow("japanese") << QStringLiteral("ＭＳ ゴシック") << QByteArray(R"("V"="ＭＳ ゴシック")");
    QTest::newRow("backslash") << QStringLiteral("C:\\doc\\") << QByteArray(R"("V"="C:\\doc\\")");
    QTest::newRow("quote") << QStringLiteral("say \"hi\"") << QByteArray(R"("V"="say \"hi\"")");
    QTest::newRow("path with spaces") << QStringLiteral("/home/a b/c.txt") << QByteArray(R"("V"="/home/a b/c.txt")");
    // A line break cannot stand inside a quoted string; it is stored as REG_SZ bytes instead.
    QTest::newRow("newline") << QStringLiteral("a\nb") << QByteArray("\"V\"=hex(1):61,0a,62");
}

void TestRegistryHive::stringsRoundTrip()
{
    QFETCH(QString, text);
    QFETCH(QByteArray, line);
    RegistryHive hive;
    hive.setValue(kKey, QStringLiteral("V"), regString(text));
    const QByteArray bytes = hive.serialize();
    QVERIFY2(bytes.contains(QByteArray("\n" + line + "\n")), bytes.constData());

    const auto back = RegistryHive::parse(bytes).value(kKey, QStringLiteral("V"));
    QVERIFY(back);
    QCOMPARE(back->type, quint32(RegType::String));
    QCOMPARE(QString::fromUtf8(back->data), text);
    QCOMPARE(back->data.size(), text.toUtf8().size()); // no terminating NUL is stored
}

void TestRegistryHive::dwordsAreWrittenAsTheirBitPattern_data()
{
    QTest::addColumn<qint32>("number");
    QTest::addColumn<QByteArray>("text");
    QTest::newRow("zero") << 0 << QByteArray("dword:00000000");
    QTest::newRow("hundred") << 100 << QByteArray("dword:00000064");
    QTest::newRow("minus one") << -1 << QByteArray("dword:ffffffff");
    QTest::newRow("system colour") << qint32(0x80000008u) << QByteArray("dword:80000008");
}

void TestRegistryHive::dwordsAreWrittenAsTheirBitPattern()
{
    QFETCH(qint32, number);
    QFETCH(QByteArray, text);
    RegistryHive hive;
    hive.setValue(kKey, QStringLiteral("N"), regDword(number));
    const QByteArray bytes = hive.serialize();
    QVERIFY2(bytes.contains(QByteArray("\"N\"=" + text + "\n")), bytes.constData());
    const auto back = RegistryHive::parse(bytes).value(kKey, QStringLiteral("N"));
    QVERIFY(back);
    QCOMPARE(back->type, quint32(RegType::Dword));
    QCOMPARE(back->data, regDword(number).data);
}

void TestRegistryHive::otherTypesAreKeptVerbatim()
{
    const QByteArray lines = "\"Bin\"=hex:01,02,ff\n"
                             "\"Multi\"=hex(7):61,00,00,\\\n"
                             "  62,00,00\n"
                             "\"Expand\"=hex(2):25,50,41,54,48,25,00\n";
    RegistryHive hive = RegistryHive::parse(hiveWith(lines));
    hive.setValue(kKey, QStringLiteral("New"), regDword(1));
    const QByteArray out = hive.serialize();
    QVERIFY2(out.contains(lines), out.constData());

    const auto multi = hive.value(kKey, QStringLiteral("Multi"));
    QVERIFY(multi);
    QCOMPARE(multi->type, 7u);
    QCOMPARE(multi->data, QByteArray("a\0\0b\0\0", 6));
    QCOMPARE(hive.value(kKey, QStringLiteral("Bin"))->type, quint32(RegType::Binary));
    QCOMPARE(hive.value(kKey, QStringLiteral("Expand"))->type, quint32(RegType::ExpandString));
}

void TestRegistryHive::namesAndKeysIgnoreCase()
{
    RegistryHive hive = RegistryHive::parse(
        "REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\AMBREL\\pemmo]\n\"mtop\"=dword:00000005\n");
    QVERIFY(hive.hasKey(kKey));
    QCOMPARE(hive.value(kKey, QStringLiteral("MTop"))->data, regDword(5).data);
    hive.setValue(kKey, QStringLiteral("MTOP"), regDword(6));
    QCOMPARE(hive.valueNames(kKey), QStringList { QStringLiteral("mtop") }); // rewritten in place, not added
    QCOMPARE(hive.value(kKey, QStringLiteral("mTop"))->data, regDword(6).data);
}

void TestRegistryHive::laterDuplicateWins()
{
    const RegistryHive hive = RegistryHive::parse(hiveWith("\"A\"=dword:00000001\n\"a\"=\"text\"\n"));
    QCOMPARE(hive.value(kKey, QStringLiteral("A"))->type, quint32(RegType::String));
    QCOMPARE(hive.valueNames(kKey).size(), 1);
}

void TestRegistryHive::damagedLinesAreKeptAndIgnored_data()
{
    QTest::addColumn<QByteArray>("damage");
    QTest::newRow("garbage") << QByteArray("this is not a registry line");
    QTest::newRow("unterminated string") << QByteArray("\"MFontName\"=\"ＭＳ ゴ");
    QTest::newRow("bad escape") << QByteArray(R"("X"="a\qb")");
    QTest::newRow("dword too long") << QByteArray("\"X\"=dword:123456789");
    QTest::newRow("dword not hex") << QByteArray("\"X\"=dword:zz");
    QTest::newRow("bad hex") << QByteArray("\"X\"=hex:1g,02");
    QTest::newRow("trailing text") << QByteArray("\"X\"=\"a\" junk");
    QTest::newRow("deletion marker") << QByteArray("\"X\"=-");
    QTest::newRow("hex continuation missing") << QByteArray("\"X\"=hex:01,\\");
}

void TestRegistryHive::damagedLinesAreKeptAndIgnored()
{
    QFETCH(QByteArray, damage);
    const QByteArray text = hiveWith("\"MTop\"=dword:00000064\n" + damage + "\n\"MLeft\"=dword:000000c8\n");
    RegistryHive hive = RegistryHive::parse(text);
    QCOMPARE(hive.value(kKey, QStringLiteral("MTop"))->data, regDword(100).data);
    QCOMPARE(hive.value(kKey, QStringLiteral("MLeft"))->data, regDword(200).data);
    QVERIFY(!hive.value(kKey, QStringLiteral("X")));

    hive.setValue(kKey, QStringLiteral("MTop"), regDword(120));
    const QByteArray out = hive.serialize();
    QVERIFY2(out.contains(QByteArray("\n" + damage + "\n")), out.constData());
    QVERIFY(out.contains("\"MTop\"=dword:00000078\n"));
    QVERIFY(out.size() >= text.size()); // never shortened by a write
}

void TestRegistryHive::binaryJunkSurvivesByteForByte()
{
    QByteArray junk;
    for (int i = 0; i < 256; ++i)
        junk.append(char(i == '\n' ? 0 : i));
    const QByteArray text = "\xff\xfe junk before the header\n" + hiveWith("\"MTop\"=dword:00000001\n" + junk + "\n");
    RegistryHive hive = RegistryHive::parse(text);
    hive.setValue(kKey, QStringLiteral("MLeft"), regDword(2));
    const QByteArray out = hive.serialize();
    QVERIFY(out.contains(junk));
    QVERIFY(out.contains("\xff\xfe junk before the header\n"));
    QCOMPARE(RegistryHive::parse(out).value(kKey, QStringLiteral("MTop"))->data, regDword(1).data);
}

void TestRegistryHive::deleteKeyTreeTakesSubkeysOnly()
{
    RegistryHive hive = RegistryHive::parse("REGEDIT4\n\n"
                                            "[HKEY_CURRENT_USER\\software\\Ambrel\\Pemmo]\n\"A\"=\"1\"\n\n"
                                            "[HKEY_CURRENT_USER\\software\\Ambrel\\Pemmo\\Sub]\n\"B\"=\"2\"\n\n"
                                            "[HKEY_CURRENT_USER\\software\\Ambrel\\PemmoOther]\n\"C\"=\"3\"\n");
    hive.deleteKeyTree(kKey);
    QVERIFY(!hive.hasKey(kKey));
    QVERIFY(!hive.hasKey(kKey + QStringLiteral("\\Sub")));
    QVERIFY(hive.hasKey(QStringLiteral("HKEY_CURRENT_USER\\software\\Ambrel\\PemmoOther")));
    QVERIFY(!hive.isEmpty());
}

void TestRegistryHive::emptiness()
{
    QVERIFY(RegistryHive::parse("REGEDIT4\n\n\n").isEmpty());
    QVERIFY(RegistryHive::parse("Windows Registry Editor Version 5.00\r\n").isEmpty());
    QVERIFY(!RegistryHive::parse("REGEDIT4\nstray text\n").isEmpty()); // kept, so the file is kept
    RegistryHive hive;
    hive.createKey(kKey);
    QVERIFY(!hive.isEmpty());
    QVERIFY(hive.serialize().startsWith("REGEDIT4\n"));
}

void TestRegistryHive::largeHivesParseInLinearTime()
{
    // Every other process waits on the lock while a hive is parsed. A quadratic step took 20 s
    // here; linear parsing takes a small fraction of a second (bench/settings_bench has the number).
    constexpr int kValues = 40000;
    QByteArray text = "REGEDIT4\n\n[HKEY_CURRENT_USER\\software\\Ambrel\\Pemmo]\n";
    for (int i = 0; i < kValues; ++i)
        text += "\"V" + QByteArray::number(i) + "\"=dword:" + QByteArray::number(i, 16).rightJustified(8, '0') + '\n';
    text += "\"v17\"=\"last\"\n"; // a duplicate name replaces the earlier value, in place of it
    QElapsedTimer timer;
    timer.start();
    const RegistryHive hive = RegistryHive::parse(text);
    const qint64 elapsed = timer.elapsed();
    const QString key = QStringLiteral("HKEY_CURRENT_USER\\software\\Ambrel\\Pemmo");
    QCOMPARE(hive.valueNames(key).size(), kValues);
    QCOMPARE(hive.valueNames(key).last(), QStringLiteral("v17"));
    QCOMPARE(hive.value(key, QStringLiteral("V39999"))->data, regDword(39999).data);
    QVERIFY2(elapsed < 2000, qPrintable(QStringLiteral("parsing took %1 ms").arg(elapsed)));
}

QTEST_GUILESS_MAIN(TestRegistryHive)
#include "tst_registryhive.moc"
