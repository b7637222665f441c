// SPDX-License-Identifier: MIT
#include "editor/textfileloader.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class TestTextFileLoader final : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void decodes_data();
    void decodes();
    void missingFile();
    void folder();

private:
    QTemporaryDir m_dir;
};

void TestTextFileLoader::decodes_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("lossy");

    QTest::newRow("UTF-8") << QByteArray("日本語 abc") << QStringLiteral("日本語 abc") << false;
    QTest::newRow("UTF-8 with BOM") << QByteArray("\xEF\xBB\xBFx") << QStringLiteral("x") << false;
    QTest::newRow("CP932") << QByteArray("\x93\xfa\x96\x7b\x8c\xea") << QStringLiteral("日本語") << false;
    QTest::newRow("CP932 NEC special goes to the IBM form") << QByteArray("\xED\x40") << QStringLiteral("纊") << false;
    QTest::newRow("CP932 wave dash") << QByteArray("\x81\x60") << QStringLiteral("～") << false;
    QTest::newRow("CP932 half-width katakana") << QByteArray("\xB1\xB2") << QStringLiteral("ｱｲ") << false;
    QTest::newRow("control bytes stay") << QByteArray("\x1A\x1C\x7F\x82\xA0") << QStringLiteral("\x1A\x1C\x7Fあ")
                                        << false;
    QTest::newRow("cut-off lead byte is kept as a replacement") << QByteArray("\x82\xA0\x82")
                                                                << QStringLiteral("あ\uFFFD") << true;
    QTest::newRow("undecodable byte in the middle") << QByteArray("\x82\xA0\xA0\x85\x40\x82\xA2")
                                                    << QStringLiteral("あ\uFFFD\uFFFD@い") << true;
    QTest::newRow("CR LF and CR become line feeds") << QByteArray("a\r\nb\rc\n") << QStringLiteral("a\nb\nc\n")
                                                    << false;
    QTest::newRow("empty") << QByteArray() << QString() << false;
}

void TestTextFileLoader::decodes()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);
    QFETCH(bool, lossy);
    const QString path = m_dir.filePath(QStringLiteral("doc.txt"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
    file.close();

    const TextLoadResult result = loadDocumentFile(path);
    QVERIFY(result.ok);
    QCOMPARE(result.text, text);
    QCOMPARE(result.lossy, lossy);
}

void TestTextFileLoader::missingFile()
{
    const QString path = m_dir.filePath(QStringLiteral("absent.txt"));
    const TextLoadResult result = loadDocumentFile(path);
    QVERIFY(!result.ok);
    QVERIFY(result.error.contains(path));
}

void TestTextFileLoader::folder()
{
    const TextLoadResult result = loadDocumentFile(m_dir.path());
    QVERIFY(!result.ok);
    QVERIFY(!result.error.isEmpty());
}

QTEST_APPLESS_MAIN(TestTextFileLoader)
#include "tst_textfileloader.moc"
