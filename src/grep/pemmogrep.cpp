// SPDX-License-Identifier: MIT
// pemmo-grep [-r] [-i] [-w] [-E] [--include MASK] [--exclude-dir D] [--encoding E] [--replace TEXT] PATTERN PATH…:
// the editor's Grep on the command line, each file read in its own encoding, the result lines in UTF-8;
// with --replace, the editor's Grep-replace without its question: a line per file changed.
#include "grepengine.h"
#include "grepreplace.h"
#include "grepresult.h"
#include "greptexts.h"

#include <QCoreApplication>

#include <cstdio>

using namespace pemmo::grep;

namespace {

void complain(const QString& message)
{
    QString line = message;
    line.replace(u'\n', u' ');
    std::fprintf(stderr, "pemmo-grep: %s\n", line.toLocal8Bit().constData());
}

// Writes the results as they come, in the listed order; errors go to standard error at once.
class Printer final : public GrepReceiver
{
public:
    ~Printer() override { flush(); }
    void listed(int) override { }
    void fileDone(int, const GrepFileResult& result) override
    {
        if (!result.error.isEmpty()) {
            flush();
            complain(result.error);
        }
        for (const GrepMatch& match : result.matches) {
            m_buffer += grepResultLine(result.path, result.format, match).toUtf8();
            m_buffer += '\n';
        }
        if (m_buffer.size() >= 64 * 1024)
            flush();
    }
    void flush()
    {
        if (!m_buffer.isEmpty())
            std::fwrite(m_buffer.constData(), 1, size_t(m_buffer.size()), stdout);
        m_buffer.clear();
        std::fflush(stdout);
    }

private:
    QByteArray m_buffer;
};

// Exit code: 0 when something was replaced, 1 when nothing matched, 2 when a file was left alone or an error came.
int replaceAll(const GrepConditions& conditions, const QString& replacement)
{
    const std::atomic_bool never { false };
    const GrepReplacer replacer(conditions, replacement);
    GrepSummary summary;
    const QList<FileReplacement> files = replacer.plan(summary, never);
    bool failed = !summary.errors.isEmpty();
    qint64 replaced = 0;
    for (const FileReplacement& planned : files) {
        const FileReplacement done = planned.error.isEmpty() ? replacer.apply(planned.path) : planned;
        if (done.written) {
            replaced += done.matches;
            const QString line =
                kGrepReplacedFile.arg(done.path, pemmo::formats::encodingLabel(done.format)).arg(done.matches);
            std::printf("%s\n", line.toUtf8().constData());
            std::fflush(stdout);
        } else if (!done.error.isEmpty()) {
            complain(done.error);
            failed = true;
        }
    }
    for (const QString& error : std::as_const(summary.errors))
        complain(error);
    return failed ? 2 : replaced > 0 ? 0 : 1;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    GrepConditions conditions;
    conditions.recursive = false;
    conditions.caseSensitive = true;
    QStringList includes;
    QStringList excludedFolders = { QStringLiteral(".git"), QStringLiteral(".svn") };
    QStringList positional;
    std::optional<QString> replacement;
    const QStringList arguments = app.arguments().mid(1);
    bool optionsEnded = false;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        if (optionsEnded || !argument.startsWith(u'-') || argument == QLatin1String("-")) {
            positional.append(argument);
            continue;
        }
        if (argument == QLatin1String("--")) {
            optionsEnded = true;
            continue;
        }
        if (argument.startsWith(QLatin1String("--"))) {
            const qsizetype equals = argument.indexOf(u'=');
            const QString name = argument.first(equals < 0 ? argument.size() : equals);
            QString value;
            const bool takesValue = name == QLatin1String("--include") || name == QLatin1String("--exclude-dir") ||
                name == QLatin1String("--encoding") || name == QLatin1String("--replace");
            if (!takesValue) {
                complain(kGrepUsage);
                return 2;
            }
            if (equals >= 0) {
                value = argument.sliced(equals + 1);
            } else if (i + 1 < arguments.size()) {
                value = arguments[++i];
            } else {
                complain(kGrepUsage);
                return 2;
            }
            if (name == QLatin1String("--include")) {
                includes.append(value);
            } else if (name == QLatin1String("--exclude-dir")) {
                excludedFolders.append(value);
            } else if (name == QLatin1String("--replace")) {
                replacement = value;
            } else {
                const std::optional<pemmo::formats::Encoding> encoding = pemmo::formats::encodingFromName(value);
                if (!encoding) {
                    complain(kGrepUnknownEncoding.arg(value));
                    return 2;
                }
                conditions.encoding = encoding;
            }
            continue;
        }
        for (const QChar flag : argument.sliced(1)) {
            if (flag == u'r' || flag == u'R')
                conditions.recursive = true;
            else if (flag == u'i')
                conditions.caseSensitive = false;
            else if (flag == u'w')
                conditions.wholeWord = true;
            else if (flag == u'E')
                conditions.regex = true;
            else {
                complain(kGrepUsage);
                return 2;
            }
        }
    }
    if (positional.size() < 2) {
        complain(kGrepUsage);
        return 2;
    }
    conditions.pattern = positional.takeFirst();
    conditions.paths = positional;
    conditions.fileMask = includes.join(u';');
    conditions.excludedFolders = excludedFolders.join(u';');
    const CompiledPattern compiled = compileGrepPattern(conditions);
    if (!compiled.error.isEmpty()) {
        complain(compiled.error);
        return 2;
    }

    const std::atomic_bool never { false };
    if (replacement)
        return replaceAll(conditions, *replacement);
    GrepSummary summary;
    {
        Printer printer;
        summary = runGrep(conditions, printer, never);
    }
    // Paths that were not found are told after the results: the walk found them before any file.
    for (const QString& error : std::as_const(summary.errors))
        complain(error);
    if (!summary.errors.isEmpty() || summary.unreadableFiles > 0)
        return 2;
    return summary.matches > 0 ? 0 : 1;
}
