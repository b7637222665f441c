// SPDX-License-Identifier: MIT
// The rich view on the real editor window: list labels drawn as the RTF numbers them, while the user edits.
#include "document/documenteditor.h"
#include "document/listlabelplaces.h"
#include "document/richtextview.h"
#include "formats/documentio.h"
#include "formats/richtextstructure.h"
#include "formats/rtfreader.h"
#include "mainformfixture.h"

#include <QAbstractTextDocumentLayout>
#include <QAction>
#include <QFile>
#include <QPainter>
#include <QScrollBar>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextLayout>

using namespace pemmo::formats;

class TestRichView final : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();

    void listLabelsShowAsTheFileNumbersThem();
    void listsQtNumbersRightKeepQtsMarker();

private:
    RichTextView* openInWindow(const QString& path)
    {
        f->writeValues(MainFormFixture::firstRunValues());
        TMainForm& form = f->createForm();
        form.resize(640, 300);
        form.show();
        f->form->loadDroppedFile(path);
        auto* view = f->editor()->findChild<RichTextView*>();
        if (view)
            QTest::qWait(50);
        return view;
    }

    std::unique_ptr<MainFormFixture> f;
};

namespace {

QByteArray bytesOf(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The text of the paragraphs' labels the view draws, in document order.
QStringList drawnLabels(const RichTextView& view)
{
    QStringList labels;
    const QRectF whole(QPointF(-10000, -10000), QSizeF(20000, 1e9));
    for (const ListLabelPlace& place : listLabelPlaces(*view.document(), whole))
        labels << place.text;
    return labels;
}

// Where the paragraph's first line starts in the viewport, and its height.
QRect firstLineBand(const RichTextView& view, const QTextBlock& block)
{
    const QPointF scrolled(view.horizontalScrollBar()->value(), view.verticalScrollBar()->value());
    const QPointF top = view.document()->documentLayout()->blockBoundingRect(block).topLeft() - scrolled;
    const QTextLine line = block.layout()->lineAt(0);
    return QRect(0, qRound(top.y() + line.y()), qRound(top.x() + line.naturalTextRect().left()), qRound(line.height()));
}

bool hasInk(const QImage& image, const QRect& area, QRgb background)
{
    for (int y = qMax(0, area.top()); y <= qMin(image.height() - 1, area.bottom()); ++y) {
        for (int x = qMax(0, area.left()); x <= qMin(image.width() - 1, area.right()); ++x) {
            if (image.pixel(x, y) != background)
                return true;
        }
    }
    return false;
}

// Each label the view says it draws is what the viewport shows left of its paragraph: the label's own pixels
// in its place, right-aligned a space before the text, and nothing else there (no number of Qt's own).
void verifyShownLabels(RichTextView& view)
{
    view.viewport()->repaint();
    const QImage shown = view.viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    const QRgb background = view.palette().color(QPalette::Base).rgb();
    const QPointF scrolled(view.horizontalScrollBar()->value(), view.verticalScrollBar()->value());
    const QList<ListLabelPlace> places = listLabelPlaces(*view.document(),
                                                         QRectF(view.viewport()->rect()).translated(scrolled));
    QVERIFY(!places.isEmpty());
    for (const ListLabelPlace& place : places) {
        const QTextBlock block = view.document()->findBlock(place.blockPosition);
        const QRect band = firstLineBand(view, block);
        if (band.top() < 0 || band.bottom() >= shown.height())
            continue;
        const QRectF rect = place.rect.translated(-scrolled);
        const QFontMetricsF metrics(place.font);
        QCOMPARE(qRound(rect.right() + QFontMetrics(place.font).horizontalAdvance(u' ')), band.right() + 1);
        QCOMPARE(qRound(rect.top()), band.top());

        QImage alone(shown.size(), QImage::Format_RGB32);
        alone.fill(background);
        {
            QPainter painter(&alone);
            painter.setRenderHint(QPainter::Antialiasing);
            painter.setPen(view.palette().color(QPalette::Text));
            QTextLayout label(place.text, place.font);
            label.setTextOption(QTextOption(Qt::AlignLeft | Qt::AlignAbsolute));
            label.beginLayout();
            label.createLine().setLeadingIncluded(true);
            label.endLayout();
            label.draw(&painter, rect.topLeft());
        }
        QVERIFY2(hasInk(alone, band, background), qPrintable(place.text));
        for (int y = band.top(); y <= band.bottom(); ++y) {
            for (int x = 0; x < band.right(); ++x) {
                if (shown.pixel(x, y) != alone.pixel(x, y))
                    QFAIL(qPrintable(QStringLiteral("「%1」 differs at %2,%3").arg(place.text).arg(x).arg(y)));
            }
        }
    }
}

QTextBlock blockWithText(const QTextDocument& document, const QString& text)
{
    for (QTextBlock block = document.firstBlock(); block.isValid(); block = block.next()) {
        if (block.text() == text)
            return block;
    }
    return {};
}

} // namespace

void TestRichView::init()
{
    f = std::make_unique<MainFormFixture>();
}

void TestRichView::cleanup()
{
    f->form.reset();
    f.reset();
}

void TestRichView::listLabelsShowAsTheFileNumbersThem()
{
    const QString source = QStringLiteral(PEMMO_KEEP_TESTDATA "/lists.rtf");
    const QByteArray bytes = bytesOf(source);
    QVERIFY2(!bytes.isEmpty(), "tests/data/rtf-keep/lists.rtf missing");
    const QString path = f->writeFile(QStringLiteral("lists.rtf"), bytes);
    RichTextView* view = openInWindow(path);
    QVERIFY(view);
    // As LibreOffice shows the file (tests/data/rtf-keep/oracle/lists.txt), the old \pn paragraphs in their own words.
    const QStringList asKept = { QStringLiteral("3."),   QStringLiteral("4."),  QStringLiteral("4.1."),
                                 QStringLiteral("4.2."), QStringLiteral("5."),  QStringLiteral("5.1."),
                                 QStringLiteral("(a)"),  QStringLiteral("(b)"), QStringLiteral("イ)"),
                                 QStringLiteral("ロ)"),  QStringLiteral("ア."), QStringLiteral("イ."),
                                 QStringLiteral("①"),    QStringLiteral("②"),   QStringLiteral("一、"),
                                 QStringLiteral("二、"), QStringLiteral("I."),  QStringLiteral("II."),
                                 QStringLiteral("II."),  QStringLiteral("III.") };
    QCOMPARE(drawnLabels(*view), asKept);
    verifyShownLabels(*view);
    if (QTest::currentTestFailed())
        return;
    view->verticalScrollBar()->setValue(view->verticalScrollBar()->maximum());
    QVERIFY2(view->verticalScrollBar()->value() > 0, qPrintable(QStringLiteral("view %1 high").arg(view->height())));
    verifyShownLabels(*view);
    if (QTest::currentTestFailed())
        return;

    // A paragraph added at the end of 「letter a」 joins the list and the ones after it count on.
    view->verticalScrollBar()->setValue(0);
    QTextCursor caret(blockWithText(*view->document(), QStringLiteral("letter a")));
    caret.movePosition(QTextCursor::EndOfBlock);
    view->setTextCursor(caret);
    QTest::keyClick(view, Qt::Key_Return);
    QTest::keyClicks(view, QStringLiteral("added"));
    QStringList edited = asKept;
    edited.insert(7, QStringLiteral("(b)"));
    edited[8] = QStringLiteral("(c)");
    QCOMPARE(drawnLabels(*view), edited);
    verifyShownLabels(*view);
    if (QTest::currentTestFailed())
        return;

    // The save writes the list as the view numbers it.
    f->form->findChild<QAction*>(QStringLiteral("FileSaveItem"))->trigger();
    const std::optional<RtfReadResult> saved = readRtf(bytesOf(path));
    QVERIFY(saved);
    QCOMPARE(listLabel(blockWithText(*saved->document, QStringLiteral("added"))), QStringLiteral("(b)"));
    QCOMPARE(listLabel(blockWithText(*saved->document, QStringLiteral("letter b"))), QStringLiteral("(c)"));
}

void TestRichView::listsQtNumbersRightKeepQtsMarker()
{
    // Decimals from 1 and bullets: Qt's own markers are right, and the view draws nothing over them.
    const QByteArray rtf = "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}{\\*\\listtable"
                           "{\\list\\listtemplateid1{\\listlevel\\levelnfc0\\levelstartat1{\\leveltext\\'02\\'00.;}"
                           "{\\levelnumbers\\'01;}\\fi-360\\li720}\\listid1}"
                           "{\\list\\listtemplateid2{\\listlevel\\levelnfc23\\levelstartat1{\\leveltext\\'01\\u8226 ?;}"
                           "{\\levelnumbers;}\\fi-360\\li720}\\listid2}}"
                           "{\\*\\listoverridetable{\\listoverride\\listid1\\ls1}{\\listoverride\\listid2\\ls2}}"
                           "\\pard\\ls1\\fi-360\\li720\\f0 one\\par\\pard\\ls1\\fi-360\\li720 two\\par"
                           "\\pard\\ls2\\fi-360\\li720 dot\\par\\pard plain\\par}";
    RichTextView* view = openInWindow(f->writeFile(QStringLiteral("plain-lists.rtf"), rtf));
    QVERIFY(view);
    QCOMPARE(drawnLabels(*view), QStringList());
    view->viewport()->repaint();
    const QImage shown = view->viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    const QRgb background = view->palette().color(QPalette::Base).rgb();
    for (const QString& text : { QStringLiteral("one"), QStringLiteral("two"), QStringLiteral("dot") }) {
        const QTextBlock block = blockWithText(*view->document(), text);
        QVERIFY(block.textList());
        QVERIFY2(hasInk(shown, firstLineBand(*view, block), background), qPrintable(text));
    }
}

QTEST_MAIN(TestRichView)
#include "tst_richview.moc"
