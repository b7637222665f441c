// SPDX-License-Identifier: MIT
// The document editor's interface, driven through its real view.
#include "document/documenteditor.h"
#include "document/scintilla/scintillaview.h"
#include "document/tabstops.h"
#include "ui/fontsubstitution.h"

#include <QAccessible>
#include <QInputMethodEvent>
#include <QMimeData>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QTextDocument>
#include <QThread>

#include <atomic>

Q_DECLARE_METATYPE(TextRange)

class TestDocumentEditor final : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

    void lines_data();
    void lines();
    void linesWithWordWrap();
    void firstVisibleLineFollowsScrolling();
    void find_data();
    void find();
    void findFoldsUnicodeCase_data();
    void findFoldsUnicodeCase();
    void replaceAll_data();
    void replaceAll();
    void modifiedFlag();
    void undo();
    void selection();
    void clickIsReportedAfterTheCaretMoved();
    void keysAreReportedAroundTheView();
    void fileDropIsNotPastedAsText();
    void textDropStillWorks();
    void tabStopRule_data();
    void tabStopRule();
    void coloursFollowTheStoredForm();
    void selectionCharFormat();
    void inputMethodCommitsOnce();
    void textWithNulCharacters();
    void longLinesShowOnlyTheirStart();
    void accessibleTextSpeaksUtf16();
    void largeUncolouredTextKeepsWorking();
    void loadWithoutRoomFailsAndShowsNothing();

private:
    ScintillaView* view() const { return m_editor->findChild<ScintillaView*>(); }
    QPoint caretPointAt(int index) const
    {
        m_editor->setSelection(index, 0);
        return m_editor->caretRect().center();
    }
    // Where the character at @p index is drawn; the caret stays where it is.
    QPoint pointAt(int index) const
    {
        const long position = long(view()->positionFromIndex(index));
        return QPoint(int(view()->sci(QsciScintillaBase::SCI_POINTXFROMPOSITION, 0, position)) + 1,
                      int(view()->sci(QsciScintillaBase::SCI_POINTYFROMPOSITION, 0, position)) + 2);
    }
    std::unique_ptr<DocumentEditor> m_editor;
};

void TestDocumentEditor::initTestCase()
{
    installFontSubstitutions();
}

void TestDocumentEditor::init()
{
    m_editor = std::make_unique<DocumentEditor>();
    QFont font(QStringLiteral("ＭＳ ゴシック"));
    font.setPointSize(10);
    m_editor->setEditorFont(font);
    m_editor->resize(400, 200);
    m_editor->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_editor.get()));
}

void TestDocumentEditor::cleanup()
{
    m_editor.reset();
}

void TestDocumentEditor::lines_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("index");
    QTest::addColumn<int>("line");
    QTest::addColumn<int>("lineStart");

    QTest::newRow("start") << QStringLiteral("ab\ncd") << 0 << 0 << 0;
    QTest::newRow("end of first line") << QStringLiteral("ab\ncd") << 2 << 0 << 0;
    QTest::newRow("start of second line") << QStringLiteral("ab\ncd") << 3 << 1 << 3;
    QTest::newRow("double-width text") << QStringLiteral("日本\n語です\n") << 6 << 1 << 3;
    QTest::newRow("empty last line") << QStringLiteral("a\n\n") << 3 << 2 << 3;
    QTest::newRow("past the end is the last line") << QStringLiteral("a\nb") << 99 << 1 << 2;
}

void TestDocumentEditor::lines()
{
    QFETCH(QString, text);
    QFETCH(int, index);
    QFETCH(int, line);
    QFETCH(int, lineStart);
    m_editor->setText(text);
    QCOMPARE(m_editor->lineFromChar(index), line);
    QCOMPARE(m_editor->lineIndex(line), lineStart);
}

void TestDocumentEditor::linesWithWordWrap()
{
    m_editor->setWordWrap(true);
    m_editor->setText(QString(200, QLatin1Char('x')) + QStringLiteral("\nnext"));
    QCoreApplication::processEvents();
    const int nextLine = m_editor->lineFromChar(201);
    QVERIFY2(nextLine > 1, "a long paragraph takes several laid-out lines");
    QCOMPARE(m_editor->lineIndex(nextLine), 201);
    QCOMPARE(m_editor->lineCount(), nextLine + 1);
    const int second = m_editor->lineIndex(1);
    QVERIFY(second > 0 && second < 200);
    QCOMPARE(m_editor->lineFromChar(second), 1);
}

