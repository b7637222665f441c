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

private:
    bool m_taken = false;
    QString m_path;
    std::optional<FileStamp> m_stamp;
};
