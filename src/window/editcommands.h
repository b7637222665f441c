// SPDX-License-Identifier: MIT
#pragma once

#include <QObject>

#include <functional>

class Dialogs;
class DocumentEditor;
class QAction;
class QLabel;
class QToolBar;
class QWidget;

/** The controls the edit commands act on. */
struct EditControls
{
    DocumentEditor* RichEdit2 = nullptr;
    QAction* PopFont = nullptr; // the popup's font item
    QAction* N5 = nullptr; // word wrap
    QAction* CoolBarVew = nullptr;
    QWidget* CoolBar1 = nullptr;
    QToolBar* ToolBar1 = nullptr;
    QLabel* messageField = nullptr;
};

/** What the commands need of the editor window besides its controls. */
struct EditCommandHooks
{
    /** The save prompt; false when the caller must stop. */
    std::function<bool()> savePrompt;
    std::function<QString()> currentFileName;
    std::function<void()> writeEditorSettings;
    std::function<void(const QString&)> setDocumentTitle;
    std::function<void()> fitRulerHeight;
};

/** Undo, the clipboard, select-all, clearing, the font command, word wrap and the tool-bar switch. */
class EditCommands final : public QObject
{
    Q_OBJECT
public:
    EditCommands(const EditControls& controls, Dialogs& dialogs, EditCommandHooks hooks, QObject* parent = nullptr);

    void EditUndo();
    void EditRedo();
    void EditCut();
    void EditCopy();
    void EditPaste();
    void E_allClick();
    void ToolButton1Click();
    void N3Click();
    void N5Click();
    void CoolBarVewClick();

private:
    /** false while the print preview hides the editor: then nothing may change the text. */
    bool editable() const;

    EditControls m_ui;
    Dialogs& m_dialogs;
    EditCommandHooks m_hooks;
};
