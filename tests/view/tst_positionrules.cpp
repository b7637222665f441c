// SPDX-License-Identifier: MIT
#include "view/positionrules.h"

#include <QTest>

class TestPositionRules final : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void text_data();
    void text();
    void column_data();
    void column();
    void row_data();
    void row();
    void statusRow_data();
    void statusRow();
};

void TestPositionRules::text_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("column");
    QTest::addColumn<QString>("expected");

    QTest::newRow("start") << 0 << 0 << QStringLiteral("R: 1 C: 1");
    QTest::newRow("row 12 column 5") << 11 << 4 << QStringLiteral("R: 12 C: 5");
    QTest::newRow("no grouping") << 12344 << 999 << QStringLiteral("R: 12345 C: 1000");
}

void TestPositionRules::text()
{
    QFETCH(int, row);
    QFETCH(int, column);
    QFETCH(QString, expected);
    QCOMPARE(positionText(row, column), expected);
}

void TestPositionRules::column_data()
{
    QTest::addColumn<double>("x");
    QTest::addColumn<double>("cellWidth");
    QTest::addColumn<int>("expected");

    QTest::newRow("left edge") << 0.0 << 6.5 << 0;
    QTest::newRow("four cells") << 26.0 << 6.5 << 4;
    QTest::newRow("just short of five cells truncates") << 32.4 << 6.5 << 4;
    QTest::newRow("fractional cell width accumulates") << 65.0 << 6.5 << 10;
    QTest::newRow("left of the text area") << -7.0 << 6.5 << 0;
    QTest::newRow("no width") << 10.0 << 0.0 << 0;
}

void TestPositionRules::column()
{
    QFETCH(double, x);
    QFETCH(double, cellWidth);
    QFETCH(int, expected);
    QCOMPARE(columnFromCaretX(x, cellWidth), expected);
}

void TestPositionRules::row_data()
{
    QTest::addColumn<int>("y");
    QTest::addColumn<int>("lineHeight");
    QTest::addColumn<int>("expected");

    QTest::newRow("top line") << 0 << 14 << 0;
    QTest::newRow("second line") << 14 << 14 << 1;
    QTest::newRow("inside the second line") << 27 << 14 << 1;
    QTest::newRow("tenth line") << 126 << 14 << 9;
}

void TestPositionRules::row()
{
    QFETCH(int, y);
    QFETCH(int, lineHeight);
    QFETCH(int, expected);
    QCOMPARE(rowFromCaretY(y, lineHeight), expected);
}

void TestPositionRules::statusRow_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("messageWidth");
    QTest::addColumn<int>("positionWidth");
    QTest::addColumn<int>("positionLeft");
    QTest::addColumn<int>("insertLeft");

    QTest::newRow("500 pixels") << 500 << 200 << 100 << 400 << 300;
    QTest::newRow("743 pixels truncates") << 743 << 297 << 148 << 595 << 495;
    QTest::newRow("narrow row") << 90 << 36 << 18 << 72 << -28;
}

void TestPositionRules::statusRow()
{
    QFETCH(int, width);
    const StatusRowGeometry g = statusRowGeometry(width);
    QTEST(g.messageWidth, "messageWidth");
    QTEST(g.positionWidth, "positionWidth");
    QTEST(g.positionLeft, "positionLeft");
    QTEST(g.insertLeft, "insertLeft");
}

QTEST_APPLESS_MAIN(TestPositionRules)
#include "tst_positionrules.moc"
