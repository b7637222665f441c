// SPDX-License-Identifier: MIT
#pragma once

#include "editorview.h"

#include <QTextEdit>

#include <memory>

/**
 * The rich-text view of the document editor, for documents read as RTF. It tells its owner
 * about clicks and keys at the same moments as the plain-text view does.
 */
class RichTextView final : public QTextEdit, public EditorView
{
    Q_OBJECT
public:
    explicit RichTextView(QWidget* parent = nullptr);
    ~RichTextView() override;

    /** Shows @p document from now on, the caret at its start; the previous one goes. */
    void adoptDocument(std::unique_ptr<QTextDocument> document);

    // EditorView
    QAbstractScrollArea* scrollArea() override { return this; }
    QString wholeText() const override;
    qsizetype textLength() const override;
    void textInSlices(const std::function<void(QStringView)>& sink, qsizetype sliceBytes) const override;
    void copyUtf8Text(QByteArray& into) const override;
    QByteArray utf8Range(qsizetype from, qsizetype length) const override;
    qsizetype utf8Length() const override { return 0; }
    const QTextDocument* richDocument() const override { return document(); }
    void resetText(const QString& text) override;
    void removeAllText() override;
    void dropDocument() override;
    int selectionStart() const override;
    int selectionLength() const override;
    void selectRange(int start, int length) override;
    QString selectedPlainText() const override;
    void replaceSelection(const QString& text) override;
    TextRange findText(const QString& text, int from, const SearchOptions& options) const override;
    std::optional<int> replaceAll(const QString&, const QString&, const SearchOptions&) override
    {
        return std::nullopt;
    }
    void beginUndoGroup() override;
    void endUndoGroup() override;
    void undo() override { QTextEdit::undo(); }
    void redo() override { QTextEdit::redo(); }
    bool canUndo() const override;
    void cut() override { QTextEdit::cut(); }
    void copy() override { QTextEdit::copy(); }
    void paste() override { QTextEdit::paste(); }
    void selectWholeText() override { QTextEdit::selectAll(); }
    bool isTextModified() const override;
    void setTextModified(bool modified) override;
    int lineOfIndex(int index) const override;
    int indexOfLine(int line) const override;
    int lineTotal() const override;
    int topLine() const override;
    QRect caretRect() const override { return cursorRect(); }
    int lineHeight() const override;
    int zoomSteps() const override { return 0; }
    void setLook(const QFont& font, const QColor& text, const QColor& background) override;
    void setTabStops(const std::array<int, kTabStopCount>& points, const QFont& font) override;
    void setWordWrap(bool wrap) override;
    QTextCharFormat selectionCharFormat() const override;
    void mergeSelectionCharFormat(const QTextCharFormat& format) override;

Q_SIGNALS:
    void mousePressed();
    void keyPressing();
    void keyReleased();
    void modifiedChanged(bool modified);

private:
    bool wraps() const { return lineWrapMode() != QTextEdit::NoWrap; }

    void paintListLabels(const QRect& exposed);

    std::unique_ptr<QObject> m_marker;
    bool m_drawsListLabels = false; ///< the document has list paragraphs whose labels Qt cannot draw
    std::array<int, kTabStopCount> m_tabStops {};
    QFont m_tabFont;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
};
