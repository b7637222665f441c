// SPDX-License-Identifier: MIT
// The ruler and the line-number gutter in a real editor window.
#include "../window/mainformfixture.h"
#include "view/rulerrules.h"

#include <QAction>
#include <QLabel>
#include <QTest>
#include <QTextBlock>
#include <QWheelEvent>

class TestRulerGutter final : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();

    void gutterAtTopLine_data();
    void gutterAtTopLine();
    void everyScrollRefreshesTheGutter_data();
    void everyScrollRefreshesTheGutter();
    void gutterLinesUpWithTheText();
    void gutterNumbersLevelOnScreen_data();
    void gutterNumbersLevelOnScreen();
    void gutterTakesTheEditorFont();
    void lineNumberToggle();
    void applyFollowsTheSwitch();
    void rulerToggle();
    void rulerMarkerFromClick_data();
    void rulerMarkerFromClick();
    void rulerLinesUpWithTheText_data();
    void rulerLinesUpWithTheText();
    void rulerHiddenForRtfName();

private:
    QLabel* gutter() const { return f->control<QLabel>(QStringLiteral("Label3")); }
    QString firstGutterNumber() const { return gutter()->text().section(QLatin1Char('\n'), 0, 0).trimmed(); }
    // The line drawn at the top of the text area.
    int topLineShown() const
    {
        const ScintillaView* view = f->editorView();
        return int(view->sci(QsciScintillaBase::SCI_LINEFROMPOSITION,
                             view->sci(QsciScintillaBase::SCI_POSITIONFROMPOINT, 1, 1)));
    }
    // The top of the row that draws the character at @p index, in the window.
    int rowTopInWindow(int index) const
    {
        const ScintillaView* view = f->editorView();
        const long y = view->sci(QsciScintillaBase::SCI_POINTYFROMPOSITION, 0, long(view->positionFromIndex(index)));
        return view->viewport()->mapTo(f->form.get(), QPoint(0, int(y))).y();
    }

    // Ctrl+wheel on the text, @p steps notches (negative: away from the user, smaller).
    void zoom(int steps)
    {
        ScintillaView* view = f->editorView();
        const QPoint at = view->viewport()->rect().center();
        for (int i = 0; i < qAbs(steps); ++i) {
            QWheelEvent wheel(at, view->viewport()->mapToGlobal(at), QPoint(), QPoint(0, steps > 0 ? 120 : -120),
                              Qt::NoButton, Qt::ControlModifier, Qt::NoScrollPhase, false);
            QCoreApplication::sendEvent(view->viewport(), &wheel);
        }
    }

    std::unique_ptr<MainFormFixture> f;
};

namespace {
/** The bottoms of the rows of ink within @p area of @p image, top to bottom: one a line of digits. */
QList<int> inkBottoms(const QImage& image, const QRect& area)
{
    QList<int> bottoms;
    bool inInk = false;
    for (int y = area.top(); y <= area.bottom() + 1; ++y) {
        bool ink = false;
        for (int x = area.left(); y <= area.bottom() && x <= area.right() && !ink; ++x)
            ink = qGray(image.pixel(x, y)) < 128;
        if (inInk && !ink)
            bottoms.append(y - 1);
        inInk = ink;
    }
    return bottoms;
}
} // namespace

void TestRulerGutter::init()
{
    f = std::make_unique<MainFormFixture>();
    f->writeValues(MainFormFixture::with(MainFormFixture::firstRunValues(), Reg::MVG, 1));
    f->createForm().show();
    QVERIFY(QTest::qWaitForWindowExposed(f->form.get()));
    QStringList lines;
    for (int i = 1; i <= 2000; ++i)
        lines.append(QStringLiteral("line %1 行").arg(i));
    f->editor()->setText(lines.join(QLatin1Char('\n')));
}

void TestRulerGutter::cleanup()
{
    f->form.reset();
    f.reset();
}

void TestRulerGutter::gutterAtTopLine_data()
{
    QTest::addColumn<int>("topLine");
    QTest::addColumn<QString>("begins");
    QTest::addColumn<int>("width");

    QTest::newRow("line 1") << 1 << QStringLiteral(" 1\n 2\n 3\n") << 30;
    QTest::newRow("line 6") << 6 << QStringLiteral(" 6\n 7\n 8\n 9\n10\n11\n") << 30;
    QTest::newRow("line 918") << 918 << QStringLiteral("918\n919\n") << 30;
    QTest::newRow("line 919") << 919 << QStringLiteral("919\n920\n") << 40;
}

