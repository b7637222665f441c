// SPDX-License-Identifier: MIT
#pragma once

#include "commandtable.h"

#include <QList>

class DocumentEditor;
class QAbstractButton;
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
    QMenu* EditMenu = nullptr;
    QMenu* Show1 = nullptr;
    QMenu* OP = nullptr;
    QMenu* FT = nullptr;
    /** Every command's menu item, tool button and popup item, built from the command table. */
    CommandActions commands;
    QList<QAction*> MRU; // MRU1..MRU5
    QAction* MRUSeparator = nullptr;

    QMenu* PopupMenu1 = nullptr; // of the work-folder tree
    QList<QAction*> treeFilterItems; // Pop_txt, Pop_html, Pop_rtf, Pop_all
    QMenu* PopupMenu2 = nullptr; // of the document editor
    QMenu* PopupMenu3 = nullptr; // of the print preview
    QList<QAction*> previewZoomItems; // PView100, PView80, PView50, PView20

    QFrame* CoolBar1 = nullptr;
    QToolBar* ToolBar1 = nullptr;
    QFrame* Panel3 = nullptr;
    QList<QAbstractButton*> Buttons; // Button1..Button4

    QFrame* Ruler = nullptr;
    QLabel* Label1 = nullptr;
    QFrame* Panel4 = nullptr;
    QLabel* Label3 = nullptr;
    DocumentEditor* RichEdit2 = nullptr;
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
