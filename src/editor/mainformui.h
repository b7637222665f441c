// SPDX-License-Identifier: MIT
#pragma once

#include <QList>

class DocumentEditor;
class PlainTextView;
class QAction;
class QFrame;
class QLabel;
class QMainWindow;
class QMenu;
class QMenuBar;
class QPushButton;
class QToolBar;
class QTreeWidget;
class QWidget;
class StatusRow;

/**
 * The controls of the editor window, under their given names. Built once by buildMainFormUi();
 * the window owns them through Qt parentage.
 */
struct MainFormUi
{
    QMenuBar* MainMenu = nullptr;
    QMenu* FileMenu = nullptr;
    QAction* Winexec = nullptr;
    QAction* F_ONew = nullptr;
    QAction* FileNewItem = nullptr;
    QAction* FileOpenItem = nullptr;
    QAction* FileSaveItem = nullptr;
    QAction* FileSaveAsItem = nullptr;
    QAction* FilePrintItem = nullptr;
    QAction* F_PVew = nullptr;
    QAction* FilePrintSetupItem = nullptr;
    QList<QAction*> MRU;             // MRU1..MRU5
    QAction* MRUSeparator = nullptr;
    QAction* FileExitItem = nullptr;

    QMenu* EditMenu = nullptr;
    QAction* EditUndoItem = nullptr;
    QAction* EditCutItem = nullptr;
    QAction* E_all = nullptr;
    QAction* EditCopyItem = nullptr;
    QAction* EditPasteItem = nullptr;
    QAction* E_Se = nullptr;
    QAction* N3 = nullptr;
    QAction* N5 = nullptr;

    QMenu* Show1 = nullptr;
    QAction* CoolBarVew = nullptr;
    QAction* CoolTree = nullptr;
    QAction* VRuler = nullptr;
    QAction* VG = nullptr;

    QMenu* OP = nullptr;
    QAction* OP_str = nullptr;

    QMenu* FT = nullptr;
    QAction* F_Help = nullptr;
    QAction* FO = nullptr;

    QMenu* PopupMenu1 = nullptr; // of the work-folder tree
    QMenu* PopupMenu2 = nullptr; // of the document editor
    QMenu* PopupMenu3 = nullptr; // of the print preview

    QFrame* CoolBar1 = nullptr;
    QToolBar* ToolBar1 = nullptr;
    QAction* ToolButton1 = nullptr;
    QAction* ToolButton2 = nullptr;
    QAction* ToolButton3 = nullptr;
    QAction* ToolButton4 = nullptr;
    QAction* ToolButton7 = nullptr;
    QAction* ToolButton8 = nullptr;
    QAction* ToolButton9 = nullptr;
    QAction* ToolButton5 = nullptr;
    QFrame* Panel3 = nullptr;
    QList<QPushButton*> Buttons; // Button1..Button4

    QFrame* Ruler = nullptr;
    QLabel* Label1 = nullptr;
    QFrame* Panel4 = nullptr;
    QLabel* Label3 = nullptr;
    DocumentEditor* RichEdit2 = nullptr;
    PlainTextView* Memo1 = nullptr;
    QFrame* CoolBar2 = nullptr;
    QWidget* FilePanel = nullptr;
    QLabel* Label2 = nullptr;
    QTreeWidget* Tree = nullptr;
    QWidget* QRPreview1 = nullptr;
    QFrame* Panel2 = nullptr;
    QWidget* QuickRep1 = nullptr;
    StatusRow* Panel1 = nullptr;
};

/** The designed outer size of the editor window. */
inline constexpr int kDesignedWidth = 743;
inline constexpr int kDesignedHeight = 543;
inline constexpr int kDesignedLeft = 243;
inline constexpr int kDesignedTop = 110;
/** Pixel heights of the designed fonts: the window's own and the document editor's. */
inline constexpr int kWindowFontPixels = 15;
inline constexpr int kEditorFontPixels = 18;

/** Creates every control, menu and tool button of the editor window in its designed state. */
void buildMainFormUi(QMainWindow* window, MainFormUi& ui);
