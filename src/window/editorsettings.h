// SPDX-License-Identifier: MIT
#pragma once

#include "document/storedcolour.h"

#include <QFont>
#include <QStringList>

class SettingsKey;

/** The editor font as it is stored. */
struct StoredFont
{
    StoredColour colour;
    int points = 0;
    QString name;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strikeOut = false;

    static StoredFont from(const QFont& font, StoredColour colour, qreal dpi);
};

/** Point size of @p font, also when it was given in pixels. */
int fontPoints(const QFont& font, qreal dpi);

/** What the editor-settings write stores, taken from the window at the moment of writing. */
struct EditorSettings
{
    QString dialogFolder;
    StoredFont font;
    bool lineNumbers = false;
    int filterIndex = 1;
    QStringList recentFiles;
    QStringList recentFolders;
};

/** What the window stores when it closes. */
struct WindowCloseState
{
    int top = 0;
    int left = 0;
    int height = 0;
    int width = 0;
    int filterIndex = 0;
    QString executableName;
    QString executableFolder;
    bool toolBarShown = true;
    bool launcherAtNextStart = true;
    bool lineNumbers = false;
    QStringList recentFiles;
    QStringList recentFolders;
};

/** Writes the font values in their stored order: colour, size, name, then the four styles. */
void writeFont(SettingsKey& key, const StoredFont& font);
/** The editor-settings write; raises RegistryError, leaving what it wrote before. */
void writeEditorSettings(SettingsKey& key, const EditorSettings& settings);
/** The close write; raises RegistryError, leaving what it wrote before. */
void writeCloseState(SettingsKey& key, const WindowCloseState& state);
