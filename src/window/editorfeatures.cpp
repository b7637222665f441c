// SPDX-License-Identifier: MIT
#include "editorfeatures.h"

#include "browser/worktree.h"
#include "document/documenteditor.h"
#include "document/documentnames.h"
#include "documentcontroller.h"
#include "editcommands.h"
#include "mainform.h"
#include "printing/printcontroller.h"
#include "view/rulergutter.h"
#include "view/search/editorsearchtarget.h"
#include "view/statusrow.h"

#include <QAction>
#include <QFileInfo>
#include <QFontInfo>
#include <QLabel>
#include <QMenu>
#include <QToolBar>

EditorFeatures::EditorFeatures(TMainForm& window, const FeatureControls& controls, Dialogs& dialogs)
    : QObject(&window)
    , m_window(window)
    , m_ui(controls)
{
    m_workTree = new WorkTree(controls.tree, *this, dialogs, this);
    m_printing = new PrintController(*this, controls.preview, dialogs, this);
    m_search = new SearchController(&window, *this, dialogs);
    m_edit = new EditCommands(controls.edit, dialogs, *this, this);
    connect(m_edit, &EditCommands::editorSettingsChanged, this, &EditorFeatures::writeEditorSettings);
    connect(m_edit, &EditCommands::fontCommandDone, this, [this] {
        setDocumentTitle(currentFileName());
        // The ruler's cells follow the font just chosen.
        const QFontInfo chosen(m_ui.RichEdit2->editorFont());
        m_window.rulerGutter().showPlainRuler(qRound(chosen.pointSizeF()));
    });
    connect(&window.documents(), &DocumentController::workTreeRefreshWanted, m_workTree, &WorkTree::refresh);
    connect(&window.documents(), &DocumentController::previewEndWanted, m_printing, &PrintController::endPreview);
}

EditorFeatures::~EditorFeatures() = default;

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

bool EditorFeatures::savePrompt()
{
    return m_window.documents().savePrompt();
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

qsizetype EditorFeatures::documentUtf8Length() const
{
    if (m_ui.RichEdit2->isRichText())
        return m_ui.RichEdit2->text().toUtf8().size();
    return m_ui.RichEdit2->plainTextByteLength();
}

QByteArray EditorFeatures::documentUtf8(qsizetype from, qsizetype length) const
{
    return m_ui.RichEdit2->plainTextUtf8(from, length);
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
    // The page header names the file by its full path, wherever the program was started.
    const QString name = m_window.currentFileName();
    return namesNoFile(name) ? name : QFileInfo(name).absoluteFilePath();
}

void EditorFeatures::setEditingAreaShown(bool shown)
{
    // A hidden editor may still hold the focus and the edit commands address it: disabled, it
    // takes no key and no edit while the preview shows.
    m_ui.RichEdit2->setEnabled(shown);
    if (!shown) {
        m_ui.RichEdit2->hide();
        m_editorHidden = true;
    } else if (m_editorHidden) {
        m_ui.RichEdit2->show();
        // The preview had the keys (Esc leaves it); the text gets them back.
        m_ui.RichEdit2->setFocus();
        m_editorHidden = false;
    }
}

void EditorFeatures::setToolBarShown(bool shown)
{
    m_ui.ToolBar1->setVisible(shown);
    // The band carries the preview's page buttons, so it shows during the preview even when the
    // tool bar is switched off.
    m_ui.edit.CoolBar1->setVisible(!shown || m_ui.edit.CoolBarVew->isChecked());
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

std::unique_ptr<SearchTarget> EditorFeatures::searchTarget()
{
    return std::make_unique<EditorSearchTarget>(*m_ui.RichEdit2);
}

void EditorFeatures::setSelection(int start, int length)
{
    m_ui.RichEdit2->setSelection(start, length);
    Q_EMIT caretMovedByCommand();
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
