// SPDX-License-Identifier: MIT
#pragma once

#include "settings/hivestore.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtGlobal>

/** Points XDG_CONFIG_HOME and XDG_RUNTIME_DIR at fresh folders for the life of the object. */
class TempSettings final
{
public:
    TempSettings()
        : m_oldConfig(qgetenv("XDG_CONFIG_HOME"))
        , m_oldRuntime(qgetenv("XDG_RUNTIME_DIR"))
    {
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_dir.filePath(QStringLiteral("config"))));
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(m_dir.path()));
    }
    ~TempSettings()
    {
        restore("XDG_CONFIG_HOME", m_oldConfig);
        restore("XDG_RUNTIME_DIR", m_oldRuntime);
    }
    TempSettings(const TempSettings&) = delete;
    TempSettings& operator=(const TempSettings&) = delete;

    QString hivePath() const { return HiveStore::defaultPath(); }
    QString dir() const { return m_dir.path(); }

    QByteArray hiveBytes() const
    {
        QFile file(hivePath());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    void writeHive(const QByteArray& bytes) const
    {
        QDir().mkpath(QFileInfo(hivePath()).absolutePath());
        QFile file(hivePath());
        file.open(QIODevice::WriteOnly | QIODevice::Truncate);
        file.write(bytes);
    }

private:
    static void restore(const char* name, const QByteArray& value)
    {
        if (value.isNull())
            qunsetenv(name);
        else
            qputenv(name, value);
    }

    QTemporaryDir m_dir;
    QByteArray m_oldConfig;
    QByteArray m_oldRuntime;
};
