// SPDX-License-Identifier: MIT
// Grep from the editor window's menu, its result opened line by line, Grep-replace over files in
// several encodings, and the jump to a line by Ctrl+G and by the command line, all through the
// real TMainForm.
#include "app/commandline.h"
#include "formats/recoverystore.h"
#include "mainformfixture.h"
#include "view/statusrow.h"
#include "window/grepcommands.h"

#include <QAction>
#include <QDir>
#include <QDirIterator>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QStringEncoder>
#include <QTest>
#include <QTimer>

namespace {

QByteArray cp932(const QString& text)
{
    QStringEncoder encoder("Shift_JIS");
    return encoder.encode(text);
}

QByteArray eucJp(const QString& text)
{
    QStringEncoder encoder("EUC-JP");
    return encoder.encode(text);
}

QByteArray utf16le(const QString& text)
{
    QStringEncoder encoder(QStringEncoder::Utf16LE, QStringEncoder::Flag::WriteBom);
    return encoder.encode(text);
}

QByteArray bytesOf(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(unreadable)");
}

// The recovery copies left in the recovery folder.
QStringList recoveryCopies()
{
    QStringList copies;
    QDirIterator it(pemmo::formats::recoveryFolder(), { QStringLiteral("*.copy") }, QDir::Files);
    while (it.hasNext())
        copies.append(it.next());
    return copies;
}

} // namespace

class TestGrepJump : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init() { m_fixture = std::make_unique<MainFormFixture>(); }
    void cleanup() { m_fixture.reset(); }

    void grepFromMenuWritesResultAndOpensMatches();
    void grepInNamedDocumentStartsAnotherEditor();
    void badPatternIsToldNotSearched();
    void grepReplaceKeepsEachFileAsItWas();
    void cancelButtonStopsTheRun();
    void largeResultShowsWholeAtTheEnd();
    void resultColumnAfterCharacterBeyondBmp();
    void jumpMovesCaretAndPosition_data();
    void jumpMovesCaretAndPosition();
    void commandLinePlace_data();
    void commandLinePlace();

private:
    QString makeTree();
    std::unique_ptr<MainFormFixture> m_fixture;
};

QString TestGrepJump::makeTree()
{
    MainFormFixture& f = *m_fixture;
    const QString root = f.settings.dir() + QStringLiteral("/tree");
    QDir().mkpath(root + QStringLiteral("/sub"));
    QDir().mkpath(root + QStringLiteral("/.git"));
    const auto write = [](const QString& path, const QByteArray& bytes) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    };
    write(root + QStringLiteral("/a.txt"), cp932(QStringLiteral("一行目\r\n会議は東京で\r\n")));
    write(root + QStringLiteral("/sub/b.txt"), QStringLiteral("東京タワー\n").toUtf8());
    write(root + QStringLiteral("/.git/c.txt"), QStringLiteral("東京\n").toUtf8());
    write(root + QStringLiteral("/d.obj"), QStringLiteral("東京\n").toUtf8());
    return root;
}

