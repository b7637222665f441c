// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

#include <chrono>

/**
 * An exclusive lock on a lock file, held from a successful lock() until unlock() or destruction.
 *
 * The kernel lets go of it when the process ends, however it ends. The lock file is never
 * followed through a symbolic link, and editors started from this process do not inherit it.
 */
class FileLock final
{
public:
    enum class Result {
        Acquired, // this object holds the lock now
        HeldElsewhere, // another holder kept it for the whole wait
        Unavailable, // the lock file could not be opened or made
    };

    FileLock() = default;
    ~FileLock();
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

    /** One attempt, no waiting. */
    Result tryLock(const QString& lockFilePath);
    /** Waits at most @p timeout for another holder to let go. */
    Result lock(const QString& lockFilePath, std::chrono::milliseconds timeout);
    bool isLocked() const { return m_fd >= 0; }
    void unlock();

private:
    int m_fd = -1;
};
