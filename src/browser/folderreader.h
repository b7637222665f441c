// SPDX-License-Identifier: MIT
#pragma once

#include "treerules.h"

#include <QDeadlineTimer>
#include <QDirIterator>

#include <memory>

/**
 * Reads one folder's entries a slice at a time, in the order the file system returns them, so
 * that a folder of any size never holds up the caller for longer than it allows.
 */
class FolderReader final
{
public:
    explicit FolderReader(const QString& folder);

    /** Reads until @p deadline passes or @p maxEntries were read, whichever comes first. */
    QList<FolderEntry> read(const QDeadlineTimer& deadline, int maxEntries);
    bool atEnd() const { return !m_iterator->hasNext(); }

private:
    std::unique_ptr<QDirIterator> m_iterator;
};