void TestRulerGutter::gutterAtTopLine()
{
    QFETCH(int, topLine);
    QFETCH(QString, begins);
    QFETCH(int, width);
    f->editor()->verticalScrollBar()->setValue(topLine - 1);
    QCOMPARE(topLineShown(), topLine - 1);
    QVERIFY2(gutter()->text().startsWith(begins), qPrintable(gutter()->text().left(20)));
    QCOMPARE(gutter()->text().count(QLatin1Char('\n')), 81);
    QCOMPARE(f->control(QStringLiteral("Panel4"))->width(), width);
    QCOMPARE(f->control(QStringLiteral("Label1"))->x(), width);
}

void TestRulerGutter::everyScrollRefreshesTheGutter_data()
{
    QTest::addColumn<QString>("how");
    for (const char* how : { "wheel", "arrow", "page", "thumb", "key-page-down", "ctrl-end", "caret" })
        QTest::newRow(how) << QString::fromLatin1(how);
}

void TestRulerGutter::everyScrollRefreshesTheGutter()
{
    QFETCH(QString, how);
    ScintillaView* view = f->editorView();
    QScrollBar* bar = view->verticalScrollBar();
    bar->setValue(100);
    const QString before = gutter()->text();

    if (how == QLatin1String("wheel")) {
        const QPoint at = view->viewport()->rect().center();
        QWheelEvent wheel(at, view->viewport()->mapToGlobal(at), QPoint(), QPoint(0, -120), Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(view->viewport(), &wheel);
    } else if (how == QLatin1String("arrow")) {
        bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    } else if (how == QLatin1String("page")) {
        bar->triggerAction(QAbstractSlider::SliderPageStepAdd);
    } else if (how == QLatin1String("thumb")) {
        bar->setSliderDown(true);
        bar->setSliderPosition(700);
        bar->setSliderDown(false);
    } else if (how == QLatin1String("key-page-down")) {
        f->editor()->setSelection(f->editor()->lineIndex(topLineShown()), 0);
        QTest::keyClick(view, Qt::Key_PageDown);
    } else if (how == QLatin1String("ctrl-end")) {
        QTest::keyClick(view, Qt::Key_End, Qt::ControlModifier);
    } else {
        f->editor()->setSelection(f->editor()->lineIndex(1500), 0);
    }

    QVERIFY(topLineShown() != 100);
    QVERIFY(gutter()->text() != before);
    QCOMPARE(firstGutterNumber(), QString::number(topLineShown() + 1));
}

// Each number sits on the same pixel row as its line, also after scrolling.
void TestRulerGutter::gutterLinesUpWithTheText()
{
    ScintillaView* view = f->editorView();
    for (const int top : { 0, 37 }) {
        view->verticalScrollBar()->setValue(top);
        const QFontMetricsF metrics(gutter()->font());
        for (const int row : { 0, 10, 20 }) {
            const int textY = rowTopInWindow(f->editor()->lineIndex(top + row));
            const int numberY = gutter()->mapTo(f->form.get(), QPoint(0, gutter()->contentsMargins().top())).y() +
                qRound(row * metrics.lineSpacing());
            QVERIFY2(qAbs(textY - numberY) <= 1,
                     qPrintable(QStringLiteral("row %1: text %2, number %3").arg(row).arg(textY).arg(numberY)));
        }
    }
    QCOMPARE(qRound(QFontMetricsF(gutter()->font()).lineSpacing()), f->editor()->lineHeight());
}

void TestRulerGutter::gutterNumbersLevelOnScreen_data()
{
    QTest::addColumn<int>("points"); // 0: the font the window is created with, given in pixels
    QTest::addColumn<int>("zoomSteps");
    for (const int points : { 9, 11, 14, 20, 24 })
        QTest::addRow("%d pt", points) << points << 0;
    QTest::newRow("11 pt, 3 steps larger") << 11 << 3;
    QTest::newRow("11 pt, 3 steps smaller") << 11 << -3;
    QTest::newRow("20 pt, 3 steps larger") << 20 << 3;
    QTest::newRow("as created") << 0 << 0;
    QTest::newRow("as created, 3 steps larger") << 0 << 3;
}

// Measured on the screen: each number's digits end on the same pixel row as its line's digits.
void TestRulerGutter::gutterNumbersLevelOnScreen()
{
    QFETCH(int, points);
    QFETCH(int, zoomSteps);
    QStringList lines;
    for (int i = 1; i <= 300; ++i)
        lines.append(QString::number(i));
    f->editor()->setText(lines.join(QLatin1Char('\n')));
    if (points > 0)
        f->editor()->setEditorFont(QFont(QStringLiteral("ＭＳ ゴシック"), points));
    f->form->resize(700, 900);
    zoom(zoomSteps);
    // The caret's line out of view, so only digits are drawn.
    f->editorView()->verticalScrollBar()->setValue(40);
    QTest::qWait(20);

    const QImage screen = f->form->grab().toImage();
    QWidget* viewport = f->editorView()->viewport();
    const QRect text(viewport->mapTo(f->form.get(), QPoint(0, 0)), QSize(viewport->width() / 3, viewport->height()));
    const QRect numbers(gutter()->mapTo(f->form.get(), QPoint(0, 0)), QSize(gutter()->width(), text.height()));
    const QList<int> textRows = inkBottoms(screen, text);
    const QList<int> numberRows = inkBottoms(screen, numbers);
    QVERIFY2(textRows.size() >= 10, qPrintable(QString::number(textRows.size())));
    // The last row of text may be cut by the window's edge.
    for (int row = 0; row < textRows.size() - 1; ++row) {
        QVERIFY2(row < numberRows.size(), qPrintable(QStringLiteral("no number for row %1").arg(row)));
        QVERIFY2(qAbs(textRows.at(row) - numberRows.at(row)) <= 1,
                 qPrintable(QStringLiteral("row %1: text ends at %2, number at %3 (pitch %4)")
                                .arg(row)
                                .arg(textRows.at(row))
                                .arg(numberRows.at(row))
                                .arg(f->editor()->lineHeight())));
    }
}

void TestRulerGutter::gutterTakesTheEditorFont()
{
    QFont font = f->editor()->editorFont();
    font.setPointSize(16);
    f->editor()->setEditorFont(font);
    f->editor()->verticalScrollBar()->setValue(3);
    QCOMPARE(gutter()->font().pointSize(), 16);
    QCOMPARE(gutter()->font().family(), font.family());
}

void TestRulerGutter::lineNumberToggle()
{
    auto* vg = f->control<QAction>(QStringLiteral("VG"));
    QWidget* panel4 = f->control(QStringLiteral("Panel4"));
    QWidget* label1 = f->control(QStringLiteral("Label1"));
    f->editor()->verticalScrollBar()->setValue(4);

    vg->trigger();
    QVERIFY(!vg->isChecked());
    QVERIFY(panel4->isHidden());
    QVERIFY(gutter()->isHidden());
    QCOMPARE(label1->x(), 0);
    // Scrolling while the numbers are off leaves the gutter alone.
    const QString off = gutter()->text();
    f->editor()->verticalScrollBar()->setValue(50);
    QCOMPARE(gutter()->text(), off);

    vg->trigger();
    QVERIFY(vg->isChecked());
    QVERIFY(panel4->isVisible());
    QCOMPARE(panel4->width(), 30);
    QCOMPARE(label1->x(), 30);
    QCOMPARE(firstGutterNumber(), QStringLiteral("51"));
    QCoreApplication::processEvents();
    QCOMPARE(f->editorView()->mapTo(f->form.get(), QPoint()).x(), 30);
}

void TestRulerGutter::applyFollowsTheSwitch()
{
    f->form->close();
    f->form.reset();
    f->writeValues(MainFormFixture::with(MainFormFixture::firstRunValues(), Reg::MVG, 0));
    f->createForm().show();
    QVERIFY(f->control(QStringLiteral("Panel4"))->isHidden());
    QCOMPARE(f->control(QStringLiteral("Panel4"))->width(), 0);
    QCOMPARE(f->control(QStringLiteral("Label1"))->x(), 0);
    QCOMPARE(f->editorView()->mapTo(f->form.get(), QPoint()).x(), 0);
}

void TestRulerGutter::rulerToggle()
{
    auto* vRuler = f->control<QAction>(QStringLiteral("VRuler"));
    QWidget* ruler = f->control(QStringLiteral("Ruler"));
    QVERIFY(ruler->isVisible());
    vRuler->trigger();
    QVERIFY(!vRuler->isChecked());
    QVERIFY(ruler->isHidden());
    vRuler->trigger();
    QVERIFY(vRuler->isChecked());
    QVERIFY(ruler->isVisible());
}

void TestRulerGutter::rulerMarkerFromClick_data()
{
    QTest::addColumn<int>("column");
    QTest::addColumn<QString>("begins");
    QTest::addColumn<QString>("ends");

    const QString ruler = QStringLiteral("----+----|").repeated(16);
    QTest::newRow("column 0") << 0 << QStringLiteral("↓---+----|----+----|") << QStringLiteral("----|");
    QTest::newRow("column 5") << 5 << QStringLiteral("----↓---|----+----|") << QStringLiteral("----|");
    QTest::newRow("column 159") << 159 << QStringLiteral("----+----|") << QStringLiteral("----+---↓");
    QTest::newRow("column 160") << 160 << QStringLiteral("----+----|") << QStringLiteral("----+----↓");
}

void TestRulerGutter::rulerMarkerFromClick()
{
    QFETCH(int, column);
    QFETCH(QString, begins);
    QFETCH(QString, ends);
    f->editor()->setText(QString(200, QLatin1Char('a')));
    f->form->resize(1000, f->form->height());
    ScintillaView* view = f->editorView();
    f->editor()->setSelection(column, 0);
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, f->pointAt(column));
    const QString text = f->control<QLabel>(QStringLiteral("Label1"))->text();
    QVERIFY2(text.startsWith(begins) && text.endsWith(ends), qPrintable(text));
}

