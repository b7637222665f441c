// SPDX-License-Identifier: MIT
#include "commandline.h"

#include <QFileInfo>

CommandLine parseCommandLine(const QStringList& arguments)
{
    CommandLine result { ModeRequest::Stored, arguments, {}, {}, {} };
    if (arguments.isEmpty())
        return result;
    if (arguments.size() == 2 && arguments.first() == QLatin1String("--restore-backup")) {
        result.request = ModeRequest::Editor;
        result.fileArguments.clear();
        result.restoreBackup = arguments.last();
        return result;
    }
    if (arguments.size() == 2 && arguments.first() == QLatin1String("--recover")) {
        result.request = ModeRequest::Editor;
        result.fileArguments.clear();
        result.recoverCopy = arguments.last();
        return result;
    }
    if (arguments.first() == QLatin1String("--editor"))
        result.request = ModeRequest::Editor;
    else if (arguments.first() == QLatin1String("--launcher"))
        result.request = ModeRequest::Launcher;
    else
        return result;
    result.fileArguments.removeFirst();
    if (result.request == ModeRequest::Editor && result.fileArguments.size() > 1 &&
        !QFileInfo::exists(result.fileArguments.join(QLatin1Char(' ')))) {
        result.moreFiles = result.fileArguments.mid(1);
        result.fileArguments = { result.fileArguments.first() };
    }
    return result;
}
