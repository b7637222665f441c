// SPDX-License-Identifier: MIT
// Opening, saving and naming documents on the real editor window, the dialog seam answering.
#include "browser/worktree.h"
#include "document/editortexts.h"
#include "formats/formattexts.h"
#include "mainformfixture.h"
#include "settings/settingstexts.h"
#include "view/statusrow.h"
#include "window/documentcontroller.h"
#include "window/editorfeatures.h"

#include <QAction>
#include <QDir>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QTest>
#include <QTextCursor>
#include <QTextDocument>
#include <QTreeWidget>

using Button = Dialogs::Button;

class TestDocuments final : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();

    void saveAsNames_data();
    void saveAsNames();
    void plainFileNamedRtfLoadsPlainAndSavesRtf();
    void rtfFileLoadsIntoTheRichView();
    void emptyFileLoads();
    void longLinesShowTheirStartAndSaveWhole();
    void typingAtTheShownEndOfALongLineLandsThere_data();
    void typingAtTheShownEndOfALongLineLandsThere();
    void newThenSaveAsksForAName();
    void saveKeepsEncodingAndLineEnding();
    void characterOutsideCp932Asks_data();
    void characterOutsideCp932Asks();
    void unkeptFormattingAsksBeforeRtfSave();
    void truncatedRtfSaysSoAndSaveAsks();
    void failedSaveKeepsOriginalAndModifiedFlag();
    void promptAnswers_data();
    void promptAnswers();
    void cancelledOpenDialogStillWritesEditorSettings();
    void openStartsInStoredFolderOnlyOnce();
    void unreadableFileKeepsTheDocument();
    void dropOnModifiedTextAsksFirst();
    void replacingUnsavedTextAsksFirst_data();
    void replacingUnsavedTextAsksFirst();
    void saveAsAsksBeforeReplacingTheFinalName();
    void saveAfterAnotherProgramsChange_data();
    void saveAfterAnotherProgramsChange();
    void commandLineNameThatDoesNotExistYet();
    void savedBytesMatchTheFile_data();
    void savedBytesMatchTheFile();

private:
    void trigger(const QString& action) const { f->form->findChild<QAction*>(action)->trigger(); }
    QString message() const { return f->control<StatusRow>(QStringLiteral("Panel1"))->messageField()->text(); }
    static QByteArray bytesOf(const QString& path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
    }
    TMainForm& startedForm()
    {
        f->writeValues(MainFormFixture::firstRunValues());
        return f->createForm();
    }

    std::unique_ptr<MainFormFixture> f;
};

void TestDocuments::init()
{
    f = std::make_unique<MainFormFixture>();
}

void TestDocuments::cleanup()
{
    f->form.reset();
    f.reset();
}

void TestDocuments::saveAsNames_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("filter");
    QTest::addColumn<QString>("written");
    QTest::addColumn<bool>("rtf");
    QTest::newRow("filter 1 replaces the typed extension") << "memo.htm" << 1 << "memo.txt" << false;
    QTest::newRow("filter 2 keeps a name without extension") << "page" << 2 << "page" << false;
    QTest::newRow("filter 2 keeps the typed extension") << "page.htm" << 2 << "page.htm" << false;
    QTest::newRow("filter 3 adds rtf") << "memo" << 3 << "memo.rtf" << true;
    QTest::newRow("filter 6 replaces with cpp") << "main.c" << 6 << "main.cpp" << false;
    QTest::newRow("filter 7 keeps the typed name") << "x.dat" << 7 << "x.dat" << false;
    QTest::newRow("upper-case RTF writes RTF") << "report.RTF" << 7 << "report.RTF" << true;
    QTest::newRow("rtf.txt writes plain text") << "report.rtf.txt" << 7 << "report.rtf.txt" << false;
    QTest::newRow("a dot in the folder is no extension") << "dir.d/memo" << 1 << "dir.d/memo.txt" << false;
    QTest::newRow("a hidden file keeps its name") << ".memo" << 1 << ".memo.txt" << false;
}

