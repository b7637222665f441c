// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArrayView>
#include <QString>

#include <array>
#include <map>
#include <memory>

namespace pemmo::formats {
class IconvDecoder;
}

namespace pemmo::formats::rtf {

/** Code page of the Symbol (and Wingdings) fonts: bytes name glyphs, not characters. */
inline constexpr int kSymbolCodePage = 2;

/** The Windows code page that \fcharsetN stands for; 0 means "the document's \ansicpg". */
int codePageForCharset(int charset);
/** The \fcharsetN that declares a code page (0 for code pages without one of their own). */
int charsetForCodePage(int codePage);
/** The iconv name of a Windows code page, or null when iconv has none. */
const char* iconvNameForCodePage(int codePage);
/** Whether one character of the code page may take two bytes. */
bool isMultiByteCodePage(int codePage);

/** Decodes the bytes of RTF text in a Windows code page, caching one converter per code page. */
class CodePageDecoder final
{
public:
    CodePageDecoder();
    ~CodePageDecoder();
    CodePageDecoder(const CodePageDecoder&) = delete;
    CodePageDecoder& operator=(const CodePageDecoder&) = delete;

    /** Appends the text; returns false when some bytes did not decode (they become U+FFFD). */
    bool decode(int codePage, QByteArrayView bytes, QString& out);
    static bool isKnownCodePage(int codePage);

private:
    struct SingleByteTable
    {
        std::array<char16_t, 256> units {};
        std::array<bool, 256> valid {};
    };
    const SingleByteTable& singleByteTable(int codePage);
    IconvDecoder& multiByteDecoder(int codePage);

    std::map<int, std::unique_ptr<SingleByteTable>> m_tables;
    std::map<int, std::unique_ptr<IconvDecoder>> m_decoders;
};

} // namespace pemmo::formats::rtf
