// SPDX-License-Identifier: MIT
#pragma once

#include "settingskey.h"

#include <functional>
#include <optional>

/** How one registry sequence ended. */
struct SequenceResult
{
    bool opened = false; // false: the key could not be opened; nothing was read or written
    std::optional<QString> failure; // set when a read or write raised and ended the work early
    bool unreadable = false; // the settings exist but cannot be read: nothing may replace them
    QString notice; // a sentence to show once: why settings are not read or not saved

    bool completed() const { return opened && !failure; }
    bool failed() const { return failure.has_value(); }
};

/**
 * One registry sequence: open the settings key, do the work, close the key.
 *
 * A RegistryError raised by the work ends it at once; what was written before stays written.
 * The key (and the lock on the hive) is released before this returns, so callers show any
 * message only afterwards and never keep other processes waiting on a dialog.
 */
SequenceResult runRegistrySequence(OpenMode mode, const std::function<void(SettingsKey&)>& work);
