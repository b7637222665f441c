// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QString>
#include <optional>

namespace pemmo::formats {

/**
 * The encodings a plain-text document can be in. The Japanese ones and Unicode first; then the
 * legacy encodings of other languages that detection recognises and the encoding menu offers.
 */
enum class Encoding {
    Cp932,
    EucJp,
    Iso2022Jp,
    Utf8,
    Utf16Le,
    Utf16Be,
    Gb18030,
    Big5,
    EucKr,
    Iso8859_1,
    Iso8859_2,
    Iso8859_3,
    Iso8859_4,
    Iso8859_5,
    Iso8859_6,
    Iso8859_7,
    Iso8859_8,
    Iso8859_9,
    Iso8859_10,
    Iso8859_11,
    Iso8859_13,
    Iso8859_14,
    Iso8859_15,
    Iso8859_16,
    Windows1250,
    Windows1251,
    Windows1252,
    Windows1253,
    Windows1254,
    Windows1255,
    Windows1256,
    Windows1257,
    Windows1258,
    Koi8R,
    Koi8U,
};
/** The last of Encoding's values, for going through them all. */
inline constexpr Encoding kLastEncoding = Encoding::Koi8U;
enum class LineEnding { CrLf, Lf, Cr };

/** How a plain-text document sits on disk; a save writes it back the same way. */
struct TextFormat
{
    Encoding encoding = Encoding::Cp932;
    bool bom = false;
    LineEnding lineEnding = LineEnding::CrLf;
    /** The file was one line break and nothing else: an empty text is written back as that break. */
    bool oneEmptyLine = false;
    /** The last line ends with a line break; a file that ended without one is written back without. */
    bool finalLineBreak = true;
    /**
     * The file's line breaks were of more than one kind. The text then holds them as they were
     * (CR LF, LF and CR) and a save writes each as it stands; lineEnding is the most frequent,
     * which the editor gives new lines. Without this, every break in the text is written as lineEnding.
     */
    bool keptLineEndings = false;
    /** With keptLineEndings: the break after the last line (the text does not hold it). */
    LineEnding lastLineEnding = LineEnding::CrLf;
    /**
     * Characters the file wrote with another of their codes than the one the encoder picks (CP932
     * holds some twice: NEC row 13 and IBM extensions): a save writes them with the file's code.
     * They belong to ownCodesEncoding and count for nothing in another encoding.
     */
    QMap<char32_t, QByteArray> ownCodes {};
    Encoding ownCodesEncoding = Encoding::Cp932;

    friend bool operator==(const TextFormat&, const TextFormat&) = default;
};

// A new document is CP932 with CR LF.
inline const TextFormat kNewDocumentFormat {};

/** IANA name as shown to the user: "Shift_JIS" is shown as "CP932" because that is what we write. */
QString encodingName(Encoding encoding);
/** The name glibc iconv knows the encoding by (only the legacy ones go through iconv). */
const char* iconvName(Encoding encoding);
/** Parses IANA/ICU names, case ignored ("UTF-8", "CP932", "Shift_JIS", "EUC-JP", "UTF-16LE", "Big5", ...). */
std::optional<Encoding> encodingFromName(const QString& name);
QByteArray lineEndingBytes(LineEnding ending);
bool isUnicodeEncoding(Encoding encoding);
/** UTF-16 and the stateful ISO-2022-JP: a byte 0x0A may belong to another character. */
bool lineFeedMayBeInsideCharacter(Encoding encoding);

/** An encoding as the user picks it: the encoding and whether the file starts with a BOM. */
struct EncodingChoice
{
    Encoding encoding = Encoding::Cp932;
    bool bom = false;

    friend bool operator==(const EncodingChoice&, const EncodingChoice&) = default;
};

/** What the encoding menu offers, in its order: the Japanese encodings, Unicode, then the others. */
QList<EncodingChoice> offeredEncodings();
inline constexpr LineEnding kOfferedLineEndings[] = { LineEnding::CrLf, LineEnding::Lf, LineEnding::Cr };

/** The encoding as the status row and the menu show it: "Shift_JIS (CP932)", "UTF-8 BOM", "EUC-JP". */
QString encodingLabel(Encoding encoding, bool bom);
inline QString encodingLabel(const TextFormat& format)
{
    return encodingLabel(format.encoding, format.bom);
}
/** "CR+LF", "LF" or "CR". */
QString lineEndingLabel(LineEnding ending);

} // namespace pemmo::formats
