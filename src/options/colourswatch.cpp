// SPDX-License-Identifier: MIT
#include "colourswatch.h"

#include <QMouseEvent>

ColourSwatch::ColourSwatch(const QString& name, QWidget* parent)
    : QLabel(QStringLiteral("Color"), parent)
{
    setObjectName(name);
    setAlignment(Qt::AlignCenter);
    setAutoFillBackground(true);
    setFrameShape(QFrame::NoFrame);
}

void ColourSwatch::setColour(const QColor& colour)
{
    m_colour = colour;
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, colour);
    // The caption stays readable on dark and light colours alike.
    palette.setColor(QPalette::WindowText, colour.lightness() < 128 ? Qt::white : Qt::black);
    setPalette(palette);
}

void ColourSwatch::mousePressEvent(QMouseEvent* event)
{
    setFrameShape(QFrame::Box);
    setLineWidth(1);
    event->accept();
}

void ColourSwatch::mouseReleaseEvent(QMouseEvent* event)
{
    setFrameShape(QFrame::NoFrame);
    event->accept();
    if (rect().contains(event->position().toPoint()))
        Q_EMIT clicked();
}
