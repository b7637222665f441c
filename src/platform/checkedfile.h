// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

/** Why a write failed, in the terms the user is told. */
enum class WriteError {
    None,
    NoSpace, // the disk or the user's quota is full
    Io, // the device reported an error
    Access, // not allowed
    ReadOnlyFileSystem,
    Other,
};

/**
 * A file written through our own descriptor: every write, the sync and the close are checked,
 * and the first failure is kept. Qt 6.4's QSaveFile::commit() reports success after its final
 * flush failed (a full disk, EIO), which left small files empty; nothing here trusts a buffer.
 *
 * A file made with createUnique() is a temporary: it is removed again unless it was renamed into
 * place with replace() or kept with keep().
 */
class CheckedFile final
{
public:
    CheckedFile() = default;
    ~CheckedFile();
    CheckedFile(const CheckedFile&) = delete;
    CheckedFile& operator=(const CheckedFile&) = delete;

    /** Creates a new file named @p prefix followed by six random characters, mode 0600. */
    bool createUnique(const QString& prefix);
    /** Gives a file made by createUnique() the mode a newly created file gets (0666 less the umask). */
    bool setNewFileMode();
    /** Opens the existing regular file @p path (no link followed at its last step) to be written over. */
    bool openExisting(const QString& path);
    /** Opens @p path for reading only, e.g. to copy it or to lock it. */
    bool openForReading(const QString& path);

    /** Writes all of @p bytes, or fails. */
    bool write(QByteArrayView bytes);
    /** Cuts the file at the current write position (after an in-place rewrite of a longer file). */
    bool truncateHere();
    /** Waits until the storage holds what was written. */
    bool sync();
    /** An exclusive flock on the open file, without waiting: taken, or held by another process. */
    bool tryLock();

    /**
     * Gives this file the owner, group, mode and extended attributes (ACLs among them) of
     * @p original. False when any of them cannot be carried over.
     */
    bool takeAttributesOf(const QString& original);
    /** Renames this temporary over @p target, then syncs the folder that holds the name. */
    bool replace(const QString& target);
    /** Closes, checked; a temporary stays on disk. */
    bool keep();
    /** Closes and removes a temporary. */
    void discard();

    int handle() const { return m_fd; }
    QString fileName() const { return m_name; }
    WriteError error() const { return m_error; }
    /** The first failure's errno, for messages that name the system's reason. */
    int errorNumber() const { return m_errno; }

private:
    bool fail();
    bool closeChecked();

    int m_fd = -1;
    QString m_name;
    bool m_temporary = false;
    WriteError m_error = WriteError::None;
    int m_errno = 0;
};

/** Waits until the storage holds the entries of @p folder (a rename or a new name in it). */
bool syncFolder(const QString& folder);

/** What errno means to the user. */
WriteError writeErrorFromErrno(int error);

/**
 * Where a save of @p path really writes: links followed to the end, the last one may dangle.
 * Empty when the links run in a circle or too deep.
 */
QString followLinks(const QString& path);
