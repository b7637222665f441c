// SPDX-License-Identifier: MIT
#include "document/regexsearch.h"
#include "regexcases.h"
#include "view/search/searchengine.h"

#include <QTest>

#include <algorithm>

Q_DECLARE_METATYPE(SearchRequest)
#include <QTextDocument>

namespace {

struct Fixture
{
    explicit Fixture(const QString& text)
    {
        document.setPlainText(text);
        target = std::make_unique<DocumentSearchTarget>(document, 0, 0);
    }
    QString selection() const
    {
        return QStringLiteral("%1-%2")
            .arg(target->selectionStart())
            .arg(target->selectionStart() + target->selectionLength() - 1);
    }
    QTextDocument document;
    std::unique_ptr<DocumentSearchTarget> target;
    SearchEngine engine;
};

SearchRequest find(const QString& text, const QString& replace = {}, bool matchCase = false, bool wholeWord = false)
{
    return SearchRequest { text, replace, { .matchCase = matchCase, .wholeWord = wholeWord } };
}

// Matches that are longer than the find text, as a pattern's are: a match is a whole run of
// repeats of the find text ("a" matches "aaa").
class RunsTarget final : public SearchTarget
{
public:
    explicit RunsTarget(const QString& text)
        : text(text)
    { }
    QString selectedText() const override { return text.mid(start, length); }
    QString searchText() const override { return text; }
    int selectionStart() const override { return start; }
    int selectionLength() const override { return length; }
    void setSelection(int from, int count) override
    {
        start = qBound(0, from, int(text.size()));
        length = qBound(0, count, int(text.size()) - start);
    }
    TextRange find(const QString& needle, int from, const SearchOptions& options) const override
    {
        TextRange last;
        for (int at = int(text.indexOf(needle, 0)); at >= 0; at = int(text.indexOf(needle, last.end()))) {
            TextRange run { at, int(needle.size()) };
            while (text.mid(run.end(), needle.size()) == needle)
                run.length += int(needle.size());
            if (options.direction == SearchOptions::Direction::Forward && run.end() > from)
                return { qMax(from, run.start), run.end() - qMax(from, run.start) };
            if (options.direction == SearchOptions::Direction::Backward && run.start >= from)
                break;
            last = run;
        }
        return options.direction == SearchOptions::Direction::Backward ? last : TextRange {};
    }
    void replaceSelection(const QString& replacement) override
    {
        text.replace(start, length, replacement);
        length = 0;
    }

    QString text;
    int start = 0;
    int length = 0;
};

} // namespace

class TestSearchEngine : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void findNextWrapsOnlyAfterReportingTheEnd();
    void aSelectionThatDiffersByCaseStartsAtTheTop();
    void wholeWord();
    void findNextAfterAClickStartsAtTheCaretWhenReplaceIsEmpty();
    void replaceSelectsTheOccurrenceFirst();
    void replaceAll_data();
    void replaceAll();
    void replaceAllIsOneUndoStep();
    void replaceAllOnALargeDocument();
    void matchesLongerThanTheFindText();
    void patternReplaceAll_data();
    void patternReplaceAll();
    void patternSteps_data();
    void patternSteps();
    void patternReplaceStepByStep();
    void invalidPattern_data();
    void invalidPattern();
};

void TestSearchEngine::findNextWrapsOnlyAfterReportingTheEnd()
{
    Fixture f(QStringLiteral("abc abc"));
    const SearchRequest request = find(QStringLiteral("abc"));
    QCOMPARE(f.engine.searchStep(*f.target, request), 0);
    QCOMPARE(f.selection(), QStringLiteral("0-2"));
    QCOMPARE(f.engine.searchStep(*f.target, request), 4);
    QCOMPARE(f.selection(), QStringLiteral("4-6"));
    QCOMPARE(f.engine.searchStep(*f.target, request), -1);
    QCOMPARE(f.selection(), QStringLiteral("4-6")); // kept after the end is reported
    QVERIFY(f.engine.searchEnded());
    QCOMPARE(f.engine.searchStep(*f.target, request), 0);
    QVERIFY(!f.engine.searchEnded());
}

