// SPDX-License-Identifier: MIT
#pragma once

// QScintilla's headers use the Qt keywords that this project switches off.
#define signals Q_SIGNALS
#define slots Q_SLOTS
#include <Qsci/qsciscintilla.h>
#undef signals
#undef slots

#include "document/codelanguage.h"
#include "document/editorview.h"
#include "formats/textformat.h"

#include <QElapsedTimer>
#include <QString>
#include <QStringView>

#include <QThreadPool>

#include <memory>

class Utf8Search;

/**
 * The plain-text view of the document editor: a Scintilla editing component, which holds the
 * text as UTF-8 and stays fast on files of hundreds of megabytes. It speaks in UTF-16 indices,
 * as the rest of the program does, and tells its owner about clicks and keys at the moments
 * the window's handlers need them: a click after the caret has moved, a key press before the
 * view acts on it and a key release after it has.
 *
 * Its own margins and its English context menu stay off: the window draws the ruler and the
 * gutter and brings its own popup. The component's messages are sent from this folder only.
 */
class ScintillaView final : public QsciScintilla, public EditorView
{
    Q_OBJECT
public:
    /** Blank pixels left of the text, inside the text area. */
    static constexpr int kTextLeftMargin = 4;

    explicit ScintillaView(QWidget* parent = nullptr);
    ~ScintillaView() override;

    // EditorView
    QAbstractScrollArea* scrollArea() override { return this; }
    int textLeftMargin() const override { return kTextLeftMargin; }
    /** The whole text; NUL characters stay in it. */
    QString wholeText() const override;
    qsizetype textLength() const override { return indexLength(); }
    void textInSlices(const std::function<void(QStringView)>& sink, qsizetype sliceBytes) const override;
    /** The text as UTF-8 into @p into, reusing its room when it has enough. */
    void copyUtf8Text(QByteArray& into) const override;
    qsizetype utf8Length() const override { return byteLength(); }
    void resetText(const QString& text) override;
    void removeAllText() override;
    void dropDocument() override;
    int selectionStart() const override;
    int selectionLength() const override;
    void selectRange(int start, int length) override;
    QString selectedPlainText() const override;
    void replaceSelection(const QString& text) override;
    TextRange findText(const QString& text, int from, const SearchOptions& options) const override;
    std::optional<int> replaceAll(const QString& text, const QString& replacement,
                                  const SearchOptions& options) override;
    void beginUndoGroup() override;
    void endUndoGroup() override;
    void undo() override { QsciScintilla::undo(); }
    void redo() override { QsciScintilla::redo(); }
    bool canUndo() const override;
    void cut() override { QsciScintilla::cut(); }
    void copy() override { QsciScintilla::copy(); }
    void paste() override { QsciScintilla::paste(); }
    void selectWholeText() override { QsciScintilla::selectAll(true); }
    bool isTextModified() const override;
    void setTextModified(bool modified) override;
    int lineOfIndex(int index) const override;
    int indexOfLine(int line) const override;
    int lineTotal() const override;
    int topLine() const override;
    QRect caretRect() const override;
    int lineHeight() const override;
    int zoomSteps() const override;
    void setLook(const QFont& font, const QColor& text, const QColor& background) override;
    void setTabStops(const std::array<int, kTabStopCount>& points, const QFont& font) override;
    void setWordWrap(bool wrap) override;
    QTextCharFormat selectionCharFormat() const override;
    void mergeSelectionCharFormat(const QTextCharFormat&) override { }

    /** The text between two byte positions. */
    QString textBetween(qsizetype from, qsizetype to) const;
    /**
     * Empties the view. A document without style bytes (@p styled false) takes half the memory
     * of a large text but can show no colours. True when the view got a new document, whose
     * lexer and undo settings are then the defaults again.
     */
    bool startEmptyDocument(bool styled);
    /** Appending a loaded text: no undo record, no change notifications until endAppending(). */
    void beginAppending();
    void appendUtf8(QByteArrayView utf8);
    void endAppending();
    /** After a load: undo collected from here on, the caret at the start, nothing modified. */
    void settleLoadedText();
    /**
     * A new document for a text built apart from the view, as the component's loader, with room
     * for @p capacity bytes; nullptr when it cannot be made. Made through a hidden component of
     * its own, never this view: making a loader resets the making view's record of its lines.
     * Callable from another thread (the room is taken there).
     */
    void* createLoader(qsizetype capacity, long documentOptions);
    /**
     * Gives a document that no view shows the settings this view's documents have (code page,
     * line ending, UTF-16 index): best while it is empty. The document is left as it was found,
     * shown by no view.
     */
    void prepareDocument(void* document);
    /**
     * Shows a document made by prepareDocument(): the view takes a reference of its own and the
     * tab width over. Its lexer and undo settings are then the defaults again.
     */
    void adoptDocument(void* document);
    /** Which line break Enter and pasted breaks put in, as a save of @p format writes them. */
    void setLineBreaksFor(const pemmo::formats::TextFormat& format);
    /**
     * Colours @p shown (None: no colouring) over the user's colours, and marks matching braces
     * in code of @p braces. Without colouring, a line longer than @p shownCharacters shows only
     * its start; the number of such lines.
     */
    int showCodeLanguage(CodeLanguage shown, CodeLanguage braces, qsizetype shownCharacters);