void TestRulerGutter::rulerLinesUpWithTheText_data()
{
    QTest::addColumn<int>("zoomSteps");
    QTest::newRow("as chosen") << 0;
    QTest::newRow("3 steps larger") << 3;
    QTest::newRow("2 steps smaller") << -2;
}

// Each ruler cell is one half-width character of the text below it, however the text is zoomed.
void TestRulerGutter::rulerLinesUpWithTheText()
{
    QFETCH(int, zoomSteps);
    f->editor()->setText(QString(40, QLatin1Char('A')));
    auto* label1 = f->control<QLabel>(QStringLiteral("Label1"));
    ScintillaView* view = f->editorView();
    zoom(zoomSteps);
    // The text keeps a few pixels from the window's border, and the ruler with it.
    QVERIFY(view->sci(QsciScintillaBase::SCI_POINTXFROMPOSITION, 0, 0L) >= 3);
    const QFontMetricsF rulerMetrics(label1->font());
    for (const int column : { 0, 10, 30 }) {
        const long x = view->sci(QsciScintillaBase::SCI_POINTXFROMPOSITION, 0, long(view->positionFromIndex(column)));
        const int textX = view->viewport()->mapTo(f->form.get(), QPoint(int(x), 0)).x();
        const int rulerX = label1->mapTo(f->form.get(), QPoint(label1->contentsMargins().left(), 0)).x() +
            qRound(rulerMetrics.horizontalAdvance(label1->text().left(column)));
        QVERIFY2(qAbs(textX - rulerX) <= 1,
                 qPrintable(QStringLiteral("column %1: text %2, ruler %3").arg(column).arg(textX).arg(rulerX)));
    }
    // The marker goes over the caret in the zoomed cells.
    f->editor()->setSelection(30, 0);
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, f->pointAt(30));
    QCOMPARE(label1->text(), rulerTextWithMarker(30));
}

void TestRulerGutter::rulerHiddenForRtfName()
{
    QWidget* ruler = f->control(QStringLiteral("Ruler"));
    f->form->setDocumentTitle(QStringLiteral("/tmp/report.RTF"));
    // The document editor is shown, so the visibility check shows the ruler again.
    QVERIFY(ruler->isVisible());
    // As while the print preview hides the editor.
    f->editor()->hide();
    f->form->setDocumentTitle(QStringLiteral("/tmp/report.rtf"));
    QVERIFY(ruler->isVisible()); // alternate editor 11 pt, document editor 10 pt: within the range
    QFont big = f->editor()->editorFont();
    big.setPointSize(13);
    f->editor()->setEditorFont(big);
    f->form->setDocumentTitle(QStringLiteral("/tmp/report.txt"));
    QVERIFY(ruler->isHidden());
}

QTEST_MAIN(TestRulerGutter)
#include "tst_rulergutter.moc"