void TestSearchEngine::aSelectionThatDiffersByCaseStartsAtTheTop()
{
    Fixture f(QStringLiteral("ABC"));
    const SearchRequest request = find(QStringLiteral("abc"));
    QCOMPARE(f.engine.searchStep(*f.target, request), 0);
    QCOMPARE(f.engine.searchStep(*f.target, request), 0);
    QCOMPARE(f.selection(), QStringLiteral("0-2"));
    QCOMPARE(f.engine.searchStep(*f.target, find(QStringLiteral("abc"), {}, true)), -1);
}

void TestSearchEngine::wholeWord()
{
    Fixture f(QStringLiteral("cat catalog"));
    const SearchRequest request = find(QStringLiteral("cat"), {}, false, true);
    QCOMPARE(f.engine.searchStep(*f.target, request), 0);
    QCOMPARE(f.engine.searchStep(*f.target, request), -1);
    // Without whole word, the search goes on after the selected 'cat' and finds the one in 'catalog'.
    QCOMPARE(f.engine.searchStep(*f.target, find(QStringLiteral("cat"))), 4);
}

void TestSearchEngine::findNextAfterAClickStartsAtTheCaretWhenReplaceIsEmpty()
{
    Fixture f(QStringLiteral("xx xx xx"));
    f.target->setSelection(4, 0); // a click: the empty selection equals the empty replace text
    QCOMPARE(f.engine.searchStep(*f.target, find(QStringLiteral("xx"))), 6);
    f.target->setSelection(4, 0);
    QCOMPARE(f.engine.searchStep(*f.target, find(QStringLiteral("xx"), QStringLiteral("y"))), 0);
}

void TestSearchEngine::replaceSelectsTheOccurrenceFirst()
{
    Fixture f(QStringLiteral("one two one two"));
    const SearchRequest request = find(QStringLiteral("two"), QStringLiteral("2"));
    f.target->setSelection(0, 3); // not an occurrence: nothing replaced, the next one selected
    QCOMPARE(f.engine.replace(*f.target, request), 4);
    QCOMPARE(f.document.toPlainText(), QStringLiteral("one two one two"));
    QCOMPARE(f.engine.replace(*f.target, request), 10);
    QCOMPARE(f.document.toPlainText(), QStringLiteral("one 2 one two"));
    QCOMPARE(f.engine.replace(*f.target, request), -1);
    QCOMPARE(f.document.toPlainText(), QStringLiteral("one 2 one 2"));
    QCOMPARE(f.selection(), QStringLiteral("10-10")); // the inserted text stays selected
}

void TestSearchEngine::replaceAll_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<SearchRequest>("request");
    QTest::addColumn<QString>("result");
    QTest::addColumn<int>("count");
    QTest::newRow("inserted text is not searched again")
        << QStringLiteral("aaa") << find(QStringLiteral("a"), QStringLiteral("ab")) << QStringLiteral("ababab") << 3;
    QTest::newRow("no occurrence") << QStringLiteral("xyz") << find(QStringLiteral("a"), QStringLiteral("b"))
                                   << QStringLiteral("xyz") << 0;
    QTest::newRow("empty replace text deletes")
        << QStringLiteral("a-b-c") << find(QStringLiteral("-")) << QStringLiteral("abc") << 2;
    QTest::newRow("match case") << QStringLiteral("Cat cat") << find(QStringLiteral("cat"), QStringLiteral("dog"), true)
                                << QStringLiteral("Cat dog") << 1;
    QTest::newRow("whole word") << QStringLiteral("cat catalog cat")
                                << find(QStringLiteral("cat"), QStringLiteral("dog"), false, true)
                                << QStringLiteral("dog catalog dog") << 2;
    QTest::newRow("japanese across lines")
        << QStringLiteral("猫と犬\n猫") << find(QStringLiteral("猫"), QStringLiteral("ねこ"))
        << QStringLiteral("ねこと犬\nねこ") << 2;
}

