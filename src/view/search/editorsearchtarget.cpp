// SPDX-License-Identifier: MIT
#include "editorsearchtarget.h"

#include "document/documenteditor.h"
#include "document/regexsearch.h"

EditorSearchTarget::EditorSearchTarget(DocumentEditor& editor)
    : m_editor(editor)
{ }

QString EditorSearchTarget::selectedText() const
{
    return m_editor.selectedText();
}

int EditorSearchTarget::selectionStart() const
{
    return m_editor.selectionStart();
}

int EditorSearchTarget::selectionLength() const
{
    return m_editor.selectionLength();
}

void EditorSearchTarget::setSelection(int start, int length)
{
    m_editor.setSelection(start, length);
}

QString EditorSearchTarget::searchText() const
{
    if (const QTextDocument* rich = m_editor.richDocument())
        return ::searchText(*rich);
    return m_editor.text();
}

TextRange EditorSearchTarget::find(const QString& text, int from, const SearchOptions& options) const
{
    return m_editor.findText(text, from, options);
}

void EditorSearchTarget::replaceSelection(const QString& text)
{
    m_editor.replaceSelection(text);
}

int EditorSearchTarget::replaceEvery(const SearchRequest& request)
{
    return m_editor.replaceAll(request.findText, request.replaceText, request.options).value_or(-1);
}

void EditorSearchTarget::beginEditBlock()
{
    m_editor.beginUndoGroup();
}

void EditorSearchTarget::endEditBlock()
{
    m_editor.endUndoGroup();
}
