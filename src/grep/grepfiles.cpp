// SPDX-License-Identifier: MIT
#include "grepfiles.h"

#include "greptexts.h"

#include <QDir>
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
          QStringList& files)
{
    if (cancel.load(std::memory_order_relaxed))
        return;
    const QDir dir(folder);
    const QStringList names = dir.entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
    for (const QString& name : names) {
        if (mask.matches(name))
            files.append(joined(folder, name));
    }
    const QStringList folders = dir.entryList(QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot | QDir::NoSymLinks,
                                              QDir::Name);
    for (const QString& name : folders) {
        if (!excluded.matches(name))
            walk(joined(folder, name), mask, excluded, cancel, files);
    }
}

} // namespace

FileListing listFiles(const QStringList& paths, bool recursive, const QString& fileMask, const QString& excludedFolders,
                      const std::atomic_bool& cancel)
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
            walk(path, mask, excluded, cancel, listing.files);
    }
    return listing;
}

} // namespace pemmo::grep