void TestDocumentEditor::firstVisibleLineFollowsScrolling()
{
    QStringList lines;
    for (int i = 0; i < 300; ++i)
        lines.append(QString::number(i));
    m_editor->setText(lines.join(QLatin1Char('\n')));
    QSignalSpy scrolled(m_editor.get(), &DocumentEditor::verticalScrolled);
    QCOMPARE(m_editor->firstVisibleLine(), 0);
    m_editor->setSelection(m_editor->lineIndex(250), 0);
    QVERIFY(scrolled.size() > 0);
    // The line drawn at the top of the text area.
    const int top = int(view()->SendScintilla(QsciScintillaBase::SCI_LINEFROMPOSITION,
                                              view()->SendScintilla(QsciScintillaBase::SCI_POSITIONFROMPOINT, 2, 2)));
    QCOMPARE(m_editor->firstVisibleLine(), top);
    QVERIFY(top > 200);
}

void TestDocumentEditor::find_data()
{
    QTest::addColumn<QString>("needle");
    QTest::addColumn<int>("from");
    QTest::addColumn<bool>("matchCase");
    QTest::addColumn<bool>("wholeWord");
    QTest::addColumn<int>("found");

    QTest::newRow("first") << QStringLiteral("cat") << 0 << false << false << 4;
    QTest::newRow("from past the first") << QStringLiteral("cat") << 5 << false << false << 9;
    QTest::newRow("match case") << QStringLiteral("Cat") << 0 << true << false << 13;
    QTest::newRow("whole word") << QStringLiteral("cat") << 0 << false << true << 13;
    QTest::newRow("whole word, match case") << QStringLiteral("cat") << 0 << true << true << 17;
    QTest::newRow("Japanese") << QStringLiteral("猫") << 0 << false << false << 21;
    QTest::newRow("none") << QStringLiteral("dog") << 0 << false << false << -1;
}

void TestDocumentEditor::find()
{
    QFETCH(QString, needle);
    QFETCH(int, from);
    QFETCH(bool, matchCase);
    QFETCH(bool, wholeWord);
    QFETCH(int, found);
    m_editor->setText(QStringLiteral("the cattycat Cat cat 猫"));
    m_editor->setSelection(1, 2);
    QCOMPARE(m_editor->findText(needle, from, { .matchCase = matchCase, .wholeWord = wholeWord }).start, found);
    QCOMPARE(m_editor->selectionStart(), 1);
    QCOMPARE(m_editor->selectionLength(), 2);
}

void TestDocumentEditor::findFoldsUnicodeCase_data()
{
    QTest::addColumn<bool>("rich");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("needle");
    QTest::addColumn<int>("from");
    QTest::addColumn<bool>("backward");
    QTest::addColumn<bool>("wholeWord");
    QTest::addColumn<TextRange>("found");
    // Both views find the same: characters match when Unicode folds them alike.
    for (const bool rich : { false, true }) {
        const auto row = [rich](const char* name) -> QTestData& {
            return QTest::newRow(qPrintable(QStringLiteral("%1, %2").arg(rich ? "rich" : "plain", name))) << rich;
        };
        row("accented Latin") << QStringLiteral("x CAFÉ café") << QStringLiteral("café") << 0 << false << false
                              << TextRange { 2, 4 };
        row("Greek") << QStringLiteral("x ΑΒΓ") << QStringLiteral("αβγ") << 0 << false << false << TextRange { 2, 3 };
        row("full-width") << QStringLiteral("ａｂｃ x ＡＢＣ") << QStringLiteral("ａｂｃ") << 1 << false << false
                          << TextRange { 6, 3 };
        row("Cyrillic, backward") << QStringLiteral("Москва москва x") << QStringLiteral("МОСКВА") << 14 << true
                                  << false << TextRange { 7, 6 };
        row("Kelvin sign") << QStringLiteral("x \u212A") << QStringLiteral("k") << 0 << false << false
                           << TextRange { 2, 1 };
        row("whole word") << QStringLiteral("ÉCLAIRS Éclair") << QStringLiteral("éclair") << 0 << false << true
                          << TextRange { 8, 6 };
        row("none backward") << QStringLiteral("abc CAFÉ") << QStringLiteral("café") << 4 << true << false
                             << TextRange {};
    }
}

