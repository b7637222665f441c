// SPDX-License-Identifier: MIT
// The reader's structures: tables, lists, paragraph styles and fields.
#include "formattexts.h"
#include "rtfreaderstate.h"

#include <QRegularExpression>
#include <QTextListFormat>

namespace pemmo::formats::rtf {

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
        noteUnkept(kUnkeptNestedTable);
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
    if (m_builder.inTable()) {
        if (m_rowPadding >= 0 || m_rowGap >= 0)
            m_builder.setCellPaddingTwips(m_rowPadding >= 0 ? m_rowPadding : m_rowGap);
        m_builder.endRow(m_rowDef);
    } else
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

void Reader::flushLevelBytes()
{
    if (m_levelBytes.isEmpty())
        return;
    const int codePage = currentCodePage();
    m_decoder.decode(codePage == kSymbolCodePage ? m_ansiCodePage : codePage, m_levelBytes, m_levelText);
    m_levelBytes.clear();
}

void Reader::finishLevelText()
{
    flushLevelBytes();
    if (m_pnTextKind == 1) {
        m_pnBefore = m_levelText.left(32);
        return;
    }
    if (m_pnTextKind == 2) {
        m_pnAfter = m_levelText.left(32);
        return;
    }
    // \'02\'00.; : the length, then the text with the level placeholders.
    const qsizetype end = m_levelText.indexOf(u';');
    const QString text = end < 0 ? m_levelText : m_levelText.first(end);
    if (text.isEmpty() || m_listLevels.empty())
        return;
    ListLevelDef& level = m_listLevels.back();
    level.text = text.mid(1, text[0].unicode());
    level.hasText = true;
    // A bullet written as a Symbol or Wingdings byte was decoded in the text's code page; show the glyph it draws.
    static const std::pair<char16_t, char16_t> symbolBullets[] = { { u'\u00B7', u'\u2022' }, { u'\uFF77', u'\u2022' },
                                                                   { u'\u00A7', u'\u25AA' }, { u'\uFF67', u'\u25AA' },
                                                                   { u'o', u'\u25E6' },      { u'\uF0B7', u'\u2022' },
                                                                   { u'\uF0A7', u'\u25AA' } };
    if (level.format == 23 && level.text.size() == 1) {
        for (const auto& [read, shown] : symbolBullets) {
            if (level.text[0] == QChar(read))
                level.text = QChar(shown);
        }
    }
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
            static const QRegularExpression heading(QStringLiteral("^(?:heading|見出し)\\s*([1-9])$"),
                                                    QRegularExpression::CaseInsensitiveOption);
            const QRegularExpressionMatch match = heading.match(out.styleName);
            if (match.hasMatch())
                outline = match.captured(1).toInt() - 1;
        }
    }
    if (outline >= 0 && outline < 6)
        out.headingLevel = outline + 1;
    if (props.listOverride > 0 || (props.listOverride == 0 && m_listOverrides.count(0))) {
        out.listKey = props.listOverride;
        ListLevelDef level;
        if (const auto list = m_listOverrides.find(props.listOverride); list != m_listOverrides.end()) {
            if (const auto def = m_listDefs.find(list->second); def != m_listDefs.end()) {
                if (props.listLevel >= 0 && props.listLevel < int(def->second.size()))
                    level = def->second[props.listLevel];
            }
        }
        const int format = level.format;
        out.listStyle = listStyleForNumberFormat(format);
        out.listFormat = format;
        out.listStart = level.start;
        if (level.hasText)
            out.listTemplate = level.text;
        // Bullets change shape by level, as word processors draw them.
        static constexpr int bullets[] = { QTextListFormat::ListDisc, QTextListFormat::ListCircle,
                                           QTextListFormat::ListSquare };
        if (out.listStyle == QTextListFormat::ListDisc)
            out.listStyle = bullets[props.listLevel % 3];
    } else if (props.oldNumbering != 0) {
        out.listKey = -100 + props.oldNumbering; // one run of numbering per kind, as \pn continues it
        out.listStyle = props.oldNumbering;
        out.listFormat = props.oldNumbering == QTextListFormat::ListDisc ? 23 : props.pnFormat;
        out.listStart = props.pnStart;
        if (props.oldNumbering == QTextListFormat::ListDisc)
            out.listTemplate = QStringLiteral("\u2022");
        else if (!props.pnBefore.isEmpty() || !props.pnAfter.isEmpty())
            out.listTemplate = props.pnBefore + QChar(char16_t(std::clamp(props.listLevel, 0, 8))) + props.pnAfter;
    }
    return out;
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
    // Only links stay fields; any other field keeps its last result as plain text.
    if (field.link < 0 && !field.instruction.trimmed().isEmpty() &&
        !field.instruction.trimmed().startsWith(u"EQ", Qt::CaseInsensitive))
        noteUnkept(kUnkeptField);
    if (field.resultHasText || state().destination != Destination::Body)
        return;
    const QString base = eqBaseText(field.instruction);
    if (!base.isEmpty())
        emitText(base, state().chars);
}

} // namespace pemmo::formats::rtf
