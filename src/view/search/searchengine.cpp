// SPDX-License-Identifier: MIT
#include "searchengine.h"

#include "document/regexsearch.h"

#include <QTextCursor>
#include <QTextDocument>

#include <limits>

int SearchEngine::searchStep(SearchTarget& target, const SearchRequest& request)
{
    // Continue after the selection only when it is what the last step or replacement left there;
    // the comparison is exact whatever the match-case setting says.
    const QString selected = target.selectedText();
    int start = selected == request.findText || selected == request.replaceText
        ? target.selectionStart() + target.selectionLength()
        : 0;
    if (request.options.regex)
        start = patternStepStart(target, request);
    SearchOptions options = request.options;
    options.direction = SearchOptions::Direction::Forward;
    TextRange found = target.find(request.findText, start, options);
    if (!found.isValid() && m_searchEnded) {
        m_searchEnded = false;
        found = target.find(request.findText, 0, options);
    }
    return settle(target, found);
}

int SearchEngine::settle(SearchTarget& target, TextRange found)
{
    if (!found.isValid()) {
        m_searchEnded = true;
        return -1;
    }
    m_searchEnded = false;
    m_lastReplaced = {};
    m_lastFound = found;
    // The match's own length: ignoring case, it need not be the find text's.
    target.setSelection(found.start, found.length);
    return found.start;
}

int SearchEngine::searchStepBackward(SearchTarget& target, const SearchRequest& request)
{
    SearchOptions options = request.options;
    options.direction = SearchOptions::Direction::Backward;
    TextRange found = target.find(request.findText, target.selectionStart(), options);
    if (!found.isValid() && m_searchEnded) {
        m_searchEnded = false;
        found = target.find(request.findText, std::numeric_limits<int>::max(), options);
    }
    return settle(target, found);
}

int SearchEngine::patternStepStart(const SearchTarget& target, const SearchRequest& request) const
{
    const TextRange selection { target.selectionStart(), target.selectionLength() };
    if (selection == m_lastReplaced)
        return selection.end();
    if (selection.length == 0) {
        // An empty match this engine selected: the next one is a character further on, or the
        // step would stay put. Else a caret goes as a plain find text's does.
        if (selection == m_lastFound)
            return int(RegexSearch::nextCharacter(target.searchText(), selection.start));
        return request.replaceText.isEmpty() ? selection.start : 0;
    }
    const RegexSearch search(request.findText, request.options);
    const QRegularExpressionMatch match = search.matchAt(target.searchText(), selection.start);
    return match.hasMatch() && match.capturedLength() == selection.length ? selection.end() : 0;
}

int SearchEngine::replacePattern(SearchTarget& target, const SearchRequest& request)
{
    const int start = target.selectionStart();
    const int length = target.selectionLength();
    RegexSearch search(request.findText, request.options);
    search.setReplacement(request.replaceText);
    const QRegularExpressionMatch match = search.matchAt(target.searchText(), start);
    // Only a selection that is a match is replaced; else the step selects the first match.
    if (match.hasMatch() && match.capturedLength() == length) {
        const QString replacement = search.replacementOf(match);
        target.replaceSelection(replacement);
        target.setSelection(start, int(replacement.size()));
        m_lastReplaced = { start, int(replacement.size()) };
    }
    return searchStep(target, request);
}

int SearchEngine::replaceAllPattern(SearchTarget& target, const SearchRequest& request)
{
    RegexSearch search(request.findText, request.options);
    search.setReplacement(request.replaceText);
    struct Replacement
    {
        TextRange match;
        QString text;
    };
    std::vector<Replacement> replacements;
    search.forEachMatch(target.searchText(), [&](const QRegularExpressionMatch& match) {
        replacements.push_back(
            { { int(match.capturedStart()), int(match.capturedLength()) }, search.replacementOf(match) });
    });
    // From the bottom up, so that the positions of the matches still to replace stay true.
    int moved = 0;
    for (auto it = replacements.rbegin(); it != replacements.rend(); ++it) {
        target.setSelection(it->match.start, it->match.length);
        target.replaceSelection(it->text);
        if (it != replacements.rbegin())
            moved += int(it->text.size()) - it->match.length;
    }
    if (replacements.empty())
        target.setSelection(0, 0);
    else
        target.setSelection(replacements.back().match.start + moved, int(replacements.back().text.size()));
    return int(replacements.size());
}

