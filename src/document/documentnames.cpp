// SPDX-License-Identifier: MIT
#include "documentnames.h"
#include <QDir>
#include <QFileInfo>

#include "editortexts.h"
#include "ui/filetexts.h"

QList<FileFilter> openDialogFilters()
{
    return {
        { FilterText::Text, QStringLiteral("*.txt") },
        { FilterText::OpenHtml, QStringLiteral("*.htm;*.html") },
        { FilterText::RichText, QStringLiteral("*.rtf;*.doc") },
        { FilterText::SourceFiles, QStringLiteral("*.asm;*.c;*.cpp") },
        { FilterText::All, QStringLiteral("*.*") },
    };
}

QList<FileFilter> saveDialogFilters()
{
    return {
        { FilterText::Text, QStringLiteral("*.txt") },
        { FilterText::SaveHtml, QStringLiteral("*.htm;*.html") },
        { FilterText::RichText, QStringLiteral("*.rtf;*.doc") },
        { FilterText::Asm, QStringLiteral("*.asm") },
        { FilterText::C, QStringLiteral("*.c") },
        { FilterText::Cpp, QStringLiteral("*.cpp") },
        { FilterText::All, QStringLiteral("*.*") },
    };
}

QString fileExtension(const QString& path)
{
    const qsizetype nameStart = path.lastIndexOf(QLatin1Char('/')) + 1;
    const qsizetype dot = path.lastIndexOf(QLatin1Char('.'));
    // A leading dot marks a hidden file on Linux, not an extension: ".profile" has none.
    if (dot <= nameStart)
        return QString();
    return path.mid(dot);
}

QString saveAsName(const QString& typed, int filterIndex)
{
    const QString typedExtension = fileExtension(typed);
    const QString stem = typed.left(typed.size() - typedExtension.size());
    switch (filterIndex) {
    case 1:
        return stem + QStringLiteral(".txt");
    case 3:
        return stem + QStringLiteral(".rtf");
    case 4:
        return stem + QStringLiteral(".asm");
    case 5:
        return stem + QStringLiteral(".c");
    case 6:
        return stem + QStringLiteral(".cpp");
    default:
        // 2, 7, and any index the dialog cannot give: the name as typed.
        return typed;
    }
}

bool namesNoFile(const QString& name)
{
    return name == kUntitledName || name == QStringLiteral(" ") || name.isEmpty() || name.endsWith(QLatin1Char('/'));
}

QString dialogStartFolder(const QString& documentName, const QStringList& recentFolders, const QString& home,
                          const QString& programFolder)
{
    const auto usable = [&programFolder](const QString& folder) {
        return !folder.isEmpty() && QDir::cleanPath(folder) != QDir::cleanPath(programFolder) && QDir(folder).exists();
    };
    if (!namesNoFile(documentName)) {
        QString folder = QFileInfo(documentName).absolutePath() + QLatin1Char('/');
        if (usable(folder))
            return folder;
    }
    for (const QString& folder : recentFolders) {
        if (usable(folder))
            return folder;
    }
    return home.endsWith(QLatin1Char('/')) ? home : home + QLatin1Char('/');
}