void TestDocumentEditor::findFoldsUnicodeCase()
{
    QFETCH(bool, rich);
    QFETCH(QString, text);
    QFETCH(QString, needle);
    QFETCH(int, from);
    QFETCH(bool, backward);
    QFETCH(bool, wholeWord);
    QFETCH(TextRange, found);
    if (rich) {
        auto document = std::make_unique<QTextDocument>();
        document->setPlainText(text);
        m_editor->loadRichText(std::move(document));
    } else {
        m_editor->loadPlainText(text);
    }
    QCOMPARE(m_editor->isRichText(), rich);
    const SearchOptions options { .wholeWord = wholeWord,
                                  .direction = backward ? SearchOptions::Direction::Backward
                                                        : SearchOptions::Direction::Forward };
    QCOMPARE(m_editor->findText(needle, from, options), found);
    // With match case, only the needle's own spelling matches.
    QCOMPARE(m_editor->findText(needle, 0, { .matchCase = true }).isValid(), text.contains(needle));
}

void TestDocumentEditor::replaceAll_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("find");
    QTest::addColumn<QString>("replacement");
    QTest::addColumn<bool>("matchCase");
    QTest::addColumn<QString>("result");
    const QString far = QString(3000, u'x');
    QTest::newRow("adjacent, the needle in the replacement")
        << QStringLiteral("aaa") << QStringLiteral("a") << QStringLiteral("ab") << true << QStringLiteral("ababab");
    QTest::newRow("Japanese, shorter, across lines") << QStringLiteral("猫と犬\n猫\n\n猫猫") << QStringLiteral("猫")
                                                     << QStringLiteral("c") << true << QStringLiteral("cと犬\nc\n\ncc");
    QTest::newRow("longer, with line breaks in it")
        << QStringLiteral("a-b-c") << QStringLiteral("-") << QStringLiteral("\n日本\n") << true
        << QStringLiteral("a\n日本\nb\n日本\nc");
    QTest::newRow("deleting") << QStringLiteral("a--b") << QStringLiteral("-") << QString() << true
                              << QStringLiteral("ab");
    QTest::newRow("matches far apart") << far + QStringLiteral("猫") + far + QStringLiteral("猫") + far
                                       << QStringLiteral("猫") << QStringLiteral("ねこ") << true
                                       << far + QStringLiteral("ねこ") + far + QStringLiteral("ねこ") + far;
    QTest::newRow("NUL characters kept") << QStringLiteral("a\0b\0a").replace(u'0', QChar(0)) << QStringLiteral("a")
                                         << QStringLiteral("c") << true
                                         << QStringLiteral("c\0b\0c").replace(u'0', QChar(0));
    QTest::newRow("ignoring case") << QStringLiteral("Cat cat") << QStringLiteral("cat") << QStringLiteral("dog")
                                   << false << QStringLiteral("dog dog");
}

void TestDocumentEditor::replaceAll()
{
    // Every match from the top, as one undo step, the last replacement selected.
    QFETCH(QString, text);
    QFETCH(QString, find);
    QFETCH(QString, replacement);
    QFETCH(bool, matchCase);
    QFETCH(QString, result);
    m_editor->loadPlainText(text);
    m_editor->setSelection(int(text.size()), 0);
    const int count = int(text.count(find, matchCase ? Qt::CaseSensitive : Qt::CaseInsensitive));
    QCOMPARE(m_editor->replaceAll(find, replacement, { .matchCase = matchCase }), count);
    QCOMPARE(m_editor->text(), result);
    const int lastAt = int(result.lastIndexOf(replacement));
    QCOMPARE(m_editor->selectionStart(), replacement.isEmpty() ? int(text.lastIndexOf(find)) - (count - 1) : lastAt);
    QCOMPARE(m_editor->selectionLength(), int(replacement.size()));
    QCOMPARE(m_editor->lineCount(), int(result.count(u'\n')) + 1);
    m_editor->undo();
    QCOMPARE(m_editor->text(), text);
    QVERIFY(!m_editor->isUndoAvailable());
}

void TestDocumentEditor::modifiedFlag()
{
    m_editor->setText(QStringLiteral("loaded"));
    QVERIFY(!m_editor->isModified());
    QSignalSpy changed(m_editor.get(), &DocumentEditor::modificationChanged);
    QTest::keyClicks(view(), QStringLiteral("x"));
    QVERIFY(m_editor->isModified());
    QCOMPARE(changed.size(), 1);
    QCOMPARE(changed.last().first().toBool(), true);
    m_editor->setModified(false);
    QVERIFY(!m_editor->isModified());
    QCOMPARE(changed.last().first().toBool(), false);
}

