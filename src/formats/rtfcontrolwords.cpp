// SPDX-License-Identifier: MIT
// What each RTF control word does to the reader's state.
#include "rtfreaderstate.h"

#include <string_view>
#include <unordered_map>

namespace pemmo::formats::rtf {

namespace {

enum class Word {
    Unknown,
    // document
    Rtf, Ansi, Mac, Pc, Pca, AnsiCpg, Deff, Uc, U, Bin,
    // destinations
    FontTable, ColourTable, Pict, SkipDestination, Upr, Ud, ShpPict, NestTableProps, Field, FieldResult,
    FieldInstruction,
    // font table / colour table / picture
    F, FCharset, Red, Green, Blue, PngBlip, JpegBlip, OtherBlip, PicWGoal, PicHGoal, PicScaleX, PicScaleY,
    // character
    Plain, B, I, Ul, UlNone, Strike, Fs, Cf, Cb, Highlight, Super, Sub, NoSuperSub,
    // paragraph
    Pard, Ql, Qr, Qc, Qj, Li, Ri, Fi, Tx, Tb, Tqr, Tqc, Tqdec, InTable,
    // breaks and special characters
    Par, Line, Tab, Cell, Row, Page, Sect, Chftn, Character,
};

struct Entry {
    Word word;
    char16_t character = 0;
};

const std::unordered_map<std::string_view, Entry>& wordTable()
{
    static const std::unordered_map<std::string_view, Entry> table = [] {
        std::unordered_map<std::string_view, Entry> t;
        const std::pair<std::string_view, Word> words[] = {
            {"rtf", Word::Rtf}, {"ansi", Word::Ansi}, {"mac", Word::Mac}, {"pc", Word::Pc}, {"pca", Word::Pca},
            {"ansicpg", Word::AnsiCpg}, {"deff", Word::Deff}, {"uc", Word::Uc}, {"u", Word::U}, {"bin", Word::Bin},
            {"fonttbl", Word::FontTable}, {"colortbl", Word::ColourTable}, {"pict", Word::Pict},
            {"upr", Word::Upr}, {"ud", Word::Ud}, {"shppict", Word::ShpPict},
            {"nesttableprops", Word::NestTableProps}, {"field", Word::Field}, {"fldrslt", Word::FieldResult},
            {"fldinst", Word::FieldInstruction},
            {"f", Word::F}, {"fcharset", Word::FCharset}, {"red", Word::Red}, {"green", Word::Green},
            {"blue", Word::Blue}, {"pngblip", Word::PngBlip}, {"jpegblip", Word::JpegBlip},
            {"emfblip", Word::OtherBlip}, {"wmetafile", Word::OtherBlip}, {"macpict", Word::OtherBlip},
            {"dibitmap", Word::OtherBlip}, {"wbitmap", Word::OtherBlip}, {"pmmetafile", Word::OtherBlip},
            {"picwgoal", Word::PicWGoal}, {"pichgoal", Word::PicHGoal}, {"picscalex", Word::PicScaleX},
            {"picscaley", Word::PicScaleY}, {"plain", Word::Plain}, {"b", Word::B}, {"i", Word::I},
            {"ul", Word::Ul}, {"uld", Word::Ul}, {"uldash", Word::Ul}, {"uldashd", Word::Ul}, {"uldashdd", Word::Ul},
            {"uldb", Word::Ul}, {"ulth", Word::Ul}, {"ulw", Word::Ul}, {"ulwave", Word::Ul}, {"ulhwave", Word::Ul},
            {"ululdbwave", Word::Ul}, {"ulthd", Word::Ul}, {"ulthdash", Word::Ul}, {"ulldash", Word::Ul},
            {"ulnone", Word::UlNone}, {"strike", Word::Strike}, {"striked", Word::Strike}, {"fs", Word::Fs},
            {"cf", Word::Cf}, {"cb", Word::Cb}, {"chcbpat", Word::Cb}, {"highlight", Word::Highlight},
            {"super", Word::Super}, {"sub", Word::Sub}, {"nosupersub", Word::NoSuperSub}, {"pard", Word::Pard},
            {"ql", Word::Ql}, {"qr", Word::Qr}, {"qc", Word::Qc}, {"qj", Word::Qj}, {"li", Word::Li},
            {"lin", Word::Li}, {"ri", Word::Ri}, {"rin", Word::Ri}, {"fi", Word::Fi}, {"tx", Word::Tx},
            {"tb", Word::Tb}, {"tqr", Word::Tqr}, {"tqc", Word::Tqc}, {"tqdec", Word::Tqdec},
            {"intbl", Word::InTable}, {"par", Word::Par}, {"line", Word::Line}, {"tab", Word::Tab},
            {"cell", Word::Cell}, {"nestcell", Word::Cell}, {"row", Word::Row}, {"nestrow", Word::Row},
            {"page", Word::Page}, {"sect", Word::Sect}, {"chftn", Word::Chftn},
        };
        for (const auto& [name, word] : words)
            t.emplace(name, Entry{word});
        const std::pair<std::string_view, char16_t> characters[] = {
            {"emdash", u'\u2014'}, {"endash", u'\u2013'}, {"bullet", u'\u2022'}, {"lquote", u'\u2018'},
            {"rquote", u'\u2019'}, {"ldblquote", u'\u201C'}, {"rdblquote", u'\u201D'}, {"emspace", u'\u2003'},
            {"enspace", u'\u2002'}, {"qmspace", u'\u2005'}, {"zwj", u'\u200D'}, {"zwnj", u'\u200C'},
            {"ltrmark", u'\u200E'}, {"rtlmark", u'\u200F'},
        };
        for (const auto& [name, character] : characters)
            t.emplace(name, Entry{Word::Character, character});
        // Destinations whose content is not part of the document's text.
        static constexpr std::string_view skipped[] = {
            "stylesheet", "info", "header", "headerl", "headerr", "headerf", "footer", "footerl", "footerr",
            "footerf", "footnote", "annotation", "atnid", "atnauthor", "xe", "tc", "txe", "rxe",
            "bkmkstart", "bkmkend", "listtable", "listoverridetable", "revtbl", "rsidtbl", "generator", "pn",
            "pntxta", "pntxtb", "filetbl", "template", "comment", "objdata", "objclass", "objname", "nonshppict",
            "themedata", "colorschememapping", "latentstyles", "datastore", "xmlnstbl", "pgdsctbl", "shpinst",
            "sp", "sn", "sv", "shprslt", "do", "mmathPr", "docvar", "userprops", "ftnsep", "ftnsepc", "ftncn",
            "aftnsep", "aftnsepc", "aftncn", "passwordhash", "wgrffmtfilter", "listpicture", "pgptbl",
            "protusertbl", "operator", "author", "title", "subject", "keywords", "company", "doccomm",
            "hlinkbase", "category", "manager", "creatim", "revtim", "printim", "buptim", "formfield",
            "datafield", "htmltag", "mhtmltag", "expandedcolortbl", "fchars", "lchars", "panose", "falt",
            "fname", "blipuid", "nonesttables", "background", "private", "picprop", "fontemb", "fontfile",
            "keycode", "objalias", "objsect", "ud_placeholder",
        };
        for (const std::string_view name : skipped)
            t.emplace(name, Entry{Word::SkipDestination});
        return t;
    }();
    return table;
}

Entry lookup(QByteArrayView word)
{
    const auto& table = wordTable();
    const auto it = table.find(std::string_view(word.data(), size_t(word.size())));
    return it == table.end() ? Entry{Word::Unknown} : it->second;
}

bool toggle(bool hasParameter, int parameter)
{
    return !hasParameter || parameter != 0;
}

} // namespace

void Reader::controlWord(QByteArrayView word, bool hasParameter, int parameter)
{
    const Entry entry = lookup(word);
    if (entry.word == Word::Bin) {
        binary(hasParameter ? parameter : 0);
        return;
    }
    GroupState& current = state();
    if (current.destination == Destination::Skip)
        return;
    if (m_starPending) {
        m_starPending = false;
        // \* marks a destination that may be ignored when it is not understood.
        static constexpr Word understood[] = {Word::Ud,       Word::ShpPict,         Word::NestTableProps,
                                              Word::Pict,     Word::FontTable,       Word::ColourTable,
                                              Word::FieldInstruction};
        if (std::find(std::begin(understood), std::end(understood), entry.word) == std::end(understood)) {
            setDestination(Destination::Skip);
            return;
        }
    }
    if (current.destination == Destination::Body && m_skipFallback > 0) {
        --m_skipFallback;
        return;
    }
    const int value = hasParameter ? parameter : 0;
    switch (current.destination) {
    case Destination::FontTable:
        if (entry.word == Word::F)
            startFont(value);
        else if (entry.word == Word::FCharset)
            m_fontCharset = value;
        else if (entry.word == Word::SkipDestination)
            setDestination(Destination::Skip);
        return;
    case Destination::ColourTable:
        if (entry.word == Word::Red)
            m_red = value;
        else if (entry.word == Word::Green)
            m_green = value;
        else if (entry.word == Word::Blue)
            m_blue = value;
        return;
    case Destination::Picture:
        switch (entry.word) {
        case Word::PngBlip: m_pictureKind = PictureKind::Png; break;
        case Word::JpegBlip: m_pictureKind = PictureKind::Jpeg; break;
        case Word::OtherBlip: m_pictureKind = PictureKind::Other; break;
        case Word::PicWGoal: m_picWidthGoal = value; break;
        case Word::PicHGoal: m_picHeightGoal = value; break;
        case Word::PicScaleX: m_picScaleX = std::clamp(value, 1, 10000); break;
        case Word::PicScaleY: m_picScaleY = std::clamp(value, 1, 10000); break;
        default: break;
        }
        return;
    case Destination::FieldInstruction:
        if (entry.word == Word::U)
            emitUnicode(value);
        else if (entry.word == Word::Uc)
            current.unicodeSkip = std::clamp(value, 0, 16);
        return;
    case Destination::Skip:
        return;
    case Destination::Body:
        break;
    }
    if (!bodyWord(static_cast<int>(entry.word), entry.character, hasParameter, value))
        return;
}

bool Reader::bodyWord(int wordId, char16_t character, bool hasParameter, int value)
{
    const auto word = static_cast<Word>(wordId);
    GroupState& current = state();
    CharProps& chars = current.chars;
    ParaProps& para = current.para;
    // Formatting changes apply to text that follows: decode what came before with the old look.
    flushBytes();
    switch (word) {
    case Word::Unknown: case Word::Rtf: case Word::Ud: case Word::ShpPict: case Word::NestTableProps:
    case Word::FieldResult: case Word::FCharset: case Word::Red: case Word::Green:
    case Word::Blue: case Word::PngBlip: case Word::JpegBlip: case Word::OtherBlip: case Word::PicWGoal:
    case Word::PicHGoal: case Word::PicScaleX: case Word::PicScaleY: case Word::Bin:
        return true;
    case Word::Ansi: m_ansiCodePage = 1252; return true;
    case Word::Mac: m_ansiCodePage = 10000; return true;
    case Word::Pc: m_ansiCodePage = 437; return true;
    case Word::Pca: m_ansiCodePage = 850; return true;
    case Word::AnsiCpg:
        if (CodePageDecoder::isKnownCodePage(value) && value != kSymbolCodePage)
            m_ansiCodePage = value;
        return true;
    case Word::Deff: m_defaultFont = value; return true;
    case Word::Uc: current.unicodeSkip = std::clamp(value, 0, 16); return true;
    case Word::U: emitUnicode(value); return true;
    case Word::FontTable: setDestination(Destination::FontTable); return true;
    case Word::ColourTable: setDestination(Destination::ColourTable); return true;
    case Word::Pict: setDestination(Destination::Picture); return true;
    case Word::SkipDestination: setDestination(Destination::Skip); return true;
    case Word::Upr: current.upr = true; return true;
    case Word::Field:
        if (!current.fieldOwner && m_fields.size() < 64) {
            current.fieldOwner = true;
            m_fields.emplace_back();
        }
        return true;
    case Word::FieldInstruction:
        setDestination(Destination::FieldInstruction);
        return true;
    case Word::F: {
        const auto it = m_fontNumbers.find(value);
        chars.font = it == m_fontNumbers.end() ? -1 : it->second;
        return true;
    }
    case Word::Plain: chars = CharProps{}; return true;
    case Word::B: chars.bold = toggle(hasParameter, value); return true;
    case Word::I: chars.italic = toggle(hasParameter, value); return true;
    case Word::Ul: chars.underline = toggle(hasParameter, value); return true;
    case Word::UlNone: chars.underline = false; return true;
    case Word::Strike: chars.strike = toggle(hasParameter, value); return true;
    case Word::Fs: chars.halfPoints = hasParameter ? std::clamp(value, 2, 3276) : 0; return true;
    case Word::Cf: chars.foreground = std::max(value, 0); return true;
    case Word::Cb: case Word::Highlight: chars.background = std::max(value, 0); return true;
    case Word::Super: chars.vertical = 1; return true;
    case Word::Sub: chars.vertical = -1; return true;
    case Word::NoSuperSub: chars.vertical = 0; return true;
    case Word::Pard: para = ParaProps{}; return true;
    case Word::Ql: para.alignment = Qt::AlignLeft; return true;
    case Word::Qr: para.alignment = Qt::AlignRight; return true;
    case Word::Qc: para.alignment = Qt::AlignHCenter; return true;
    case Word::Qj: para.alignment = Qt::AlignJustify; return true;
    case Word::Li: para.leftTwips = std::clamp(value, -31680, 31680); return true;
    case Word::Ri: para.rightTwips = std::clamp(value, -31680, 31680); return true;
    case Word::Fi: para.firstTwips = std::clamp(value, -31680, 31680); return true;
    case Word::Tqr: para.pendingTabKind = 2; return true;
    case Word::Tqc: para.pendingTabKind = 1; return true;
    case Word::Tqdec: para.pendingTabKind = 3; return true;
    case Word::Tx: case Word::Tb:
        if (para.tabs.size() < 64 && value > 0)
            para.tabs.push_back(TabStop{std::min(value, 31680), para.pendingTabKind});
        para.pendingTabKind = 0;
        return true;
    case Word::InTable: para.inTable = true; return true;
    case Word::Par: case Word::Page: case Word::Sect: case Word::Row: endParagraph(); return true;
    case Word::Line: emitUnit(QChar::LineSeparator); return true;
    case Word::Tab: emitUnit(u'\t'); return true;
    case Word::Cell: cellEnd(); return true;
    case Word::Chftn: emitText(QString::number(++m_footnoteNumber), chars); return true;
    case Word::Character: emitUnit(character); return true;
    }
    return true;
}

void Reader::controlSymbol(char symbol)
{
    if (state().destination == Destination::Skip)
        return;
    if (symbol == '*') {
        m_starPending = true;
        return;
    }
    if (state().destination != Destination::Body) {
        if (symbol == '\\' || symbol == '{' || symbol == '}') {
            const char literal = symbol;
            textBytes(QByteArrayView(&literal, 1));
        }
        return;
    }
    if (m_skipFallback > 0) {
        --m_skipFallback;
        return;
    }
    switch (symbol) {
    case '\\': case '{': case '}': {
        const char literal = symbol;
        textBytes(QByteArrayView(&literal, 1));
        return;
    }
    case '~': emitUnit(u'\u00A0'); return;
    case '-': emitUnit(u'\u00AD'); return;
    case '_': emitUnit(u'\u2011'); return;
    case '\n': case '\r': endParagraph(); return; // backslash + line break, as TextEdit writes it
    case '\t': emitUnit(u'\t'); return;
    default: return; // \: \| and unknown symbols carry no text
    }
}

} // namespace pemmo::formats::rtf
