// SPDX-License-Identifier: MIT
#include "grepfiles.h"

#include "greptexts.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>

namespace pemmo::grep {

QStringList splitMask(const QString& mask)
{
    QStringList parts;
    for (const QString& part : mask.split(u';', Qt::SkipEmptyParts)) {
        const QString trimmed = part.trimmed();
        if (!trimmed.isEmpty())
            parts.append(trimmed);
    }
    return parts;
}

WildcardList::WildcardList(const QStringList& wildcards)
{
    for (const QString& wildcard : wildcards) {
        QRegularExpression expression(QRegularExpression::wildcardToRegularExpression(wildcard),
                                      QRegularExpression::CaseInsensitiveOption);
        expression.optimize();
        m_expressions.append(expression);
    }
}

bool WildcardList::matches(const QString& name) const
{
    for (const QRegularExpression& expression : m_expressions) {
        if (expression.match(name).hasMatch())
            return true;
    }
    return false;
}

namespace {

WildcardList maskPart(const QString& mask, bool exclusions)
{
    QStringList wildcards;
    for (const QString& part : splitMask(mask)) {
        if (part.startsWith(u'!') == exclusions && part.size() > (exclusions ? 1 : 0))
            wildcards.append(exclusions ? part.mid(1) : part);
    }
    return WildcardList(wildcards);
}

} // namespace

FileMask::FileMask(const QString& mask)
    : m_include(maskPart(mask, false))
    , m_exclude(maskPart(mask, true))
{ }

bool FileMask::matches(const QString& fileName) const
{
    if (!m_include.isEmpty() && !m_include.matches(fileName))
        return false;
    return !m_exclude.matches(fileName);
}

namespace {

QString joined(const QString& folder, const QString& name)
{
    return folder.endsWith(u'/') ? QString(folder + name) : QString(folder + u'/' + name);
}

void walk(const QString& folder, const FileMask& mask, const WildcardList& excluded, const std::atomic_bool& cancel,
          const std::function<void(qsizetype)>& counted, QStringList& files)
{
    if (cancel.load(std::memory_order_relaxed))
        return;
    // One pass over the folder; the entries' types come with the listing, so only links cost a
    // look of their own. Only regular files are taken: a FIFO would block the read for ever, and
    // a device or socket holds no text.
    QStringList names;
    QStringList folders;
    QDirIterator entries(folder, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    while (entries.hasNext()) {
        entries.next();
        const QFileInfo info = entries.fileInfo();
        if (info.isDir()) {
            if (!info.isSymLink() && !excluded.matches(info.fileName()))
                folders.append(info.fileName());
        } else if (info.isFile() && mask.matches(info.fileName())) {
            names.append(info.fileName());
        }
    }
    names.sort();
    folders.sort();
    for (const QString& name : std::as_const(names))
        files.append(joined(folder, name));
    if (counted)
        counted(files.size());
    for (const QString& name : std::as_const(folders))
        walk(joined(folder, name), mask, excluded, cancel, counted, files);
}

} // namespace

FileListing listFiles(const QStringList& paths, bool recursive, const QString& fileMask, const QString& excludedFolders,
                      const std::atomic_bool& cancel, const std::function<void(qsizetype)>& counted)
{
    FileListing listing;
    const FileMask mask(fileMask);
    const WildcardList excluded(splitMask(excludedFolders));
    for (const QString& path : paths) {
        const QFileInfo info(path);
        if (!info.exists())
            listing.errors.append(kGrepPathNotFound.arg(path));
        else if (!info.isDir())
            listing.files.append(path);
        else if (!recursive)
            listing.errors.append(kGrepIsFolder.arg(path));
        else
            walk(path, mask, excluded, cancel, counted, listing.files);
    }
    return listing;
}

} // namespace pemmo::grep
