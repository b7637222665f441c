// SPDX-License-Identifier: MIT
// The encoding menu and the format field in the editor window: reopening in another encoding,
// saving in a chosen encoding and line ending, and the question before a binary file loads.
#include "document/editortexts.h"
#include "mainformfixture.h"
#include "view/statusrow.h"
#include "window/documentcontroller.h"
#include "window/encodingmenu.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QTextCursor>
#include <QTextDocument>
#include <QtTest>

using Button = Dialogs::Button;

class TestEncodingMenu : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void reopenInAnotherEncoding();
    void saveInChosenEncodingAndLineEnding();
    void typedLineLeavesTheRestAsItWas();
    void binaryFileIsAskedAbout();
    void formatFieldOpensTheMenu();

private:
    TMainForm& startedForm(const QStringList& arguments = {})
    {
        f->writeValues(MainFormFixture::firstRunValues());
        return f->createForm(arguments);
    }
    QString formatField() const { return f->control<StatusRow>(QStringLiteral("Panel1"))->formatField()->text(); }
    QAction* item(const QString& menu, const QString& text) const
    {
        auto* owner = f->form->findChild<QMenu*>(menu);
        // As when the user opens the submenu: its items are brought up to date first.
        Q_EMIT owner->aboutToShow();
        for (QAction* action : owner->actions()) {
            if (action->text() == text)
                return action;
        }
        return nullptr;
    }
    static QByteArray bytesOf(const QString& path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
    }
    void typeAtEnd(const QString& text) const
    {
        f->editor()->setSelection(int(f->editor()->textLength()), 0);
        f->editor()->replaceSelection(text);
    }

    std::unique_ptr<MainFormFixture> f;
};

void TestEncodingMenu::init()
{
    f = std::make_unique<MainFormFixture>();
}

void TestEncodingMenu::cleanup()
{
    f.reset();
}

void TestEncodingMenu::reopenInAnotherEncoding()
{
    // 「あ」 in EUC-JP is valid CP932 too, two half-width kana; detection takes the Japanese
    // reading, and the user can still ask for the other.
    const QString path = f->writeFile(QStringLiteral("a.txt"), "\xA4\xA2\n");
    startedForm({ path });
    QCOMPARE(f->editor()->text(), QStringLiteral("あ"));
    QCOMPARE(formatField(), QStringLiteral("EUC-JP  LF"));
    QAction* cp932 = item(QStringLiteral("ReopenWithEncoding"), QStringLiteral("Shift_JIS (CP932)"));
    QVERIFY(cp932);
    // 「ﾌｧｲﾙ」 holds the submenu.
    const auto* fileMenu = f->form->findChild<QMenu*>(QStringLiteral("FileMenu"));
    auto* reopenItem = f->form->findChild<QAction*>(QStringLiteral("ReopenWithEncodingItem"));
    QVERIFY(reopenItem && fileMenu->actions().contains(reopenItem));
    QCOMPARE(reopenItem->menu<QMenu*>(), f->form->findChild<QMenu*>(QStringLiteral("ReopenWithEncoding")));
    QCOMPARE(reopenItem->text(), kReopenWithEncodingMenu);

    // Unsaved text: the save prompt comes first, and Cancel keeps everything.
    typeAtEnd(QStringLiteral("x"));
    f->dialogs.answers = { Button::Cancel };
    cp932->trigger();
    QCOMPARE(f->dialogs.questions, QStringList { kSavePrompt });
    QCOMPARE(f->editor()->text(), QStringLiteral("あx"));
    QVERIFY(f->editor()->isModified());

    f->dialogs.answers = { Button::No };
    cp932->trigger();
    QCOMPARE(f->editor()->text(), QStringLiteral("､｢"));
    QVERIFY(!f->editor()->isModified());
    QCOMPARE(formatField(), QStringLiteral("Shift_JIS (CP932)  LF"));
    QCOMPARE(bytesOf(path), QByteArray("\xA4\xA2\n"));
    // And it stays CP932 on save.
    typeAtEnd(QStringLiteral("い"));
    f->form->findChild<QAction*>(QStringLiteral("FileSaveItem"))->trigger();
    QCOMPARE(bytesOf(path), QByteArray("\xA4\xA2\x82\xA2\n"));
}

