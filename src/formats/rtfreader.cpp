// SPDX-License-Identifier: MIT
#include "rtfreader.h"

#include "formattexts.h"
#include "rtfreaderstate.h"

#include <QTextDocument>
#include <QVariant>

namespace pemmo::formats {

bool looksLikeRtf(QByteArrayView data)
{
    return data.startsWith("{\\rtf");
}

std::optional<RtfReadResult> readRtf(QByteArrayView data)
{
    if (!looksLikeRtf(data))
        return std::nullopt;
    rtf::Reader reader(data);
    if (!reader.run())
        return std::nullopt;
    RtfReadResult result;
    result.lossy = reader.lossy();
    result.truncated = reader.truncated();
    result.unkept = reader.unkept();
    result.document = reader.takeDocument();
    return result;
}

namespace rtf {

namespace {

bool isEastAsian(QChar c)
{
    const char16_t u = c.unicode();
    return (u >= 0x2E80 && u <= 0x9FFF) || (u >= 0xAC00 && u <= 0xD7AF) || (u >= 0xF900 && u <= 0xFAFF) ||
        (u >= 0xFE30 && u <= 0xFE4F) || (u >= 0xFF00 && u <= 0xFFEF) || c.isSurrogate();
}

// Real documents nest a few dozen groups; deeper ones share the deepest state instead of growing the stack.
constexpr std::size_t kMaxDepth = 256;
constexpr qsizetype kMaxPictureBytes = 32 * 1024 * 1024;

} // namespace

Reader::Reader(QByteArrayView data)
    : m_tokenizer(data)
    , m_input(data)
{
    m_stack.reserve(64);
    m_builder.setTables(&m_fonts, &m_colours, &m_links);
}

bool Reader::run()
{
    while (!m_finished) {
        const Token token = m_tokenizer.next();
        const bool atGroupStart = m_atGroupStart;
        m_atGroupStart = false;
        switch (token.type) {
        case Token::Type::End:
            // Ran out before the outermost group closed: keep what was read, but say that something is missing.
            // That is not lossy: no byte that was read went unread, and the missing end is named on its own.
            flushBytes();
            m_truncated = true;
            noteUnkept(kUnkeptFileEnd);
            m_finished = true;
            break;
        case Token::Type::GroupStart:
            openGroup();
            break;
        case Token::Type::GroupEnd:
            closeGroup();
            break;
        case Token::Type::ControlWord:
            if (m_stack.empty())
                return false;
            controlWord(token.word, token.hasParameter, token.parameter);
            break;
        case Token::Type::ControlSymbol:
            if (!m_stack.empty() && (token.symbol != '*' || atGroupStart))
                controlSymbol(token.symbol);
            break;
        case Token::Type::Text:
            if (!m_stack.empty())
                textBytes(token.word);
            break;
        case Token::Type::HexByte:
            if (!m_stack.empty()) {
                const char byte = char(token.byte);
                if (state().destination == Destination::Picture)
                    break; // pictures are hex digits, not escapes
                textBytes(QByteArrayView(&byte, 1));
            }
            break;
        }
    }
    resolveSurrogate();
    return true;
}

std::unique_ptr<QTextDocument> Reader::takeDocument()
{
    const ParaProps last = m_stack.empty() ? ParaProps {} : m_stack.front().para;
    std::unique_ptr<QTextDocument> document = m_builder.finish(resolved(m_lastPara.has_value() ? *m_lastPara : last));
    if (!m_documentGroups.isEmpty())
        document->setProperty(kRtfDocumentGroupsProperty, m_documentGroups);
    if (!m_pageSetup.isEmpty())
        document->setProperty(kRtfPageSetupProperty, m_pageSetup);
    QVariantList fonts;
    for (const FontEntry& font : m_fonts)
        fonts.append(QVariant(QVariantList { font.number, font.name, font.charset }));
    document->setProperty(kRtfSourceFontsProperty, fonts);
    QVariantList colours;
    for (const QColor& colour : m_colours)
        colours.append(colour);
    document->setProperty(kRtfSourceColoursProperty, colours);
    QVariantMap styles;
    for (const auto& [number, style] : m_styles)
        styles.insert(QString::number(number), QVariantList { style.name, style.outlineLevel });
    document->setProperty(kRtfSourceStylesProperty, styles);
    document->setProperty(kRtfSourceCodePageProperty, m_ansiCodePage);
    document->setProperty(kRtfSourceDefaultFontProperty, m_defaultFont);
    if (m_defaultHalfPoints > 0)
        document->setProperty(kRtfSourceDefaultSizeProperty, m_defaultHalfPoints);
    if (const auto it = m_fontNumbers.find(m_defaultEastAsianFont); it != m_fontNumbers.end())
        document->setProperty(kRtfSourceDefaultEastAsianFaceProperty, m_fonts[it->second].name);
    return document;
}

void Reader::openGroup()
{
    flushBytes();
    m_skipFallback = 0;
    m_starPending = false;
    m_atGroupStart = true;
    if (m_stack.empty()) {
        m_stack.emplace_back();
        return;
    }
    const qsizetype groupStart = m_tokenizer.position() - 1;
    if (m_stack.size() >= kMaxDepth) {
        ++m_excessDepth;
        return;
    }
    GroupState& parent = state();
    GroupState child = parent;
    child.ownsDestination = false;
    child.upr = false;
    child.uprChildren = 0;
    child.fieldOwner = false;
    child.nestTableProps = parent.nestTableProps;
    child.keep = GroupState::Keep::No;
    child.rawStart = groupStart;
    if (child.destination == Destination::StyleSheet) {
        commitStyle();
        m_styleNumber = 0;
        m_styleOutline = -1;
        m_styleIsParagraph = true;
    }
    if (parent.upr && ++parent.uprChildren == 1)
        child.destination = Destination::Skip; // the ANSI twin; the \ud twin that follows holds the text
    m_stack.push_back(std::move(child));
}

void Reader::closeGroup()
{
    flushBytes();
    m_skipFallback = 0;
    m_starPending = false;
    if (m_excessDepth > 0) {
        --m_excessDepth;
        return;
    }
    if (m_stack.empty())
        return;
    const GroupState& closing = state();
    if (closing.destination == Destination::Picture && closing.ownsDestination)
        finishPicture();
    if (closing.destination == Destination::FontTable)
        commitFont();
    if (closing.destination == Destination::StyleSheet)
        commitStyle();
    if (closing.destination == Destination::FieldInstruction && closing.ownsDestination && !m_fields.empty() &&
        m_fields.back().link < 0)
        m_fields.back().link = hyperlinkTarget(m_fields.back().instruction, m_links);
    if (closing.destination == Destination::ParaNumbering && closing.ownsDestination && m_stack.size() >= 2) {
        ParaProps& para = m_stack[m_stack.size() - 2].para;
        para.oldNumbering = m_pnStyle;
        para.listLevel = m_pnLevel;
        para.pnFormat = m_pnFormat;
        para.pnStart = m_pnStart;
        para.pnBefore = m_pnBefore;
        para.pnAfter = m_pnAfter;
    }
    if (closing.destination == Destination::LevelText && closing.ownsDestination)
        finishLevelText();
    if (closing.fieldOwner)
        finishField();
    const GroupState::Keep keep = closing.ownsDestination ? closing.keep : GroupState::Keep::No;
    QByteArray kept;
    if (keep != GroupState::Keep::No && m_stack.size() > 1) {
        const qsizetype end = std::min(m_tokenizer.position(), m_input.size());
        if (closing.rawStart >= 0 && closing.rawStart < end)
            kept = m_input.sliced(closing.rawStart, end - closing.rawStart).toByteArray();
    }
    if (m_stack.size() == 1) {
        // The paragraph properties that hold at the end belong to the last paragraph.
        m_lastPara = closing.para;
        m_finished = true;
        return;
    }
    m_stack.pop_back();
    if (kept.isEmpty())
        return;
    if (keep == GroupState::Keep::Inline) {
        resolveSurrogate();
        syncTable();
        m_builder.insertKeptGroup(kept, state().chars);
    } else {
        m_documentGroups += kept;
        m_documentGroups += "\r\n";
    }
}

void Reader::setDestination(Destination destination)
{
    flushBytes();
    GroupState& current = state();
    current.destination = destination;
    current.ownsDestination = true;
    if (destination == Destination::Picture) {
        m_pictureKind = PictureKind::None;
        m_picture.clear();
        m_pictureNibble = -1;
        m_pictureTooLarge = false;
        m_picWidthGoal = m_picHeightGoal = 0;
        m_picScaleX = m_picScaleY = 100;
        m_pictureWords.clear();
    } else if (destination == Destination::FontTable) {
        m_fontOpen = false;
        m_fontName.clear();
    } else if (destination == Destination::ColourTable) {
        m_red = m_green = m_blue = -1;
    } else if (destination == Destination::ParaNumbering) {
        m_pnStyle = QTextListFormat::ListDecimal;
        m_pnLevel = 0;
        m_pnFormat = 0;
        m_pnStart = 1;
        m_pnBefore.clear();
        m_pnAfter.clear();
    } else if (destination == Destination::LevelText) {
        m_levelText.clear();
        m_levelBytes.clear();
    } else if (destination == Destination::StyleSheet) {
        m_styleName.clear();
        m_styleNumber = 0;
        m_styleOutline = -1;
        m_styleIsParagraph = true;
        m_styleEastAsian = false;
    }
}

int Reader::currentCodePage()
{
    const CharProps& chars = state().chars;
    int font = chars.eastAsian && chars.eaFont >= 0 ? chars.eaFont : chars.font;
    if (font < 0) {
        const auto it = m_fontNumbers.find(m_defaultFont);
        font = it == m_fontNumbers.end() ? -1 : it->second;
    }
    if (font >= 0 && font < int(m_fonts.size()) && m_fonts[font].codePage != 0)
        return m_fonts[font].codePage;
    return m_ansiCodePage;
}

void Reader::textBytes(QByteArrayView bytes)
{
    switch (state().destination) {
    case Destination::Skip:
    case Destination::ListTable:
    case Destination::ListOverrideTable:
    case Destination::ParaNumbering:
        return;
    case Destination::LevelText: {
        const qsizetype skipped = std::min<qsizetype>(m_skipFallback, bytes.size());
        m_skipFallback -= int(skipped);
        if (m_levelBytes.size() < 256)
            m_levelBytes.append(bytes.sliced(skipped));
        return;
    }
    case Destination::StyleSheet:
        styleSheetBytes(bytes);
        return;
    case Destination::FontTable:
        fontTableBytes(bytes);
        return;
    case Destination::ColourTable:
        colourTableText(bytes);
        return;
    case Destination::Picture:
        pictureBytes(bytes);
        return;
    case Destination::FieldInstruction:
    case Destination::Body:
        break;
    }
    if (m_skipFallback > 0) {
        const qsizetype skipped = std::min<qsizetype>(m_skipFallback, bytes.size());
        m_skipFallback -= int(skipped);
        bytes = bytes.sliced(skipped);
        if (bytes.isEmpty())
            return;
    }
    // Field instructions wait with the text, so a double-byte pair in them decodes as one character too.
    const int codePage = currentCodePage();
    const Destination destination = state().destination;
    if (!m_bytes.isEmpty() &&
        (codePage != m_bytesCodePage || !(state().chars == m_bytesProps) || destination != m_bytesDestination))
        flushBytes();
    if (m_bytes.isEmpty()) {
        m_bytesCodePage = codePage;
        m_bytesProps = state().chars;
        m_bytesDestination = destination;
    }
    m_bytes.append(bytes);
}

void Reader::flushBytes()
{
    if (m_bytes.isEmpty())
        return;
    m_decoded.clear();
    if (!m_decoder.decode(m_bytesCodePage, m_bytes, m_decoded))
        m_lossy = true;
    m_bytes.clear();
    if (m_bytesDestination == Destination::FieldInstruction)
        fieldInstructionText(m_decoded);
    else
        emitText(m_decoded, m_bytesProps);
}

void Reader::emitText(QStringView text, const CharProps& props)
{
    if (text.isEmpty())
        return;
    resolveSurrogate();
    emitRaw(text, props);
}

void Reader::emitRaw(QStringView text, const CharProps& props)
{
    m_bodyStarted = true;
    if (props.hidden && state().destination == Destination::Body) {
        // Hidden text stays hidden: kept on a marker and written back as it was, never shown as text.
        QByteArray group = "{\\v ";
        for (const QChar c : text) {
            const char16_t u = c.unicode();
            if (u == u'\\' || u == u'{' || u == u'}')
                group += '\\' + QByteArray(1, char(u));
            else if (u >= 0x20 && u < 0x7F)
                group += char(u);
            else if (u == u'\t')
                group += "\\tab ";
            else
                group += "\\u" + QByteArray::number(qint16(u)) + '?';
        }
        group += '}';
        CharProps around = props;
        around.hidden = false;
        syncTable();
        m_builder.insertKeptGroup(group, around);
        return;
    }
    CharProps shown = props;
    if (!m_fields.empty()) {
        m_fields.back().resultHasText = true;
        for (auto it = m_fields.rbegin(); it != m_fields.rend(); ++it) {
            if (it->link >= 0) {
                shown.link = it->link;
                break;
            }
        }
    }
    syncTable();
    // With a western face of its own, the East Asian face stays beside it on every character (the format holds
    // both); without one, only the East Asian characters take it.
    const bool facesApart = shown.eaFont >= 0 && shown.font < 0;
    const bool eastAsianOwn = shown.eaBold >= 0 || shown.eaItalic >= 0 || shown.eaHalfPoints > 0 || facesApart;
    CharProps common = shown;
    common.eastAsian = false;
    common.eaBold = common.eaItalic = -1;
    common.eaFont = facesApart ? -1 : shown.eaFont;
    common.eaHalfPoints = 0;
    if (m_cellPending) {
        m_cellPending = false;
        m_builder.appendText(u"\t", common);
    }
    if (!eastAsianOwn) {
        m_builder.appendText(text, common);
        return;
    }
    // \ab, \ai, \afs and \af after \dbch change the East Asian characters only.
    CharProps eastAsian = common;
    if (shown.eaBold >= 0)
        eastAsian.bold = shown.eaBold != 0;
    if (shown.eaItalic >= 0)
        eastAsian.italic = shown.eaItalic != 0;
    if (shown.eaHalfPoints > 0)
        eastAsian.halfPoints = shown.eaHalfPoints;
    if (facesApart) {
        eastAsian.font = -1;
        eastAsian.eaFont = shown.eaFont;
    }
    qsizetype start = 0;
    while (start < text.size()) {
        const bool wide = isEastAsian(text[start]);
        qsizetype end = start + 1;
        while (end < text.size() && isEastAsian(text[end]) == wide)
            ++end;
        m_builder.appendText(text.sliced(start, end - start), wide ? eastAsian : common);
        start = end;
    }
}

void Reader::resolveSurrogate()
{
    if (!m_highSurrogate)
        return;
    // An unpaired half cannot be shown; "?" marks the place as other readers do.
    m_highSurrogate = 0;
    emitRaw(u"?", state().chars);
}

void Reader::emitUnicode(int value)
{
    flushBytes();
    // Only -32768..65535 name a UTF-16 unit; anything else (and \u0, a NUL) is damage, not a character.
    const bool valid = value >= -32768 && value <= 65535 && value != 0;
    if (!valid)
        m_lossy = true;
    const auto unit = valid ? char16_t(value < 0 ? value + 65536 : value) : char16_t(QChar::ReplacementCharacter);
    if (state().destination == Destination::FieldInstruction) {
        fieldInstructionText(QStringView(&unit, 1));
        m_skipFallback = state().unicodeSkip;
        return;
    }
    if (QChar::isHighSurrogate(unit)) {
        resolveSurrogate();
        m_highSurrogate = unit;
    } else if (QChar::isLowSurrogate(unit)) {
        if (m_highSurrogate) {
            const char16_t pair[2] = { m_highSurrogate, unit };
            m_highSurrogate = 0;
            emitRaw(QStringView(pair, 2), state().chars);
        } else {
            emitRaw(u"?", state().chars);
        }
    } else {
        const char16_t single = unit;
        emitText(QStringView(&single, 1), state().chars);
    }
    m_skipFallback = state().unicodeSkip;
}

void Reader::emitUnit(char16_t unit)
{
    flushBytes();
    emitText(QStringView(&unit, 1), state().chars);
}

void Reader::endParagraph()
{
    m_bodyStarted = true;
    flushBytes();
    resolveSurrogate();
    m_cellPending = false;
    syncTable();
    m_builder.endParagraph(resolved(state().para));
}

void Reader::binary(qint64 count)
{
    flushBytes();
    const QByteArrayView bytes = m_tokenizer.takeBinary(std::max<qint64>(count, 0));
    if (state().destination == Destination::Picture && !m_pictureTooLarge) {
        if (m_picture.size() + bytes.size() > kMaxPictureBytes)
            m_pictureTooLarge = true;
        else
            m_picture.append(bytes);
    } else if (state().destination == Destination::Body && m_skipFallback > 0) {
        --m_skipFallback;
    }
}

void Reader::fontTableBytes(QByteArrayView bytes)
{
    for (const char c : bytes) {
        if (c == ';') {
            commitFont();
        } else if (m_fontName.size() < 1024) {
            m_fontName.append(c);
            m_fontOpen = true;
        }
    }
}

void Reader::startFont(int number)
{
    commitFont();
    m_fontNumber = number;
    m_fontCharset = -1;
}

void Reader::commitFont()
{
    if (!m_fontOpen && m_fontName.isEmpty())
        return;
    FontEntry entry;
    entry.codePage = m_fontCharset >= 0 ? codePageForCharset(m_fontCharset) : 0;
    entry.number = m_fontNumber;
    entry.charset = m_fontCharset;
    QString name;
    // A Japanese face name is written in its own charset (\'82\'6c\'82\'72 = ＭＳ).
    m_decoder.decode(entry.codePage > 0 && entry.codePage != kSymbolCodePage ? entry.codePage : m_ansiCodePage,
                     m_fontName, name);
    entry.name = name.trimmed();
    m_fontName.clear();
    m_fontOpen = false;
    const auto it = m_fontNumbers.find(m_fontNumber);
    if (it != m_fontNumbers.end()) {
        if (m_fonts[it->second].name.isEmpty())
            m_fonts[it->second] = entry;
        return;
    }
    m_fontNumbers.emplace(m_fontNumber, int(m_fonts.size()));
    m_fonts.push_back(std::move(entry));
}

void Reader::colourTableText(QByteArrayView bytes)
{
    for (const char c : bytes) {
        if (c != ';')
            continue;
        // An entry without components is "automatic" (usually the first).
        if (m_red < 0 && m_green < 0 && m_blue < 0)
            m_colours.emplace_back();
        else
            m_colours.emplace_back(std::clamp(m_red, 0, 255), std::clamp(m_green, 0, 255), std::clamp(m_blue, 0, 255));
        m_red = m_green = m_blue = -1;
    }
}

void Reader::pictureBytes(QByteArrayView bytes)
{
    if (m_pictureTooLarge || (m_pictureKind != PictureKind::Png && m_pictureKind != PictureKind::Jpeg))
        return;
    for (const char c : bytes) {
        const int digit = hexValue(c);
        if (digit < 0)
            continue;
        if (m_pictureNibble < 0) {
            m_pictureNibble = digit;
            continue;
        }
        if (m_picture.size() >= kMaxPictureBytes) {
            m_pictureTooLarge = true;
            return;
        }
        m_picture.append(char(m_pictureNibble * 16 + digit));
        m_pictureNibble = -1;
    }
}

void Reader::finishPicture()
{
    if ((m_pictureKind == PictureKind::Png || m_pictureKind == PictureKind::Jpeg) && !m_pictureTooLarge &&
        !m_picture.isEmpty()) {
        resolveSurrogate();
        syncTable();
        if (m_cellPending) {
            m_cellPending = false;
            m_builder.appendText(u"\t", state().chars);
        }
        const qint64 width = qint64(m_picWidthGoal) * m_picScaleX / 100;
        const qint64 height = qint64(m_picHeightGoal) * m_picScaleY / 100;
        if (!m_builder.insertPicture(m_picture, int(std::clamp<qint64>(width, 0, 1'000'000)),
                                     int(std::clamp<qint64>(height, 0, 1'000'000)), state().chars, m_pictureWords))
            noteUnkept(kUnkeptPicture);
    } else {
        noteUnkept(kUnkeptPicture); // a metafile or bitmap the view cannot show is not written back either
    }
    m_picture.clear();
    m_pictureKind = PictureKind::None;
}

void Reader::fieldInstructionText(QStringView text)
{
    if (!m_fields.empty() && m_fields.back().instruction.size() < 4096)
        m_fields.back().instruction.append(text.left(4096));
}

} // namespace rtf
} // namespace pemmo::formats
