// SPDX-License-Identifier: MIT
#pragma once

#include "storedcolour.h"
#include "tabstops.h"

#include <QFont>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QWidget>

#include <array>
#include <memory>

class QAbstractScrollArea;
class QMenu;
class QMimeData;
class QScrollBar;
class QStackedLayout;
class PlainTextView;
class QTextDocument;
class RichTextView;

/**
 * The document editor ("RichEdit2"). The rest of the program reaches the document only through
 * this interface, so which view shows it is this class's own business: a document read as plain
 * text is shown by a plain-text view (fast on large files), one read as RTF by a rich-text view.
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
     * Loads a document read as plain text that arrives in slices: the plain-text view is
     * emptied when this starts and shows the whole text when it ends (or is destroyed). The
     * result is that of loadPlainText() with the slices joined: undo history empty, modified
     * flag clear, caret at the start. The document is built in one edit with undo off and laid
     * out once, so that a large file costs one pass instead of several.
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
        QTextCursor m_cursor;
        QTextCharFormat m_format;
        Qt::ScrollBarPolicy m_verticalPolicy;
        bool m_finished = false;
    };
    /** Loads a document read as RTF: the rich-text view takes it over and shows it. */
    void loadRichText(std::unique_ptr<QTextDocument> document);
    /** Empties the document; the plain-text view shows it. */
    void clear();
    /** Removes all text as one undoable edit, in the view shown; the undo history stays. */
    void removeAllText();

    /** The document shown, for saving, printing and searching. */
    QTextDocument* document() const;
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

    /** Position of the first match of @p text at or after @p from, or -1. The selection is left alone. */
    int findText(const QString& text, int from, bool matchCase, bool wholeWord) const;

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
    StoredColour textColour() const { return m_textColour; }
    void setTextColour(StoredColour colour);
    StoredColour backgroundColour() const { return m_backgroundColour; }
    void setBackgroundColour(StoredColour colour);

    /** Tab stops in points, for the whole document; past the last one they go on at the same spacing. */
    void setTabStops(const std::array<int, kTabStopCount>& points);
    std::array<int, kTabStopCount> tabStops() const { return m_tabStops; }

    void setWordWrap(bool wrap);
    bool wordWrap() const;

    QTextCharFormat selectionCharFormat() const;
    void mergeSelectionCharFormat(const QTextCharFormat& format);

    /** The caret's rectangle in text-area coordinates (origin at the top left of the text area). */
    QRect caretRect() const;
    /** Where the text area's top left lies in this widget. */
    QPoint textAreaOffset() const;

    /** The vertical scroll bar of the view now shown; every kind of scroll moves it. */
    QScrollBar* verticalScrollBar() const;
    void setContextMenu(QMenu* menu);

    /** Of several dropped files only the last local one is opened; empty when there is none. */
    static QString lastDroppedFile(const QMimeData* mime);

Q_SIGNALS:
    /** The view scrolled vertically, by any means. */
    void verticalScrolled();
    void mousePressed();
    void keyPressing();
    void keyReleased();
    void modificationChanged(bool modified);
    /** Local files were dropped on the text; @p path is the last of them. */
    void filesDropped(const QString& path);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    class View;
    template <class Widget>
    class ViewFor;

    template <class Widget>
    void wireView(Widget* view);
    void showView(View* view);
    void showPlainView();
    void replaceRichDocument(std::unique_ptr<QTextDocument> document);
    void applyColours();
    void applyTabStops();

    QStackedLayout* m_stack = nullptr;
    PlainTextView* m_plainView = nullptr;
    RichTextView* m_richView = nullptr;
    std::unique_ptr<View> m_plainAdapter;
    std::unique_ptr<View> m_richAdapter;
    View* m_view = nullptr;
    QMenu* m_contextMenu = nullptr;
    StoredColour m_textColour = StoredColour::system(8);
    StoredColour m_backgroundColour = StoredColour::system(5);
    std::array<int, kTabStopCount> m_tabStops = tabStopPoints(kDefaultTabWidth, 10);
};
