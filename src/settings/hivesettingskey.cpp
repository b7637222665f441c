// SPDX-License-Identifier: MIT
#include "hivesettingskey.h"

#include <QtEndian>

#include <chrono>

using namespace std::chrono_literals;

namespace {
// Other processes hold the lock only for the few milliseconds of a sequence; waiting longer than
// this means something is badly wrong, and the sequence then behaves as if the key could not be opened.
constexpr auto kLockTimeout = 10s;
}

std::unique_ptr<SettingsKey> openSettingsKey(OpenMode mode)
{
    return HiveSettingsKey::open(HiveStore::defaultPath(), mode);
}

HiveSettingsKey::HiveSettingsKey(const QString& hivePath)
    : m_store(hivePath)
{
}

QString HiveSettingsKey::keyPath()
{
    return QStringLiteral("HKEY_CURRENT_USER\\software\\Ambrel\\Pemmo");
}

std::unique_ptr<HiveSettingsKey> HiveSettingsKey::open(const QString& hivePath, OpenMode mode)
{
    std::unique_ptr<HiveSettingsKey> key(new HiveSettingsKey(hivePath));
    if (!key->m_store.lock(kLockTimeout))
        return nullptr;
    key->m_hive = key->m_store.read();
    if (!key->m_hive.hasKey(keyPath())) {
        if (mode == OpenMode::OpenOnly)
            return nullptr;
        key->m_hive.createKey(keyPath());
        if (!key->m_store.commit(key->m_hive))
            return nullptr;
    }
    return key;
}

QString HiveSettingsKey::readString(const QString& name)
{
    const auto value = m_hive.value(keyPath(), name);
    if (!value)
        return {};
    if (value->type != quint32(RegType::String) && value->type != quint32(RegType::ExpandString))
        throw RegistryError(QStringLiteral("value %1 is not a string").arg(name));
    const qsizetype nul = value->data.indexOf('\0');
    return QString::fromUtf8(nul < 0 ? value->data : value->data.left(nul));
}

qint32 HiveSettingsKey::readInteger(const QString& name)
{
    const auto value = m_hive.value(keyPath(), name);
    if (!value)
        throw RegistryError(QStringLiteral("value %1 is absent").arg(name));
    if (value->type != quint32(RegType::Dword) || value->data.size() != 4)
        throw RegistryError(QStringLiteral("value %1 is not an integer").arg(name));
    return qFromLittleEndian<qint32>(value->data.constData());
}

bool HiveSettingsKey::readBool(const QString& name)
{
    return readInteger(name) != 0;
}

void HiveSettingsKey::writeString(const QString& name, const QString& value)
{
    write(name, regString(value));
}

void HiveSettingsKey::writeInteger(const QString& name, qint32 value)
{
    write(name, regDword(value));
}

void HiveSettingsKey::writeBool(const QString& name, bool value)
{
    write(name, regDword(value ? 1 : 0));
}

bool HiveSettingsKey::valueExists(const QString& name)
{
    return m_hive.value(keyPath(), name).has_value();
}

void HiveSettingsKey::deleteKeyTree()
{
    m_hive.deleteKeyTree(keyPath());
    m_deleted = true;
    commit();
}

void HiveSettingsKey::write(const QString& name, const RegValue& value)
{
    if (m_deleted)
        throw RegistryError(QStringLiteral("the key has been deleted"));
    const RegistryHive before = m_hive;
    m_hive.setValue(keyPath(), name, value);
    try {
        commit();
    } catch (...) {
        m_hive = before;
        throw;
    }
}

void HiveSettingsKey::commit()
{
    // Each write is committed at once, so a write that fails raises where it happens and
    // the writes before it stay, as the registry itself behaves.
    QString error;
    if (!m_store.commit(m_hive, &error))
        throw RegistryError(QStringLiteral("cannot write %1: %2").arg(m_store.path(), error));
}
