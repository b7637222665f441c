// SPDX-License-Identifier: MIT
#include "settingstable.h"

#include "settingskey.h"

#include <QStringList>

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

void writeRecentLists(SettingsKey& key, const QStringList& files, const QStringList& folders)
{
    for (int k = 0; k < Reg::kRecentSlots; ++k) {
        if (!files.value(k).isEmpty())
            key.writeString(Reg::mru(k + 1), files.at(k));
    }
    for (int k = 0; k < Reg::kRecentSlots; ++k) {
        if (!folders.value(k).isEmpty())
            key.writeString(Reg::mmm(k + 1), folders.at(k));
    }
}
