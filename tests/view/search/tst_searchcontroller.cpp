// SPDX-License-Identifier: MIT
#include "document/documenteditor.h"
#include "fakedialogs.h"
#include "regexcases.h"

#include "view/search/editorsearchtarget.h"
#include "view/search/replacedialog.h"
#include "view/search/searchcontroller.h"
#include "view/search/searchtexts.h"
#include <QAction>
#include <QMenu>

#include <QAction>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>

namespace {

/** The editor window as the search sees it: the real document editor, showing plain text. */
class ViewHost final : public SearchHost
{
public:
    std::unique_ptr<SearchTarget> searchTarget() override { return std::make_unique<EditorSearchTarget>(view); }
    void setSelection(int start, int length) override { view.setSelection(start, length); }
    void focusEditor() override { view.focusText(); }

    DocumentEditor view;
};

} // namespace

class TestSearchController : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        m_dialogs = FakeDialogs();
        m_window = std::make_unique<QWidget>();
        m_host = std::make_unique<ViewHost>();
        m_controller = std::make_unique<SearchController>(m_window.get(), *m_host, m_dialogs);
    }
    void cleanup()
    {
        m_controller.reset();
        m_host.reset();
        m_window.reset();
    }

    void dialogIsModelessAndKeepsItsTexts();
    void findNextThroughTheButtons();
    void historyGivesBackTheBoxes();
    void replaceAllReportsTheCountAndUndoesAtOnce();
    void replaceAllStaysFastOnALargeDocument();
    void patternReplaceAllInThePlainView_data();
    void patternReplaceAllInThePlainView();
    void invalidPatternIsReportedNotSearched_data();
    void invalidPatternIsReportedNotSearched();

private:
    void type(const QString& find, const QString& replace)
    {
        ReplaceDialog* dialog = m_controller->ReplaceDialog1();
        dialog->findEdit()->setText(find);
        dialog->replaceEdit()->setText(replace);
    }
    void press(const QString& button)
    {
        QTest::mouseClick(m_controller->ReplaceDialog1()->findChild<QPushButton*>(button), Qt::LeftButton);
    }
    QString selected() const { return m_host->view.selectedText(); }

    FakeDialogs m_dialogs;
    std::unique_ptr<QWidget> m_window;
    std::unique_ptr<ViewHost> m_host;
    std::unique_ptr<SearchController> m_controller;
};

void TestSearchController::dialogIsModelessAndKeepsItsTexts()
{
    m_controller->E_SeClick();
    ReplaceDialog* dialog = m_controller->ReplaceDialog1();
    QVERIFY(dialog->isVisible());
    QVERIFY(!dialog->isModal());
    QCOMPARE(dialog->windowTitle(), QStringLiteral("検索／置き換え"));
    type(QStringLiteral("abc"), QStringLiteral("x"));
    dialog->wholeWordBox()->setChecked(true);
    press(QStringLiteral("Cancel"));
    QVERIFY(!dialog->isVisible());
    m_controller->E_SeClick();
    QCOMPARE(dialog->findEdit()->text(), QStringLiteral("abc"));
    QVERIFY(dialog->wholeWordBox()->isChecked());
}