void TestGrepJump::grepFromMenuWritesResultAndOpensMatches()
{
    MainFormFixture& f = *m_fixture;
    f.writeValues(MainFormFixture::firstRunValues());
    TMainForm& form = f.createForm();
    form.show();
    const QString root = makeTree();
    f.dialogs.grepAnswer = [&](GrepDialogFields& fields) {
        fields.pattern = QStringLiteral("東京");
        fields.folder = root;
        fields.fileMask = QStringLiteral("*;!*.obj");
    };
    QSignalSpy finished(&form.grep(), &GrepCommands::finished);
    f.control<QAction>(QStringLiteral("GrepItem"))->trigger();
    QVERIFY(finished.wait(10000));

    QCOMPARE(f.dialogs.grepShown.size(), 1);
    QCOMPARE(f.dialogs.grepShown.first().excludedFolders, QStringLiteral(".git;.svn"));
    const QString first = QDir::toNativeSeparators(root + QStringLiteral("/a.txt"));
    const QString second = QDir::toNativeSeparators(root + QStringLiteral("/sub/b.txt"));
    const QStringList lines = f.editor()->text().split(u'\n');
    QVERIFY(lines.contains(QStringLiteral("検索文字列: 東京")));
    const qsizetype at = lines.indexOf(first + QStringLiteral("(2,4) [Shift_JIS (CP932)]: 会議は東京で"));
    QVERIFY2(at > 0, qPrintable(f.editor()->text()));
    QCOMPARE(lines.at(at + 1), second + QStringLiteral("(1,1) [UTF-8]: 東京タワー"));
    QCOMPARE(lines.last(), QStringLiteral("2 件見つかりました。"));
    QVERIFY(form.windowTitle().contains(QStringLiteral("Grep \"東京\"")));
    QVERIFY(!f.editor()->isModified());

    // F12 on the first result line: an editor on that file, at the match, the match selected.
    f.editor()->setSelection(f.editor()->lineIndex(int(at)) + 3, 0);
    QTest::keyClick(f.editorView(), Qt::Key_F12);
    QCOMPARE(f.processes.startedAt, QStringList { first + QStringLiteral(" 2:4:2") });
    // Enter does the same, and types no line break into the result.
    f.editor()->setSelection(f.editor()->lineIndex(int(at + 1)), 0);
    QTest::keyClick(f.editorView(), Qt::Key_Return);
    QCOMPARE(f.processes.startedAt.size(), 2);
    QCOMPARE(f.processes.startedAt.last(), second + QStringLiteral(" 1:1:2"));
    QVERIFY(!f.editor()->isModified());
    // A double-click on a result line.
    QTest::mouseDClick(f.editorView()->viewport(), Qt::LeftButton, {}, f.pointAt(f.editor()->lineIndex(int(at)) + 2));
    QTRY_COMPARE(f.processes.startedAt.size(), 3);
    QCOMPARE(f.processes.startedAt.last(), first + QStringLiteral(" 2:4:2"));
    // The header is no result line: nothing starts.
    f.editor()->setSelection(0, 0);
    QTest::keyClick(f.editorView(), Qt::Key_F12);
    QCOMPARE(f.processes.startedAt.size(), 3);
}

void TestGrepJump::grepInNamedDocumentStartsAnotherEditor()
{
    MainFormFixture& f = *m_fixture;
    f.writeValues(MainFormFixture::firstRunValues());
    const QString root = makeTree();
    const QString file = f.writeFile(QStringLiteral("named.txt"), "mine\n");
    TMainForm& form = f.createForm({ file });
    form.show();
    f.dialogs.grepAnswer = [&](GrepDialogFields& fields) {
        fields.pattern = QStringLiteral("東京");
        fields.folder = root;
        fields.regex = true;
    };
    f.control<QAction>(QStringLiteral("GrepItem"))->trigger();
    // The named document stays; the Grep runs in an editor of its own, with the same conditions.
    QCOMPARE(f.editor()->text(), QStringLiteral("mine"));
    QCOMPARE(f.processes.grepEditors.size(), 1);
    const GrepDialogFields passed = GrepCommands::fieldsFromArguments(f.processes.grepEditors.first());
    QCOMPARE(passed.pattern, QStringLiteral("東京"));
    QCOMPARE(passed.folder, root);
    QVERIFY(passed.regex);
    QVERIFY(passed.subfolders);
    QVERIFY(!passed.caseSensitive);
}

