// SPDX-License-Identifier: MIT
#pragma once

#include "app/appcontext.h"
#include "app/dialogs.h"
#include "mainformui.h"

#include <QMainWindow>
#include <QStringList>

class PositionDisplay;
class RulerGutter;

/**
 * The editor window: one per editor process, holding one document. It coordinates: the ruler
 * and gutter, the position display and the settings restorer do the work of their own parts.
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
    /** Names the document @p fileName in the caption and takes its folder as the current one. */
    void setDocumentTitle(const QString& fileName);
    /** Loads @p path into the document editor as a drop does: no question, the document editor shown. */
    void loadDroppedFile(const QString& path);

    QString currentFileName() const { return m_currentFileName; }
    QString currentFolder() const { return m_currentFolder; }
    QString applicationTitle() const { return m_applicationTitle; }
    QStringList recentFiles() const { return m_recentFiles; }
    QStringList recentFolders() const { return m_recentFolders; }
    int filterIndex() const { return m_filterIndex; }
    int tabWidth() const { return m_tabWidth; }
    FileDialogState& openDialog() { return m_openDialog; }

Q_SIGNALS:
    /** The window has agreed to close; in editor mode this ends the process. */
    void closed();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void FormCreate();
    void loadCommandLineFile();
    void restoreSettings();
    void FormShow();
    bool FormCloseQuery();
    void FormDestroy();
    void connectCommands();

    AppContext m_context;
    QStringList m_arguments;
    MainFormUi m_ui;
    RulerGutter* m_rulerGutter = nullptr;
    PositionDisplay* m_position = nullptr;

    QString m_commandLineFile;
    QString m_executableFolder;
    QString m_currentFileName;
    QString m_currentFolder;
    QString m_applicationTitle;
    QStringList m_recentFiles;
    QStringList m_recentFolders;
    int m_filterIndex = 0;
    int m_tabWidth = 8;
    FileDialogState m_openDialog;
};
