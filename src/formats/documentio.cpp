// SPDX-License-Identifier: MIT
#include "documentio.h"

#include "filewriter.h"
#include "richtextstructure.h"

#include "formattexts.h"
#include "platform/filesystem.h"
#include "platform/largememory.h"
#include "rtfreader.h"
#include "rtfwriter.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextTable>

namespace pemmo::formats {

namespace {

constexpr qint64 kMiB = 1024 * 1024;

QString shownName(const QString& path)
{
    return QDir::toNativeSeparators(path);
}

QString characterText(char32_t c)
{
    if (c < 0x20 || c == 0x7F)
        return QStringLiteral("U+%1").arg(quint32(c), 4, 16, QLatin1Char('0')).toUpper();
    return QString::fromUcs4(&c, 1);
}

} // namespace

qint64 editableSizeLimit()
{
    const qint64 known = physicalMemoryBytes();
    const qint64 physical = known > 0 ? known : 1024 * kMiB;
    return std::clamp<qint64>(physical / 16, 64 * kMiB, 1024 * kMiB);
}

namespace {

// Takes the bytes over so that they are released as soon as the text is built from them.
LoadedDocument readBytes(QByteArray bytes, const LoadOptions& options)
{
    LoadedDocument loaded;
    if (looksLikeRtf(bytes)) {
        if (std::optional<RtfReadResult> rtf = readRtf(bytes)) {
            loaded.kind = DocumentKind::RichText;
            loaded.richText = std::move(rtf->document);
            loaded.lossy = rtf->lossy;
            loaded.unkept = rtf->unkept;
            if (rtf->truncated)
                loaded.loadNote = kRtfEndsEarly;
            if (options.progress)
                options.progress(bytes.size(), bytes.size());
            return loaded;
        }
    }
    const Encoding encoding = options.encoding ? *options.encoding : detectEncoding(bytes).encoding;
    DecodedText decoded;
    if (options.plainTextSlices) {
        const auto decode = [&] {
            decoded = decodePlainTextToUtf8(bytes, encoding, options.plainTextSlices, options.progress,
                                            options.sliceBytes, options.stopped);
        };
        if (options.runDecoding)
            options.runDecoding(decode);
        else
            decode();
    } else {
        decoded = decodePlainText(bytes, encoding);
        if (options.progress)
            options.progress(bytes.size(), bytes.size());
    }
    bytes = QByteArray();
    loaded.plainText = std::move(decoded.text);
    loaded.format = decoded.format;
    loaded.lossy = decoded.lossy;
    return loaded;
}

} // namespace

LoadedDocument readDocumentBytes(const QByteArray& bytes)
{
    return readBytes(bytes, {});
}

LoadResult loadDocument(const QString& path, const LoadOptions& options)
{
    LoadResult result;
    const QFileInfo info(path);
    if (!info.exists()) {
        result.errorMessage = kFileNotFound.arg(shownName(path));
        return result;
    }
    if (info.isDir()) {
        result.errorMessage = kFileIsFolder.arg(shownName(path));
        return result;
    }
    const qint64 limit = options.maxBytes > 0 ? options.maxBytes : editableSizeLimit();
    QFile file(path);
    // Unbuffered: a pipe is read as it comes, and only what we ask for.
    if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered)) {
        result.errorMessage = kFileUnreadable.arg(shownName(path));
        return result;
    }
    // The size of the open file, not of the name: it may have changed since the check above.
    if (file.size() > limit) {
        result.errorMessage = kFileTooLarge.arg(shownName(path)).arg(limit / kMiB);
        return result;
    }
    QByteArray bytes;
    if (file.isSequential()) {
        // A pipe or device has no size, and may not say it has data before the first read: read
        // until it ends (a read of 0) or fails, and stop past the limit for endless ones.
        constexpr qint64 kPiece = 1024 * 1024;
        while (bytes.size() <= limit) {
            const qsizetype had = bytes.size();
            bytes.resize(had + kPiece);
            const qint64 got = file.read(bytes.data() + had, kPiece);
            bytes.resize(had + qMax<qint64>(got, 0));
            if (got < 0) {
                result.errorMessage = kFileUnreadable.arg(shownName(path));
                return result;
            }
            if (got == 0)
                break;
        }
        if (bytes.size() > limit) {
            result.errorMessage = kFileTooLarge.arg(shownName(path)).arg(limit / kMiB);
            return result;
        }
    } else {
        // In pieces, so that the caller can keep its window answering while a large file comes in.
        constexpr qint64 kPiece = 8 * 1024 * 1024;
        const qint64 size = file.size();
        bytes = QByteArray(size, Qt::Uninitialized);
        preferHugePages(bytes.data(), size_t(size));
        qint64 done = 0;
        while (done < size) {
            const qint64 got = file.read(bytes.data() + done, std::min(kPiece, size - done));
            if (got <= 0)
                break;
            done += got;
            if (done == size)
                break;
            if (options.betweenReads)
                options.betweenReads();
            if (options.stopped && options.stopped()) {
                result.stopped = true;
                return result;
            }
        }
        if (done != size) {
            result.errorMessage = kFileUnreadable.arg(shownName(path));
            return result;
        }
    }
    if (file.error() != QFileDevice::NoError) {
        result.errorMessage = kFileUnreadable.arg(shownName(path));
        return result;
    }
    file.close();
    if (options.confirmBinary && looksBinary(bytes) && !options.confirmBinary()) {
        result.cancelled = true;
        return result;
    }
    result.document = readBytes(std::move(bytes), options);
    if (options.stopped && options.stopped()) {
        result.document.reset();
        result.stopped = true;
    }
    return result;
}

