// SPDX-License-Identifier: MIT
#include "errorreport.h"

#include "dialogs.h"

#include <exception>

void runReported(Dialogs& dialogs, const std::function<void()>& handler)
{
    try {
        handler();
    } catch (const std::exception& error) {
        dialogs.message(QString::fromUtf8(error.what()), Dialogs::Icon::Critical);
    }
}

SequenceResult runRegistrySequence(Dialogs& dialogs, OpenMode mode, const QString& failureMessage,
                                   const std::function<void(SettingsKey&)>& work)
{
    SequenceResult result = runRegistrySequence(mode, work);
    if (!result.notice.isEmpty())
        dialogs.message(result.notice);
    if (result.failed() && !failureMessage.isEmpty())
        dialogs.message(failureMessage);
    return result;
}
