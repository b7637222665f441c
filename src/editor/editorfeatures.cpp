// SPDX-License-Identifier: MIT
#include "editorfeatures.h"

#include "app/errorreport.h"
#include "browser/worktree.h"
#include "documentcontroller.h"
#include "documenteditor.h"
#include "editcommands.h"
#include "mainform.h"
#include "mainformui.h"
#include "options/help.h"
#include "plaintextview.h"
#include "printing/printcontroller.h"
#include "view/rulergutter.h"
#include "view/statusrow.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QToolBar>

EditorFeatures::EditorFeatures(TMainForm& window, MainFormUi& ui, Dialogs& dialogs)
    : QObject(&window)
    , m_window(window)
    , m_ui(ui)
{
    m_workTree = new WorkTree(WorkTreeControls { ui.CoolBar2, ui.Label2, ui.Tree, ui.CoolTree, ui.ToolButton9,
                                                 ui.PopupMenu1 },
                              *this, dialogs, this);
    m_printing = new PrintController(*this, PreviewControls { ui.F_PVew, ui.Panel3, ui.PopupMenu3, ui.QRPreview1 },
                                     dialogs, this);
    m_search = new SearchController(&window, *this, dialogs);
    m_edit = new EditCommands(ui, dialogs,
                              EditCommandHooks {
                                  [this] { return currentFileName(); },
                                  [this] { writeEditorSettings(); },
                                  [this](const QString& name) { setDocumentTitle(name); },
                                  [this] { m_window.rulerGutter().fitRulerHeight(); },
                              },
                              this);
    window.documents().setWorkTreeRefresh([this](const QString& fileName) { m_workTree->refresh(fileName); });
    connectCommands(dialogs);
}

EditorFeatures::~EditorFeatures() = default;

void EditorFeatures::connectCommands(Dialogs& dialogs)
{
    const auto reported = [this, &dialogs](QAction* action, auto command) {
        connect(action, &QAction::triggered, this, [&dialogs, command] { runReported(dialogs, command); });
    };
    const auto popup = [this](const char* name) {
        return m_ui.PopupMenu2->findChild<QAction*>(QLatin1String(name));
    };
    PrintController* p = m_printing;
    reported(m_ui.FilePrintItem, [p] { p->FilePrint(); });
    reported(m_ui.ToolButton7, [p] { p->FilePrint(); });
    reported(m_ui.FilePrintSetupItem, [p] { p->FilePrintSetup(); });
    reported(m_ui.ToolButton8, [p] { p->FilePrintSetup(); });
    reported(m_ui.F_PVew, [p] { p->F_PVewClick(); });
    reported(popup("POP_View"), [p] { p->F_PVewClick(); });

    SearchController* s = m_search;
    reported(m_ui.E_Se, [s] { s->E_SeClick(); });
    reported(popup("Pop_Se"), [s] { s->E_SeClick(); });

    EditCommands* e = m_edit;
    reported(m_ui.EditUndoItem, [e] { e->EditUndo(); });
    reported(m_ui.ToolButton5, [e] { e->EditUndo(); });
    reported(m_ui.EditCutItem, [e] { e->EditCut(); });
    reported(popup("P_Cut"), [e] { e->EditCut(); });
    reported(m_ui.EditCopyItem, [e] { e->EditCopy(); });
    reported(popup("P_Cpy"), [e] { e->EditCopy(); });
    reported(m_ui.EditPasteItem, [e] { e->EditPaste(); });
    reported(popup("P_Past"), [e] { e->EditPaste(); });
    reported(m_ui.E_all, [e] { e->E_allClick(); });
    reported(popup("Pop_Sel"), [e] { e->E_allClick(); });
    reported(m_ui.ToolButton1, [e] { e->ToolButton1Click(); });
    reported(m_ui.N3, [e] { e->N3Click(); });
    reported(popup("PopFont"), [e] { e->N3Click(); });
    reported(m_ui.N5, [e] { e->N5Click(); });
    reported(m_ui.CoolBarVew, [e] { e->CoolBarVewClick(); });

    reported(m_ui.F_Help, [&dialogs] { F_HelpClick(dialogs); });
    reported(m_ui.OP_str, [this, &dialogs] { OP_strClick(*m_ui.OP_str, dialogs); });
}

