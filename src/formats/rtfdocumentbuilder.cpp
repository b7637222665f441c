// SPDX-License-Identifier: MIT
#include "rtfdocumentbuilder.h"

#include <QBuffer>
#include <QImage>
#include <QImageReader>
#include <QTextDocument>
#include <QTextImageFormat>
#include <QUrl>

namespace pemmo::formats::rtf {

namespace {

// Pictures are shown only while they stay cheap: a file of many or huge pictures must not exhaust memory.
constexpr qint64 kMaxPicturePixels = 40'000'000;
constexpr qint64 kMaxDocumentPicturePixels = 200'000'000;
constexpr qreal kTwipsPerPixel = 15.0; // 1440 twips per inch at 96 pixels per inch

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

void DocumentBuilder::setTables(const std::vector<FontEntry>* fonts, const std::vector<QColor>* colours)
{
    m_fonts = fonts;
    m_colours = colours;
}

QTextCharFormat DocumentBuilder::charFormat(const CharProps& props) const
{
    QTextCharFormat format;
    if (props.font >= 0 && m_fonts && props.font < int(m_fonts->size()) && !(*m_fonts)[props.font].name.isEmpty())
        format.setFontFamilies({(*m_fonts)[props.font].name});
    if (props.halfPoints > 0)
        format.setFontPointSize(props.halfPoints / 2.0);
    if (props.bold)
        format.setFontWeight(QFont::Bold);
    if (props.italic)
        format.setFontItalic(true);
    if (props.underline)
        format.setFontUnderline(true);
    if (props.strike)
        format.setFontStrikeOut(true);
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
            static constexpr QTextOption::TabType kinds[] = {QTextOption::LeftTab, QTextOption::CenterTab,
                                                             QTextOption::RightTab, QTextOption::DelimiterTab};
            tabs.append(QTextOption::Tab(twipsToPixels(stop.twips), kinds[stop.kind & 3],
                                         stop.kind == 3 ? QChar(u'.') : QChar()));
        }
        format.setTabPositions(tabs);
    }
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

void DocumentBuilder::endParagraph(const ParaProps& props)
{
    flush();
    m_cursor.setBlockFormat(blockFormat(props));
    m_cursor.insertBlock(QTextBlockFormat(), charFormat(m_runProps));
}

bool DocumentBuilder::insertPicture(const QByteArray& data, int goalWidthTwips, int goalHeightTwips,
                                    const CharProps& props)
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
    m_cursor.insertImage(format);
    return true;
}

std::unique_ptr<QTextDocument> DocumentBuilder::finish(const ParaProps& lastParagraph)
{
    flush();
    m_cursor.setBlockFormat(blockFormat(lastParagraph));
    m_cursor.endEditBlock();
    m_document->setUndoRedoEnabled(true);
    m_document->setModified(false);
    return std::move(m_document);
}

} // namespace pemmo::formats::rtf
