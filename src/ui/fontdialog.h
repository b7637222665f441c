// SPDX-License-Identifier: MIT
#pragma once

#include "dialogs.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QLabel;
class QListWidget;

/**
 * The font dialog: fixed-pitch faces only, starting at the current font (a face that is not
 * installed, such as ＭＳ ゴシック, is listed and chosen as itself), optionally with a colour.
 * What the user leaves alone stays exactly as it was, so OK without a change gives the initial
 * font back.
 */
class FontDialog final : public QDialog
{
    Q_OBJECT
public:
    FontDialog(const QFont& initial, std::optional<QColor> colour, QWidget* parent = nullptr);

    /** The initial font with the user's changes; the colour when one was offered. */
    FontChoice choice() const;

    /** Whether a face counts as fixed pitch: declared so, or its Latin letters all one width. */
    static bool isFixedPitchFamily(const QString& family);

private:
    void updateSample();
    QString chosenFamily() const;
    int chosenPointSize() const;

    QFont m_initial;
    int m_initialPointSize = 0;
    std::optional<QColor> m_initialColour;
    QListWidget* m_families = nullptr;
    QComboBox* m_sizes = nullptr;
    QCheckBox* m_bold = nullptr;
    QCheckBox* m_italic = nullptr;
    QCheckBox* m_underline = nullptr;
    QCheckBox* m_strikeOut = nullptr;
    QComboBox* m_colours = nullptr;
    QLabel* m_sample = nullptr;
};