QString EditorFeatures::currentFileName() const
{
    return m_window.currentFileName();
}

QString EditorFeatures::commandLineFile() const
{
    return m_window.commandLineFile();
}

int EditorFeatures::openDialogFilterIndex() const
{
    return m_window.openDialog().filterIndex;
}

void EditorFeatures::setOpenDialogFilterIndex(int filterIndex)
{
    m_window.openDialog().filterIndex = filterIndex;
}

bool EditorFeatures::loadIntoDocumentEditor(const QString& path)
{
    return m_window.documents().loadIntoDocumentEditor(path);
}

void EditorFeatures::setDocumentTitle(const QString& fileName)
{
    m_window.setDocumentTitle(fileName);
}

void EditorFeatures::showMessage(const QString& text)
{
    m_ui.Panel1->messageField()->setText(text);
}

void EditorFeatures::focusUnmodifiedDocumentEditor()
{
    m_window.documents().focusUnmodifiedDocumentEditor();
}

void EditorFeatures::writeEditorSettings()
{
    m_window.writeEditorSettings();
}

void EditorFeatures::rememberFile(const QString& path)
{
    m_window.rememberFile(path);
}

QStringList EditorFeatures::recentFiles() const
{
    return m_window.recentFiles();
}

QStringList EditorFeatures::recentFolders() const
{
    return m_window.recentFolders();
}

QString EditorFeatures::documentText() const
{
    return m_ui.RichEdit2->text();
}

QFont EditorFeatures::editorFont() const
{
    return m_ui.RichEdit2->editorFont();
}

QColor EditorFeatures::editorTextColour() const
{
    return m_ui.RichEdit2->textColour().toColour(m_ui.RichEdit2->palette());
}

QString EditorFeatures::documentFileName() const
{
    return m_window.currentFileName();
}

void EditorFeatures::setEditingAreaShown(bool shown)
{
    if (!shown) {
        m_hiddenEditor = m_ui.Memo1->isVisible() ? static_cast<QWidget*>(m_ui.Memo1) : m_ui.RichEdit2;
        m_hiddenEditor->hide();
    } else if (m_hiddenEditor) {
        m_hiddenEditor->show();
        m_hiddenEditor = nullptr;
    }
}

void EditorFeatures::setToolBarShown(bool shown)
{
    m_ui.ToolBar1->setVisible(shown);
}

void EditorFeatures::setRulerShown(bool shown)
{
    m_ui.Ruler->setVisible(shown);
}

void EditorFeatures::hideGutter()
{
    m_ui.Panel4->hide();
}

void EditorFeatures::applyLineNumberSwitch()
{
    m_window.rulerGutter().applyLineNumberSwitch();
}

void EditorFeatures::setStatusMessage(const QString& text)
{
    m_ui.Panel1->messageField()->setText(text);
}

void EditorFeatures::setPositionText(const QString& text)
{
    m_ui.Panel1->positionField()->setText(text);
}

QTextDocument& EditorFeatures::searchDocument()
{
    // The search always works on the document editor, also while the memo is shown.
    return *m_ui.RichEdit2->document();
}

int EditorFeatures::selectionStart() const
{
    return m_ui.RichEdit2->selectionStart();
}

int EditorFeatures::selectionLength() const
{
    return m_ui.RichEdit2->selectionLength();
}

void EditorFeatures::setSelection(int start, int length)
{
    m_ui.RichEdit2->setSelection(start, length);
}

void EditorFeatures::focusEditor()
{
    m_ui.RichEdit2->focusText();
}

int EditorFeatures::tabWidth() const
{
    return m_window.tabWidth();
}

DocumentEditor& EditorFeatures::documentEditor()
{
    return *m_ui.RichEdit2;
}
