// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <QtGlobal>

#include <optional>

class QFileDevice;

/** What the file system says about one path. */
struct FileStatus
{
    enum class Type { Missing, Regular, Directory, Link, Fifo, CharDevice, BlockDevice, Socket, Other };

    Type type = Type::Missing;
    bool error = false; ///< the path could not be examined at all (not merely missing: access refused, ...)
    quint32 owner = 0;
    quint64 device = 0;
    quint64 inode = 0;
    quint64 links = 0;
    qint64 size = 0;
    qint64 modifiedSeconds = 0; ///< seconds since the epoch
    qint64 modifiedNanoseconds = 0; ///< within that second
    qint64 changedSeconds = 0; ///< the status changed last (a rename, say), seconds since the epoch

    bool exists() const { return type != Type::Missing; }
    bool isRegular() const { return type == Type::Regular; }
};

/** What tells one state of a file from another: its size, modification time and identity. */
struct FileStamp
{
    qint64 size = 0;
    qint64 modifiedNs = 0; // since the epoch
    quint64 device = 0;
    quint64 inode = 0;

    bool operator==(const FileStamp&) const = default;
};

/** The stamp of what @p path names now (links followed); nullopt when nothing is there or it cannot be examined. */
std::optional<FileStamp> fileStamp(const QString& path);

/** The status of the file @p path names, through any links. */
FileStatus fileStatus(const QString& path);
/** The status of @p path itself: a link is reported as Link. */
FileStatus linkStatus(const QString& path);

/** The user this process acts as. */
quint32 effectiveUserId();

/** True when this process may create and remove entries in @p folder, or write @p file. */
bool isWritableByUs(const QString& path);

enum class UserFolder { Config, Cache, State };
/** ${XDG_CONFIG_HOME:-~/.config}, ${XDG_CACHE_HOME:-~/.cache}, ${XDG_STATE_HOME:-~/.local/state}. */
QString userFolder(UserFolder which);

/**
 * Makes @p folder a folder of the user's own: missing folders are created (0700) only inside a
 * folder that belongs to the effective user, so that root run with another user's environment
 * makes nothing in their home; the folder must belong to the user, and is made 0700.
 */
bool makePrivateFolders(const QString& folder);
/**
 * Whose folder stops makePrivateFolders(@p folder): the folder itself or the existing folder above
 * it when it does not belong to the effective user; empty when none does.
 */
QString privateFolderObstacle(const QString& folder);

/** Flushes @p file and waits until the storage holds its data. */
bool syncToStorage(QFileDevice& file);

/** Physical memory of this machine in bytes; 0 when it cannot be told. */
qint64 physicalMemoryBytes();
