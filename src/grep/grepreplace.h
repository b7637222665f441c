// SPDX-License-Identifier: MIT
#pragma once

#include "formats/replacementtext.h"
#include "grepengine.h"

#include <QList>
#include <QRegularExpression>
#include <QString>

#include <atomic>
#include <functional>

namespace pemmo::grep {

/**
 * Replaces every match in @p text into @p into, line by line as Grep finds them: a match never
 * reaches over a line break, and a line's CR (of a CR LF kept as it was) is not part of it.
 * Returns the number of matches replaced; @p into is left empty when there were none.
 */
qint64 replaceInText(const QString& text, const QRegularExpression& expression,
                     const formats::ReplacementText& replacement, QString& into);

/** What became, or would become, of one file. */
struct FileReplacement
{
    QString path;
    formats::TextFormat format;
    qint64 matches = 0; ///< replaced (or, counted, to be replaced)
    bool written = false;
    QString error; ///< why the file is not changed, as a sentence naming it; empty otherwise
};

/**
 * Grep-replace of single files: each read in its own encoding (detected, or the one the
 * conditions name) as the editor reads it, and written back through the editor's save in the same
 * encoding, BOM and line breaks. A file is written only when all of its text can be written
 * back; RTF files, files with bytes that do not decode and files too long to edit are left alone.
 */
class GrepReplacer final
{
public:
    /** The conditions' pattern must compile (compileGrepPattern()). */
    GrepReplacer(const GrepConditions& conditions, const QString& replacement);

    /** The matches @p path holds, counted as apply() would replace them; nothing is written. */
    FileReplacement count(const QString& path) const;
    /**
     * Replaces and writes @p path. A recovery copy of the file's bytes as they were is kept
     * while it is written, so that an end of the process then loses nothing; without that copy
     * the file is not written.
     */
    FileReplacement apply(const QString& path) const;

    /** How far plan() has come: first files searched of those listed, then files counted of those that match. */
    struct PlanProgress
    {
        bool counting = false;
        int done = 0;
        int total = 0;
    };
    /**
     * The files of a Grep for the conditions, each counted: the files that hold matches, in the
     * order Grep lists them. Stops early when @p cancel is set. @p progress is told after every
     * file, on the calling thread.
     */
    QList<FileReplacement> plan(GrepSummary& summary, const std::atomic_bool& cancel,
                                const std::function<void(const PlanProgress&)>& progress = {}) const;

private:
    struct Replaced;
    /** Reads the file as the editor does and replaces in it; false, with the reason in @p outcome, when it is left
     * alone. */
    bool replaceIn(const QString& path, FileReplacement& outcome, Replaced& replaced) const;

    GrepConditions m_conditions;
    QRegularExpression m_expression;
    formats::ReplacementText m_replacement;
};

} // namespace pemmo::grep
