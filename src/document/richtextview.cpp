// SPDX-License-Identifier: MIT
#include "richtextview.h"

RichTextView::RichTextView(QWidget* parent)
    : QTextEdit(parent)
{
}

void RichTextView::mousePressEvent(QMouseEvent* event)
{
    QTextEdit::mousePressEvent(event);
    Q_EMIT mousePressed();
}

void RichTextView::keyPressEvent(QKeyEvent* event)
{
    Q_EMIT keyPressing();
    QTextEdit::keyPressEvent(event);
}

void RichTextView::keyReleaseEvent(QKeyEvent* event)
{
    QTextEdit::keyReleaseEvent(event);
    Q_EMIT keyReleased();
}
