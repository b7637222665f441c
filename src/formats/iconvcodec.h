// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringView>

#include <bitset>
#include <optional>

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
 * Whether a BMP code unit survives encode + decode in the named legacy encoding unchanged.
 * One-way mappings (U+301C -> 0x8160 -> U+FF5E, U+00A5 -> 0x5C) count as not held, because
 * saving them would silently turn them into other characters.
 */
bool legacyEncodingHolds(const char* iconvName, char16_t unit);
/** The same answer for every BMP unit at once, for scans over long texts (built once per encoding). */
const std::bitset<0x10000>& legacyRoundTripTable(const char* iconvName);

} // namespace pemmo::formats
