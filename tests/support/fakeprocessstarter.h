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
    void startEditorAt(const QString& filePath, qint64 line, qint64 column, qint64 length) override
    {
        startedAt.append(QStringLiteral("%1 %2:%3:%4").arg(filePath).arg(line).arg(column).arg(length));
    }
    void startGrepEditor(const QStringList& arguments) override { grepEditors.append(arguments); }
    /** "path line:column:length" per editor started at a place. */
    QStringList startedAt;
    QList<QStringList> grepEditors;
    QStringList recovering;
    QStringList started;
    QStringList restoring;
};
