// SPDX-License-Identifier: MIT
#pragma once

#include <QAccessibleWidget>

class ScintillaView;

/**
 * What assistive technology sees of the plain-text view: an editable text whose offsets are
 * UTF-16 indices, as in Qt's own text widgets. It replaces the component's stock interface,
 * which counts every offset from the start of the text: with accessibility on (any desktop
 * with an accessibility bus), that cost each key a scan up to the caret, about half a second
 * near the end of a 100 MB file. Here an offset costs a line lookup.
 */
class ScintillaAccessible final : public QAccessibleWidget, public QAccessibleTextInterface
{
public:
    explicit ScintillaAccessible(ScintillaView* view);

    /** Makes every ScintillaView use this interface; idempotent. */
    static void install();
    /** Tells assistive technology where the caret is, when anyone listens. */
    static void caretMoved(ScintillaView* view);

    void* interface_cast(QAccessible::InterfaceType type) override;
    QAccessible::State state() const override;

    void selection(int selectionIndex, int* startOffset, int* endOffset) const override;
    int selectionCount() const override;
    void addSelection(int startOffset, int endOffset) override;
    void removeSelection(int selectionIndex) override;
    void setSelection(int selectionIndex, int startOffset, int endOffset) override;
    int cursorPosition() const override;
    void setCursorPosition(int position) override;
    // Both bases name a text(): the widget's by kind, the text interface's by range.
    using QAccessibleWidget::text;
    QString text(int startOffset, int endOffset) const override;
    QString textBeforeOffset(int offset, QAccessible::TextBoundaryType boundaryType, int* startOffset,
                             int* endOffset) const override;
    QString textAfterOffset(int offset, QAccessible::TextBoundaryType boundaryType, int* startOffset,
                            int* endOffset) const override;
    QString textAtOffset(int offset, QAccessible::TextBoundaryType boundaryType, int* startOffset,
                         int* endOffset) const override;
    int characterCount() const override;
    QRect characterRect(int offset) const override;
    int offsetAtPoint(const QPoint& point) const override;
    void scrollToSubstring(int startIndex, int endIndex) override;
    QString attributes(int offset, int* startOffset, int* endOffset) const override;

private:
    ScintillaView* view() const;
    /** The unit of @p boundaryType around @p offset, found within its line; false when there is none. */
    bool unitAt(int offset, QAccessible::TextBoundaryType boundaryType, int* start, int* end) const;
};
