// SPDX-License-Identifier: MIT
// Loading and saving on the real editor window: the busy cursor comes and goes with the work, and
// a document that arrives in slices is the same document as one read whole.
#include "document/document.h"
#include "document/editortexts.h"
#include "document/scintilla/scintillaview.h"
#include "formats/plaintext.h"
#include "mainformfixture.h"
#include "view/statusrow.h"
#include "window/documentcontroller.h"

#include <QApplication>
#include <QFile>
#include <QInputMethodEvent>
#include <QLabel>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>

#include <algorithm>

using namespace pemmo::formats;

class TestLoadFeedback final : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();

    void busyCursorDuringLoadAndRestoredAfter();
    void cursorRestoredAfterFailedLoad_data();
    void cursorRestoredAfterFailedLoad();
    void cursorRestoredAfterSaveAndFailedSave();
    void loadedDocumentStartsClean();
    void slicedDecodingGivesTheSameText_data();
    void slicedDecodingGivesTheSameText();
    void largeFileLoadsWhileTheWindowAnswers();
    void closingDuringALoadStopsItAndChangesNothing_data();
    void closingDuringALoadStopsItAndChangesNothing();
    void loadSaysHowFarAndTakesNoTyping();
    void longSaveSaysHowFar();

private:
    DocumentController& documents() const { return f->form->documents(); }
    std::unique_ptr<MainFormFixture> f;
};

void TestLoadFeedback::init()
{
    f = std::make_unique<MainFormFixture>();
    f->writeValues(MainFormFixture::firstRunValues());
    f->createForm();
}

void TestLoadFeedback::cleanup()
{
    f->form.reset();
    f.reset();
    // A cursor left behind by one test must not hide a fault in the next.
    while (QApplication::overrideCursor())
        QApplication::restoreOverrideCursor();
}

void TestLoadFeedback::busyCursorDuringLoadAndRestoredAfter()
{
    const QString path = f->writeFile(QStringLiteral("a.txt"), "\x93\xfa\x96\x7b\r\nline 2\r\n");
    int shapeWhileLoading = -1;
    // The event loop runs between slices, so a timer comes due while the load is on.
    QTimer::singleShot(0, this, [&shapeWhileLoading] {
        if (const QCursor* cursor = QApplication::overrideCursor())
            shapeWhileLoading = cursor->shape();
    });
    QVERIFY(documents().loadIntoDocumentEditor(path));
    QCOMPARE(shapeWhileLoading, int(Qt::WaitCursor));
    QVERIFY(!QApplication::overrideCursor());
    QCOMPARE(f->editor()->text(), QStringLiteral("日本\nline 2"));
}

void TestLoadFeedback::cursorRestoredAfterFailedLoad_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("missing file") << "missing.txt";
    QTest::newRow("a folder") << "folder";
}

void TestLoadFeedback::cursorRestoredAfterFailedLoad()
{
    QFETCH(QString, name);
    QDir(f->settings.dir()).mkpath(QStringLiteral("folder"));
    f->editor()->setText(QStringLiteral("kept"));
    QVERIFY(!documents().loadIntoDocumentEditor(f->settings.dir() + QLatin1Char('/') + name));
    QCOMPARE(f->dialogs.messages.size(), 1);
    QVERIFY(!QApplication::overrideCursor());
    QCOMPARE(f->editor()->text(), QStringLiteral("kept"));
}

void TestLoadFeedback::cursorRestoredAfterSaveAndFailedSave()
{
    f->editor()->setText(QStringLiteral("text"));
    f->editor()->setModified(true);
    f->dialogs.files = { f->settings.dir() + QStringLiteral("/saved.txt") };
    f->dialogs.pickFilter = 7;
    QVERIFY(documents().FileSaveAs());
    QVERIFY(!QApplication::overrideCursor());

    f->editor()->setModified(true);
    f->dialogs.files = { f->settings.dir() + QStringLiteral("/no/such/folder/x.txt") };
    QVERIFY(!documents().FileSaveAs());
    QCOMPARE(f->dialogs.messages.size(), 1);
    QVERIFY(!QApplication::overrideCursor());
    QVERIFY(f->editor()->isModified());
}

