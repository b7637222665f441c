// SPDX-License-Identifier: MIT
#include "rtfwriter.h"

#include "iconvcodec.h"
#include "rtfreader.h"
#include "rtfwriterstate.h"

#include <QBuffer>
#include <QImage>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextImageFormat>
#include <QUrl>

#include <array>
#include <map>
#include <memory>
#include <mutex>

namespace pemmo::formats {

namespace rtf {

namespace {

// CP932 bytes of every BMP character that CP932 holds both ways (0 when it does not).
const std::array<quint16, 0x10000>& cp932Table()
{
    static std::once_flag once;
    static std::unique_ptr<std::array<quint16, 0x10000>> table;
    std::call_once(once, [] {
        table = std::make_unique<std::array<quint16, 0x10000>>();
        IconvEncoder encoder("CP932");
        QByteArray bytes;
        for (char32_t c = 0x80; c < 0x10000; ++c) {
            if (QChar::isSurrogate(c) || !legacyEncodingHolds("CP932", char16_t(c)))
                continue;
            const char16_t unit = char16_t(c);
            bytes.clear();
            if (!encoder.encode(QStringView(&unit, 1), bytes) || bytes.isEmpty() || bytes.size() > 2)
                continue;
            const auto first = quint8(bytes[0]);
            (*table)[c] = bytes.size() == 1 ? first : quint16(first << 8 | quint8(bytes[1]));
        }
    });
    return *table;
}

} // namespace

Writer::Writer(const QTextDocument& document)
    : m_document(document)
    , m_cp932(cp932Table())
{ }

int Writer::fontIndex(const QString& family)
{
    const auto it = m_fontIndexes.find(family);
    if (it != m_fontIndexes.end())
        return it->second;
    m_fonts.append(family);
    m_fontIndexes.emplace(family, int(m_fonts.size() - 1));
    return int(m_fonts.size() - 1);
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

namespace {

QString familyOf(const QTextCharFormat& format)
{
    const QStringList families = format.fontFamilies().toStringList();
    return families.isEmpty() ? QString() : families.first();
}

} // namespace

void Writer::writeHex(quint8 byte)
{
    static constexpr char digits[] = "0123456789abcdef";
    m_body.append("\\'");
    m_body.append(digits[byte >> 4]);
    m_body.append(digits[byte & 15]);
}

void Writer::writeText(QStringView text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c == u'\\' || c == u'{' || c == u'}') {
            m_body.append('\\');
            m_body.append(char(c));
        } else if (c == u'\t') {
            m_body.append("\\tab ");
        } else if (c == QChar::LineSeparator) {
            m_body.append("\\line ");
        } else if (c == u'\u00A0') {
            m_body.append("\\~");
        } else if (c == u'\u00AD') {
            m_body.append("\\-");
        } else if (c == u'\u2011') {
            m_body.append("\\_");
        } else if (c >= 0x20 && c < 0x7F) {
            m_body.append(char(c));
        } else if (c < 0x80) {
            writeHex(quint8(c)); // control characters stay what they were
        } else if (const quint16 code = m_cp932[c]) {
            if (code > 0xFF)
                writeHex(quint8(code >> 8));
            writeHex(quint8(code & 0xFF));
        } else {
            // Outside CP932 (or read back as another character): Unicode with a "?" for older readers.
            m_body.append("\\u");
            m_body.append(QByteArray::number(qint16(c)));
            m_body.append('?');
        }
    }
}

void Writer::writeCharFormat(const QTextCharFormat& format)
{
    const qsizetype start = m_body.size();
    const QString family = familyOf(format);
    if (!family.isEmpty()) {
        m_body.append("\\f");
        m_body.append(QByteArray::number(fontIndex(family)));
    }
    if (format.hasProperty(QTextFormat::FontPointSize) && format.fontPointSize() > 0) {
        m_body.append("\\fs");
        m_body.append(QByteArray::number(qRound(format.fontPointSize() * 2)));
    }
    if (format.hasProperty(QTextFormat::FontWeight) && format.fontWeight() > QFont::Medium)
        m_body.append("\\b");
    if (format.fontItalic())
        m_body.append("\\i");
    if (format.fontUnderline())
        m_body.append("\\ul");
    if (format.fontStrikeOut())
        m_body.append("\\strike");
    if (format.hasProperty(QTextFormat::ForegroundBrush) && format.foreground().style() != Qt::NoBrush) {
        m_body.append("\\cf");
        m_body.append(QByteArray::number(colourIndex(format.foreground().color())));
    }
    if (format.hasProperty(QTextFormat::BackgroundBrush) && format.background().style() != Qt::NoBrush) {
        m_body.append("\\chcbpat");
        m_body.append(QByteArray::number(colourIndex(format.background().color())));
    }
    if (format.verticalAlignment() == QTextCharFormat::AlignSuperScript)
        m_body.append("\\super");
    else if (format.verticalAlignment() == QTextCharFormat::AlignSubScript)
        m_body.append("\\sub");
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
    Writer nameWriter(m_document);
    nameWriter.writeText(text);
    return nameWriter.m_body;
}

void Writer::writeHeader(QByteArray& out) const
{
    out.append("{\\rtf1\\ansi\\ansicpg932\\deff0\\uc1\\deflang1041\r\n{\\fonttbl");
    for (int i = 0; i < m_fonts.size(); ++i) {
        out.append("{\\f" + QByteArray::number(i) + "\\fnil\\fcharset128 ");
        out.append(encoded(m_fonts[i]));
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
    out.append(m_document.property(kRtfDocumentGroupsProperty).toByteArray());
    const QByteArray pageSetup = m_document.property(kRtfPageSetupProperty).toByteArray();
    if (!pageSetup.isEmpty())
        out.append(pageSetup + "\r\n");
}

QByteArray Writer::write()
{
    // The default font is \f0, so text without a face of its own keeps the document's.
    const QString family = m_document.defaultFont().family();
    fontIndex(family.isEmpty() ? kFallbackFontFamily : family);
    m_body.reserve(m_document.characterCount() + 1024);
    writeFrame(m_document.rootFrame(), false);
    QByteArray out;
    writeHeader(out);
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
