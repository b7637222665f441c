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
    void startEditorAt(const QString& filePath, qint64 line, qint64 column, qint64 length) override
    {
        const QString place = QStringLiteral("+%1:%2:%3").arg(line).arg(column).arg(length);
        QProcess::startDetached(QCoreApplication::applicationFilePath(), { place, filePath });
    }
    void startGrepEditor(const QStringList& arguments) override
    {
        QProcess::startDetached(QCoreApplication::applicationFilePath(),
                                QStringList { QStringLiteral("--grep") } + arguments);
    }
};

} // namespace

std::unique_ptr<ProcessStarter> createProcessStarter()
{
    return std::make_unique<DetachedProcessStarter>();
}