void TestGrepJump::badPatternIsToldNotSearched()
{
    MainFormFixture& f = *m_fixture;
    f.writeValues(MainFormFixture::firstRunValues());
    f.createForm().show();
    const QString root = makeTree();
    f.dialogs.grepAnswer = [&](GrepDialogFields& fields) {
        fields.pattern = QStringLiteral("(東京");
        fields.folder = root;
        fields.regex = true;
    };
    f.control<QAction>(QStringLiteral("GrepItem"))->trigger();
    QCOMPARE(f.dialogs.messages.size(), 1);
    QVERIFY(f.dialogs.messages.first().startsWith(QStringLiteral("正規表現が正しくありません")));
    QVERIFY(f.editor()->text().isEmpty());
    QVERIFY(f.processes.grepEditors.isEmpty());
}

void TestGrepJump::grepReplaceKeepsEachFileAsItWas()
{
    MainFormFixture& f = *m_fixture;
    f.writeValues(MainFormFixture::firstRunValues());
    TMainForm& form = f.createForm();
    form.show();
    const QString root = f.settings.dir() + QStringLiteral("/mixed");
    QDir().mkpath(root + QStringLiteral("/sub"));
    const QString euc = QStringLiteral("東京の天気は晴れです。明日の東京は雨が降るでしょう。\n日本語の文章です。\n");
    struct Sample
    {
        QString name;
        QByteArray before;
    };
    const QList<Sample> samples {
        { QStringLiteral("/a.txt"), cp932(QStringLiteral("一行目\r\n会議は東京で\r\n東京と東京\r\n")) },
        { QStringLiteral("/sub/b.txt"), eucJp(euc) },
        { QStringLiteral("/c.txt"), QByteArray("\xEF\xBB\xBF") + QStringLiteral("東京へ行く").toUtf8() },
        { QStringLiteral("/d.txt"), utf16le(QStringLiteral("東京\r\n二行目\r\n")) },
        { QStringLiteral("/e.txt"), QStringLiteral("大阪だけ\n").toUtf8() },
    };
    const QDateTime old = QDateTime::currentDateTime().addDays(-3);
    for (const Sample& sample : samples) {
        QFile file(root + sample.name);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(sample.before);
        file.close();
        QVERIFY(file.open(QIODevice::ReadWrite));
        QVERIFY(file.setFileTime(old, QFileDevice::FileModificationTime));
    }
    const auto path = [&root](const QString& name) { return root + name; };
    const QDateTime untouchedTime = QFileInfo(path(QStringLiteral("/e.txt"))).lastModified();
    QSignalSpy finished(&form.grep(), &GrepCommands::finished);
    const auto run = [&](const QString& pattern, const QString& replacement, bool regex) {
        f.dialogs.grepAnswer = [&](GrepDialogFields& fields) {
            fields.pattern = pattern;
            fields.folder = root;
            fields.fileMask = QStringLiteral("*.txt");
            fields.regex = regex;
            fields.replacement = replacement;
            fields.replace = true;
        };
        f.control<QAction>(QStringLiteral("GrepItem"))->trigger();
        return finished.wait(10000);
    };

    // Declined: the question names the files and matches, and nothing is written. The status
    // row has followed the count up to it.
    f.dialogs.answers = { Dialogs::Button::No };
    QString statusAtQuestion;
    f.dialogs.onAsk = [&] {
        statusAtQuestion = f.control<StatusRow>(QStringLiteral("Panel1"))->messageField()->text();
    };
    QVERIFY(run(QStringLiteral("東京"), QStringLiteral("大阪"), false));
    f.dialogs.onAsk = nullptr;
    QCOMPARE(f.dialogs.questions,
             QStringList { QStringLiteral("4 個のファイルの 7 箇所を置き換えます。よろしいですか?") });
    QCOMPARE(statusAtQuestion, QStringLiteral("Grep置換: 置換箇所を数えています 4 / 4 ファイル（Esc で中止）"));
    for (const Sample& sample : samples)
        QCOMPARE(bytesOf(path(sample.name)), sample.before);
    QVERIFY(f.editor()->text().endsWith(QStringLiteral("置換を取りやめました。どのファイルも変更していません。")));

    // Agreed: every file in its own encoding, BOM and line breaks; the unmatched one untouched.
    f.dialogs.answers = { Dialogs::Button::Yes };
    QVERIFY(run(QStringLiteral("東京"), QStringLiteral("大阪"), false));
    QCOMPARE(f.dialogs.questions.size(), 2);
    QCOMPARE(bytesOf(path(QStringLiteral("/a.txt"))),
             cp932(QStringLiteral("一行目\r\n会議は大阪で\r\n大阪と大阪\r\n")));
    QCOMPARE(bytesOf(path(QStringLiteral("/sub/b.txt"))),
             eucJp(QString(euc).replace(QStringLiteral("東京"), QStringLiteral("大阪"))));
    QCOMPARE(bytesOf(path(QStringLiteral("/c.txt"))),
             QByteArray("\xEF\xBB\xBF") + QStringLiteral("大阪へ行く").toUtf8());
    QCOMPARE(bytesOf(path(QStringLiteral("/d.txt"))), utf16le(QStringLiteral("大阪\r\n二行目\r\n")));
    QCOMPARE(bytesOf(path(QStringLiteral("/e.txt"))), samples.last().before);
    QCOMPARE(QFileInfo(path(QStringLiteral("/e.txt"))).lastModified(), untouchedTime);
    QStringList lines = f.editor()->text().split(u'\n');
    QVERIFY(lines.contains(QStringLiteral("置換後の文字列: 大阪")));
    QVERIFY2(lines.contains(QDir::toNativeSeparators(path(QStringLiteral("/a.txt"))) +
                            QStringLiteral(" [Shift_JIS (CP932)]: 3 箇所を置き換えました。")),
             qPrintable(f.editor()->text()));
    QVERIFY(lines.contains(QDir::toNativeSeparators(path(QStringLiteral("/sub/b.txt"))) +
                           QStringLiteral(" [EUC-JP]: 2 箇所を置き換えました。")));
    QCOMPARE(lines.last(), QStringLiteral("4 個のファイルの 7 箇所を置き換えました。"));
    QVERIFY(recoveryCopies().isEmpty());
    QVERIFY(!f.editor()->isModified());

    // A replacement CP932 and EUC-JP cannot hold: those files stay and are named; groups expand.
    f.dialogs.answers = { Dialogs::Button::Yes };
    const QByteArray cp932Before = bytesOf(path(QStringLiteral("/a.txt")));
    const QByteArray eucBefore = bytesOf(path(QStringLiteral("/sub/b.txt")));
    QVERIFY(run(QStringLiteral("大(阪)"), QStringLiteral("𠮷$1"), true));
    QCOMPARE(f.dialogs.questions.last(), QStringLiteral("5 個のファイルの 8 箇所を置き換えます。よろしいですか?"));
    QCOMPARE(bytesOf(path(QStringLiteral("/a.txt"))), cp932Before);
    QCOMPARE(bytesOf(path(QStringLiteral("/sub/b.txt"))), eucBefore);
    QCOMPARE(bytesOf(path(QStringLiteral("/c.txt"))),
             QByteArray("\xEF\xBB\xBF") + QStringLiteral("𠮷阪へ行く").toUtf8());
    QCOMPARE(bytesOf(path(QStringLiteral("/d.txt"))), utf16le(QStringLiteral("𠮷阪\r\n二行目\r\n")));
    QCOMPARE(bytesOf(path(QStringLiteral("/e.txt"))), QStringLiteral("𠮷阪だけ\n").toUtf8());
    lines = f.editor()->text().split(u'\n');
    QVERIFY2(lines.contains(
                 QStringLiteral(
                     "「%1」は置き換えると Shift_JIS (CP932) で書けない文字「𠮷」を含むため、変更しませんでした。")
                     .arg(path(QStringLiteral("/a.txt")))),
             qPrintable(f.editor()->text()));
    QCOMPARE(lines.last(), QStringLiteral("3 個のファイルの 3 箇所を置き換えました。"));
    QCOMPARE(lines.at(lines.size() - 2), QStringLiteral("置き換えなかったファイル: 2 個"));
    QVERIFY(recoveryCopies().isEmpty());
}

