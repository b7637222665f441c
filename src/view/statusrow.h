// SPDX-License-Identifier: MIT
#pragma once

#include <QFrame>

class QLabel;

/**
 * The status row ("Panel1") at the foot of the editor window: the message field "StatusBar1"
 * at the left, the insert-mode field "StatusBar3" and the position field "StatusBar2" at the
 * right, and in the free space between them the format field (encoding and line ending), which
 * opens the encoding menu when clicked. Its fields are laid out again whenever its width changes.
 */
class StatusRow final : public QFrame
{
    Q_OBJECT
public:
    static constexpr int kHeight = 19;

    explicit StatusRow(QWidget* parent = nullptr);

    QLabel* messageField() const { return m_message; }
    QLabel* insertField() const { return m_insert; }
    QLabel* positionField() const { return m_position; }
    QLabel* formatField() const { return m_format; }

Q_SIGNALS:
    /** A left click on the format field; @p globalPos is where a menu for it should open. */
    void formatFieldClicked(const QPoint& globalPos);

protected:
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void layOut();

    QLabel* m_message = nullptr;
    QLabel* m_insert = nullptr;
    QLabel* m_position = nullptr;
    QLabel* m_format = nullptr;
};
