// SPDX-License-Identifier: MIT
#include "searchengine.h"

#include <QTextCursor>
#include <QTextDocument>

#include <limits>

int SearchEngine::searchStep(SearchTarget& target, const SearchRequest& request)
{
    // Continue after the selection only when it is what the last step or replacement left there;
    // the comparison is exact whatever the match-case setting says.
    const QString selected = target.selectedText();
    const int start = selected == request.findText || selected == request.replaceText
        ? target.selectionStart() + target.selectionLength()
        : 0;
    int found = target.find(request.findText, start, request.matchCase, request.wholeWord);
    if (found < 0 && m_searchEnded) {
        m_searchEnded = false;
        found = target.find(request.findText, 0, request.matchCase, request.wholeWord);
    }
    if (found < 0) {
        m_searchEnded = true;
        return -1;
    }
    m_searchEnded = false;
    target.setSelection(found, int(request.findText.size()));
    return found;
}

int SearchEngine::searchStepBackward(SearchTarget& target, const SearchRequest& request)
{
    int found = target.findBefore(request.findText, target.selectionStart(), request.matchCase, request.wholeWord);
    if (found < 0 && m_searchEnded) {
        m_searchEnded = false;
        found = target.findBefore(request.findText, std::numeric_limits<int>::max(), request.matchCase,
                                  request.wholeWord);
    }
    if (found < 0) {
        m_searchEnded = true;
        return -1;
    }
    m_searchEnded = false;
    target.setSelection(found, int(request.findText.size()));
    return found;
}

int SearchTarget::findBefore(const QString& text, int before, bool matchCase, bool wholeWord) const
{
    // Forward steps to the last match in front of the position: every target can do it, each match once.
    int last = -1;
    for (int at = find(text, 0, matchCase, wholeWord); at >= 0 && at < before;
         at = find(text, at + 1, matchCase, wholeWord))
        last = at;
    return last;
}

int SearchEngine::replace(SearchTarget& target, const SearchRequest& request)
{
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

int DocumentSearchTarget::find(const QString& text, int from, bool matchCase, bool wholeWord) const
{
    if (text.isEmpty())
        return -1;
    QTextDocument::FindFlags flags;
    if (matchCase)
        flags |= QTextDocument::FindCaseSensitively;
    if (wholeWord)
        flags |= QTextDocument::FindWholeWords;
    const QTextCursor match = d->document.find(text, from, flags);
    return match.isNull() ? -1 : match.selectionStart();
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
