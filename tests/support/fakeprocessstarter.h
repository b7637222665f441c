// SPDX-License-Identifier: MIT
#pragma once

#include "platform/processstarter.h"

#include <QStringList>

/** Records the editors that would have been started; an empty entry is an empty editor. */
class FakeProcessStarter final : public ProcessStarter
{
public:
    void startEditor(const QString& filePath) override { started.append(filePath); }
    void startRestoringEditor(const QString& backupPath) override { restoring.append(backupPath); }
    void startRecoveringEditor(const QString& lockPath) override { recovering.append(lockPath); }
    QStringList recovering;
    QStringList started;
    QStringList restoring;
};
