// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QColor>
#include <QString>
#include <QTextBlockFormat>
#include <QTextCharFormat>
#include <QTextCursor>

#include <functional>
#include <map>
#include <memory>
#include <vector>

class QTextDocument;
class QTextList;
class QTextListFormat;
class QTextTable;

namespace pemmo::formats::rtf {

/** Character properties as RTF states them; indexes point into the font and colour tables. */
struct CharProps
{
    int font = -1; ///< -1: no \f seen, the editor's font applies
    int halfPoints = 0; ///< 0: no \fs seen
    bool bold = false;
    bool italic = false;
    bool underline = false;
    int underlineWord = 0; ///< which \ulxxx: an index into kUnderlineWords
    bool strike = false;
    bool doubleStrike = false; ///< \striked1
    bool caps = false; ///< \caps
    bool smallCaps = false; ///< \scaps
    bool outline = false; ///< \outl
    bool shadow = false; ///< \shad
    bool emboss = false; ///< \embo
    bool engrave = false; ///< \impr
    bool hidden = false; ///< \v
    int foreground = 0; ///< 0: automatic colour
    int background = 0;
    int vertical = 0; ///< -1 subscript, 1 superscript
    int raise = 0; ///< \upN (positive) or \dnN (negative) in half points; 0 with vertical: \super, \sub
    int link = -1; ///< index into the link targets: text of a HYPERLINK field's result
    bool footnoteMark = false; ///< \chftn: the automatic number of a footnote
    bool eastAsian = false; ///< \dbch: the associated properties that follow are the East Asian ones
    int eaBold = -1; ///< \ab after \dbch; -1: as \b
    int eaItalic = -1; ///< \ai after \dbch; -1: as \i
    int eaHalfPoints = 0; ///< \afs after \dbch; 0: as \fs
    int eaFont = -1; ///< \af after \dbch; -1: as \f

    friend bool operator==(const CharProps&, const CharProps&) = default;
};

/** The underline words, \ul first; CharProps::underlineWord indexes this list. */
inline constexpr const char* kUnderlineWords[] = { "ul",         "uld",       "uldash",   "uldashd", "uldashdd",
                                                   "uldb",       "ulth",      "ulw",      "ulwave",  "ulhwave",
                                                   "ululdbwave", "ulthd",     "ulthdash", "ulldash", "ulthldash",
                                                   "ulthdashd",  "ulthdashdd" };

struct TabStop
{
    int twips = 0;
    int kind = 0; ///< 0 left, 1 centre, 2 right, 3 decimal
};

struct ParaProps
{
    Qt::Alignment alignment = Qt::AlignLeft;
    int leftTwips = 0;
    int rightTwips = 0;
    int firstTwips = 0;
    std::vector<TabStop> tabs;
    bool inTable = false;
    int nestLevel = 1; ///< \itapN: 2 and deeper are tables inside a cell
    int pendingTabKind = 0; ///< the \tqr/\tqc/\tqdec that qualifies the next \tx
    int spaceBeforeTwips = 0;
    int spaceAfterTwips = 0;
    int lineSpacing = 0; ///< \slN: 0 single; with \slmult1 240ths of a line, else twips (<0 exactly)
    bool lineMultiple = false;
    bool pageBreakBefore = false;
    int style = -1; ///< \sN
    int outlineLevel = -1; ///< \outlinelevelN (0 = heading 1)
    int listOverride = -1; ///< \lsN
    int listLevel = 0; ///< \ilvlN
    int oldNumbering = 0; ///< \pn: a QTextListFormat::Style, 0 none
    int pnFormat = 0; ///< \pn: the \levelnfc equivalent of \pndec, \pnucrm, \pniroha...
    int pnStart = 1; ///< \pnstartN
    QString pnBefore, pnAfter; ///< \pntxtb, \pntxta
    // Filled in by the reader from its tables when the paragraph ends.
    int listStyle = 0; ///< QTextListFormat::Style, 0 none
    int listKey = 0;
    int listFormat = 0; ///< \levelnfcN
    int listStart = 1;
    QString listTemplate; ///< level placeholders as U+0000..U+0008
    int headingLevel = 0;
    QString styleName;

