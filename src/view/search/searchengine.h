// SPDX-License-Identifier: MIT
#pragma once

#include "document/searchoptions.h"

#include <QString>

#include <memory>

class QTextDocument;
struct SearchRequest;

/** What the search works on: a text with one selection. */
class SearchTarget
{
public:
    virtual ~SearchTarget() = default;
    virtual QString selectedText() const = 0;
    virtual int selectionStart() const = 0;
    virtual int selectionLength() const = 0;
    virtual void setSelection(int start, int length) = 0;
    /** The whole text, one character for each position, as a pattern is matched against it. */
    virtual QString searchText() const = 0;
    /**
     * The match of @p text nearest @p from in the options' direction (the first at or after it, or
     * the last that starts before it); invalid when there is none. A match may differ from @p text
     * in length, as a match that ignores case may.
     */
    virtual TextRange find(const QString& text, int from, const SearchOptions& options) const = 0;
    virtual void replaceSelection(const QString& text) = 0;
    /**
     * Replaces every match from the top in one pass of its own, never searching inserted text
     * again, and leaves the last replacement selected; the count, or -1 when the target has no
     * such pass and the engine goes step by step.
     */
    virtual int replaceEvery(const SearchRequest& request)
    {
        Q_UNUSED(request);
        return -1;
    }
    /** Groups the changes made until endEditBlock() into one undo step. */
    virtual void beginEditBlock() { }
    virtual void endEditBlock() { }
};

struct SearchRequest
{
    QString findText;
    QString replaceText;
    SearchOptions options;
};

/**
 * Find, replace and replace all, always forward. After a step that found nothing, the next
 * step starts again at the top; a step whose selection is not the find (or replace) text
 * starts at the top too. With a pattern, the selection counts as found when the pattern matches
 * just it, or when the last replacement left it; the replace text may name the match's groups.
 */
class SearchEngine final
{
public:
    /** One search step: selects and returns the match, or -1 leaving the selection alone. */
    int searchStep(SearchTarget& target, const SearchRequest& request);
    /** The same step backward: the match before the selection; after the top, the last one. */
    int searchStepBackward(SearchTarget& target, const SearchRequest& request);
    /** Replaces the selection when it is the find text, then searches on; -1 when nothing more is found. */
    int replace(SearchTarget& target, const SearchRequest& request);
    /** Replaces every occurrence from the top, never searching inserted text again; the count. */
    int replaceAll(SearchTarget& target, const SearchRequest& request);

    bool searchEnded() const { return m_searchEnded; }

private:
    /** Selects @p found and returns its start, or notes the end of the search and returns -1. */
    int settle(SearchTarget& target, TextRange found);
    /** Where a step with a pattern goes on from: after the selection when it is current, else the top. */
    int patternStepStart(const SearchTarget& target, const SearchRequest& request) const;
    int replacePattern(SearchTarget& target, const SearchRequest& request);
    int replaceAllPattern(SearchTarget& target, const SearchRequest& request);

    bool m_searchEnded = false;
    // What the last replacement put in, selected; a step goes on after it.
    TextRange m_lastReplaced;
    // What the last step found and selected.
    TextRange m_lastFound;
};

/** A search target over a document, through a cursor of its own: no widget is touched. */
class DocumentSearchTarget final : public SearchTarget
{
public:
    DocumentSearchTarget(QTextDocument& document, int selectionStart, int selectionLength);
    ~DocumentSearchTarget() override;

    QString selectedText() const override;
    int selectionStart() const override;
    int selectionLength() const override;
    void setSelection(int start, int length) override;
    QString searchText() const override;
    TextRange find(const QString& text, int from, const SearchOptions& options) const override;
    void replaceSelection(const QString& text) override;
    void beginEditBlock() override;
    void endEditBlock() override;

private:
    struct Private;
    std::unique_ptr<Private> d;
};
