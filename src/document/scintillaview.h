// SPDX-License-Identifier: MIT
#pragma once

// QScintilla's headers use the Qt keywords that this project switches off.
#define signals Q_SIGNALS
#define slots Q_SLOTS
#include <Qsci/qsciscintilla.h>
#undef signals
#undef slots

#include <QElapsedTimer>
#include <QString>
#include <QStringView>

#include <memory>

/**
 * The plain-text view of the document editor: a Scintilla editing component, which holds the
 * text as UTF-8 and stays fast on files of hundreds of megabytes. It speaks in UTF-16 indices,
 * as the rest of the program does, and tells its owner about clicks and keys at the moments
 * the window's handlers need them: a click after the caret has moved, a key press before the
 * view acts on it and a key release after it has.
 *
 * Its own margins and its English context menu stay off: the window draws the ruler and the
 * gutter and brings its own popup.
 */
class ScintillaView final : public QsciScintilla
{
    Q_OBJECT
public:
    /** Blank pixels left of the text, inside the text area. */
    static constexpr int kTextLeftMargin = 4;

    explicit ScintillaView(QWidget* parent = nullptr);
    ~ScintillaView() override;

    /** The whole text; NUL characters stay in it. */
    QString wholeText() const;
    /** The text between two byte positions. */
    QString textBetween(qsizetype from, qsizetype to) const;
    void replaceWholeText(const QString& text);
    /**
     * Empties the view. A document without style bytes (@p styled false) takes half the memory
     * of a large text but can show no colours. True when the view got a new document, whose
     * lexer and undo settings are then the defaults again.
     */
    bool startEmptyDocument(bool styled);
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

    /** Byte position of UTF-16 index @p index, clamped to the text. */
    qsizetype positionFromIndex(qsizetype index) const;
    qsizetype indexFromPosition(qsizetype position) const;
    qsizetype byteLength() const;
    /** The whole text as the component holds it, UTF-8. */
    QByteArray utf8Text() const;
    /** The text as UTF-8 into @p into, reusing its room when it has enough. */
    void copyUtf8Text(QByteArray& into) const;
    /** @p length bytes of the UTF-8 text from byte @p from, cut to the text's end. */
    QByteArray utf8Range(qsizetype from, qsizetype length) const;
    qsizetype indexLength() const;

    /**
     * Gives every line of more than @p shownCharacters characters the style @p style from there
     * to its end; the number of such lines. Nothing happens in a document without style bytes.
     */
    int styleLongLineTails(qsizetype shownCharacters, int style);
    /** Moves a caret that stands in or after a line's hidden rest to the end of its shown start. */
    void keepCaretInShownText();

    /** The first match at or after byte position @p from, through the component's target search; -1 if none. */
    qsizetype findFrom(const QByteArray& needle, qsizetype from, bool matchCase, bool wholeWord) const;
    /** The last match that starts before byte position @p before; -1 if none. */
    qsizetype findBefore(const QByteArray& needle, qsizetype before, bool matchCase, bool wholeWord) const;
    /** Replaces every match from the top as one undo step, never searching inserted text; the count. */
    int replaceEvery(const QString& needle, const QString& replacement, bool matchCase, bool wholeWord,
                     qsizetype* lastStart, qsizetype* lastEnd);

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
    /** The view scrolled vertically, by whatever means. */
    void topLineChanged();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    void setUpDocument();
    QList<qsizetype> matchesOf(const QByteArray& find) const;
    int replaceMatches(const QList<qsizetype>& starts, qsizetype findLength, const QByteArray& replace,
                       qsizetype* lastStart, qsizetype* lastEnd);
    qsizetype searchRange(const QByteArray& needle, qsizetype from, qsizetype to, bool matchCase, bool wholeWord) const;
    void finishComposition();

    // Never shown: it makes the settings of documents that no view shows yet.
    std::unique_ptr<QsciScintillaBase> m_preparer;
    long m_topLine = 0;
    int m_hiddenStyle = -1; // the style that hides the rest of long lines, while any has one
    bool m_composing = false;
    QString m_preedit;
    // What a click committed for the input method, and when: its own copy may still come.
    QString m_committedForInputMethod;
    QElapsedTimer m_committedAt;
};