void TestGrepJump::cancelButtonStopsTheRun()
{
    MainFormFixture& f = *m_fixture;
    f.writeValues(MainFormFixture::firstRunValues());
    TMainForm& form = f.createForm();
    form.show();
    // Enough files that the run is still going when the button is clicked.
    const QString root = f.settings.dir() + QStringLiteral("/many");
    QDir().mkpath(root);
    const QByteArray text = QByteArray("東京\n").repeated(20000);
    for (int i = 0; i < 400; ++i) {
        QFile file(root + QStringLiteral("/f%1.txt").arg(i));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(text);
    }
    f.dialogs.grepAnswer = [&](GrepDialogFields& fields) {
        fields.pattern = QStringLiteral("東京");
        fields.folder = root;
    };
    auto* button = f.control<QPushButton>(QStringLiteral("GrepCancel"));
    QVERIFY(button->isHidden());
    QSignalSpy finished(&form.grep(), &GrepCommands::finished);
    f.control<QAction>(QStringLiteral("GrepItem"))->trigger();
    QVERIFY(button->isVisible());
    QCOMPARE(button->text(), QStringLiteral("中止"));
    QTRY_VERIFY(f.editor()->text().contains(QStringLiteral("(1,1) [UTF-8]: 東京")));
    QTest::mouseClick(button, Qt::LeftButton);
    QVERIFY(finished.wait(5000));
    QVERIFY(button->isHidden());
    QVERIFY2(f.editor()->text().split(u'\n').last().startsWith(QStringLiteral("中止しました。")),
             qPrintable(f.editor()->text().right(200)));
}