void TestEncodingMenu::saveInChosenEncodingAndLineEnding()
{
    const QString path = f->writeFile(QStringLiteral("s.txt"), "\x93\xfa\x96\x7b\r\nabc\r\n");
    startedForm({ path });
    QCOMPARE(f->editor()->text(), QStringLiteral("日本\nabc"));
    const QString save = QStringLiteral("SaveWithEncoding");

    item(save, QStringLiteral("UTF-8 BOM"))->trigger();
    QCOMPARE(bytesOf(path),
             QByteArray("\xEF\xBB\xBF"
                        "日本\r\nabc\r\n"));
    QCOMPARE(formatField(), QStringLiteral("UTF-8 BOM  CR+LF"));
    QVERIFY(item(save, QStringLiteral("UTF-8 BOM"))->isChecked());

    item(save, kLineEndingItem.arg(QStringLiteral("LF")))->trigger();
    QCOMPARE(bytesOf(path),
             QByteArray("\xEF\xBB\xBF"
                        "日本\nabc\n"));
    QCOMPARE(formatField(), QStringLiteral("UTF-8 BOM  LF"));

    item(save, QStringLiteral("UTF-16BE BOM"))->trigger();
    QCOMPARE(bytesOf(path), QByteArray("\xFE\xFF\x65\xE5\x67\x2C\0\n\0a\0b\0c\0\n", 16));

    // Latin-1 cannot hold 日本: the usual question, and No writes nothing and keeps the format.
    f->dialogs.answers = { Button::No };
    item(save, QStringLiteral("ISO-8859-1"))->trigger();
    QCOMPARE(f->dialogs.questions.size(), 1);
    QVERIFY(f->dialogs.questions[0].contains(QStringLiteral("ISO-8859-1")));
    QCOMPARE(bytesOf(path), QByteArray("\xFE\xFF\x65\xE5\x67\x2C\0\n\0a\0b\0c\0\n", 16));
    QCOMPARE(formatField(), QStringLiteral("UTF-16BE BOM  LF"));
    QVERIFY(item(save, QStringLiteral("UTF-16BE BOM"))->isChecked());

    // Reopened, the file is what the field said.
    f->dialogs.answers.clear();
    item(QStringLiteral("ReopenWithEncoding"), QStringLiteral("UTF-16BE"))->trigger();
    QCOMPARE(f->editor()->text(), QStringLiteral("日本\nabc"));
}

void TestEncodingMenu::typedLineLeavesTheRestAsItWas()
{
    // A CP932 file with CR LF and LF breaks, no break at its end, and characters CP932 holds under
    // two codes written with the less usual one (髙 0xEEE0, ≒ 0x8790, ∵ 0x879A, ￢ 0xFA54, ⅰ 0xEEEF).
    const QByteArray original = bytesOf(
        QStringLiteral(PEMMO_ENCODINGS_TESTDATA "/cp932_twins_mixed_no_final_break.txt"));
    QVERIFY(original.contains("\xEE\xE0") && original.contains("\r\n") && original.contains("b\x87\x9A\n"));
    const QString path = f->writeFile(QStringLiteral("twins.txt"), original);
    TMainForm& form = startedForm({ path });
    form.show();
    form.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&form));
    QCOMPARE(formatField(), QStringLiteral("Shift_JIS (CP932)  CR+LF"));
    QVERIFY(f->editor()->text().startsWith(QStringLiteral("髙橋さんの計算")));

    // Enter at the end of the first line, then a word: the new line gets the most frequent break.
    ScintillaView* view = f->editorView();
    view->setFocus();
    view->sci(QsciScintillaBase::SCI_GOTOPOS, view->sci(QsciScintillaBase::SCI_GETLINEENDPOSITION, 0));
    QTest::keyClick(view, Qt::Key_Return);
    QTest::keyClicks(view, QStringLiteral("new"));
    QVERIFY(f->editor()->isModified());
    QTest::keyClick(view, Qt::Key_S, Qt::ControlModifier);
    QVERIFY(!f->editor()->isModified());
    QCOMPARE(f->dialogs.questions, QStringList());

    const qsizetype firstBreak = original.indexOf("\r\n");
    const QByteArray expected = original.first(firstBreak) + "\r\nnew" + original.sliced(firstBreak);
    QCOMPARE(bytesOf(path).toHex(' '), expected.toHex(' '));
}

