// SPDX-License-Identifier: MIT
#pragma once

#include <QList>
#include <QObject>
#include <QStringList>

class QAction;

/**
 * The recent-files and recent-folders lists of the editor window, and the File menu's recent
 * items that show the files. Nothing here reaches the settings key: the window stores the
 * lists at its own storing points.
 */
class RecentFiles final : public QObject
{
    Q_OBJECT
public:
    /** @p items are MRU1..MRU5, in order; @p separator is MRUSeparator. */
    RecentFiles(QList<QAction*> items, QAction* separator, QObject* parent = nullptr);

    QStringList files() const { return m_files; }
    QStringList folders() const { return m_folders; }
    void setLists(const QStringList& files, const QStringList& folders);

    /** The remember-file operation: @p path, made absolute and clean, and its folder go to the top unless already
     * listed. */
    void rememberFile(const QString& path);

    /** Before the File menu drops down: the items of non-empty entries show their paths. */
    void FileMenuClick();

Q_SIGNALS:
    /** Recent item @p index (0 for MRU1) was chosen; @p path is its entry. */
    void recentChosen(int index, const QString& path);

private:
    QList<QAction*> m_items;
    QAction* m_separator;
    QStringList m_files;
    QStringList m_folders;
};