void TestSearchController::historyGivesBackTheBoxes()
{
    m_host->view.setText(QStringLiteral("abc a.c"));
    m_controller->E_SeClick();
    ReplaceDialog* dialog = m_controller->ReplaceDialog1();
    type(QStringLiteral("a.c"), QString());
    dialog->regexBox()->setChecked(true);
    dialog->matchCaseBox()->setChecked(true);
    press(QStringLiteral("FindNext"));
    QCOMPARE(selected(), QStringLiteral("abc"));
    type(QStringLiteral("a.c"), QString()); // the same text taken literally replaces the entry
    dialog->regexBox()->setChecked(false);
    press(QStringLiteral("FindNext"));
    type(QStringLiteral("(x"), QString()); // refused patterns are remembered too, to be mended
    dialog->regexBox()->setChecked(true);
    press(QStringLiteral("FindNext"));
    QCOMPARE(dialog->history(), (QStringList { QStringLiteral("(x"), QStringLiteral("a.c") }));

    // As a user does: the arrow at the end of the find text, then an entry of its menu.
    auto* arrow = dialog->findEdit()->findChild<QAction*>(QStringLiteral("FindHistory"));
    QVERIFY(arrow);
    arrow->trigger();
    auto* menu = dialog->findChild<QMenu*>(QStringLiteral("FindHistoryMenu"));
    QVERIFY(menu && menu->isVisible());
    const QList<QAction*> entries = menu->actions();
    QCOMPARE(entries.size(), 2);
    QCOMPARE(entries[0]->text(), QStringLiteral("(x  [正規表現]"));
    QCOMPARE(entries[1]->text(), QStringLiteral("a.c"));
    entries[1]->trigger();
    menu->hide();
    QCOMPARE(dialog->findEdit()->text(), QStringLiteral("a.c"));
    QVERIFY(!dialog->regexBox()->isChecked());
    QVERIFY(dialog->matchCaseBox()->isChecked());
    dialog->recallSearch(0);
    QCOMPARE(dialog->findEdit()->text(), QStringLiteral("(x"));
    QVERIFY(dialog->regexBox()->isChecked());
}

void TestSearchController::findNextThroughTheButtons()
{
    m_host->view.setText(QStringLiteral("abc abc"));
    m_controller->E_SeClick();
    type(QStringLiteral("abc"), QString());
    press(QStringLiteral("FindNext"));
    QCOMPARE(m_host->view.selectionStart(), 0);
    press(QStringLiteral("FindNext"));
    QCOMPARE(m_host->view.selectionStart(), 4);
    QVERIFY(m_dialogs.messages.isEmpty());
    press(QStringLiteral("FindNext"));
    QCOMPARE(m_dialogs.messages, QStringList { kSearchFinished });
    QCOMPARE(m_host->view.selectionStart(), 4);
    QCOMPARE(selected(), QStringLiteral("abc"));
    press(QStringLiteral("FindNext"));
    QCOMPARE(m_host->view.selectionStart(), 0);

    // Replace: the selected occurrence is replaced, the next one selected, then the end is reported.
    type(QStringLiteral("abc"), QStringLiteral("xy"));
    press(QStringLiteral("Replace"));
    QCOMPARE(m_host->view.text(), QStringLiteral("xy abc"));
    QCOMPARE(m_host->view.selectionStart(), 3);
    press(QStringLiteral("Replace"));
    QCOMPARE(m_host->view.text(), QStringLiteral("xy xy"));
    QCOMPARE(m_dialogs.messages.size(), 2);
}

void TestSearchController::replaceAllReportsTheCountAndUndoesAtOnce()
{
    m_host->view.setText(QStringLiteral("aaa"));
    m_host->view.setModified(false);
    m_controller->E_SeClick();
    type(QStringLiteral("a"), QStringLiteral("ab"));
    press(QStringLiteral("ReplaceAll"));
    QCOMPARE(m_host->view.text(), QStringLiteral("ababab"));
    QCOMPARE(m_dialogs.messages, QStringList { QStringLiteral("3個置き換えました") });
    QVERIFY(m_host->view.isModified());
    m_host->view.undo();
    QCOMPARE(m_host->view.text(), QStringLiteral("aaa"));
    QVERIFY(!m_host->view.isUndoAvailable());

    type(QStringLiteral("zzz"), QStringLiteral("y"));
    press(QStringLiteral("ReplaceAll"));
    QCOMPARE(m_dialogs.messages.last(), QStringLiteral("0個置き換えました"));
    QCOMPARE(m_host->view.selectionStart(), 0);
    QCOMPARE(m_host->view.selectionLength(), 0);
}

