// SPDX-License-Identifier: MIT
#include "help.h"

#include "optionstexts.h"
#include "ui/dialogs.h"

#include <QAction>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

QStringList helpBookCandidates(const QString& helpFile)
{
    const QString book = QFileInfo(helpFile).completeBaseName() + QLatin1String("/index.html");
    const QString programDir = QCoreApplication::applicationDirPath();
    return {
        QDir::cleanPath(programDir + QLatin1String("/../share/pemmo/help/") + book),
        QDir::cleanPath(QStringLiteral(PEMMO_SOURCE_HELP_DIR "/") + book),
    };
}

QString findHelpBook(const QString& helpFile)
{
    for (const QString& candidate : helpBookCandidates(helpFile)) {
        if (QFileInfo(candidate).isReadable())
            return candidate;
    }
    return {};
}

void F_HelpClick(Dialogs& dialogs)
{
    const QString book = findHelpBook(kHelpFile);
    if (book.isEmpty() || !dialogs.showHelp(book))
        dialogs.message(kHelpNotFound);
}

void OP_strClick(const QAction& OP_str, Dialogs& dialogs)
{
    dialogs.message(OP_str.isChecked() ? kLauncherOnNextStart : kLauncherOffNextStart);
}
