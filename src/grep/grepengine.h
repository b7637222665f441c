// SPDX-License-Identifier: MIT
#pragma once

#include "formats/textformat.h"

#include <QList>
#include <QRegularExpression>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <atomic>
#include <optional>

namespace pemmo::grep {

/** What to look for and where: the Grep dialog's fields and pemmo-grep's options. */
struct GrepConditions
{
    QString pattern;
    QStringList paths; ///< folders (searched when recursive) and files
    bool recursive = true;
    bool caseSensitive = false;
    bool wholeWord = false;
    bool regex = false;
    /** "*.txt;*.c;!*.obj": names to take, and after '!' names to leave out; empty takes every file. */
    QString fileMask;
    /** Folder names (wildcards allowed) never entered, separated by ';'. */
    QString excludedFolders = QStringLiteral(".git;.svn");
    /** One encoding for every file; nullopt detects each file's as the editor does. */
    std::optional<formats::Encoding> encoding;
};

/** One matching line. Line and column are 1-based; column and length count characters (code points). */
struct GrepMatch
{
    qint64 line = 0;
    qsizetype column = 0;
    qsizetype length = 0;
    QString text; ///< the whole line, without its line break
};

struct GrepFileResult
{
    QString path;
    formats::TextFormat format;
    QList<GrepMatch> matches;
    bool binary = false; ///< skipped: not text
    QString error; ///< the file could not be read; empty otherwise
};

/** The pattern as a regular expression, or the reason it is not one (in Japanese). */
struct CompiledPattern
{
    QRegularExpression expression;
    QString error;
};
CompiledPattern compileGrepPattern(const GrepConditions& conditions);

/**
 * The lines of @p text that hold a match, the first match of each, as grep reports them: a
 * match never reaches over a line break. Line breaks are '\n'; @p firstLine is the number of the
 * text's first line. @p cancel, when given, is read every few hundred matches; once it is set the
 * matches so far are returned.
 */
QList<GrepMatch> searchLines(const QString& text, const QRegularExpression& expression, qint64 firstLine = 1,
                             const std::atomic_bool* cancel = nullptr);

/**
 * @p text, or where it holds a lone surrogate, @p copy of it with U+FFFD there (one unit for one,
 * so positions stay). Matched with DontCheckSubjectStringMatchOption, such a subject spares PCRE2
 * checking the whole text again for every match, which made a slice with a match on each line
 * take minutes.
 */
const QString& checkedSubject(const QString& text, QString& copy);

/**
 * Reads, decodes and searches one file. Files up to a few MB are read whole; longer ones in
 * slices ending at line breaks, so that any size is searched in bounded memory. The encoding is
 * detected from the file's start unless the conditions name one. @p cancel is read between slices.
 */
class BytePrefilter;
/** @p prefilter, when given, passes over a whole-read file whose bytes cannot hold a match. */
GrepFileResult searchFile(const QString& path, const GrepConditions& conditions, const QRegularExpression& expression,
                          const std::atomic_bool& cancel, const BytePrefilter* prefilter = nullptr);

/** Told about every file in order; runs on the thread that called runGrep(). */
class GrepReceiver
{
public:
    virtual ~GrepReceiver() = default;
    /** The files to search are known. */
    virtual void listed(int fileCount) = 0;
    /** @p index of the listed files is done (skipped, unreadable or searched). */
    virtual void fileDone(int index, const GrepFileResult& result) = 0;
};

struct GrepSummary
{
    qint64 matches = 0;
    int files = 0; ///< files searched
    int filesWithMatches = 0;
    QStringList errors; ///< the pattern's error, or paths that were not found, as sentences
    int unreadableFiles = 0; ///< files that could not be read (each told in its GrepFileResult)
    bool cancelled = false;
};

inline constexpr int kGrepThreads = 2;

/**
 * Lists the files and searches them on @p threads worker threads, handing the results to
 * @p receiver in the listed order as soon as each is ready. Returns within a few tens of
 * milliseconds of @p cancel being set. The pattern must compile (compileGrepPattern()).
 */
GrepSummary runGrep(const GrepConditions& conditions, GrepReceiver& receiver, const std::atomic_bool& cancel,
                    int threads = kGrepThreads);

} // namespace pemmo::grep
