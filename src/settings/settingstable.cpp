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
    return SettingEntry { name, SettingType::String, firstRun, 0, text };
}

SettingEntry integer(const QString& name, bool firstRun, qint32 number = 0)
{
    return SettingEntry { name, SettingType::Integer, firstRun, number, {} };
}

SettingEntry boolean(const QString& name, bool firstRun, bool value = false)
{
    return SettingEntry { name, SettingType::Boolean, firstRun, value ? 1 : 0, {} };
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
        boolean(Reg::MCoolBarVewF, firstRun, true),
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
        integer(Reg::MBkCol, later),
        integer(Reg::MTab, later),
        boolean(Reg::MVG, later),
        string(Reg::MDirSave, later),
        integer(Reg::MIno, later),
        integer(Reg::MFindexNo1, later),
        string(Reg::Mappname, later),
        string(Reg::Mapppath, later),
        string(Reg::MDLFLG, later),
        integer(Reg::MColorSyntax, later, 1),
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
