// SPDX-License-Identifier: MIT
#pragma once

#include "browser/worktreehost.h"
#include "settings/registrysequence.h"
#include "settings/settingstable.h"
#include "ui/dialogs.h"

#include <QFileInfo>
#include <QStringList>

/**
 * Stands in for the editor window: records what the tree asks of it, in order, and keeps the
 * open dialog's filter index and the recent lists the way the window does.
 */
class TestHost final : public WorkTreeHost
{
public:
    explicit TestHost(Dialogs& dialogs)
        : m_dialogs(dialogs)
    { }

    QString currentFileName() const override { return fileName; }
    QString commandLineFile() const override { return commandLine; }
    int openDialogFilterIndex() const override { return openDialog.filterIndex; }
    void setOpenDialogFilterIndex(int filterIndex) override { openDialog.filterIndex = filterIndex; }

    bool loadIntoDocumentEditor(const QString& path) override
    {
        calls.append(QStringLiteral("load"));
        if (!QFileInfo(path).isFile() || !QFileInfo(path).isReadable()) {
            m_dialogs.message(QStringLiteral("ファイル %1 を開けません。").arg(path), Dialogs::Icon::Critical);
            return false;
        }
        loaded.append(path);
        return true;
    }
    void setDocumentTitle(const QString& name) override
    {
        calls.append(QStringLiteral("title"));
        fileName = name;
    }
    void showMessage(const QString& text) override
    {
        calls.append(QStringLiteral("message"));
        message = text;
    }
    bool savePrompt() override
    {
        calls.append(QStringLiteral("prompt"));
        return true;
    }
    void focusUnmodifiedDocumentEditor() override { calls.append(QStringLiteral("focus")); }
    void writeEditorSettings() override
    {
        calls.append(QStringLiteral("settings"));
        runRegistrySequence(OpenMode::OpenCreating,
                            [&](SettingsKey& key) { key.writeInteger(Reg::MFindexNo1, openDialog.filterIndex); });
    }
    void rememberFile(const QString& path) override
    {
        calls.append(QStringLiteral("remember"));
        remember(files, path);
        remember(folders, path.left(path.lastIndexOf(QLatin1Char('/')) + 1));
    }
    QStringList recentFiles() const override { return files; }
    QStringList recentFolders() const override { return folders; }

    /** FileOpen's part in the filter index: the stored index goes back into the dialog. */
    void FileOpen()
    {
        runRegistrySequence(OpenMode::OpenOnly,
                            [&](SettingsKey& key) { filterIndex = key.readInteger(Reg::MFindexNo1); });
        openDialog.filterIndex = filterIndex == 0 ? 1 : filterIndex;
        if (m_dialogs.openFile(openDialog))
            filterIndex = openDialog.filterIndex;
    }

    QString fileName;
    QString commandLine;
    FileDialogState openDialog;
    int filterIndex = 0; // the window's own, restored from MFindexNo1
    QStringList calls;
    QStringList loaded;
    QString message;
    QStringList files;
    QStringList folders;

private:
    static void remember(QStringList& list, const QString& entry)
    {
        if (list.contains(entry))
            return;
        list.prepend(entry);
        while (list.size() > 5)
            list.removeLast();
    }

    Dialogs& m_dialogs;
};
