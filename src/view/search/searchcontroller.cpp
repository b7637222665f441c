// SPDX-License-Identifier: MIT
#include "searchcontroller.h"

#include "document/regexsearch.h"
#include "replacedialog.h"
#include "searchtexts.h"
#include "ui/dialogs.h"

SearchController::SearchController(QWidget* window, SearchHost& host, Dialogs& dialogs)
    : QObject(window)
    , m_host(host)
    , m_dialogs(dialogs)
    , m_dialog(new ReplaceDialog(window))
{
    connect(m_dialog, &ReplaceDialog::findNext, this, &SearchController::ReplaceDialog1Find);
    connect(m_dialog, &ReplaceDialog::replace, this, &SearchController::ReplaceDialog1Replace);
    connect(m_dialog, &ReplaceDialog::replaceAll, this, &SearchController::ReplaceDialog1ReplaceAll);
}

void SearchController::E_SeClick()
{
    m_dialog->show();
    m_dialog->raise();
    m_dialog->activateWindow();
}

bool SearchController::beginSearch(const SearchRequest& request)
{
    m_dialog->rememberSearch();
    if (!request.options.regex)
        return true;
    const RegexSearch search(request.findText, request.options);
    if (search.isValid())
        return true;
    m_dialogs.message(invalidPatternMessage(search.errorString(), search.errorOffset()), Dialogs::Icon::Warning);
    return false;
}

void SearchController::ReplaceDialog1Find()
{
    if (!beginSearch(m_dialog->request()))
        return;
    m_host.focusEditor();
    const std::unique_ptr<SearchTarget> target = m_host.searchTarget();
    if (m_engine.searchStep(*target, m_dialog->request()) < 0) {
        m_dialogs.message(kSearchFinished);
        return;
    }
    m_host.setSelection(target->selectionStart(), target->selectionLength());
}

void SearchController::findNext()
{
    if (m_dialog->request().findText.isEmpty()) {
        E_SeClick();
        return;
    }
    ReplaceDialog1Find();
}

void SearchController::findPrevious()
{
    const SearchRequest request = m_dialog->request();
    if (request.findText.isEmpty()) {
        E_SeClick();
        return;
    }
    if (!beginSearch(request))
        return;
    m_host.focusEditor();
    const std::unique_ptr<SearchTarget> target = m_host.searchTarget();
    if (m_engine.searchStepBackward(*target, request) < 0) {
        m_dialogs.message(kSearchFinished);
        return;
    }
    m_host.setSelection(target->selectionStart(), target->selectionLength());
}

void SearchController::ReplaceDialog1Replace()
{
    if (!beginSearch(m_dialog->request()))
        return;
    m_host.focusEditor();
    const std::unique_ptr<SearchTarget> target = m_host.searchTarget();
    target->beginEditBlock();
    const int found = m_engine.replace(*target, m_dialog->request());
    target->endEditBlock();
    m_host.setSelection(target->selectionStart(), target->selectionLength());
    if (found < 0)
        m_dialogs.message(kSearchFinished);
}

void SearchController::ReplaceDialog1ReplaceAll()
{
    if (!beginSearch(m_dialog->request()))
        return;
    m_host.focusEditor();
    // One undo step; the view follows once at the end.
    const std::unique_ptr<SearchTarget> target = m_host.searchTarget();
    target->beginEditBlock();
    const int count = m_engine.replaceAll(*target, m_dialog->request());
    target->endEditBlock();
    m_host.setSelection(target->selectionStart(), target->selectionLength());
    m_dialogs.message(replacedCountMessage(count));
}
