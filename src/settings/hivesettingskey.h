// SPDX-License-Identifier: MIT
#pragma once

#include "hivestore.h"
#include "settingskey.h"

/**
 * The settings key kept in a REGEDIT4 hive file; holds the hive's lock while it is open.
 *
 * Each open re-reads the hive. What this process last read or wrote of each value, and of the
 * shared lists, is remembered per hive for the life of the process, so that a write leaves
 * alone what another process changed meanwhile.
 */
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
    QStringList knownList(const QString& listName) const override;
    void setKnownList(const QString& listName, const QStringList& entries) override;

    /** False when the hive belongs to someone else: writes then change nothing on disk. */
    bool writable() const { return m_store.writeRefusal().isEmpty(); }

private:
    explicit HiveSettingsKey(const QString& hivePath);
    std::optional<RegValue> stored(const QString& name);
    void write(const QString& name, const RegValue& value);
    void commit();

    HiveStore m_store;
    RegistryHive m_hive;
    bool m_deleted = false;
};