void TestDocuments::saveAsNames()
{
    QFETCH(QString, typed);
    QFETCH(int, filter);
    QFETCH(QString, written);
    QFETCH(bool, rtf);
    TMainForm& form = startedForm();
    QDir(f->settings.dir()).mkpath(QStringLiteral("dir.d"));
    const QString folder = f->settings.dir() + QLatin1Char('/');
    f->editor()->setText(QStringLiteral("日本語 text"));
    f->editor()->setModified(true);
    f->dialogs.files = { folder + typed };
    f->dialogs.pickFilter = filter;
    trigger(QStringLiteral("FileSaveAsItem"));

    const QByteArray bytes = bytesOf(folder + written);
    QCOMPARE(bytes.startsWith("{\\rtf"), rtf);
    if (!rtf)
        QCOMPARE(bytes, QByteArray("\x93\xfa\x96\x7b\x8c\xea text\r\n"));
    if (typed != written)
        QVERIFY(!QFile::exists(folder + typed));
    QCOMPARE(message(), folder + written + kDocumentSavedSuffix);
    QCOMPARE(form.currentFileName(), folder + written);
    QCOMPARE(form.windowTitle(), QStringLiteral("[*][ %1 ]-%2").arg(folder + written, kVersionCaption));
    QVERIFY(!f->editor()->isModified());
    QCOMPARE(f->dialogs.saveStates.size(), 1);
    QCOMPARE(f->dialogs.saveStates[0].filters.size(), 7);
    QCOMPARE(f->dialogs.saveStates[0].filters[2].patterns, QStringLiteral("*.rtf;*.doc"));
}

void TestDocuments::plainFileNamedRtfLoadsPlainAndSavesRtf()
{
    const QString path = f->writeFile(QStringLiteral("x.rtf"), "plain words\r\n");
    startedForm();
    f->form->loadDroppedFile(path);
    QVERIFY(!f->editor()->isRichText());
    QCOMPARE(f->editor()->text(), QStringLiteral("plain words"));

    trigger(QStringLiteral("FileSaveItem"));
    const QByteArray bytes = bytesOf(path);
    QVERIFY2(bytes.startsWith("{\\rtf"), bytes.constData());
    QVERIFY(bytes.contains("plain words"));
}

void TestDocuments::rtfFileLoadsIntoTheRichView()
{
    const QString path = f->writeFile(QStringLiteral("b.txt"), "{\\rtf1\\ansi {\\b bold} rest\\par}");
    startedForm();
    f->form->loadDroppedFile(path);
    QVERIFY(f->editor()->isRichText());
    QCOMPARE(f->editor()->text().trimmed(), QStringLiteral("bold rest"));
    f->editor()->setSelection(2, 0);
    QCOMPARE(f->editor()->selectionCharFormat().fontWeight(), int(QFont::Bold));

    trigger(QStringLiteral("FileNewItem"));
    QCOMPARE(f->editor()->text(), QString());
    // The clear is one undoable edit, so the rich text comes back whole.
    trigger(QStringLiteral("EditUndoItem"));
    QCOMPARE(f->editor()->text().trimmed(), QStringLiteral("bold rest"));
    f->editor()->setSelection(2, 0);
    QCOMPARE(f->editor()->selectionCharFormat().fontWeight(), int(QFont::Bold));
}

void TestDocuments::emptyFileLoads()
{
    const QString path = f->writeFile(QStringLiteral("empty.txt"), QByteArray());
    TMainForm& form = startedForm();
    f->editor()->setText(QStringLiteral("before"));
    f->dialogs.files = { path };
    trigger(QStringLiteral("FileOpenItem"));
    QCOMPARE(f->editor()->text(), QString());
    QVERIFY(f->dialogs.messages.isEmpty());
    QCOMPARE(form.currentFileName(), path);
    QCOMPARE(message(), path + kDocumentOpenedSuffix);
    QCOMPARE(form.recentFiles().value(0), path);
}

