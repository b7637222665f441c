// SPDX-License-Identifier: MIT
#pragma once

#include <QList>
#include <QRect>
#include <QString>

/**
 * The outer rectangles (frame included, in screen coordinates) of the windows on screen that belong
 * to this program and carry @p role, other processes' included. Empty where the display server does
 * not tell (Wayland, offscreen): nothing is known to sit anywhere then.
 */
QList<QRect> programWindowFrames(const QString& role);
