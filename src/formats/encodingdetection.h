// SPDX-License-Identifier: MIT
#pragma once

#include "textformat.h"

#include <QByteArrayView>

#include <optional>

namespace pemmo::formats {

/** The format a byte-order mark at the start names (UTF-8, UTF-16LE, UTF-16BE); nullopt without one. */
std::optional<TextFormat> bomFormat(QByteArrayView bytes);

/**
 * UTF-16 without a BOM, told by its NUL bytes: the high byte of every ASCII character is 0, so
 * the NULs fall on one side of each pair; the units must also read as text (no NUL unit, no
 * unpaired surrogate, no control other than tab, line feed, form feed and carriage return).
 */
std::optional<Encoding> utf16ByNulPattern(QByteArrayView bytes);

/** NUL bytes in the first 8 KiB and not UTF-16: most likely not a text file at all. */
bool looksBinary(QByteArrayView bytes);

/**
 * The encoding and BOM of a file, Japanese first:
 * 1. a BOM; 2. UTF-16 by its NUL pattern; 3. UTF-8 with non-ASCII characters, valid or nearly so
 * (a damaged byte among at least twenty valid characters per damage reads as U+FFFD; plain ASCII
 * is CP932, or ISO-2022-JP when uchardet sees its escapes); 4. EUC-JP when both Japanese readings
 * are valid and only EUC-JP gives ordinary Japanese (short kana that CP932 reads as half-width
 * katakana between ､ or ･); 5. uchardet naming a Japanese encoding; 6. uchardet naming GB18030,
 * Big5, EUC-KR (UHC), ISO-8859-x, Windows-125x or KOI8-R (KOI8-U when Ukrainian letters show),
 * the bytes valid there, with enough text (kForeignMinNonAsciiBytes) that has no kana in a valid
 * CP932 or EUC-JP reading, and, for the single-byte ones, does not read as Japanese in CP932
 * without kana (half-width katakana, NEC symbols and kanji); 7. valid CP932; 8. valid EUC-JP;
 * 9. Windows-1252 for Western text with a few accents that neither Japanese reading can take;
 * 10. CP932. Other short text that is not clearly anything else is CP932 (lossy when CP932
 * cannot read it); the encoding menu fixes it.
 */
TextFormat detectEncoding(QByteArrayView bytes);

/**
 * Below this many non-ASCII bytes uchardet's non-Japanese answers are guesses: measured on
 * Japanese, Chinese and Korean texts cut to every length, it named only about half of the
 * Chinese and Korean samples right below 16, and gave Japanese samples below 16 to
 * Windows-1252 or ISO-8859-7 hundreds of times; from 16 on every foreign sample was right.
 */
inline constexpr int kForeignMinNonAsciiBytes = 16;

} // namespace pemmo::formats
