// SPDX-License-Identifier: MIT
#pragma once

#include "rtfcharset.h"
#include "rtfdocumentbuilder.h"
#include "rtftokenizer.h"

#include <QByteArray>
#include <QColor>
#include <QString>
#include <QStringList>

#include <map>
#include <optional>
#include <vector>

namespace pemmo::formats::rtf {

enum class Destination {
    Body, ///< visible text
    Skip, ///< everything up to the group's end is ignored
    FontTable,
    ColourTable,
    Picture,
    FieldInstruction, ///< collected: an EQ field with an empty result shows its base text
    StyleSheet,
    ListTable,
    ListOverrideTable,
    ParaNumbering, ///< \pn: the old way to number a paragraph
    LevelText, ///< \leveltext or \pntxta/\pntxtb: a list level's number template
};

/** One level of a \list: its number format, first number and template (level placeholders as U+0000..U+0008). */
struct ListLevelDef
{
    int format = 0; ///< \levelnfcN
    int start = 1; ///< \levelstartatN
    QString text;
    bool hasText = false;
};

struct FieldFrame
{
    QString instruction;
    bool resultHasText = false;
    int link = -1; ///< a HYPERLINK field: index of its target
};

struct StyleDef
{
    QString name;
    int outlineLevel = -1;
};

enum class PictureKind { None, Png, Jpeg, Other };

struct GroupState
{
    Destination destination = Destination::Body;
    bool ownsDestination = false; ///< this group switched the destination (its end finishes a picture)
    CharProps chars;
    ParaProps para;
    int unicodeSkip = 1; ///< \ucN
    bool upr = false; ///< inside \upr: the first subgroup is the ANSI twin of the following \ud
    int uprChildren = 0;
    bool fieldOwner = false; ///< this group is a \field: its end completes the field
    bool nestTableProps = false; ///< a nested table's row definition: not the outer table's
    enum class Keep { No, Inline, Document };
    Keep keep = Keep::No; ///< the group is kept as written (footnote; header, \info...)
    qsizetype rawStart = 0; ///< where its "{" is in the input
};

/** The QTextListFormat::Style for a list level's \levelnfcN. */
int listStyleForNumberFormat(int levelNumberFormat);
/** A HYPERLINK field's target, added to links; -1 for other fields. */
int hyperlinkTarget(QStringView instruction, std::vector<QString>& links);

/** The reader's whole state: the group stack, the tables and the text waiting to be decoded. */
class Reader final
{
public:
    explicit Reader(QByteArrayView data);
    /** Runs to the end of the outermost group; false when the data is not RTF at all. */
    bool run();
    std::unique_ptr<QTextDocument> takeDocument();
    bool lossy() const { return m_lossy; }
    bool truncated() const { return m_truncated; }
    const QStringList& unkept() const { return m_unkept; }

private:
    GroupState& state() { return m_stack.back(); }
    void openGroup();
    void closeGroup();
    void controlWord(QByteArrayView word, bool hasParameter, int parameter);
    /** Notes what a skipped destination would lose on a save; @p unknown when no table names it. */
    void noteSkippedDestination(QByteArrayView word, bool unknown);
    bool bodyWord(int wordId, char16_t character, bool hasParameter, int value);
    void controlSymbol(char symbol);
    void textBytes(QByteArrayView bytes);
    void binary(qint64 count);
    void setDestination(Destination destination);

    void flushBytes();
    int currentCodePage();
    void emitText(QStringView text, const CharProps& props);
    void emitRaw(QStringView text, const CharProps& props);
    void emitUnit(char16_t unit);
    void emitUnicode(int value);
    void endParagraph();
    void cellEnd(bool nested);
    void rowEnd();
    void syncTable();
    void pageBreak();
    ParaProps resolved(const ParaProps& props) const;
    bool tableWord(int wordId, int value);
    bool listWord(int wordId, int value);
    void styleSheetBytes(QByteArrayView bytes);
    void commitStyle();
    void resolveSurrogate();

    void fontTableBytes(QByteArrayView bytes);
    void startFont(int number);
    void commitFont();
    void colourTableText(QByteArrayView bytes);
    void pictureBytes(QByteArrayView bytes);
    void finishPicture();
    void finishField();
    void finishLevelText();
    void fieldInstructionText(QStringView text);

