// SPDX-License-Identifier: MIT
#include "recentfiles.h"

#include "document/recentlists.h"
#include "launcher/editorlaunch.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>

RecentFiles::RecentFiles(QList<QAction*> items, QAction* separator, QObject* parent)
    : QObject(parent)
    , m_items(std::move(items))
    , m_separator(separator)
{
    for (int k = 0; k < m_items.size(); ++k) {
        connect(m_items[k], &QAction::triggered, this, [this, k] {
            // The entry is looked up when chosen: the list may have moved since the menu showed.
            if (k < m_files.size() && !m_files.at(k).isEmpty())
                Q_EMIT recentChosen(k, m_files.at(k));
        });
    }
}

void RecentFiles::setLists(const QStringList& files, const QStringList& folders)
{
    m_files = files;
    m_folders = folders;
}

void RecentFiles::rememberFile(const QString& path)
{
    if (path.isEmpty())
        return;
    // Lists are shared by processes that run in other folders: only a full path names the same file there.
    const QString absolute = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    rememberEntry(m_files, absolute);
    rememberEntry(m_folders, folderOf(absolute));
}

void RecentFiles::FileMenuClick()
{
    for (int k = 0; k < qMin(int(m_files.size()), int(m_items.size())); ++k) {
        if (m_files.at(k).isEmpty())
            continue;
        m_separator->setVisible(true);
        m_items[k]->setVisible(true);
        m_items[k]->setText(recentItemCaption(k + 1, m_files.at(k)));
    }
}
