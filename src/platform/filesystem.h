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

/** Makes @p folder and any missing folders above it, each private to the user (0700). */
bool makePrivateFolders(const QString& folder);

/** Flushes @p file and waits until the storage holds its data. */
bool syncToStorage(QFileDevice& file);

/** Physical memory of this machine in bytes; 0 when it cannot be told. */
qint64 physicalMemoryBytes();
