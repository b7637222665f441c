// SPDX-License-Identifier: MIT
#pragma once

#include "document/storedcolour.h"

#include <QRect>
#include <QStringList>

#include <functional>

class QMainWindow;
class QWidget;
class RulerGutter;
class SettingsKey;
class DocumentEditor;
class QAction;

/** The controls whose stored state the restorer puts back. */
struct RestoredControls
{
    DocumentEditor* RichEdit2 = nullptr;
    QWidget* CoolBar1 = nullptr;
    QAction* CoolBarVew = nullptr;
    QAction* OP_str = nullptr;
    QAction* VG = nullptr;
};

/**
 * Restores the editor window's stored settings at its creation, in one registry sequence.
 *
 * When a value without a default is missing or mistyped, or a write fails, the rest is skipped
 * and the editor falls back to the window's designed font, which is written back so that the
 * next start finds complete settings; the window then keeps its designed place for this run.
 */
class SettingsRestorer final
{
public:
    /** @p otherEditors are the outer frames of the editor windows already on screen. */
    SettingsRestorer(QMainWindow& window, const RestoredControls& controls, QRect screen, bool withCommandLineFile,
                     QList<QRect> otherEditors = {});

    /**
     * Runs the sequence. Returns an error message when even the fallback could not be written;
     * the caller reports it and ends its own creation there.
     */
    QString run();

    QStringList recentFiles() const { return m_recentFiles; }
    QStringList recentFolders() const { return m_recentFolders; }
    int filterIndex() const { return m_filterIndex; }
    int tabWidth() const { return m_tabWidth; }
    /** The outer rectangle the window was given; empty when the restore did not get that far. */
    QRect outerGeometry() const { return m_outer; }

private:
    void restore(SettingsKey& key);
    void readValues(SettingsKey& key);
    void applyEditorLook();
    void stepPastOtherEditors(SettingsKey& key);
    /** True when the position did not fit and went back to the corner. */
    bool clampPosition(SettingsKey& key);
    void applyWindow();
    void fallBack(SettingsKey& key);

    QMainWindow& m_window;
    RestoredControls m_ui;
    QRect m_screen;
    bool m_withFile;
    QList<QRect> m_otherEditors;

    QStringList m_recentFiles;
    QStringList m_recentFolders;
    StoredColour m_fontColour;
    StoredColour m_background;
    int m_fontSize = 0;
    int m_filterIndex = 0;
    QString m_fontName;
    bool m_option = true;
    bool m_bold = false;
    bool m_italic = false;
    bool m_underline = false;
    bool m_strikeOut = false;
    int m_tabWidth = 8;
    int m_top = 0;
    int m_left = 0;
    int m_height = 0;
    int m_width = 0;
    bool m_toolBar = true;
    QRect m_outer;
};

/** Moves and sizes @p window so that its outer frame covers @p outer. */
void setOuterGeometry(QWidget& window, const QRect& outer);