QString documentPlainText(const QTextDocument& document, std::optional<Encoding> target)
{
    // A bullet the target encoding lacks becomes one it has, so the label never blocks the save.
    const auto shownLabel = [&target](const QString& label) {
        static const QString bullets = QStringLiteral("•◦▪");
        if (!target || label.size() != 1 || !bullets.contains(label) || !findUnencodable(label, *target))
            return label;
        return findUnencodable(u"・", *target) ? QStringLiteral("*") : QStringLiteral("・");
    };
    QString text;
    text.reserve(document.characterCount());
    QTextTable* previousTable = nullptr;
    int previousRow = -1;
    int previousCell = -1;
    bool first = true;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        if (isBlockBeforeTable(block))
            continue;
        // Cells of a table row are separated by tabs, as a table pasted into a plain editor is.
        QTextTable* const table = tableOf(block);
        int row = -1;
        int cell = -1;
        if (table) {
            const QTextTableCell here = table->cellAt(block.position());
            row = here.row();
            cell = here.column();
        }
        if (!first)
            text.append(table && table == previousTable && row == previousRow && cell != previousCell ? u'\t' : u'\n');
        first = false;
        previousTable = table;
        previousRow = row;
        previousCell = cell;
        const QString label = shownLabel(listLabel(block));
        if (!label.isEmpty())
            text.append(label + u' ');
        QString line = block.text();
        line.replace(QChar::LineSeparator, u'\n');
        line.remove(QChar::ObjectReplacementCharacter);
        text.append(line);
    }
    return text;
}

bool isRtfFileName(const QString& path)
{
    return path.endsWith(QLatin1String(".rtf"), Qt::CaseInsensitive);
}

namespace {

QString joinedSlices(const TextSliceSource& slices)
{
    QString text;
    slices([&text](QStringView piece) { text.append(piece); });
    return text;
}

// The first character the encoding cannot hold; with @p skipUndecoded, U+FFFD counts as held.
std::optional<Unencodable> firstUnencodable(QStringView text, Encoding encoding, bool skipUndecoded)
{
    qsizetype from = 0;
    int linesBefore = 0;
    while (std::optional<Unencodable> bad = findUnencodable(text.mid(from), encoding)) {
        bad->position += from;
        bad->line += linesBefore;
        if (!skipUndecoded || bad->character != QChar::ReplacementCharacter)
            return bad;
        linesBefore += int(text.mid(from, bad->position + 1 - from).count(u'\n'));
        from = bad->position + 1;
    }
    return std::nullopt;
}

std::optional<Unencodable> findUnencodableInSlices(const TextSliceSource& slices, Encoding encoding, bool skipUndecoded)
{
    std::optional<Unencodable> bad;
    int linesBefore = 0;
    qsizetype unitsBefore = 0;
    slices([&](QStringView piece) {
        if (bad)
            return;
        bad = firstUnencodable(piece, encoding, skipUndecoded);
        if (bad) {
            bad->line += linesBefore;
            bad->position += unitsBefore;
        } else {
            linesBefore += int(piece.count(u'\n'));
            unitsBefore += piece.size();
        }
    });
    return bad;
}

QString unencodableMessage(const Unencodable& bad, Encoding encoding)
{
    return kUnencodableCharacter.arg(characterText(bad.character)).arg(bad.line).arg(encodingName(encoding));
}

// The question a save asks first, if any: a character the encoding cannot hold, or bytes the load could not read.
bool needsConfirmation(SaveResult& result, const std::optional<Unencodable>& bad, Encoding encoding,
                       const SaveOptions& options)
{
    if (bad) {
        result.status = SaveStatus::NeedsConfirmation;
        result.unencodable = bad;
        result.message = unencodableMessage(*bad, encoding);
        return true;
    }
    if (options.sourceWasLossy && !options.replaceUndecoded) {
        result.status = SaveStatus::NeedsConfirmation;
        result.lossy = true;
        result.message = kLossyLoad;
        return true;
    }
    return false;
}

// A plain save of text that comes in pieces: checked in one pass, then encoded piece by piece
// straight into the file, so that the whole text never exists a second time.
SaveResult saveSlices(const QString& path, const TextSliceSource& slices, const TextFormat& format,
                      const SaveOptions& options)
{
    SaveResult result;
    if (!options.allowLoss &&
        needsConfirmation(result, findUnencodableInSlices(slices, format.encoding, options.replaceUndecoded),
                          format.encoding, options))
        return result;
    // Only the last piece ends its last line, and only the end tells which piece was the last.
    const ByteSource bytes = [&](const ByteSink& sink) {
        PlainTextEncoder encoder(format);
        QString pending;
        bool havePending = false;
        bool writing = true;
        qint64 written = 0;
        const auto wrote = [&] {
            written += pending.size();
            if (options.progress)
                options.progress(written);
        };
        slices([&](QStringView piece) {
            if (havePending && writing) {
                writing = sink(encoder.encode(pending, false));
                wrote();
            }
            pending = piece.toString();
            havePending = true;
        });
        if (writing && sink(encoder.encode(pending, true)))
            wrote();
    };
    if (const std::optional<QString> error = writeDocumentFile(path, bytes)) {
        result.status = SaveStatus::Failed;
        result.message = *error;
        return result;
    }
    result.status = SaveStatus::Saved;
    return result;
}

} // namespace

