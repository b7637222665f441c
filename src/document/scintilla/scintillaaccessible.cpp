// SPDX-License-Identifier: MIT
#include "scintillaaccessible.h"

#include "scintillaview.h"

#include <QTextBoundaryFinder>

namespace {
using Sci = QsciScintillaBase;

QAccessibleInterface* factory(const QString& className, QObject* object)
{
    if (className == QLatin1String("ScintillaView") && object && object->isWidgetType())
        return new ScintillaAccessible(static_cast<ScintillaView*>(object));
    return nullptr;
}
} // namespace

ScintillaAccessible::ScintillaAccessible(ScintillaView* view)
    : QAccessibleWidget(view, QAccessible::EditableText)
{ }

void ScintillaAccessible::install()
{
    static const bool installed = [] {
        // Asked by class name, most derived first, so this wins over the component's own factory.
        QAccessible::installFactory(factory);
        return true;
    }();
    Q_UNUSED(installed);
}

void ScintillaAccessible::caretMoved(ScintillaView* view)
{
    if (!QAccessible::isActive())
        return;
    const qsizetype caret = view->indexFromPosition(view->sci(Sci::SCI_GETCURRENTPOS));
    QAccessibleTextCursorEvent event(view, int(caret));
    QAccessible::updateAccessibility(&event);
}

ScintillaView* ScintillaAccessible::view() const
{
    return static_cast<ScintillaView*>(widget());
}

void* ScintillaAccessible::interface_cast(QAccessible::InterfaceType type)
{
    if (type == QAccessible::TextInterface)
        return static_cast<QAccessibleTextInterface*>(this);
    return QAccessibleWidget::interface_cast(type);
}

QAccessible::State ScintillaAccessible::state() const
{
    QAccessible::State s = QAccessibleWidget::state();
    s.editable = !view()->isReadOnly();
    s.multiLine = true;
    s.selectableText = true;
    return s;
}

void ScintillaAccessible::selection(int selectionIndex, int* startOffset, int* endOffset) const
{
    *startOffset = *endOffset = 0;
    if (selectionIndex != 0 || selectionCount() == 0)
        return;
    *startOffset = int(view()->indexFromPosition(view()->sci(Sci::SCI_GETSELECTIONSTART)));
    *endOffset = int(view()->indexFromPosition(view()->sci(Sci::SCI_GETSELECTIONEND)));
}

int ScintillaAccessible::selectionCount() const
{
    return view()->sci(Sci::SCI_GETSELECTIONEMPTY) ? 0 : 1;
}

void ScintillaAccessible::addSelection(int startOffset, int endOffset)
{
    setSelection(0, startOffset, endOffset);
}

void ScintillaAccessible::removeSelection(int selectionIndex)
{
    if (selectionIndex == 0)
        view()->sci(Sci::SCI_SETEMPTYSELECTION, view()->sci(Sci::SCI_GETCURRENTPOS));
}

void ScintillaAccessible::setSelection(int selectionIndex, int startOffset, int endOffset)
{
    if (selectionIndex != 0)
        return;
    view()->sci(Sci::SCI_SETSEL, view()->positionFromIndex(startOffset), view()->positionFromIndex(endOffset));
}

int ScintillaAccessible::cursorPosition() const
{
    return int(view()->indexFromPosition(view()->sci(Sci::SCI_GETCURRENTPOS)));
}

void ScintillaAccessible::setCursorPosition(int position)
{
    view()->sci(Sci::SCI_GOTOPOS, view()->positionFromIndex(position));
}

QString ScintillaAccessible::text(int startOffset, int endOffset) const
{
    if (endOffset < 0)
        endOffset = characterCount();
    return view()->textBetween(view()->positionFromIndex(startOffset), view()->positionFromIndex(endOffset));
}