void TestSearchEngine::replaceAll()
{
    QFETCH(QString, text);
    QFETCH(SearchRequest, request);
    QFETCH(QString, result);
    QFETCH(int, count);
    Fixture f(text);
    f.target->setSelection(2, 1); // Replace All starts at the top whatever is selected
    QCOMPARE(f.engine.replaceAll(*f.target, request), count);
    QCOMPARE(f.document.toPlainText(), result);
    QVERIFY(f.engine.searchEnded());
    if (count == 0)
        QCOMPARE(f.selection(), QStringLiteral("0--1")); // the caret at the top, nothing selected
}

void TestSearchEngine::replaceAllIsOneUndoStep()
{
    Fixture f(QStringLiteral("a b a b a"));
    f.target->beginEditBlock();
    QCOMPARE(f.engine.replaceAll(*f.target, find(QStringLiteral("a"), QStringLiteral("xyz"))), 3);
    f.target->endEditBlock();
    QCOMPARE(f.document.toPlainText(), QStringLiteral("xyz b xyz b xyz"));
    f.document.undo();
    QCOMPARE(f.document.toPlainText(), QStringLiteral("a b a b a"));
}

void TestSearchEngine::replaceAllOnALargeDocument()
{
    // 20 000 lines holding 100 000 occurrences: done in one pass, not by rescanning from the top.
    QString text;
    for (int line = 0; line < 20000; ++line)
        text += QStringLiteral("猫 cat 猫 dog 猫 cat 猫 dog 猫\n");
    Fixture f(text);
    f.target->beginEditBlock();
    QCOMPARE(f.engine.replaceAll(*f.target, find(QStringLiteral("猫"), QStringLiteral("ねこ"))), 100000);
    f.target->endEditBlock();
    QCOMPARE(f.document.toPlainText().count(QStringLiteral("ねこ")), 100000);
    QVERIFY(!f.document.toPlainText().contains(QStringLiteral("猫")));
}

void TestSearchEngine::matchesLongerThanTheFindText()
{
    // Steps select the whole match, forward and backward, and Replace All replaces all of it.
    RunsTarget target(QStringLiteral("x aaa y aa"));
    SearchEngine engine;
    const SearchRequest request = find(QStringLiteral("a"), QStringLiteral("b"));
    QCOMPARE(engine.searchStep(target, request), 2);
    QCOMPARE(target.selectedText(), QStringLiteral("aaa"));
    QCOMPARE(engine.searchStepBackward(target, request), -1);
    QCOMPARE(engine.searchStepBackward(target, request), 8);
    QCOMPARE(target.selectedText(), QStringLiteral("aa"));
    QCOMPARE(engine.replaceAll(target, request), 2);
    QCOMPARE(target.text, QStringLiteral("x b y b"));
}

void TestSearchEngine::patternReplaceAll_data()
{
    addRegexReplaceColumns();
}

void TestSearchEngine::patternReplaceAll()
{
    QFETCH(QString, text);
    QFETCH(QString, pattern);
    QFETCH(QString, replace);
    QFETCH(bool, matchCase);
    QFETCH(bool, wholeWord);
    QFETCH(QString, result);
    QFETCH(int, count);
    Fixture f(text);
    const SearchRequest request { pattern, replace, { .matchCase = matchCase, .wholeWord = wholeWord, .regex = true } };
    f.target->beginEditBlock();
    QCOMPARE(f.engine.replaceAll(*f.target, request), count);
    f.target->endEditBlock();
    QCOMPARE(f.document.toPlainText(), result);
    f.document.undo();
    QCOMPARE(f.document.toPlainText(), text);
}

void TestSearchEngine::patternSteps_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<bool>("wholeWord");
    QTest::addColumn<QString>("steps"); // start+length of each match, in order
    QTest::newRow("empty matches advance")
        << QStringLiteral("baac") << QStringLiteral("a*") << false << QStringLiteral("0+0 1+2 3+0 4+0");
    QTest::newRow("empty matches step over a surrogate pair")
        << QStringLiteral("𠮷b") << QStringLiteral("(?=.)") << false << QStringLiteral("0+0 2+0");
    QTest::newRow("a surrogate pair is one Han character")
        << QStringLiteral("a𠮷b𠮷") << QStringLiteral(R"(\p{Han})") << false << QStringLiteral("1+2 4+2");
    QTest::newRow("look-behind sees the text before")
        << QStringLiteral("xa ya ya") << QStringLiteral("(?<=y)a") << false << QStringLiteral("4+1 7+1");
    QTest::newRow("a lone surrogate is one character of its own") << QStringLiteral("a") + QChar(0xD842) +
            QStringLiteral("b") << QStringLiteral(".") << false << QStringLiteral("0+1 1+1 2+1");
    QTest::newRow("whole word looks on inside a longer match")
        << QStringLiteral("aa a") << QStringLiteral("a") << true << QStringLiteral("3+1");
}

