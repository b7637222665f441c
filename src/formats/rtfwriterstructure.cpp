// SPDX-License-Identifier: MIT
// The writer's structures: paragraphs with their styles and lists, links, tables, the stylesheet and list tables.
#include "richtextstructure.h"
#include "rtfreader.h"
#include "rtfwriterstate.h"

#include <QTextBlock>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextList>
#include <QTextTable>

#include <vector>

namespace pemmo::formats::rtf {

namespace {

// A table without widths of its own spreads over the text width of an A4 page with 2 cm margins.
constexpr int kTextWidthTwips = 9638;

int numberFormat(int listStyle)
{
    switch (listStyle) {
    case QTextListFormat::ListUpperRoman:
        return 1;
    case QTextListFormat::ListLowerRoman:
        return 2;
    case QTextListFormat::ListUpperAlpha:
        return 3;
    case QTextListFormat::ListLowerAlpha:
        return 4;
    case QTextListFormat::ListDisc:
    case QTextListFormat::ListCircle:
    case QTextListFormat::ListSquare:
        return 23;
    default:
        return 0;
    }
}

void collectBlocks(const QTextFrame* frame, std::vector<QTextBlock>& blocks)
{
    for (QTextFrame::iterator it = frame->begin(); !it.atEnd(); ++it) {
        if (const QTextFrame* child = it.currentFrame())
            collectBlocks(child, blocks); // a table inside a cell: its text stays in the cell
        else if (!isBlockBeforeTable(it.currentBlock()))
            blocks.push_back(it.currentBlock());
    }
}

} // namespace

void Writer::writeNumber(const char* word, int value)
{
    m_body.append(word);
    m_body.append(QByteArray::number(value));
}

int Writer::styleIndex(const QString& name, int headingLevel)
{
    const QString shown = name.isEmpty() ? QStringLiteral("heading %1").arg(headingLevel) : name;
    for (int i = 0; i < m_styles.size(); ++i) {
        if (m_styles[i].name == shown && m_styles[i].headingLevel == headingLevel)
            return i + 1;
    }
    m_styles.append({ shown, headingLevel });
    return int(m_styles.size());
}

int Writer::listIndex(QTextList* list)
{
    const qsizetype found = m_listObjects.indexOf(list);
    if (found >= 0)
        return m_listIndexes[found];
    const QTextListFormat format = list->format();
    const QVariant key = format.property(kRtfListKeyProperty);
    // The levels of one RTF list stay one list, so "1.1." counts on its parent.
    qsizetype index = -1;
    for (qsizetype i = 0; key.isValid() && i < m_lists.size(); ++i) {
        if (m_lists[i].key == key)
            index = i;
    }
    if (index < 0) {
        m_lists.append(List { key, {} });
        index = m_lists.size() - 1;
    }
    const int level = std::clamp(format.indent() - 1, 0, 8);
    ListLevel& out = m_lists[index].levels[level];
    out.given = true;
    out.numberFormat = format.hasProperty(kRtfListNumberFormatProperty)
        ? format.intProperty(kRtfListNumberFormatProperty)
        : numberFormat(format.style());
    out.start = format.hasProperty(kRtfListStartProperty) ? format.intProperty(kRtfListStartProperty) : 1;
    out.pattern = format.hasProperty(kRtfListTemplateProperty) ? format.stringProperty(kRtfListTemplateProperty)
                                                               : QString();
    if (!format.hasProperty(kRtfListTemplateProperty)) {
        static const QString bullets[] = { QStringLiteral("•"), QStringLiteral("◦"), QStringLiteral("▪") };
        if (format.style() == QTextListFormat::ListDisc)
            out.pattern = bullets[0];
        else if (format.style() == QTextListFormat::ListCircle)
            out.pattern = bullets[1];
        else if (format.style() == QTextListFormat::ListSquare)
            out.pattern = bullets[2];
        else
            out.pattern = format.numberPrefix() + QChar(char16_t(level)) +
                (format.hasProperty(QTextFormat::ListNumberSuffix) ? format.numberSuffix() : QStringLiteral("."));
    }
    m_listObjects.append(list);
    m_listIndexes.append(int(index + 1));
    return int(index + 1);
}

void Writer::writeStyleSheet(QByteArray& out) const
{
    // Text without a size of its own has the Normal style's, which the source may have named.
    const int size = m_document.property(kRtfSourceDefaultSizeProperty).toInt();
    // And its East Asian face: without one, LibreOffice picks some face of the table for Japanese.
    const QByteArray eastAsian = m_normalEastAsianFont >= 0
        ? "\\dbch\\af" + QByteArray::number(m_normalEastAsianFont) + ' '
        : QByteArray();
    out.append("{\\stylesheet{\\ql " + (size > 0 ? "\\f0\\fs" + QByteArray::number(size) + ' ' : QByteArray()) +
               eastAsian + "\\snext0 Normal;}");
    for (int i = 0; i < m_styles.size(); ++i) {
        out.append("{\\s" + QByteArray::number(i + 1));
        if (m_styles[i].headingLevel > 0)
            out.append("\\outlinelevel" + QByteArray::number(m_styles[i].headingLevel - 1));
        out.append("\\sbasedon0\\snext0 " + encoded(m_styles[i].name) + ";}");
    }
    out.append("}\r\n");
}

void Writer::writeListTables(QByteArray& out) const
{
    if (m_lists.isEmpty())
        return;
    out.append("{\\*\\listtable");
    for (int i = 0; i < m_lists.size(); ++i) {
        // Levels no list of the document has take the first given level's look.
        const auto first = std::find_if(m_lists[i].levels.begin(), m_lists[i].levels.end(),
                                        [](const ListLevel& level) { return level.given; });
        out.append("\r\n{\\list\\listtemplateid" + QByteArray::number(i + 1));
        for (int level = 0; level < 9; ++level) {
            ListLevel shown = m_lists[i].levels[level];
            if (!shown.given && first != m_lists[i].levels.end()) {
                shown = *first;
                shown.start = 1;
                static const QString bullets[] = { QStringLiteral("•"), QStringLiteral("◦"), QStringLiteral("▪") };
                shown.pattern = shown.numberFormat == 23 ? bullets[level % 3] : QString(QChar(char16_t(level))) + u'.';
            }
            const QByteArray format = QByteArray::number(shown.numberFormat);
            out.append("{\\listlevel\\levelnfc" + format + "\\levelnfcn" + format +
                       "\\leveljc0\\leveljcn0\\levelfollow0\\levelstartat" + QByteArray::number(shown.start));
            // The template: its length, then its text with the level placeholders as \'0N.
            const QString pattern = shown.pattern.left(255);
            QByteArray numbers;
            for (qsizetype c = 0; c < pattern.size(); ++c) {
                if (pattern[c].unicode() <= 8)
                    numbers += "\\'" + QByteArray::number(c + 1, 16).rightJustified(2, '0');
            }
            QByteArray text;
            appendEncoded(text, pattern, 932, 1);
            out.append("{\\leveltext\\'" + QByteArray::number(pattern.size(), 16).rightJustified(2, '0') + text +
                       ";}{\\levelnumbers" + numbers + ";}");
            out.append("\\fi-360\\li" + QByteArray::number(720 * (level + 1)) + "}");
        }
        out.append("{\\listname ;}\\listid" + QByteArray::number(i + 1) + "}");
    }
    out.append("}\r\n{\\*\\listoverridetable");
    for (int i = 0; i < m_lists.size(); ++i) {
        out.append("{\\listoverride\\listid" + QByteArray::number(i + 1) + "\\listoverridecount0\\ls" +
                   QByteArray::number(i + 1) + "}");
    }
    out.append("}\r\n");
}

void Writer::writeFrame(const QTextFrame* frame, bool inTable)
{
    for (QTextFrame::iterator it = frame->begin(); !it.atEnd(); ++it) {
        if (const QTextFrame* child = it.currentFrame()) {
            if (const auto* table = qobject_cast<const QTextTable*>(child))
                writeTable(table);
            else
                writeFrame(child, inTable);
            continue;
        }
        const QTextBlock block = it.currentBlock();
        if (isBlockBeforeTable(block))
            continue;
        writeBlock(block, inTable);
        if (block.next().isValid())
            m_body.append("\\par\r\n");
    }
}

void Writer::writeTable(const QTextTable* table)
{
    const int rows = table->rows();
    const int columns = table->columns();
    const QTextTableFormat format = table->format();
    const QList<QTextLength> constraints = format.columnWidthConstraints();
    std::vector<int> widths(std::size_t(columns), kTextWidthTwips / std::max(columns, 1));
    if (constraints.size() == columns) {
        for (int c = 0; c < columns; ++c) {
            if (constraints[c].type() == QTextLength::FixedLength)
                widths[c] = std::max(twips(constraints[c].rawValue()), 1);
            else if (constraints[c].type() == QTextLength::PercentageLength)
                widths[c] = std::max(int(kTextWidthTwips * constraints[c].rawValue() / 100), 1);
        }
    }
    const bool borders = format.border() > 0;
    // The padding both ways: \trgaph for older readers, \trpadd for those that read it (LibreOffice, Word).
    const QByteArray padding = QByteArray::number(twips(format.cellPadding()));
    for (int r = 0; r < rows; ++r) {
        m_body.append("\\trowd\\trgaph" + padding + "\\trleft0\\trpaddl" + padding + "\\trpaddr" + padding +
                      "\\trpaddfl3\\trpaddfr3");
        int right = 0;
        for (int c = 0; c < columns; ++c) {
            const QTextTableCell cell = table->cellAt(r, c);
            if (cell.row() != r)
                m_body.append("\\clvmrg");
            else if (cell.rowSpan() > 1)
                m_body.append("\\clvmgf");
            if (cell.column() != c)
                m_body.append("\\clmrg");
            else if (cell.columnSpan() > 1)
                m_body.append("\\clmgf");
            const QTextCharFormat cellFormat = cell.format();
            const int sides = cellFormat.hasProperty(kRtfCellBordersProperty)
                ? cellFormat.intProperty(kRtfCellBordersProperty)
                : (borders ? kRtfCellBorderAll : 0);
            for (const auto& [side, word] :
                 { std::pair { kRtfCellBorderTop, "\\clbrdrt" }, std::pair { kRtfCellBorderLeft, "\\clbrdrl" },
                   std::pair { kRtfCellBorderBottom, "\\clbrdrb" }, std::pair { kRtfCellBorderRight, "\\clbrdrr" } }) {
                if (sides & side) {
                    m_body.append(word);
                    m_body.append("\\brdrs\\brdrw10");
                }
            }
            if (cellFormat.hasProperty(QTextFormat::BackgroundBrush) && cellFormat.background().style() != Qt::NoBrush)
                writeNumber("\\clcbpat", colourIndex(cellFormat.background().color()));
            right += widths[c];
            writeNumber("\\cellx", right);
        }
        m_body.append("\r\n");
        for (int c = 0; c < columns; ++c) {
            const QTextTableCell cell = table->cellAt(r, c);
            if (cell.row() != r || cell.column() != c) {
                m_body.append("\\pard\\intbl \\cell\r\n"); // covered by a merge: an empty cell of the grid
                continue;
            }
            std::vector<QTextBlock> blocks;
            for (QTextFrame::iterator it = cell.begin(); !it.atEnd(); ++it) {
                if (const QTextFrame* child = it.currentFrame())
                    collectBlocks(child, blocks);
                else if (!isBlockBeforeTable(it.currentBlock()))
                    blocks.push_back(it.currentBlock());
            }
            for (std::size_t i = 0; i < blocks.size(); ++i) {
                writeBlock(blocks[i], true);
                m_body.append(i + 1 < blocks.size() ? "\\par\r\n" : "\\cell\r\n");
            }
            if (blocks.empty())
                m_body.append("\\pard\\intbl \\cell\r\n");
        }
        m_body.append("\\row\r\n");
    }
}

void Writer::writeBlock(const QTextBlock& block, bool inTable)
{
    writeBlockFormat(block, inTable);
    if (block.textList()) {
        // The label as text, for readers that do not know list tables.
        m_body.append("{\\listtext ");
        writeText(listLabel(block));
        m_body.append("\\tab}");
    }
    QString href;
    for (auto it = block.begin(); !it.atEnd(); ++it) {
        const QTextFragment fragment = it.fragment();
        if (!fragment.isValid())
            continue;
        const QTextCharFormat format = fragment.charFormat();
        const QString target = format.isAnchor() ? format.anchorHref() : QString();
        if (target != href) {
            if (!href.isEmpty())
                m_body.append("}}");
            href = target;
            if (!href.isEmpty()) {
                m_body.append("{\\field{\\*\\fldinst{HYPERLINK \"");
                writeText(QString(href).replace(u'"', QStringLiteral("%22")));
                m_body.append("\"}}{\\fldrslt ");
            }
        }
        if (format.hasProperty(kRtfKeptGroupProperty)) {
            // A footnote or comment as it was read, once per character that carries it.
            m_body.append('{');
            writeCharFormat(format);
            const QString family = familyOf(format);
            const auto source = std::find_if(m_sourceFonts.begin(), m_sourceFonts.end(),
                                             [&family](const auto& font) { return font.second.family == family; });
            const auto defaultSource = m_sourceFonts.find(m_sourceDefaultFont);
            const int sourceCodePage = source != m_sourceFonts.end() ? source->second.codePage
                : defaultSource != m_sourceFonts.end()               ? defaultSource->second.codePage
                                                                     : m_sourceCodePage;
            const QByteArray group = remapKeptGroup(format.property(kRtfKeptGroupProperty).toByteArray(),
                                                    sourceCodePage);
            for (int n = 0; n < fragment.length(); ++n)
                m_body.append(group);
            m_body.append('}');
            continue;
        }
        m_body.append('{');
        writeCharFormat(format);
        if (format.boolProperty(kRtfFootnoteMarkProperty)) {
            m_body.append("\\chftn}");
            continue;
        }
        if (format.isImageFormat()) {
            // One object replacement character per picture.
            for (int n = 0; n < fragment.length(); ++n)
                writeImage(format.toImageFormat());
        } else {
            writeText(fragment.text());
        }
        m_body.append('}');
    }
    if (!href.isEmpty())
        m_body.append("}}");
}

void Writer::writeBlockFormat(const QTextBlock& block, bool inTable)
{
    const QTextBlockFormat format = block.blockFormat();
    m_body.append("\\pard");
    if (inTable)
        m_body.append("\\intbl");
    const QString styleName = format.property(kRtfStyleNameProperty).toString();
    const int heading = std::clamp(format.headingLevel(), 0, 6);
    if (heading > 0 || (!styleName.isEmpty() && styleName.compare(u"Normal", Qt::CaseInsensitive) != 0)) {
        writeNumber("\\s", styleIndex(styleName, heading));
        if (heading > 0)
            writeNumber("\\outlinelevel", heading - 1);
    }
    const Qt::Alignment alignment = format.alignment() & Qt::AlignHorizontal_Mask;
    if (alignment & Qt::AlignHCenter)
        m_body.append("\\qc");
    else if (alignment & (Qt::AlignRight))
        m_body.append("\\qr");
    else if (alignment & Qt::AlignJustify)
        m_body.append("\\qj");
    const auto number = [this](const char* word, int value) {
        if (value != 0)
            writeNumber(word, value);
    };
    number("\\li", twips(format.leftMargin()));
    number("\\ri", twips(format.rightMargin()));
    number("\\fi", twips(format.textIndent()));
    number("\\sb", twips(format.topMargin()));
    number("\\sa", twips(format.bottomMargin()));
    switch (format.lineHeightType()) {
    case QTextBlockFormat::ProportionalHeight:
        if (qRound(format.lineHeight()) != 100) {
            writeNumber("\\sl", qRound(format.lineHeight() * 240 / 100));
            m_body.append("\\slmult1");
        }
        break;
    case QTextBlockFormat::MinimumHeight:
        number("\\sl", twips(format.lineHeight()));
        break;
    case QTextBlockFormat::FixedHeight:
        number("\\sl", -twips(format.lineHeight()));
        break;
    default:
        break;
    }
    if (format.pageBreakPolicy() & QTextFormat::PageBreak_AlwaysBefore)
        m_body.append("\\pagebb");
    for (const QTextOption::Tab& tab : format.tabPositions()) {
        if (tab.type == QTextOption::CenterTab)
            m_body.append("\\tqc");
        else if (tab.type == QTextOption::RightTab)
            m_body.append("\\tqr");
        else if (tab.type == QTextOption::DelimiterTab)
            m_body.append("\\tqdec");
        writeNumber("\\tx", twips(tab.position));
    }
    if (QTextList* const list = block.textList()) {
        writeNumber("\\ls", listIndex(list));
        writeNumber("\\ilvl", std::clamp(list->format().indent() - 1, 0, 8));
    }
    m_body.append(' ');
}

} // namespace pemmo::formats::rtf
