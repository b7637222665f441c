// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>

class QTextDocument;

namespace pemmo::formats {

/**
 * Writes the document as RTF that this program and other readers open with the same text:
 * \ansicpg932 with \fcharset128 fonts, CP932 characters as \'hh bytes, every other character
 * as \uN with a "?" fallback. Character and paragraph formats that the reader knows are kept.
 */
QByteArray writeRtf(const QTextDocument& document);

} // namespace pemmo::formats