void TestGrepJump::largeResultShowsWholeAtTheEnd()
{
    MainFormFixture& f = *m_fixture;
    f.writeValues(MainFormFixture::firstRunValues());
    TMainForm& form = f.createForm();
    form.show();
    // About six million characters of result: more than the window grows while the run goes on.
    const QString root = f.settings.dir() + QStringLiteral("/large");
    QDir().mkpath(root);
    constexpr int kLines = 70000;
    QByteArray text;
    for (int i = 1; i <= kLines; ++i)
        text += QStringLiteral("%1 行目: 東京の記録\n").arg(i).toUtf8();
    const QString path = root + QStringLiteral("/records.txt");
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(text);
    file.close();
    f.dialogs.grepAnswer = [&](GrepDialogFields& fields) {
        fields.pattern = QStringLiteral("東京");
        fields.folder = root;
    };
    QLabel* status = f.control<StatusRow>(QStringLiteral("Panel1"))->messageField();
    // Where the window stops growing the result, it says so, there and in the status row.
    bool toldLater = false;
    bool toldInText = false;
    QTimer watch;
    connect(&watch, &QTimer::timeout, [&] {
        if (toldLater || !status->text().contains(QStringLiteral("終わりにまとめて")))
            return;
        toldLater = true;
        toldInText = f.editor()->text().endsWith(
            QStringLiteral("……結果が多いため、ここから先は検索が終わったところでまとめて表示します。\n"));
    });
    watch.start(5);
    QSignalSpy finished(&form.grep(), &GrepCommands::finished);
    f.control<QAction>(QStringLiteral("GrepItem"))->trigger();
    QVERIFY(finished.wait(60000));
    watch.stop();
    QVERIFY(toldLater);
    QVERIFY(toldInText);

    // Every line, in order, as if it had all grown in the window; a result like any other.
    const QStringList lines = f.editor()->text().split(u'\n');
    const QString native = QDir::toNativeSeparators(path);
    const qsizetype first = lines.indexOf(native + QStringLiteral("(1,7) [UTF-8]: 1 行目: 東京の記録"));
    QVERIFY(first > 0);
    for (int i = 1; i <= kLines; i += 997) {
        const QString number = QString::number(i);
        QCOMPARE(lines.at(first + i - 1),
                 native + QStringLiteral("(%1,%2) [UTF-8]: %1 行目: 東京の記録").arg(number).arg(number.size() + 6));
    }
    QCOMPARE(lines.at(first + kLines - 1), native + QStringLiteral("(70000,11) [UTF-8]: 70000 行目: 東京の記録"));
    QCOMPARE(lines.last(), QStringLiteral("70000 件見つかりました。"));
    QVERIFY(!f.editor()->text().contains(QStringLiteral("まとめて表示します")));
    QVERIFY(!f.editor()->isModified());
    QVERIFY(!f.editor()->isUndoAvailable());
    // A line far past what grew in the window opens as any result line does.
    f.editor()->setSelection(f.editor()->lineIndex(int(first + 68000)), 0);
    QTest::keyClick(f.editorView(), Qt::Key_F12);
    QCOMPARE(f.processes.startedAt, QStringList { native + QStringLiteral(" 68001:11:2") });
}

