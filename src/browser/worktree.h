// SPDX-License-Identifier: MIT
#pragma once

#include "drivelist.h"
#include "treerules.h"

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <deque>
#include <functional>
#include <memory>

class Dialogs;
class FolderReader;
class QAction;
class QLabel;
class QMenu;
class QTreeWidget;
class QTreeWidgetItem;
class QWidget;
class WorkTreeHost;

/** The editor window's controls that make up the work-folder tree, under their given names. */
struct WorkTreeControls
{
    QWidget* CoolBar2 = nullptr;
    QLabel* Label2 = nullptr;
    QTreeWidget* Tree = nullptr;
    QAction* CoolTree = nullptr;
    QAction* ToolButton9 = nullptr;
    QMenu* PopupMenu1 = nullptr;
    QList<QAction*> filterItems; // Pop_txt, Pop_html, Pop_rtf, Pop_all
};

/**
 * The work-folder tree: the panel switch, the refresh with its skip rule, the folder fill, the
 * drive list, the filter popup and the double-click that opens a file.
 *
 * Folders are read a slice at a time on the UI thread, and a folder's children are read when it
 * is first expanded, so that no folder, however large or deep, holds up the window. The nodes
 * are those a full recursive fill would give, in the same order.
 */
class WorkTree final : public QObject
{
    Q_OBJECT
public:
    /** Connects the switch, the popup commands, the double-click and the expansion of folders. */
    WorkTree(const WorkTreeControls& controls, WorkTreeHost& host, Dialogs& dialogs, QObject* parent = nullptr);
    ~WorkTree() override;

    /** The View menu's "作業フォルダーの表示" and its tool button: shows or hides the panel. */
    void CoolTreeClick();
    /** The work-tree refresh for the file @p fileName; FileOpen (panel shown) and MRUClick call it. */
    void refresh(const QString& fileName);
    /** Opens the selected file node in the document editor. */
    void TreeDblClick();

    void Pop_txtClick();
    void Pop_htmlClick();
    void Pop_rtfClick();
    void Pop_allClick();

    /** Whether the panel is shown (the switch's check mark). */
    bool isShown() const;
    /** The folder the tree shows, while it is shown; empty otherwise. */
    QString workFolder() const { return isShown() ? m_workFolder : QString(); }
    /** Whether folders are still being read. */
    bool isFilling() const { return !m_jobs.empty(); }

    /** Replaces the source of mounted file systems, for tests. */
    void setVolumeSource(std::function<QList<MountedVolume>()> source);

Q_SIGNALS:
    /** Every folder asked for so far has been read. */
    void fillFinished();

private:
    struct FillJob
    {
        QTreeWidgetItem* parent = nullptr; // none for the top level
        std::unique_ptr<FolderReader> reader;
        bool thenDrives = false;
    };

    void popupFilter(int filterIndex);
    void cancelFill();
    void pump();
    void finishJob(const FillJob& job);
    void showFillProgress();
    void fillFolderOnFirstExpansion(QTreeWidgetItem* item);
    void appendNodes(QTreeWidgetItem* parent, const QList<TreeNode>& nodes);
    void appendDrives();
    QStringList folderNamesAbove(const QTreeWidgetItem* item) const;
    void storeRecentLists();

    WorkTreeControls m_controls;
    WorkTreeHost& m_host;
    Dialogs& m_dialogs;
    RefreshRule m_rule;
    TreeFilter m_filter = TreeFilter::NoExtension; // the one chosen last
    QString m_canonicalWorkFolder;
    QString m_workFolder;
    QString m_workFolderRoot;
    std::deque<FillJob> m_jobs;
    QTimer m_pump;
    QElapsedTimer m_fillClock;
    std::function<QList<MountedVolume>()> m_volumes;
};
