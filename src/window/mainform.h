// SPDX-License-Identifier: MIT
#pragma once

#include "mainformui.h"
#include "ui/appcontext.h"
#include "ui/dialogs.h"
#include "view/lineplace.h"

#include <QMainWindow>
#include <QStringList>

#include <memory>

#include <optional>

class Document;
class DocumentController;
class EditorText;
class EditorFeatures;
class EncodingMenu;
class GrepCommands;
class LineJump;
struct FeatureControls;
class InstanceCommands;
class PositionDisplay;
class ColouringSwitch;
class RecentFiles;
class RecoveryKeeper;
class RulerGutter;

/**
 * The editor window: one per editor process, holding one document. It coordinates: the document
 * controller, the recent lists, the instance commands, the ruler and gutter, the position display
 * and the settings restorer do the work of their own parts.
 */
class TMainForm final : public QMainWindow
{
    Q_OBJECT
public:
    TMainForm(AppContext context, QStringList arguments, QWidget* parent = nullptr);
    ~TMainForm() override;

    /** Closes the window as its close box does. */
    void FileExit();
    /** Stores the editor font, the open dialog's folder and filter, the line-number switch and the lists. */
    void writeEditorSettings();
    /** The title routine: names the document @p fileName in the caption and takes its folder as the current one. */
    void setDocumentTitle(const QString& fileName);
    /** Loads @p path into the document editor as a drop does: the document editor shown. */
    void loadDroppedFile(const QString& path);
    /** The remember-file operation on the in-memory lists; stored at the next storing point. */
    void rememberFile(const QString& path);
    /** Opens the old content of an interrupted save, under the file's name (see DocumentController). */
    void restoreBackup(const QString& backupPath);
    /** Opens an unsaved document from its recovery copy (see DocumentController::restoreRecovery). */
    void restoreRecovery(const QString& lockPath);
    /** The process ends without asking (a signal, the session's end): the unsaved text stays for the next start. */
    void preserveUnsavedWork();
    /** The recovery copy of this window's unsaved text. */
    RecoveryKeeper& recovery() const { return *m_recovery; }
    /** Tree, printing, search, edit commands; also what the options window changes. */
    EditorFeatures& features() const { return *m_features; }
    RulerGutter& rulerGutter() const { return *m_rulerGutter; }
    /** The file named on the command line; empty when there was none or it could not be read. */
    QString commandLineFile() const { return m_commandLineFile; }

    /** The document the window holds: its file, format, disk stamp and load state. */
    Document& document() const { return *m_document; }
    /** Open, save, title routine and dialog state of the document. */
    DocumentController& documents() const { return *m_documents; }
    /** 「Grep」 and its result document. */
    GrepCommands& grep() const { return *m_grep; }
    /** The place the command line named in its file ("+LINE FILE", "FILE:LINE"); after a pending load, then. */
    void goToCommandLinePlace(const LinePlace& place);
    /** The encoding menu: its two submenus under ﾌｧｲﾙ and the format field's popup. */
    EncodingMenu& encodingMenu() const { return *m_encodings; }

    QString currentFileName() const;
    QString currentFolder() const;
    QString applicationTitle() const;
    QStringList recentFiles() const;
    QStringList recentFolders() const;
    int filterIndex() const;
    int tabWidth() const { return m_tabWidth; }
    FileDialogState& openDialog();

Q_SIGNALS:
    /** The window has agreed to close; in editor mode this ends the process. */
    void closed();
    /** "画面設定": the options window should open for this window. */
    void optionsRequested();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void FormCreate();
    void loadCommandLineFile();
    void loadPendingCommandLineFile();
    void restoreSettings();
    void FormShow();
    bool FormCloseQuery();
    void FormDestroy();
    void connectCommands();
    void addEncodingMenu();
    FeatureControls featureControls() const;
    void fitRestoredFrame();

    AppContext m_context;
    QStringList m_arguments;
    MainFormUi m_ui;
    RulerGutter* m_rulerGutter = nullptr;
    PositionDisplay* m_position = nullptr;
    RecentFiles* m_recent = nullptr;
    std::unique_ptr<EditorText> m_text;
    Document* m_document = nullptr;
    DocumentController* m_documents = nullptr;
    EncodingMenu* m_encodings = nullptr;
    ColouringSwitch* m_colouring = nullptr;
    bool m_closeAfterLoad = false;
    InstanceCommands* m_instances = nullptr;
    RecoveryKeeper* m_recovery = nullptr;
    EditorFeatures* m_features = nullptr;
    GrepCommands* m_grep = nullptr;
    std::unique_ptr<LineJump> m_jump;
    std::optional<LinePlace> m_pendingPlace;
    CommandTargets m_targets;

    QString m_commandLineFile;
    // A large command-line file loads once the event loop runs, after the window is shown.
    bool m_commandLineLoadPending = false;
    QString m_executableFolder;
    int m_tabWidth = 8;
    QRect m_restoredOuter; // applied again once the frame is known
};
