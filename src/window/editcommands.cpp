// SPDX-License-Identifier: MIT
#include "editcommands.h"

#include "ui/dialogs.h"
#include "document/documenteditor.h"
#include "document/editortexts.h"
#include "formats/documentio.h"
#include "document/plaintextview.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QTextCursor>
#include <QTextDocument>
#include <QToolBar>

EditCommands::EditCommands(const EditControls& controls, Dialogs& dialogs, EditCommandHooks hooks, QObject* parent)
    : QObject(parent)
    , m_ui(controls)
    , m_dialogs(dialogs)
    , m_hooks(std::move(hooks))
{
}

// Undo and the clipboard always address the document editor, whichever editor is shown.
void EditCommands::EditUndo()
{
    m_ui.RichEdit2->undo();
}

void EditCommands::EditRedo()
{
    m_ui.RichEdit2->redo();
}

void EditCommands::EditCut()
{
    m_ui.RichEdit2->cut();
}

void EditCommands::EditCopy()
{
    m_ui.RichEdit2->copy();
}

void EditCommands::EditPaste()
{
    m_ui.RichEdit2->paste();
}

void EditCommands::E_allClick()
{
    if (m_ui.Memo1->isVisible())
        m_ui.Memo1->selectAll();
    else
        m_ui.RichEdit2->selectAll();
}

void EditCommands::ToolButton1Click()
{
    // One undoable edit: an accidental click costs nothing, and the save prompt still guards the text.
    QTextCursor cursor(m_ui.RichEdit2->document());
    cursor.select(QTextCursor::Document);
    cursor.removeSelectedText();
}

void EditCommands::N3Click()
{
    const bool richText = pemmo::formats::isRtfFileName(m_hooks.currentFileName());
    m_ui.PopFont->setEnabled(true);
    if (richText) {
        // Rich text: the font of the selected text changes, and nothing is stored.
        const QFont initial = m_ui.RichEdit2->selectionCharFormat().font();
        if (const std::optional<QFont> chosen = m_dialogs.chooseFont(initial, true)) {
            QTextCharFormat format;
            format.setFont(*chosen, QTextCharFormat::FontPropertiesSpecifiedOnly);
            m_ui.RichEdit2->mergeSelectionCharFormat(format);
            m_ui.RichEdit2->focusText();
        }
    } else {
        if (const std::optional<QFont> chosen = m_dialogs.chooseFont(m_ui.RichEdit2->editorFont(), true)) {
            m_ui.RichEdit2->setEditorFont(*chosen);
            m_ui.messageField->setText(kFontChanged);
        }
        // Stored whether or not the dialog was confirmed.
        m_hooks.writeEditorSettings();
        m_ui.RichEdit2->window()->update();
    }
    m_hooks.setDocumentTitle(m_hooks.currentFileName());
    m_hooks.fitRulerHeight();
}

void EditCommands::N5Click()
{
    // The menu item has just flipped its own check mark: it tells the new state.
    const bool wrap = m_ui.N5->isChecked();
    m_ui.RichEdit2->setWordWrap(wrap);
    m_ui.Memo1->setLineWrapMode(wrap ? QPlainTextEdit::WidgetWidth : QPlainTextEdit::NoWrap);
    m_ui.Memo1->setHorizontalScrollBarPolicy(wrap ? Qt::ScrollBarAlwaysOff : Qt::ScrollBarAsNeeded);
}

void EditCommands::CoolBarVewClick()
{
    const bool shown = m_ui.CoolBarVew->isChecked();
    m_ui.CoolBar1->setVisible(shown);
    m_ui.ToolBar1->setVisible(shown);
}
