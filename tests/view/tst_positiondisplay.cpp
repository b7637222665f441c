// SPDX-License-Identifier: MIT
// The row/column display and the status row in a real editor window.
#include "../window/mainformfixture.h"

#include <QLabel>
#include <QTest>
#include <QTextBlock>

class TestPositionDisplay final : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();

    void firstShowReadsRowOneColumnOne();
    void click_data();
    void click();
    void keyRelease_data();
    void keyRelease();
    void keyPressMovesOnlyTheRuler();
    void resizeLaysOutTheStatusRow_data();
    void resizeLaysOutTheStatusRow();
    void resizeShowsTheStoredPosition();

private:
    QString position() const { return f->control<QLabel>(QStringLiteral("StatusBar2"))->text(); }
    QString ruler() const { return f->control<QLabel>(QStringLiteral("Label1"))->text(); }
    QPoint caretPointAt(int index) const { return f->pointAt(index); }

    std::unique_ptr<MainFormFixture> f;
};

void TestPositionDisplay::init()
{
    f = std::make_unique<MainFormFixture>();
    f->writeValues(MainFormFixture::firstRunValues());
    f->createForm().show();
    QVERIFY(QTest::qWaitForWindowExposed(f->form.get()));
}

void TestPositionDisplay::cleanup()
{
    f->form.reset();
    f.reset();
}

void TestPositionDisplay::firstShowReadsRowOneColumnOne()
{
    QCOMPARE(position(), QStringLiteral("R: 1 C: 1"));
    QCOMPARE(f->control<QLabel>(QStringLiteral("StatusBar3"))->text(), QStringLiteral("挿入"));
}

void TestPositionDisplay::click_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("expected");

    const QString five = QStringLiteral("one\ntwo\nthree\nfour\nfifth line\nsix");
    QTest::newRow("start of the document") << five << 0 << QStringLiteral("R: 1 C: 1");
    QTest::newRow("before the third character of line 5")
        << five << five.indexOf(QStringLiteral("fifth")) + 2 << QStringLiteral("R: 5 C: 3");
    QTest::newRow("after a tab counts characters") << QStringLiteral("\t\tx") << 2 << QStringLiteral("R: 1 C: 3");
    QTest::newRow("after double-width text") << QStringLiteral("日本語です") << 3 << QStringLiteral("R: 1 C: 4");
}

void TestPositionDisplay::click()
{
    QFETCH(QString, text);
    QFETCH(int, index);
    QFETCH(QString, expected);
    f->editor()->setText(text);
    QTest::mouseClick(f->editorView()->viewport(), Qt::LeftButton, {}, caretPointAt(index));
    QCOMPARE(f->editor()->selectionStart(), index);
    QCOMPARE(position(), expected);
    const int column = expected.section(QLatin1Char(' '), 3).toInt() - 1;
    QCOMPARE(ruler().indexOf(QStringLiteral("↓")), qMax(0, column - 1));
}

void TestPositionDisplay::keyRelease_data()
{
    QTest::addColumn<int>("scrolledBy");
    QTest::addColumn<int>("line");
    QTest::addColumn<int>("offset");
    QTest::addColumn<QString>("expected");

    QTest::newRow("second row, four cells in") << 0 << 1 << 4 << QStringLiteral("R: 2 C: 5");
    QTest::newRow("top left") << 0 << 0 << 0 << QStringLiteral("R: 1 C: 1");
    QTest::newRow("tenth row") << 0 << 9 << 7 << QStringLiteral("R: 10 C: 8");
    // Scrolling does not change which line the caret is on.
    QTest::newRow("the document line however far scrolled") << 20 << 22 << 1 << QStringLiteral("R: 23 C: 2");
}

