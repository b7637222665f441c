// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QColor>
#include <QString>
#include <QTextBlockFormat>
#include <QTextCharFormat>
#include <QTextCursor>

#include <memory>
#include <vector>

class QTextDocument;

namespace pemmo::formats::rtf {

/** Character properties as RTF states them; indexes point into the font and colour tables. */
struct CharProps {
    int font = -1;        ///< -1: no \f seen, the editor's font applies
    int halfPoints = 0;   ///< 0: no \fs seen
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strike = false;
    int foreground = 0;   ///< 0: automatic colour
    int background = 0;
    int vertical = 0;     ///< -1 subscript, 1 superscript

    friend bool operator==(const CharProps&, const CharProps&) = default;
};

struct TabStop {
    int twips = 0;
    int kind = 0; ///< 0 left, 1 centre, 2 right, 3 decimal
};

struct ParaProps {
    Qt::Alignment alignment = Qt::AlignLeft;
    int leftTwips = 0;
    int rightTwips = 0;
    int firstTwips = 0;
    std::vector<TabStop> tabs;
    bool inTable = false;
    int pendingTabKind = 0; ///< the \tqr/\tqc/\tqdec that qualifies the next \tx

    friend bool operator==(const ParaProps&, const ParaProps&) = default;
};

struct FontEntry {
    QString name;
    int codePage = 0; ///< 0: the document's \ansicpg
};

/** Feeds QTextDocument through one cursor, merging consecutive text of the same look into one insert. */
class DocumentBuilder final {
public:
    DocumentBuilder();
    ~DocumentBuilder();
    DocumentBuilder(const DocumentBuilder&) = delete;
    DocumentBuilder& operator=(const DocumentBuilder&) = delete;

    void setTables(const std::vector<FontEntry>* fonts, const std::vector<QColor>* colours);
    void appendText(QStringView text, const CharProps& props);
    void endParagraph(const ParaProps& props);
    /** Inserts a PNG/JPEG picture; goalWidth/goalHeight in twips (0 = the picture's own size). */
    bool insertPicture(const QByteArray& data, int goalWidthTwips, int goalHeightTwips, const CharProps& props);
    /** Hands over the finished document; the last paragraph gets its properties. */
    std::unique_ptr<QTextDocument> finish(const ParaProps& lastParagraph);

    static QTextBlockFormat blockFormat(const ParaProps& props);

private:
    void flush();
    QTextCharFormat charFormat(const CharProps& props) const;

    std::unique_ptr<QTextDocument> m_document;
    QTextCursor m_cursor;
    const std::vector<FontEntry>* m_fonts = nullptr;
    const std::vector<QColor>* m_colours = nullptr;
    QString m_run;
    CharProps m_runProps;
    qint64 m_picturePixels = 0;
    int m_pictureCount = 0;
};

} // namespace pemmo::formats::rtf