void TestDocuments::longLinesShowTheirStartAndSaveWhole()
{
    const QByteArray kana = QByteArray("\x82\xa0").repeated(15000); // あ in CP932
    const QByteArray original = "head\r\n" + kana + "\r\ntail\r\n";
    const QString path = f->writeFile(QStringLiteral("long.txt"), original);
    startedForm();
    f->dialogs.files = { path };
    trigger(QStringLiteral("FileOpenItem"));
    QCOMPARE(f->editor()->shortenedLines(), 1);
    QCOMPARE(message(),
             kLongLinesShortened.arg(DocumentEditor::kLongLineShownCharacters) + kMessageJoin + path +
                 kDocumentOpenedSuffix);
    f->editor()->setSelection(0, 0);
    QTest::keyClicks(f->editorView(), QStringLiteral("x"));
    trigger(QStringLiteral("FileSaveItem"));
    QCOMPARE(bytesOf(path), "x" + original);
}

void TestDocuments::typingAtTheShownEndOfALongLineLandsThere_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("End") << QStringLiteral("end");
    QTest::newRow("a click right of the line") << QStringLiteral("click");
    QTest::newRow("Ctrl+End on the last line") << QStringLiteral("ctrl-end");
}

// The rest of a shortened line takes no room: a caret after it would stand where the shown start
// ends and put what is typed far from there.
void TestDocuments::typingAtTheShownEndOfALongLineLandsThere()
{
    QFETCH(QString, how);
    constexpr int shown = int(DocumentEditor::kLongLineShownCharacters);
    const QByteArray kana = QByteArray("\x82\xa0").repeated(shown + 5000); // あ in CP932
    const bool last = how == QLatin1String("ctrl-end");
    const QByteArray original = "head\r\n" + kana + (last ? "" : "\r\ntail\r\n");
    const QString path = f->writeFile(QStringLiteral("long.txt"), original);
    startedForm();
    f->dialogs.files = { path };
    trigger(QStringLiteral("FileOpenItem"));
    QCOMPARE(f->editor()->shortenedLines(), 1);

    ScintillaView* view = f->editorView();
    f->editor()->setSelection(f->editor()->lineIndex(1) + 3, 0);
    if (how == QLatin1String("ctrl-end")) {
        QTest::keyClick(view, Qt::Key_End, Qt::ControlModifier);
    } else {
        QTest::keyClick(view, Qt::Key_End);
        if (how == QLatin1String("click")) {
            // Scrolled to the shown end: click well right of it, on the long line's row.
            QTest::keyClicks(view, QStringLiteral("x"));
            QTest::keyClick(view, Qt::Key_Backspace);
            QTest::keyClick(view, Qt::Key_Left);
            const QPoint end = f->pointAt(f->editor()->selectionStart() + 1);
            QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, QPoint(view->viewport()->width() - 4, end.y()));
        }
    }
    QTest::keyClicks(view, QStringLiteral("xy"));
    QCOMPARE(f->editor()->selectionStart(), f->editor()->lineIndex(1) + shown + 2);
    trigger(QStringLiteral("FileSaveItem"));
    const QByteArray expected = "head\r\n" + kana.left(2 * shown) + "xy" + kana.mid(2 * shown) +
        (last ? "" : "\r\ntail\r\n");
    QCOMPARE(bytesOf(path), expected);
}

void TestDocuments::newThenSaveAsksForAName()
{
    const QString path = f->writeFile(QStringLiteral("a.txt"), "old\r\n");
    TMainForm& form = startedForm();
    f->form->loadDroppedFile(path);
    trigger(QStringLiteral("FileNewItem"));
    QCOMPARE(form.currentFileName(), QStringLiteral(" "));
    QTest::keyClicks(f->editorView(), QStringLiteral("new"));
    trigger(QStringLiteral("FileSaveItem")); // the dialog is cancelled
    QCOMPARE(f->dialogs.saveStates.size(), 1);
    QCOMPARE(f->dialogs.saveStates[0].initialFolder, f->settings.dir() + QLatin1Char('/'));
    QCOMPARE(bytesOf(path), QByteArray("old\r\n"));
    QVERIFY(f->editor()->isModified());
}

