// SPDX-License-Identifier: MIT
#pragma once

#include "filewriter.h"
#include "plaintext.h"
#include "textformat.h"

#include <QByteArray>
#include <QFont>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <functional>
#include <memory>
#include <optional>

class QTextDocument;

namespace pemmo::formats {

enum class DocumentKind { PlainText, RichText };

/** A file as the editor receives it: plain text for the plain view, or a QTextDocument for the rich view. */
struct LoadedDocument
{
    DocumentKind kind = DocumentKind::PlainText;
    QString plainText; ///< PlainText: lines joined by '\n'
    std::unique_ptr<QTextDocument> richText; ///< RichText
    TextFormat format = kNewDocumentFormat; ///< what a plain save writes (RTF loads get the new-document format)
    bool lossy = false; ///< some bytes did not decode: the next save must ask
    QStringList unkept; ///< RTF: what a save cannot write back (Japanese names)
    QString loadNote; ///< what the window says once the file is open (an RTF file that ends early)
};

struct LoadResult
{
    std::optional<LoadedDocument> document;
    QString errorMessage; ///< Japanese, names the file; set when document is empty and not cancelled
    bool cancelled = false; ///< the user chose not to open what looked like a binary file
    bool stopped = false; ///< LoadOptions::stopped ended the load: no document, nothing to say
};

struct LoadOptions
{
    qint64 maxBytes = 0; ///< 0: editableSizeLimit()
    /**
     * When set, a plain-text load hands its text here in slices of UTF-8 (see
     * decodePlainTextToUtf8()) and LoadedDocument::plainText stays empty: the editor builds its
     * document while the file decodes, and the whole text never exists twice. Not called for
     * RTF or a failed load.
     */
    Utf8SliceSink plainTextSlices;
    /** Told how much of the file has been read and decoded, as it goes. */
    DecodeProgress progress;
    /**
     * Read plain text in this encoding instead of detecting it (a BOM of this encoding is still
     * recognised and kept). An RTF file is still read as RTF: its own header names its code page.
     */
    std::optional<Encoding> encoding;
    /**
     * Asked before a file that looks binary (see looksBinary()) is decoded; false cancels the
     * load. Unset: such a file loads without a question.
     */
    std::function<bool()> confirmBinary;
    /** Called between the pieces a large file is read in. */
    std::function<void()> betweenReads;
    /** Asked between pieces and slices whether to give up; a stopped load has no document. */
    std::function<bool()> stopped;
    qsizetype sliceBytes = kDecodeSliceBytes;
    /**
     * When set, the decoding of a plain text (which calls plainTextSlices, progress and stopped)
     * is handed here as @p decode, to be run before this returns: on another thread, say, while
     * the caller's window paints. Unset: it runs on the calling thread.
     */
    std::function<void(const std::function<void()>& decode)> runDecoding;
};

/**
 * The largest file this machine lets us edit: a sixteenth of physical memory, between 64 MiB and 1 GiB.
 * The editor needs roughly ten times a plain file's size (UTF-16 text, layout) and more for RTF,
 * so beyond this a load would push the machine into swapping or the OOM killer.
 */
qint64 editableSizeLimit();

/** Reads the file; the content decides: an RTF header is read as RTF, anything else (or rejected RTF) as plain text. */
LoadResult loadDocument(const QString& path, const LoadOptions& options = {});
/** The same decision for bytes already in memory. */
LoadedDocument readDocumentBytes(const QByteArray& bytes);

/** The text of a document as a plain save writes it (line separators become line breaks, pictures vanish). */
QString documentPlainText(const QTextDocument& document, std::optional<Encoding> target = std::nullopt);

/** The name decides the written format: ".rtf", any case, is RTF. */
bool isRtfFileName(const QString& path);

struct SaveOptions
{
    bool sourceWasLossy = false; ///< the document was loaded with undecodable bytes
    bool allowLoss = false; ///< the user agreed: write '?' for what the encoding cannot hold
    /**
     * The user agreed to lose the bytes a lossy load could not read: the U+FFFD that stand for
     * them are written as the encoding can ('?' where it has no such character), without asking.
     */
    bool replaceUndecoded = false;
    QStringList unkept; ///< an RTF save asks first when the document had what it cannot write
    /** A plain save of slices: told after each piece how many characters the file has taken so far. */
    std::function<void(qint64 charactersWritten)> progress {};
};

enum class SaveStatus { Saved, NeedsConfirmation, Failed };

struct SaveResult
{
    SaveStatus status = SaveStatus::Failed;
    std::optional<Unencodable> unencodable; ///< NeedsConfirmation: the first character the encoding cannot hold
    bool lossy = false; ///< NeedsConfirmation: the source was lossy (the question is kLossyLoad)
    QString message; ///< Japanese: the question to ask, or the error to show
    QByteArray bytes; ///< renderDocument(): the file's bytes when status is Saved
};

/** Hands a text to the sink in pieces that, joined, are the text; every piece but the last ends with '\n'. */
using TextSliceSource = std::function<void(const TextSliceSink& sink)>;

/** What will be saved: the editor's rich document, its plain text in pieces, or the plain text itself. */
struct DocumentSource
{
    const QTextDocument* document = nullptr;
    QStringView plainText; ///< used when the others are unset
    TextSliceSource plainSlices {}; ///< used when document is null; a plain save then never holds the whole text twice
    std::optional<QFont> font {}; ///< a plain text saved as RTF is written in this font (the editor's)
};

/**
 * The bytes a save would write, without touching the disk. NeedsConfirmation (nothing written) when the
 * encoding cannot hold a character or the source was lossy, unless options.allowLoss.
 */
SaveResult renderDocument(const QString& path, DocumentSource source, const TextFormat& format,
                          const SaveOptions& options = {});

/** Renders, then writes with writeDocumentFile(): on failure the original file stays as it was. */
SaveResult saveDocument(const QString& path, const DocumentSource& source, const TextFormat& format,
                        const SaveOptions& options = {});
SaveResult saveDocument(const QString& path, const QTextDocument& document, const TextFormat& format,
                        const SaveOptions& options = {});

} // namespace pemmo::formats
