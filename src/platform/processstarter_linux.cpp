// SPDX-License-Identifier: MIT
#include "processstarter.h"

#include <QCoreApplication>
#include <QProcess>

namespace {

class DetachedProcessStarter final : public ProcessStarter
{
public:
    void startEditor(const QString& filePath) override
    {
        QStringList arguments;
        if (!filePath.isEmpty())
            arguments.append(filePath);
        QProcess::startDetached(QCoreApplication::applicationFilePath(), arguments);
    }
    void startRestoringEditor(const QString& backupPath) override
    {
        QProcess::startDetached(QCoreApplication::applicationFilePath(),
                                { QStringLiteral("--restore-backup"), backupPath });
    }
    void startRecoveringEditor(const QString& lockPath) override
    {
        QProcess::startDetached(QCoreApplication::applicationFilePath(), { QStringLiteral("--recover"), lockPath });
    }
};

} // namespace

std::unique_ptr<ProcessStarter> createProcessStarter()
{
    return std::make_unique<DetachedProcessStarter>();
}
