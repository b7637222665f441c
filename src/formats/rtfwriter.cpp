// SPDX-License-Identifier: MIT
#include "rtfwriter.h"

#include "rtfreader.h"
#include "rtfwriterstate.h"

#include <QBuffer>
#include <QImage>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextImageFormat>
#include <QUrl>

#include <algorithm>
#include <array>
#include <map>
#include <memory>

namespace pemmo::formats {

namespace rtf {

Writer::Writer(const QTextDocument& document)
    : m_document(document)
{
    readSourceTables();
}

int Writer::fontIndex(const QString& family)
{
    const auto source = m_sourceCharsets.find(family);
    return fontIndex(family, source == m_sourceCharsets.end() ? 128 : source->second);
}

int Writer::fontIndex(const QString& family, int charset)
{
    for (int i = 0; i < m_fonts.size(); ++i) {
        if (m_fonts[i].family == family && m_fonts[i].charset == charset)
            return i;
    }
    m_fonts.append({ family, charset });
    return int(m_fonts.size() - 1);
}

int Writer::codePageOfFont(int index) const
{
    // The written file says \ansicpg932, so a charset without a code page of its own means CP932.
    const int codePage = index >= 0 && index < m_fonts.size() ? codePageForCharset(m_fonts[index].charset) : 0;
    return codePage == 0 ? 932 : codePage;
}

int Writer::colourIndex(const QColor& colour)
{
    // Index 0 is the automatic colour.
    const QColor rgb = colour.toRgb();
    for (int i = 0; i < m_colours.size(); ++i) {
        if (m_colours[i].rgb() == rgb.rgb())
            return i + 1;
    }
    m_colours.append(rgb);
    return int(m_colours.size());
}

QString familyOf(const QTextCharFormat& format)
{
    const QStringList families = format.fontFamilies().toStringList();
    return families.isEmpty() ? QString() : families.first();
}

void Writer::writeText(QStringView text)
{
    appendEncoded(m_body, text, m_codePage, 1);
}

void Writer::writeCharFormat(const QTextCharFormat& format)
{
    const qsizetype start = m_body.size();
    // The first face is the western one; a second is the East Asian one, as the reader gives them.
    const QStringList families = format.fontFamilies().toStringList();
    const QString family = familyOf(format);
    const QString eastAsian = families.size() > 1 && families[1] != family ? families[1] : QString();
    const int font = family.isEmpty() ? 0 : fontIndex(family);
    m_codePage = codePageOfFont(font);
    if (!family.isEmpty()) {
        const QByteArray number = QByteArray::number(font);
        static constexpr int eastAsianCharsets[] = { 128, 129, 134, 136 };
        if (format.boolProperty(kRtfEastAsianFaceOnlyProperty)) {
            // No \f: the western face stays \f0's, and so does the code page its bytes are read in.
            m_body.append("\\dbch\\af" + number);
            m_codePage = codePageOfFont(0);
        } else if (!eastAsian.isEmpty()) {
            // As Word writes them. LibreOffice takes \f and \af alike, for the characters of the run type
            // they follow: after \loch and \hich the western face, after \dbch the East Asian one.
            m_body.append("\\loch\\f" + number + "\\hich\\af" + number + "\\dbch\\af" +
                          QByteArray::number(fontIndex(eastAsian)));
        } else if (std::find(std::begin(eastAsianCharsets), std::end(eastAsianCharsets), m_fonts[font].charset) !=
                   std::end(eastAsianCharsets)) {
            // LibreOffice gives East Asian characters the font named after \dbch, not the plain \f.
            m_body.append("\\loch\\f" + number + "\\hich\\f" + number + "\\dbch\\af" + number + "\\f" + number);
        } else {
            m_body.append("\\f" + number);
        }
    }
    if (format.hasProperty(QTextFormat::FontPointSize) && format.fontPointSize() > 0) {
        m_body.append("\\fs");
        m_body.append(QByteArray::number(qRound(format.fontPointSize() * 2)));
    }
    if (format.hasProperty(QTextFormat::FontWeight) && format.fontWeight() > QFont::Medium)
        m_body.append("\\b");
    if (format.fontItalic())
        m_body.append("\\i");
    const QByteArray effects = format.property(kRtfCharacterEffectsProperty).toByteArray();
    // fontUnderline() is true for a plain line only; a dotted or wavy one is an underline too.
    const bool underlined = format.hasProperty(QTextFormat::TextUnderlineStyle)
        ? format.underlineStyle() != QTextCharFormat::NoUnderline &&
            format.underlineStyle() != QTextCharFormat::SpellCheckUnderline
        : format.fontUnderline();
    if (underlined) {
        const QByteArray word = format.property(kRtfUnderlineWordProperty).toByteArray();
        if (!word.isEmpty())
            m_body.append('\\' + word);
        else if (format.underlineStyle() == QTextCharFormat::DotLine)
            m_body.append("\\uld");
        else if (format.underlineStyle() == QTextCharFormat::DashUnderline)
            m_body.append("\\uldash");
        else if (format.underlineStyle() == QTextCharFormat::WaveUnderline)
            m_body.append("\\ulwave");
        else
            m_body.append("\\ul");
    }
    if (format.fontStrikeOut() && !effects.contains("\\striked1"))
        m_body.append("\\strike");
    if (format.fontCapitalization() == QFont::AllUppercase)
        m_body.append("\\caps");
    else if (format.fontCapitalization() == QFont::SmallCaps)
        m_body.append("\\scaps");
    m_body.append(effects);
    if (format.hasProperty(QTextFormat::ForegroundBrush) && format.foreground().style() != Qt::NoBrush) {
        m_body.append("\\cf");
        m_body.append(QByteArray::number(colourIndex(format.foreground().color())));
    }
    if (format.hasProperty(QTextFormat::BackgroundBrush) && format.background().style() != Qt::NoBrush) {
        m_body.append("\\chcbpat");
        m_body.append(QByteArray::number(colourIndex(format.background().color())));
    }
    // Raised text read as \upN keeps its shift and its size, while it stays on the side it was.
    const int raise = format.intProperty(kRtfRaiseProperty);
    if (format.verticalAlignment() == QTextCharFormat::AlignSuperScript)
        m_body.append(raise > 0 ? "\\up" + QByteArray::number(raise) : QByteArray("\\super"));
    else if (format.verticalAlignment() == QTextCharFormat::AlignSubScript)
        m_body.append(raise < 0 ? "\\dn" + QByteArray::number(-raise) : QByteArray("\\sub"));
    if (m_body.size() > start)
        m_body.append(' '); // ends the last control word; a space with nothing before it would be text
}

void Writer::writeImage(const QTextImageFormat& format)
{
    const QByteArray original = format.property(kRtfPictureDataProperty).toByteArray();
    const QByteArray words = format.property(kRtfPictureWordsProperty).toByteArray();
    if (!original.isEmpty() && (words.startsWith("\\pngblip") || words.startsWith("\\jpegblip"))) {
        m_body.append("{\\pict" + words + "\r\n");
        const QByteArray hex = original.toHex();
        for (qsizetype i = 0; i < hex.size(); i += 128) {
            m_body.append(hex.mid(i, 128));
            m_body.append("\r\n");
        }
        m_body.append('}');
        return;
    }
    const QVariant resource = m_document.resource(QTextDocument::ImageResource, QUrl(format.name()));
    QImage image = resource.value<QImage>();
    if (image.isNull())
        image = QImage(format.name()); // a picture named by a file path
    if (image.isNull())
        return;
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, "PNG"))
        return;
    const qreal width = format.width() > 0 ? format.width() : image.width();
    const qreal height = format.height() > 0 ? format.height() : image.height();
    m_body.append("{\\pict\\pngblip\\picw" + QByteArray::number(image.width()) + "\\pich" +
                  QByteArray::number(image.height()) + "\\picwgoal" + QByteArray::number(twips(width)) + "\\pichgoal" +
                  QByteArray::number(twips(height)) + "\r\n");
    const QByteArray hex = png.toHex();
    for (qsizetype i = 0; i < hex.size(); i += 128) {
        m_body.append(hex.mid(i, 128));
        m_body.append("\r\n");
    }
    m_body.append('}');
}

