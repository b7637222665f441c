// SPDX-License-Identifier: MIT
#include "journeyfiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <iconv.h>

namespace journey {

bool writeHive(const QString& path, const QList<std::pair<QString, QString>>& values)
{
    const QString folder = QFileInfo(path).absolutePath();
    if (!QDir().mkpath(folder))
        return false;
    QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QByteArray text = "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\software\\Ambrel\\Pemmo]\r\n";
    for (const auto& [name, value] : values)
        text += QStringLiteral("\"%1\"=%2\r\n").arg(name, value).toUtf8();
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(text) != text.size())
        return false;
    file.close();
    return file.setPermissions(QFile::ReadOwner | QFile::WriteOwner);
}

QMap<QString, QString> readHive(const QString& path)
{
    QMap<QString, QString> values;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return values;
    static const QRegularExpression line(QStringLiteral(R"re(^"((?:[^"\\]|\\.)*)"=(.*)$)re"));
    for (const QString& text : QString::fromUtf8(file.readAll()).split(QRegularExpression(QStringLiteral("\r?\n")))) {
        const QRegularExpressionMatch match = line.match(text);
        if (match.hasMatch())
            values.insert(match.captured(1).toLower(), match.captured(2));
    }
    return values;
}

std::optional<QString> hiveString(const QString& raw)
{
    if (raw.size() < 2 || !raw.startsWith(u'"') || !raw.endsWith(u'"'))
        return std::nullopt;
    QString text;
    const QString inner = raw.mid(1, raw.size() - 2);
    for (qsizetype i = 0; i < inner.size(); ++i) {
        if (inner[i] == u'\\' && i + 1 < inner.size())
            ++i;
        text += inner[i];
    }
    return text;
}

std::optional<quint32> hiveDword(const QString& raw)
{
    if (!raw.startsWith(QLatin1String("dword:")) || raw.size() != 14)
        return std::nullopt;
    bool ok = false;
    const quint32 value = raw.mid(6).toUInt(&ok, 16);
    return ok ? std::optional(value) : std::nullopt;
}

QByteArray toCp932(const QString& text)
{
    return encodeAs("CP932", text);
}

QByteArray encodeAs(const char* encoding, const QString& text)
{
    iconv_t converter = iconv_open(encoding, "UTF-8");
    if (converter == iconv_t(-1))
        return {};
    QByteArray in = text.toUtf8();
    QByteArray out(in.size() * 2 + 16, '\0');
    char* inPointer = in.data();
    char* outPointer = out.data();
    size_t inLeft = size_t(in.size());
    size_t outLeft = size_t(out.size());
    const size_t result = iconv(converter, &inPointer, &inLeft, &outPointer, &outLeft);
    iconv_close(converter);
    if (result == size_t(-1) || inLeft != 0)
        return {};
    out.truncate(out.size() - qsizetype(outLeft));
    return out;
}

QStringList linesOf(const QString& text)
{
    QStringList lines = text.split(QRegularExpression(QStringLiteral("\r\n|\r|\n|\u2029")));
    if (!lines.isEmpty() && lines.constLast().isEmpty())
        lines.removeLast();
    return lines;
}

std::optional<QString> convertToText(const QString& converter, const QString& path, QString* error)
{
    QTemporaryDir folder;
    const QString out = folder.filePath(QStringLiteral("converted.txt"));
    QProcess process;
    process.start(converter, { QStringLiteral("--encoding"), QStringLiteral("UTF-8"), path, out });
    if (!process.waitForFinished(20000) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        *error = QString::fromLocal8Bit(process.readAllStandardError()).trimmed();
        return std::nullopt;
    }
    QFile file(out);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("no output from %1").arg(converter);
        return std::nullopt;
    }
    QByteArray bytes = file.readAll();
    if (bytes.startsWith("\xEF\xBB\xBF"))
        bytes.remove(0, 3);
    return QString::fromUtf8(bytes);
}

bool processEnded(qint64 pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return true;
    // The state follows the command name, which is in parentheses and may itself hold blanks.
    const QByteArray line = stat.readAll();
    const qsizetype close = line.lastIndexOf(')');
    return close < 0 || line.mid(close + 2, 1) == "Z";
}

QList<std::pair<QString, QString>> editorFirstRunHive()
{
    QList<std::pair<QString, QString>> hive { { QStringLiteral("MOption"), QStringLiteral("dword:00000000") } };
    for (int i = 1; i <= 5; ++i) {
        hive.append({ QStringLiteral("MRU%1").arg(i), QStringLiteral("\"\"") });
        hive.append({ QStringLiteral("MMM%1").arg(i), QStringLiteral("\"\"") });
    }
    hive += { { QStringLiteral("MCoolBarVewF"), QStringLiteral("dword:00000001") },
              { QStringLiteral("MTop"), QStringLiteral("dword:00000064") },
              { QStringLiteral("MLeft"), QStringLiteral("dword:000000c8") },
              { QStringLiteral("MFontCol"), QStringLiteral("dword:80000008") },
              { QStringLiteral("MFontSize"), QStringLiteral("dword:0000000a") },
              { QStringLiteral("MFontName"), QStringLiteral("\"ＭＳ ゴシック\"") },
              { QStringLiteral("MFontStyleB"), QStringLiteral("dword:00000000") },
              { QStringLiteral("MFontStyleI"), QStringLiteral("dword:00000000") },
              { QStringLiteral("MFontStyleU"), QStringLiteral("dword:00000000") },
              { QStringLiteral("MFontStyleS"), QStringLiteral("dword:00000000") } };
    return hive;
}

} // namespace journey
