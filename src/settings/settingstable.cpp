// SPDX-License-Identifier: MIT
#include "settingstable.h"

#include "settingskey.h"

#include <QStringList>

#include <algorithm>

#include <vector>

QString Reg::mru(int slot)
{
    return QStringLiteral("MRU%1").arg(slot);
}

QString Reg::mmm(int slot)
{
    return QStringLiteral("MMM%1").arg(slot);
}

namespace {

SettingEntry string(const QString& name, bool firstRun, const QString& text = {})
{
    return SettingEntry { .name = name, .type = SettingType::String, .writtenAtFirstRun = firstRun, .text = text };
}

SettingEntry integer(const QString& name, bool firstRun, qint32 number = 0)
{
    return SettingEntry { .name = name, .type = SettingType::Integer, .writtenAtFirstRun = firstRun, .number = number };
}

SettingEntry boolean(const QString& name, bool firstRun, bool value = false)
{
    return SettingEntry { .name = name, .type = SettingType::Boolean, .writtenAtFirstRun = firstRun, .number = value };
}

SettingEntry orWhenAbsent(SettingEntry entry, qint32 whenAbsent, qint32 minimum = std::numeric_limits<qint32>::min(),
                          qint32 maximum = std::numeric_limits<qint32>::max())
{
    entry.whenAbsent = whenAbsent;
    entry.minimum = minimum;
    entry.maximum = maximum;
    return entry;
}

std::vector<SettingEntry> buildTable()
{
    constexpr bool firstRun = true;
    constexpr bool later = false;
    std::vector<SettingEntry> table;
    for (int slot = 1; slot <= Reg::kRecentSlots; ++slot)
        table.push_back(string(Reg::mru(slot), firstRun));
    for (int slot = 1; slot <= Reg::kRecentSlots; ++slot)
        table.push_back(string(Reg::mmm(slot), firstRun));
    const std::vector<SettingEntry> rest {
        orWhenAbsent(boolean(Reg::MCoolBarVewF, firstRun, true), true),
        integer(Reg::MTop, firstRun, 100),
        integer(Reg::MLeft, firstRun, 200),
        integer(Reg::MFontCol, firstRun, kWindowTextColour),
        integer(Reg::MFontSize, firstRun, 10),
        string(Reg::MFontName, firstRun, kDefaultFontName),
        boolean(Reg::MFontStyleB, firstRun),
        boolean(Reg::MFontStyleI, firstRun),
        boolean(Reg::MFontStyleU, firstRun),
        boolean(Reg::MFontStyleS, firstRun),
        boolean(Reg::MOption, firstRun, true),
        // Written later, by the first writer that needs them.
        integer(Reg::MHeight, later),
        integer(Reg::MWidth, later),
        orWhenAbsent(integer(Reg::MBkCol, later), kWhite),
        // A width of 0 or less once meant "the default"; a huge one would overflow the stops.
        orWhenAbsent(integer(Reg::MTab, later, kDefaultTabWidth), kDefaultTabWidth, 1, 1000),
        orWhenAbsent(boolean(Reg::MVG, later), false),
        string(Reg::MDirSave, later),
        integer(Reg::MIno, later),
        orWhenAbsent(integer(Reg::MFindexNo1, later), 0),
        string(Reg::Mappname, later),
        string(Reg::Mapppath, later),
        string(Reg::MDLFLG, later),
        orWhenAbsent(integer(Reg::MColorSyntax, later, 1), 1),
    };
    table.insert(table.end(), rest.begin(), rest.end());
    return table;
}

} // namespace

std::span<const SettingEntry> settingsTable()
{
    static const std::vector<SettingEntry> table = buildTable();
    return table;
}

const SettingEntry& settingEntry(const QString& name)
{
    for (const SettingEntry& entry : settingsTable()) {
        if (entry.name == name)
            return entry;
    }
    qFatal("no settings entry %s", qPrintable(name)); // a name missing from the table is a programming error
}

std::optional<qint32> boundedSetting(const SettingEntry& entry, qint32 stored)
{
    if (stored >= entry.minimum && stored <= entry.maximum)
        return stored;
    return entry.whenAbsent;
}

