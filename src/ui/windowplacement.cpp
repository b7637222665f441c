// SPDX-License-Identifier: MIT
#include "windowplacement.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <algorithm>

namespace {
/** Title bar and borders as window managers usually draw them, until the real ones are known. */
constexpr QMargins kUsualFrame(4, 30, 4, 4);
} // namespace

QPoint placedOver(const QSize& frame, const QRect& anchor, const QRect& screen)
{
    QRect placed(QPoint(), frame);
    placed.moveCenter(anchor.isValid() ? anchor.center() : screen.center());
    const int left = std::max(screen.left(), std::min(placed.left(), screen.right() + 1 - frame.width()));
    const int top = std::max(screen.top(), std::min(placed.top(), screen.bottom() + 1 - frame.height()));
    return QPoint(left, top);
}

void placeWindowOver(QWidget& window, const QWidget* anchor, QRect screen)
{
    const QWidget* over = anchor ? anchor->window() : nullptr;
    if (screen.isEmpty()) {
        const QScreen* shown = over ? over->screen() : QGuiApplication::primaryScreen();
        if (!shown)
            return;
        screen = shown->availableGeometry();
    }
    const bool framed = window.isVisible() && window.frameGeometry() != window.geometry();
    const QSize frame = framed ? window.frameGeometry().size() : window.size().grownBy(kUsualFrame);
    // A top-level window's position is its frame's.
    window.move(placedOver(frame, over ? over->frameGeometry() : QRect(), screen));
}
