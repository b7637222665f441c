// SPDX-License-Identifier: MIT
#include "disksnapshot.h"

void DiskSnapshot::take(const QString& path)
{
    m_taken = true;
    m_path = path;
    m_stamp = fileStamp(path);
}

void DiskSnapshot::clear()
{
    m_taken = false;
    m_path.clear();
    m_stamp.reset();
}

bool DiskSnapshot::changedSince(const QString& path) const
{
    return m_taken && path == m_path && fileStamp(path) != m_stamp;
}

void DiskSnapshot::restore(const QString& path, const std::optional<FileStamp>& stamp)
{
    m_taken = true;
    m_path = path;
    m_stamp = stamp;
}
