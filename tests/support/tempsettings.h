// SPDX-License-Identifier: MIT
#pragma once

#include "settings/hivestore.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QList>
#include <QTemporaryDir>
#include <QtGlobal>

#include <utility>

/**
 * Points XDG_CONFIG_HOME, XDG_CACHE_HOME, XDG_STATE_HOME and XDG_RUNTIME_DIR at fresh folders for
 * the life of the object.
 */
class TempSettings final
{
public:
    TempSettings()
    {
        for (const auto& [name, folder] : kFolders) {
            m_old.append(qgetenv(name));
            qputenv(name, QFile::encodeName(m_dir.filePath(QLatin1String(folder))));
        }
    }
    ~TempSettings()
    {
        for (qsizetype i = 0; i < m_old.size(); ++i)
            restore(kFolders[i].first, m_old[i]);
    }
    TempSettings(const TempSettings&) = delete;
    TempSettings& operator=(const TempSettings&) = delete;

    QString hivePath() const { return HiveStore::defaultPath(); }
    QString dir() const { return m_dir.path(); }
    QString cacheDir() const { return m_dir.filePath(QStringLiteral("cache")); }

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

    static constexpr std::pair<const char*, const char*> kFolders[] = {
        { "XDG_CONFIG_HOME", "config" },
        { "XDG_CACHE_HOME", "cache" },
        { "XDG_STATE_HOME", "state" },
        { "XDG_RUNTIME_DIR", "." },
    };
    QTemporaryDir m_dir;
    QList<QByteArray> m_old;
};
