// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <QStyle>

#include <array>
#include <span>

class DocumentController;
class Dialogs;
class EditCommands;
class GrepCommands;
class LineJump;
class InstanceCommands;
class PrintController;
class QAction;
class SearchController;
class TMainForm;

/** Every command of the editor window, in the order of the command table. */
enum class Command {
    Winexec,
    F_ONew,
    FileNewItem,
    FileOpenItem,
    FileSaveItem,
    FileSaveAsItem,
    ReopenWithEncodingItem,
    SaveWithEncodingItem,
    FilePrintItem,
    F_PVew,
    FilePrintSetupItem,
    FileExitItem,
    EditUndoItem,
    EditRedoItem,
    EditCutItem,
    E_all,
    EditCopyItem,
    EditPasteItem,
    E_Se,
    FindNextItem,
    FindPreviousItem,
    GrepItem,
    JumpItem,
    N3,
    N5,
    CoolBarVew,
    CoolTree,
    VRuler,
    VG,
    ColorSyntax,
    OP_str,
    F_Help,
    FO,
    ToolButton1,
    ToolButton9,
};
inline constexpr int kCommandCount = int(Command::ToolButton9) + 1;

/** The menus of the menu bar, left to right. */
enum class CommandMenu { None, File, Edit, Show, Options, Other };

/** What the handlers act on; the window fills it once its parts exist. */
struct CommandTargets
{
    TMainForm* window = nullptr;
    DocumentController* documents = nullptr;
    InstanceCommands* instances = nullptr;
    EditCommands* edit = nullptr;
    PrintController* printing = nullptr;
    SearchController* search = nullptr;
    GrepCommands* grep = nullptr;
    LineJump* jump = nullptr;
    Dialogs* dialogs = nullptr;
    QAction* launcherSwitch = nullptr; // OP_str, whose handler reads and sets its check mark
};

/** A command's button on the tool bar. */
struct ToolTwin
{
    const char* name = nullptr;
    QStyle::StandardPixmap icon = QStyle::SP_CustomBase;
    const QString* hint = nullptr;
    int order = 0; // left to right
    bool separatorBefore = false;
};

/** A command's item in the document editor's popup menu. */
struct PopupTwin
{
    const char* name = nullptr;
    const QString* caption = nullptr;
    int order = 0; // top to bottom
    bool separatorBefore = false;
};

/**
 * One row of the command table: everything the window knows of a command, declared once.
 * A row without a handler is a switch that its owner wires itself (the tree, the ruler).
 */
struct CommandRow
{
    Command id;
    const char* name; // the object name of the menu item
    CommandMenu menu;
    const QString* caption;
    const QString* hint = nullptr;
    const char* shortcuts = nullptr; // portable text, several separated by "; "
    bool checkable = false;
    bool checked = false;
    bool separatorBefore = false;
    bool recentSlotsBefore = false; // the recent files' items stand right above this one
    ToolTwin tool = {};
    PopupTwin popup = {};
    void (*run)(CommandTargets&) = nullptr;
};

/** The command table, in menu order. */
std::span<const CommandRow> commandTable();

/** The actions built from the table: the menu item, tool button and popup item of each command. */
struct CommandActions
{
    std::array<QAction*, kCommandCount> item {};
    std::array<QAction*, kCommandCount> tool {};
    std::array<QAction*, kCommandCount> popup {};

    QAction* operator[](Command id) const { return item[size_t(id)]; }
};

/** Connects every command's item and twins to its handler, each run through the error report. */
void connectCommandTable(const CommandActions& actions, CommandTargets& targets, QObject* context);