SaveResult renderDocument(const QString& path, DocumentSource source, const TextFormat& format,
                          const SaveOptions& options)
{
    SaveResult result;
    QString joined;
    if (!source.document && source.plainSlices) {
        joined = joinedSlices(source.plainSlices);
        source.plainText = joined;
    }
    if (isRtfFileName(path)) {
        // RTF holds every character (\uN): only bytes lost at load and formats it cannot write need a question.
        const bool lossy = options.sourceWasLossy && !options.replaceUndecoded;
        if (!options.allowLoss && (lossy || !options.unkept.isEmpty())) {
            QStringList questions;
            result.lossy = lossy;
            if (lossy)
                questions << kLossyLoad;
            if (!options.unkept.isEmpty())
                questions << kUnkeptFormatting.arg(options.unkept.join(u'、'));
            result.status = SaveStatus::NeedsConfirmation;
            result.message = questions.join(QStringLiteral("\n\n"));
            return result;
        }
        if (source.document) {
            result.bytes = writeRtf(*source.document);
        } else {
            // A text that keeps a file's mixed breaks holds CR LF and CR too: each ends a paragraph
            // as '\n' does, instead of staying in it as a character.
            QString text = source.plainText.toString();
            text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
            text.replace(u'\r', u'\n');
            QTextDocument document;
            if (source.font)
                document.setDefaultFont(*source.font);
            document.setPlainText(text);
            result.bytes = writeRtf(document);
        }
        result.status = SaveStatus::Saved;
        return result;
    }
    QString ownText;
    QStringView text = source.plainText;
    TextFormat written = format;
    if (source.document) {
        ownText = documentPlainText(*source.document, format.encoding);
        text = ownText;
        // Paragraphs come out as '\n': the file's own breaks are gone, so all take its most frequent one.
        written.keptLineEndings = false;
    }
    if (!options.allowLoss &&
        needsConfirmation(result, firstUnencodable(text, format.encoding, options.replaceUndecoded), format.encoding,
                          options))
        return result;
    result.bytes = encodePlainText(text, written);
    result.status = SaveStatus::Saved;
    return result;
}

SaveResult saveDocument(const QString& path, const DocumentSource& source, const TextFormat& format,
                        const SaveOptions& options)
{
    if (!source.document && source.plainSlices && !isRtfFileName(path))
        return saveSlices(path, source.plainSlices, format, options);
    SaveResult result = renderDocument(path, source, format, options);
    if (result.status != SaveStatus::Saved)
        return result;
    if (const std::optional<QString> error = writeDocumentFile(path, result.bytes)) {
        result.status = SaveStatus::Failed;
        result.message = *error;
    }
    result.bytes.clear();
    return result;
}

SaveResult saveDocument(const QString& path, const QTextDocument& document, const TextFormat& format,
                        const SaveOptions& options)
{
    return saveDocument(path, DocumentSource { &document, {} }, format, options);
}

} // namespace pemmo::formats
