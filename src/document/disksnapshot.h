// SPDX-License-Identifier: MIT
#pragma once

#include "platform/filesystem.h"

#include <QString>

#include <optional>

/**
 * How the document's file stood on disk when this window last loaded or saved it, so that a save
 * notices when another program has changed, replaced or deleted the file since.
 */
class DiskSnapshot final
{
public:
    /** Records @p path as it is now; nothing there is recorded as such. */
    void take(const QString& path);
    /** A new text: no file to compare with. */
    void clear();
    /** true when @p path is the recorded file and it is no longer as recorded. */
    bool changedSince(const QString& path) const;
    /** Puts back a record kept elsewhere (a recovery copy's note): @p stamp nullopt when nothing was there. */
    void restore(const QString& path, const std::optional<FileStamp>& stamp);

    bool taken() const { return m_taken; }
    QString path() const { return m_path; }
    std::optional<FileStamp> stamp() const { return m_stamp; }

private:
    bool m_taken = false;
    QString m_path;
    std::optional<FileStamp> m_stamp;
};