void TestDocumentEditor::undo()
{
    m_editor->setText(QStringLiteral("base"));
    QVERIFY(!m_editor->isUndoAvailable());
    m_editor->setSelection(4, 0);
    QTest::keyClicks(view(), QStringLiteral("123"));
    QCOMPARE(m_editor->text(), QStringLiteral("base123"));
    m_editor->undo();
    QCOMPARE(m_editor->text(), QStringLiteral("base"));
}

void TestDocumentEditor::selection()
{
    m_editor->setText(QStringLiteral("abcdef"));
    m_editor->setSelection(2, 3);
    QCOMPARE(m_editor->selectionStart(), 2);
    QCOMPARE(m_editor->selectionLength(), 3);
    QCOMPARE(view()->selectedText(), QStringLiteral("cde"));
    m_editor->setSelection(4, 50);
    QCOMPARE(m_editor->selectionLength(), 2);
}

void TestDocumentEditor::clickIsReportedAfterTheCaretMoved()
{
    m_editor->setText(QStringLiteral("line one\nline two"));
    int seen = -1;
    connect(m_editor.get(), &DocumentEditor::mousePressed, this, [&] { seen = m_editor->selectionStart(); });
    QTest::mouseClick(view()->viewport(), Qt::LeftButton, {}, pointAt(12));
    QCOMPARE(seen, 12);
}

void TestDocumentEditor::keysAreReportedAroundTheView()
{
    m_editor->setText(QStringLiteral("abc"));
    m_editor->setSelection(0, 0);
    int atPress = -1;
    int atRelease = -1;
    connect(m_editor.get(), &DocumentEditor::keyPressing, this, [&] { atPress = m_editor->selectionStart(); });
    connect(m_editor.get(), &DocumentEditor::keyReleased, this, [&] { atRelease = m_editor->selectionStart(); });
    QTest::keyClick(view(), Qt::Key_Right);
    QCOMPARE(atPress, 0);
    QCOMPARE(atRelease, 1);
}

void TestDocumentEditor::fileDropIsNotPastedAsText()
{
    m_editor->setText(QStringLiteral("kept"));
    QSignalSpy dropped(m_editor.get(), &DocumentEditor::filesDropped);
    QMimeData mime;
    mime.setUrls(
        { QUrl::fromLocalFile(QStringLiteral("/tmp/a.txt")), QUrl::fromLocalFile(QStringLiteral("/tmp/b.txt")) });
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(view()->viewport(), &enter);
    QVERIFY(enter.isAccepted());
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(view()->viewport(), &drop);
    QCOMPARE(dropped.size(), 1);
    QCOMPARE(dropped.first().first().toString(), QStringLiteral("/tmp/b.txt"));
    QCOMPARE(m_editor->text(), QStringLiteral("kept"));
}

void TestDocumentEditor::textDropStillWorks()
{
    m_editor->setText(QString());
    QSignalSpy dropped(m_editor.get(), &DocumentEditor::filesDropped);
    QMimeData mime;
    mime.setText(QStringLiteral("dropped text"));
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(view()->viewport(), &enter);
    QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(view()->viewport(), &drop);
    QCOMPARE(dropped.size(), 0);
    QCOMPARE(m_editor->text(), QStringLiteral("dropped text"));
}

void TestDocumentEditor::tabStopRule_data()
{
    QTest::addColumn<int>("stored");
    QTest::addColumn<int>("points");
    QTest::addColumn<QList<int>>("stops");

    QTest::newRow("4 cells at 10 pt") << 4 << 10 << QList<int> { 0, 20, 40, 60, 80, 100, 120, 140 };
    QTest::newRow("0 is 8 cells") << 0 << 10 << QList<int> { 0, 40, 80, 120, 160, 200, 240, 280 };
    QTest::newRow("12 cells at 9 pt") << 12 << 9 << QList<int> { 0, 54, 108, 162, 216, 270, 324, 378 };
    QTest::newRow("odd product truncates") << 3 << 9 << QList<int> { 0, 13, 27, 40, 54, 67, 81, 94 };
}

