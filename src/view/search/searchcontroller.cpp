// SPDX-License-Identifier: MIT
#include "searchcontroller.h"

#include "replacedialog.h"
#include "searchtexts.h"
#include "ui/dialogs.h"

#include <QTextDocument>

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

void SearchController::ReplaceDialog1Find()
{
    m_host.focusEditor();
    DocumentSearchTarget target(m_host.searchDocument(), m_host.selectionStart(), m_host.selectionLength());
    if (m_engine.searchStep(target, m_dialog->request()) < 0) {
        m_dialogs.message(kSearchFinished);
        return;
    }
    m_host.setSelection(target.selectionStart(), target.selectionLength());
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
    m_host.focusEditor();
    DocumentSearchTarget target(m_host.searchDocument(), m_host.selectionStart(), m_host.selectionLength());
    if (m_engine.searchStepBackward(target, request) < 0) {
        m_dialogs.message(kSearchFinished);
        return;
    }
    m_host.setSelection(target.selectionStart(), target.selectionLength());
}

void SearchController::ReplaceDialog1Replace()
{
    m_host.focusEditor();
    DocumentSearchTarget target(m_host.searchDocument(), m_host.selectionStart(), m_host.selectionLength());
    target.beginEditBlock();
    const int found = m_engine.replace(target, m_dialog->request());
    target.endEditBlock();
    m_host.setSelection(target.selectionStart(), target.selectionLength());
    if (found < 0)
        m_dialogs.message(kSearchFinished);
}

void SearchController::ReplaceDialog1ReplaceAll()
{
    m_host.focusEditor();
    // Worked on the document through a cursor of its own, as one undo step; the view follows once at the end.
    DocumentSearchTarget target(m_host.searchDocument(), 0, 0);
    target.beginEditBlock();
    const int count = m_engine.replaceAll(target, m_dialog->request());
    target.endEditBlock();
    m_host.setSelection(target.selectionStart(), target.selectionLength());
    m_dialogs.message(replacedCountMessage(count));
}