void TestLoadFeedback::loadedDocumentStartsClean()
{
    // A previous document with undo history, a modified flag and the caret at its end.
    QTest::keyClicks(f->editorView(), QStringLiteral("typed before"));
    QVERIFY(f->editor()->isUndoAvailable());
    QVERIFY(f->editor()->isModified());

    QByteArray bytes;
    for (int i = 0; i < 3000; ++i)
        bytes += "line " + QByteArray::number(i) + "\r\n";
    const QString path = f->writeFile(QStringLiteral("b.txt"), bytes);
    QVERIFY(documents().loadIntoDocumentEditor(path));

    QVERIFY(!f->editor()->isUndoAvailable());
    QVERIFY(!f->editor()->isModified());
    QCOMPARE(f->editor()->selectionStart(), 0);
    QCOMPARE(f->editor()->selectionLength(), 0);
    QCOMPARE(f->editor()->lineCount(), 3000);
    QCOMPARE(f->editor()->lineIndex(2999), f->editor()->text().lastIndexOf(QStringLiteral("line 2999")));
    QCOMPARE(f->editor()->verticalScrollBar()->value(), 0);
    QCOMPARE(f->editor()->text(),
             QString::fromLatin1(bytes).replace(QStringLiteral("\r\n"), QStringLiteral("\n")).chopped(1));

    // Typing after the load is one undo step away from the loaded text.
    QTest::keyClicks(f->editorView(), QStringLiteral("x"));
    QVERIFY(f->editor()->isModified());
    f->editor()->undo();
    QVERIFY(f->editor()->text().startsWith(QStringLiteral("line 0\nline 1")));
    QVERIFY(!f->editor()->isUndoAvailable());
}

void TestLoadFeedback::slicedDecodingGivesTheSameText_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("encoding");
    QTest::newRow("CR LF, final break") << QByteArray("ab\r\ncd\r\n\r\nef\r\n") << int(Encoding::Cp932);
    QTest::newRow("no final break") << QByteArray("ab\ncd\nef") << int(Encoding::Cp932);
    QTest::newRow("only breaks") << QByteArray("\n\n\n") << int(Encoding::Cp932);
    QTest::newRow("two final breaks") << QByteArray("a\r\n\r\n") << int(Encoding::Cp932);
    QTest::newRow("lone CRs") << QByteArray("a\rb\rc\r") << int(Encoding::Cp932);
    QTest::newRow("mixed endings") << QByteArray("a\r\nb\nc\rd\r\n") << int(Encoding::Cp932);
    QTest::newRow("double-byte CP932") << QByteArray("\x93\xfa\x96\x7b\n\x8c\xea\x5c\n\x81\x40")
                                       << int(Encoding::Cp932);
    QTest::newRow("cut-off lead byte") << QByteArray("ab\n\x93") << int(Encoding::Cp932);
    QTest::newRow("invalid byte mid-line") << QByteArray("a\xff\nb\n") << int(Encoding::Cp932);
    QTest::newRow("UTF-8 with BOM") << QByteArray("\xEF\xBB\xBF\xe6\x97\xa5\n\xe6\x9c\xac\r\n") << int(Encoding::Utf8);
    QTest::newRow("EUC-JP") << QByteArray("\xc6\xfc\xcb\xdc\n\xb8\xec\n") << int(Encoding::EucJp);
    QTest::newRow("UTF-16LE") << QByteArray("\xFF\xFE"
                                            "a\0\n\0b\0\r\0\n\0",
                                            12)
                              << int(Encoding::Utf16Le);
}

void TestLoadFeedback::slicedDecodingGivesTheSameText()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, encoding);
    const DecodedText whole = decodePlainText(bytes, Encoding(encoding));
    for (const qsizetype sliceBytes : { 1, 2, 3, 5 }) {
        QString joined;
        int slices = 0;
        qint64 lastDone = 0;
        const DecodedText sliced = decodePlainTextInSlices(
            bytes, Encoding(encoding),
            [&](QStringView slice) {
                joined += slice;
                ++slices;
            },
            [&](qint64 done, qint64 total) {
                QVERIFY(done >= lastDone && done <= total);
                QCOMPARE(total, qint64(bytes.size()));
                lastDone = done;
            },
            sliceBytes);
        QCOMPARE(joined, whole.text);
        QVERIFY(sliced.text.isEmpty());
        QCOMPARE(sliced.format, whole.format);
        QCOMPARE(sliced.lossy, whole.lossy);
        QCOMPARE(lastDone, qint64(bytes.size()));
        if (sliceBytes == 1 && bytes.count('\n') > 1 && Encoding(encoding) != Encoding::Utf16Le)
            QVERIFY2(slices > 1, "a text of several lines comes in several slices");
    }
}

