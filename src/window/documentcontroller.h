// SPDX-License-Identifier: MIT
#pragma once

#include "document/document.h"
#include "formats/documentio.h"
#include "formats/textformat.h"
#include "ui/dialogs.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

class DocumentEditor;
class QAction;
class QLabel;
class QWidget;
class RecentFiles;
class RulerGutter;

/** The window's controls that the document handling shows, hides or reads. */
struct DocumentControls
{
    QWidget* window = nullptr;
    DocumentEditor* RichEdit2 = nullptr;
    QWidget* Ruler = nullptr;
    QAction* N3 = nullptr; // the font command, enabled once a document is named
    QAction* CoolTree = nullptr; // the tree switch: a shown tree follows the opened file
    QLabel* messageField = nullptr;
};

/**
 * The user's side of the window's document: clear, open, save, Save As, the title routine, the
 * save prompt, loading a dropped, command-line or recent file, the open and save dialogs' kept
 * state, and every question and message about them. What the document is and how it sits on disk
 * is the Document's; this asks, tells and shows.
 */
class DocumentController final : public QObject
{
    Q_OBJECT
public:
    DocumentController(const DocumentControls& controls, Document& document, RulerGutter* rulerGutter,
                       RecentFiles* recent, Dialogs& dialogs, QObject* parent = nullptr);
    ~DocumentController() override;

    /** The window's editor-settings write, run after an open or a drop. */
    /** The work-tree refresh with the current file name, run after an open and a recent reopen. */
    /** Ends the print preview, if one is shown; run before another document takes the window. */

    void FileNew();
    void FileOpen();
    /** Writes the current file, or asks for a name; false when nothing was written. */
    bool FileSave();
    /** false when the dialog was cancelled or nothing was written. */
    bool FileSaveAs();
    /** Reopens recent file @p path (the entry of the chosen item). */
    void MRUClick(const QString& path);
    /** A file dropped on the window (the last local file of the drop). */
    void dropFile(const QString& path);

    /**
     * The save prompt. Returns false when the caller must stop: the user cancelled, or chose to
     * save and the text was not saved after all.
     */
    bool savePrompt();
    /** The title routine: caption, current file name, current folder, application title, ruler. */
    void setTitle(const QString& fileName);
    /**
     * Loads @p path into the document editor (RTF, else plain text) and shows the document editor,
     * with no question. On failure says why and keeps the previous document; returns false.
     */
    bool loadIntoDocumentEditor(const QString& path);
    /**
     * Starts an empty document under @p path when nothing is there yet and its folder exists, so
     * that the first save creates the file; false otherwise, with nothing changed.
     */
    bool startNewFile(const QString& path);
    /**
     * Reads the current file again in @p encoding, after the save prompt; the detected encoding
     * was wrong. False when nothing was reloaded (no file, cancelled, or the load failed).
     */
    bool reopenWithEncoding(pemmo::formats::Encoding encoding);
    /**
     * Saves with the chosen encoding, BOM and line ending (under the current name, or through
     * Save As when there is none). The document keeps the format only when the save happened.
     */
    bool saveWithFormat(const pemmo::formats::TextFormat& format);
    /**
     * Puts back the old content of a file whose in-place save was interrupted: loads @p backupPath
     * under the original's name, modified, and keeps the backup (locked) until the text is saved
     * or let go at the save prompt. False when it cannot be taken or read.
     */
    bool restoreBackup(const QString& backupPath);
    /**
     * Puts back an unsaved document from the recovery copy whose lock file is @p lockPath: its
     * text, modified, under its name, encoding and line breaks, the caret where it was. The disk
     * stamp is the one the document had, so a file changed since makes the first save ask.
     */
    bool restoreRecovery(const QString& lockPath);
    /**
     * Empties the document editor for a text the program writes (a Grep result), with no save
     * prompt: untitled, so a save asks for a name, and @p title in the caption.
     */
    void startGeneratedDocument(const QString& title);
    /** Untitled and unchanged: a generated text may take its place. */
    bool holdsUntitledUnchanged() const;
    /** Gives the document editor the focus and clears its modified flag. */
    void focusUnmodifiedDocumentEditor();

    /**
     * The name the title routine was given: the file, or while there is none " " or the folder
     * the work-folder tree shows.
     */
    QString currentFileName() const { return m_currentFileName; }
    QString currentFolder() const { return m_currentFolder; }
    QString applicationTitle() const { return m_applicationTitle; }
    /** The process's filter index of the open dialog, as last used (0 taken as 1). */
    int filterIndex() const { return m_filterIndex; }
    void setFilterIndex(int index) { m_filterIndex = index; }
    FileDialogState& openDialog() { return m_openDialog; }
    /** The document this handles for the user. */
    const Document& document() const { return m_document; }
    FileDialogState& saveDialog() { return m_saveDialog; }

Q_SIGNALS:
    /** A file was opened or dropped: the window stores its settings (the recent lists among them). */
    void editorSettingsChanged();
    /** The work-folder tree should show the folder of @p fileName, now the current file. */
    void workTreeRefreshWanted(const QString& fileName);
    /** The text is about to change under a preview: the preview ends first (connect directly). */
    void previewEndWanted();
    /** A load ended early on Document::stopLoading(); it said nothing and changed nothing. */
    void loadStopped();
    /** The user wants to read the file again in an encoding still to be chosen. */
    void encodingChoiceWanted();
    /** The user chose not to save the unsaved text (いいえ at the save prompt). */
    void unsavedTextDropped();

private:
    QString startFolder(const QString& preferred) const;
    bool load(const QString& path, std::optional<pemmo::formats::Encoding> encoding);
    /** One of the document's loads, given the binary-file question to ask (or none). */
    using DocumentLoad = std::function<Document::LoadReport(const std::function<bool()>& confirmBinary)>;
    /** Runs @p loading with the busy cursor and progress shown, then says what went wrong, if anything. */
    bool runLoad(bool askBinary, const DocumentLoad& loading);
    void reloadChangedFile(const QString& path, bool deleted);
    bool probedLoad(const QString& path);
    bool undecodedAccepted(pemmo::formats::SaveOptions& options);
    bool writeDocument(const QString& path);
    bool overwriteAccepted(const QString& path);
    bool externalChangeAccepted(const QString& path);
    void endPreview();
    void showMessage(const QString& text);
    /**
     * After a load: says that long lines show only their start, or else that @p openedPath was
     * opened (nothing when it is empty).
     */
    void showLoadedMessage(const QString& openedPath);

    DocumentControls m_ui;
    Document& m_document;
    RulerGutter* m_rulerGutter;
    RecentFiles* m_recent;
    Dialogs& m_dialogs;

    // The document's file, or what the title shows while there is none (see currentFileName()).
    QString m_currentFileName;
    QString m_currentFolder;
    QString m_applicationTitle;
    int m_filterIndex = 0;
    FileDialogState m_openDialog;
    FileDialogState m_saveDialog;
};
