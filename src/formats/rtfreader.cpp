// SPDX-License-Identifier: MIT
#include "rtfreader.h"

#include "rtfreaderstate.h"

#include <QRegularExpression>
#include <QTextDocument>
#include <QTextList>

namespace pemmo::formats {

bool looksLikeRtf(QByteArrayView data)
{
    return data.startsWith("{\\rtf");
}

namespace {

int listStyleForNumberFormat(int levelNumberFormat)
{
    switch (levelNumberFormat) {
    case 1:
        return QTextListFormat::ListUpperRoman;
    case 2:
        return QTextListFormat::ListLowerRoman;
    case 3:
        return QTextListFormat::ListUpperAlpha;
    case 4:
        return QTextListFormat::ListLowerAlpha;
    case 23:
        return QTextListFormat::ListDisc;
    case 255:
        return QTextListFormat::ListStyleUndefined; // no number: a plain indented paragraph
    default:
        return QTextListFormat::ListDecimal; // the many East Asian counting styles count as numbers
    }
}

int hyperlinkTarget(QStringView instruction, std::vector<QString>& links)
{
    // HYPERLINK "url" [\o "tip"] or HYPERLINK \l "bookmark"
    instruction = instruction.trimmed();
    if (!instruction.startsWith(u"HYPERLINK", Qt::CaseInsensitive) || links.size() >= 100000)
        return -1;
    QStringList words;
    QString word;
    bool quoted = false;
    for (const QChar c : instruction.sliced(9)) {
        if (c == u'"') {
            quoted = !quoted;
            if (!quoted) {
                words.append(word);
                word.clear();
            }
        } else if (!quoted && c.isSpace()) {
            if (!word.isEmpty())
                words.append(word);
            word.clear();
        } else {
            word.append(c);
        }
    }
    if (!word.isEmpty())
        words.append(word);
    QString target;
    for (qsizetype i = 0; i < words.size(); ++i) {
        if (words[i] == u"\\l" && i + 1 < words.size()) {
            target = u'#' + words[++i];
        } else if (words[i].startsWith(u'\\')) {
            ++i; // a switch and its argument
        } else if (target.isEmpty()) {
            target = words[i];
        }
    }
    if (target.isEmpty())
        return -1;
    links.push_back(target);
    return int(links.size() - 1);
}

} // namespace

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
    return m_builder.finish(resolved(m_lastPara.has_value() ? *m_lastPara : last));
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
    child.nestTableProps = parent.nestTableProps;
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
    if (closing.destination == Destination::FieldInstruction && closing.ownsDestination && !m_fields.empty()
        && m_fields.back().link < 0)
        m_fields.back().link = hyperlinkTarget(m_fields.back().instruction, m_links);
    if (closing.destination == Destination::ParaNumbering && closing.ownsDestination && m_stack.size() >= 2) {
        ParaProps& para = m_stack[m_stack.size() - 2].para;
        para.oldNumbering = m_pnStyle;
        para.listLevel = m_pnLevel;
    }
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
    } else if (destination == Destination::ParaNumbering) {
        m_pnStyle = QTextListFormat::ListDecimal;
        m_pnLevel = 0;
    } else if (destination == Destination::StyleSheet) {
        m_styleName.clear();
        m_styleNumber = 0;
        m_styleOutline = -1;
        m_styleIsParagraph = true;
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
    case Destination::ListTable:
    case Destination::ListOverrideTable:
    case Destination::ParaNumbering:
        return;
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
    if (!m_bytes.isEmpty()
        && (codePage != m_bytesCodePage || !(state().chars == m_bytesProps) || destination != m_bytesDestination))
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
    if (m_cellPending) {
        m_cellPending = false;
        m_builder.appendText(u"\t", shown);
    }
    m_builder.appendText(text, shown);
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
    syncTable();
    m_builder.endParagraph(resolved(state().para));
}

