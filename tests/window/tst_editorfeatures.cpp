// SPDX-License-Identifier: MIT
// The editor window's commands beyond the document, driven through its own menus.
#include "document/editortexts.h"
#include "mainformfixture.h"
#include "options/Formoption.h"
#include "options/optionstexts.h"
#include "view/search/replacedialog.h"
#include "view/search/searchtexts.h"
#include "window/editorfeatures.h"

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QToolBar>
#include <QTreeWidget>

class TestEditorFeatures : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        f = std::make_unique<MainFormFixture>();
        f->writeValues(MainFormFixture::firstRunValues());
    }
    void cleanup() { f.reset(); }

    void replaceAllFromTheEditMenuUndoesAtOnce();
    void patternSearchAlikeInPlainAndRichText();
    void newButtonEmptiesButKeepsTheNameAndCanBeUndone();
    void selectAllAndClipboard();
    void fontCommandInPlainText_data();
    void fontCommandInPlainText();
    void fontCommandInRichTextStoresNothing();
    void wordWrapTwiceReturnsToNoWrap();
    void toolBarSwitchIsStoredAtClose();
    void optionsHelpAndLauncherSwitch();
    void treeAndPreviewAreReachable();
    void tabWidthKeepsTheTextUnsaved();
    void previewWithoutToolBarTakesNoEditsAndEndsOnOpen();

private:
    QAction* action(const QString& name) const { return f->form->findChild<QAction*>(name); }
    std::unique_ptr<MainFormFixture> f;
};

void TestEditorFeatures::replaceAllFromTheEditMenuUndoesAtOnce()
{
    f->createForm().show();
    f->editor()->setText(QStringLiteral("猫と猫と犬"));
    action(QStringLiteral("E_Se"))->trigger();
    ReplaceDialog* dialog = f->form->features().search().ReplaceDialog1();
    QVERIFY(dialog->isVisible());
    dialog->findEdit()->setText(QStringLiteral("猫"));
    dialog->replaceEdit()->setText(QStringLiteral("ねこ"));
    QTest::mouseClick(dialog->findChild<QPushButton*>(QStringLiteral("ReplaceAll")), Qt::LeftButton);
    QCOMPARE(f->editor()->text(), QStringLiteral("ねことねこと犬"));
    QCOMPARE(f->dialogs.messages.last(), QStringLiteral("2個置き換えました"));
    QVERIFY(f->editor()->isModified());
    action(QStringLiteral("EditUndoItem"))->trigger();
    QCOMPARE(f->editor()->text(), QStringLiteral("猫と猫と犬"));
}

void TestEditorFeatures::patternSearchAlikeInPlainAndRichText()
{
    const QString text = QStringLiteral("漢字かな 𠮷野家のカナ\n12 三人");
    const QString pattern = QStringLiteral(R"((\p{Han}+)(\p{Hiragana}*))");
    // Every match the find button steps to, until the end is reported.
    const auto matches = [&] {
        action(QStringLiteral("E_Se"))->trigger();
        ReplaceDialog* dialog = f->form->features().search().ReplaceDialog1();
        dialog->findEdit()->setText(pattern);
        dialog->replaceEdit()->setText(QStringLiteral("$2$1"));
        QTest::mouseClick(dialog->regexBox(), Qt::LeftButton);
        QStringList found;
        f->editor()->setSelection(0, 0);
        const qsizetype messages = f->dialogs.messages.size();
        for (int i = 0; i < 10; ++i) {
            QTest::mouseClick(dialog->findChild<QPushButton*>(QStringLiteral("FindNext")), Qt::LeftButton);
            if (f->dialogs.messages.size() != messages)
                break;
            found << QStringLiteral("%1+%2:%3")
                         .arg(f->editor()->selectionStart())
                         .arg(f->editor()->selectionLength())
                         .arg(f->editor()->selectedText());
        }
        return found;
    };

    f->createForm().show();
    f->editor()->setText(text);
    const QStringList plain = matches();
    QCOMPARE(
        plain,
        (QStringList { QStringLiteral("0+4:漢字かな"), QStringLiteral("5+5:𠮷野家の"), QStringLiteral("16+2:三人") }));
    QCOMPARE(f->dialogs.messages.last(), kSearchFinished);
    ReplaceDialog* dialog = f->form->features().search().ReplaceDialog1();
    QTest::mouseClick(dialog->findChild<QPushButton*>(QStringLiteral("ReplaceAll")), Qt::LeftButton);
    QCOMPARE(f->editor()->text(), QStringLiteral("かな漢字 の𠮷野家カナ\n12 三人"));
    QCOMPARE(f->dialogs.messages.last(), QStringLiteral("3個置き換えました"));
    action(QStringLiteral("EditUndoItem"))->trigger();
    QCOMPARE(f->editor()->text(), text);

    // The same text as RTF: the rich view finds the same.
    f = std::make_unique<MainFormFixture>();
    f->writeValues(MainFormFixture::firstRunValues());
    const QString path = f->writeFile(QStringLiteral("same.rtf"),
                                      "{\\rtf1\\ansi\\uc1 {\\fonttbl{\\f0 IPAGothic;}}\\f0 "
                                      "\\u28450?\\u23383?\\u12363?\\u12394? \\u-10174?\\u-8265?"
                                      "\\u37326?\\u23478?\\u12398?\\u12459?\\u12490?\\par "
                                      "12 \\u19977?\\u20154?}");
    f->createForm({ path }).show();
    QVERIFY(f->editor()->richDocument());
    QCOMPARE(f->editor()->text(), text);
    QCOMPARE(matches(), plain);
}

