// SPDX-License-Identifier: MIT
#pragma once

#include "filewriter.h"
#include "platform/filesystem.h"
#include "textformat.h"

#include <QDateTime>
#include <QList>
#include <QString>

#include <memory>
#include <optional>

class CheckedFile;

namespace pemmo::formats {

/** What puts a document back as it was, beside the copy of its text. */
struct RecoveryNote
{
    QString originalPath; ///< empty: the document had no name yet
    bool rich = false; ///< the copy is RTF (the rich view held the document)
    TextFormat format; ///< how the document's plain save writes it
    /** The encoding the copy's bytes are in: format.encoding, or UTF-8 when that could not hold the text. */
    Encoding copyEncoding = Encoding::Cp932;
    bool lossy = false; ///< the document was loaded with bytes that did not decode
    bool stampTaken = false; ///< the document knew how its file stood on disk
    std::optional<FileStamp> stamp; ///< with stampTaken: how it stood; nullopt when nothing was there
    qint64 caret = 0; ///< UTF-16 index
    qint64 processId = 0;
    QDateTime time;

    friend bool operator==(const RecoveryNote&, const RecoveryNote&) = default;
};

QByteArray recoveryNoteBytes(const RecoveryNote& note);
std::optional<RecoveryNote> parseRecoveryNote(const QByteArray& bytes);

/** ${XDG_STATE_HOME:-~/.local/state}/pemmo/recovery: the copies of unsaved documents. */
QString recoveryFolder();

/**
 * One editor's recovery copy. A lock file "recovery-XXXXXX" is held (flock) for the editor's
 * life; beside it, "recovery-XXXXXX.copy" is the text as a save would write it and
 * "recovery-XXXXXX.note" the rest. A free lock means the editor is gone: its copy is offered at
 * the next start.
 */
class RecoveryCopy final
{
public:
    RecoveryCopy();
    ~RecoveryCopy();
    RecoveryCopy(const RecoveryCopy&) = delete;
    RecoveryCopy& operator=(const RecoveryCopy&) = delete;

    /**
     * Writes the copy and its note (files 0600, folders 0700); the Japanese error otherwise.
     * Safe to call from another thread as long as calls do not overlap.
     */
    std::optional<QString> write(const ByteSource& copy, const RecoveryNote& note);
    /** Removes the copy, its note and the lock file. */
    void remove();
    /** Lets go of the lock and leaves the files: a later start offers them. */
    void release();
    /** Takes over a set claimed with claimRecovery(): locked, and written and removed from now on. */
    bool adopt(const QString& lockPath);
    /** The lock file's path; empty before the first write. */
    QString lockPath() const;
    bool exists() const;

private:
    bool ensureLocked();

    std::unique_ptr<CheckedFile> m_lock;
    QString m_lockPath;
    bool m_written = false;
};

QString recoveryCopyPath(const QString& lockPath);
QString recoveryNotePath(const QString& lockPath);

/** A copy whose editor has ended without removing it. */
struct PendingRecovery
{
    QString lockPath;
    RecoveryNote note;
    /** Holds the lock: no other start offers it while this one asks. */
    std::shared_ptr<CheckedFile> hold;
};

/** The copies left by editors that no longer run, each locked until its entry is dropped. */
QList<PendingRecovery> pendingRecoveries();
/** Takes @p recovery for an editor about to restore it; the new lock path, empty when it could not be taken. */
QString claimRecovery(const PendingRecovery& recovery);
/** The note of the set whose lock file is @p lockPath. */
std::optional<RecoveryNote> readRecoveryNote(const QString& lockPath);
/** Removes a set: its copy, its note and its lock file. */
void removeRecovery(const QString& lockPath);

} // namespace pemmo::formats
