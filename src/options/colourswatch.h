// SPDX-License-Identifier: MIT
#pragma once

#include <QLabel>

/** A colour swatch that looks pressed while the mouse button is down on it, and reports clicks. */
class ColourSwatch final : public QLabel
{
    Q_OBJECT
public:
    explicit ColourSwatch(const QString& name, QWidget* parent = nullptr);

    QColor colour() const { return m_colour; }
    void setColour(const QColor& colour);

Q_SIGNALS:
    void clicked();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    QColor m_colour;
};
