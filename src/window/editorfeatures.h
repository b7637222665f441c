// SPDX-License-Identifier: MIT
#pragma once

#include "browser/worktree.h"
#include "browser/worktreehost.h"
#include "editcommands.h"
#include "options/optionshost.h"
#include "printing/printhost.h"
#include "view/search/searchcontroller.h"

#include <QObject>

class Dialogs;
class PrintController;
class QToolBar;
class StatusRow;
class TMainForm;

/** The controls the features show, hide and read, and those their parts are handed. */
struct FeatureControls
{
    DocumentEditor* RichEdit2 = nullptr;
    StatusRow* Panel1 = nullptr;
    QToolBar* ToolBar1 = nullptr;
    QWidget* Ruler = nullptr;
    QWidget* Panel4 = nullptr; // the gutter
    WorkTreeControls tree;
    PreviewControls preview;
    EditControls edit;
};

/**
 * The editor window's commands beyond the document: work-folder tree, printing, search,
 * edit commands and the options window's view of the editor. It answers each of them for the
 * window, so TMainForm itself stays a coordinator.
 */
class EditorFeatures final : public QObject,
                             public WorkTreeHost,
                             public PrintHost,
                             public SearchHost,
                             public OptionsHost,
                             public EditCommandsHost
{
    Q_OBJECT
public:
    EditorFeatures(TMainForm& window, const FeatureControls& controls, Dialogs& dialogs);
    ~EditorFeatures() override;

    WorkTree& workTree() const { return *m_workTree; }
    PrintController& printing() const { return *m_printing; }
    SearchController& search() const { return *m_search; }
    EditCommands& editCommands() const { return *m_edit; }

    // WorkTreeHost
    QString currentFileName() const override;
    QString commandLineFile() const override;
    int openDialogFilterIndex() const override;
    void setOpenDialogFilterIndex(int filterIndex) override;
    bool savePrompt() override; // also EditCommandsHost
    bool loadIntoDocumentEditor(const QString& path) override;
    void setDocumentTitle(const QString& fileName) override;
    void showMessage(const QString& text) override;
    void focusUnmodifiedDocumentEditor() override;
    void writeEditorSettings() override;
    void rememberFile(const QString& path) override;
    QStringList recentFiles() const override;
    QStringList recentFolders() const override;

    // PrintHost
    qsizetype documentUtf8Length() const override;
    QByteArray documentUtf8(qsizetype from, qsizetype length) const override;
    QFont editorFont() const override;
    QColor editorTextColour() const override;
    QString documentFileName() const override;
    void setEditingAreaShown(bool shown) override;
    void setToolBarShown(bool shown) override;
    void setRulerShown(bool shown) override;
    void hideGutter() override;
    void applyLineNumberSwitch() override;
    void setStatusMessage(const QString& text) override;
    void setPositionText(const QString& text) override;

    // SearchHost
    std::unique_ptr<SearchTarget> searchTarget() override;
    void setSelection(int start, int length) override;
    void focusEditor() override;

    // OptionsHost
    DocumentEditor& documentEditor() override;
    int tabWidth() const override;

Q_SIGNALS:
    /** A command (find, replace) moved the caret: the position field and the ruler follow it. */
    void caretMovedByCommand();

private:
    TMainForm& m_window;
    FeatureControls m_ui;
    bool m_editorHidden = false; // by the preview
    WorkTree* m_workTree = nullptr;
    PrintController* m_printing = nullptr;
    SearchController* m_search = nullptr;
    EditCommands* m_edit = nullptr;
};
