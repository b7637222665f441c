// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <QStringList>

/**
 * What the work-folder tree needs from the editor window. The window implements it; tests give
 * a host of their own.
 */
class WorkTreeHost
{
public:
    virtual ~WorkTreeHost() = default;

    /** The current file name as the title routine set it; a single blank after FileNew. */
    virtual QString currentFileName() const = 0;
    /** The file named on the command line; empty when there was none. */
    virtual QString commandLineFile() const = 0;

    /** The open dialog's 1-based filter index, which chooses the tree's filter. */
    virtual int openDialogFilterIndex() const = 0;
    /**
     * Sets the open dialog's filter index only. The window's own filter index (restored from
     * MFindexNo1) stays as it is: the next FileOpen puts that one back into the dialog, unless an
     * editor-settings write stored the dialog's index first.
     */
    virtual void setOpenDialogFilterIndex(int filterIndex) = 0;

    /** The save prompt before the document is replaced; false when the caller must stop. */
    virtual bool savePrompt() = 0;
    /**
     * Loads @p path into the document editor (RTF, else plain text) and makes the document editor
     * the one shown; no question, no probe. On failure the host shows the file-open error and
     * returns false, leaving everything else as it was.
     */
    virtual bool loadIntoDocumentEditor(const QString& path) = 0;
    /** The title routine: caption, current file name, current folder, application title. */
    virtual void setDocumentTitle(const QString& fileName) = 0;
    /** The message field of the status row. */
    virtual void showMessage(const QString& text) = 0;
    /** Gives the document editor the focus and clears its modified flag. */
    virtual void focusUnmodifiedDocumentEditor() = 0;
    /** The editor-settings write. */
    virtual void writeEditorSettings() = 0;

    /** The remember-file rule on the in-memory lists; writes nothing. */
    virtual void rememberFile(const QString& path) = 0;
    virtual QStringList recentFiles() const = 0;
    virtual QStringList recentFolders() const = 0;
};
