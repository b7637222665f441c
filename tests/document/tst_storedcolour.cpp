// SPDX-License-Identifier: MIT
#include "document/storedcolour.h"

#include <QPalette>
#include <QTest>

class TestStoredColour final : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void toColour_data();
    void toColour();
    void fromColour_data();
    void fromColour();
};

namespace {
QPalette testPalette()
{
    QPalette palette;
    palette.setColor(QPalette::WindowText, QColor(1, 2, 3));
    palette.setColor(QPalette::Base, QColor(250, 251, 252));
    palette.setColor(QPalette::Highlight, QColor(10, 20, 30));
    return palette;
}
} // namespace

void TestStoredColour::toColour_data()
{
    QTest::addColumn<qint32>("stored");
    QTest::addColumn<QColor>("expected");

    QTest::newRow("red is the low byte") << qint32(0x000000FF) << QColor(255, 0, 0);
    QTest::newRow("blue is the third byte") << qint32(0x00FF0000) << QColor(0, 0, 255);
    QTest::newRow("white") << qint32(0x00FFFFFF) << QColor(255, 255, 255);
    QTest::newRow("mixed") << qint32(0x00336699) << QColor(0x99, 0x66, 0x33);
    QTest::newRow("system window text") << qint32(0x80000008u) << QColor(1, 2, 3);
    QTest::newRow("system window") << qint32(0x80000005u) << QColor(250, 251, 252);
    QTest::newRow("system highlight") << qint32(0x8000000Du) << QColor(10, 20, 30);
    QTest::newRow("unknown system index reads as text") << qint32(0x80000063u) << QColor(1, 2, 3);
}

void TestStoredColour::toColour()
{
    QFETCH(qint32, stored);
    QFETCH(QColor, expected);
    QCOMPARE(StoredColour(stored).toColour(testPalette()), expected);
}

void TestStoredColour::fromColour_data()
{
    QTest::addColumn<QColor>("colour");
    QTest::addColumn<qint32>("stored");

    QTest::newRow("red") << QColor(255, 0, 0) << qint32(0x000000FF);
    QTest::newRow("mixed") << QColor(0x12, 0x34, 0x56) << qint32(0x00563412);
    QTest::newRow("alpha is not stored") << QColor(0x12, 0x34, 0x56, 0x80) << qint32(0x00563412);
    QTest::newRow("from HSV") << QColor::fromHsv(0, 255, 255) << qint32(0x000000FF);
}

void TestStoredColour::fromColour()
{
    QFETCH(QColor, colour);
    QFETCH(qint32, stored);
    const StoredColour converted = StoredColour::fromColour(colour);
    QCOMPARE(converted.value(), stored);
    QVERIFY(!converted.isSystem());
    QCOMPARE(converted.toColour(QPalette()), QColor(colour.red(), colour.green(), colour.blue()));
}

QTEST_MAIN(TestStoredColour)
#include "tst_storedcolour.moc"
