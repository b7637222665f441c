// SPDX-License-Identifier: MIT
#include "grepresult.h"

#include "greptexts.h"

#include <QDir>
#include <QRegularExpression>

namespace pemmo::grep {

QString grepResultLine(const QString& path, const formats::TextFormat& format, const GrepMatch& match)
{
    QString text = match.text;
    if (text.size() > kShownLineLength) {
        text.truncate(kShownLineLength);
        if (text.back().isHighSurrogate())
            text.chop(1);
        text += u'…';
    }
    return path + u'(' + QString::number(match.line) + u',' + QString::number(match.column) + QStringLiteral(") [") +
        formats::encodingLabel(format) + QStringLiteral("]: ") + text;
}

std::optional<GrepLocation> parseGrepResultLine(QStringView line)
{
    // The first "(n,m) [...]: " ends the path: a path may hold parentheses, hardly this sequence.
    static const QRegularExpression form(QStringLiteral("^(.+?)\\((\\d+),(\\d+)\\) \\[[^\\]]*\\]: "));
    const QRegularExpressionMatch match = form.match(line.toString());
    if (!match.hasMatch())
        return std::nullopt;
    GrepLocation location;
    location.path = match.captured(1);
    location.line = match.capturedView(2).toLongLong();
    location.column = match.capturedView(3).toLongLong();
    if (location.line < 1 || location.column < 1)
        return std::nullopt;
    return location;
}

QString grepHeader(const GrepConditions& conditions)
{
    QStringList options;
    if (conditions.recursive)
        options.append(kGrepOptionSubfolders);
    if (conditions.caseSensitive)
        options.append(kGrepOptionCase);
    if (conditions.wholeWord)
        options.append(kGrepOptionWord);
    if (conditions.regex)
        options.append(kGrepOptionRegex);
    QStringList folders;
    for (const QString& path : conditions.paths)
        folders.append(QDir::toNativeSeparators(path));
    QStringList lines {
        kGrepHeaderPattern.arg(conditions.pattern),
        kGrepHeaderFolder.arg(folders.join(QStringLiteral("; "))),
        kGrepHeaderMask.arg(conditions.fileMask.trimmed().isEmpty() ? kGrepAllFiles : conditions.fileMask),
        kGrepHeaderExcluded.arg(conditions.excludedFolders.trimmed().isEmpty() ? kGrepNone
                                                                               : conditions.excludedFolders),
        kGrepHeaderEncoding.arg(conditions.encoding ? formats::encodingName(*conditions.encoding)
                                                    : kGrepAutomaticEncoding),
        kGrepHeaderOptions.arg(options.isEmpty() ? kGrepNone : options.join(QStringLiteral("、"))),
    };
    return lines.join(u'\n') + QStringLiteral("\n\n");
}

QString grepFooter(qint64 matches, bool cancelled)
{
    return (cancelled ? kGrepCancelled : kGrepFound).arg(matches);
}

QString grepTitle(const QString& pattern)
{
    return kGrepResultTitle.arg(pattern);
}

} // namespace pemmo::grep
