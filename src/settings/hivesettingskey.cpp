// SPDX-License-Identifier: MIT
#include "hivesettingskey.h"

#include "settingstexts.h"

#include <QHash>
#include <QSet>
#include <QtEndian>

#include <chrono>

using namespace std::chrono_literals;

namespace {
// Other processes hold the lock only for the few milliseconds of a sequence; waiting longer than
// this means something is badly wrong, and the sequence then behaves as if the key could not be opened.
constexpr auto kLockTimeout = 10s;

/** What this process knows of one hive, between its sequences. */
struct ProcessView
{
    QHash<QString, std::optional<RegValue>> seen; // by lower-case value name: last read or written
    QHash<QString, QStringList> lists;
    bool told = false;
};

struct ProcessState
{
    QHash<QString, ProcessView> views; // by hive path
    bool lastOpenUnreadable = false;
    QString notice;
};

ProcessState& processState()
{
    static ProcessState state;
    return state;
}

ProcessView& viewOf(const QString& hivePath)
{
    return processState().views[hivePath];
}

void tellOnce(const QString& hivePath, const QString& sentence)
{
    ProcessView& view = viewOf(hivePath);
    if (view.told)
        return;
    view.told = true;
    processState().notice = sentence;
}

bool sameValue(const std::optional<RegValue>& a, const std::optional<RegValue>& b)
{
    if (!a || !b)
        return !a && !b;
    return a->type == b->type && a->data == b->data;
}

} // namespace

std::unique_ptr<SettingsKey> openSettingsKey(OpenMode mode)
{
    return HiveSettingsKey::open(HiveStore::defaultPath(), mode);
}

bool settingsUnreadable()
{
    return processState().lastOpenUnreadable;
}

QString takeSettingsNotice()
{
    return std::exchange(processState().notice, QString());
}

HiveSettingsKey::HiveSettingsKey(const QString& hivePath)
    : m_store(hivePath)
{ }

QString HiveSettingsKey::keyPath()
{
    return QStringLiteral("HKEY_CURRENT_USER\\software\\Ambrel\\Pemmo");
}

std::unique_ptr<HiveSettingsKey> HiveSettingsKey::open(const QString& hivePath, OpenMode mode)
{
    processState().lastOpenUnreadable = false;
    std::unique_ptr<HiveSettingsKey> key(new HiveSettingsKey(hivePath));
    if (!key->m_store.lock(kLockTimeout))
        return nullptr;
    std::optional<RegistryHive> hive = key->m_store.read();
    if (!hive) {
        // Settings that exist but cannot be read are the user's: never replace them with defaults.
        processState().lastOpenUnreadable = true;
        tellOnce(hivePath, kHiveUnreadable.arg(hivePath));
        return nullptr;
    }
    key->m_hive = std::move(*hive);
    if (!key->writable())
        tellOnce(hivePath, kHiveNotOwned.arg(key->m_store.writeRefusal()));
    if (!key->m_hive.hasKey(keyPath())) {
        if (mode == OpenMode::OpenOnly)
            return nullptr;
        key->m_hive.createKey(keyPath());
        if (key->writable() && !key->m_store.commit(key->m_hive))
            return nullptr;
    }
    return key;
}

std::optional<RegValue> HiveSettingsKey::stored(const QString& name)
{
    std::optional<RegValue> value = m_hive.value(keyPath(), name);
    viewOf(m_store.path()).seen.insert(name.toLower(), value);
    return value;
}

QString HiveSettingsKey::readString(const QString& name)
{
    const auto value = stored(name);
    if (!value)
        return {};
    if (value->type != quint32(RegType::String) && value->type != quint32(RegType::ExpandString))
        throw RegistryError(QStringLiteral("value %1 is not a string").arg(name));
    const qsizetype nul = value->data.indexOf('\0');
    return QString::fromUtf8(nul < 0 ? value->data : value->data.left(nul));
}

qint32 HiveSettingsKey::readInteger(const QString& name)
{
    const auto value = stored(name);
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
    return stored(name).has_value();
}

void HiveSettingsKey::deleteKeyTree()
{
    m_hive.deleteKeyTree(keyPath());
    m_deleted = true;
    if (writable())
        commit();
}

QStringList HiveSettingsKey::knownList(const QString& listName) const
{
    return viewOf(m_store.path()).lists.value(listName);
}

void HiveSettingsKey::setKnownList(const QString& listName, const QStringList& entries)
{
    viewOf(m_store.path()).lists.insert(listName, entries);
}

void HiveSettingsKey::write(const QString& name, const RegValue& value)
{
    if (m_deleted)
        throw RegistryError(QStringLiteral("the key has been deleted"));
    auto& seen = viewOf(m_store.path()).seen;
    const std::optional<RegValue> current = m_hive.value(keyPath(), name);
    const auto known = seen.constFind(name.toLower());
    // Unchanged by this process, changed by another: the other's value stands.
    if (known != seen.constEnd() && sameValue(*known, value) && !sameValue(*known, current))
        return;
    if (sameValue(current, value) || !writable()) {
        seen.insert(name.toLower(), value);
        return;
    }
    const RegistryHive before = m_hive;
    m_hive.setValue(keyPath(), name, value);
    try {
        commit();
    } catch (...) {
        m_hive = before;
        throw;
    }
    seen.insert(name.toLower(), value);
}

void HiveSettingsKey::commit()
{
    // Each write is committed at once, so a write that fails raises where it happens and
    // the writes before it stay, as the registry itself behaves.
    QString error;
    if (!m_store.commit(m_hive, &error))
        throw RegistryError(QStringLiteral("cannot write %1: %2").arg(m_store.path(), error));
}