namespace {
// Over two of the editor's load slices of CP932 text, with a line break now and then.
QByteArray largeCp932Text()
{
    QByteArray line;
    for (int i = 0; i < 30; ++i)
        line += "\x93\xfa\x96\x7b\x8c\xea "; // 日本語
    line += "\r\n";
    QByteArray bytes;
    bytes.reserve(10 * 1024 * 1024);
    while (bytes.size() < 10 * 1024 * 1024)
        bytes += line;
    return bytes;
}
} // namespace

void TestLoadFeedback::largeFileLoadsWhileTheWindowAnswers()
{
    f->form->show();
    const QByteArray bytes = largeCp932Text();
    const QString path = f->writeFile(QStringLiteral("large.txt"), bytes);
    // A tab width other than the default: the view's new document must keep it.
    const long tabWidth = f->editorView()->sci(QsciScintillaBase::SCI_GETTABWIDTH) + 3;
    f->editorView()->sci(QsciScintillaBase::SCI_SETTABWIDTH, tabWidth);
    // A repeating timer stands for the window's own work: it must come due while the text goes in.
    int ticks = 0;
    QTimer ticker;
    connect(&ticker, &QTimer::timeout, this, [&] { ++ticks; });
    ticker.start(0);
    QVERIFY(documents().loadIntoDocumentEditor(path));
    ticker.stop();
    QVERIFY2(ticks >= 2, "the event loop ran during the load");
    const int lines = int(bytes.count("\r\n"));
    constexpr int kLine = 121; // 30 times "日本語 " and a break
    QCOMPARE(f->editor()->textLength(), qsizetype(lines) * kLine - 1);
    QVERIFY(!f->editor()->isModified());
    QVERIFY(!f->editor()->isUndoAvailable());
    QCOMPARE(f->editor()->selectionStart(), 0);

    // The document was built on another thread, apart from the view: it must be the view's own
    // kind all the same (UTF-8, the UTF-16 index, '\n' line ends, the tab width), or line
    // counts, caret offsets and selections go wrong.
    QCOMPARE(f->editor()->lineCount(), lines);
    const int middle = lines / 2;
    QCOMPARE(f->editor()->lineIndex(middle), middle * kLine);
    QCOMPARE(f->editor()->lineFromChar(middle * kLine + 5), middle);
    f->editor()->setSelection(middle * kLine + 4, 3);
    QCOMPARE(f->editor()->selectedText(), QStringLiteral("日本語"));
    QCOMPARE(f->editorView()->sci(QsciScintillaBase::SCI_GETTABWIDTH), tabWidth);
    QCOMPARE(f->editorView()->sci(QsciScintillaBase::SCI_GETCODEPAGE), long(QsciScintillaBase::SC_CP_UTF8));
    QCOMPARE(f->editorView()->sci(QsciScintillaBase::SCI_GETEOLMODE), long(QsciScintillaBase::SC_EOL_LF));

    // Typing there is recorded again and goes in at the caret: a Japanese character, then a line break.
    f->editor()->setSelection(middle * kLine + 4, 0);
    QInputMethodEvent commit;
    commit.setCommitString(QStringLiteral("字"));
    QApplication::sendEvent(f->editorView(), &commit);
    QTest::keyClick(f->editorView(), Qt::Key_Return);
    QVERIFY(f->editor()->isModified());
    QCOMPARE(f->editor()->lineCount(), lines + 1);
    QCOMPARE(f->editor()->lineIndex(middle + 1), middle * kLine + 6);
    QCOMPARE(f->editor()->text().mid(middle * kLine, 8), QStringLiteral("日本語 字\n日本"));
    while (f->editor()->isUndoAvailable())
        f->editor()->undo();
    QVERIFY(!f->editor()->isModified());
    QCOMPARE(f->editor()->textLength(), qsizetype(lines) * kLine - 1);
}

void TestLoadFeedback::closingDuringALoadStopsItAndChangesNothing_data()
{
    QTest::addColumn<bool>("whileDecoding");
    QTest::newRow("while the file is read") << false;
    QTest::newRow("while it is decoded on another thread") << true;
}

