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
};

} // namespace

std::unique_ptr<ProcessStarter> createProcessStarter()
{
    return std::make_unique<DetachedProcessStarter>();
}
