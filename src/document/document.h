// SPDX-License-Identifier: MIT
#pragma once

#include "disksnapshot.h"
#include "formats/documentio.h"
#include "formats/textformat.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <atomic>
#include <functional>
#include <memory>
#include <optional>

class CheckedFile;
class DocumentText;

/**
 * One document, apart from any widget: its file (or none yet), how its text sits on disk
 * (encoding, BOM, line endings, undecodable bytes), how the file stood at the last load or save,
 * what an RTF save cannot write back, and whether a load is running. It loads into and saves from
 * a DocumentText and says what happened through signals; questions and messages are the caller's.
 *
 * A load decodes on a thread of its own while this thread goes on running its event loop
 * (docs/loading.md); the caller's window paints and can be closed meanwhile. User input is
 * delivered during a load: the window must not act on it (see loadingChanged()).
 */
class Document final : public QObject
{
    Q_OBJECT
public:
    explicit Document(DocumentText& text, QObject* parent = nullptr);
    ~Document() override;

    /** No file yet: a save must ask for a name. */
    bool isUntitled() const { return m_path.isEmpty(); }
    /** The file's path; empty while untitled. */
    QString path() const { return m_path; }
    void setPath(const QString& path) { m_path = path; }
    /** A new text without a file, saved as a new document is. */
    void startUntitled();
    /**
     * Whether @p path can start an empty document of that name: nothing is there yet and its
     * folder exists, so that the first save creates the file.
     */
    static bool isNewFileName(const QString& path);
    /** Empties the text as a new file @p path (see isNewFileName()), recorded as absent on disk. */
    void startNewFile(const QString& path);

    /** How a plain save writes the text. */
    pemmo::formats::TextFormat format() const { return m_format; }
    void setFormat(const pemmo::formats::TextFormat& format);
    /** The text was loaded with bytes that did not decode: the next save must ask. */
    bool isLossy() const { return m_lossy; }
    void setLossy(bool lossy) { m_lossy = lossy; }
    /** How the file stood on disk at the last load or save. */
    const DiskSnapshot& disk() const { return m_disk; }
    /** What an RTF save cannot write back (Japanese names); empty for plain text. */
    QStringList unkeptParts() const { return m_unkept; }

    bool isModified() const;
    void setModified(bool modified);

    struct LoadRequest
    {
        QString path;
        /** Read plain text in this encoding instead of detecting it. */
        std::optional<pemmo::formats::Encoding> encoding;
        /** Asked before a file that looks binary is decoded; false cancels. Unset: it loads. */
        std::function<bool()> confirmBinary;
    };
    enum class LoadOutcome {
        Loaded,
        Failed, ///< the text is as it was, unless the text ran out of memory (then it is empty)
        Cancelled, ///< the user chose not to open a binary-looking file
        Stopped, ///< stopLoading(): the text is empty and unmodified
        Busy, ///< a load was running already
        Unavailable, ///< the backup or recovery copy to restore cannot be taken; nothing was read
    };
    struct LoadReport
    {
        LoadOutcome outcome = LoadOutcome::Failed;
        QString errorMessage; ///< Japanese, names the file; with Failed
        QString note = {}; ///< Japanese; with Loaded, what the user should know of the file (it ends early)
        bool loaded() const { return outcome == LoadOutcome::Loaded; }
    };
    /**
     * Reads @p request's file into the text: unmodified, with the file's format, disk stamp and
     * lossy flag. The path stays as it is; a failed load changes nothing but what its outcome says.
     */
    LoadReport load(const LoadRequest& request);
    bool isLoading() const { return m_loading; }
    /** Ends the running load at its next slice. */
    void stopLoading() { m_stopRequested = true; }

    /**
     * Puts back the old content of a file whose in-place save was interrupted: loads @p backupPath
     * under the original's name, modified, and holds the backup locked until the text is saved or
     * dropRestoredBackup(). Unavailable when it cannot be taken.
     */
    LoadReport restoreBackup(const QString& backupPath, const std::function<bool()>& confirmBinary = {});
    /** Lets go of a restored backup and removes it: the user gave up its content. */
    void dropRestoredBackup();
    /**
     * Puts back unsaved text from the recovery copy whose lock file is @p lockPath: its text,
     * modified, with its name, format, lossy flag and disk stamp. @p caret receives where the
     * caret was (UTF-16 index). Unavailable when the note cannot be read.
     */
    LoadReport restoreRecovery(const QString& lockPath, qint64* caret = nullptr);

    /**
     * Writes the text to @p path as @p format (the encoding, for a plain save). On success the
     * document is that file, in that format, unmodified; a restored backup is let go.
     */
    pemmo::formats::SaveResult save(const QString& path, const pemmo::formats::TextFormat& format,
                                    pemmo::formats::SaveOptions options);

    /**
     * Looks once whether the file changed on disk since the last load or save, and says so through
     * fileChangedOnDisk() once per change. One stat when nothing changed.
     */
    void checkDisk();

    /** Called whenever something may have changed the text (cheap, may come often). */
    void touchText();

Q_SIGNALS:
    /** A load is about to put its text in place of the old one. */
    void textReplacing();
    void loaded(const QString& path);
    void saved(const QString& path);
    void modifiedChanged(bool modified);
    /** The text may have changed; several changes in one turn of the event loop come as one. */
    void textChanged();
    /** The file is no longer as last loaded or saved; @p deleted: it is gone. */
    void fileChangedOnDisk(const QString& path, bool deleted);
    void formatChanged(const pemmo::formats::TextFormat& format);
    void loadingChanged(bool loading);
    /** How far a running load is; comes now and then, on this object's thread. */
    void loadProgress(int percent);
    /** How far a running save is. */
    void saveProgress(int percent);

private:
    LoadReport loadText(const LoadRequest& request);

    DocumentText& m_text;
    QString m_path;
    pemmo::formats::TextFormat m_format = pemmo::formats::kNewDocumentFormat;
    bool m_lossy = false;
    DiskSnapshot m_disk;
    // The file's state that checkDisk() has last told about, so that it tells once.
    std::optional<std::optional<FileStamp>> m_noticedDisk;
    QStringList m_unkept;
    bool m_loading = false;
    bool m_textChangePending = false;
    // The backup being restored, held locked so that no other start offers it meanwhile.
    std::unique_ptr<CheckedFile> m_restoredBackup;
    QString m_restoredBackupPath;
    // Read by a load's decoding thread.
    std::atomic<bool> m_stopRequested = false;
};
