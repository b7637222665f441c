// SPDX-License-Identifier: MIT
#include "editcommands.h"

#include "document/documenteditor.h"
#include "document/editortexts.h"
#include "formats/documentio.h"
#include "ui/dialogs.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QToolBar>

EditCommands::EditCommands(const EditControls& controls, Dialogs& dialogs, EditCommandsHost& host, QObject* parent)
    : QObject(parent)
    , m_ui(controls)
    , m_dialogs(dialogs)
    , m_host(host)
{ }

bool EditCommands::editable() const
{
    return m_ui.RichEdit2->isEnabled();
}

void EditCommands::EditUndo()
{
    if (editable())
        m_ui.RichEdit2->undo();
}

void EditCommands::EditRedo()
{
    m_ui.RichEdit2->redo();
}

void EditCommands::EditCut()
{
    if (editable())
        m_ui.RichEdit2->cut();
}

void EditCommands::EditCopy()
{
    m_ui.RichEdit2->copy();
}

void EditCommands::EditPaste()
{
    if (editable())
        m_ui.RichEdit2->paste();
}

void EditCommands::E_allClick()
{
    m_ui.RichEdit2->selectAll();
}

void EditCommands::ToolButton1Click()
{
    if (!editable() || !m_host.savePrompt())
        return;
    // One undoable edit: 元に戻す brings the text back after an accidental click.
    m_ui.RichEdit2->removeAllText();
}

void EditCommands::N3Click()
{
    // What the view holds decides, not the name: a plain text called x.rtf takes the editor's font.
    const bool richText = m_ui.RichEdit2->isRichText();
    m_ui.PopFont->setEnabled(true);
    if (richText) {
        // Rich text: the font and colour of the selected text change, and nothing is stored.
        const QTextCharFormat current = m_ui.RichEdit2->selectionCharFormat();
        const QColor colour = current.foreground().style() == Qt::NoBrush
            ? m_ui.RichEdit2->palette().color(QPalette::Text)
            : current.foreground().color();
        if (const std::optional<FontChoice> chosen = m_dialogs.chooseFont(current.font(), colour)) {
            // What was left alone is not merged: a selection of mixed fonts keeps its mix.
            QTextCharFormat format;
            if (chosen->font != current.font())
                format.setFont(chosen->font, QTextCharFormat::FontPropertiesSpecifiedOnly);
            if (chosen->colour && *chosen->colour != colour)
                format.setForeground(*chosen->colour);
            if (format.propertyCount() > 0)
                m_ui.RichEdit2->mergeSelectionCharFormat(format);
            m_ui.RichEdit2->focusText();
        }
    } else {
        const QFont current = m_ui.RichEdit2->editorFont();
        const std::optional<FontChoice> chosen = m_dialogs.chooseFont(current, std::nullopt);
        if (chosen && chosen->font != current) {
            m_ui.RichEdit2->setEditorFont(chosen->font);
            m_ui.messageField->setText(kFontChanged);
        }
        // Stored whether or not the dialog was confirmed.
        Q_EMIT editorSettingsChanged();
        m_ui.RichEdit2->window()->update();
    }
    Q_EMIT fontCommandDone();
}

void EditCommands::N5Click()
{
    // The menu item has just flipped its own check mark: it tells the new state.
    const bool wrap = m_ui.N5->isChecked();
    m_ui.RichEdit2->setWordWrap(wrap);
}

void EditCommands::CoolBarVewClick()
{
    const bool shown = m_ui.CoolBarVew->isChecked();
    m_ui.CoolBar1->setVisible(shown);
    m_ui.ToolBar1->setVisible(shown);
}