void TestDocuments::saveKeepsEncodingAndLineEnding()
{
    const QByteArray original = "\xef\xbb\xbf"
                                "first\nsecond \xe2\x86\x92\n";
    const QString path = f->writeFile(QStringLiteral("u.txt"), original);
    startedForm();
    f->form->loadDroppedFile(path);
    f->editor()->setSelection(int(f->editor()->textLength()), 0);
    f->editor()->replaceSelection(QStringLiteral("third"));
    trigger(QStringLiteral("FileSaveItem"));
    // The last line gains the line ending the file uses.
    QCOMPARE(bytesOf(path),
             QByteArray("\xef\xbb\xbf"
                        "first\nsecond \xe2\x86\x92third\n"));
    QVERIFY(!f->editor()->isModified());
}

void TestDocuments::characterOutsideCp932Asks_data()
{
    QTest::addColumn<Button>("answer");
    QTest::addColumn<QByteArray>("written");
    QTest::newRow("yes writes UTF-8") << Button::Yes << QByteArray("a\xf0\x9f\x98\x80\r\n");
    QTest::newRow("no writes nothing") << Button::No << QByteArray("old\r\n");
}

void TestDocuments::characterOutsideCp932Asks()
{
    QFETCH(Button, answer);
    QFETCH(QByteArray, written);
    const QString path = f->writeFile(QStringLiteral("sjis.txt"), "old\r\n");
    startedForm();
    f->form->loadDroppedFile(path);
    f->editor()->setText(QStringLiteral("a\U0001F600"));
    f->editor()->setModified(true);
    f->dialogs.answers = { answer };
    trigger(QStringLiteral("FileSaveItem"));
    QCOMPARE(f->dialogs.questions.size(), 1);
    QVERIFY(f->dialogs.questions[0].endsWith(QStringLiteral("UTF-8 で保存しますか？")));
    QCOMPARE(bytesOf(path), written);
    QCOMPARE(f->editor()->isModified(), answer != Button::Yes);
}

void TestDocuments::unkeptFormattingAsksBeforeRtfSave()
{
    // A table inside a table cannot be written back: the save names it and waits for the answer.
    const QByteArray original = "{\\rtf1\\trowd\\cellx900\\pard\\intbl outer\\par\\itap2 in\\nestcell"
                                "{\\*\\nesttableprops\\trowd\\cellx400\\nestrow}\\itap1\\cell\\row\\pard after\\par}";
    const QString path = f->writeFile(QStringLiteral("nested.rtf"), original);
    startedForm();
    f->form->loadDroppedFile(path);
    const auto edit = [this](const QString& text) {
        f->editor()->setSelection(0, 0);
        f->editor()->replaceSelection(text);
        f->editor()->setModified(true);
    };
    edit(QStringLiteral("x"));
    f->dialogs.answers = { Button::No };
    trigger(QStringLiteral("FileSaveItem"));
    QCOMPARE(f->dialogs.questions, QStringList { kUnkeptFormatting.arg(kUnkeptNestedTable) });
    QCOMPARE(bytesOf(path), original);
    QVERIFY(f->editor()->isModified());

    f->dialogs.answers = { Button::Yes };
    trigger(QStringLiteral("FileSaveItem"));
    QCOMPARE(f->dialogs.questions.size(), 2);
    QVERIFY(bytesOf(path) != original);
    QVERIFY(!f->editor()->isModified());
    // The file now holds what the document holds: the next save has nothing more to lose.
    edit(QStringLiteral("y"));
    trigger(QStringLiteral("FileSaveItem"));
    QCOMPARE(f->dialogs.questions.size(), 2);
    QVERIFY(!f->editor()->isModified());
}