qint32 readNumberSetting(SettingsKey& key, const QString& name)
{
    const SettingEntry& entry = settingEntry(name);
    if (entry.whenAbsent && !key.valueExists(name))
        return *entry.whenAbsent;
    const std::optional<qint32> value = boundedSetting(entry, key.readInteger(name));
    if (!value)
        throw RegistryError(QStringLiteral("value %1 is out of bounds").arg(name));
    return *value;
}

bool readSwitchSetting(SettingsKey& key, const QString& name)
{
    return readNumberSetting(key, name) != 0;
}

namespace {

void writeDefaults(SettingsKey& key, const QStringList& except)
{
    for (const SettingEntry& entry : settingsTable()) {
        if (!entry.writtenAtFirstRun || except.contains(entry.name))
            continue;
        switch (entry.type) {
        case SettingType::String:
            key.writeString(entry.name, entry.text);
            break;
        case SettingType::Integer:
            key.writeInteger(entry.name, entry.number);
            break;
        case SettingType::Boolean:
            key.writeBool(entry.name, entry.number != 0);
            break;
        }
    }
}

} // namespace

void writeFirstRunDefaults(SettingsKey& key)
{
    writeDefaults(key, {});
}

void writeLauncherDefaults(SettingsKey& key)
{
    writeDefaults(key, { Reg::MFontSize, Reg::MOption });
}

namespace {

QStringList storedEntries(SettingsKey& key, QString (*slotName)(int))
{
    QStringList entries;
    for (int slot = 1; slot <= Reg::kRecentSlots; ++slot)
        entries.append(key.readString(slotName(slot)));
    return entries;
}

void writeRecentList(SettingsKey& key, const QStringList& current, QString (*slotName)(int))
{
    const QStringList stored = storedEntries(key, slotName);
    const QStringList known = key.knownList(recentListName(slotName));
    const QStringList merged = mergeRecentList(current, known, stored);
    for (int k = 0; k < Reg::kRecentSlots; ++k) {
        const QString entry = merged.value(k);
        // A slot past the merged list is cleared: what it held has moved up, or was a duplicate
        // or a relative path.
        if (entry != stored.at(k))
            key.writeString(slotName(k + 1), entry);
    }
    QStringList nowKnown = merged;
    for (const QString& entry : current) {
        if (!entry.isEmpty() && !nowKnown.contains(entry))
            nowKnown.append(entry);
    }
    key.setKnownList(recentListName(slotName), nowKnown);
}

} // namespace

bool isStorableRecentEntry(const QString& entry)
{
    return entry.startsWith(u'/');
}

QString recentListName(QString (*slotName)(int))
{
    return slotName(1).chopped(1);
}

QStringList readRecentList(SettingsKey& key, QString (*slotName)(int))
{
    QStringList entries = storedEntries(key, slotName);
    QStringList known;
    for (QString& entry : entries) {
        if (!isStorableRecentEntry(entry))
            entry.clear();
        else
            known.append(entry);
    }
    key.setKnownList(recentListName(slotName), known);
    return entries;
}

QStringList mergeRecentList(const QStringList& current, const QStringList& known, const QStringList& stored)
{
    QStringList merged;
    const auto add = [&merged](const QString& entry) {
        if (isStorableRecentEntry(entry) && !merged.contains(entry) && merged.size() < Reg::kRecentSlots)
            merged.append(entry);
    };
    for (const QString& entry : current) {
        if (!known.contains(entry))
            add(entry);
    }
    for (const QString& entry : stored)
        add(entry);
    return merged;
}

void writeRecentLists(SettingsKey& key, const QStringList& files, const QStringList& folders)
{
    const auto addsSomething = [&key](const QStringList& current, QString (*slotName)(int)) {
        const QStringList known = key.knownList(recentListName(slotName));
        return std::any_of(current.begin(), current.end(), [&](const QString& entry) {
            return isStorableRecentEntry(entry) && !known.contains(entry);
        });
    };
    if (addsSomething(files, &Reg::mru))
        writeRecentList(key, files, &Reg::mru);
    if (addsSomething(folders, &Reg::mmm))
        writeRecentList(key, folders, &Reg::mmm);
}