QByteArray Writer::encoded(QStringView text) const
{
    // Names go in CP932 like the text; what CP932 cannot hold is written as \uN.
    QByteArray out;
    appendEncoded(out, text, 932, 1);
    return out;
}

void Writer::writeHeader(QByteArray& out) const
{
    out.append("{\\rtf1\\ansi\\ansicpg932\\deff0\\uc1\\deflang1041\r\n{\\fonttbl");
    for (int i = 0; i < m_fonts.size(); ++i) {
        out.append("{\\f" + QByteArray::number(i) + "\\fnil\\fcharset" + QByteArray::number(m_fonts[i].charset) + ' ');
        out.append(encoded(m_fonts[i].family));
        out.append(";}");
    }
    out.append("}\r\n");
    if (!m_colours.isEmpty()) {
        out.append("{\\colortbl ;");
        for (const QColor& colour : m_colours) {
            out.append("\\red" + QByteArray::number(colour.red()) + "\\green" + QByteArray::number(colour.green()) +
                       "\\blue" + QByteArray::number(colour.blue()) + ";");
        }
        out.append("}\r\n");
    }
    writeStyleSheet(out);
    writeListTables(out);
    // What the view could not show goes back where it came from: \info and headers before the text.
    out.append(m_documentGroups);
    const QByteArray pageSetup = m_document.property(kRtfPageSetupProperty).toByteArray();
    if (!pageSetup.isEmpty())
        out.append(pageSetup + "\r\n");
}