void TestDocuments::truncatedRtfSaysSoAndSaveAsks()
{
    // Cut off in the middle of the text: the window says the file ends early, and a save asks before it.
    const QByteArray original = "{\\rtf1\\ansi {\\b bold} text that goes on";
    const QString path = f->writeFile(QStringLiteral("cut.rtf"), original);
    startedForm();
    f->form->loadDroppedFile(path);
    QVERIFY(f->editor()->isRichText());
    QCOMPARE(f->dialogs.messages, QStringList { kRtfEndsEarly });
    QVERIFY(f->editor()->text().contains(QStringLiteral("text that goes on")));
    f->editor()->setSelection(0, 0);
    f->editor()->replaceSelection(QStringLiteral("x"));
    f->editor()->setModified(true);
    f->dialogs.answers = { Button::No };
    trigger(QStringLiteral("FileSaveItem"));
    // Only the missing end: every byte that was there was read, so nothing is said about unreadable bytes.
    QCOMPARE(f->dialogs.questions, QStringList { kUnkeptFormatting.arg(kUnkeptFileEnd) });
    QCOMPARE(bytesOf(path), original);

    f->dialogs.answers = { Button::Yes };
    trigger(QStringLiteral("FileSaveItem"));
    const QByteArray saved = bytesOf(path);
    QVERIFY2(saved.contains("text that goes on") && saved.trimmed().endsWith('}'), saved.constData());
}

void TestDocuments::failedSaveKeepsOriginalAndModifiedFlag()
{
    // A name of the longest length a folder allows: the file exists, but no temporary file can
    // be made beside it, so the write fails even for root.
    const QString path = f->writeFile(QString(255, QLatin1Char('n')), "original\r\n");
    TMainForm& form = startedForm();
    f->form->loadDroppedFile(path);
    QTest::keyClicks(f->editorView(), QStringLiteral("edit "));
    trigger(QStringLiteral("FileSaveItem"));
    QCOMPARE(bytesOf(path), QByteArray("original\r\n"));
    QVERIFY(f->editor()->isModified());
    QCOMPARE(f->dialogs.messages.size(), 1);
    QVERIFY(message().isEmpty());

    // Closing asks, and a failed save keeps the window open.
    f->dialogs.answers = { Button::Yes };
    QVERIFY(!form.close());
    QVERIFY(f->editor()->isModified());
}

void TestDocuments::promptAnswers_data()
{
    QTest::addColumn<Button>("answer");
    QTest::addColumn<bool>("dialogShown");
    QTest::newRow("cancel stops before the dialog") << Button::Cancel << false;
    QTest::newRow("no goes on without saving") << Button::No << true;
}

void TestDocuments::promptAnswers()
{
    QFETCH(Button, answer);
    QFETCH(bool, dialogShown);
    f->writeValues(MainFormFixture::with(MainFormFixture::firstRunValues(), Reg::MDirSave, QStringLiteral("/kept/")));
    f->createForm();
    QTest::keyClicks(f->editorView(), QStringLiteral("unsaved"));
    f->dialogs.answers = { answer };
    trigger(QStringLiteral("FileOpenItem")); // the open dialog, if shown, is cancelled
    QCOMPARE(f->dialogs.questions, QStringList { kSavePrompt });
    QCOMPARE(f->dialogs.openStates.size(), dialogShown ? 1 : 0);
    QCOMPARE(f->editor()->text(), QStringLiteral("unsaved"));
    QVERIFY(f->editor()->isModified());
    // The editor-settings write runs only past the prompt; it stores the dialog's (empty) folder.
    QCOMPARE(f->storedString(Reg::MDirSave), dialogShown ? QString() : QStringLiteral("/kept/"));
}

void TestDocuments::cancelledOpenDialogStillWritesEditorSettings()
{
    TMainForm& form = startedForm();
    form.openDialog().fileName = QStringLiteral("/home/u/docs/a.txt");
    f->dialogs.pickFilter = 3;
    trigger(QStringLiteral("FileOpenItem"));
    QCOMPARE(f->dialogs.openStates.size(), 1);
    QCOMPARE(f->dialogs.openStates[0].filters.size(), 5);
    QCOMPARE(f->dialogs.openStates[0].filters[1].description, QStringLiteral("Ｈｔｍｌファイル(*.htm;*.html)"));
    QCOMPARE(f->storedString(Reg::MDirSave), QStringLiteral("/home/u/docs/"));
}