void TestEditorFeatures::newButtonEmptiesButKeepsTheNameAndCanBeUndone()
{
    const QString path = f->writeFile(QStringLiteral("memo.txt"), "first line\r\n");
    f->createForm({ path });
    QCOMPARE(f->dialogs.applicationTitle(), QStringLiteral("memo.txt")); // the caption of its message boxes
    const QString caption = f->form->windowTitle();
    action(QStringLiteral("ToolButton1"))->trigger();
    QCOMPARE(f->editor()->text(), QString());
    QCOMPARE(f->form->windowTitle(), caption);
    QCOMPARE(f->form->currentFileName(), path);
    QVERIFY(f->editor()->isModified()); // so closing still asks
    action(QStringLiteral("ToolButton5"))->trigger();
    QCOMPARE(f->editor()->text(), QStringLiteral("first line"));
}

void TestEditorFeatures::selectAllAndClipboard()
{
    f->createForm().show();
    f->editor()->setText(QStringLiteral("abc def"));
    action(QStringLiteral("E_all"))->trigger();
    QCOMPARE(f->editor()->selectionLength(), 7);
    f->editor()->setSelection(0, 4);
    action(QStringLiteral("EditCutItem"))->trigger();
    QCOMPARE(f->editor()->text(), QStringLiteral("def"));
    f->editor()->setSelection(3, 0);
    action(QStringLiteral("EditPasteItem"))->trigger();
    QCOMPARE(f->editor()->text(), QStringLiteral("defabc "));
}

void TestEditorFeatures::fontCommandInPlainText_data()
{
    QTest::addColumn<bool>("confirmed");
    QTest::addColumn<QString>("plainFile"); // opened first; empty: a new document
    QTest::newRow("confirmed") << true << QString();
    QTest::newRow("cancelled still stores") << false << QString();
    // What the view holds decides, not the name: a plain text called x.rtf is plain text.
    QTest::newRow("plain file named .rtf") << true << QStringLiteral("x.rtf");
}

void TestEditorFeatures::fontCommandInPlainText()
{
    QFETCH(bool, confirmed);
    QFETCH(QString, plainFile);
    if (plainFile.isEmpty())
        f->createForm().show();
    else
        f->createForm({ f->writeFile(plainFile, "plain words\r\n") }).show();
    QVERIFY(!f->editor()->isRichText());
    QFont chosen(QStringLiteral("IPAGothic"), 14);
    chosen.setBold(true);
    if (confirmed)
        f->dialogs.font = chosen;
    const QFont before = f->editor()->editorFont();
    action(QStringLiteral("N3"))->trigger();
    QCOMPARE(f->dialogs.fontRequests.size(), 1);
    QVERIFY(!f->dialogs.fontRequests.first().second); // the options window owns the plain text's colour
    const QFont expected = confirmed ? chosen : before;
    QCOMPARE(f->editor()->editorFont().family(), expected.family());
    QCOMPARE(f->storedString(Reg::MFontName), expected.family());
    QCOMPARE(f->storedInteger(Reg::MFontStyleB), confirmed ? 1 : 0);
    QCOMPARE(f->form->findChild<QLabel*>(QStringLiteral("StatusBar1"))->text(), confirmed ? kFontChanged : QString());
    if (confirmed)
        QCOMPARE(f->storedInteger(Reg::MFontSize), 14);
}

