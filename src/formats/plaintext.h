// SPDX-License-Identifier: MIT
#pragma once

#include "encodingdetection.h"
#include "textformat.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

#include <QStringEncoder>

#include <bitset>
#include <functional>
#include <memory>
#include <optional>

namespace pemmo::formats {

class IconvEncoder;

/**
 * Text as the editor holds it: lines separated by '\n' (or, when TextFormat::keptLineEndings, by
 * the file's own CR LF, LF and CR), without the line break that ends the last line, plus how the
 * bytes were laid out on disk.
 */
struct DecodedText
{
    QString text;
    TextFormat format;
    /** Some bytes did not decode; they show as U+FFFD and a save must ask first. */
    bool lossy = false;
};

/** A character that the target encoding cannot hold (or would read back as another one). */
struct Unencodable
{
    qsizetype position = 0; ///< index into the text, in UTF-16 units
    char32_t character = 0;
    int line = 1; ///< 1-based line number in the text
};

DecodedText decodePlainText(QByteArrayView bytes);
/** Decodes with a known encoding (the BOM, if there, is still recognised and skipped). */
DecodedText decodePlainText(QByteArrayView bytes, Encoding encoding);

/** Receives decoded text in order; the slices joined are DecodedText::text. */
using TextSliceSink = std::function<void(QStringView slice)>;
/** Receives decoded text in order as UTF-8; the slices joined are DecodedText::text in UTF-8. */
using Utf8SliceSink = std::function<void(QByteArrayView slice)>;
/** Told between slices how many of the bytes have been decoded. */
using DecodeProgress = std::function<void(qint64 done, qint64 total)>;

inline constexpr qsizetype kDecodeSliceBytes = 1024 * 1024;

/**
 * Decodes as decodePlainText() does, but hands the text to @p sink slice by slice as soon as
 * each is decoded, so that a large file never exists twice as a whole string. The returned
 * text is empty. Slices end after a line break where the encoding allows a cut there
 * (every encoding but UTF-16 and ISO-2022-JP); UTF-16 and the stateful ISO-2022-JP come as one slice.
 * Between slices @p stopped is asked whether to end early; then the text is cut short.
 */
DecodedText decodePlainTextInSlices(QByteArrayView bytes, Encoding encoding, const TextSliceSink& sink,
                                    const DecodeProgress& progress = {}, qsizetype sliceBytes = kDecodeSliceBytes,
                                    const std::function<bool()>& stopped = {});

/**
 * decodePlainTextInSlices() with the text as UTF-8, which is how the plain-text view holds it:
 * legacy encodings go straight to UTF-8, never through a UTF-16 copy.
 */
DecodedText decodePlainTextToUtf8(QByteArrayView bytes, Encoding encoding, const Utf8SliceSink& sink,
                                  const DecodeProgress& progress = {}, qsizetype sliceBytes = kDecodeSliceBytes,
                                  const std::function<bool()>& stopped = {});

/**
 * The first character that a save in this encoding would lose; nullopt when the text is safe.
 * In CP932 the characters that Windows writes as a look-alike's code (U+301C as 0x8160, ...)
 * count as held.
 */
std::optional<Unencodable> findUnencodable(QStringView text, Encoding encoding);

/**
 * Encodes a text that comes in pieces, in order, as encodePlainText() encodes the pieces joined:
 * each line break (LF, CR LF or CR) becomes the format's line ending, or stays as it is when the
 * format keeps the file's; the BOM comes once, and the last piece also ends its last line when
 * the format says the file did. Pieces should end after a line break, so that stateful encodings
 * start afresh.
 */
class PlainTextEncoder final
{
public:
    explicit PlainTextEncoder(const TextFormat& format);
    ~PlainTextEncoder();
    PlainTextEncoder(const PlainTextEncoder&) = delete;
    PlainTextEncoder& operator=(const PlainTextEncoder&) = delete;

    QByteArray encode(QStringView piece, bool last);

private:
    void encodeLegacy(QStringView text, QByteArray& bytes);

    TextFormat m_format;
    QString m_ending;
    std::optional<QStringEncoder> m_unicode;
    std::unique_ptr<IconvEncoder> m_legacy;
    // The BMP characters of TextFormat::ownCodes, when the format has any for its encoding.
    std::unique_ptr<std::bitset<0x10000>> m_ownUnits;
    bool m_anyText = false;
    bool m_bomWritten = false;
    bool m_afterCr = false;
};

/**
 * Bytes of the file: lines separated as PlainTextEncoder does, the BOM when the format has one.
 * Characters the encoding cannot hold become '?' (check with findUnencodable() first); in CP932
 * U+301C, U+2016, U+2212, U+00A2, U+00A3, U+00AC and U+2014 are written as their look-alikes' codes.
 */
QByteArray encodePlainText(QStringView text, const TextFormat& format);

} // namespace pemmo::formats