// The rule, and that the view puts each stop on the half-width cell it stands for.
void TestDocumentEditor::tabStopRule()
{
    QFETCH(int, stored);
    QFETCH(int, points);
    QFETCH(QList<int>, stops);
    const auto computed = tabStopPoints(effectiveTabWidth(stored), points);
    QCOMPARE(QList<int>(computed.begin(), computed.end()), stops);

    QFont font = m_editor->editorFont();
    font.setPointSize(points);
    m_editor->setEditorFont(font);
    m_editor->setTabStops(computed);
    m_editor->setText(QStringLiteral("\t\tx"));
    const int x0 = caretPointAt(0).x();
    const qreal expected = 2 * effectiveTabWidth(stored) * QFontMetricsF(font).horizontalAdvance(QLatin1Char('A'));
    QVERIFY2(qAbs(caretPointAt(2).x() - x0 - expected) <= 1.0,
             qPrintable(QStringLiteral("%1 vs %2").arg(caretPointAt(2).x() - x0).arg(expected)));
}

void TestDocumentEditor::coloursFollowTheStoredForm()
{
    m_editor->setBackgroundColour(StoredColour(0x000000FF));
    m_editor->setTextColour(StoredColour(0x80000008));
    QCOMPARE(view()->palette().color(QPalette::Base), QColor(255, 0, 0));
    // The component draws with the same colours: Scintilla's colours are 0xBBGGRR.
    QCOMPARE(view()->sci(QsciScintillaBase::SCI_STYLEGETBACK, QsciScintillaBase::STYLE_DEFAULT), 0x0000FFL);
    QCOMPARE(view()->palette().color(QPalette::Text), QGuiApplication::palette().color(QPalette::WindowText));
    QCOMPARE(m_editor->textColour().value(), qint32(0x80000008));
}

void TestDocumentEditor::selectionCharFormat()
{
    // Character formats belong to rich text.
    auto document = std::make_unique<QTextDocument>();
    document->setPlainText(QStringLiteral("plain bold"));
    m_editor->loadRichText(std::move(document));
    m_editor->setSelection(6, 4);
    QTextCharFormat bold;
    bold.setFontWeight(QFont::Bold);
    m_editor->mergeSelectionCharFormat(bold);
    m_editor->setSelection(7, 1);
    QCOMPARE(m_editor->selectionCharFormat().fontWeight(), int(QFont::Bold));
    m_editor->setSelection(1, 1);
    QVERIFY(m_editor->selectionCharFormat().fontWeight() != int(QFont::Bold));
}

void TestDocumentEditor::inputMethodCommitsOnce()
{
    m_editor->setText(QStringLiteral("ab"));
    m_editor->setSelection(1, 0);
    view()->setFocus();
    QInputMethodEvent preedit(QStringLiteral("にほん"), {});
    QCoreApplication::sendEvent(view(), &preedit);
    QInputMethodEvent commit;
    commit.setCommitString(QStringLiteral("日本"));
    QCoreApplication::sendEvent(view(), &commit);
    QCOMPARE(m_editor->text(), QStringLiteral("a日本b"));
    QCOMPARE(m_editor->selectionStart(), 3);
    QVERIFY(m_editor->isModified());

    // A click while composing ends the composition where it was, once, and then moves the caret.
    QInputMethodEvent composing(QStringLiteral("ご"), {});
    QCoreApplication::sendEvent(view(), &composing);
    QTest::mouseClick(view()->viewport(), Qt::LeftButton, {}, pointAt(0));
    QCOMPARE(m_editor->text(), QStringLiteral("a日本ごb"));
    QCOMPARE(m_editor->selectionStart(), 0);
    // The input method was told to reset; one that commits its own copy of the text then (as Mozc
    // through IBus does, after an empty event) adds nothing.
    QInputMethodEvent empty;
    QCoreApplication::sendEvent(view(), &empty);
    QInputMethodEvent echo;
    echo.setCommitString(QStringLiteral("ご"));
    QCoreApplication::sendEvent(view(), &echo);
    QCOMPARE(m_editor->text(), QStringLiteral("a日本ごb"));
    // The same text committed again is the user's own.
    QCoreApplication::sendEvent(view(), &echo);
    QCOMPARE(m_editor->text(), QStringLiteral("ご") + QStringLiteral("a日本ごb"));
}

