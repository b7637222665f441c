// SPDX-License-Identifier: MIT
#include "recentlists.h"

QString folderOf(const QString& path)
{
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    return slash < 0 ? QString() : path.left(slash + 1);
}

void rememberEntry(QStringList& list, const QString& entry)
{
    if (entry.isEmpty())
        return;
    for (int k = 0; k < qMin(kRecentEntries, int(list.size())); ++k) {
        if (list.at(k) == entry)
            return;
    }
    list.prepend(entry);
    while (list.size() > kRecentEntries)
        list.removeLast();
}
