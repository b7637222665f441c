// SPDX-License-Identifier: MIT
#pragma once

#include "textformat.h"

#include <QByteArray>
#include <QList>
#include <QStringView>

#include <optional>

namespace pemmo::formats {

/**
 * Every byte string that the editor's decoding of @p encoding reads as exactly @p text, so that
 * text that is not in a file's bytes in any of them cannot be in the file's text either. Several
 * when a character has more than one code (CP932 holds the NEC and IBM characters twice); empty
 * when the encoding cannot hold the text. nullopt when the bytes cannot tell: ISO-2022-JP (shift
 * states), Windows-1255 and -1258 with letters outside ASCII (they join letters and marks), text
 * with U+FFFD (what undecodable bytes become) or more than @p limit spellings.
 */
std::optional<QList<QByteArray>> byteSpellings(Encoding encoding, QStringView text, qsizetype limit = 64);

} // namespace pemmo::formats
