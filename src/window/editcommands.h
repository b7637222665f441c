// SPDX-License-Identifier: MIT
#pragma once

#include <QObject>

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

/** What the commands must ask of the editor window. */
class EditCommandsHost
{
public:
    /** The save prompt; false when the caller must stop. */
    virtual bool savePrompt() = 0;

protected:
    ~EditCommandsHost() = default;
};

/** Undo, the clipboard, select-all, clearing, the font command, word wrap and the tool-bar switch. */
class EditCommands final : public QObject
{
    Q_OBJECT
public:
    EditCommands(const EditControls& controls, Dialogs& dialogs, EditCommandsHost& host, QObject* parent = nullptr);

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

Q_SIGNALS:
    /** The editor's font or the tool bar's switch changed: the window stores its settings. */
    void editorSettingsChanged();
    /** The font command ended, whatever was chosen: the caption and the ruler follow the text. */
    void fontCommandDone();

private:
    /** false while the print preview hides the editor: then nothing may change the text. */
    bool editable() const;

    EditControls m_ui;
    Dialogs& m_dialogs;
    EditCommandsHost& m_host;
};