void TestDocumentEditor::textWithNulCharacters()
{
    const QString text = QStringLiteral("a") + QChar(0) + QStringLiteral("b\n") + QChar(0) + QStringLiteral("日本");
    m_editor->loadPlainText(text);
    QCOMPARE(m_editor->text(), text);
    QCOMPARE(m_editor->textLength(), text.size());
    QCOMPARE(m_editor->lineIndex(1), 4);
    QCOMPARE(m_editor->findText(QStringLiteral("日本"), 0, { .matchCase = true }), (TextRange { 5, 2 }));
    QString sliced;
    m_editor->textInSlices([&sliced](QStringView slice) { sliced += slice; }, 1);
    QCOMPARE(sliced, text);
}

// A line of megabytes would take the component seconds to lay out, at the load and at every key:
// such a line shows only its start, and the text stays whole.
void TestDocumentEditor::longLinesShowOnlyTheirStart()
{
    constexpr qsizetype shown = DocumentEditor::kLongLineShownCharacters;
    const QStringList lines { QStringLiteral("short"), QString(shown * 3, u'あ'), QString(shown + 1, u'x'),
                              QString(shown, u'y') };
    const QString text = lines.join(u'\n') + u'\n';
    m_editor->loadPlainText(text);
    QCOMPARE(m_editor->shortenedLines(), 2);
    QCOMPARE(m_editor->text(), text);
    QVERIFY(!m_editor->findText(QStringLiteral("xy"), 0, { .matchCase = true }).isValid());
    QCOMPARE(m_editor->findText(QStringLiteral("x\ny"), 0, { .matchCase = true }).start, int(text.indexOf(u'y') - 2));

    // The rest of a shortened line takes no room; a line of exactly the limit shows whole.
    const auto x = [this](qsizetype index) {
        return view()->sci(QsciScintillaBase::SCI_POINTXFROMPOSITION, 0UL, long(view()->positionFromIndex(index)));
    };
    const qsizetype kana = m_editor->lineIndex(1);
    const qsizetype kanaEnd = kana + lines[1].size();
    const auto hidden = [&](qsizetype line, qsizetype length) {
        const qsizetype start = m_editor->lineIndex(int(line));
        // The last character takes no room, the last one shown does.
        return x(start + length - 1) == x(start + length) && x(start + shown - 1) < x(start + shown);
    };
    QVERIFY(hidden(1, lines[1].size()));
    QVERIFY(hidden(2, lines[2].size()));
    QVERIFY(!hidden(3, lines[3].size()));

    // Code colouring styles every character itself: coloured code shows its lines whole.
    m_editor->setCodeLanguage(CodeLanguage::C);
    QCOMPARE(m_editor->shortenedLines(), 0);
    QVERIFY(x(kanaEnd) > x(kana + shown));
    m_editor->setCodeLanguage(CodeLanguage::None);
    QCOMPARE(m_editor->shortenedLines(), 2);
    // A new font does not bring the rest back.
    QFont font = m_editor->editorFont();
    font.setPointSize(font.pointSize() + 2);
    m_editor->setEditorFont(font);
    QVERIFY(hidden(1, lines[1].size()));

    // A file large enough to go without style bytes keeps them when its first slice shows a long line.
    {
        DocumentEditor::BackgroundPlainTextLoad load(*m_editor, qsizetype(64) << 20, CodeLanguage::None);
        const QByteArray utf8 = text.toUtf8();
        load.append(utf8);
        load.readSoFar(utf8.size(), utf8.size());
        QVERIFY(load.finish());
    }
    QCOMPARE(m_editor->text(), text);
    QCOMPARE(m_editor->shortenedLines(), 2);
    QVERIFY(hidden(1, lines[1].size()));
}