QByteArray Writer::write()
{
    // The default font is \f0, so text without a face of its own keeps the document's.
    // \f0 is the face text without one of its own was in: the source's default font, or the editor's.
    const auto sourceDefault = m_sourceFonts.find(m_sourceDefaultFont);
    const QString family = m_document.defaultFont().family();
    if (sourceDefault != m_sourceFonts.end() && !sourceDefault->second.family.isEmpty())
        fontIndex(sourceDefault->second.family, sourceDefault->second.charset);
    else
        fontIndex(family.isEmpty() ? kFallbackFontFamily : family);
    m_codePage = codePageOfFont(0);
    if (const QString eastAsian = m_document.property(kRtfSourceDefaultEastAsianFaceProperty).toString();
        !eastAsian.isEmpty())
        m_normalEastAsianFont = fontIndex(eastAsian);
    // Headers and footers name fonts, colours and styles: they go into the tables with the body's.
    const auto defaultSource = m_sourceFonts.find(m_sourceDefaultFont);
    m_documentGroups = remapKeptGroup(m_document.property(kRtfDocumentGroupsProperty).toByteArray(),
                                      defaultSource == m_sourceFonts.end() ? m_sourceCodePage
                                                                           : defaultSource->second.codePage);
    m_body.reserve(m_document.characterCount() + 1024);
    writeFrame(m_document.rootFrame(), false);
    QByteArray out;
    writeHeader(out);
    // A document not read from RTF (a plain text saved as .rtf) is in the editor's font size.
    const bool fromRtf = m_document.property(kRtfSourceFontsProperty).isValid();
    if (!fromRtf && m_document.defaultFont().pointSizeF() > 0)
        out.append("\\fs" + QByteArray::number(qRound(m_document.defaultFont().pointSizeF() * 2)) + ' ');
    out.append(m_body);
    out.append("}\r\n");
    return out;
}

} // namespace rtf

QByteArray writeRtf(const QTextDocument& document)
{
    return rtf::Writer(document).write();
}

} // namespace pemmo::formats
