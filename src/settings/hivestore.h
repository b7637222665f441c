// SPDX-License-Identifier: MIT
#pragma once

#include "registryhive.h"

#include <QString>

#include <chrono>
#include <optional>

/**
 * The per-user hive file and the lock that serialises access to it between processes.
 *
 * A store is locked for the whole of one registry sequence: the lock is an exclusive flock on
 * a lock file beside the hive, so concurrent processes never interleave their reads and writes.
 * Every commit replaces the file atomically; a crash leaves the old or the new file, never a
 * torn one.
 */
class HiveStore final
{
public:
    explicit HiveStore(QString hivePath);
    ~HiveStore();
    HiveStore(const HiveStore&) = delete;
    HiveStore& operator=(const HiveStore&) = delete;

    /** ${XDG_CONFIG_HOME:-$HOME/.config}/Ambrel/Pemmo.reg */
    static QString defaultPath();

    /** Takes the lock, waiting at most @p timeout for another process to let go of it. */
    bool lock(std::chrono::milliseconds timeout);
    bool isLocked() const { return m_lockFd >= 0; }
    void unlock();

    /** The hive as the file holds it now; an absent or unreadable file gives an empty hive. */
    RegistryHive read() const;
    /** Writes the hive; when nothing is left in it, removes the file instead. */
    bool commit(const RegistryHive& hive, QString* error = nullptr) const;

    QString path() const { return m_path; }

private:
    bool ensureFolder() const;

    QString m_path;
    int m_lockFd = -1;
};
