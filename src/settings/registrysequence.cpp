// SPDX-License-Identifier: MIT
#include "registrysequence.h"

SequenceResult runRegistrySequence(OpenMode mode, const std::function<void(SettingsKey&)>& work)
{
    SequenceResult result;
    {
        std::unique_ptr<SettingsKey> key = openSettingsKey(mode);
        result.unreadable = !key && settingsUnreadable();
        if (key) {
            result.opened = true;
            try {
                work(*key);
            } catch (const RegistryError& error) {
                result.failure = QString::fromStdString(error.what());
            }
        }
    }
    result.notice = takeSettingsNotice();
    return result;
}
