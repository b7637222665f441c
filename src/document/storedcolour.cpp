// SPDX-License-Identifier: MIT
#include "storedcolour.h"

#include <QPalette>

#include <array>
#include <utility>

namespace {
// The desktop colour indices that have a counterpart in Qt's palette.
constexpr std::array kSystemRoles = {
    std::pair { 0, QPalette::Button }, // scroll bar
    std::pair { 1, QPalette::Window }, // desktop
    std::pair { 2, QPalette::Highlight }, // active caption
    std::pair { 3, QPalette::Mid }, // inactive caption
    std::pair { 4, QPalette::Window }, // menu
    std::pair { 5, QPalette::Base }, // window background
    std::pair { 6, QPalette::Shadow }, // window frame
    std::pair { 7, QPalette::WindowText }, // menu text
    std::pair { 8, QPalette::WindowText }, // window text
    std::pair { 9, QPalette::HighlightedText }, // caption text
    std::pair { 10, QPalette::Mid }, // active border
    std::pair { 11, QPalette::Mid }, // inactive border
    std::pair { 12, QPalette::Dark }, // application workspace
    std::pair { 13, QPalette::Highlight }, // highlight
    std::pair { 14, QPalette::HighlightedText }, // highlighted text
    std::pair { 15, QPalette::Button }, // button face
    std::pair { 16, QPalette::Dark }, // button shadow
    std::pair { 17, QPalette::PlaceholderText }, // grey text
    std::pair { 18, QPalette::ButtonText }, // button text
    std::pair { 19, QPalette::Text }, // inactive caption text
    std::pair { 20, QPalette::Light }, // button highlight
    std::pair { 21, QPalette::Shadow }, // 3D dark shadow
    std::pair { 22, QPalette::Midlight }, // 3D light
    std::pair { 23, QPalette::ToolTipText }, // info text
    std::pair { 24, QPalette::ToolTipBase }, // info background
};
} // namespace

StoredColour StoredColour::fromColour(const QColor& colour)
{
    const QColor rgb = colour.toRgb();
    return StoredColour(qint32(quint32(rgb.red()) | quint32(rgb.green()) << 8 | quint32(rgb.blue()) << 16));
}

StoredColour StoredColour::system(int index)
{
    return StoredColour(qint32(0x80000000u | quint32(index & 0x00FFFFFF)));
}

QColor StoredColour::toColour(const QPalette& palette) const
{
    if (isSystem()) {
        for (const auto& [index, role] : kSystemRoles) {
            if (index == systemIndex())
                return palette.color(QPalette::Active, role);
        }
        // An index the desktop does not define: the text colour keeps the text readable.
        return palette.color(QPalette::Active, QPalette::WindowText);
    }
    const auto v = quint32(m_value);
    return QColor(int(v & 0xFF), int(v >> 8 & 0xFF), int(v >> 16 & 0xFF));
}