    Tokenizer m_tokenizer;
    DocumentBuilder m_builder;
    CodePageDecoder m_decoder;
    std::vector<GroupState> m_stack;
    int m_excessDepth = 0; ///< groups opened beyond the depth limit; they share the deepest state
    bool m_starPending = false;
    bool m_atGroupStart = false; ///< \* counts only as the first thing in a group
    std::vector<FieldFrame> m_fields;
    bool m_finished = false;
    std::optional<ParaProps> m_lastPara;
    bool m_lossy = false;
    bool m_truncated = false;
    QStringList m_unkept;
    void noteUnkept(const QString& what)
    {
        if (!m_unkept.contains(what))
            m_unkept.append(what);
    }
    bool m_bodyStarted = false; ///< text or a paragraph end has been seen
    QByteArrayView m_lastWord;
    QByteArray m_pageSetup; ///< page and section set-up words before the text
    QByteArray m_documentGroups; ///< \info, headers, footers and unknown destinations before the text

    int m_ansiCodePage = 1252;
    int m_defaultFont = 0;
    int m_defaultHalfPoints = 0; ///< the Normal style's \fsN
    std::vector<FontEntry> m_fonts;
    std::map<int, int> m_fontNumbers; ///< \fN number -> index into m_fonts
    std::vector<QColor> m_colours;
    std::vector<QString> m_links;

    // Tables: the row definition in force and the cell being defined.
    std::vector<CellDef> m_rowDef;
    int m_rowGap = -1; ///< \trgaphN
    int m_rowPadding = -1; ///< \trpaddlN, which LibreOffice writes with \trgaph0
    CellDef m_cellDef;
    int m_cellBorderSide = 0; ///< the kRtfCellBorder* side that \clbrdrX named last

    // Lists: \listid -> its levels; \lsN -> \listid.
    std::map<int, std::vector<ListLevelDef>> m_listDefs;
    std::vector<ListLevelDef> m_listLevels;
    QString m_levelText; ///< the \leveltext or \pntxtX being read
    QByteArray m_levelBytes; ///< its bytes not yet decoded, so that a double-byte pair decodes as one
    void flushLevelBytes();
    int m_pnTextKind = 0; ///< 1 \pntxtb, 2 \pntxta, 0 \leveltext
    int m_pnFormat = 0; ///< \pn: the \levelnfc equivalent
    int m_pnStart = 1;
    QString m_pnBefore, m_pnAfter;
    std::map<int, int> m_listOverrides;
    int m_overrideListId = 0;
    int m_pnStyle = 0;
    int m_pnLevel = 0;

    // Paragraph styles and the entry being read.
    std::map<int, StyleDef> m_styles;
    int m_styleNumber = 0;
    int m_styleOutline = -1;
    bool m_styleEastAsian = false; ///< after \dbch in the style being read
    int m_defaultEastAsianFont = -1; ///< the Normal style's \af after \dbch, as the font table numbers it
    bool m_styleIsParagraph = true;
    QByteArray m_styleName;

    // The font entry being read.
    int m_fontNumber = 0;
    int m_fontCharset = -1;
    QByteArray m_fontName;
    bool m_fontOpen = false;

    // The colour being read.
    int m_red = -1, m_green = -1, m_blue = -1;

    // Text bytes wait here until something else happens, so double-byte pairs decode together.
    QByteArray m_bytes;
    Destination m_bytesDestination = Destination::Body;
    int m_bytesCodePage = 0;
    CharProps m_bytesProps;
    QString m_decoded;

    int m_skipFallback = 0; ///< fallback characters still to skip after \uN
    char16_t m_highSurrogate = 0;
    bool m_cellPending = false;
    int m_footnoteNumber = 0;
    int m_endnoteNumber = 0;
    int m_footnoteFormat = 0; ///< \levelnfc numbering of footnote marks: arabic unless the document says
    int m_endnoteFormat = 2; ///< endnotes count i, ii, iii unless the document says
    void keepPageSetupWord(bool hasParameter, int value);
    QByteArrayView m_input;

    PictureKind m_pictureKind = PictureKind::None;
    QByteArray m_picture;
    QByteArray m_pictureWords; ///< \jpegblip\picw..\picscalex..: written back with the original bytes
    int m_pictureNibble = -1;
    bool m_pictureTooLarge = false;
    int m_picWidthGoal = 0, m_picHeightGoal = 0, m_picScaleX = 100, m_picScaleY = 100;
};

} // namespace pemmo::formats::rtf
