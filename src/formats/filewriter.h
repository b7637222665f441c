// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

namespace pemmo::formats {

/**
 * Writes a document's bytes to @p path; returns the Japanese error message on failure.
 *
 * Only regular files are written: a FIFO, device or socket (also behind a link) is refused.
 * Normally a temporary file replaces the old one atomically. Where that would lose something
 * (a file with several hard links, one owned by another user, a writable file in a folder that
 * is not), the old content is first copied to the user's cache folder, the file is written in
 * place and synced, and the copy is removed. A failed save leaves the old file as it was.
 */
std::optional<QString> writeDocumentFile(const QString& path, const QByteArray& bytes);

/** ${XDG_CACHE_HOME:-~/.cache}/pemmo: where the copies of files written in place wait. */
QString backupFolder();

} // namespace pemmo::formats
