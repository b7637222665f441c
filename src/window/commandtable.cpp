// SPDX-License-Identifier: MIT
#include "commandtable.h"

#include "document/editortexts.h"
#include "documentcontroller.h"
#include "editcommands.h"
#include "grep/greptexts.h"
#include "grepcommands.h"
#include "instancecommands.h"
#include "linejump.h"
#include "mainform.h"
#include "options/help.h"
#include "printing/printcontroller.h"
#include "ui/errorreport.h"
#include "view/search/searchcontroller.h"
#include "view/viewtexts.h"
#include "window/windowtexts.h"

#include <QAction>

#include <vector>

namespace {

std::vector<CommandRow> buildTable()
{
    using C = Command;
    using M = CommandMenu;
    // clang-format off
    return {
        { .id = C::Winexec, .name = "Winexec", .menu = M::File, .caption = &Caption::Winexec, .shortcuts = "Ctrl+N",
          .run = [](CommandTargets& t) { t.instances->WinexecClick(); } },
        { .id = C::F_ONew, .name = "F_ONew", .menu = M::File, .caption = &Caption::F_ONew,
          .run = [](CommandTargets& t) { t.instances->F_ONewClick(); } },
        { .id = C::FileNewItem, .name = "FileNewItem", .menu = M::File, .caption = &Caption::FileNewItem,
          .run = [](CommandTargets& t) { t.documents->FileNew(); } },
        { .id = C::FileOpenItem, .name = "FileOpenItem", .menu = M::File, .caption = &Caption::FileOpenItem,
          .shortcuts = "Ctrl+O",
          .tool = { "ToolButton2", QStyle::SP_DialogOpenButton, &Hint::ToolButton2, 2, false },
          .run = [](CommandTargets& t) { t.documents->FileOpen(); } },
        { .id = C::FileSaveItem, .name = "FileSaveItem", .menu = M::File, .caption = &Caption::FileSaveItem,
          .shortcuts = "Ctrl+S",
          .tool = { "ToolButton3", QStyle::SP_DialogSaveButton, &Hint::ToolButton3, 3, false },
          .run = [](CommandTargets& t) { t.documents->FileSave(); } },
        { .id = C::FileSaveAsItem, .name = "FileSaveAsItem", .menu = M::File, .caption = &Caption::FileSaveAsItem,
          .shortcuts = "Ctrl+Shift+S",
          .tool = { "ToolButton4", QStyle::SP_DriveFDIcon, &Hint::ToolButton4, 4, false },
          .run = [](CommandTargets& t) { t.documents->FileSaveAs(); } },
        // Submenus of their own: the encoding menu fills and wires them.
        { .id = C::ReopenWithEncodingItem, .name = "ReopenWithEncodingItem", .menu = M::File,
          .caption = &kReopenWithEncodingMenu },
        { .id = C::SaveWithEncodingItem, .name = "SaveWithEncodingItem", .menu = M::File,
          .caption = &kSaveWithEncodingMenu },
        { .id = C::FilePrintItem, .name = "FilePrintItem", .menu = M::File, .caption = &Caption::FilePrintItem,
          .shortcuts = "Ctrl+P", .separatorBefore = true,
          .tool = { "ToolButton7", QStyle::SP_ComputerIcon, &Hint::ToolButton7, 5, true },
          .run = [](CommandTargets& t) { t.printing->FilePrint(); } },
        { .id = C::F_PVew, .name = "F_PVew", .menu = M::File, .caption = &Caption::F_PVew, .checkable = true,
          .popup = { "POP_View", &Caption::POP_View, 8, false },
          .run = [](CommandTargets& t) { t.printing->F_PVewClick(); } },
        { .id = C::FilePrintSetupItem, .name = "FilePrintSetupItem", .menu = M::File,
          .caption = &Caption::FilePrintSetupItem,
          .tool = { "ToolButton8", QStyle::SP_FileDialogDetailedView, &Hint::ToolButton8, 6, false },
          .run = [](CommandTargets& t) { t.printing->FilePrintSetup(); } },
        { .id = C::FileExitItem, .name = "FileExitItem", .menu = M::File, .caption = &Caption::FileExitItem,
          .separatorBefore = true, .recentSlotsBefore = true,
          .run = [](CommandTargets& t) { t.window->FileExit(); } },

        { .id = C::EditUndoItem, .name = "EditUndoItem", .menu = M::Edit, .caption = &Caption::EditUndoItem,
          .hint = &Hint::EditUndoItem, .shortcuts = "Ctrl+Z",
          .tool = { "ToolButton5", QStyle::SP_ArrowBack, &Hint::ToolButton5, 8, true },
          .popup = { "P_Undo", &Caption::P_Undo, -1, false },
          .run = [](CommandTargets& t) { t.edit->EditUndo(); } },
        { .id = C::EditRedoItem, .name = "EditRedoItem", .menu = M::Edit, .caption = &Caption::EditRedoItem,
          .shortcuts = "Ctrl+Y; Ctrl+Shift+Z",
          .popup = { "P_Redo", &Caption::P_Redo, 0, false },
          .run = [](CommandTargets& t) { t.edit->EditRedo(); } },
        { .id = C::EditCutItem, .name = "EditCutItem", .menu = M::Edit, .caption = &Caption::EditCutItem,
          .hint = &Hint::EditCutItem, .separatorBefore = true,
          .popup = { "P_Cut", &Caption::P_Cut, 1, true },
          .run = [](CommandTargets& t) { t.edit->EditCut(); } },
        { .id = C::E_all, .name = "E_all", .menu = M::Edit, .caption = &Caption::E_all, .shortcuts = "Ctrl+A",
          .popup = { "Pop_Sel", &Caption::Pop_Sel, 4, true },
          .run = [](CommandTargets& t) { t.edit->E_allClick(); } },
        { .id = C::EditCopyItem, .name = "EditCopyItem", .menu = M::Edit, .caption = &Caption::EditCopyItem,
          .hint = &Hint::EditCopyItem,
          .popup = { "P_Cpy", &Caption::P_Cpy, 2, false },
          .run = [](CommandTargets& t) { t.edit->EditCopy(); } },
        { .id = C::EditPasteItem, .name = "EditPasteItem", .menu = M::Edit, .caption = &Caption::EditPasteItem,
          .hint = &Hint::EditPasteItem,
          .popup = { "P_Past", &Caption::P_Past, 3, false },
          .run = [](CommandTargets& t) { t.edit->EditPaste(); } },
        { .id = C::E_Se, .name = "E_Se", .menu = M::Edit, .caption = &Caption::E_Se, .shortcuts = "Ctrl+F; Ctrl+H",
          .separatorBefore = true, .popup = { "Pop_Se", &Caption::Pop_Se, 7, true },
          .run = [](CommandTargets& t) { t.search->E_SeClick(); } },
        { .id = C::FindNextItem, .name = "FindNextItem", .menu = M::Edit, .caption = &Caption::FindNextItem,
          .shortcuts = "F3", .run = [](CommandTargets& t) { t.search->findNext(); } },
        { .id = C::FindPreviousItem, .name = "FindPreviousItem", .menu = M::Edit,
          .caption = &Caption::FindPreviousItem, .shortcuts = "Shift+F3",
          .run = [](CommandTargets& t) { t.search->findPrevious(); } },
        { .id = C::GrepItem, .name = "GrepItem", .menu = M::Edit, .caption = &kGrepCaption,
          .run = [](CommandTargets& t) { t.grep->GrepClick(); } },
        { .id = C::JumpItem, .name = "JumpItem", .menu = M::Edit, .caption = &kJumpCaption, .shortcuts = "Ctrl+G",
          .run = [](CommandTargets& t) { t.jump->JumpClick(); } },
        { .id = C::N3, .name = "N3", .menu = M::Edit, .caption = &Caption::N3,
          .popup = { "PopFont", &Caption::PopFont, 5, false },
          .run = [](CommandTargets& t) { t.edit->N3Click(); } },
        { .id = C::N5, .name = "N5", .menu = M::Edit, .caption = &Caption::N5, .checkable = true,
          .run = [](CommandTargets& t) { t.edit->N5Click(); } },

        { .id = C::CoolBarVew, .name = "CoolBarVew", .menu = M::Show, .caption = &Caption::CoolBarVew,
          .checkable = true, .checked = true,
          .run = [](CommandTargets& t) { t.edit->CoolBarVewClick(); } },
        // The tree, the ruler and the gutter wire their own switches.
        { .id = C::CoolTree, .name = "CoolTree", .menu = M::Show, .caption = &Caption::CoolTree, .checkable = true },
        { .id = C::VRuler, .name = "VRuler", .menu = M::Show, .caption = &Caption::VRuler, .checkable = true,
          .checked = true },
        { .id = C::VG, .name = "VG", .menu = M::Show, .caption = &Caption::VG, .checkable = true },
        // Code colouring; ColouringSwitch reads and stores its state.
        { .id = C::ColorSyntax, .name = "ColorSyntax", .menu = M::Show, .caption = &Caption::ColorSyntax,
          .checkable = true, .checked = true },

        { .id = C::OP_str, .name = "OP_str", .menu = M::Options, .caption = &Caption::OP_str, .checkable = true,
          .checked = true,
          .run = [](CommandTargets& t) { OP_strClick(*t.launcherSwitch, *t.dialogs); } },

        { .id = C::F_Help, .name = "F_Help", .menu = M::Other, .caption = &Caption::F_Help,
          .run = [](CommandTargets& t) { F_HelpClick(*t.dialogs); } },
        { .id = C::FO, .name = "FO", .menu = M::Other, .caption = &Caption::FO,
          .run = [](CommandTargets& t) { Q_EMIT t.window->optionsRequested(); } },

        // Tool buttons of their own: the clear that can be undone, and the tree's switch.
        { .id = C::ToolButton1, .name = "ToolButton1", .menu = M::None, .caption = nullptr,
          .tool = { "ToolButton1", QStyle::SP_FileIcon, &Hint::ToolButton1, 1, false },
          .run = [](CommandTargets& t) { t.edit->ToolButton1Click(); } },
        { .id = C::ToolButton9, .name = "ToolButton9", .menu = M::None, .caption = nullptr, .checkable = true,
          .tool = { "ToolButton9", QStyle::SP_DirIcon, &Hint::ToolButton9, 7, false } },
    };
    // clang-format on
}

} // namespace

std::span<const CommandRow> commandTable()
{
    // Rows stand in the order of the enum (the window indexes its actions by Command); a test checks it.
    static const std::vector<CommandRow> table = buildTable();
    return table;
}

void connectCommandTable(const CommandActions& actions, CommandTargets& targets, QObject* context)
{
    for (const CommandRow& entry : commandTable()) {
        if (!entry.run)
            continue;
        const size_t k = size_t(entry.id);
        for (QAction* action : { actions.item[k], actions.tool[k], actions.popup[k] }) {
            if (!action)
                continue;
            QObject::connect(action, &QAction::triggered, context,
                             [&targets, run = entry.run] { runReported(*targets.dialogs, [&] { run(targets); }); });
        }
    }
}
