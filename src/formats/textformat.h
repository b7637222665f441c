// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <optional>

namespace pemmo::formats {

enum class Encoding { Cp932, EucJp, Iso2022Jp, Utf8, Utf16Le, Utf16Be };
enum class LineEnding { CrLf, Lf, Cr };

/** How a plain-text document sits on disk; a save writes it back the same way. */
struct TextFormat
{
    Encoding encoding = Encoding::Cp932;
    bool bom = false;
    LineEnding lineEnding = LineEnding::CrLf;
    /** The file was one line break and nothing else: an empty text is written back as that break. */
    bool oneEmptyLine = false;

    friend bool operator==(const TextFormat&, const TextFormat&) = default;
};

// A new document is CP932 with CR LF.
inline constexpr TextFormat kNewDocumentFormat {};

/** IANA name as shown to the user: "Shift_JIS" is shown as "CP932" because that is what we write. */
QString encodingName(Encoding encoding);
/** The name glibc iconv knows the encoding by (only the legacy ones go through iconv). */
const char* iconvName(Encoding encoding);
/** Parses IANA/ICU names, case ignored ("UTF-8", "CP932", "Shift_JIS", "EUC-JP", "UTF-16LE", ...). */
std::optional<Encoding> encodingFromName(const QString& name);
QByteArray lineEndingBytes(LineEnding ending);
bool isUnicodeEncoding(Encoding encoding);

} // namespace pemmo::formats
