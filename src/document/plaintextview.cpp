// SPDX-License-Identifier: MIT
#include "plaintextview.h"

PlainTextView::PlainTextView(QWidget* parent)
    : QPlainTextEdit(parent)
{ }

void PlainTextView::mousePressEvent(QMouseEvent* event)
{
    QPlainTextEdit::mousePressEvent(event);
    Q_EMIT mousePressed();
}

void PlainTextView::keyPressEvent(QKeyEvent* event)
{
    Q_EMIT keyPressing();
    QPlainTextEdit::keyPressEvent(event);
}

void PlainTextView::keyReleaseEvent(QKeyEvent* event)
{
    QPlainTextEdit::keyReleaseEvent(event);
    Q_EMIT keyReleased();
}