void Reader::syncTable()
{
    if (state().para.inTable)
        m_builder.enterCell(m_rowDef.size());
    else if (m_builder.inTable())
        m_builder.leaveTable();
}

void Reader::cellEnd(bool nested)
{
    flushBytes();
    resolveSurrogate();
    if (nested) {
        // A table inside a cell is flattened into the outer cell: its cells become tab-separated text.
        if (m_cellPending)
            m_builder.appendText(u"\t", state().chars); // an empty cell still separates its neighbours
        m_cellPending = true;
        return;
    }
    m_cellPending = false;
    m_builder.enterCell(m_rowDef.size());
    m_builder.endCell(resolved(state().para));
}

void Reader::rowEnd()
{
    flushBytes();
    resolveSurrogate();
    m_cellPending = false;
    if (m_builder.inTable())
        m_builder.endRow(m_rowDef);
    else
        m_builder.endParagraph(resolved(state().para));
}

void Reader::pageBreak()
{
    flushBytes();
    resolveSurrogate();
    syncTable();
    if (m_builder.blockHasText())
        endParagraph();
    m_builder.pageBreak();
}

ParaProps Reader::resolved(const ParaProps& props) const
{
    ParaProps out = props;
    int outline = props.outlineLevel;
    if (const auto style = m_styles.find(props.style); props.style >= 0 && style != m_styles.end()) {
        out.styleName = style->second.name;
        if (outline < 0)
            outline = style->second.outlineLevel;
        if (outline < 0) {
            // Writers that leave out \outlinelevel still name their heading styles.
            static const QRegularExpression heading(
                QStringLiteral("^(?:heading|見出し)\\s*([1-9])$"), QRegularExpression::CaseInsensitiveOption);
            const QRegularExpressionMatch match = heading.match(out.styleName);
            if (match.hasMatch())
                outline = match.captured(1).toInt() - 1;
        }
    }
    if (outline >= 0 && outline < 6)
        out.headingLevel = outline + 1;
    if (props.listOverride > 0 || (props.listOverride == 0 && m_listOverrides.count(0))) {
        out.listKey = props.listOverride;
        int format = 0;
        if (const auto list = m_listOverrides.find(props.listOverride); list != m_listOverrides.end()) {
            if (const auto def = m_listDefs.find(list->second); def != m_listDefs.end()) {
                if (props.listLevel >= 0 && props.listLevel < int(def->second.size()))
                    format = def->second[props.listLevel];
            }
        }
        out.listStyle = listStyleForNumberFormat(format);
        // Bullets change shape by level, as word processors draw them.
        static constexpr int bullets[]
            = { QTextListFormat::ListDisc, QTextListFormat::ListCircle, QTextListFormat::ListSquare };
        if (out.listStyle == QTextListFormat::ListDisc)
            out.listStyle = bullets[props.listLevel % 3];
    } else if (props.oldNumbering != 0) {
        out.listKey = -100 + props.oldNumbering; // one run of numbering per kind, as \pn continues it
        out.listStyle = props.oldNumbering;
    }
    return out;
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
        syncTable();
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
    if (!m_fields.empty() && m_fields.back().instruction.size() < 4096)
        m_fields.back().instruction.append(text.left(4096));
}

void Reader::styleSheetBytes(QByteArrayView bytes)
{
    for (const char c : bytes) {
        if (c == ';')
            commitStyle();
        else if (m_styleName.size() < 256)
            m_styleName.append(c);
    }
}

void Reader::commitStyle()
{
    const QByteArray name = m_styleName.trimmed();
    m_styleName.clear();
    if (name.isEmpty() || !m_styleIsParagraph || m_styles.size() >= 4096)
        return;
    StyleDef style;
    m_decoder.decode(m_ansiCodePage, name, style.name);
    style.outlineLevel = m_styleOutline;
    m_styles.insert_or_assign(m_styleNumber, std::move(style));
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
