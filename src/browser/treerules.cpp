// SPDX-License-Identifier: MIT
#include "treerules.h"

std::optional<TreeFilter> filterForIndex(int filterIndex)
{
    switch (filterIndex) {
    case 1:
        return TreeFilter::Text;
    case 2:
        return TreeFilter::Html;
    case 3:
        return TreeFilter::RichText;
    case 4: // the popup's "*.*" sets index 4, so it means every file here
    case 5: // the dialog's "全てのファイル(*.*)"
        return TreeFilter::Every;
    default:
        return std::nullopt;
    }
}

QString extensionOf(const QString& name)
{
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    return dot < 0 ? QString() : name.mid(dot);
}

bool filterLists(TreeFilter filter, const QString& name)
{
    const QString extension = extensionOf(name);
    switch (filter) {
    case TreeFilter::NoExtension:
        return extension.isEmpty();
    case TreeFilter::Text:
        return extension == QLatin1String(".txt");
    case TreeFilter::Html:
        return extension == QLatin1String(".html") || extension == QLatin1String(".htm");
    case TreeFilter::RichText:
        return extension == QLatin1String(".rtf");
    case TreeFilter::Every:
        return true;
    }
    return false;
}

QString folderPart(const QString& path)
{
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    return slash < 0 ? QString() : path.left(slash + 1);
}

QList<TreeNode> childNodes(const QList<FolderEntry>& entries, TreeFilter filter)
{
    QList<TreeNode> nodes;
    nodes.reserve(entries.size());
    for (const FolderEntry& entry : entries) {
        if (entry.isFolder)
            nodes.append({ entry.name, NodeKind::Folder });
        else if (filterLists(filter, entry.name))
            nodes.append({ entry.name, NodeKind::File });
    }
    return nodes;
}

QString nodePath(const QString& treeFolder, const QStringList& folderNamesTopDown, const QString& name)
{
    QString path = treeFolder;
    for (const QString& folder : folderNamesTopDown)
        path += folder + QLatin1Char('/');
    return path + name;
}

bool revisitsAncestor(const QString& canonicalFolder, const QStringList& canonicalAncestors)
{
    // An empty canonical path means the folder is gone or unreadable; it has nothing to revisit.
    return !canonicalFolder.isEmpty() && canonicalAncestors.contains(canonicalFolder);
}

RefreshPlan RefreshRule::refresh(const QString& fileName, const QString& commandLineFile)
{
    const QString name = fileName.isEmpty() ? commandLineFile : fileName;
    RefreshPlan plan;
    plan.workFolder = folderPart(name);
    plan.refill = plan.workFolder != m_lastTreeFolder;
    if (plan.refill)
        m_treeFolder = plan.workFolder;
    m_lastTreeFolder = plan.workFolder;
    return plan;
}

void RefreshRule::forceNextRefill()
{
    // A blank is never a folder part, so the next comparison cannot match.
    m_lastTreeFolder = QStringLiteral(" ");
}