void TestSearchEngine::patternSteps()
{
    QFETCH(QString, text);
    QFETCH(QString, pattern);
    QFETCH(bool, wholeWord);
    QFETCH(QString, steps);
    const SearchRequest request { pattern, {}, { .wholeWord = wholeWord, .regex = true } };
    const auto walk = [&](bool forward) {
        Fixture f(text);
        f.target->setSelection(forward ? 0 : int(text.size()), 0);
        QStringList found;
        for (int i = 0; i < 10; ++i) {
            const int at = forward ? f.engine.searchStep(*f.target, request)
                                   : f.engine.searchStepBackward(*f.target, request);
            if (at < 0)
                break;
            found << QStringLiteral("%1+%2").arg(at).arg(f.target->selectionLength());
        }
        return found;
    };
    const QStringList forward = walk(true);
    QCOMPARE(forward.join(u' '), steps);
    // Backward from the end: every match that starts before the caret, the same ones in reverse.
    QStringList backward = walk(false);
    std::reverse(backward.begin(), backward.end());
    QStringList before = forward;
    before.removeIf([&](const QString& step) { return step.startsWith(QString::number(text.size()) + u'+'); });
    QCOMPARE(backward, before);
}

void TestSearchEngine::patternReplaceStepByStep()
{
    // Replace takes the groups of the match selected, then goes on after what it put in.
    Fixture f(QStringLiteral("a1 b2 c3"));
    const SearchRequest request { QStringLiteral(R"((\w)(\d))"), QStringLiteral(R"(\2\1\1)"), { .regex = true } };
    QCOMPARE(f.engine.replace(*f.target, request), 0); // selects the first match only
    QCOMPARE(f.document.toPlainText(), QStringLiteral("a1 b2 c3"));
    QCOMPARE(f.engine.replace(*f.target, request), 4);
    QCOMPARE(f.document.toPlainText(), QStringLiteral("1aa b2 c3"));
    QCOMPARE(f.target->selectedText(), QStringLiteral("b2"));
    QCOMPARE(f.engine.replace(*f.target, request), 8);
    QCOMPARE(f.engine.replace(*f.target, request), -1);
    QCOMPARE(f.document.toPlainText(), QStringLiteral("1aa 2bb 3cc"));
}

void TestSearchEngine::invalidPattern_data()
{
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<int>("offset");
    QTest::newRow("unclosed group") << QStringLiteral("(猫") << 2;
    QTest::newRow("unclosed class") << QStringLiteral("[あ-") << 3;
    QTest::newRow("nothing to repeat") << QStringLiteral("*猫") << 0;
    QTest::newRow("unknown property") << QStringLiteral(R"(\p{Kanji})") << 9;
}

void TestSearchEngine::invalidPattern()
{
    QFETCH(QString, pattern);
    QFETCH(int, offset);
    const RegexSearch search(pattern, {});
    QVERIFY(!search.isValid());
    QVERIFY(!search.errorString().isEmpty());
    QCOMPARE(search.errorOffset(), offset);
    // Nothing is found and nothing replaced, whatever the text.
    Fixture f(QStringLiteral("(猫[あ-*猫 p{Kanji}"));
    const SearchRequest request { pattern, QStringLiteral("x"), { .regex = true } };
    QCOMPARE(f.engine.searchStep(*f.target, request), -1);
    QCOMPARE(f.engine.replaceAll(*f.target, request), 0);
    QCOMPARE(f.document.toPlainText(), QStringLiteral("(猫[あ-*猫 p{Kanji}"));
}

QTEST_GUILESS_MAIN(TestSearchEngine)
#include "tst_searchengine.moc"
