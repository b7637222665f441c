// SPDX-License-Identifier: MIT
// How the writer puts characters into bytes: each font in its own code page, and kept groups renumbered.
#include "iconvcodec.h"
#include "rtfreader.h"
#include "rtftokenizer.h"
#include "rtfwriterstate.h"

#include <QTextDocument>
#include <QVariant>

#include <memory>
#include <mutex>
#include <optional>

namespace pemmo::formats::rtf {

namespace {

using EncodeTable = std::array<quint16, 0x10000>;

// The bytes of every BMP character the code page holds both ways (0 when it does not); one or two bytes.
std::unique_ptr<EncodeTable> buildTable(int codePage)
{
    auto table = std::make_unique<EncodeTable>();
    if (codePage == kSymbolCodePage) {
        // The reader gives Symbol glyphs as U+F0xx; the bullet is read as U+2022.
        for (int b = 0x20; b < 0x100; ++b)
            (*table)[0xF000 + b] = quint16(b);
        (*table)[0x2022] = 0xB7;
        return table;
    }
    const char* const name = iconvNameForCodePage(codePage);
    if (!name)
        return table;
    if (!isMultiByteCodePage(codePage)) {
        IconvDecoder decoder(name);
        for (int b = 0x80; b < 0x100; ++b) {
            const char byte = char(b);
            QString unit;
            if (decoder.decode(&byte, 1, unit) && unit.size() == 1 && unit[0] != QChar::ReplacementCharacter &&
                !(*table)[unit[0].unicode()])
                (*table)[unit[0].unicode()] = quint16(b);
        }
        return table;
    }
    IconvEncoder encoder(name);
    QByteArray bytes;
    for (char32_t c = 0x80; c < 0x10000; ++c) {
        if (QChar::isSurrogate(c) || !legacyEncodingHolds(name, char16_t(c)))
            continue;
        const char16_t unit = char16_t(c);
        bytes.clear();
        if (!encoder.encode(QStringView(&unit, 1), bytes) || bytes.isEmpty() || bytes.size() > 2)
            continue;
        const auto first = quint8(bytes[0]);
        (*table)[c] = bytes.size() == 1 ? first : quint16(first << 8 | quint8(bytes[1]));
    }
    return table;
}

const EncodeTable& encodeTable(int codePage)
{
    static std::mutex mutex;
    static std::map<int, std::unique_ptr<EncodeTable>> tables;
    const std::lock_guard lock(mutex);
    auto& table = tables[codePage];
    if (!table)
        table = buildTable(codePage);
    return *table;
}

void appendHex(QByteArray& out, quint8 byte)
{
    static constexpr char digits[] = "0123456789abcdef";
    out.append("\\'");
    out.append(digits[byte >> 4]);
    out.append(digits[byte & 15]);
}

bool isColourWord(QByteArrayView word)
{
    static constexpr std::string_view words[] = { "cf",      "cb",      "chcbpat", "chcfpat", "highlight",
                                                  "clcbpat", "clcfpat", "cbpat",   "cfpat",   "trcbpat",
                                                  "trcfpat", "brdrcf",  "ulc" };
    const std::string_view name(word.data(), size_t(word.size()));
    return std::find(std::begin(words), std::end(words), name) != std::end(words);
}

} // namespace

void Writer::appendEncoded(QByteArray& out, QStringView text, int codePage, int unicodeSkip)
{
    const EncodeTable& table = encodeTable(codePage);
    const bool multiByte = isMultiByteCodePage(codePage) || codePage == kSymbolCodePage;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c == u'\\' || c == u'{' || c == u'}') {
            out.append('\\');
            out.append(char(c));
        } else if (c == u'\t') {
            out.append("\\tab ");
        } else if (c == QChar::LineSeparator) {
            out.append("\\line ");
        } else if (c == u'\u00A0') {
            out.append("\\~");
        } else if (c == u'\u00AD') {
            out.append("\\-");
        } else if (c == u'\u2011') {
            out.append("\\_");
        } else if (c >= 0x20 && c < 0x7F) {
            out.append(char(c));
        } else if (c < 0x80) {
            appendHex(out, quint8(c)); // control characters stay what they were
        } else if (const quint16 code = table[c]) {
            if (!multiByte && unicodeSkip == 1) {
                // A single-byte font: Unicode for every reader, its own byte as the fallback.
                out.append("\\u" + QByteArray::number(qint16(c)));
                appendHex(out, quint8(code));
                continue;
            }
            if (code > 0xFF)
                appendHex(out, quint8(code >> 8));
            appendHex(out, quint8(code & 0xFF));
        } else {
            // Outside the font's code page: Unicode with a "?" for older readers.
            out.append("\\u" + QByteArray::number(qint16(c)));
            out.append(QByteArray(unicodeSkip, '?'));
        }
    }
}

