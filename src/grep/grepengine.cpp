// SPDX-License-Identifier: MIT
#include "grepengine.h"

#include "formats/encodingdetection.h"
#include "formats/iconvcodec.h"
#include "grepfiles.h"
#include "grepprefilter.h"
#include "greptexts.h"
#include "platform/fileprobe.h"
#include "spellingsearch.h"

#include <QFile>
#include <QRunnable>
#include <QStringDecoder>
#include <QThreadPool>

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace pemmo::grep {

using formats::Encoding;
using formats::TextFormat;

namespace {

// Files up to this size are read whole; longer ones in slices of kSliceBytes, which also bounds
// how long a worker goes without looking at the cancel flag.
constexpr qint64 kWholeFileBytes = 4 * 1024 * 1024;
constexpr qint64 kSliceBytes = 2 * 1024 * 1024;
// The hand-on thread sleeps until this many more files are done, or for this long.
constexpr int kHandOnBatch = 64;
constexpr std::chrono::milliseconds kHandOnPoll { 10 };
// Below this many files, learning every encoding's codes (about 0.1 s) costs more than it saves.
constexpr qsizetype kPrefilterMinFiles = 200;

qsizetype characterCount(QStringView text)
{
    qsizetype count = text.size();
    for (const QChar c : text) {
        if (c.isLowSurrogate())
            --count;
    }
    return count;
}

// One file's bytes to text, slice by slice: a legacy encoding through the fast table decoder,
// UTF-8 and UTF-16 through Qt's, which keep a character cut by a slice's end for the next.
class SliceDecoder
{
public:
    explicit SliceDecoder(Encoding encoding)
    {
        if (formats::isUnicodeEncoding(encoding)) {
            const QStringConverter::Encoding qt = encoding == Encoding::Utf8 ? QStringConverter::Utf8
                : encoding == Encoding::Utf16Le                              ? QStringConverter::Utf16LE
                                                                             : QStringConverter::Utf16BE;
            m_unicode.emplace(qt, QStringConverter::Flag::Default);
        } else {
            m_legacy = std::make_unique<formats::Utf8Decoder>(formats::iconvName(encoding));
        }
    }

    QString decode(QByteArrayView bytes)
    {
        if (m_legacy) {
            m_utf8.resize(0);
            m_legacy->decode(bytes.data(), bytes.size(), m_utf8);
            return QString::fromUtf8(m_utf8);
        }
        return m_unicode->decode(bytes);
    }

private:
    std::optional<QStringDecoder> m_unicode;
    std::unique_ptr<formats::Utf8Decoder> m_legacy;
    QByteArray m_utf8;
};

// CR LF and a lone CR end a line as LF does, as they do in the editor.
void unifyLineBreaks(QString& text)
{
    if (!text.contains(u'\r'))
        return;
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(u'\r', u'\n');
}

// Encodings in which a line feed or carriage return byte is always that character, never part
// of another: there a file's lines can be found in its bytes before anything is decoded.
bool linesFoundInBytes(Encoding encoding)
{
    return encoding != Encoding::Iso2022Jp && encoding != Encoding::Utf16Le && encoding != Encoding::Utf16Be;
}

bool isLineBreak(char byte)
{
    return byte == '\n' || byte == '\r';
}

// The line breaks in @p bytes, which start and end at line starts: LF, CR LF or a lone CR, as the
// editor reads them.
qint64 lineBreaks(QByteArrayView bytes)
{
    qint64 count = 0;
    const char* data = bytes.data();
    const qsizetype size = bytes.size();
    for (qsizetype i = 0; i < size; ++i)
        count += (data[i] == '\n') | (data[i] == '\r' && (i + 1 == size || data[i + 1] != '\n'));
    return count;
}

/**
 * The matches of a literal pattern in a whole file whose encoding is known, found by its byte
 * spellings in that encoding: only the lines that hold one are decoded and searched, and the
 * lines before are counted in bytes. Gives what decoding the whole file and searching it gives.
 */
QList<GrepMatch> searchSpelledLines(QByteArrayView bytes, const SpellingSearcher& spellings, Encoding encoding,
                                    const QRegularExpression& expression, const std::atomic_bool& cancel)
{
    QList<GrepMatch> matches;
    std::unique_ptr<formats::Utf8Decoder> legacy; // made at the first line to decode: most files have none
    QByteArray utf8;
    qint64 line = 1;
    qsizetype lineStart = 0; // of line number `line`
    int turns = 0;
    for (qsizetype found = spellings.find(bytes); found >= 0; found = spellings.find(bytes, lineStart)) {
        if ((++turns & 255) == 0 && cancel.load(std::memory_order_relaxed))
            break;
        qsizetype start = found;
        while (start > lineStart && !isLineBreak(bytes[start - 1]))
            --start;
        qsizetype end = found;
        while (end < bytes.size() && !isLineBreak(bytes[end]))
            ++end;
        line += lineBreaks(bytes.sliced(lineStart, start - lineStart));
        const QByteArrayView lineBytes = bytes.sliced(start, end - start);
        QString text;
        if (encoding != Encoding::Utf8) {
            if (!legacy)
                legacy = std::make_unique<formats::Utf8Decoder>(formats::iconvName(encoding));
            utf8.resize(0);
            legacy->decode(lineBytes.data(), lineBytes.size(), utf8);
            text = QString::fromUtf8(utf8);
        } else {
            text = QString::fromUtf8(lineBytes);
        }
        matches.append(searchLines(text, expression, line));
        ++line;
        lineStart = end + (end + 1 < bytes.size() && bytes[end] == '\r' && bytes[end + 1] == '\n' ? 2 : 1);
        if (lineStart > bytes.size())
            break;
    }
    return matches;
}

// Where a slice of bytes may end: in a legacy encoding after its last line feed, which there is
// never part of another character; Qt's Unicode decoders carry a cut character to the next slice.
qsizetype sliceCut(QByteArrayView bytes, Encoding encoding, bool last)
{
    if (last || formats::isUnicodeEncoding(encoding))
        return bytes.size();
    const qsizetype lineFeed = bytes.lastIndexOf('\n');
    return lineFeed < 0 ? 0 : lineFeed + 1;
}

} // namespace

CompiledPattern compileGrepPattern(const GrepConditions& conditions)
{
    CompiledPattern compiled;
    if (conditions.pattern.isEmpty()) {
        compiled.error = kGrepEmptyPattern;
        return compiled;
    }
    QString pattern = conditions.regex ? conditions.pattern : QRegularExpression::escape(conditions.pattern);
    if (conditions.wholeWord)
        pattern = QStringLiteral("(?<!\\w)(?:") + pattern + QStringLiteral(")(?!\\w)");
    QRegularExpression::PatternOptions options = QRegularExpression::UseUnicodePropertiesOption |
        QRegularExpression::MultilineOption;
    if (!conditions.caseSensitive)
        options |= QRegularExpression::CaseInsensitiveOption;
    compiled.expression = QRegularExpression(pattern, options);
    if (!compiled.expression.isValid()) {
        // The offset is into the pattern as given to PCRE2; the word guard adds 10 characters in front.
        const qsizetype offset = compiled.expression.patternErrorOffset() - (conditions.wholeWord ? 10 : 0);
        compiled.error = kGrepBadPattern.arg(compiled.expression.errorString()).arg(qMax<qsizetype>(1, offset + 1));
        return compiled;
    }
    compiled.expression.optimize();
    return compiled;
}

const QString& checkedSubject(const QString& text, QString& copy)
{
    const auto lone = [&text](qsizetype i) {
        const QChar c = text.at(i);
        if (c.isHighSurrogate())
            return i + 1 >= text.size() || !text.at(i + 1).isLowSurrogate();
        if (c.isLowSurrogate())
            return i == 0 || !text.at(i - 1).isHighSurrogate();
        return false;
    };
    qsizetype first = 0;
    while (first < text.size() && !lone(first))
        ++first;
    if (first == text.size())
        return text;
    copy = text;
    for (qsizetype i = first; i < text.size(); ++i) {
        if (lone(i))
            copy[i] = QChar::ReplacementCharacter;
    }
    return copy;
}

QList<GrepMatch> searchLines(const QString& unchecked, const QRegularExpression& expression, qint64 firstLine,
                             const std::atomic_bool* cancel)
{
    QString copy;
    const QString& text = checkedSubject(unchecked, copy);
    QList<GrepMatch> matches;
    qint64 line = firstLine;
    qsizetype lineStart = 0;
    qsizetype from = 0;
    int turns = 0;
    while (from <= text.size()) {
        if (cancel && (++turns & 63) == 0 && cancel->load(std::memory_order_relaxed))
            break;
        const QRegularExpressionMatch match = expression.match(text, from, QRegularExpression::NormalMatch,
                                                               QRegularExpression::DontCheckSubjectStringMatchOption);
        if (!match.hasMatch())
            break;
        const qsizetype start = match.capturedStart();
        for (qsizetype lineFeed = text.indexOf(u'\n', lineStart); lineFeed >= 0 && lineFeed < start;
             lineFeed = text.indexOf(u'\n', lineStart)) {
            ++line;
            lineStart = lineFeed + 1;
        }
        qsizetype lineEnd = text.indexOf(u'\n', lineStart);
        if (lineEnd < 0)
            lineEnd = text.size();
        const QStringView lineText = QStringView(text).sliced(lineStart, lineEnd - lineStart);
        qsizetype matchStart = start - lineStart;
        qsizetype matchEnd = match.capturedEnd() - lineStart;
        bool found = true;
        if (matchEnd > lineText.size()) {
            // The match reached over the line break; grep's lines are searched one by one.
            const QString alone = QString::fromRawData(lineText.data(), lineText.size());
            const QRegularExpressionMatch inLine = expression.match(alone);
            found = inLine.hasMatch();
            matchStart = inLine.capturedStart();
            matchEnd = inLine.capturedEnd();
        }
        if (found) {
            GrepMatch result;
            result.line = line;
            result.column = characterCount(lineText.first(matchStart)) + 1;
            result.length = characterCount(lineText.sliced(matchStart, matchEnd - matchStart));
            result.text = lineText.toString();
            matches.append(result);
        }
        from = lineEnd + 1;
        lineStart = from;
        ++line;
    }
    return matches;
}

GrepFileResult searchFile(const QString& path, const GrepConditions& conditions, const QRegularExpression& expression,
                          const std::atomic_bool& cancel, const BytePrefilter* prefilter)
{
    GrepFileResult result;
    result.path = path;
    // Read into the same buffer file after file: most files are passed over, and fresh memory
    // for each costs more than the search. A file that is searched shares it for as long.
    thread_local QByteArray buffer;
    const std::optional<SmallFileRead> small = readSmallFile(path, kWholeFileBytes, buffer);
    if (!small) {
        result.error = kGrepFileUnreadable.arg(path);
        return result;
    }
    const bool whole = small->read;
    qint64 size = small->size;
    QByteArray bytes;
    std::optional<QFile> file; // only a longer file, read slice by slice
    if (whole) {
        bytes = buffer;
    } else {
        file.emplace(path);
        if (!file->open(QIODevice::ReadOnly | QIODevice::Unbuffered)) {
            result.error = kGrepFileUnreadable.arg(path);
            return result;
        }
        size = file->size();
        bytes = file->read(kSliceBytes);
        if (bytes.size() < qMin(size, kSliceBytes)) {
            result.error = kGrepFileUnreadable.arg(path);
            return result;
        }
    }
    // Most files of a tree cannot hold the pattern, and their bytes alone can tell.
    if (whole && prefilter && !prefilter->mayMatch(bytes))
        return result;
    // The start decides, as the editor's load decides by the file's first bytes.
    if (conditions.encoding) {
        result.format.encoding = *conditions.encoding;
        const std::optional<TextFormat> bom = formats::bomFormat(bytes);
        result.format.bom = bom && bom->encoding == *conditions.encoding;
    } else {
        // Text with NUL bytes is taken when it has a byte order mark or they look like UTF-16.
        if (formats::looksBinary(bytes) && !formats::bomFormat(bytes) &&
            !formats::utf16ByNulPattern(bytes.first(qMin<qsizetype>(bytes.size(), 8192)))) {
            result.binary = true;
            return result;
        }
        result.format = formats::detectEncoding(bytes);
    }
    const qsizetype bomBytes = !result.format.bom ? 0 : result.format.encoding == Encoding::Utf8 ? 3 : 2;
    if (whole && prefilter && linesFoundInBytes(result.format.encoding)) {
        if (const SpellingSearcher* spellings = prefilter->spellingsIn(result.format.encoding)) {
            result.matches = searchSpelledLines(QByteArrayView(bytes).sliced(bomBytes), *spellings,
                                                result.format.encoding, expression, cancel);
            return result;
        }
    }
    SliceDecoder decoder(result.format.encoding);
    qsizetype skip = bomBytes;
    qint64 line = 1;
    qint64 read = bytes.size();
    QByteArray byteCarry;
    QString textCarry; // the start of a line whose end is in the next slice
    while (true) {
        const bool last = whole || read >= size || file->atEnd();
        QByteArray slice = byteCarry.isEmpty() ? std::move(bytes) : byteCarry + bytes;
        const QByteArrayView view = QByteArrayView(slice).sliced(skip);
        const qsizetype cut = sliceCut(view, result.format.encoding, last);
        QString text = textCarry + decoder.decode(view.first(cut));
        byteCarry = view.sliced(cut).toByteArray();
        skip = 0;
        textCarry.clear();
        bool wholeLines = true;
        if (!last) {
            const qsizetype lineFeed = text.lastIndexOf(u'\n');
            wholeLines = lineFeed >= 0;
            textCarry = text.sliced(lineFeed + 1);
            text.truncate(qMax<qsizetype>(0, lineFeed));
            if (text.endsWith(u'\r'))
                text.chop(1); // the CR of the CR LF that ends the slice
        }
        if (cancel.load(std::memory_order_relaxed))
            break;
        if (wholeLines) {
            unifyLineBreaks(text);
            QList<GrepMatch> found = searchLines(text, expression, line, &cancel);
            // A stopped run's matches go nowhere, and joining them to a file's million others
            // copies that whole list.
            if (cancel.load(std::memory_order_relaxed))
                break;
            result.matches.append(std::move(found));
            line += text.count(u'\n') + 1;
        }
        if (last || cancel.load(std::memory_order_relaxed))
            break;
        bytes = file->read(kSliceBytes);
        read += bytes.size();
        if (bytes.isEmpty() && !file->atEnd()) {
            result.error = kGrepFileUnreadable.arg(path);
            break;
        }
    }
    return result;
}

namespace {

// The work of one run, shared by the workers and the thread that hands the results on in order.
struct SharedRun
{
    SharedRun(const GrepConditions& conditions, const QRegularExpression& expression,
              const std::optional<BytePrefilter>& prefilter, const QStringList& files, const std::atomic_bool& cancel)
        : conditions(conditions)
        , expression(expression)
        , prefilter(prefilter)
        , files(files)
        , cancel(cancel)
        , results(size_t(files.size()))
    { }

    const GrepConditions& conditions;
    const QRegularExpression& expression;
    const std::optional<BytePrefilter>& prefilter;
    const QStringList& files;
    const std::atomic_bool& cancel;
    std::atomic_int next { 0 };
    std::atomic_bool stop { false };
    std::mutex mutex;
    std::condition_variable ready;
    std::vector<std::optional<GrepFileResult>> results;
    std::vector<GrepFileResult> spent; // handed on when the run was stopped
    // Under mutex: how many files are done, and at how many the hand-on thread wants waking. It
    // is woken once per batch of files, not once per file, and looks by itself every few ms.
    int finished = 0;
    int wakeAt = 0;

    void work()
    {
        while (!stop.load(std::memory_order_relaxed) && !cancel.load(std::memory_order_relaxed)) {
            const int index = next.fetch_add(1);
            if (index >= files.size())
                return;
            GrepFileResult result = searchFile(files[index], conditions, expression, cancel,
                                               prefilter ? &*prefilter : nullptr);
            bool wake = false;
            {
                const std::lock_guard lock(mutex);
                results[size_t(index)] = std::move(result);
                wake = ++finished >= wakeAt;
            }
            if (wake)
                ready.notify_one();
        }
    }
};

// What a stopped run held, freed on a pool thread.
class SpentResults final : public QRunnable
{
public:
    SpentResults(std::vector<GrepFileResult> spent, std::vector<std::optional<GrepFileResult>> unused)
        : m_spent(std::move(spent))
        , m_unused(std::move(unused))
    { }
    void run() override
    {
        m_spent.clear();
        m_unused.clear();
    }

private:
    std::vector<GrepFileResult> m_spent;
    std::vector<std::optional<GrepFileResult>> m_unused;
};

} // namespace

GrepSummary runGrep(const GrepConditions& conditions, GrepReceiver& receiver, const std::atomic_bool& cancel,
                    int threads)
{
    GrepSummary summary;
    const CompiledPattern compiled = compileGrepPattern(conditions);
    if (!compiled.error.isEmpty()) {
        summary.errors.append(compiled.error);
        return summary;
    }
    formats::keepJapaneseConversionsLoaded();
    // Learning the pattern's codes takes as long as listing a big tree: once the listing shows
    // that the prefilter pays, it is built beside the rest of the listing.
    std::optional<BytePrefilter> prefilter;
    std::thread prefilterBuilder;
    const auto counted = [&](qsizetype files) {
        if (files >= kPrefilterMinFiles && !prefilterBuilder.joinable())
            prefilterBuilder = std::thread([&] { prefilter = BytePrefilter::forConditions(conditions); });
    };
    const FileListing listing = listFiles(conditions.paths, conditions.recursive, conditions.fileMask,
                                          conditions.excludedFolders, cancel, counted);
    if (prefilterBuilder.joinable())
        prefilterBuilder.join();
    summary.errors = listing.errors;
    receiver.listed(int(listing.files.size()));

    SharedRun run { conditions, compiled.expression, prefilter, listing.files, cancel };
    std::vector<std::thread> workers;
    for (int i = 0; i < qMax(1, threads); ++i)
        workers.emplace_back([&run] { run.work(); });

    for (int index = 0; index < listing.files.size() && !cancel.load(std::memory_order_relaxed); ++index) {
        std::optional<GrepFileResult> result;
        {
            std::unique_lock lock(run.mutex);
            // Files passed over take microseconds: waking for each would cost more than they do.
            while (!run.results[size_t(index)] && !cancel.load(std::memory_order_relaxed)) {
                run.wakeAt = qMin(int(listing.files.size()), run.finished + kHandOnBatch);
                run.ready.wait_for(lock, kHandOnPoll);
            }
            if (!run.results[size_t(index)])
                break;
            result = std::move(run.results[size_t(index)]);
            run.results[size_t(index)].reset();
        }
        ++summary.files;
        if (!result->error.isEmpty())
            ++summary.unreadableFiles;
        if (!result->matches.isEmpty()) {
            summary.matches += result->matches.size();
            ++summary.filesWithMatches;
        }
        receiver.fileDone(index, *result);
        if (cancel.load(std::memory_order_relaxed))
            run.spent.push_back(std::move(*result));
    }
    run.stop = true;
    for (std::thread& worker : workers)
        worker.join();
    summary.cancelled = cancel.load();
    if (summary.cancelled) {
        // A stopped run's files can hold a million lines each: freeing them takes a good part of
        // a second, which the stop should not wait for.
        QThreadPool::globalInstance()->start(new SpentResults(std::move(run.spent), std::move(run.results)));
    }
    return summary;
}

} // namespace pemmo::grep
