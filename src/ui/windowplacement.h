// SPDX-License-Identifier: MIT
#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

class QWidget;

/**
 * Where a window of outer size @p frame goes to stand over the middle of @p anchor (an outer
 * frame too), moved as little as needed to lie wholly within @p screen. A window larger than the
 * screen keeps its top left corner on it, where its title bar is.
 */
QPoint placedOver(const QSize& frame, const QRect& anchor, const QRect& screen);

/**
 * Moves the top-level @p window over @p anchor's window, wholly on @p screen (the anchor's screen
 * when empty). A window not yet shown has no frame; a usual one is allowed for.
 */
void placeWindowOver(QWidget& window, const QWidget* anchor, QRect screen = {});
