// SPDX-License-Identifier: MIT
// What the window shows agrees with the text: the position after a find from the dialog, the
// insert/overtype field, a search that ignores case the Unicode way, Alt with a letter that opens no menu, absolute
// names, the marked encoding to reopen in, and undo in the edit popup.
#include "mainformfixture.h"
#include "view/search/replacedialog.h"
#include "view/search/searchtexts.h"
#include "view/statusrow.h"
#include "view/viewtexts.h"
#include "window/documentcontroller.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTest>

class TestWindowTells final : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();

    void findFromTheDialogMovesPositionAndRuler();
    void findIgnoringCaseFoldsUnicode_data();
    void findIgnoringCaseFoldsUnicode();
    void insertKeyShowsOvertype();
    void altWithoutMenuTypesNothing();
    void relativeNameBecomesAbsolute();
    void reopenMenuMarksTheCurrentEncoding();
    void editPopupUndoesAndRedoes();

private:
    TMainForm& shownForm(const QStringList& arguments = {})
    {
        f->writeValues(MainFormFixture::firstRunValues());
        TMainForm& form = f->createForm(arguments);
        form.show();
        QApplication::setActiveWindow(&form);
        return form;
    }
    QString position() const { return f->control<StatusRow>(QStringLiteral("Panel1"))->positionField()->text(); }
    QString ruler() const { return f->control<QLabel>(QStringLiteral("Label1"))->text(); }

    std::unique_ptr<MainFormFixture> f;
};

void TestWindowTells::init()
{
    f = std::make_unique<MainFormFixture>();
}

void TestWindowTells::cleanup()
{
    f->form.reset();
    f.reset();
}

void TestWindowTells::findFromTheDialogMovesPositionAndRuler()
{
    const QString path = f->writeFile(QStringLiteral("find.txt"), "first line\r\nsecond target here\r\n");
    shownForm({ path });
    QCOMPARE(position(), QStringLiteral("R: 1 C: 1"));
    f->form->findChild<QAction*>(QStringLiteral("E_Se"))->trigger();
    auto* dialog = f->form->findChild<ReplaceDialog*>();
    QVERIFY(dialog);
    dialog->findChild<QLineEdit*>(QStringLiteral("FindText"))->setText(QStringLiteral("target"));
    QTest::mouseClick(dialog->findChild<QPushButton*>(QStringLiteral("FindNext")), Qt::LeftButton);
    QCOMPARE(f->editor()->selectedText(), QStringLiteral("target"));
    // The field names where the selection starts; the marker stands over the caret, as after F3.
    QCOMPARE(position(), QStringLiteral("R: 2 C: 8"));
    const qsizetype marker = ruler().indexOf(QStringLiteral("↓"));
    QVERIFY(marker > 0);
    f->editor()->setSelection(0, 0);
    QTest::keyClick(f->editorView(), Qt::Key_F3);
    QCOMPARE(f->editor()->selectedText(), QStringLiteral("target"));
    QCOMPARE(position(), QStringLiteral("R: 2 C: 8"));
    QCOMPARE(ruler().indexOf(QStringLiteral("↓")), marker);
}

void TestWindowTells::findIgnoringCaseFoldsUnicode_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("find");
    QTest::addColumn<QString>("match");
    const QByteArray bom = "\xEF\xBB\xBF";
    QTest::newRow("plain, accented Latin") << bom + "x CAF\xC3\x89 y\r\n"
                                           << QStringLiteral("café") << QStringLiteral("CAFÉ");
    QTest::newRow("plain, Greek") << bom + "x \xCE\xB1\xCE\xB2\xCE\xB3 y\r\n"
                                  << QStringLiteral("ΑΒΓ") << QStringLiteral("αβγ");
    QTest::newRow("plain, full-width") << bom + "x \xEF\xBC\xA1\xEF\xBC\xA2\xEF\xBC\xA3 y\r\n"
                                       << QStringLiteral("ａｂｃ") << QStringLiteral("ＡＢＣ");
    QTest::newRow("rich, accented Latin")
        << QByteArray("{\\rtf1\\ansi\\uc0 x CAF\\u201  y\\par}") << QStringLiteral("café") << QStringLiteral("CAFÉ");
    QTest::newRow("rich, full-width") << QByteArray("{\\rtf1\\ansi\\uc0 x \\u-191 \\u-190 \\u-189  y\\par}")
                                      << QStringLiteral("ＡＢＣ") << QStringLiteral("ａｂｃ");
}