void Writer::readSourceTables()
{
    m_sourceCodePage = m_document.property(kRtfSourceCodePageProperty).toInt();
    if (m_sourceCodePage == 0)
        m_sourceCodePage = 932;
    m_sourceDefaultFont = m_document.property(kRtfSourceDefaultFontProperty).toInt();
    for (const QVariant& entry : m_document.property(kRtfSourceFontsProperty).toList()) {
        const QVariantList font = entry.toList();
        if (font.size() != 3)
            continue;
        // A font without a charset of its own meant the source's \ansicpg, which the written file does not share.
        const int declared = font[2].toInt();
        const int codePage = declared >= 0 && codePageForCharset(declared) ? codePageForCharset(declared)
                                                                           : m_sourceCodePage;
        const int charset = declared >= 0 && codePageForCharset(declared) ? declared : charsetForCodePage(codePage);
        const QString family = font[1].toString();
        m_sourceFonts.emplace(font[0].toInt(), SourceFont { family, charset, codePage });
        m_sourceCharsets.emplace(family, charset);
    }
    for (const QVariant& colour : m_document.property(kRtfSourceColoursProperty).toList())
        m_sourceColours.append(colour.value<QColor>());
    const QVariantMap styles = m_document.property(kRtfSourceStylesProperty).toMap();
    for (auto it = styles.begin(); it != styles.end(); ++it) {
        const QVariantList style = it.value().toList();
        if (style.size() != 2)
            continue;
        const int outline = style[1].toInt();
        m_sourceStyles.emplace(it.key().toInt(),
                               Style { style[0].toString(), outline >= 0 && outline < 6 ? outline + 1 : 0 });
    }
}

QByteArray Writer::remapKeptGroup(QByteArrayView group, int sourceCodePage)
{
    // What needs no change goes out byte for byte; only numbers into the tables, and text whose
    // code page differs between the source's font and the written one, are rewritten.
    struct Level
    {
        int sourceCodePage;
        int targetCodePage;
        int unicodeSkip = 1;
    };
    std::vector<Level> levels { { sourceCodePage, m_codePage } };
    QByteArray out;
    out.reserve(group.size() + 16);
    QByteArray pending; // text bytes as the source meant them
    QByteArray pendingRaw; // the same as they were written
    QString text;
    const auto flush = [&] {
        if (pending.isEmpty() && pendingRaw.isEmpty())
            return;
        const Level& level = levels.back();
        if (level.sourceCodePage == level.targetCodePage) {
            out.append(pendingRaw);
        } else {
            text.clear();
            m_decoder.decode(level.sourceCodePage, pending, text);
            appendEncoded(out, text, level.targetCodePage, level.unicodeSkip);
        }
        pending.clear();
        pendingRaw.clear();
    };
    int fallback = 0; // bytes after a \uN that stand for it in older readers: they go as they were
    Tokenizer tokenizer(group);
    for (;;) {
        const qsizetype start = tokenizer.position();
        const Token token = tokenizer.next();
        const QByteArrayView raw = group.sliced(start, tokenizer.position() - start);
        if ((token.type == Token::Type::Text || token.type == Token::Type::HexByte) && fallback > 0) {
            fallback = std::max<int>(0, fallback - int(token.type == Token::Type::Text ? token.word.size() : 1));
            flush();
            out.append(raw.toByteArray());
            continue;
        }
        if (token.type == Token::Type::Text) {
            pending.append(token.word);
            pendingRaw.append(raw.toByteArray());
            continue;
        }
        if (token.type == Token::Type::HexByte) {
            pending.append(char(token.byte));
            pendingRaw.append(raw.toByteArray());
            continue;
        }
        flush();
        if (token.type == Token::Type::End)
            return out;
        if (token.type == Token::Type::GroupStart) {
            fallback = 0;
            levels.push_back(levels.back());
        } else if (token.type == Token::Type::GroupEnd) {
            fallback = 0;
            if (levels.size() > 1)
                levels.pop_back();
        } else if (token.type == Token::Type::ControlSymbol && fallback > 0 && token.symbol != '*') {
            --fallback;
        }
        if (token.type != Token::Type::ControlWord) {
            out.append(raw.toByteArray());
            continue;
        }
        const QByteArrayView word = token.word;
        std::optional<int> renumbered;
        Level& level = levels.back();
        if (fallback > 0) {
            --fallback;
        } else if ((word == "f" || word == "af") && token.hasParameter) {
            if (const auto font = m_sourceFonts.find(token.parameter); font != m_sourceFonts.end()) {
                renumbered = fontIndex(font->second.family, font->second.charset);
                if (word == "f") {
                    level.sourceCodePage = font->second.codePage;
                    level.targetCodePage = codePageOfFont(*renumbered);
                }
            }
        } else if (word == "plain") {
            const auto font = m_sourceFonts.find(m_sourceDefaultFont);
            level.sourceCodePage = font == m_sourceFonts.end() ? m_sourceCodePage : font->second.codePage;
            level.targetCodePage = codePageOfFont(0);
        } else if (isColourWord(word) && token.hasParameter) {
            const int value = token.parameter;
            const QColor colour = value > 0 && value < m_sourceColours.size() ? m_sourceColours[value] : QColor();
            renumbered = colour.isValid() ? colourIndex(colour) : 0;
        } else if (word == "s" && token.hasParameter) {
            if (const auto style = m_sourceStyles.find(token.parameter); style != m_sourceStyles.end())
                renumbered = styleIndex(style->second.name, style->second.headingLevel);
        } else if (word == "uc" && token.hasParameter) {
            level.unicodeSkip = std::clamp(token.parameter, 0, 16);
        } else if (word == "u") {
            fallback = level.unicodeSkip;
        }
        if (word == "bin") {
            out.append(raw.toByteArray());
            out.append(tokenizer.takeBinary(std::max(token.parameter, 0)).toByteArray());
        } else if (renumbered && *renumbered != token.parameter) {
            out.append('\\');
            out.append(word.data(), word.size());
            out.append(QByteArray::number(*renumbered));
            if (raw.endsWith(' '))
                out.append(' '); // the delimiter it had
        } else {
            out.append(raw.toByteArray());
        }
    }
}

} // namespace pemmo::formats::rtf
