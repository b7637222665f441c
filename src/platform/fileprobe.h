// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

/**
 * The trial open of a file for reading. Gives the file's size when it can be opened, nullopt
 * when it is missing, not a regular file, or access is denied.
 */
std::optional<qint64> probeFileForReading(const QString& path);

/** What readSmallFile() found. */
struct SmallFileRead
{
    qint64 size = 0; ///< the file's size when opened
    bool read = false; ///< the bytes are in the buffer: the file is regular and at most the limit
};

/**
 * Reads a regular file of at most @p most bytes whole into @p into, in as few system calls as
 * the system allows; a larger or non-regular file is only measured, for the caller to stream.
 * nullopt when the file cannot be opened or read. Meant for reading many small files in a row.
 */
std::optional<SmallFileRead> readSmallFile(const QString& path, qint64 most, QByteArray& into);