int SearchEngine::replace(SearchTarget& target, const SearchRequest& request)
{
    if (request.options.regex)
        return replacePattern(target, request);
    const int start = target.selectionStart();
    if (target.selectedText() == request.findText)
        target.replaceSelection(request.replaceText);
    target.setSelection(start, int(request.replaceText.size()));
    return searchStep(target, request);
}

int SearchEngine::replaceAll(SearchTarget& target, const SearchRequest& request)
{
    if (const int replaced = target.replaceEvery(request); replaced >= 0) {
        m_searchEnded = true;
        return replaced;
    }
    if (request.options.regex) {
        m_searchEnded = true;
        return replaceAllPattern(target, request);
    }
    int count = 0;
    target.setSelection(0, 0);
    for (int found = searchStep(target, request); found >= 0; found = searchStep(target, request)) {
        target.replaceSelection(request.replaceText);
        ++count;
        target.setSelection(found, int(request.replaceText.size()));
    }
    return count;
}

struct DocumentSearchTarget::Private
{
    QTextDocument& document;
    QTextCursor cursor;
};

DocumentSearchTarget::DocumentSearchTarget(QTextDocument& document, int selectionStart, int selectionLength)
    : d(std::make_unique<Private>(Private { document, QTextCursor(&document) }))
{
    setSelection(selectionStart, selectionLength);
}

DocumentSearchTarget::~DocumentSearchTarget() = default;

QString DocumentSearchTarget::selectedText() const
{
    // Line breaks inside a selection read as the paragraph separator; compare them as plain breaks.
    QString text = d->cursor.selectedText();
    text.replace(QChar::ParagraphSeparator, u'\n');
    return text;
}

int DocumentSearchTarget::selectionStart() const
{
    return d->cursor.selectionStart();
}

int DocumentSearchTarget::selectionLength() const
{
    return d->cursor.selectionEnd() - d->cursor.selectionStart();
}

void DocumentSearchTarget::setSelection(int start, int length)
{
    const int last = d->document.characterCount() - 1; // the final paragraph separator is not text
    const int from = qBound(0, start, last);
    d->cursor.setPosition(from);
    d->cursor.setPosition(qBound(from, start + length, last), QTextCursor::KeepAnchor);
}

QString DocumentSearchTarget::searchText() const
{
    return ::searchText(d->document);
}

TextRange DocumentSearchTarget::find(const QString& text, int from, const SearchOptions& options) const
{
    if (text.isEmpty())
        return {};
    if (options.regex) {
        const RegexSearch search(text, options);
        const QString whole = searchText();
        return options.direction == SearchOptions::Direction::Forward ? search.first(whole, from)
                                                                      : search.last(whole, from);
    }
    QTextDocument::FindFlags flags;
    if (options.matchCase)
        flags |= QTextDocument::FindCaseSensitively;
    if (options.wholeWord)
        flags |= QTextDocument::FindWholeWords;
    const auto forward = [&](int at) -> TextRange {
        const QTextCursor match = d->document.find(text, at, flags);
        if (match.isNull())
            return {};
        return { match.selectionStart(), match.selectionEnd() - match.selectionStart() };
    };
    if (options.direction == SearchOptions::Direction::Forward)
        return forward(from);
    // Forward steps to the last match in front of the position, each match once.
    TextRange last;
    for (TextRange at = forward(0); at.isValid() && at.start < from; at = forward(at.start + 1))
        last = at;
    return last;
}

void DocumentSearchTarget::replaceSelection(const QString& text)
{
    d->cursor.insertText(text);
}

void DocumentSearchTarget::beginEditBlock()
{
    d->cursor.beginEditBlock();
}

void DocumentSearchTarget::endEditBlock()
{
    d->cursor.endEditBlock();
}
