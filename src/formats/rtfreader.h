// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArrayView>
#include <QStringList>
#include <QTextFormat>

#include <memory>
#include <optional>

class QTextDocument;

namespace pemmo::formats {

/** The paragraph style's name (\sN in the stylesheet), kept on the block format so a save writes it back. */
inline constexpr int kRtfStyleNameProperty = QTextFormat::UserProperty + 0x5201;

/** A group the rich view cannot show (a footnote, a comment), kept on its object replacement character. */
inline constexpr int kRtfKeptGroupProperty = QTextFormat::UserProperty + 0x5202;
/** On a picture read from RTF: its original bytes (QByteArray) and its \pict words (\jpegblip\picw...). */
inline constexpr int kRtfPictureDataProperty = QTextFormat::UserProperty + 0x5204;
inline constexpr int kRtfPictureWordsProperty = QTextFormat::UserProperty + 0x5205;
/** On characters: the RTF underline word when it is not plain \ul (\uldb, \ulwave...). */
inline constexpr int kRtfUnderlineWordProperty = QTextFormat::UserProperty + 0x5206;
/** On characters: effects the view does not draw (\striked1\outl\shad\embo\impr), written back as they are. */
inline constexpr int kRtfCharacterEffectsProperty = QTextFormat::UserProperty + 0x5207;
/**
 * On raised or lowered characters (\upN, \dnN): the shift in half points, positive up. The view shows
 * them as super- or subscript; a save writes the shift back, so they keep their size.
 */
inline constexpr int kRtfRaiseProperty = QTextFormat::UserProperty + 0x5210;
/**
 * On East Asian characters whose run named only an East Asian face (\dbch\afN, the western face left to
 * the style): the face is theirs alone, and a save writes it after \dbch again, not as a western \f.
 */
inline constexpr int kRtfEastAsianFaceOnlyProperty = QTextFormat::UserProperty + 0x5212;
/**
 * On a list read from RTF (QTextListFormat), what Qt's list cannot hold: the \levelnfc number format,
 * the first number, the template (level placeholders as U+0000..U+0008) and the key of the RTF list
 * whose levels the list shares, so that "1.1." finds its parent.
 */
inline constexpr int kRtfListNumberFormatProperty = QTextFormat::UserProperty + 0x5208;
inline constexpr int kRtfListStartProperty = QTextFormat::UserProperty + 0x5209;
inline constexpr int kRtfListTemplateProperty = QTextFormat::UserProperty + 0x520A;
inline constexpr int kRtfListKeyProperty = QTextFormat::UserProperty + 0x520B;
/**
 * On a table cell whose table has lines on some sides of some cells only (pandoc: under the header
 * row): the sides with a line, kRtfCellBorderTop | ...; a table without it has lines all round or none.
 */
inline constexpr int kRtfCellBordersProperty = QTextFormat::UserProperty + 0x5211;
inline constexpr int kRtfCellBorderTop = 1, kRtfCellBorderLeft = 2, kRtfCellBorderBottom = 4, kRtfCellBorderRight = 8;
inline constexpr int kRtfCellBorderAll = 15;
/** The object type of those characters, so that a view can draw a marker for them. */
inline constexpr int kRtfKeptGroupObjectType = QTextFormat::UserObject + 0x52;
/** On a footnote's number in the text: written as \chftn. */
inline constexpr int kRtfFootnoteMarkProperty = QTextFormat::UserProperty + 0x5203;
/** Document properties (QByteArray) with what the rich view cannot show: \info, headers and footers... */
inline constexpr char kRtfDocumentGroupsProperty[] = "pemmoRtfDocumentGroups";
/** ...and the page and section set-up words. */
inline constexpr char kRtfPageSetupProperty[] = "pemmoRtfPageSetup";
/**
 * The source's tables, which the kept groups' \fN, \cfN and \sN numbers point into, so that a save
 * can renumber them: fonts (QVariantList of {number, name, charset or -1}), colours (QVariantList of
 * QColor, invalid for "automatic"), paragraph styles (QVariantMap number -> {name, outline level}),
 * \ansicpg and \deff.
 */
inline constexpr char kRtfSourceFontsProperty[] = "pemmoRtfSourceFonts";
inline constexpr char kRtfSourceColoursProperty[] = "pemmoRtfSourceColours";
inline constexpr char kRtfSourceStylesProperty[] = "pemmoRtfSourceStyles";
inline constexpr char kRtfSourceCodePageProperty[] = "pemmoRtfSourceCodePage";
inline constexpr char kRtfSourceDefaultFontProperty[] = "pemmoRtfSourceDefaultFont";
/** The Normal style's size in half points, when the source gave one. */
inline constexpr char kRtfSourceDefaultSizeProperty[] = "pemmoRtfSourceDefaultSize";
/** On the document: the Normal style's East Asian face (\dbch\afN), which a save names there again. */
inline constexpr char kRtfSourceDefaultEastAsianFaceProperty[] = "pemmoRtfSourceDefaultEastAsianFace";

struct RtfReadResult
{
    std::unique_ptr<QTextDocument> document;
    /** Bytes that did not decode: the text shows U+FFFD for them (a cut-off end is `truncated`, not this). */
    bool lossy = false;
    /** The file ended before its last group closed. */
    bool truncated = false;
    /** What the document had that a save cannot write (Japanese names, for the question before saving). */
    QStringList unkept;
};

/** Whether the content starts with an RTF header ("{\rtf"); reading follows the content, not the name. */
bool looksLikeRtf(QByteArrayView data);

/**
 * Reads RTF as word processors, rich-edit controls and converters write it. Returns nullopt when
 * the data is not RTF, so the caller reads it as plain text. Hostile input costs bounded depth,
 * bounded memory (proportional to the input) and linear time.
 */
std::optional<RtfReadResult> readRtf(QByteArrayView data);

} // namespace pemmo::formats
