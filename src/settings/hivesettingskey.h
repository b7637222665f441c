// SPDX-License-Identifier: MIT
#pragma once

#include "hivestore.h"
#include "settingskey.h"

/** The settings key kept in a REGEDIT4 hive file; holds the hive's lock while it is open. */
class HiveSettingsKey final : public SettingsKey
{
public:
    /** Opens the key in the hive at @p hivePath; nullptr when it cannot be opened. */
    static std::unique_ptr<HiveSettingsKey> open(const QString& hivePath, OpenMode mode);

    /** The key's path inside the hive, rooted at HKEY_CURRENT_USER. */
    static QString keyPath();

    QString readString(const QString& name) override;
    qint32 readInteger(const QString& name) override;
    bool readBool(const QString& name) override;
    void writeString(const QString& name, const QString& value) override;
    void writeInteger(const QString& name, qint32 value) override;
    void writeBool(const QString& name, bool value) override;
    bool valueExists(const QString& name) override;
    void deleteKeyTree() override;

private:
    explicit HiveSettingsKey(const QString& hivePath);
    void write(const QString& name, const RegValue& value);
    void commit();

    HiveStore m_store;
    RegistryHive m_hive;
    bool m_deleted = false;
};
