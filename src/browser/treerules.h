// SPDX-License-Identifier: MIT
#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

/** Which files the tree lists; folders are always listed. */
enum class TreeFilter {
    NoExtension, // in force before any index chose a filter: names without a dot
    Text, // ".txt"
    Html, // ".html" or ".htm"
    RichText, // ".rtf"
    Every,
};

/**
 * The filter the open dialog's 1-based filter index chooses: 1 text, 2 HTML, 3 RTF, 4 and 5
 * every file. Any other index chooses none, and the filter chosen last stays in force.
 */
std::optional<TreeFilter> filterForIndex(int filterIndex);

/** The extension of a file name, from its last dot, dot included; empty when it has no dot. */
QString extensionOf(const QString& name);

/** Whether @p filter lists the file @p name. Extensions compare exactly, letter case included. */
bool filterLists(TreeFilter filter, const QString& name);

/** The folder part of @p path, up to and including its last '/'; empty when it has none. */
QString folderPart(const QString& path);

/** One entry of a folder as the file system returns it. */
struct FolderEntry
{
    QString name;
    bool isFolder = false;
};

enum class NodeKind { File, Folder, Heading, Drive };

struct TreeNode
{
    QString text;
    NodeKind kind = NodeKind::File;

    bool operator==(const TreeNode&) const = default;
};

/**
 * The nodes a folder contributes, in the order the file system gave its entries: every
 * sub-folder, and the files @p filter lists. Nothing is sorted.
 */
QList<TreeNode> childNodes(const QList<FolderEntry>& entries, TreeFilter filter);

/**
 * The path a node stands for: the tree folder (ending in '/'), the names of the folder nodes
 * above it from the top level down, each followed by '/', then the node's own name.
 */
QString nodePath(const QString& treeFolder, const QStringList& folderNamesTopDown, const QString& name);

/** True when a folder's real path is one of the folders it lies in, as a link back up makes it. */
bool revisitsAncestor(const QString& canonicalFolder, const QStringList& canonicalAncestors);

/** What one work-tree refresh does. */
struct RefreshPlan
{
    QString workFolder; // the label's caption
    bool refill = false; // false: the tree keeps its nodes
};

/**
 * The work-tree refresh's bookkeeping: which folder the tree shows, and the skip rule that
 * keeps the nodes while the work folder has not changed.
 */
class RefreshRule final
{
public:
    /** Plans the refresh for the file @p fileName; an empty name means the command-line file. */
    RefreshPlan refresh(const QString& fileName, const QString& commandLineFile);
    /** Makes the next refresh refill even when the work folder is unchanged. */
    void forceNextRefill();

    /** The folder whose entries form the top level, ending in '/'; base of double-clicked paths. */
    const QString& treeFolder() const { return m_treeFolder; }

private:
    QString m_treeFolder;
    QString m_lastTreeFolder;
};
