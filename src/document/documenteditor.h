// SPDX-License-Identifier: MIT
#pragma once

#include "codelanguage.h"
#include "formats/textformat.h"
#include "searchoptions.h"
#include "storedcolour.h"
#include "tabstops.h"

#include <QFont>
#include <QTextCharFormat>
#include <QWidget>

#include <array>
#include <functional>
#include <memory>
#include <optional>

class DetachedDocument;
class EditorView;
class QAbstractScrollArea;
class QKeyEvent;
class QMenu;
class QMimeData;
class QScrollBar;
class QStackedLayout;
class QTextDocument;
class RichTextView;
class ScintillaView;

/**
 * The document editor ("RichEdit2"). The rest of the program reaches the document only through
 * this interface, so which view shows it is this class's own business: a document read as plain
 * text is shown by a Scintilla view (fast on large files), one read as RTF by a rich-text view.
 * Views change only when a document is loaded or cleared, never while the user types.
 *
 * Lines are the lines as the view lays them out (paragraphs while word wrap is off).
 */
class DocumentEditor final : public QWidget
{
    Q_OBJECT
public:
    explicit DocumentEditor(QWidget* parent = nullptr);
    ~DocumentEditor() override;

    QString text() const;
    /** Replaces the text in the view now shown; the undo history starts afresh and the caret goes to the start. */
    void setText(const QString& text);
    /** Loads a document read as plain text: the plain-text view shows it. */
    void loadPlainText(const QString& text);

    /**
     * Loads a document read as plain text that arrives in slices on the GUI thread: the
     * plain-text view is emptied when this starts and grows with every slice. The result is
     * that of loadPlainText() with the slices joined: undo history empty, modified flag clear,
     * caret at the start. Undo collection and the component's change notifications are off
     * while the text goes in.
     */
    class PlainTextLoad final
    {
    public:
        explicit PlainTextLoad(DocumentEditor& editor);
        ~PlainTextLoad();
        PlainTextLoad(const PlainTextLoad&) = delete;
        PlainTextLoad& operator=(const PlainTextLoad&) = delete;

        void append(QStringView slice);
        /** Ends the load now; later calls do nothing. */
        void finish();

    private:
        DocumentEditor& m_editor;
        bool m_finished = false;
    };
    /**
     * Loads a document read as plain text whose slices come from another thread: the
     * component's document is built apart from the view there (its memory taken, its lines
     * counted) while the window paints, and finish() shows it whole. The plain-text view is
     * emptied when this starts. The result is that of loadPlainText() with the slices joined.
     * A text of @p sourceBytes or more that @p language does not colour is held without style bytes.
     *
     * Construct, finish and destroy on the GUI thread, which runs its event loop meanwhile;
     * append() and readSoFar() on one thread, in order. Destroyed unfinished, it leaves the
     * view empty.
     */
    class BackgroundPlainTextLoad final
    {
    public:
        BackgroundPlainTextLoad(DocumentEditor& editor, qsizetype sourceBytes, CodeLanguage language);
        ~BackgroundPlainTextLoad();
        BackgroundPlainTextLoad(const BackgroundPlainTextLoad&) = delete;
        BackgroundPlainTextLoad& operator=(const BackgroundPlainTextLoad&) = delete;

        void append(QByteArrayView utf8);
        /**
         * Tells how far the reading is: @p sourceDone of @p sourceTotal file bytes gave the
         * slices so far. The first call takes the room for the whole text, as the text so far
         * lets foresee it, so that the component never copies a large text to grow.
         */
        void readSoFar(qint64 sourceDone, qint64 sourceTotal);
        /** Shows the document; false when the component ran out of memory (the view stays empty). */
        bool finish();

    private:
        void startDocument(qsizetype capacity);

        DocumentEditor& m_editor;
        bool m_styled = true;
        std::unique_ptr<DetachedDocument> m_document;
        // The text before the room for all of it is known.
        QByteArray m_held;
        qint64 m_appended = 0;
        bool m_failed = false;
        bool m_finished = false;
    };
    /**
     * A plain text built on another thread while the view goes on showing what it shows, then
     * shown whole: for a text too large to grow in the view without stalling the window (each
     * growth of the component's buffers touches all of their memory). Its memory is taken, and
     * grown, on the thread that adds.
     *
     * Construct, show() and destroy on the GUI thread; add() on one other thread, in order, and
     * only before show(), with the thread's end sequenced before it.
     */
    class AsideText final
    {
    public:
        explicit AsideText(DocumentEditor& editor);
        ~AsideText();
        AsideText(const AsideText&) = delete;
        AsideText& operator=(const AsideText&) = delete;

