// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QColor>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>

#include "rtfcharset.h"

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

/** The first face the format names, or empty. */
QString familyOf(const QTextCharFormat& format);

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
    /** The written font for a face, declared with the charset the source gave it (CP932 for new faces). */
    int fontIndex(const QString& family);
    int fontIndex(const QString& family, int charset);
    int codePageOfFont(int index) const;
    void readSourceTables();
    /** A kept group with its numbers pointing into the written tables and its text in the written fonts. */
    QByteArray remapKeptGroup(QByteArrayView group, int sourceCodePage);
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
    void writeNumber(const char* word, int value);
    QByteArray encoded(QStringView text) const;
    /** @p unicodeSkip is the \ucN in force: how many fallback bytes follow a \uN. */
    static void appendEncoded(QByteArray& out, QStringView text, int codePage, int unicodeSkip);

    struct Style
    {
        QString name;
        int headingLevel = 0;
    };
    struct ListLevel
    {
        bool given = false; ///< a list of the document has this level
        int numberFormat = 0; ///< \levelnfcN
        int start = 1;
        QString pattern; ///< level placeholders as U+0000..U+0008
    };
    struct List
    {
        QVariant key; ///< the RTF list the levels came from; invalid for a list made in the editor
        std::array<ListLevel, 9> levels;
    };

    struct Font
    {
        QString family;
        int charset = 128;
    };
    struct SourceFont
    {
        QString family;
        int charset = 128; ///< as it is declared in the written table
        int codePage = 932; ///< what its bytes meant in the source
    };

    const QTextDocument& m_document;
    QList<Font> m_fonts;
    int m_codePage = 932; ///< of the font the text is being written in
    // The source's tables, for the numbers in kept groups; empty for a document not read from RTF.
    std::map<int, SourceFont> m_sourceFonts;
    std::map<QString, int> m_sourceCharsets; ///< face -> charset
    QList<QColor> m_sourceColours;
    std::map<int, Style> m_sourceStyles;
    int m_sourceCodePage = 932;
    int m_sourceDefaultFont = 0;
    int m_normalEastAsianFont = -1; ///< the Normal style's East Asian face in the written table, if any
    CodePageDecoder m_decoder;
    QByteArray m_documentGroups;
    QList<QColor> m_colours;
    QList<Style> m_styles; ///< \s1 onwards; \s0 is Normal
    QList<QTextList*> m_listObjects;
    QList<int> m_listIndexes; ///< each list object's \lsN
    QList<List> m_lists;
    QByteArray m_body;
};

} // namespace pemmo::formats::rtf
