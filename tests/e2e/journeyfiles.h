// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QMap>
#include <QString>
#include <QStringList>

#include <optional>

/** The files a journey writes and reads back: the settings hive, CP932 text, converted documents. */
namespace journey {

/**
 * The first-run values in the hive's notation, but as an editor (MOption 0): with the launcher wanted,
 * a start would show no window. The window sits at top 100, left 200.
 */
QList<std::pair<QString, QString>> editorFirstRunHive();

/** Writes a hive holding exactly @p values (already in the file's notation, e.g. "dword:00000000"). */
bool writeHive(const QString& path, const QList<std::pair<QString, QString>>& values);

/** The values of the hive at @p path, by lower-cased name, in the file's notation. */
QMap<QString, QString> readHive(const QString& path);
/** A string value's text (quotes and escapes removed); nullopt when @p raw is not a string. */
std::optional<QString> hiveString(const QString& raw);
/** A dword value; nullopt when @p raw is not one. */
std::optional<quint32> hiveDword(const QString& raw);

/** @p text in code page 932 by the C library, independent of the program under test. */
QByteArray toCp932(const QString& text);
/** @p text in the iconv encoding @p encoding; empty when it cannot be written there. */
QByteArray encodeAs(const char* encoding, const QString& text);

/** The lines of @p text, whatever its line ending, without the empty line after a final break. */
QStringList linesOf(const QString& text);

/** What the program's converter reads from @p path, as UTF-8 text; nullopt with @p error when it fails. */
std::optional<QString> convertToText(const QString& converter, const QString& path, QString* error);

/** True once process @p pid has ended (gone, or a zombie that nobody reaps). */
bool processEnded(qint64 pid);

} // namespace journey