// Assistive technology reads the plain view through our own interface, in UTF-16 offsets as in
// Qt's text widgets, whatever the text holds before the caret.
void TestDocumentEditor::accessibleTextSpeaksUtf16()
{
    const QString text = QStringLiteral("日本語\n𠮷野家 ｱｲｳ\nend");
    m_editor->loadPlainText(text);
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(view());
    QVERIFY(iface);
    QCOMPARE(iface->role(), QAccessible::EditableText);
    QAccessibleTextInterface* textIface = iface->textInterface();
    QVERIFY(textIface);
    QCOMPARE(textIface->characterCount(), text.size());
    QCOMPARE(textIface->text(0, -1), text);
    const int yoshino = int(text.indexOf(QStringLiteral("野")));
    QCOMPARE(textIface->text(yoshino, yoshino + 2), QStringLiteral("野家"));

    m_editor->setSelection(yoshino, 0);
    QCOMPARE(textIface->cursorPosition(), yoshino);
    textIface->setSelection(0, 0, 3);
    QCOMPARE(m_editor->selectedText(), QStringLiteral("日本語"));
    int start = -1;
    int end = -1;
    QCOMPARE(textIface->textAtOffset(yoshino, QAccessible::LineBoundary, &start, &end), QStringLiteral("𠮷野家 ｱｲｳ\n"));
    QCOMPARE(start, 4);
    QCOMPARE(textIface->textAfterOffset(yoshino, QAccessible::LineBoundary, &start, &end), QStringLiteral("end"));
    QCOMPARE(textIface->textBeforeOffset(yoshino, QAccessible::LineBoundary, &start, &end), QStringLiteral("日本語\n"));
    QCOMPARE(textIface->textAtOffset(int(text.size()) - 1, QAccessible::WordBoundary, &start, &end),
             QStringLiteral("end"));
}

// A large text that is not coloured goes without style bytes; it must still load, edit, undo and
// come out whole, and a coloured document afterwards gets its styles (and its lexer) back.
void TestDocumentEditor::largeUncolouredTextKeepsWorking()
{
    const QString line = QStringLiteral("吾輩は猫である。名前はまだ無い。\n");
    QString text;
    while (text.size() < 5 * 1024 * 1024)
        text += line;
    {
        // As a file load builds it: in slices, on a thread of its own, while this one runs its events.
        DocumentEditor::BackgroundPlainTextLoad load(*m_editor, qsizetype(text.size()) * 2, CodeLanguage::None);
        const QByteArray utf8 = text.toUtf8();
        const qsizetype slice = line.toUtf8().size() * 4096;
        std::atomic<bool> done = false;
        std::unique_ptr<QThread> worker(QThread::create([&] {
            for (qsizetype at = 0; at < utf8.size(); at += slice) {
                load.append(QByteArrayView(utf8).sliced(at, qMin(slice, utf8.size() - at)));
                load.readSoFar(qMin(at + slice, utf8.size()), utf8.size());
            }
            done = true;
        }));
        worker->start();
        while (!done)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        worker->wait();
        QVERIFY(load.finish());
    }
    QVERIFY(view()->sci(QsciScintillaBase::SCI_GETDOCUMENTOPTIONS) & QsciScintillaBase::SC_DOCUMENTOPTION_STYLES_NONE);
    QCOMPARE(m_editor->textLength(), text.size());
    QVERIFY(!m_editor->isModified());
    m_editor->setSelection(int(text.size()), 0);
    QTest::keyClicks(view(), QStringLiteral("x"));
    QCOMPARE(m_editor->text(), text + QStringLiteral("x"));
    m_editor->undo();
    QCOMPARE(m_editor->text(), text);

    m_editor->setCodeLanguage(CodeLanguage::C);
    {
        DocumentEditor::BackgroundPlainTextLoad load(*m_editor, qsizetype(text.size()) * 2, CodeLanguage::C);
        load.append("int main() { return 0; } /* c */\n");
        load.readSoFar(34, 34);
        QVERIFY(load.finish());
    }
    QCOMPARE(view()->sci(QsciScintillaBase::SCI_GETDOCUMENTOPTIONS), 0L);
    QCOMPARE(m_editor->text(), QStringLiteral("int main() { return 0; } /* c */\n"));
    view()->sci(QsciScintillaBase::SCI_COLOURISE, 0, -1);
    QVERIFY(view()->sci(QsciScintillaBase::SCI_GETSTYLEAT, 0) != 0);
}

// A text the component has no room for must fail the load, never pass part of the file off
// as the file (a save would then cut it short on disk).
void TestDocumentEditor::loadWithoutRoomFailsAndShowsNothing()
{
    m_editor->loadPlainText(QStringLiteral("previous"));
    DocumentEditor::BackgroundPlainTextLoad load(*m_editor, 0, CodeLanguage::None);
    load.append("first slice\n");
    // As if the first slice were a tiny part of an enormous file: no memory holds all of it.
    load.readSoFar(1, qint64(1) << 58);
    load.append("second slice");
    QVERIFY(!load.finish());
    QCOMPARE(m_editor->text(), QString());
    QVERIFY(!m_editor->isModified());
    QVERIFY(!m_editor->isUndoAvailable());
}

QTEST_MAIN(TestDocumentEditor)
#include "tst_documenteditor.moc"
