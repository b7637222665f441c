// SPDX-License-Identifier: MIT
#pragma once

#include <QPlainTextEdit>

/**
 * A plain-text view that tells its owner about clicks and keys at the moments the window's
 * handlers need them: a click after the caret has moved, a key press before the view acts on it
 * and a key release after it has.
 */
class PlainTextView final : public QPlainTextEdit
{
    Q_OBJECT
public:
    explicit PlainTextView(QWidget* parent = nullptr);

Q_SIGNALS:
    void mousePressed();
    void keyPressing();
    void keyReleased();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
};
