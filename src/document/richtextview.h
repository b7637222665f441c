// SPDX-License-Identifier: MIT
#pragma once

#include <QTextEdit>

#include <memory>

/**
 * The rich-text view of the document editor, for documents read as RTF. It tells its owner
 * about clicks and keys at the same moments as the plain-text view does.
 */
class RichTextView final : public QTextEdit
{
    Q_OBJECT
public:
    explicit RichTextView(QWidget* parent = nullptr);
    ~RichTextView() override;

    /** Call after setDocument(): footnotes and comments kept from RTF show as a small marker. */
    void showKeptGroupMarkers();

Q_SIGNALS:
    void mousePressed();
    void keyPressing();
    void keyReleased();

private:
    std::unique_ptr<QObject> m_marker;

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
};
