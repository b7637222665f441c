// SPDX-License-Identifier: MIT
#pragma once

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
    /** The first match at or after @p from, or -1. */
    virtual int find(const QString& text, int from, bool matchCase, bool wholeWord) const = 0;
    /** The last match that starts before @p before, or -1. */
    virtual int findBefore(const QString& text, int before, bool matchCase, bool wholeWord) const;
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
    bool matchCase = false;
    bool wholeWord = false;
};

/**
 * Find, replace and replace all, always forward. After a step that found nothing, the next
 * step starts again at the top; a step whose selection is not the find (or replace) text
 * starts at the top too.
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
    bool m_searchEnded = false;
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
    int find(const QString& text, int from, bool matchCase, bool wholeWord) const override;
    void replaceSelection(const QString& text) override;
    void beginEditBlock() override;
    void endEditBlock() override;

private:
    struct Private;
    std::unique_ptr<Private> d;
};
