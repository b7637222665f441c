// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

#include <memory>

/**
 * The per-user instance lock named after the executable's file name.
 *
 * The first process to take it holds it until it releases it or ends, however it ends; every
 * other process started meanwhile finds it taken.
 */
class InstanceLock
{
public:
    enum class Result {
        Acquired, // this process holds the lock now
        HeldElsewhere, // another process holds it
        Unavailable, // the lock could not be made at all
    };

    virtual ~InstanceLock() = default;
    /** One attempt, no waiting. */
    virtual Result tryAcquire(const QString& name) = 0;
    virtual void release() = 0;
};

/**
 * The lock of this platform: a flock on $XDG_RUNTIME_DIR/<name>-<uid>.lock, or without a runtime
 * folder on <name>-<uid>.lock in ${XDG_CACHE_HOME:-~/.cache}/pemmo, a folder of the user's own.
 */
std::unique_ptr<InstanceLock> createInstanceLock();

/** Where the lock for @p name lives. */
QString instanceLockPath(const QString& name);
