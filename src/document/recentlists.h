// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <QStringList>

inline constexpr int kRecentEntries = 5;

/** The folder part of @p path, up to and including its last '/' (empty when it has none). */
QString folderOf(const QString& path);

/**
 * Puts @p entry at the top of @p list unless the list already holds it (exact comparison),
 * keeping at most five entries. An entry already listed keeps its place; an empty one is never listed.
 */
void rememberEntry(QStringList& list, const QString& entry);