void TestSearchController::replaceAllStaysFastOnALargeDocument()
{
    // About 2 MB with 100 000 occurrences in the real editor; a loop through the widget would take minutes.
    QString text;
    for (int line = 0; line < 20000; ++line)
        text += QStringLiteral("猫が一匹 cat, 猫が二匹 dog; 猫 猫 and 猫 again and again\n");
    m_host->view.setText(text);
    m_controller->E_SeClick();
    type(QStringLiteral("猫"), QStringLiteral("ねこ"));
    QElapsedTimer timer;
    timer.start();
    press(QStringLiteral("ReplaceAll"));
    const qint64 elapsed = timer.elapsed();
    QCOMPARE(m_dialogs.messages, QStringList { QStringLiteral("100000個置き換えました") });
    // Generous bound: this only catches a return to per-occurrence work through the widget.
    QVERIFY2(elapsed < 20000, qPrintable(QStringLiteral("Replace All took %1 ms").arg(elapsed)));
    m_host->view.undo();
    QCOMPARE(m_host->view.text(), text);
    QVERIFY(!m_host->view.isUndoAvailable());
}

void TestSearchController::patternReplaceAllInThePlainView_data()
{
    addRegexReplaceColumns();
}

void TestSearchController::patternReplaceAllInThePlainView()
{
    // The plain view's own pass: matches found in UTF-16, replaced as UTF-8 byte ranges.
    QFETCH(QString, text);
    QFETCH(QString, pattern);
    QFETCH(QString, replace);
    QFETCH(bool, matchCase);
    QFETCH(bool, wholeWord);
    QFETCH(QString, result);
    QFETCH(int, count);
    m_host->view.setText(text);
    m_controller->E_SeClick();
    ReplaceDialog* dialog = m_controller->ReplaceDialog1();
    type(pattern, replace);
    dialog->matchCaseBox()->setChecked(matchCase);
    dialog->wholeWordBox()->setChecked(wholeWord);
    QTest::mouseClick(dialog->findChild<QCheckBox*>(QStringLiteral("RegexBox")), Qt::LeftButton);
    QVERIFY(dialog->regexBox()->isChecked());
    press(QStringLiteral("ReplaceAll"));
    QCOMPARE(m_host->view.text(), result);
    QCOMPARE(m_dialogs.messages, QStringList { replacedCountMessage(count) });
    m_host->view.undo();
    QCOMPARE(m_host->view.text(), text);
    QVERIFY(!m_host->view.isUndoAvailable());
}

void TestSearchController::invalidPatternIsReportedNotSearched_data()
{
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<int>("position"); // counted from 1, as the message gives it
    QTest::newRow("unclosed group") << QStringLiteral("(猫") << 3;
    QTest::newRow("nothing to repeat") << QStringLiteral("*") << 1;
}

void TestSearchController::invalidPatternIsReportedNotSearched()
{
    QFETCH(QString, pattern);
    QFETCH(int, position);
    m_host->view.setText(QStringLiteral("(猫 *"));
    m_host->view.setSelection(1, 1);
    m_host->view.setModified(false);
    m_controller->E_SeClick();
    type(pattern, QStringLiteral("x"));
    m_controller->ReplaceDialog1()->regexBox()->setChecked(true);
    const QString expected = QStringLiteral("正規表現が正しくありません: %1 (位置 %2)")
                                 .arg(QRegularExpression(pattern).errorString())
                                 .arg(position);
    for (const QString& button :
         { QStringLiteral("FindNext"), QStringLiteral("Replace"), QStringLiteral("ReplaceAll") })
        press(button);
    m_controller->findPrevious();
    QCOMPARE(m_dialogs.messages, QStringList(4, expected));
    QCOMPARE(m_host->view.text(), QStringLiteral("(猫 *"));
    QVERIFY(!m_host->view.isModified());
    QCOMPARE(m_host->view.selectionStart(), 1);
    QCOMPARE(m_host->view.selectionLength(), 1);
}

QTEST_MAIN(TestSearchController)
#include "tst_searchcontroller.moc"
