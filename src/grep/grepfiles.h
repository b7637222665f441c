// SPDX-License-Identifier: MIT
#pragma once

#include <QList>
#include <QRegularExpression>
#include <QString>
#include <QStringList>

#include <atomic>
#include <functional>

namespace pemmo::grep {

/** Wildcards separated by ';' ("*.txt;*.c"), matched against a whole name with case ignored. */
class WildcardList final
{
public:
    explicit WildcardList(const QStringList& wildcards = {});
    bool isEmpty() const { return m_expressions.isEmpty(); }
    bool matches(const QString& name) const;

private:
    QList<QRegularExpression> m_expressions;
};

/** A file mask "*.txt;*.c;!*.obj": the names to take, and after '!' the names to leave out. */
class FileMask final
{
public:
    explicit FileMask(const QString& mask);
    bool matches(const QString& fileName) const;

private:
    WildcardList m_include;
    WildcardList m_exclude;
};

/** The parts of a ';'-separated list, trimmed, empty ones dropped. */
QStringList splitMask(const QString& mask);

struct FileListing
{
    QStringList files;
    QStringList errors; ///< sentences for paths that do not exist or are folders without recursion
};

/**
 * The files to search under @p paths: a path naming a file is taken as it is; a folder is
 * walked (when @p recursive) in name order, files before subfolders, leaving out folders named
 * in @p excludedFolders and links to folders, so a link loop cannot hold the walk. @p counted,
 * when given, is told the number of files so far after each folder.
 */
FileListing listFiles(const QStringList& paths, bool recursive, const QString& fileMask, const QString& excludedFolders,
                      const std::atomic_bool& cancel, const std::function<void(qsizetype)>& counted = {});

} // namespace pemmo::grep
