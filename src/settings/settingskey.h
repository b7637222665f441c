// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <QStringList>

#include <memory>
#include <stdexcept>

/** A failed registry read or write. Its message is for the developer; users see the sequence's own sentence. */
class RegistryError : public std::runtime_error
{
public:
    explicit RegistryError(const QString& message)
        : std::runtime_error(message.toStdString())
    { }
};

enum class OpenMode {
    OpenOnly, // fails when the key is absent
    OpenCreating, // creates the key when it is absent
};

/**
 * The settings key HKEY_CURRENT_USER "\software\Ambrel\Pemmo", open for one registry sequence.
 *
 * Reading rules, the same for every backend: an absent string reads as empty; an absent integer
 * or boolean, or a value of another type, raises RegistryError. A failed write raises too.
 * Values written stay written even when a later step of the sequence raises.
 *
 * Several processes share the key. A write of the value this process last read or wrote for a
 * name, when another process has stored a different one since, leaves the other's value: this
 * process did not change it, so it must not undo the other's change.
 */
class SettingsKey
{
public:
    virtual ~SettingsKey() = default;

    virtual QString readString(const QString& name) = 0;
    virtual qint32 readInteger(const QString& name) = 0;
    /** Any value other than 0 is true. */
    virtual bool readBool(const QString& name) = 0;

    virtual void writeString(const QString& name, const QString& value) = 0;
    virtual void writeInteger(const QString& name, qint32 value) = 0;
    virtual void writeBool(const QString& name, bool value) = 0;

    /** True when the value can be queried, whatever its type. */
    virtual bool valueExists(const QString& name) = 0;
    /** Deletes the key with all its values and subkeys; later writes in the same sequence raise. */
    virtual void deleteKeyTree() = 0;

    /**
     * A shared list (the recent lists) as this process last knew it, kept between sequences so
     * that a writer can tell the entries it added itself from those other processes stored.
     */
    virtual QStringList knownList(const QString& listName) const
    {
        Q_UNUSED(listName);
        return {};
    }
    virtual void setKnownList(const QString& listName, const QStringList& entries)
    {
        Q_UNUSED(listName);
        Q_UNUSED(entries);
    }
};

/** Opens the settings key, or returns nullptr when it cannot be opened (absent for OpenOnly, or access refused). */
std::unique_ptr<SettingsKey> openSettingsKey(OpenMode mode);

/** True when the settings exist but could not be read at the last open: nothing may replace them. */
bool settingsUnreadable();

/**
 * Why settings are not being read or saved, once per process: the sentence to show the user.
 * Empty when there is nothing to tell, or when it has been told already.
 */
QString takeSettingsNotice();
