// SPDX-License-Identifier: MIT
#pragma once

#include "searchengine.h"

class DocumentEditor;

/**
 * A search target over the document editor: the search runs in the component that holds the
 * document (Scintilla's target search for plain text), and Replace All is one pass there.
 */
class EditorSearchTarget final : public SearchTarget
{
public:
    explicit EditorSearchTarget(DocumentEditor& editor);

    QString selectedText() const override;
    int selectionStart() const override;
    int selectionLength() const override;
    void setSelection(int start, int length) override;
    QString searchText() const override;
    TextRange find(const QString& text, int from, const SearchOptions& options) const override;
    void replaceSelection(const QString& text) override;
    int replaceEvery(const SearchRequest& request) override;
    void beginEditBlock() override;
    void endEditBlock() override;

private:
    DocumentEditor& m_editor;
};
