// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <QStringList>

#include <limits>
#include <optional>
#include <span>

class SettingsKey;

/** Names of the values in the settings key. */
namespace Reg {
inline const QString MOption = QStringLiteral("MOption");
inline const QString MCoolBarVewF = QStringLiteral("MCoolBarVewF");
inline const QString MTop = QStringLiteral("MTop");
inline const QString MLeft = QStringLiteral("MLeft");
inline const QString MHeight = QStringLiteral("MHeight");
inline const QString MWidth = QStringLiteral("MWidth");
inline const QString MFontCol = QStringLiteral("MFontCol");
inline const QString MBkCol = QStringLiteral("MBkCol");
inline const QString MFontSize = QStringLiteral("MFontSize");
inline const QString MFontName = QStringLiteral("MFontName");
inline const QString MFontStyleB = QStringLiteral("MFontStyleB");
inline const QString MFontStyleI = QStringLiteral("MFontStyleI");
inline const QString MFontStyleU = QStringLiteral("MFontStyleU");
inline const QString MFontStyleS = QStringLiteral("MFontStyleS");
inline const QString MTab = QStringLiteral("MTab");
inline const QString MVG = QStringLiteral("MVG");
/** DWORD 1 once the launcher has shown where it lives; absent before, so first-run values stay as they are. */
inline const QString MTrayBalloon = QStringLiteral("MTrayBalloon");
inline const QString MDirSave = QStringLiteral("MDirSave");
inline const QString MIno = QStringLiteral("MIno");
inline const QString MFindexNo1 = QStringLiteral("MFindexNo1");
inline const QString Mappname = QStringLiteral("Mappname");
inline const QString Mapppath = QStringLiteral("Mapppath");
inline const QString MDLFLG = QStringLiteral("MDLFLG");
/** Code colouring on (1) or off (0); written only when the user switches it. */
inline const QString MColorSyntax = QStringLiteral("MColorSyntax");

/** The recent lists have five slots each, numbered 1 to 5. */
inline constexpr int kRecentSlots = 5;
/** "MRU1".."MRU5": recent files. */
QString mru(int slot);
/** "MMM1".."MMM5": recent folders. */
QString mmm(int slot);
} // namespace Reg

enum class SettingType { String, Integer, Boolean };

/**
 * One value of the settings key, declared once: its type, its first-run default, what a reader
 * takes when it is absent, and the bounds a stored number must keep.
 */
struct SettingEntry
{
    QString name;
    SettingType type;
    bool writtenAtFirstRun;
    qint32 number = 0; // first-run default of an integer or boolean
    QString text = {}; // first-run default of a string
    /** What a reader takes when the value is absent; without it, absence is a read error (RegistryError). */
    std::optional<qint32> whenAbsent = std::nullopt;
    /** A stored number outside [minimum, maximum] reads as whenAbsent: a hive edited by hand or by another program. */
    qint32 minimum = std::numeric_limits<qint32>::min();
    qint32 maximum = std::numeric_limits<qint32>::max();
};

/** Every value of the settings key; those written at first run come first, in the order they are written. */
std::span<const SettingEntry> settingsTable();

/** 0x80000000 + system colour index 8: the system's window-text colour. */
inline constexpr qint32 kWindowTextColour = qint32(0x80000008u);
inline constexpr qint32 kWhite = 0x00FFFFFF;
/** The editor's designed face; its name is stored and shown as it stands. */
inline const QString kDefaultFontName = QStringLiteral("ＭＳ ゴシック");

/** A tab is this many half-width cells wide when the stored width is absent or out of bounds. */
inline constexpr qint32 kDefaultTabWidth = 8;

/** The entry named @p name; every name of Reg has one. */
const SettingEntry& settingEntry(const QString& name);

/** @p stored as a reader takes it: within the entry's bounds, else its absent value (if it has one). */
std::optional<qint32> boundedSetting(const SettingEntry& entry, qint32 stored);

/**
 * An integer or boolean value read by its entry: the stored number within bounds, else the
 * absent value. Raises RegistryError where the entry has no absent value and the value is
 * absent, unreadable or out of bounds.
 */
qint32 readNumberSetting(SettingsKey& key, const QString& name);
/** readNumberSetting() != 0. */
bool readSwitchSetting(SettingsKey& key, const QString& name);

/** Writes the first-run defaults in their order; the last one sets MOption true. Raises RegistryError. */
void writeFirstRunDefaults(SettingsKey& key);

/**
 * The five entries of a recent list (slots @p slotName(1)..(5)) as stored. An entry that is not an
 * absolute path reads as a free slot: opened later, it would name a file relative to wherever
 * that process happens to run. Remembers the list as this process now knows it.
 */
QStringList readRecentList(SettingsKey& key, QString (*slotName)(int));

/** Only an absolute path is kept in a recent list. */
bool isStorableRecentEntry(const QString& entry);
/** The name under which a recent list is known to the key: "MRU" or "MMM". */
QString recentListName(QString (*slotName)(int));

/**
 * One shared recent list after this process stores @p current into @p stored: the entries of
 * @p current that @p known lacks (this process added them) on top in their order, then the
 * stored entries in their order, without duplicates or relative paths, at most five.
 */
QStringList mergeRecentList(const QStringList& current, const QStringList& known, const QStringList& stored);

/**
 * Stores the entries this process added to its lists since it last read or wrote them, merged
 * with what other processes stored meanwhile (mergeRecentList). A list with nothing added is
 * not written, so other processes' entries stay where they are. Raises RegistryError.
 */
void writeRecentLists(SettingsKey& key, const QStringList& files, const QStringList& folders);

/** What the launcher writes when it finds no key: the first-run defaults without MFontSize and MOption. */
void writeLauncherDefaults(SettingsKey& key);
