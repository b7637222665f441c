// SPDX-License-Identifier: MIT
#pragma once

#include "searchengine.h"

#include <QObject>

#include <memory>

class Dialogs;
class QWidget;
class ReplaceDialog;

/** The document the search works on, and its selection as the user sees it. */
class SearchHost
{
public:
    virtual ~SearchHost() = default;
    /** The document to search, starting from the selection as the user sees it. */
    virtual std::unique_ptr<SearchTarget> searchTarget() = 0;
    /** Selects and scrolls the selection into view. */
    virtual void setSelection(int start, int length) = 0;
    virtual void focusEditor() = 0;
};

/** The find-and-replace commands of the editor window and their dialog. */
class SearchController final : public QObject
{
    Q_OBJECT
public:
    SearchController(QWidget* window, SearchHost& host, Dialogs& dialogs);

    /** Opens the dialog without waiting; its texts stay as they were. */
    void E_SeClick();
    void ReplaceDialog1Find();
    void ReplaceDialog1Replace();
    void ReplaceDialog1ReplaceAll();
    /** F3 and Shift+F3: the dialog's find text again, forward or backward; the dialog opens while it has none. */
    void findNext();
    void findPrevious();

    ReplaceDialog* ReplaceDialog1() const { return m_dialog; }

private:
    /** Keeps the search in the history; false, having said what is wrong, when its pattern cannot be used. */
    bool beginSearch(const SearchRequest& request);

    SearchHost& m_host;
    Dialogs& m_dialogs;
    ReplaceDialog* m_dialog = nullptr;
    SearchEngine m_engine;
};
