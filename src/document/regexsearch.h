// SPDX-License-Identifier: MIT
#pragma once

#include "formats/replacementtext.h"
#include "searchoptions.h"

#include <QRegularExpression>
#include <QString>

#include <vector>

class QTextDocument;

/**
 * A regular-expression search over a text in UTF-16, the same in both views. Patterns are PCRE2
 * with Unicode properties (\p{Han}, \p{Hiragana}), '^' and '$' at every line. A whole word
 * has no letter, digit or '_' on either side of the match. After an empty match the next one is
 * looked for a character further on, so that walking the matches always ends; no match starts or
 * ends inside a surrogate pair.
 */
class RegexSearch final
{
public:
    RegexSearch(const QString& pattern, const SearchOptions& options);

    bool isValid() const { return m_regex.isValid(); }
    /** Qt's description of what is wrong with the pattern, and where (in UTF-16 units). */
    QString errorString() const { return m_regex.errorString(); }
    qsizetype errorOffset() const { return m_regex.patternErrorOffset(); }

    /** The first match that starts at or after @p from. */
    TextRange first(const QString& text, qsizetype from) const;
    /** The last match that starts before @p before. */
    TextRange last(const QString& text, qsizetype before) const;
    /** The match that starts exactly at @p at, or an invalid match. */
    QRegularExpressionMatch matchAt(const QString& text, qsizetype at) const;

    /**
     * Calls @p each with every match from the top, in order and never overlapping, as a global
     * replace sees them; the count.
     */
    template <typename Each>
    int forEachMatch(const QString& text, Each&& each) const
    {
        QString copy;
        const QString& subject = checkedSubject(text, copy);
        int count = 0;
        for (qsizetype from = 0; from <= subject.size();) {
            const QRegularExpressionMatch match = matchFrom(subject, from);
            if (!match.hasMatch())
                break;
            each(match);
            ++count;
            from = match.capturedLength() > 0 ? match.capturedEnd() : nextCharacter(subject, match.capturedEnd());
        }
        return count;
    }

    /**
     * Sets the replacement for later matches (see formats::ReplacementText: "\1" and "$1" for a
     * group, "\n" and "\t" for a line break and a tab).
     */
    void setReplacement(const QString& replacement);
    /** Appends the replacement of @p match to @p into. */
    void appendReplacement(const QRegularExpressionMatch& match, QString& into) const;
    QString replacementOf(const QRegularExpressionMatch& match) const;

    /** The index after the character at @p at (past a whole surrogate pair). */
    static qsizetype nextCharacter(const QString& text, qsizetype at);

private:
    /**
     * @p text, or where it holds a lone surrogate, @p copy of it with U+FFFD there (one unit for
     * one, so positions stay). PCRE2 would check the whole text again for each match, which made
     * a Replace All of many matches in a long text take minutes; a subject made so needs no check.
     */
    static const QString& checkedSubject(const QString& text, QString& copy);
    /** The first match in a checked subject, whole words only when so asked, at or after @p from. */
    QRegularExpressionMatch matchFrom(const QString& text, qsizetype from) const;
    bool isWholeWord(const QString& text, qsizetype start, qsizetype end) const;

    QRegularExpression m_regex;
    pemmo::formats::ReplacementText m_replacement;
    bool m_wholeWord = false;
};

/**
 * A rich document's text as a search sees it: one character for each position, paragraph and
 * line breaks as '\n', every other character as it is (a no-break space stays one).
 */
QString searchText(const QTextDocument& document);