void TestDocuments::openStartsInStoredFolderOnlyOnce()
{
    const QString path = f->writeFile(QStringLiteral("a.txt"), "a");
    QVERIFY(QDir(f->settings.dir()).mkdir(QStringLiteral("stored")));
    const QString stored = f->settings.dir() + QStringLiteral("/stored/");
    MainFormFixture::Values values = MainFormFixture::with(MainFormFixture::firstRunValues(), Reg::MDirSave, stored);
    values = MainFormFixture::with(values, Reg::MFindexNo1, 2);
    f->writeValues(MainFormFixture::with(values, Reg::MIno, 0));
    f->createForm();
    f->dialogs.files = { path, std::nullopt };
    trigger(QStringLiteral("FileOpenItem"));
    QCOMPARE(f->dialogs.openStates[0].initialFolder, stored);
    QCOMPARE(f->dialogs.openStates[0].filterIndex, 2);
    QCOMPARE(f->storedInteger(Reg::MIno), 1);
    trigger(QStringLiteral("FileOpenItem"));
    QCOMPARE(f->dialogs.openStates[1].initialFolder, f->settings.dir() + QLatin1Char('/'));
}

void TestDocuments::unreadableFileKeepsTheDocument()
{
    const QString path = f->writeFile(QStringLiteral("a.txt"), "kept");
    TMainForm& form = startedForm();
    f->form->loadDroppedFile(path);
    const QString caption = form.windowTitle();
    f->dialogs.files = { f->settings.dir() + QStringLiteral("/missing.txt") };
    trigger(QStringLiteral("FileOpenItem"));
    QCOMPARE(f->dialogs.messages.size(), 1);
    QVERIFY(f->dialogs.messages[0].contains(QStringLiteral("missing.txt")));
    QCOMPARE(f->editor()->text(), QStringLiteral("kept"));
    QVERIFY(f->editor()->isVisible() || !form.isVisible());
    QCOMPARE(form.windowTitle(), caption);
    QCOMPARE(form.recentFiles().value(0), path);
}

void TestDocuments::dropOnModifiedTextAsksFirst()
{
    const QString path = f->writeFile(QStringLiteral("a.txt"), "dropped");
    TMainForm& form = startedForm();
    QTest::keyClicks(f->editorView(), QStringLiteral("unsaved"));
    f->dialogs.answers = { Button::Cancel };
    form.loadDroppedFile(path);
    QCOMPARE(f->editor()->text(), QStringLiteral("unsaved"));
    QVERIFY(form.recentFiles().value(0).isEmpty());
}

void TestDocuments::replacingUnsavedTextAsksFirst_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<Button>("answer");
    for (const QString command : { "Tree", "FileNewItem", "ToolButton1" }) {
        QTest::addRow("%s, cancel keeps the text", qPrintable(command)) << command << Button::Cancel;
        QTest::addRow("%s, no goes on", qPrintable(command)) << command << Button::No;
    }
}

