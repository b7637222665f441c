// SPDX-License-Identifier: MIT
#include "regexsearch.h"

#include <QTextDocument>

namespace {

QRegularExpression::PatternOptions patternOptions(const SearchOptions& options)
{
    // '^' and '$' at every line, as in other editors; '.' stays within a line.
    QRegularExpression::PatternOptions result = QRegularExpression::UseUnicodePropertiesOption |
        QRegularExpression::MultilineOption;
    if (!options.matchCase)
        result |= QRegularExpression::CaseInsensitiveOption;
    return result;
}

/** The character that ends just before @p at, or 0 at the start. */
char32_t characterBefore(const QString& text, qsizetype at)
{
    if (at <= 0)
        return 0;
    const QChar last = text.at(at - 1);
    if (last.isLowSurrogate() && at >= 2 && text.at(at - 2).isHighSurrogate())
        return QChar::surrogateToUcs4(text.at(at - 2), last);
    return last.unicode();
}

char32_t characterAt(const QString& text, qsizetype at)
{
    if (at >= text.size())
        return 0;
    const QChar first = text.at(at);
    if (first.isHighSurrogate() && at + 1 < text.size() && text.at(at + 1).isLowSurrogate())
        return QChar::surrogateToUcs4(first, text.at(at + 1));
    return first.unicode();
}

bool isWordCharacter(char32_t code)
{
    return code == '_' || (code != 0 && QChar::isLetterOrNumber(code));
}

/** @p at moved off the second half of a surrogate pair, so that no match starts inside one. */
qsizetype characterStart(const QString& text, qsizetype at)
{
    if (at > 0 && at < text.size() && text.at(at).isLowSurrogate() && text.at(at - 1).isHighSurrogate())
        return at + 1;
    return at;
}

} // namespace

RegexSearch::RegexSearch(const QString& pattern, const SearchOptions& options)
    : m_regex(pattern, patternOptions(options))
    , m_wholeWord(options.wholeWord)
{
    if (m_regex.isValid())
        m_regex.optimize();
}

qsizetype RegexSearch::nextCharacter(const QString& text, qsizetype at)
{
    if (at + 1 < text.size() && text.at(at).isHighSurrogate() && text.at(at + 1).isLowSurrogate())
        return at + 2;
    return at + 1;
}

bool RegexSearch::isWholeWord(const QString& text, qsizetype start, qsizetype end) const
{
    return !isWordCharacter(characterBefore(text, start)) && !isWordCharacter(characterAt(text, end));
}

const QString& RegexSearch::checkedSubject(const QString& text, QString& copy)
{
    const auto lone = [&](qsizetype i) {
        const QChar c = text.at(i);
        if (c.isHighSurrogate())
            return i + 1 >= text.size() || !text.at(i + 1).isLowSurrogate();
        return c.isLowSurrogate() && (i == 0 || !text.at(i - 1).isHighSurrogate());
    };
    qsizetype i = 0;
    while (i < text.size() && !lone(i))
        ++i;
    if (i == text.size())
        return text;
    copy = text;
    for (; i < text.size(); ++i) {
        if (lone(i))
            copy[i] = QChar::ReplacementCharacter;
    }
    return copy;
}

QRegularExpressionMatch RegexSearch::matchFrom(const QString& text, qsizetype from) const
{
    if (!m_regex.isValid())
        return {};
    for (from = characterStart(text, qMax<qsizetype>(0, from)); from <= text.size();) {
        QRegularExpressionMatch match = m_regex.match(text, from, QRegularExpression::NormalMatch,
                                                      QRegularExpression::DontCheckSubjectStringMatchOption);
        if (!match.hasMatch())
            return {};
        if (!m_wholeWord || isWholeWord(text, match.capturedStart(), match.capturedEnd()))
            return match;
        // Not a word of its own here: try again a character after where it started.
        from = nextCharacter(text, match.capturedStart());
    }
    return {};
}

QRegularExpressionMatch RegexSearch::matchAt(const QString& text, qsizetype at) const
{
    if (!m_regex.isValid() || at < 0 || at > text.size())
        return {};
    // A match of a QString holds its own share of it, so a copy made here lives as long.
    QString copy;
    QRegularExpressionMatch match = m_regex.match(
        checkedSubject(text, copy), characterStart(text, at), QRegularExpression::NormalMatch,
        QRegularExpression::AnchorAtOffsetMatchOption | QRegularExpression::DontCheckSubjectStringMatchOption);
    if (!match.hasMatch() || (m_wholeWord && !isWholeWord(text, match.capturedStart(), match.capturedEnd())))
        return {};
    return match;
}

TextRange RegexSearch::first(const QString& text, qsizetype from) const
{
    QString copy;
    const QRegularExpressionMatch match = matchFrom(checkedSubject(text, copy), from);
    if (!match.hasMatch())
        return {};
    return { int(match.capturedStart()), int(match.capturedLength()) };
}

TextRange RegexSearch::last(const QString& text, qsizetype before) const
{
    // Matches depend on what comes before them: walk them from the top as a global search does.
    TextRange result;
    QString copy;
    const QString& subject = checkedSubject(text, copy);
    for (qsizetype from = 0; from < before && from <= subject.size();) {
        const QRegularExpressionMatch match = matchFrom(subject, from);
        if (!match.hasMatch() || match.capturedStart() >= before)
            break;
        result = { int(match.capturedStart()), int(match.capturedLength()) };
        from = result.length > 0 ? result.end() : nextCharacter(subject, result.end());
    }
    return result;
}

void RegexSearch::setReplacement(const QString& replacement)
{
    m_replacement = pemmo::formats::ReplacementText(replacement);
}

void RegexSearch::appendReplacement(const QRegularExpressionMatch& match, QString& into) const
{
    m_replacement.appendTo(match, into);
}

QString RegexSearch::replacementOf(const QRegularExpressionMatch& match) const
{
    QString result;
    appendReplacement(match, result);
    return result;
}

QString searchText(const QTextDocument& document)
{
    QString text = document.toRawText();
    for (QChar& c : text) {
        switch (c.unicode()) {
        case QChar::ParagraphSeparator:
        case QChar::LineSeparator:
        case 0xFDD0: // the start and end of a frame, as a table's
        case 0xFDD1:
            c = u'\n';
            break;
        default:
            break;
        }
    }
    return text;
}
