// SPDX-License-Identifier: MIT
#include "rtfdocumentbuilder.h"

#include "richtextstructure.h"
#include "rtfreader.h"

#include <QBuffer>
#include <QImage>
#include <QImageReader>
#include <QRegularExpression>
#include <QTextDocument>
#include <QTextImageFormat>
#include <QTextList>
#include <QTextTable>
#include <QUrl>

#include <string_view>

namespace pemmo::formats::rtf {

namespace {

// Pictures are shown only while they stay cheap: a file of many or huge pictures must not exhaust memory.
constexpr qint64 kMaxPicturePixels = 40'000'000;
constexpr qint64 kMaxDocumentPicturePixels = 200'000'000;
constexpr qreal kTwipsPerPixel = 15.0; // 1440 twips per inch at 96 pixels per inch

QTextCharFormat::UnderlineStyle underlineStyleFor(int word)
{
    const std::string_view name = kUnderlineWords[word];
    if (name == "uld")
        return QTextCharFormat::DotLine;
    if (name == "uldashd" || name == "ulthdashd")
        return QTextCharFormat::DashDotLine;
    if (name == "uldashdd" || name == "ulthdashdd")
        return QTextCharFormat::DashDotDotLine;
    if (name.find("dash") != std::string_view::npos)
        return QTextCharFormat::DashUnderline;
    if (name.find("wave") != std::string_view::npos)
        return QTextCharFormat::WaveUnderline;
    return QTextCharFormat::SingleUnderline;
}

qreal twipsToPixels(int twips)
{
    return twips / kTwipsPerPixel;
}

} // namespace

DocumentBuilder::DocumentBuilder()
    : m_document(std::make_unique<QTextDocument>())
{
    m_document->setUndoRedoEnabled(false);
    m_cursor = QTextCursor(m_document.get());
    m_cursor.beginEditBlock();
}

DocumentBuilder::~DocumentBuilder() = default;

void DocumentBuilder::setTables(const std::vector<FontEntry>* fonts, const std::vector<QColor>* colours,
                                const std::vector<QString>* links)
{
    m_fonts = fonts;
    m_colours = colours;
    m_links = links;
}

QTextCharFormat DocumentBuilder::charFormat(const CharProps& props) const
{
    QTextCharFormat format;
    const auto faceName = [this](int index) {
        return index >= 0 && m_fonts && index < int(m_fonts->size()) ? (*m_fonts)[index].name : QString();
    };
    // The East Asian face (\af after \dbch) follows the western one: Qt falls back to it for the glyphs the
    // western face lacks, and a save writes both back.
    if (const QString western = faceName(props.font); !western.isEmpty()) {
        QStringList families { western };
        if (const QString eastAsian = faceName(props.eaFont); !eastAsian.isEmpty() && eastAsian != western)
            families.append(eastAsian);
        format.setFontFamilies(families);
    } else if (const QString eastAsian = faceName(props.eaFont); !eastAsian.isEmpty()) {
        format.setFontFamilies(QStringList { eastAsian });
        format.setProperty(kRtfEastAsianFaceOnlyProperty, true);
    }
    if (props.halfPoints > 0)
        format.setFontPointSize(props.halfPoints / 2.0);
    if (props.bold)
        format.setFontWeight(QFont::Bold);
    if (props.italic)
        format.setFontItalic(true);
    if (props.underline) {
        format.setFontUnderline(true);
        const int word = std::clamp(props.underlineWord, 0, int(std::size(kUnderlineWords)) - 1);
        format.setUnderlineStyle(underlineStyleFor(word));
        if (word != 0)
            format.setProperty(kRtfUnderlineWordProperty, QByteArray(kUnderlineWords[word]));
    }
    if (props.strike || props.doubleStrike)
        format.setFontStrikeOut(true);
    if (props.caps)
        format.setFontCapitalization(QFont::AllUppercase);
    else if (props.smallCaps)
        format.setFontCapitalization(QFont::SmallCaps);
    // Effects the view does not draw: kept for the save.
    QByteArray effects;
    if (props.doubleStrike)
        effects += "\\striked1";
    if (props.outline)
        effects += "\\outl";
    if (props.shadow)
        effects += "\\shad";
    if (props.emboss)
        effects += "\\embo";
    if (props.engrave)
        effects += "\\impr";
    if (!effects.isEmpty())
        format.setProperty(kRtfCharacterEffectsProperty, effects);
    const auto colour = [this](int index) {
        return m_colours && index > 0 && index < int(m_colours->size()) ? (*m_colours)[index] : QColor();
    };
    if (const QColor c = colour(props.foreground); c.isValid())
        format.setForeground(c);
    if (const QColor c = colour(props.background); c.isValid())
        format.setBackground(c);
    if (props.vertical != 0)
        format.setVerticalAlignment(props.vertical > 0 ? QTextCharFormat::AlignSuperScript
                                                       : QTextCharFormat::AlignSubScript);
    if (props.raise != 0)
        format.setProperty(kRtfRaiseProperty, props.raise);
    if (props.footnoteMark)
        format.setProperty(kRtfFootnoteMarkProperty, true);
    if (props.link >= 0 && m_links && props.link < int(m_links->size())) {
        format.setAnchor(true);
        format.setAnchorHref((*m_links)[props.link]);
    }
    return format;
}

QTextBlockFormat DocumentBuilder::blockFormat(const ParaProps& props)
{
    QTextBlockFormat format;
    if (props.alignment != Qt::AlignLeft)
        format.setAlignment(props.alignment);
    if (props.leftTwips)
        format.setLeftMargin(twipsToPixels(props.leftTwips));
    if (props.rightTwips)
        format.setRightMargin(twipsToPixels(props.rightTwips));
    if (props.firstTwips)
        format.setTextIndent(twipsToPixels(props.firstTwips));
    if (!props.tabs.empty()) {
        QList<QTextOption::Tab> tabs;
        for (const TabStop& stop : props.tabs) {
            static constexpr QTextOption::TabType kinds[] = { QTextOption::LeftTab, QTextOption::CenterTab,
                                                              QTextOption::RightTab, QTextOption::DelimiterTab };
            tabs.append(QTextOption::Tab(twipsToPixels(stop.twips), kinds[stop.kind & 3],
                                         stop.kind == 3 ? QChar(u'.') : QChar()));
        }
        format.setTabPositions(tabs);
    }
    if (props.spaceBeforeTwips > 0)
        format.setTopMargin(twipsToPixels(props.spaceBeforeTwips));
    if (props.spaceAfterTwips > 0)
        format.setBottomMargin(twipsToPixels(props.spaceAfterTwips));
    if (props.lineSpacing > 0 && props.lineMultiple)
        format.setLineHeight(props.lineSpacing * 100.0 / 240.0, QTextBlockFormat::ProportionalHeight);
    else if (props.lineSpacing > 0)
        format.setLineHeight(twipsToPixels(props.lineSpacing), QTextBlockFormat::MinimumHeight);
    else if (props.lineSpacing < 0)
        format.setLineHeight(twipsToPixels(-props.lineSpacing), QTextBlockFormat::FixedHeight);
    if (props.pageBreakBefore)
        format.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
    if (props.headingLevel > 0)
        format.setHeadingLevel(props.headingLevel);
    if (!props.styleName.isEmpty())
        format.setProperty(kRtfStyleNameProperty, props.styleName);
    return format;
}

void DocumentBuilder::flush()
{
    if (m_run.isEmpty())
        return;
    m_cursor.insertText(m_run, charFormat(m_runProps));
    m_run.clear();
}

void DocumentBuilder::appendText(QStringView text, const CharProps& props)
{
    if (text.isEmpty())
        return;
    if (!(props == m_runProps)) {
        flush();
        m_runProps = props;
    }
    m_run.append(text);
    // Long runs go in as they grow so the buffer stays small.
    if (m_run.size() > 64 * 1024)
        flush();
}

void DocumentBuilder::finishParagraph(const ParaProps& props)
{
    flush();
    QTextBlockFormat format = blockFormat(props);
    if (m_cursor.blockFormat().pageBreakPolicy() & QTextFormat::PageBreak_AlwaysBefore)
        format.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
    m_cursor.setBlockFormat(format);
    if (props.listStyle == 0)
        return;
    const std::pair<int, int> key { props.listKey, props.listLevel };
    const auto it = m_lists.find(key);
    if (it != m_lists.end()) {
        it->second->add(m_cursor.block());
        markOwnListLabel(it->second->format());
        return;
    }
    QTextListFormat list;
    list.setStyle(QTextListFormat::Style(props.listStyle));
    list.setIndent(std::clamp(props.listLevel, 0, 8) + 1);
    list.setProperty(kRtfListNumberFormatProperty, props.listFormat);
    list.setProperty(kRtfListStartProperty, props.listStart);
    list.setProperty(kRtfListKeyProperty, props.listKey);
    if (!props.listTemplate.isNull()) {
        list.setProperty(kRtfListTemplateProperty, props.listTemplate);
        // What Qt can draw of it: the text around this level's own number.
        const QChar own(char16_t(std::clamp(props.listLevel, 0, 8)));
        const qsizetype at = props.listTemplate.indexOf(own);
        if (at >= 0) {
            list.setNumberPrefix(
                props.listTemplate.first(at).remove(QRegularExpression(QStringLiteral("[\\x{0}-\\x{8}]"))));
            list.setNumberSuffix(props.listTemplate.sliced(at + 1));
        }
    }
    m_lists.emplace(key, m_cursor.createList(list));
    markOwnListLabel(list);
}

void DocumentBuilder::markOwnListLabel(const QTextListFormat& list)
{
    // Qt would number this paragraph its own way: it draws no marker, and the view draws listLabel() instead.
    // The list keeps its format for the save; a paragraph the user adds to it takes this block format along.
    if (qtDrawsListLabel(list))
        return;
    QTextBlockFormat noMarker;
    noMarker.setProperty(QTextFormat::ListStyle, int(QTextListFormat::ListStyleUndefined));
    m_cursor.mergeBlockFormat(noMarker);
}

void DocumentBuilder::endParagraph(const ParaProps& props)
{
    finishParagraph(props);
    m_cursor.insertBlock(QTextBlockFormat(), charFormat(m_runProps));
}

void DocumentBuilder::insertKeptGroup(const QByteArray& group, const CharProps& props)
{
    flush();
    QTextCharFormat format = charFormat(props);
    format.setProperty(kRtfKeptGroupProperty, group);
    format.setObjectType(kRtfKeptGroupObjectType);
    m_cursor.insertText(QString(QChar::ObjectReplacementCharacter), format);
}

void DocumentBuilder::pageBreak()
{
    flush();
    QTextBlockFormat format = m_cursor.blockFormat();
    format.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
    m_cursor.setBlockFormat(format);
}

bool DocumentBuilder::blockHasText() const
{
    return !m_run.isEmpty() || m_cursor.block().length() > 1;
}

void DocumentBuilder::enterCell(std::size_t columns)
{
    if (!m_table) {
        flush();
        // A table goes into an empty paragraph of its own, which Qt keeps in front of it.
        if (m_cursor.block().length() > 1)
            endParagraph(ParaProps {});
        QTextTableFormat format;
        format.setCellPadding(2);
        format.setCellSpacing(0);
        format.setBorder(0);
        format.setBorderCollapse(true);
        m_table = m_cursor.insertTable(1, int(std::clamp<std::size_t>(columns, 1, 64)), format);
        m_rowDefs.clear();
        m_row = 0;
        m_column = 0;
        m_rowOpen = true;
        m_cellDone = false;
        m_cursor = m_table->cellAt(0, 0).firstCursorPosition();
        return;
    }
    if (!m_rowOpen) {
        flush();
        m_table->appendRows(1);
        ++m_row;
        m_column = 0;
        m_rowOpen = true;
        m_cellDone = false;
        m_cursor = m_table->cellAt(m_row, 0).firstCursorPosition();
        return;
    }
    if (m_cellDone) {
        m_cellDone = false;
        ++m_column;
        // Rows may have more cells than the first; a grid needs the columns for them.
        if (m_column >= m_table->columns()) {
            if (m_table->columns() >= 256) {
                m_column = m_table->columns() - 1;
                m_cursor = m_table->cellAt(m_row, m_column).lastCursorPosition();
                m_cursor.insertText(QStringLiteral("\t"));
                return;
            }
            m_table->appendColumns(1);
        }
        m_cursor = m_table->cellAt(m_row, m_column).firstCursorPosition();
    }
}

void DocumentBuilder::setCellPaddingTwips(int twips)
{
    if (!m_table || m_row != 0)
        return;
    QTextTableFormat format = m_table->format();
    format.setCellPadding(twipsToPixels(twips));
    m_table->setFormat(format);
}

void DocumentBuilder::endCell(const ParaProps& props)
{
    finishParagraph(props);
    m_cellDone = true;
}

void DocumentBuilder::endRow(const std::vector<CellDef>& cells)
{
    flush();
    if (!m_table || !m_rowOpen)
        return;
    m_rowOpen = false;
    m_cellDone = false;
    m_rowDefs.push_back(RowLayout { cells, m_column + 1 });
}

void DocumentBuilder::applyTableLayout()
{
    const auto colour = [this](int index) {
        return m_colours && index > 0 && index < int(m_colours->size()) ? (*m_colours)[index] : QColor();
    };
    layOutTable(*m_table, m_rowDefs, colour);
}

void DocumentBuilder::leaveTable()
{
    if (!m_table)
        return;
    flush();
    applyTableLayout();
    m_table = nullptr;
    m_rowDefs.clear();
    m_cursor.movePosition(QTextCursor::End);
}

bool DocumentBuilder::insertPicture(const QByteArray& data, int goalWidthTwips, int goalHeightTwips,
                                    const CharProps& props, const QByteArray& pictureWords)
{
    QBuffer buffer;
    buffer.setData(data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    const QSize size = reader.size();
    const qint64 pixels = qint64(size.width()) * size.height();
    if (!size.isValid() || pixels > kMaxPicturePixels || m_picturePixels + pixels > kMaxDocumentPicturePixels)
        return false;
    QImage image;
    if (!reader.read(&image) || image.isNull())
        return false;
    m_picturePixels += pixels;
    flush();
    const QString name = QStringLiteral("rtf-picture-%1").arg(++m_pictureCount);
    m_document->addResource(QTextDocument::ImageResource, QUrl(name), image);
    QTextImageFormat format;
    format.merge(charFormat(props));
    format.setName(name);
    format.setWidth(goalWidthTwips > 0 ? twipsToPixels(goalWidthTwips) : image.width());
    format.setHeight(goalHeightTwips > 0 ? twipsToPixels(goalHeightTwips) : image.height());
    // A save writes these bytes as they came (a JPEG stays a JPEG), with their size words.
    format.setProperty(kRtfPictureDataProperty, data);
    format.setProperty(kRtfPictureWordsProperty, pictureWords);
    m_cursor.insertImage(format);
    return true;
}

std::unique_ptr<QTextDocument> DocumentBuilder::finish(const ParaProps& lastParagraph)
{
    if (m_table && !lastParagraph.inTable)
        leaveTable();
    // The text after the last \par is a paragraph of its own only when there is some.
    ParaProps last = lastParagraph;
    if (!blockHasText())
        last.listStyle = 0;
    finishParagraph(last);
    leaveTable();
    m_cursor.endEditBlock();
    m_document->setUndoRedoEnabled(true);
    m_document->setModified(false);
    return std::move(m_document);
}

} // namespace pemmo::formats::rtf