    /** Byte position of UTF-16 index @p index, clamped to the text. */
    qsizetype positionFromIndex(qsizetype index) const;
    qsizetype indexFromPosition(qsizetype position) const;
    qsizetype byteLength() const;
    /** The whole text as the component holds it, UTF-8. */
    QByteArray utf8Text() const;
    qsizetype indexLength() const;
    /** @p length bytes of the UTF-8 text from byte @p from, cut to the text's end. */
    QByteArray utf8Range(qsizetype from, qsizetype length) const override;
    /** Moves a caret that stands in or after a line's hidden rest to the end of its shown start. */
    void keepCaretInShownText();

    bool composing() const { return m_composing; }
    /** Tells topLineChanged() when the line at the top of the text area is another one than last time. */
    void checkTopLine();

    /** A message to the component with integer arguments. */
    long sci(unsigned int message, unsigned long wParam = 0, long lParam = 0) const
    {
        return SendScintilla(message, wParam, lParam);
    }
    /** A message to the component with a length (or other integer) and a text. */
    long sciText(unsigned int message, unsigned long wParam, const char* text) const
    {
        return SendScintilla(message, uintptr_t(wParam), text);
    }

Q_SIGNALS:
    void mousePressed();
    void keyPressing();
    void keyReleased();
    /** Insert switched between inserting and typing over. */
    void overtypeChanged(bool overtype);
    void contextMenuWanted(const QPoint& globalPos);
    /** The view scrolled vertically, by whatever means, or its lines changed height (a zoom). */
    void topLineChanged();
    /** The modified flag changed, told once per change. */
    void modifiedChanged(bool modified);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    void setUpDocument();
    void replaceWholeText(const QString& text);
    bool wraps() const;
    void setForcedModified(bool modified);
    int styleLongLineTails(qsizetype shownCharacters, int style);
    int replaceEvery(const QString& needle, const QString& replacement, const SearchOptions& options,
                     qsizetype* lastStart, qsizetype* lastEnd);
    struct ByteRange
    {
        qsizetype start = -1;
        qsizetype end = -1;
    };
    /** The whole text, UTF-8, in one piece. */
    QByteArrayView characters() const;
    QList<ByteRange> matchesOf(const Utf8Search& search) const;
    int replaceEveryRegex(const QString& pattern, const QString& replacement, const SearchOptions& options,
                          qsizetype* lastStart, qsizetype* lastEnd);
    /** What replaces each match: @c bytes for every one while @c ends is empty, else the bytes up to its end. */
    struct Replacements
    {
        QByteArray bytes;
        QList<qsizetype> ends;
        QByteArrayView of(qsizetype match) const;
    };
    int replaceMatches(const QList<ByteRange>& matches, const Replacements& replacements, qsizetype* lastStart,
                       qsizetype* lastEnd);
    void finishComposition();

    // Never shown: it makes the settings of documents that no view shows yet.
    std::unique_ptr<QsciScintillaBase> m_preparer;
    // Frees large documents let go of, through m_preparer: after it here, so done before it goes.
    QThreadPool m_releases;
    long m_topLine = 0;
    long m_eventMask = 0;
    qsizetype m_appendRoom = 0; // the bytes taken for the text being appended; 0 before the first slice
    // The component cannot be marked modified without a change; this stands in for that.
    bool m_forcedModified = false;
    bool m_reportedModified = false;
    QFont m_font;
    QColor m_textColour;
    QColor m_backgroundColour;
    int m_hiddenStyle = -1; // the style that hides the rest of long lines, while any has one
    bool m_composing = false;
    QString m_preedit;
    // What a click committed for the input method, and when: its own copy may still come.
    QString m_committedForInputMethod;
    QElapsedTimer m_committedAt;
};
