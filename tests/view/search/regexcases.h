// SPDX-License-Identifier: MIT
// Replace All with a pattern: the same rows for every view, so that they cannot drift apart.
#pragma once

#include <QList>
#include <QString>
#include <QTest>

struct RegexCase
{
    const char* name;
    QString text;
    QString pattern;
    QString replace;
    bool matchCase = false;
    bool wholeWord = false;
    QString result;
    int count = 0;
};

inline QList<RegexCase> regexReplaceCases()
{
    return {
        { "groups by \\N and $N", QStringLiteral("山田 太郎\n佐藤 花子"), QStringLiteral(R"((\S+) (\S+))"),
          QStringLiteral(R"(\2 $1)"), false, false, QStringLiteral("太郎 山田\n花子 佐藤"), 2 },
        { "whole match, backslash and dollar", QStringLiteral("a1b22"), QStringLiteral(R"(\d+)"),
          QStringLiteral(R"([$0|\0|\\|$$])"), false, false, QStringLiteral(R"(a[1|1|\|$]b[22|22|\|$])"), 2 },
        { "\\p{Han}", QStringLiteral("漢字とかなとカナ"), QStringLiteral(R"(\p{Han}+)"), QStringLiteral("<$0>"), false,
          false, QStringLiteral("<漢字>とかなとカナ"), 1 },
        { "\\p{Hiragana}", QStringLiteral("漢字とかなとカナ"), QStringLiteral(R"(\p{Hiragana}+)"),
          QStringLiteral("<$0>"), false, false, QStringLiteral("漢字<とかなと>カナ"), 1 },
        { "\\p{Katakana}", QStringLiteral("漢字とかなとカナ"), QStringLiteral(R"(\p{Katakana}+)"),
          QStringLiteral("<$0>"), false, false, QStringLiteral("漢字とかなと<カナ>"), 1 },
        { "a surrogate pair is one character", QStringLiteral("a𠮷b"), QStringLiteral("."), QStringLiteral("[$0]"),
          false, false, QStringLiteral("[a][𠮷][b]"), 3 },
        { "surrogate pairs around multibyte text", QStringLiteral("𠮷野家の𠮷𠮷"), QStringLiteral("(𠮷+)$"),
          QStringLiteral("吉×2"), false, false, QStringLiteral("𠮷野家の吉×2"), 1 },
        { "empty matches advance one character", QStringLiteral("a𠮷c"), QStringLiteral("x*"), QStringLiteral("-"),
          false, false, QStringLiteral("-a-𠮷-c-"), 4 },
        { "an empty match right after a match", QStringLiteral("baac"), QStringLiteral("a*"), QStringLiteral("-"),
          false, false, QStringLiteral("-b--c-"), 4 },
        { "ignoring case", QStringLiteral("Cat cat CAT"), QStringLiteral("c(a)t"), QStringLiteral("d$1g"), false, false,
          QStringLiteral("dag dag dAg"), 3 },
        { "matching case", QStringLiteral("Cat cat CAT"), QStringLiteral("c(a)t"), QStringLiteral("d$1g"), true, false,
          QStringLiteral("Cat dag CAT"), 1 },
        { "whole words only", QStringLiteral("cat catalog bobcat cot"), QStringLiteral("c.t"), QStringLiteral("X"),
          false, true, QStringLiteral("X catalog bobcat X"), 2 },
        { "^ and $ at every line", QStringLiteral("one\ntwo"), QStringLiteral(R"(^(\w)|(\w)$)"),
          QStringLiteral(R"([\1\2])"), false, false, QStringLiteral("[o]n[e]\n[t]w[o]"), 4 },
        { "digits among full-width text", QStringLiteral("ＡＢＣ123あいう456"), QStringLiteral(R"((\d)(\d+))"),
          QStringLiteral("$2$1"), false, false, QStringLiteral("ＡＢＣ231あいう564"), 2 },
    };
}

inline void addRegexReplaceColumns()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QString>("replace");
    QTest::addColumn<bool>("matchCase");
    QTest::addColumn<bool>("wholeWord");
    QTest::addColumn<QString>("result");
    QTest::addColumn<int>("count");
    for (const RegexCase& row : regexReplaceCases()) {
        QTest::newRow(row.name) << row.text << row.pattern << row.replace << row.matchCase << row.wholeWord
                                << row.result << row.count;
    }
}
