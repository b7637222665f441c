// SPDX-License-Identifier: MIT
#pragma once

#include <QColor>
#include <QtGlobal>

class QPalette;

/**
 * A colour as the settings key stores it: 0x00BBGGRR for an explicit colour (red in the low
 * byte), or 0x80000000 plus a system colour index, which follows the desktop's palette.
 * The editor keeps colours in this form so that a system colour is written back as one.
 */
class StoredColour final
{
public:
    constexpr StoredColour() = default;
    constexpr explicit StoredColour(qint32 value)
        : m_value(value)
    { }

    static StoredColour fromColour(const QColor& colour);
    /** System colour @p index (8 is the window text). */
    static StoredColour system(int index);

    constexpr qint32 value() const { return m_value; }
    constexpr bool isSystem() const { return (quint32(m_value) & 0xFF000000u) == 0x80000000u; }
    constexpr int systemIndex() const { return int(quint32(m_value) & 0x00FFFFFFu); }

    /** The colour to paint with; system colours are taken from @p palette. */
    QColor toColour(const QPalette& palette) const;

    friend constexpr bool operator==(StoredColour, StoredColour) = default;

private:
    qint32 m_value = 0;
};