// The caret is placed, then a key that does not move it is released.
void TestPositionDisplay::keyRelease()
{
    QFETCH(int, scrolledBy);
    QFETCH(int, line);
    QFETCH(int, offset);
    QFETCH(QString, expected);
    QStringList lines;
    for (int i = 0; i < 100; ++i)
        lines.append(QStringLiteral("AAAAAAAAAAAAAAAAAAAA"));
    f->editor()->setText(lines.join(QLatin1Char('\n')));
    f->editor()->verticalScrollBar()->setValue(scrolledBy);
    // The caret moves without scrolling.
    f->editorView()->sci(QsciScintillaBase::SCI_SETEMPTYSELECTION,
                         f->editorView()->positionFromIndex(f->editor()->lineIndex(line) + offset));
    QCOMPARE(f->editor()->firstVisibleLine(), scrolledBy);

    QTest::keyRelease(f->editorView(), Qt::Key_Shift);
    QCOMPARE(position(), expected);
    const int column = expected.section(QLatin1Char(' '), 3).toInt() - 1;
    QCOMPARE(ruler().indexOf(QStringLiteral("↓")), qMax(0, column - 1));
}

void TestPositionDisplay::keyPressMovesOnlyTheRuler()
{
    f->editor()->setText(QStringLiteral("AAAAAAAA\nAAAAAAAA"));
    QTest::mouseClick(f->editorView()->viewport(), Qt::LeftButton, {}, caretPointAt(11));
    QCOMPARE(position(), QStringLiteral("R: 2 C: 3"));
    // Pressing Home: the press measures the caret where it was, before the key acts.
    f->editor()->setSelection(6, 0);
    QTest::keyPress(f->editorView(), Qt::Key_Home);
    QCOMPARE(position(), QStringLiteral("R: 2 C: 3"));
    QCOMPARE(ruler().indexOf(QStringLiteral("↓")), 5);
    QTest::keyRelease(f->editorView(), Qt::Key_Home);
    QCOMPARE(position(), QStringLiteral("R: 1 C: 1"));
    QCOMPARE(ruler().indexOf(QStringLiteral("↓")), 0);
}

void TestPositionDisplay::resizeLaysOutTheStatusRow_data()
{
    QTest::addColumn<int>("width");
    QTest::newRow("500 pixels") << 500;
    QTest::newRow("743 pixels") << 743;
    QTest::newRow("1000 pixels") << 1000;
}

void TestPositionDisplay::resizeLaysOutTheStatusRow()
{
    QFETCH(int, width);
    f->form->resize(width, f->form->height());
    QWidget* panel1 = f->control(QStringLiteral("Panel1"));
    QCOMPARE(panel1->width(), width);
    QWidget* message = f->control(QStringLiteral("StatusBar1"));
    QWidget* insert = f->control(QStringLiteral("StatusBar3"));
    QWidget* positionField = f->control(QStringLiteral("StatusBar2"));
    QCOMPARE(message->geometry(), QRect(0, 0, int(0.4 * width), panel1->height()));
    QCOMPARE(positionField->width(), int(0.2 * width));
    QCOMPARE(positionField->geometry().right(), width - 1);
    QCOMPARE(insert->x(), positionField->x() - 100);
    QCOMPARE(insert->width(), 58);
    QCOMPARE(panel1->height(), 19);
    if (width == 500) {
        QCOMPARE(message->width(), 200);
        QCOMPARE(positionField->width(), 100);
    }
}

void TestPositionDisplay::resizeShowsTheStoredPosition()
{
    f->editor()->setText(QStringLiteral("AAAAAAAA\nAAAAAAAA"));
    f->editor()->setSelection(13, 0);
    QTest::keyRelease(f->editorView(), Qt::Key_Control);
    QCOMPARE(position(), QStringLiteral("R: 2 C: 5"));
    f->control<QLabel>(QStringLiteral("StatusBar2"))->setText(QStringLiteral("1 / 3"));
    f->form->resize(600, 400);
    QCOMPARE(position(), QStringLiteral("R: 2 C: 5"));
}

QTEST_MAIN(TestPositionDisplay)
#include "tst_positiondisplay.moc"