void TestGrepJump::resultColumnAfterCharacterBeyondBmp()
{
    MainFormFixture& f = *m_fixture;
    f.writeValues(MainFormFixture::firstRunValues());
    // 𠮷 is one character (one column) in the result and two UTF-16 units in the editor.
    const QString root = f.settings.dir() + QStringLiteral("/yoshi");
    QDir().mkpath(root);
    const QString file = root + QStringLiteral("/yoshi.txt");
    {
        QFile out(file);
        QVERIFY(out.open(QIODevice::WriteOnly));
        out.write(QStringLiteral("一行目\n𠮷野家と𠮷田の東京店\n").toUtf8());
    }
    TMainForm& grepForm = f.createForm();
    grepForm.show();
    f.dialogs.grepAnswer = [&](GrepDialogFields& fields) {
        fields.pattern = QStringLiteral("東京");
        fields.folder = root;
    };
    QSignalSpy finished(&grepForm.grep(), &GrepCommands::finished);
    f.control<QAction>(QStringLiteral("GrepItem"))->trigger();
    QVERIFY(finished.wait(10000));
    const QStringList lines = f.editor()->text().split(u'\n');
    const qsizetype at = lines.indexOf(file + QStringLiteral("(2,8) [UTF-8]: 𠮷野家と𠮷田の東京店"));
    QVERIFY2(at > 0, qPrintable(f.editor()->text()));
    f.editor()->setSelection(f.editor()->lineIndex(int(at)), 0);
    QTest::keyClick(f.editorView(), Qt::Key_F12);
    QCOMPARE(f.processes.startedAt, QStringList { file + QStringLiteral(" 2:8:2") });

    // The editor that opens selects the match, not a unit short of it.
    const CommandLine commandLine = parseCommandLine({ QStringLiteral("+2:8:2"), file });
    TMainForm& form = f.createForm(commandLine.fileArguments);
    form.show();
    form.goToCommandLinePlace(*commandLine.place);
    QCOMPARE(f.editor()->selectedText(), QStringLiteral("東京"));
    QCOMPARE(f.editor()->selectionStart(), 4 + 9);
    // A length that reaches over 𠮷 takes the whole pair.
    form.goToCommandLinePlace(LinePlace { 2, 5, 2 });
    QCOMPARE(f.editor()->selectedText(), QStringLiteral("𠮷田"));
}

void TestGrepJump::jumpMovesCaretAndPosition_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("row"); // 0-based, where the caret ends
    QTest::addColumn<int>("column");
    QTest::addColumn<bool>("told");

    QTest::newRow("line") << QStringLiteral("3") << 2 << 0 << false;
    QTest::newRow("line and column") << QStringLiteral("2:4") << 1 << 3 << false;
    QTest::newRow("full-width, as an input method types it") << QStringLiteral("２：３") << 1 << 2 << false;
    QTest::newRow("past the last line: the last line") << QStringLiteral("99") << 3 << 0 << false;
    QTest::newRow("past the line's end: its end") << QStringLiteral("1:50") << 0 << 5 << false;
    QTest::newRow("not a number") << QStringLiteral("abc") << 0 << 0 << true;
    QTest::newRow("line zero") << QStringLiteral("0") << 0 << 0 << true;
}