void TestEncodingMenu::binaryFileIsAskedAbout()
{
    const QString text = f->writeFile(QStringLiteral("t.txt"), "text\r\n");
    QByteArray bytes("\x7F"
                     "ELF\x02\x01\x01",
                     7);
    bytes.append(QByteArray(9, '\0'));
    bytes.append("payload");
    const QString binary = f->writeFile(QStringLiteral("b.bin"), bytes);
    TMainForm& form = startedForm({ text });

    f->dialogs.answers = { Button::No };
    f->form->loadDroppedFile(binary);
    QCOMPARE(f->dialogs.questions, QStringList { kBinaryFileQuestion });
    QCOMPARE(f->editor()->text(), QStringLiteral("text"));
    QCOMPARE(form.currentFileName(), text);
    QVERIFY(f->dialogs.messages.isEmpty());

    f->dialogs.answers = { Button::Yes };
    f->form->loadDroppedFile(binary);
    QCOMPARE(f->dialogs.questions.size(), 2);
    QCOMPARE(form.currentFileName(), binary);
    QVERIFY(f->editor()->text().endsWith(QStringLiteral("payload")));

    // UTF-16 without a BOM has NUL bytes too, and is text.
    const QString utf16 = f->writeFile(QStringLiteral("u.txt"), QByteArray("h\0i\0\r\0\n\0", 8));
    f->form->loadDroppedFile(utf16);
    QCOMPARE(f->dialogs.questions.size(), 2);
    QCOMPARE(f->editor()->text(), QStringLiteral("hi"));
    QCOMPARE(formatField(), QStringLiteral("UTF-16LE  CR+LF"));
}

void TestEncodingMenu::formatFieldOpensTheMenu()
{
    TMainForm& form = startedForm();
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    QLabel* field = f->control<StatusRow>(QStringLiteral("Panel1"))->formatField();
    QVERIFY(field->isVisible());
    QCOMPARE(field->text(), QStringLiteral("Shift_JIS (CP932)  CR+LF"));
    QMenu* popup = form.encodingMenu().popupMenu();
    QVERIFY(!popup->isVisible());
    QTest::mouseClick(field, Qt::LeftButton);
    QTRY_VERIFY(popup->isVisible());
    QCOMPARE(popup->actions().size(), 2);
    QCOMPARE(popup->actions()[0]->text(), kReopenWithEncodingMenu);
    QCOMPARE(popup->actions()[1]->text(), kSaveWithEncodingMenu);
    // Nothing to reopen without a file.
    QVERIFY(!popup->actions()[0]->isEnabled());
    popup->close();

    // With a file, the popup offers the reopen as the menu bar does.
    form.loadDroppedFile(f->writeFile(QStringLiteral("a.txt"), "abc\r\n"));
    QTest::mouseClick(field, Qt::LeftButton);
    QTRY_VERIFY(popup->isVisible());
    QVERIFY(popup->actions()[0]->isEnabled());
    QVERIFY(popup->actions()[1]->isEnabled());
    popup->close();
}

QTEST_MAIN(TestEncodingMenu)
#include "tst_encodingmenu.moc"