void TestEditorFeatures::fontCommandInRichTextStoresNothing()
{
    const QString path = f->writeFile(QStringLiteral("report.RTF"),
                                      "{\\rtf1\\ansi {\\fonttbl{\\f0 Arial;}}\\f0 plain words\\par}");
    f->createForm({ path });
    const QByteArray hiveBefore = f->settings.hiveBytes();
    f->editor()->setSelection(0, 5);
    QFont chosen(QStringLiteral("IPAGothic"), 20);
    f->dialogs.font = chosen;
    action(QStringLiteral("PopFont"))->trigger();
    QCOMPARE(f->editor()->selectionCharFormat().font().pointSize(), 20);
    f->editor()->setSelection(7, 1);
    QVERIFY(f->editor()->selectionCharFormat().font().pointSize() != 20);
    QCOMPARE(f->settings.hiveBytes(), hiveBefore);
}

void TestEditorFeatures::wordWrapTwiceReturnsToNoWrap()
{
    f->createForm().show();
    QAction* wrap = action(QStringLiteral("N5"));
    QVERIFY(!wrap->isChecked());
    wrap->trigger();
    QVERIFY(f->editor()->wordWrap());
    wrap->trigger();
    QVERIFY(!f->editor()->wordWrap());
    QVERIFY(!wrap->isChecked());
}

void TestEditorFeatures::toolBarSwitchIsStoredAtClose()
{
    f->createForm().show();
    action(QStringLiteral("CoolBarVew"))->trigger();
    QVERIFY(!f->control<QToolBar>(QStringLiteral("ToolBar1"))->isVisible());
    f->form->close();
    QCOMPARE(f->storedInteger(Reg::MCoolBarVewF), 0);
    f->createForm().show();
    QVERIFY(!action(QStringLiteral("CoolBarVew"))->isChecked());
    action(QStringLiteral("CoolBarVew"))->trigger();
    QVERIFY(f->control<QToolBar>(QStringLiteral("ToolBar1"))->isVisible());
}

void TestEditorFeatures::optionsHelpAndLauncherSwitch()
{
    f->writeValues(MainFormFixture::with(MainFormFixture::firstRunValues(), Reg::MTab, 10));
    f->createForm().show();
    TFormOption options(AppContext { f->dialogs, [] { return QRect(0, 0, 1024, 768); } });
    options.setHost(&f->form->features());
    connect(f->form.get(), &TMainForm::optionsRequested, &options, &TFormOption::FOClick);
    action(QStringLiteral("FO"))->trigger();
    QVERIFY(options.isVisible());
    QCOMPARE(options.findChild<QLineEdit*>(QStringLiteral("Memo1"))->text(), QStringLiteral("10"));

    action(QStringLiteral("F_Help"))->trigger();
    QCOMPARE(f->dialogs.helpShown.size(), 1);
    QVERIFY(f->dialogs.helpShown.first().endsWith(QLatin1String("ORVEL/index.html")));

    action(QStringLiteral("OP_str"))->trigger();
    QCOMPARE(f->dialogs.messages.last(), kLauncherOffNextStart);
    f->form->close();
    QCOMPARE(f->storedInteger(Reg::MOption), 0);
}

