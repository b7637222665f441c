// SPDX-License-Identifier: MIT
#include "folderreader.h"

FolderReader::FolderReader(const QString& folder)
    // Everything the folder holds, hidden and special files included; a folder that cannot be
    // read simply has no entries.
    : m_iterator(
          std::make_unique<QDirIterator>(folder, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot))
{ }

QList<FolderEntry> FolderReader::read(const QDeadlineTimer& deadline, int maxEntries)
{
    QList<FolderEntry> entries;
    // Checking the clock costs more than reading an entry, so it is looked at every few entries.
    constexpr int kEntriesPerClockCheck = 64;
    while (entries.size() < maxEntries && m_iterator->hasNext()) {
        m_iterator->next();
        const QFileInfo info = m_iterator->fileInfo();
        entries.append({ info.fileName(), info.isDir() });
        if (entries.size() % kEntriesPerClockCheck == 0 && deadline.hasExpired())
            break;
    }
    return entries;
}