void TestWindowTells::findIgnoringCaseFoldsUnicode()
{
    // 次を検索 and F3 with 「大文字と小文字を区別する」 off, as a user searches.
    QFETCH(QByteArray, file);
    QFETCH(QString, find);
    QFETCH(QString, match);
    const bool rich = file.startsWith("{\\rtf");
    const QString path = f->writeFile(rich ? QStringLiteral("fold.rtf") : QStringLiteral("fold.txt"), file);
    shownForm({ path });
    QCOMPARE(f->editor()->isRichText(), rich);
    f->form->findChild<QAction*>(QStringLiteral("E_Se"))->trigger();
    auto* dialog = f->form->findChild<ReplaceDialog*>();
    dialog->findEdit()->setText(find);
    QTest::mouseClick(dialog->findChild<QPushButton*>(QStringLiteral("FindNext")), Qt::LeftButton);
    QCOMPARE(f->editor()->selectedText(), match);
    QCOMPARE(f->editor()->selectionStart(), 2);
    QVERIFY(f->dialogs.messages.isEmpty());
    f->editor()->setSelection(0, 0);
    f->form->findChild<QAction*>(QStringLiteral("FindNextItem"))->trigger();
    QCOMPARE(f->editor()->selectedText(), match);
    // With match case the search ends without a match.
    dialog->matchCaseBox()->setChecked(true);
    f->editor()->setSelection(0, 0);
    QTest::mouseClick(dialog->findChild<QPushButton*>(QStringLiteral("FindNext")), Qt::LeftButton);
    QCOMPARE(f->dialogs.messages.value(0), kSearchFinished);
}

void TestWindowTells::insertKeyShowsOvertype()
{
    shownForm();
    QLabel* field = f->control<StatusRow>(QStringLiteral("Panel1"))->insertField();
    QCOMPARE(field->text(), kInsertModeText);
    QTest::keyClick(f->editorView(), Qt::Key_Insert);
    QCOMPARE(field->text(), kOvertypeModeText);
    QTest::keyClicks(f->editorView(), QStringLiteral("ab"));
    QTest::keyClick(f->editorView(), Qt::Key_Home);
    QTest::keyClicks(f->editorView(), QStringLiteral("x"));
    QCOMPARE(f->editor()->text(), QStringLiteral("xb"));
    QTest::keyClick(f->editorView(), Qt::Key_Insert);
    QCOMPARE(field->text(), kInsertModeText);
}

void TestWindowTells::altWithoutMenuTypesNothing()
{
    shownForm();
    for (const Qt::Key key : { Qt::Key_O, Qt::Key_Z, Qt::Key_X })
        QTest::keyClick(f->editorView(), key, Qt::AltModifier);
    QCOMPARE(f->editor()->text(), QString());
    QVERIFY(!f->editor()->isModified());
    // Typing itself is untouched.
    QTest::keyClicks(f->editorView(), QStringLiteral("oz"));
    QCOMPARE(f->editor()->text(), QStringLiteral("oz"));
}

void TestWindowTells::relativeNameBecomesAbsolute()
{
    f->writeFile(QStringLiteral("notes.txt"), "text\r\n");
    const QString before = QDir::currentPath();
    QDir::setCurrent(f->settings.dir());
    const auto back = qScopeGuard([&] { QDir::setCurrent(before); });
    shownForm({ QStringLiteral("notes.txt") });
    QDir::setCurrent(before);
    QCOMPARE(f->form->findChild<DocumentController*>()->currentFileName(),
             QDir(f->settings.dir()).absoluteFilePath(QStringLiteral("notes.txt")));
}

void TestWindowTells::reopenMenuMarksTheCurrentEncoding()
{
    const QString path = f->writeFile(QStringLiteral("euc.txt"), "\xa4\xb3\xa4\xf3\xa4\xcb\xa4\xc1\xa4\xcf\n");
    shownForm({ path });
    QMenu* reopen = f->form->findChild<QMenu*>(QStringLiteral("ReopenWithEncoding"));
    QVERIFY(reopen);
    QMetaObject::invokeMethod(reopen, "aboutToShow");
    QStringList checked;
    for (QAction* action : reopen->actions()) {
        if (action->isChecked())
            checked << action->text();
    }
    QCOMPARE(checked, QStringList { QStringLiteral("EUC-JP") });
}

void TestWindowTells::editPopupUndoesAndRedoes()
{
    shownForm();
    QTest::keyClicks(f->editorView(), QStringLiteral("word"));
    QMenu* popup = f->form->findChild<QMenu*>(QStringLiteral("PopupMenu2"));
    QAction* undo = popup->findChild<QAction*>(QStringLiteral("P_Undo"));
    QAction* redo = popup->findChild<QAction*>(QStringLiteral("P_Redo"));
    QVERIFY(undo && redo);
    QCOMPARE(popup->actions().indexOf(undo), 0);
    undo->trigger();
    QCOMPARE(f->editor()->text(), QString());
    redo->trigger();
    QCOMPARE(f->editor()->text(), QStringLiteral("word"));
}

QTEST_MAIN(TestWindowTells)
#include "tst_windowtells.moc"
