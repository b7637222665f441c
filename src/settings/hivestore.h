// SPDX-License-Identifier: MIT
#pragma once

#include "platform/filelock.h"
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
 *
 * The hive is only ever written where it is the user's own: its folder, the file, and the
 * target of a link must belong to the effective user. Otherwise it is read and never written.
 */
class HiveStore final
{
public:
    /** A hive larger than this is treated as unreadable: nobody keeps that much in settings. */
    static constexpr qint64 kMaxHiveBytes = 16 * 1024 * 1024;
    /** Temporary files of an interrupted commit older than this are removed by the next commit. */
    static constexpr qint64 kStaleTemporarySeconds = 60;

    explicit HiveStore(QString hivePath);
    HiveStore(const HiveStore&) = delete;
    HiveStore& operator=(const HiveStore&) = delete;

    /** ${XDG_CONFIG_HOME:-$HOME/.config}/Ambrel/Pemmo.reg */
    static QString defaultPath();

    /**
     * Decides whether the hive may be written and, when it may, takes the lock, waiting at most
     * @p timeout for another process to let go of it. A store that may only be read takes no
     * lock, since it would have to create the lock file in a place that is not ours.
     */
    bool lock(std::chrono::milliseconds timeout);
    bool isLocked() const { return m_lock.isLocked(); }
    void unlock() { m_lock.unlock(); }

    /** Empty when the hive may be written; otherwise why not (a path that is not the user's own). */
    QString writeRefusal() const { return m_refusal; }

    /**
     * The hive as the file holds it now; an absent file gives an empty hive. nullopt when the
     * file exists but cannot be read, or is larger than kMaxHiveBytes.
     */
    std::optional<RegistryHive> read() const;
    /** Writes the hive; when nothing is left in it, removes the file instead. */
    bool commit(const RegistryHive& hive, QString* error = nullptr);

    QString path() const { return m_path; }

private:
    QString decideRefusal() const;
    void removeStaleTemporaries() const;

    QString m_path;
    QString m_refusal;
    FileLock m_lock;
    bool m_swept = false;
};
