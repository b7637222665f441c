// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QMap>
#include <QString>
#include <QStringView>

#include <bitset>
#include <optional>
#include <vector>

namespace pemmo::formats {

/**
 * One glibc iconv conversion from a legacy encoding into QString. Bytes that do not decode
 * become U+FFFD, one per byte, and make decode() report a loss; nothing is dropped.
 */
class IconvDecoder final
{
public:
    explicit IconvDecoder(const char* fromCode);
    ~IconvDecoder();
    IconvDecoder(const IconvDecoder&) = delete;
    IconvDecoder& operator=(const IconvDecoder&) = delete;

    bool isValid() const { return m_handle != nullptr; }
    /** Appends the decoded text to out; returns false when some bytes did not decode (incl. a cut-off end). */
    bool decode(const char* data, qsizetype size, QString& out);

private:
    void* m_handle = nullptr;
};

/**
 * A legacy encoding straight into UTF-8, with the same result as IconvDecoder then UTF-8: bytes
 * that do not decode become U+FFFD, one per byte. Encodings without shift states whose
 * characters are one or two bytes long (CP932, Big5, EUC-KR, the ISO-8859 family...) go through
 * a table read once from glibc's own conversion, several times faster than iconv; the others
 * through iconv. May be used on any thread.
 */
class Utf8Decoder final
{
public:
    explicit Utf8Decoder(const char* fromCode);
    ~Utf8Decoder();
    Utf8Decoder(const Utf8Decoder&) = delete;
    Utf8Decoder& operator=(const Utf8Decoder&) = delete;

    bool isValid() const { return m_table != nullptr || m_handle != nullptr; }
    /** Appends the UTF-8 to out; returns false when some bytes did not decode (incl. a cut-off end). */
    bool decode(const char* data, qsizetype size, QByteArray& out);
    /**
     * The characters that the encoding holds under more than one code and that the bytes so far
     * wrote only with a code other than the one the encoder picks, with that code.
     */
    QMap<char32_t, QByteArray> ownCodes() const;

    struct ByteTable;

private:
    bool decodeWithIconv(const char* data, qsizetype size, QByteArray& out);

    const ByteTable* m_table = nullptr;
    void* m_handle = nullptr;
    std::vector<bool> m_seenTwins; // by index into the table's twins
};

/** QString into a legacy encoding through glibc iconv; characters it cannot hold become '?'. */
class IconvEncoder final
{
public:
    explicit IconvEncoder(const char* toCode);
    ~IconvEncoder();
    IconvEncoder(const IconvEncoder&) = delete;
    IconvEncoder& operator=(const IconvEncoder&) = delete;

    bool isValid() const { return m_handle != nullptr; }
    /** Appends the bytes to out; returns false when some character had to become '?'. */
    bool encode(QStringView text, QByteArray& out);

private:
    void* m_handle = nullptr;
};

/**
 * Keeps glibc's conversion modules for the Japanese encodings loaded for the rest of the process.
 * Otherwise every decoder that is the last user of one unloads it, and the next loads it again:
 * searching thousands of small files, that costs more than the decoding.
 */
void keepJapaneseConversionsLoaded();

/**
 * Whether a BMP code unit survives encode + decode in the named legacy encoding unchanged.
 * One-way mappings (U+301C -> 0x8160 -> U+FF5E, U+00A5 -> 0x5C) count as not held, because
 * saving them would silently turn them into other characters.
 */
bool legacyEncodingHolds(const char* iconvName, char16_t unit);
/** The same answer for every BMP unit at once, for scans over long texts (built once per encoding). */
const std::bitset<0x10000>& legacyRoundTripTable(const char* iconvName);

} // namespace pemmo::formats
