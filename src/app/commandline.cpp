// SPDX-License-Identifier: MIT
#include "commandline.h"

#include <QFileInfo>
#include <QRegularExpression>

namespace {

// "+12 FILE", "FILE:12:5": the place taken out of the file arguments.
void takePlace(CommandLine& result)
{
    QStringList& files = result.fileArguments;
    const QString joined = files.join(QLatin1Char(' '));
    if (joined.isEmpty() || QFileInfo::exists(joined))
        return;
    if (files.size() >= 2 && files.first().startsWith(u'+')) {
        if (const std::optional<LinePlace> place = parseLinePlace(QStringView(files.first()).sliced(1))) {
            result.place = place;
            files.removeFirst();
            return;
        }
    }
    static const QRegularExpression suffix(QStringLiteral("^(.+?):(\\d+(?::\\d+)?)$"));
    const QRegularExpressionMatch match = suffix.match(joined);
    if (!match.hasMatch() || !QFileInfo(match.captured(1)).isFile())
        return;
    result.place = parseLinePlace(match.captured(2));
    files = { match.captured(1) };
}

} // namespace

CommandLine parseCommandLine(const QStringList& arguments)
{
    CommandLine result { ModeRequest::Stored, arguments, {}, {}, {}, {}, {} };
    if (arguments.isEmpty())
        return result;
    if (arguments.first() == QLatin1String("--grep")) {
        result.request = ModeRequest::Editor;
        result.fileArguments.clear();
        result.grep = arguments.mid(1);
        return result;
    }
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
    else {
        takePlace(result);
        return result;
    }
    result.fileArguments.removeFirst();
    if (result.request == ModeRequest::Editor)
        takePlace(result);
    if (result.request == ModeRequest::Editor && result.fileArguments.size() > 1 &&
        !QFileInfo::exists(result.fileArguments.join(QLatin1Char(' ')))) {
        result.moreFiles = result.fileArguments.mid(1);
        result.fileArguments = { result.fileArguments.first() };
    }
    return result;
}