void TestGrepJump::jumpMovesCaretAndPosition()
{
    QFETCH(QString, typed);
    QFETCH(int, row);
    QFETCH(int, column);
    QFETCH(bool, told);
    MainFormFixture& f = *m_fixture;
    f.writeValues(MainFormFixture::firstRunValues());
    const QString file = f.writeFile(QStringLiteral("lines.txt"), "first\nsecond line\nthird\nlast\n");
    TMainForm& form = f.createForm({ file });
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    f.dialogs.textAnswers = { typed };
    QTest::keyClick(f.editorView(), Qt::Key_G, Qt::ControlModifier);
    QCOMPARE(f.dialogs.textQuestions.size(), 1);
    QCOMPARE(f.dialogs.messages.size(), told ? 1 : 0);
    const int caret = f.editor()->selectionStart();
    QCOMPARE(f.editor()->lineFromChar(caret), row);
    QCOMPARE(caret - f.editor()->lineIndex(row), column);
    QCOMPARE(f.control<QLabel>(QStringLiteral("StatusBar2"))->text(),
             QStringLiteral("R: %1 C: %2").arg(row + 1).arg(column + 1));
}

void TestGrepJump::commandLinePlace_data()
{
    QTest::addColumn<QStringList>("arguments"); // %1: the folder of the files
    QTest::addColumn<QString>("opened"); // the file name the window shows
    QTest::addColumn<int>("selectionStart");
    QTest::addColumn<QString>("selected");

    // "lines.txt" holds "first\nsecond line\nthird\nlast".
    QTest::newRow("+LINE FILE") << QStringList { QStringLiteral("+3"), QStringLiteral("%1/lines.txt") }
                                << QStringLiteral("lines.txt") << 18 << QString();
    QTest::newRow("FILE:LINE:COLUMN") << QStringList { QStringLiteral("%1/lines.txt:2:8") }
                                      << QStringLiteral("lines.txt") << 13 << QString();
    QTest::newRow("+LINE:COLUMN:LENGTH selects the match")
        << QStringList { QStringLiteral("+2:8:4"), QStringLiteral("%1/lines.txt") } << QStringLiteral("lines.txt") << 13
        << QStringLiteral("line");
    QTest::newRow("a real file with ':' in its name stays that file")
        << QStringList { QStringLiteral("%1/notes:2") } << QStringLiteral("notes:2") << 0 << QString();
}

void TestGrepJump::commandLinePlace()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, opened);
    QFETCH(int, selectionStart);
    QFETCH(QString, selected);
    MainFormFixture& f = *m_fixture;
    f.writeValues(MainFormFixture::firstRunValues());
    f.writeFile(QStringLiteral("lines.txt"), "first\nsecond line\nthird\nlast\n");
    f.writeFile(QStringLiteral("notes"), "not this one\n");
    f.writeFile(QStringLiteral("notes:2"), "colon\nin the name\n");
    for (QString& argument : arguments)
        argument.replace(QStringLiteral("%1"), f.settings.dir());
    const CommandLine commandLine = parseCommandLine(arguments);
    TMainForm& form = f.createForm(commandLine.fileArguments);
    form.show();
    if (commandLine.place)
        form.goToCommandLinePlace(*commandLine.place);
    QCOMPARE(QFileInfo(form.currentFileName()).fileName(), opened);
    QCOMPARE(f.editor()->selectionStart(), selectionStart);
    QCOMPARE(f.editor()->selectedText(), selected);
}

QTEST_MAIN(TestGrepJump)
#include "tst_grepjump.moc"