void TestLoadFeedback::closingDuringALoadStopsItAndChangesNothing()
{
    QFETCH(bool, whileDecoding);
    f->form->show();
    QVERIFY(QTest::qWaitForWindowExposed(f->form.get()));
    const QByteArray bytes = largeCp932Text();
    const QString path = f->writeFile(QStringLiteral("large.txt"), bytes);
    f->editor()->setText(QStringLiteral("unsaved"));
    f->editor()->setModified(true);
    const QByteArray hiveBefore = f->settings.hiveBytes();
    QTimer closer;
    connect(&closer, &QTimer::timeout, f->form.get(), [&] {
        // The editor is emptied when the decoding starts.
        if (whileDecoding && f->editor()->textLength() != 0)
            return;
        closer.stop();
        f->form->close();
    });
    closer.start(0);

    QVERIFY(!documents().loadIntoDocumentEditor(path));
    QVERIFY(!closer.isActive());
    QTRY_VERIFY(!f->form->isVisible());
    QVERIFY(f->dialogs.questions.isEmpty());
    QVERIFY(f->dialogs.messages.isEmpty());
    QVERIFY(!f->editor()->isModified());
    QCOMPARE(f->editor()->text(), QString());
    QVERIFY(!QApplication::overrideCursor());
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), bytes);
    QCOMPARE(f->settings.hiveBytes(), hiveBefore);
    QVERIFY(f->form->recentFiles().isEmpty() || f->form->recentFiles().value(0) != path);
}

void TestLoadFeedback::loadSaysHowFarAndTakesNoTyping()
{
    f->form->show();
    QVERIFY(QTest::qWaitForWindowExposed(f->form.get()));
    const QByteArray bytes = largeCp932Text();
    const QString path = f->writeFile(QStringLiteral("large.txt"), bytes);
    f->editor()->setText(QStringLiteral("previous"));
    f->editor()->setModified(false);
    f->editor()->focusText();
    QLabel* field = f->control<StatusRow>(QStringLiteral("Panel1"))->messageField();
    QStringList shown;
    bool typed = false;
    qsizetype lengthAfterTyping = -1;
    QTimer typist;
    connect(&typist, &QTimer::timeout, f->form.get(), [&] {
        shown += field->text();
        // Once the text has been emptied the decoding runs: a user types into the empty window.
        if (typed || f->editor()->textLength() != 0)
            return;
        typed = true;
        QTest::keyClicks(f->editorView(), QStringLiteral("abc"));
        QTest::keyClick(f->editorView(), Qt::Key_Return);
        lengthAfterTyping = f->editor()->textLength();
    });
    typist.start(5);
    QVERIFY(documents().loadIntoDocumentEditor(path));
    typist.stop();

    QVERIFY2(typed, "the load ran long enough to type into");
    QCOMPARE(lengthAfterTyping, qsizetype(0));
    const QRegularExpression progress(QStringLiteral("^読み込み中… (\\d+)%$"));
    const QStringList progressShown = shown.filter(progress);
    QVERIFY2(!progressShown.isEmpty(), qPrintable(shown.join(QLatin1Char('|'))));
    // The text is the file, whole: nothing typed went in at its start, and it is unmodified.
    QVERIFY(!f->editor()->isModified());
    QVERIFY(!f->editor()->isUndoAvailable());
    QCOMPARE(f->editor()->text().left(4), QStringLiteral("日本語 "));
    QVERIFY(!field->text().startsWith(QStringLiteral("読み込み中")));
    // Once loaded, typing goes in again.
    QTest::keyClicks(f->editorView(), QStringLiteral("x"));
    QCOMPARE(f->editor()->text().left(5), QStringLiteral("x日本語 "));
}

void TestLoadFeedback::longSaveSaysHowFar()
{
    QString text;
    const QString line = QStringLiteral("日本語のテキスト %1\n");
    while (text.size() < 5 * 1024 * 1024)
        text += line.arg(text.size());
    f->editor()->setText(text);
    f->editor()->setModified(true);
    const QString path = f->settings.dir() + QStringLiteral("/long.txt");
    f->dialogs.files = { path };
    f->dialogs.pickFilter = 7;
    QLabel* field = f->control<StatusRow>(QStringLiteral("Panel1"))->messageField();
    QStringList shown;
    int reports = 0;
    connect(&f->form->document(), &Document::saveProgress, this, [&](int) {
        ++reports;
        shown += field->text();
    });
    QVERIFY(documents().FileSaveAs());
    QVERIFY(reports > 1);
    // A save this long says so from its start and on as it goes; the busy cursor is gone after it.
    const QRegularExpression progress(QStringLiteral("^保存中… (\\d+)%$"));
    QCOMPARE(shown.filter(progress).size(), shown.size());
    QVERIFY(!QApplication::overrideCursor());
    QVERIFY(field->text().endsWith(kDocumentSavedSuffix));
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QVERIFY(file.size() > text.size());
    QVERIFY(file.read(6) == QByteArray("\x93\xfa\x96\x7b\x8c\xea"));
}

QTEST_MAIN(TestLoadFeedback)
#include "tst_loadfeedback.moc"
