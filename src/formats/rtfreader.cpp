// SPDX-License-Identifier: MIT
#include "rtfreader.h"

#include "rtfreaderstate.h"

#include <QTextDocument>

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
    result.document = reader.takeDocument();
    return result;
}

namespace rtf {

namespace {

// Real documents nest a few dozen groups; deeper ones share the deepest state instead of growing the stack.
constexpr std::size_t kMaxDepth = 256;
constexpr qsizetype kMaxPictureBytes = 32 * 1024 * 1024;

} // namespace

Reader::Reader(QByteArrayView data)
    : m_tokenizer(data)
{
    m_stack.reserve(64);
    m_builder.setTables(&m_fonts, &m_colours);
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
            flushBytes();
            m_lossy = true;
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
    if (m_tokenizer.truncated())
        m_lossy = true;
    resolveSurrogate();
    return true;
}

std::unique_ptr<QTextDocument> Reader::takeDocument()
{
    const ParaProps last = m_stack.empty() ? ParaProps {} : m_stack.front().para;
    return m_builder.finish(m_lastPara.has_value() ? *m_lastPara : last);
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
    if (closing.fieldOwner)
        finishField();
    if (m_stack.size() == 1) {
        // The paragraph properties that hold at the end belong to the last paragraph.
        m_lastPara = closing.para;
        m_finished = true;
        return;
    }
    m_stack.pop_back();
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
    } else if (destination == Destination::FontTable) {
        m_fontOpen = false;
        m_fontName.clear();
    } else if (destination == Destination::ColourTable) {
        m_red = m_green = m_blue = -1;
    }
}

int Reader::currentCodePage()
{
    int font = state().chars.font;
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
    case Destination::FieldInstruction: {
        QString decoded;
        m_decoder.decode(currentCodePage(), bytes, decoded);
        fieldInstructionText(decoded);
        return;
    }
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
    const int codePage = currentCodePage();
    if (!m_bytes.isEmpty() && (codePage != m_bytesCodePage || !(state().chars == m_bytesProps)))
        flushBytes();
    if (m_bytes.isEmpty()) {
        m_bytesCodePage = codePage;
        m_bytesProps = state().chars;
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
    if (!m_fields.empty())
        m_fields.back().resultHasText = true;
    if (m_cellPending) {
        m_cellPending = false;
        m_builder.appendText(u"\t", props);
    }
    m_builder.appendText(text, props);
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
    flushBytes();
    resolveSurrogate();
    m_cellPending = false;
    m_builder.endParagraph(state().para);
}

void Reader::cellEnd()
{
    flushBytes();
    resolveSurrogate();
    if (m_cellPending)
        m_builder.appendText(u"\t", state().chars); // an empty cell still separates its neighbours
    m_cellPending = true;
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
    QString name;
    // A Japanese face name is written in its own charset (\'82\'6c\'82\'72 = ＭＳ).
    m_decoder.decode(
        entry.codePage > 0 && entry.codePage != kSymbolCodePage ? entry.codePage : m_ansiCodePage, m_fontName, name);
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
    if ((m_pictureKind == PictureKind::Png || m_pictureKind == PictureKind::Jpeg) && !m_pictureTooLarge
        && !m_picture.isEmpty()) {
        resolveSurrogate();
        if (m_cellPending) {
            m_cellPending = false;
            m_builder.appendText(u"\t", state().chars);
        }
        const qint64 width = qint64(m_picWidthGoal) * m_picScaleX / 100;
        const qint64 height = qint64(m_picHeightGoal) * m_picScaleY / 100;
        m_builder.insertPicture(m_picture, int(std::clamp<qint64>(width, 0, 1'000'000)),
            int(std::clamp<qint64>(height, 0, 1'000'000)), state().chars);
    }
    m_picture.clear();
    m_pictureKind = PictureKind::None;
}

void Reader::fieldInstructionText(QStringView text)
{
    if (m_skipFallback > 0) {
        const qsizetype skipped = std::min<qsizetype>(m_skipFallback, text.size());
        m_skipFallback -= int(skipped);
        text = text.sliced(skipped);
    }
    if (!m_fields.empty() && m_fields.back().instruction.size() < 4096)
        m_fields.back().instruction.append(text.left(4096));
}

namespace {

// The base text of a Japanese ruby written as an EQ field: EQ \o\ad(\s\up 9(ruby),base).
QString eqBaseText(QStringView instruction)
{
    instruction = instruction.trimmed();
    if (!instruction.startsWith(u"EQ", Qt::CaseInsensitive))
        return {};
    const qsizetype overstrike = instruction.indexOf(u"\\o");
    const qsizetype open = overstrike < 0 ? -1 : instruction.indexOf(u'(', overstrike);
    if (open < 0)
        return {};
    int depth = 0;
    qsizetype lastComma = open;
    for (qsizetype i = open; i < instruction.size(); ++i) {
        const QChar c = instruction[i];
        if (c == u'(') {
            ++depth;
        } else if (c == u')') {
            if (--depth == 0)
                return instruction.sliced(lastComma + 1, i - lastComma - 1).trimmed().toString();
        } else if (c == u',' && depth == 1) {
            lastComma = i;
        }
    }
    return {};
}

} // namespace

void Reader::finishField()
{
    if (m_fields.empty())
        return;
    const FieldFrame field = std::move(m_fields.back());
    m_fields.pop_back();
    if (field.resultHasText || state().destination != Destination::Body)
        return;
    const QString base = eqBaseText(field.instruction);
    if (!base.isEmpty())
        emitText(base, state().chars);
}

} // namespace rtf
} // namespace pemmo::formats
