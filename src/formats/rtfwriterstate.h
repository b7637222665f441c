// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QColor>
#include <QList>
#include <QString>
#include <QStringList>

#include <array>
#include <map>

class QTextBlock;
class QTextBlockFormat;
class QTextCharFormat;
class QTextDocument;
class QTextFrame;
class QTextImageFormat;
class QTextList;
class QTextTable;

namespace pemmo::formats::rtf {

inline constexpr qreal kTwipsPerPixel = 15.0;
/** The face a document without one of its own is written with. */
inline const QString kFallbackFontFamily = QStringLiteral("ＭＳ ゴシック");

inline int twips(qreal pixels)
{
    return qRound(pixels * kTwipsPerPixel);
}

/** One save: the body is written first, and the tables it used (fonts, colours, styles, lists) go in front. */
class Writer final
{
public:
    explicit Writer(const QTextDocument& document);

    QByteArray write();

private:
    int fontIndex(const QString& family);
    int colourIndex(const QColor& colour);
    int styleIndex(const QString& name, int headingLevel);
    int listIndex(QTextList* list);
    void writeHeader(QByteArray& out) const;
    void writeStyleSheet(QByteArray& out) const;
    void writeListTables(QByteArray& out) const;
    void writeFrame(const QTextFrame* frame, bool inTable);
    void writeTable(const QTextTable* table);
    void writeBlock(const QTextBlock& block, bool inTable);
    void writeBlockFormat(const QTextBlock& block, bool inTable);
    void writeCharFormat(const QTextCharFormat& format);
    void writeText(QStringView text);
    void writeImage(const QTextImageFormat& format);
    void writeHex(quint8 byte);
    void writeNumber(const char* word, int value);
    QByteArray encoded(QStringView text) const;

    struct Style
    {
        QString name;
        int headingLevel = 0;
    };
    struct List
    {
        int style = 0; ///< QTextListFormat::Style
    };

    const QTextDocument& m_document;
    const std::array<quint16, 0x10000>& m_cp932;
    QStringList m_fonts;
    std::map<QString, int> m_fontIndexes;
    QList<QColor> m_colours;
    QList<Style> m_styles; ///< \s1 onwards; \s0 is Normal
    QList<QTextList*> m_listObjects; ///< \ls1 onwards
    QList<List> m_lists;
    QByteArray m_body;
};

} // namespace pemmo::formats::rtf