bool ScintillaAccessible::unitAt(int offset, QAccessible::TextBoundaryType boundaryType, int* start, int* end) const
{
    const int count = characterCount();
    if (offset < 0 || offset > count)
        return false;
    if (boundaryType == QAccessible::NoBoundary) {
        *start = 0;
        *end = count;
        return true;
    }
    const ScintillaView* v = view();
    const long line = v->sci(Sci::SCI_LINEFROMPOSITION, v->positionFromIndex(offset));
    const int lineStart = int(v->indexFromPosition(v->sci(Sci::SCI_POSITIONFROMLINE, line)));
    const int nextLine = int(v->indexFromPosition(v->sci(Sci::SCI_POSITIONFROMLINE, line + 1)));
    if (boundaryType == QAccessible::LineBoundary || boundaryType == QAccessible::ParagraphBoundary) {
        *start = lineStart;
        *end = line + 1 < v->sci(Sci::SCI_GETLINECOUNT) ? nextLine : count;
        return *start < *end || offset == count;
    }
    // Characters, words and sentences never cross a line break here.
    const QString lineText = text(lineStart, nextLine);
    if (lineText.isEmpty())
        return false;
    const QTextBoundaryFinder::BoundaryType type = boundaryType == QAccessible::CharBoundary
        ? QTextBoundaryFinder::Grapheme
        : boundaryType == QAccessible::WordBoundary ? QTextBoundaryFinder::Word
                                                    : QTextBoundaryFinder::Sentence;
    QTextBoundaryFinder finder(type, lineText);
    finder.setPosition(qMin(offset - lineStart, int(lineText.size()) - 1));
    const qsizetype at = finder.isAtBoundary() ? finder.position() : finder.toPreviousBoundary();
    finder.setPosition(at);
    const qsizetype after = finder.toNextBoundary();
    if (at < 0 || after < 0)
        return false;
    *start = lineStart + int(at);
    *end = lineStart + int(after);
    return true;
}

QString ScintillaAccessible::textBeforeOffset(int offset, QAccessible::TextBoundaryType boundaryType, int* startOffset,
                                              int* endOffset) const
{
    *startOffset = *endOffset = -1;
    int start = 0;
    int end = 0;
    if (!unitAt(offset, boundaryType, &start, &end) || start == 0 || !unitAt(start - 1, boundaryType, &start, &end))
        return QString();
    *startOffset = start;
    *endOffset = end;
    return text(start, end);
}

QString ScintillaAccessible::textAfterOffset(int offset, QAccessible::TextBoundaryType boundaryType, int* startOffset,
                                             int* endOffset) const
{
    *startOffset = *endOffset = -1;
    int start = 0;
    int end = 0;
    if (!unitAt(offset, boundaryType, &start, &end) || end >= characterCount() ||
        !unitAt(end, boundaryType, &start, &end))
        return QString();
    *startOffset = start;
    *endOffset = end;
    return text(start, end);
}

QString ScintillaAccessible::textAtOffset(int offset, QAccessible::TextBoundaryType boundaryType, int* startOffset,
                                          int* endOffset) const
{
    *startOffset = *endOffset = -1;
    int start = 0;
    int end = 0;
    if (!unitAt(offset, boundaryType, &start, &end))
        return QString();
    *startOffset = start;
    *endOffset = end;
    return text(start, end);
}

int ScintillaAccessible::characterCount() const
{
    return int(view()->indexLength());
}

QRect ScintillaAccessible::characterRect(int offset) const
{
    const ScintillaView* v = view();
    const qsizetype position = v->positionFromIndex(offset);
    const int x = int(v->sci(Sci::SCI_POINTXFROMPOSITION, 0, position));
    const int y = int(v->sci(Sci::SCI_POINTYFROMPOSITION, 0, position));
    const int next = int(v->sci(Sci::SCI_POINTXFROMPOSITION, 0, v->sci(Sci::SCI_POSITIONAFTER, position)));
    const int height = int(v->sci(Sci::SCI_TEXTHEIGHT, v->sci(Sci::SCI_LINEFROMPOSITION, position)));
    QRect rect(x, y, qMax(1, next - x), height);
    rect.moveTo(v->viewport()->mapToGlobal(rect.topLeft()));
    return rect;
}

int ScintillaAccessible::offsetAtPoint(const QPoint& point) const
{
    const ScintillaView* v = view();
    const QPoint local = v->viewport()->mapFromGlobal(point);
    const long position = v->sci(Sci::SCI_POSITIONFROMPOINTCLOSE, local.x(), local.y());
    return position < 0 ? -1 : int(v->indexFromPosition(position));
}

void ScintillaAccessible::scrollToSubstring(int startIndex, int endIndex)
{
    view()->sci(Sci::SCI_SCROLLRANGE, view()->positionFromIndex(endIndex), view()->positionFromIndex(startIndex));
}

QString ScintillaAccessible::attributes(int offset, int* startOffset, int* endOffset) const
{
    // One font and colour for all of the text: no runs to report.
    Q_UNUSED(offset);
    *startOffset = 0;
    *endOffset = characterCount();
    return QString();
}