void TestDocuments::replacingUnsavedTextAsksFirst()
{
    QFETCH(QString, command);
    QFETCH(Button, answer);
    const QString path = f->writeFile(QStringLiteral("a.txt"), QByteArray());
    f->writeFile(QStringLiteral("other.txt"), "other\r\n");
    f->writeValues(MainFormFixture::firstRunValues());
    f->createForm({ path }).show();
    QTest::keyClicks(f->editorView(), QStringLiteral("unsaved"));
    f->dialogs.answers = { answer };
    if (command == QLatin1String("Tree")) {
        trigger(QStringLiteral("CoolTree"));
        auto* tree = f->control<QTreeWidget>(QStringLiteral("Tree"));
        QList<QTreeWidgetItem*> found;
        QTRY_VERIFY(
            !(found = tree->findItems(QStringLiteral("other.txt"), Qt::MatchExactly | Qt::MatchRecursive)).isEmpty());
        tree->setCurrentItem(found.constFirst());
        f->form->features().workTree().TreeDblClick();
    } else {
        trigger(command);
    }
    QCOMPARE(f->dialogs.questions, QStringList { kSavePrompt });
    if (answer == Button::Cancel) {
        QCOMPARE(f->editor()->text(), QStringLiteral("unsaved"));
        QVERIFY(f->editor()->isModified());
        return;
    }
    if (command == QLatin1String("Tree")) {
        QCOMPARE(f->editor()->text(), QStringLiteral("other"));
        return;
    }
    QCOMPARE(f->editor()->text(), QString());
    trigger(QStringLiteral("EditUndoItem"));
    QCOMPARE(f->editor()->text(), QStringLiteral("unsaved"));
    QVERIFY(f->editor()->isModified());
}

void TestDocuments::saveAsAsksBeforeReplacingTheFinalName()
{
    const QString folder = f->settings.dir() + QLatin1Char('/');
    const QString existing = f->writeFile(QStringLiteral("memo.txt"), "old\r\n");
    startedForm();
    f->editor()->setText(QStringLiteral("new"));
    f->editor()->setModified(true);
    // Typed without extension; the text file type makes it memo.txt, which exists.
    f->dialogs.files = { folder + QStringLiteral("memo"), std::nullopt };
    f->dialogs.pickFilter = 1;
    f->dialogs.answers = { Button::No };
    trigger(QStringLiteral("FileSaveAsItem"));
    QCOMPARE(f->dialogs.questions, QStringList { kOverwriteExisting.arg(existing) });
    QCOMPARE(f->dialogs.saveStates.size(), 2); // No went back to the dialog, which was then cancelled
    QCOMPARE(f->dialogs.saveStates[1].fileName, existing);
    QCOMPARE(bytesOf(existing), QByteArray("old\r\n"));
    QVERIFY(f->editor()->isModified());

    f->dialogs.files = { folder + QStringLiteral("memo") };
    f->dialogs.answers = { Button::Yes };
    trigger(QStringLiteral("FileSaveAsItem"));
    QCOMPARE(bytesOf(existing), QByteArray("new\r\n"));
    QVERIFY(!f->editor()->isModified());
}

void TestDocuments::saveAfterAnotherProgramsChange_data()
{
    QTest::addColumn<QString>("change");
    QTest::addColumn<Button>("answer");
    QTest::addColumn<bool>("asked");
    QTest::newRow("untouched saves unasked") << "none" << Button::No << false;
    QTest::newRow("rewritten, no keeps theirs") << "rewrite" << Button::No << true;
    QTest::newRow("rewritten, yes writes ours") << "rewrite" << Button::Yes << true;
    QTest::newRow("replaced by a twin of the same size and time") << "replace" << Button::No << true;
    QTest::newRow("deleted, no leaves it deleted") << "delete" << Button::No << true;
}

void TestDocuments::saveAfterAnotherProgramsChange()
{
    QFETCH(QString, change);
    QFETCH(Button, answer);
    QFETCH(bool, asked);
    const QString path = f->writeFile(QStringLiteral("shared.txt"), "loaded\r\n");
    startedForm();
    f->form->loadDroppedFile(path);
    QTest::keyClicks(f->editorView(), QStringLiteral("mine "));

    QByteArray theirs = bytesOf(path);
    if (change == QLatin1String("rewrite")) {
        theirs = "their longer text\r\n";
        f->writeFile(QStringLiteral("shared.txt"), theirs);
    } else if (change == QLatin1String("replace")) {
        // Same bytes, same time; only the identity tells it is another file.
        const QDateTime modified = QFileInfo(path).lastModified();
        const QString twin = f->writeFile(QStringLiteral("twin.txt"), theirs);
        QFile twinFile(twin);
        QVERIFY(twinFile.open(QIODevice::ReadWrite));
        QVERIFY(twinFile.setFileTime(modified, QFileDevice::FileModificationTime));
        twinFile.close();
        QVERIFY(QFile::remove(path));
        QVERIFY(QFile::rename(twin, path));
    } else if (change == QLatin1String("delete")) {
        QVERIFY(QFile::remove(path));
        theirs = "<missing>";
    }
    f->dialogs.answers = { answer };
    trigger(QStringLiteral("FileSaveItem"));

    QCOMPARE(f->dialogs.questions, asked ? QStringList { kChangedByOtherProgram.arg(path) } : QStringList());
    const bool written = !asked || answer == Button::Yes;
    QCOMPARE(bytesOf(path), written ? QByteArray("mine loaded\r\n") : theirs);
    QCOMPARE(f->editor()->isModified(), !written);
    if (written) {
        // Our own save is not another program's change.
        f->dialogs.questions.clear();
        QTest::keyClicks(f->editorView(), QStringLiteral("x"));
        trigger(QStringLiteral("FileSaveItem"));
        QVERIFY(f->dialogs.questions.isEmpty());
    }
}

