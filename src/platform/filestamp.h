// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

#include <optional>

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
