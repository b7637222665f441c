// SPDX-License-Identifier: MIT
#include "rtfcharset.h"

#include "iconvcodec.h"

namespace pemmo::formats::rtf {

const char* iconvNameForCodePage(int codePage)
{
    switch (codePage) {
    case 932:
        return "CP932";
    case 936:
        return "CP936";
    case 949:
        return "CP949";
    case 950:
        return "BIG5";
    case 1361:
        return "JOHAB";
    case 874:
        return "CP874";
    case 437:
        return "CP437";
    case 850:
        return "CP850";
    case 852:
        return "CP852";
    case 866:
        return "CP866";
    case 1250:
        return "CP1250";
    case 1251:
        return "CP1251";
    case 1252:
        return "CP1252";
    case 1253:
        return "CP1253";
    case 1254:
        return "CP1254";
    case 1255:
        return "CP1255";
    case 1256:
        return "CP1256";
    case 1257:
        return "CP1257";
    case 1258:
        return "CP1258";
    case 10000:
        return "MACINTOSH";
    case 10001:
        return "CP932"; // Mac Japanese: Shift_JIS with a few Mac symbols
    case 10007:
        return "MAC-CYRILLIC";
    case 10029:
        return "MAC-CENTRALEUROPE";
    default:
        return nullptr;
    }
}

bool isMultiByteCodePage(int codePage)
{
    return codePage == 932 || codePage == 936 || codePage == 949 || codePage == 950 || codePage == 1361 ||
        codePage == 10001;
}

int charsetForCodePage(int codePage)
{
    static constexpr int charsets[] = { 0,   2,   77,  78,  128, 129, 130, 134, 136, 161,
                                        162, 163, 177, 178, 186, 204, 222, 238, 254, 255 };
    for (const int charset : charsets) {
        if (codePageForCharset(charset) == codePage)
            return charset;
    }
    return 0;
}

int codePageForCharset(int charset)
{
    switch (charset) {
    case 0:
        return 1252;
    case 2:
        return kSymbolCodePage;
    case 77:
        return 10000;
    case 78:
        return 10001;
    case 128:
        return 932;
    case 129:
        return 949;
    case 130:
        return 1361;
    case 134:
        return 936;
    case 136:
        return 950;
    case 161:
        return 1253;
    case 162:
        return 1254;
    case 163:
        return 1258;
    case 177:
        return 1255;
    case 178:
        return 1256;
    case 186:
        return 1257;
    case 204:
        return 1251;
    case 222:
        return 874;
    case 238:
        return 1250;
    case 254:
        return 437;
    case 255:
        return 850;
    default:
        return 0; // 1 (default charset) and anything unknown follow \ansicpg
    }
}

CodePageDecoder::CodePageDecoder() = default;
CodePageDecoder::~CodePageDecoder() = default;

bool CodePageDecoder::isKnownCodePage(int codePage)
{
    return codePage == kSymbolCodePage || iconvNameForCodePage(codePage) != nullptr;
}

const CodePageDecoder::SingleByteTable& CodePageDecoder::singleByteTable(int codePage)
{
    auto& table = m_tables[codePage];
    if (!table) {
        table = std::make_unique<SingleByteTable>();
        IconvDecoder decoder(iconvNameForCodePage(codePage) ? iconvNameForCodePage(codePage) : "CP1252");
        for (int b = 0; b < 256; ++b) {
            const char byte = char(b);
            QString unit;
            if (codePage == kSymbolCodePage) {
                // Symbol-font bytes are glyph numbers; the bullet is the one that matters in lists.
                table->units[b] = b == 0xB7 ? u'\u2022' : b < 0x20 ? char16_t(b) : char16_t(0xF000 + b);
                table->valid[b] = true;
            } else if (decoder.decode(&byte, 1, unit) && unit.size() == 1) {
                table->units[b] = unit.at(0).unicode();
                table->valid[b] = true;
            } else {
                table->units[b] = QChar::ReplacementCharacter;
            }
        }
    }
    return *table;
}

IconvDecoder& CodePageDecoder::multiByteDecoder(int codePage)
{
    auto& decoder = m_decoders[codePage];
    if (!decoder)
        decoder = std::make_unique<IconvDecoder>(iconvNameForCodePage(codePage));
    return *decoder;
}

bool CodePageDecoder::decode(int codePage, QByteArrayView bytes, QString& out)
{
    if (!isKnownCodePage(codePage))
        codePage = 1252;
    bool ascii = true;
    for (const char c : bytes) {
        if (static_cast<unsigned char>(c) >= 0x80) {
            ascii = false;
            break;
        }
    }
    if (ascii && codePage != kSymbolCodePage) {
        out.append(QLatin1StringView(bytes.data(), bytes.size()));
        return true;
    }
    if (isMultiByteCodePage(codePage)) {
        IconvDecoder& decoder = multiByteDecoder(codePage);
        if (decoder.isValid())
            return decoder.decode(bytes.data(), bytes.size(), out);
        codePage = 1252;
    }
    const SingleByteTable& table = singleByteTable(codePage);
    bool clean = true;
    const qsizetype start = out.size();
    out.resize(start + bytes.size());
    QChar* data = out.data() + start;
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        data[i] = QChar(table.units[b]);
        clean = clean && table.valid[b];
    }
    return clean;
}

} // namespace pemmo::formats::rtf