void TestEditorFeatures::treeAndPreviewAreReachable()
{
    const QString path = f->writeFile(QStringLiteral("a.txt"), "text\r\n");
    f->writeFile(QStringLiteral("b.txt"), "other\r\n");
    f->createForm({ path }).show();
    action(QStringLiteral("CoolTree"))->trigger();
    auto* tree = f->control<QTreeWidget>(QStringLiteral("Tree"));
    QVERIFY(tree->isVisible());
    QTRY_VERIFY(!tree->findItems(QStringLiteral("b.txt"), Qt::MatchExactly | Qt::MatchRecursive).isEmpty());

    action(QStringLiteral("F_PVew"))->trigger();
    QCOMPARE(f->form->findChild<QLabel*>(QStringLiteral("StatusBar1"))->text(), QStringLiteral("プレビュー"));
    QCOMPARE(f->form->findChild<QLabel*>(QStringLiteral("StatusBar2"))->text(), QStringLiteral("1 / 1"));
    QVERIFY(!f->editor()->isVisible());
    f->form->findChild<QMenu*>(QStringLiteral("PopupMenu2"))
        ->findChild<QAction*>(QStringLiteral("POP_View"))
        ->trigger();
    QVERIFY(f->editor()->isVisible());
    QCOMPARE(f->form->findChild<QLabel*>(QStringLiteral("StatusBar1"))->text(), QString());
}

void TestEditorFeatures::tabWidthKeepsTheTextUnsaved()
{
    f->createForm().show();
    QTest::keyClicks(f->editorView(), QStringLiteral("unsaved"));
    TFormOption options(AppContext { f->dialogs, [] { return QRect(0, 0, 1024, 768); } });
    options.setHost(&f->form->features());
    options.FOClick();
    options.findChild<QLineEdit*>(QStringLiteral("Memo1"))->setText(QStringLiteral("12"));
    QTest::mouseClick(options.findChild<QPushButton*>(QStringLiteral("Button1")), Qt::LeftButton);
    QCOMPARE(f->dialogs.messages, QStringList { kSettingsChanged });
    // Closing asks; the fake cancels, and the window and its text stay.
    QVERIFY(!f->form->close());
    QCOMPARE(f->dialogs.questions, QStringList { kSavePrompt });
    QCOMPARE(f->editor()->text(), QStringLiteral("unsaved"));
}

void TestEditorFeatures::previewWithoutToolBarTakesNoEditsAndEndsOnOpen()
{
    const QString path = f->writeFile(QStringLiteral("a.txt"), "text\r\n");
    const QString other = f->writeFile(QStringLiteral("b.txt"), "other\r\n");
    f->createForm({ path }).show();
    QVERIFY(QTest::qWaitForWindowExposed(f->form.get()));
    action(QStringLiteral("CoolBarVew"))->trigger(); // the tool bar off
    f->editorView()->setFocus();
    action(QStringLiteral("F_PVew"))->trigger();

    auto* pages = f->control(QStringLiteral("Panel3"));
    QVERIFY(pages->isVisible());
    QVERIFY(!f->control(QStringLiteral("ToolBar1"))->isVisible());
    // Keys, wherever the focus went, and the edit commands leave the hidden text alone.
    QTest::keyClicks(f->editorView(), QStringLiteral("typed"));
    if (QWidget* focus = QApplication::focusWidget())
        QTest::keyClicks(focus, QStringLiteral("typed"));
    QTest::keyClick(f->form.get(), Qt::Key_Delete);
    action(QStringLiteral("ToolButton1"))->trigger();
    action(QStringLiteral("EditPasteItem"))->trigger();
    QCOMPARE(f->editor()->text(), QStringLiteral("text"));
    QVERIFY(!f->editor()->isModified());

    // Opening another file ends the preview first: no stale preview beside the new text.
    f->form->loadDroppedFile(other);
    QCOMPARE(f->editor()->text(), QStringLiteral("other"));
    QVERIFY(f->editor()->isVisible());
    QVERIFY(f->editor()->isEnabled());
    QVERIFY(!f->control(QStringLiteral("QRPreview1"))->isVisible());
    QVERIFY(!action(QStringLiteral("F_PVew"))->isChecked());
    QVERIFY(!pages->isVisible());
    QVERIFY(!f->control(QStringLiteral("CoolBar1"))->isVisible()); // the tool bar stays off
    QTest::keyClicks(f->editorView(), QStringLiteral("x"));
    QCOMPARE(f->editor()->text(), QStringLiteral("xother"));
}

QTEST_MAIN(TestEditorFeatures)
#include "tst_editorfeatures.moc"