        void add(QByteArrayView utf8);
        /**
         * The plain-text view shows the text, settled as a load leaves it, with the caret where it
         * was; false when the component ran out of memory (the view keeps what it showed).
         */
        bool show();

    private:
        DocumentEditor& m_editor;
        std::unique_ptr<DetachedDocument> m_document;
        bool m_failed = false;
        qsizetype m_lineBytes = 0; // of the last line so far
        qsizetype m_longestLineBytes = 0;
    };
    /** Loads a document read as RTF: the rich-text view takes it over and shows it. */
    void loadRichText(std::unique_ptr<QTextDocument> document);
    /** Empties the document; the plain-text view shows it. */
    void clear();
    /** Removes all text as one undoable edit, in the view shown; the undo history stays. */
    void removeAllText();

    /** The rich document, for an RTF save; null while the plain-text view holds the document. */
    const QTextDocument* richDocument() const;
    /** The text's length in UTF-16 units. */
    qsizetype textLength() const;
    /**
     * Hands the text to @p sink in slices of about @p sliceBytes, in order: joined they are text().
     * Every slice but the last ends with a line break. There is always at least one slice.
     */
    void textInSlices(const std::function<void(QStringView)>& sink, qsizetype sliceBytes = 4 << 20) const;
    /**
     * The plain text as UTF-8, in one copy of the component's buffer: cheap enough to take on the
     * GUI thread for a text of a hundred megabytes, to be encoded elsewhere.
     */
    QByteArray plainTextUtf8() const;
    /** plainTextUtf8() into @p into, reusing its room when it has enough. */
    void copyPlainTextUtf8(QByteArray& into) const;
    /** @p length bytes of plainTextUtf8() from byte @p from, without copying the rest. */
    QByteArray plainTextUtf8(qsizetype from, qsizetype length) const;
    /** The plain view's text length in UTF-8 bytes; 0 while the rich view holds the document. */
    qsizetype plainTextByteLength() const;
    /** Whether the rich-text view holds the document. */
    bool isRichText() const;

    int selectionStart() const;
    int selectionLength() const;
    /** Selects @p length characters from @p start and scrolls the caret into view. */
    void setSelection(int start, int length);

    /** The line holding character @p index (0-based). */
    int lineFromChar(int index) const;
    /** The index of the first character of @p line. */
    int lineIndex(int line) const;
    int lineCount() const;
    int firstVisibleLine() const;

    /**
     * The match of @p text nearest @p from in the options' direction: the first at or after it, or the
     * last that starts before it. A match may differ from @p text in length. The selection is left alone.
     */
    TextRange findText(const QString& text, int from, const SearchOptions& options) const;
    QString selectedText() const;
    /** Replaces the selection with @p text and selects nothing after it. */
    void replaceSelection(const QString& text);
    /**
     * Replaces every match from the top in one pass as one undo step, leaving the last
     * replacement selected; the count. nullopt when the view shown has no such pass.
     */
    std::optional<int> replaceAll(const QString& text, const QString& replacement, const SearchOptions& options);
    /** Changes until endUndoGroup() are one undo step. */
    void beginUndoGroup();
    void endUndoGroup();

    void undo();
    void redo();
    /** The clipboard commands and select-all of the view shown. */
    void cut();
    void copy();
    void paste();
    void selectAll();
    /** Gives the keyboard focus to the text. */
    void focusText();
    bool isUndoAvailable() const;
    bool isModified() const;
    void setModified(bool modified);

    QFont editorFont() const;
    void setEditorFont(const QFont& font);
    /** The editor font as the text is drawn now: Ctrl+wheel zooms it for the moment, unstored. */
    QFont shownFont() const;
    StoredColour textColour() const { return m_textColour; }
    void setTextColour(StoredColour colour);
    StoredColour backgroundColour() const { return m_backgroundColour; }
    void setBackgroundColour(StoredColour colour);

