// SPDX-License-Identifier: MIT
#include "view/rulerrules.h"

#include <QTest>

class TestRulerRules final : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void plainRulerIsSixteenUnits();
    void marker_data();
    void marker();
    void markerKeepsEveryOtherCell_data();
    void markerKeepsEveryOtherCell();
    void gutterNumbers_data();
    void gutterNumbers();
    void gutterWidth_data();
    void gutterWidth();
    void rulerWanted_data();
    void rulerWanted();
};

void TestRulerRules::plainRulerIsSixteenUnits()
{
    const QString ruler = plainRulerText();
    QCOMPARE(ruler.size(), 160);
    QCOMPARE(ruler.count(QStringLiteral("----+----|")), 16);
}

void TestRulerRules::marker_data()
{
    QTest::addColumn<int>("column");
    QTest::addColumn<QString>("begins");
    QTest::addColumn<int>("length");

    QTest::newRow("column 0 covers the first two cells") << 0 << QStringLiteral("↓---+----|----+") << 160;
    QTest::newRow("column 1 straddles the first boundary") << 1 << QStringLiteral("↓--+----|----+") << 159;
    QTest::newRow("column 5 replaces the plus") << 5 << QStringLiteral("----↓---|----+----|") << 159;
    QTest::newRow("column 10 straddles the first bar") << 10 << QStringLiteral("----+----↓---+----|") << 159;
    QTest::newRow("negative column behaves as 0") << -3 << QStringLiteral("↓---+----|") << 160;
}

void TestRulerRules::marker()
{
    QFETCH(int, column);
    QFETCH(QString, begins);
    QFETCH(int, length);
    const QString ruler = rulerTextWithMarker(column);
    QVERIFY2(ruler.startsWith(begins), qPrintable(ruler.left(30)));
    QCOMPARE(ruler.size(), length);
    QCOMPARE(ruler.count(QStringLiteral("↓")), 1);
}

// Past the ruler's end the marker is appended after whatever is left of the ruler.
void TestRulerRules::markerKeepsEveryOtherCell_data()
{
    QTest::addColumn<int>("column");
    QTest::addColumn<QString>("expected");

    const QString ruler = plainRulerText();
    QTest::newRow("column 159 covers the last two cells") << 159 << ruler.left(158) + QStringLiteral("↓");
    QTest::newRow("column 160 replaces the final bar") << 160 << ruler.left(159) + QStringLiteral("↓");
    QTest::newRow("column 161 is after the whole ruler") << 161 << ruler + QStringLiteral("↓");
    QTest::newRow("column 400 is after the whole ruler") << 400 << ruler + QStringLiteral("↓");
}

void TestRulerRules::markerKeepsEveryOtherCell()
{
    QFETCH(int, column);
    QFETCH(QString, expected);
    QCOMPARE(rulerTextWithMarker(column), expected);
}

void TestRulerRules::gutterNumbers_data()
{
    QTest::addColumn<int>("firstVisibleLine");
    QTest::addColumn<QStringList>("firstNumbers");
    QTest::addColumn<QString>("lastNumber");

    QTest::newRow("top line 1") << 0 << QStringList { " 1", " 2", " 3" } << QStringLiteral("81");
    QTest::newRow("top line 6") << 5 << QStringList { " 6", " 7", " 8", " 9", "10", "11" } << QStringLiteral("86");
    QTest::newRow("top line 918") << 917 << QStringList { "918", "919" } << QStringLiteral("998");
    QTest::newRow("top line 919") << 918 << QStringList { "919" } << QStringLiteral("999");
    QTest::newRow("top line 1000") << 999 << QStringList { "1000" } << QStringLiteral("1080");
}

void TestRulerRules::gutterNumbers()
{
    QFETCH(int, firstVisibleLine);
    QFETCH(QStringList, firstNumbers);
    QFETCH(QString, lastNumber);

    const QString text = gutterText(firstVisibleLine);
    QVERIFY(text.endsWith(QLatin1Char('\n')));
    const QStringList lines = text.split(QLatin1Char('\n'));
    QCOMPARE(lines.size(), 82); // 81 numbers, each ending in a line feed
    QCOMPARE(lines.last(), QString());
    QCOMPARE(lines.mid(0, firstNumbers.size()), firstNumbers);
    QCOMPARE(lines.at(80), lastNumber);
}

void TestRulerRules::gutterWidth_data()
{
    QTest::addColumn<int>("firstVisibleLine");
    QTest::addColumn<int>("width");

    QTest::newRow("top line 1") << 0 << 30;
    QTest::newRow("top line 918: last shown 998") << 917 << 30;
    QTest::newRow("top line 919: last shown 999") << 918 << 40;
    QTest::newRow("top line 5000") << 4999 << 40;
}

void TestRulerRules::gutterWidth()
{
    QFETCH(int, firstVisibleLine);
    QFETCH(int, width);
    QCOMPARE(::gutterWidth(firstVisibleLine), width);
}

void TestRulerRules::rulerWanted_data()
{
    QTest::addColumn<bool>("documentEditorShown");
    QTest::addColumn<double>("alternatePoints");
    QTest::addColumn<double>("documentPoints");
    QTest::addColumn<bool>("wanted");

    QTest::newRow("document editor, any sizes") << true << 6.0 << 30.0 << true;
    QTest::newRow("alternate 10, document 12") << false << 10.0 << 12.0 << true;
    QTest::newRow("alternate 9") << false << 9.0 << 10.0 << false;
    QTest::newRow("document 13") << false << 11.0 << 13.0 << false;
}

void TestRulerRules::rulerWanted()
{
    QFETCH(bool, documentEditorShown);
    QFETCH(double, alternatePoints);
    QFETCH(double, documentPoints);
    QFETCH(bool, wanted);
    QCOMPARE(::rulerWanted(documentEditorShown, alternatePoints, documentPoints), wanted);
}

QTEST_APPLESS_MAIN(TestRulerRules)
#include "tst_rulerrules.moc"
