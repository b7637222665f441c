// SPDX-License-Identifier: MIT
#pragma once

#include "searchoptions.h"
#include "tabstops.h"

#include <QString>
#include <QStringView>

#include <array>
#include <functional>
#include <optional>

class QAbstractScrollArea;
class QByteArray;
class QColor;
class QFont;
class QRect;
class QTextCharFormat;
class QTextDocument;

/**
 * What the document editor asks of the view that shows its document: the Scintilla view for
 * plain text, the rich-text view for RTF. Positions are UTF-16 indices; lines are the lines as
 * the view lays them out (paragraphs while word wrap is off).
 */
class EditorView
{
public:
    virtual ~EditorView() = default;

    /** The view as a widget: its viewport is the text area, its scroll bars scroll the text. */
    virtual QAbstractScrollArea* scrollArea() = 0;
    /** Blank pixels left of the text inside the text area, which the ruler and gutter count in. */
    virtual int textLeftMargin() const { return 0; }

    virtual QString wholeText() const = 0;
    /** The text's length in UTF-16 units. */
    virtual qsizetype textLength() const = 0;
    /** Hands the text to @p sink in slices of about @p sliceBytes, each but the last ending with a line break. */
    virtual void textInSlices(const std::function<void(QStringView)>& sink, qsizetype sliceBytes) const = 0;
    /** The text as UTF-8 into @p into, reusing its room when it has enough. */
    virtual void copyUtf8Text(QByteArray& into) const = 0;
    /** @p length bytes of the UTF-8 text from byte @p from, cut to the text's end. */
    virtual QByteArray utf8Range(qsizetype from, qsizetype length) const = 0;
    /** The text's length in UTF-8 bytes where the view holds it so, else 0. */
    virtual qsizetype utf8Length() const = 0;
    /** The rich document, or null for a view of plain text. */
    virtual const QTextDocument* richDocument() const { return nullptr; }

    /** Replaces the text; the undo history starts afresh, the caret goes to the start, nothing is modified. */
    virtual void resetText(const QString& text) = 0;
    /** Removes all text as one undoable edit. */
    virtual void removeAllText() = 0;
    /** Lets go of the text and its undo history for good: the other view shows the document now. */
    virtual void dropDocument() = 0;

    virtual int selectionStart() const = 0;
    virtual int selectionLength() const = 0;
    /** Selects and scrolls the caret into view. */
    virtual void selectRange(int start, int length) = 0;
    /** The selected text with plain line breaks. */
    virtual QString selectedPlainText() const = 0;
    virtual void replaceSelection(const QString& text) = 0;
    /** The match nearest @p from in the options' direction; the selection is left alone. */
    virtual TextRange findText(const QString& text, int from, const SearchOptions& options) const = 0;
    /** Replace All in one pass of the view's own, the last replacement selected; nullopt when it has none. */
    virtual std::optional<int> replaceAll(const QString& text, const QString& replacement,
                                          const SearchOptions& options) = 0;

    virtual void beginUndoGroup() = 0;
    virtual void endUndoGroup() = 0;
    virtual void undo() = 0;
    virtual void redo() = 0;
    virtual bool canUndo() const = 0;
    virtual void cut() = 0;
    virtual void copy() = 0;
    virtual void paste() = 0;
    virtual void selectWholeText() = 0;
    virtual bool isTextModified() const = 0;
    virtual void setTextModified(bool modified) = 0;

    virtual int lineOfIndex(int index) const = 0;
    /** The index of the first character of @p line, or -1 past the last line. */
    virtual int indexOfLine(int line) const = 0;
    virtual int lineTotal() const = 0;
    virtual int topLine() const = 0;
    /** The caret's rectangle in text-area coordinates. */
    virtual QRect caretRect() const = 0;
    virtual int lineHeight() const = 0;
    /** Points that Ctrl+wheel adds to the font for the moment. */
    virtual int zoomSteps() const = 0;

    /** The font and colours of all the text (of a new text, for rich text). */
    virtual void setLook(const QFont& font, const QColor& text, const QColor& background) = 0;
    /** Tab stops in points for the whole document, as cells of @p font. */
    virtual void setTabStops(const std::array<int, kTabStopCount>& points, const QFont& font) = 0;
    virtual void setWordWrap(bool wrap) = 0;
    virtual QTextCharFormat selectionCharFormat() const = 0;
    virtual void mergeSelectionCharFormat(const QTextCharFormat& format) = 0;
};