    /** Tab stops in points, for the whole document; past the last one they go on at the same spacing. */
    void setTabStops(const std::array<int, kTabStopCount>& points);
    std::array<int, kTabStopCount> tabStops() const { return m_tabStops; }

    void setWordWrap(bool wrap);
    bool wordWrap() const;

    /** The language of the plain text, which its colouring and brace matching follow. */
    void setCodeLanguage(CodeLanguage language);
    CodeLanguage codeLanguage() const { return m_language; }
    /** Code colouring on or off; it only ever changes how the text looks. */
    void setCodeColouring(bool on);

    /**
     * Which line break the plain view puts in for Enter and pasted breaks: '\n', as the text
     * holds breaks, or the file's most frequent one when the text keeps the file's own breaks
     * (TextFormat::keptLineEndings). A save writes the text's breaks by the same format.
     */
    void setLineBreaksFor(const pemmo::formats::TextFormat& format);
    bool codeColouring() const { return m_colouring; }

    /**
     * A line longer than this many characters shows only its start: the component lays out a
     * whole line at a time, so a line of megabytes would take seconds to show and every key in
     * it as long. The text itself stays whole, to search, copy, print and save.
     */
    static constexpr qsizetype kLongLineShownCharacters = 10'000;
    /** How many lines of the plain text now show only their start; 0 in coloured code. */
    int shortenedLines() const { return m_shortenedLines; }

    QTextCharFormat selectionCharFormat() const;
    void mergeSelectionCharFormat(const QTextCharFormat& format);

    /** The caret's rectangle in text-area coordinates (origin at the top left of the text area). */
    QRect caretRect() const;
    /** Where the text area's top left lies in this widget: where the first column starts, past the left margin. */
    QPoint textAreaOffset() const;
    /** The height of one laid-out line in pixels. */
    int lineHeight() const;

    /** The vertical scroll bar of the view now shown; every kind of scroll moves it. */
    QScrollBar* verticalScrollBar() const;
    void setContextMenu(QMenu* menu);
    /** Enter opens instead of breaking the line (a Grep result's lines): enterActivated() is sent instead. */
    void setEnterActivates(bool activates) { m_enterActivates = activates; }

    /** Of several dropped files only the last local one is opened; empty when there is none. */
    static QString lastDroppedFile(const QMimeData* mime);

Q_SIGNALS:
    /** The view scrolled vertically, by any means. */
    void verticalScrolled();
    void mousePressed();
    /** Enter was pressed while setEnterActivates(true): the key typed nothing. */
    void enterActivated();
    /** A double-click on the text; the view has done its own (selected a word) by the time a queued slot runs. */
    void doubleClicked();
    void keyPressing();
    void keyReleased();
    void modificationChanged(bool modified);
    /** The Insert key switched typing over on or off. */
    void overtypeChanged(bool overtype);
    /**
     * Something that may change the text happened: a key that is not a mere move, an input
     * method's text, a drop or middle click, an edit command. Cheap where the component's own
     * change notifications are not: they stay off for speed.
     */
    void textMayChange();
    /** Local files were dropped on the text; @p path is the last of them. */
    void filesDropped(const QString& path);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::array<EditorView*, 2> views() const;
    /** Shows @p view; the other one lets go of its document. */
    void showView(EditorView* view);
    void applyFont();
    void applyCodeColouring();
    void applyTabStops();
    void showContextMenu(const QPoint& globalPos);
    void settleLoadedPlainText();
    static bool movesOnly(const QKeyEvent& key);
    static bool keepsStyleBytes(qsizetype sourceBytes, CodeLanguage language);

    QStackedLayout* m_stack = nullptr;
    ScintillaView* m_plainView = nullptr;
    RichTextView* m_richView = nullptr;
    // The view that shows the document: every question about the document goes to it.
    EditorView* m_shown = nullptr;
    bool m_enterActivates = false;
    bool m_wordWrap = false;
    CodeLanguage m_language = CodeLanguage::None;
    bool m_colouring = true;
    int m_shortenedLines = 0;
    QMenu* m_contextMenu = nullptr;
    QFont m_font;
    StoredColour m_textColour = StoredColour::system(8);
    StoredColour m_backgroundColour = StoredColour::system(5);
    std::array<int, kTabStopCount> m_tabStops = tabStopPoints(kDefaultTabWidth, 10);
};
