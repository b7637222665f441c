// SPDX-License-Identifier: MIT
#include "grepreplace.h"

#include "formats/documentio.h"
#include "formats/recoverystore.h"
#include "greptexts.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QFile>
#include <QTextDocument> // LoadedDocument holds one

namespace pemmo::grep {

using formats::TextFormat;

namespace {

qsizetype lineStartBefore(const QString& text, qsizetype at)
{
    return at == 0 ? 0 : text.lastIndexOf(u'\n', at - 1) + 1;
}

// The index after the character at @p at, past a whole surrogate pair.
qsizetype nextCharacter(const QString& text, qsizetype at)
{
    if (at + 1 < text.size() && text.at(at).isHighSurrogate() && text.at(at + 1).isLowSurrogate())
        return at + 2;
    return at + 1;
}

// Each match of @p line replaced, appended to @p into; the count.
qint64 replaceInLine(const QString& line, const QRegularExpression& expression,
                     const formats::ReplacementText& replacement, QString& into)
{
    qint64 count = 0;
    qsizetype copied = 0;
    for (qsizetype at = 0; at <= line.size();) {
        const QRegularExpressionMatch match = expression.match(line, at, QRegularExpression::NormalMatch,
                                                               QRegularExpression::DontCheckSubjectStringMatchOption);
        if (!match.hasMatch())
            break;
        into += QStringView(line).sliced(copied, match.capturedStart() - copied);
        replacement.appendTo(match, into);
        ++count;
        copied = match.capturedEnd();
        // After an empty match the next is looked for a character on, so the walk ends.
        at = match.capturedLength() > 0 ? copied : nextCharacter(line, copied);
        if (match.capturedLength() == 0 && copied < line.size()) {
            into += QStringView(line).sliced(copied, at - copied);
            copied = at;
        }
    }
    into += QStringView(line).sliced(qMin(copied, line.size()));
    return count;
}

} // namespace

qint64 replaceInText(const QString& unchecked, const QRegularExpression& expression,
                     const formats::ReplacementText& replacement, QString& into)
{
    QString copy;
    const QString& text = checkedSubject(unchecked, copy);
    into.clear();
    qint64 count = 0;
    qsizetype copied = 0; // the text before this is in @p into
    qsizetype from = 0;
    while (from <= text.size()) {
        // The whole text is searched for the next line with a match; that line is then done alone.
        const QRegularExpressionMatch match = expression.match(text, from, QRegularExpression::NormalMatch,
                                                               QRegularExpression::DontCheckSubjectStringMatchOption);
        if (!match.hasMatch())
            break;
        const qsizetype lineStart = qMax(from, lineStartBefore(text, match.capturedStart()));
        qsizetype lineEnd = text.indexOf(u'\n', match.capturedStart());
        if (lineEnd < 0)
            lineEnd = text.size();
        qsizetype contentEnd = lineEnd;
        if (contentEnd > lineStart && text.at(contentEnd - 1) == u'\r')
            --contentEnd;
        QString replaced;
        const qint64 inLine = replaceInLine(text.sliced(lineStart, contentEnd - lineStart), expression, replacement,
                                            replaced);
        if (inLine > 0) {
            if (count == 0)
                into.reserve(text.size() + text.size() / 8);
            into += QStringView(text).sliced(copied, lineStart - copied);
            into += replaced;
            copied = contentEnd;
            count += inLine;
        }
        from = lineEnd + 1;
    }
    if (count == 0)
        return 0;
    into += QStringView(text).sliced(copied);
    return count;
}

struct GrepReplacer::Replaced
{
    QString text; ///< the file's text after the replacement
    qint64 matches = 0;
    bool lossy = false; ///< some of the file's bytes did not decode
};

GrepReplacer::GrepReplacer(const GrepConditions& conditions, const QString& replacement)
    : m_conditions(conditions)
    , m_expression(compileGrepPattern(conditions).expression)
    , m_replacement(replacement)
{ }

bool GrepReplacer::replaceIn(const QString& path, FileReplacement& outcome, Replaced& replaced) const
{
    outcome.path = path;
    if (formats::isRtfFileName(path)) {
        outcome.error = kGrepReplaceRtf.arg(path);
        return false;
    }
    formats::LoadOptions options;
    options.encoding = m_conditions.encoding;
    // Grep leaves binary files out unless an encoding is named; so does its replace.
    if (!m_conditions.encoding)
        options.confirmBinary = [] { return false; };
    formats::LoadResult result = formats::loadDocument(path, options);
    if (!result.document) {
        if (!result.cancelled)
            outcome.error = result.errorMessage;
        return false;
    }
    if (result.document->kind != formats::DocumentKind::PlainText) {
        outcome.error = kGrepReplaceRtf.arg(path);
        return false;
    }
    outcome.format = result.document->format;
    replaced.matches = replaceInText(result.document->plainText, m_expression, m_replacement, replaced.text);
    replaced.lossy = result.document->lossy;
    return true;
}

FileReplacement GrepReplacer::count(const QString& path) const
{
    FileReplacement outcome;
    Replaced replaced;
    if (!replaceIn(path, outcome, replaced))
        return outcome;
    outcome.matches = replaced.matches;
    if (outcome.matches > 0 && replaced.lossy)
        outcome.error = kGrepReplaceLossy.arg(path);
    return outcome;
}

FileReplacement GrepReplacer::apply(const QString& path) const
{
    FileReplacement outcome;
    Replaced replaced;
    if (!replaceIn(path, outcome, replaced) || replaced.matches == 0)
        return outcome;
    if (replaced.lossy) {
        // Writing it back would turn the bytes that did not decode into something else.
        outcome.error = kGrepReplaceLossy.arg(path);
        return outcome;
    }
    const formats::SaveResult rendered = formats::renderDocument(
        path, formats::DocumentSource { nullptr, replaced.text }, outcome.format);
    if (rendered.status == formats::SaveStatus::NeedsConfirmation && rendered.unencodable) {
        const char32_t character = rendered.unencodable->character;
        outcome.error = kGrepReplaceUnencodable.arg(path, QString::fromUcs4(&character, 1),
                                                    formats::encodingLabel(outcome.format));
        return outcome;
    }
    if (rendered.status != formats::SaveStatus::Saved) {
        outcome.error = kGrepReplaceFailed.arg(path, rendered.message);
        return outcome;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        outcome.error = kGrepReplaceFailed.arg(path, file.errorString());
        return outcome;
    }
    const QByteArray original = file.readAll();
    file.close();
    formats::RecoveryNote note;
    note.originalPath = path;
    note.format = outcome.format;
    note.copyEncoding = outcome.format.encoding;
    note.processId = QCoreApplication::applicationPid();
    note.time = QDateTime::currentDateTime();
    formats::RecoveryCopy copy;
    if (const std::optional<QString> error = copy.write([&original](const formats::ByteSink& sink) { sink(original); },
                                                        note)) {
        copy.remove();
        outcome.error = kGrepReplaceNoCopy.arg(path, *error);
        return outcome;
    }
    if (const std::optional<QString> error = formats::writeDocumentFile(path, rendered.bytes)) {
        copy.remove();
        outcome.error = kGrepReplaceFailed.arg(path, *error);
        return outcome;
    }
    copy.remove();
    outcome.matches = replaced.matches;
    outcome.written = true;
    return outcome;
}

namespace {

// Keeps the names of the files that hold matches.
class MatchedFiles final : public GrepReceiver
{
public:
    explicit MatchedFiles(const std::function<void(const GrepReplacer::PlanProgress&)>& progress)
        : m_progress(progress)
    { }
    void listed(int count) override { m_listed = count; }
    void fileDone(int index, const GrepFileResult& result) override
    {
        if (!result.matches.isEmpty())
            paths.append(result.path);
        if (m_progress)
            m_progress({ false, index + 1, m_listed });
    }
    QStringList paths;

private:
    const std::function<void(const GrepReplacer::PlanProgress&)>& m_progress;
    int m_listed = 0;
};

} // namespace

QList<FileReplacement> GrepReplacer::plan(GrepSummary& summary, const std::atomic_bool& cancel,
                                          const std::function<void(const PlanProgress&)>& progress) const
{
    MatchedFiles matched(progress);
    summary = runGrep(m_conditions, matched, cancel);
    QList<FileReplacement> files;
    for (qsizetype i = 0; i < matched.paths.size(); ++i) {
        if (cancel.load(std::memory_order_relaxed)) {
            summary.cancelled = true;
            break;
        }
        FileReplacement counted = count(matched.paths[i]);
        if (counted.matches > 0 || !counted.error.isEmpty())
            files.append(std::move(counted));
        if (progress)
            progress({ true, int(i + 1), int(matched.paths.size()) });
    }
    return files;
}

} // namespace pemmo::grep