void TestDocuments::commandLineNameThatDoesNotExistYet()
{
    const QString path = f->settings.dir() + QStringLiteral("/new file.txt");
    f->writeValues(MainFormFixture::firstRunValues());
    TMainForm& form = f->createForm({ path });
    QVERIFY2(f->dialogs.messages.isEmpty(), qPrintable(f->dialogs.messages.join(u'|')));
    QCOMPARE(form.currentFileName(), path);
    QCOMPARE(form.windowTitle(), QStringLiteral("[*][ %1 ]-%2").arg(path, kVersionCaption));
    QVERIFY(!QFile::exists(path));
    QTest::keyClicks(f->editorView(), QStringLiteral("first"));
    trigger(QStringLiteral("FileSaveItem"));
    QVERIFY(f->dialogs.saveStates.isEmpty());
    QVERIFY(f->dialogs.questions.isEmpty());
    QCOMPARE(bytesOf(path), QByteArray("first\r\n"));
    f->form.reset();

    // A missing folder is still an error: said once, and the window comes up unnamed.
    const QString inMissingFolder = f->settings.dir() + QStringLiteral("/no such folder/new.txt");
    TMainForm& second = f->createForm({ inMissingFolder });
    QCOMPARE(f->dialogs.messages.size(), 1);
    QVERIFY(second.currentFileName() != inMissingFolder);
    QVERIFY(!QFileInfo::exists(inMissingFolder));
}

void TestDocuments::savedBytesMatchTheFile_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("NUL bytes, CP932") << QByteArray("a\0b\r\n\0\r\n\x93\xfa\x96\x7b\0\r\n", 15);
    QTest::newRow("NUL bytes, UTF-8") << QByteArray("\0x\n\xe6\x97\xa5\0\n", 8);
    QByteArray large;
    while (large.size() < 9 * 1024 * 1024)
        large += "\x93\xfa\x96\x7b\x8c\xea line with text\r\n";
    QTest::newRow("several slices, CP932") << large;
}

// A load and a save without an edit give the file back byte for byte.
void TestDocuments::savedBytesMatchTheFile()
{
    QFETCH(QByteArray, bytes);
    const QString path = f->writeFile(QStringLiteral("n.txt"), bytes);
    startedForm();
    // Yes to opening what looks binary, and yes to saving over the deleted file.
    f->dialogs.answers = { Button::Yes, Button::Yes };
    f->form->loadDroppedFile(path);
    QCOMPARE(f->form->currentFileName(), path);
    // Deleted behind the window's back, so the bytes below can only come from this save.
    QFile::remove(path);
    f->editor()->setModified(true);
    trigger(QStringLiteral("FileSaveItem"));
    QVERIFY2(f->dialogs.messages.isEmpty(), qPrintable(f->dialogs.messages.join(u'|')));
    QCOMPARE(bytesOf(path), bytes);
    QVERIFY(!f->editor()->isModified());
}

QTEST_MAIN(TestDocuments)
#include "tst_documents.moc"