    friend bool operator==(const ParaProps&, const ParaProps&) = default;
};

/** One cell of a table row's definition (\trowd ... \cellxN). */
struct CellDef
{
    int rightTwips = 0;
    bool mergeFirst = false, mergedLeft = false; ///< \clmgf, \clmrg
    bool mergeTop = false, mergedAbove = false; ///< \clvmgf, \clvmrg
    int borders = 0; ///< kRtfCellBorder* sides with a line
    int shading = 0; ///< colour table index of \clcbpatN
};

/** A row as read: its definition and how many cells its text filled. */
struct RowLayout
{
    std::vector<CellDef> cells;
    int filled = 0;
};

/**
 * Gives the table what its rows defined: a grid from every row's cell edges (a cell wider than the
 * grid's columns spans them), merges, widths, borders and shading.
 */
void layOutTable(QTextTable& table, const std::vector<RowLayout>& rows, const std::function<QColor(int)>& colour);

struct FontEntry
{
    QString name;
    int codePage = 0; ///< 0: the document's \ansicpg
    int number = 0; ///< \fN
    int charset = -1; ///< \fcharsetN, -1 when the entry has none
};

/** Feeds QTextDocument through one cursor, merging consecutive text of the same look into one insert. */
class DocumentBuilder final
{
public:
    DocumentBuilder();
    ~DocumentBuilder();
    DocumentBuilder(const DocumentBuilder&) = delete;
    DocumentBuilder& operator=(const DocumentBuilder&) = delete;

    void setTables(const std::vector<FontEntry>* fonts, const std::vector<QColor>* colours,
                   const std::vector<QString>* links);
    void appendText(QStringView text, const CharProps& props);
    void endParagraph(const ParaProps& props);
    /** An object replacement character carrying a group the view cannot show, written back as it was. */
    void insertKeptGroup(const QByteArray& group, const CharProps& props);
    /** The current paragraph starts on a new page. */
    void pageBreak();
    bool blockHasText() const;
    /** Makes sure the cursor is in the table's current cell, opening the table or its next row first. */
    void enterCell(std::size_t columns);
    void endCell(const ParaProps& props);
    /** Ends the row; its definition gives widths, merges, borders and shading. */
    void endRow(const std::vector<CellDef>& cells);
    bool inTable() const { return m_table != nullptr; }
    /** The padding on each side of the table's cells, as its first row defines it. */
    void setCellPaddingTwips(int twips);
    void leaveTable();
    /** Inserts a PNG/JPEG picture; goalWidth/goalHeight in twips (0 = the picture's own size). */
    bool insertPicture(const QByteArray& data, int goalWidthTwips, int goalHeightTwips, const CharProps& props,
                       const QByteArray& pictureWords);
    /** Hands over the finished document; the last paragraph gets its properties. */
    std::unique_ptr<QTextDocument> finish(const ParaProps& lastParagraph);

    static QTextBlockFormat blockFormat(const ParaProps& props);

private:
    void flush();
    void finishParagraph(const ParaProps& props);
    void markOwnListLabel(const QTextListFormat& list);
    void applyTableLayout();
    QTextCharFormat charFormat(const CharProps& props) const;

    std::unique_ptr<QTextDocument> m_document;
    QTextCursor m_cursor;
    const std::vector<FontEntry>* m_fonts = nullptr;
    const std::vector<QColor>* m_colours = nullptr;
    const std::vector<QString>* m_links = nullptr;
    QTextTable* m_table = nullptr;
    int m_row = -1;
    int m_column = 0;
    bool m_rowOpen = false;
    bool m_cellDone = false; ///< \cell seen: the next content goes to the next cell
    std::vector<RowLayout> m_rowDefs;
    std::map<std::pair<int, int>, QTextList*> m_lists; ///< (list key, level) -> list
    QString m_run;
    CharProps m_runProps;
    qint64 m_picturePixels = 0;
    int m_pictureCount = 0;
};

} // namespace pemmo::formats::rtf
