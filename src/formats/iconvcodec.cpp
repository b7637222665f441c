// SPDX-License-Identifier: MIT
#include "iconvcodec.h"

#include <QtEndian>

#include <bitset>
#include <cerrno>
#include <cstring>
#include <iconv.h>
#include <map>
#include <memory>
#include <mutex>
#include <string>

namespace pemmo::formats {

namespace {

constexpr const char* kNativeUtf16 = QSysInfo::ByteOrder == QSysInfo::LittleEndian ? "UTF-16LE" : "UTF-16BE";
const iconv_t kInvalid = reinterpret_cast<iconv_t>(-1);

iconv_t openOrNull(const char* to, const char* from)
{
    iconv_t handle = iconv_open(to, from);
    return handle == kInvalid ? nullptr : handle;
}

} // namespace

IconvDecoder::IconvDecoder(const char* fromCode)
    : m_handle(openOrNull(kNativeUtf16, fromCode))
{ }

IconvDecoder::~IconvDecoder()
{
    if (m_handle)
        iconv_close(static_cast<iconv_t>(m_handle));
}

bool IconvDecoder::decode(const char* data, qsizetype size, QString& out)
{
    auto* handle = static_cast<iconv_t>(m_handle);
    if (!handle || size <= 0)
        return handle != nullptr;
    iconv(handle, nullptr, nullptr, nullptr, nullptr);
    bool clean = true;
    const qsizetype start = out.size();
    // Every legacy byte sequence we decode yields at most one UTF-16 unit per byte; the +8 covers
    // replacement characters written at the very end.
    out.resize(start + size + 8);
    char* in = const_cast<char*>(data);
    size_t inLeft = size_t(size);
    qsizetype written = start;
    while (true) {
        char* outPtr = reinterpret_cast<char*>(out.data() + written);
        size_t outLeft = size_t(out.size() - written) * 2;
        const size_t before = outLeft;
        const size_t result = inLeft ? iconv(handle, &in, &inLeft, &outPtr, &outLeft)
                                     : iconv(handle, nullptr, nullptr, &outPtr, &outLeft);
        written += qsizetype((before - outLeft) / 2);
        if (result != size_t(-1)) {
            if (inLeft == 0)
                break;
            continue;
        }
        if (errno == E2BIG) {
            out.resize(out.size() + qsizetype(inLeft) + 64);
            continue;
        }
        // EILSEQ or EINVAL (a cut-off sequence at the end): keep the byte visible and go on after it.
        clean = false;
        if (written + 2 > out.size())
            out.resize(written + qsizetype(inLeft) + 64);
        out[written++] = QChar::ReplacementCharacter;
        ++in;
        --inLeft;
        iconv(handle, nullptr, nullptr, nullptr, nullptr);
        if (inLeft == 0)
            break;
    }
    out.resize(written);
    return clean;
}

IconvEncoder::IconvEncoder(const char* toCode)
    : m_handle(openOrNull(toCode, kNativeUtf16))
{ }

IconvEncoder::~IconvEncoder()
{
    if (m_handle)
        iconv_close(static_cast<iconv_t>(m_handle));
}

bool IconvEncoder::encode(QStringView text, QByteArray& out)
{
    auto* handle = static_cast<iconv_t>(m_handle);
    if (!handle)
        return false;
    iconv(handle, nullptr, nullptr, nullptr, nullptr);
    bool clean = true;
    const qsizetype start = out.size();
    out.resize(start + text.size() * 2 + 16);
    char* in = reinterpret_cast<char*>(const_cast<QChar*>(text.data()));
    size_t inLeft = size_t(text.size()) * 2;
    qsizetype written = start;
    bool flushed = false;
    while (!flushed) {
        char* outPtr = out.data() + written;
        size_t outLeft = size_t(out.size() - written);
        const size_t before = outLeft;
        size_t result;
        if (inLeft) {
            result = iconv(handle, &in, &inLeft, &outPtr, &outLeft);
        } else {
            // Stateful encodings (ISO-2022-JP) end with an escape back to ASCII.
            result = iconv(handle, nullptr, nullptr, &outPtr, &outLeft);
            if (result != size_t(-1))
                flushed = true;
        }
        written += qsizetype(before - outLeft);
        if (result != size_t(-1))
            continue;
        if (errno == E2BIG) {
            out.resize(out.size() + qsizetype(inLeft) + 64);
            continue;
        }
        clean = false;
        if (written + 1 > out.size())
            out.resize(written + qsizetype(inLeft) + 64);
        // A character that has no code here: keep its place visible with '?'.
        out[written++] = '?';
        const auto* unit = reinterpret_cast<const char16_t*>(in);
        const bool pair = inLeft >= 4 && QChar::isHighSurrogate(unit[0]) && QChar::isLowSurrogate(unit[1]);
        const size_t skip = std::min<size_t>(inLeft, pair ? 4 : 2);
        in += skip;
        inLeft -= skip;
    }
    out.resize(written);
    return clean;
}

const std::bitset<0x10000>& legacyRoundTripTable(const char* iconvName)
{
    static std::mutex mutex;
    static std::map<std::string, std::unique_ptr<std::bitset<0x10000>>> tables;
    std::lock_guard lock(mutex);
    auto& table = tables[iconvName];
    if (!table) {
        // Built once per encoding by trying every BMP character: about 0.1 s, only when a legacy save happens.
        table = std::make_unique<std::bitset<0x10000>>();
        IconvEncoder encoder(iconvName);
        IconvDecoder decoder(iconvName);
        QByteArray bytes;
        QString back;
        for (char32_t c = 0; c < 0x10000; ++c) {
            if (QChar::isSurrogate(c))
                continue;
            const char16_t single = char16_t(c);
            bytes.clear();
            if (!encoder.encode(QStringView(&single, 1), bytes))
                continue;
            back.clear();
            if (decoder.decode(bytes.constData(), bytes.size(), back) && back.size() == 1 && back.at(0).unicode() == c)
                table->set(c);
        }
    }
    return *table;
}

bool legacyEncodingHolds(const char* iconvName, char16_t unit)
{
    if (unit < 0x80 && std::strcmp(iconvName, "ISO-2022-JP") != 0)
        return true;
    if (QChar::isSurrogate(unit))
        return false;
    return legacyRoundTripTable(iconvName).test(unit);
}

} // namespace pemmo::formats
