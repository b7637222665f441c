// SPDX-License-Identifier: MIT
#pragma once

#include <QTextEdit>

/**
 * The rich-text view of the document editor, for documents read as RTF. It tells its owner
 * about clicks and keys at the same moments as the plain-text view does.
 */
class RichTextView final : public QTextEdit
{
    Q_OBJECT
public:
    explicit RichTextView(QWidget* parent = nullptr);

Q_SIGNALS:
    void mousePressed();
    void keyPressing();
    void keyReleased();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
};
