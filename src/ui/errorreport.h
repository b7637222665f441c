// SPDX-License-Identifier: MIT
#pragma once

#include "settings/registrysequence.h"

#include <functional>

class Dialogs;

/**
 * The default error report: runs one event handler's body and shows the message of any
 * exception that escapes it. The program goes on; no exception reaches the event loop.
 */
void runReported(Dialogs& dialogs, const std::function<void()>& handler);

/**
 * A registry sequence whose failure shows @p failureMessage (after the key is closed).
 * An empty message means the sequence fails silently.
 */
SequenceResult runRegistrySequence(Dialogs& dialogs, OpenMode mode, const QString& failureMessage,
                                   const std::function<void(SettingsKey&)>& work);
