// SPDX-License-Identifier: MIT
// Where a window opened from the editor goes: over it, and never partly off the screen.
#include "ui/windowplacement.h"

#include <QTest>

class TestWindowPlacement final : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void placedOver_data();
    void placedOver();
};

void TestWindowPlacement::placedOver_data()
{
    QTest::addColumn<QSize>("frame");
    QTest::addColumn<QRect>("anchor");
    QTest::addColumn<QRect>("screen");
    QTest::addColumn<QPoint>("expected");

    const QRect screen(0, 0, 1024, 768);
    QTest::newRow("over the middle") << QSize(400, 300) << QRect(100, 100, 800, 600) << screen << QPoint(300, 250);
    QTest::newRow("anchor near the bottom edge: lifted onto the screen")
        << QSize(400, 300) << QRect(500, 600, 400, 300) << screen << QPoint(500, 468);
    QTest::newRow("anchor near the right edge: moved left")
        << QSize(400, 300) << QRect(900, 100, 300, 300) << screen << QPoint(624, 100);
    QTest::newRow("anchor partly above and left of the screen")
        << QSize(400, 300) << QRect(-300, -200, 400, 300) << screen << QPoint(0, 0);
    QTest::newRow("larger than the screen: its title bar stays on it")
        << QSize(1200, 900) << QRect(100, 100, 800, 600) << screen << QPoint(0, 0);
    QTest::newRow("no anchor: the screen's middle") << QSize(400, 300) << QRect() << screen << QPoint(312, 234);
    QTest::newRow("a second screen to the right")
        << QSize(400, 300) << QRect(2800, 900, 600, 400) << QRect(1920, 0, 1280, 1024) << QPoint(2800, 724);
}

void TestWindowPlacement::placedOver()
{
    QFETCH(QSize, frame);
    QFETCH(QRect, anchor);
    QFETCH(QRect, screen);
    QFETCH(QPoint, expected);
    QCOMPARE(::placedOver(frame, anchor, screen), expected);
}

QTEST_MAIN(TestWindowPlacement)
#include "tst_windowplacement.moc"
