// SPDX-License-Identifier: MIT
#include "editorsettings.h"

#include "document/recentlists.h"
#include "settings/settingskey.h"
#include "settings/settingstable.h"

int fontPoints(const QFont& font, qreal dpi)
{
    if (font.pointSize() > 0)
        return font.pointSize();
    return qRound(font.pixelSize() * 72.0 / dpi);
}

StoredFont StoredFont::from(const QFont& font, StoredColour colour, qreal dpi)
{
    StoredFont stored;
    stored.colour = colour;
    stored.points = fontPoints(font, dpi);
    stored.name = font.family();
    stored.bold = font.bold();
    stored.italic = font.italic();
    stored.underline = font.underline();
    stored.strikeOut = font.strikeOut();
    return stored;
}

void writeFont(SettingsKey& key, const StoredFont& font)
{
    key.writeInteger(Reg::MFontCol, font.colour.value());
    key.writeInteger(Reg::MFontSize, font.points);
    key.writeString(Reg::MFontName, font.name);
    key.writeBool(Reg::MFontStyleB, font.bold);
    key.writeBool(Reg::MFontStyleI, font.italic);
    key.writeBool(Reg::MFontStyleU, font.underline);
    key.writeBool(Reg::MFontStyleS, font.strikeOut);
}

void writeEditorSettings(SettingsKey& key, const EditorSettings& settings)
{
    key.writeString(Reg::MDirSave, settings.dialogFolder);
    writeFont(key, settings.font);
    key.writeBool(Reg::MVG, settings.lineNumbers);
    key.writeInteger(Reg::MFindexNo1, settings.filterIndex);
    writeRecentLists(key, settings.recentFiles, settings.recentFolders);
}

void writeCloseState(SettingsKey& key, const WindowCloseState& state)
{
    key.writeInteger(Reg::MTop, state.top);
    key.writeInteger(Reg::MLeft, state.left);
    key.writeInteger(Reg::MHeight, state.height);
    key.writeInteger(Reg::MWidth, state.width);
    key.writeInteger(Reg::MFindexNo1, state.filterIndex);
    key.writeString(Reg::Mappname, state.executableName);
    key.writeString(Reg::Mapppath, state.executableFolder);
    key.writeBool(Reg::MCoolBarVewF, state.toolBarShown);
    key.writeBool(Reg::MOption, state.launcherAtNextStart);
    key.writeBool(Reg::MVG, state.lineNumbers);
    writeRecentLists(key, state.recentFiles, state.recentFolders);
    key.writeInteger(Reg::MIno, 0);
}
