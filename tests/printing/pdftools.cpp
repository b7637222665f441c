// SPDX-License-Identifier: MIT
#include "pdftools.h"

#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>

namespace PdfTools {

namespace {
QString run(const QString& tool, const QStringList& arguments)
{
    QProcess process;
    process.start(tool, arguments);
    if (!process.waitForFinished(30000) || process.exitCode() != 0)
        return {};
    return QString::fromUtf8(process.readAllStandardOutput());
}
} // namespace

QString missingTools()
{
    QStringList missing;
    for (const char* tool : { "pdftotext", "pdfinfo", "pdffonts" }) {
        if (QStandardPaths::findExecutable(QLatin1String(tool)).isEmpty())
            missing.append(QLatin1String(tool));
    }
    if (missing.isEmpty())
        return {};
    return missing.join(QLatin1String(", ")) + QLatin1String(" not installed (Debian package poppler-utils)");
}

int pageCount(const QString& path)
{
    const QString info = run(QStringLiteral("pdfinfo"), { path });
    const QRegularExpressionMatch match =
        QRegularExpression(QStringLiteral("^Pages:\\s+(\\d+)$"), QRegularExpression::MultilineOption).match(info);
    return match.hasMatch() ? match.captured(1).toInt() : -1;
}

QString pageText(const QString& path, int page)
{
    const QString number = QString::number(page);
    return run(QStringLiteral("pdftotext"),
               { QStringLiteral("-enc"), QStringLiteral("UTF-8"), QStringLiteral("-f"), number, QStringLiteral("-l"),
                 number, QStringLiteral("-layout"), path, QStringLiteral("-") });
}

QSizeF pageSize(const QString& path, int page)
{
    const QString number = QString::number(page);
    const QString info = run(QStringLiteral("pdfinfo"),
                             { QStringLiteral("-f"), number, QStringLiteral("-l"), number, path });
    const QRegularExpressionMatch size = QRegularExpression(
                                             QStringLiteral("^Page\\s+%1 size:\\s+([\\d.]+) x ([\\d.]+) pts").arg(page),
                                             QRegularExpression::MultilineOption)
                                             .match(info);
    const QRegularExpressionMatch rotation = QRegularExpression(QStringLiteral("^Page\\s+%1 rot:\\s+(\\d+)").arg(page),
                                                                QRegularExpression::MultilineOption)
                                                 .match(info);
    if (!size.hasMatch())
        return {};
    QSizeF result(size.captured(1).toDouble(), size.captured(2).toDouble());
    if (rotation.hasMatch() && rotation.captured(1).toInt() % 180 == 90)
        result.transpose();
    return result;
}

QStringList fontNames(const QString& path)
{
    QStringList names;
    const QStringList lines = run(QStringLiteral("pdffonts"), { path }).split(u'\n');
    for (qsizetype i = 2; i < lines.size(); ++i) { // below the column titles and their rule
        const QString name = lines.at(i).section(u' ', 0, 0, QString::SectionSkipEmpty);
        if (!name.isEmpty())
            names.append(name);
    }
    return names;
}

} // namespace PdfTools
