// SPDX-License-Identifier: MIT
// What each RTF control word does to the reader's state.
#include "formattexts.h"
#include "richtextstructure.h"
#include "rtfreader.h"
#include "rtfreaderstate.h"

#include <QTextListFormat>

#include <string_view>
#include <unordered_map>

namespace pemmo::formats::rtf {

// The tables and switches below are laid out one entry per line-part on purpose.
// clang-format off

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
    Plain, B, I, Ul, UlNone, Strike, DoubleStrike, Caps, SmallCaps, Outline, Shadow, Emboss, Engrave, Hidden,
    UnkeptSpacing, Fs, Cf, Cb, Highlight, Super, Sub, NoSuperSub,
    // paragraph
    Pard, Ql, Qr, Qc, Qj, Li, Ri, Fi, Tx, Tb, Tqr, Tqc, Tqdec, InTable,
    // breaks and special characters
    Par, Line, Tab, Cell, Row, Page, Sect, Column, Chftn, Character, NoteNumbering, NoteStart,
    // tables
    Trowd, RowGap, RowPadding, Cellx, Clmgf, Clmrg, Clvmgf, Clvmrg, Clcbpat, ClBorder, BorderLine, BorderNone, Itap, NestCell, NestRow,
    // lists, styles, spacing
    StyleSheet, S, OtherStyle, OutlineLevel, ListTable, ListOverrideTable, List, ListLevel, LevelNfc, ListId,
    ListOverride, Ls, Ilvl, Pn, PnBullet, PnBody, PnCont, PnLevel, PnDec, PnUcLtr, PnLcLtr, PnUcRm, PnLcRm,
    PnEastAsian, LevelStartAt, PnStart, LevelText, PnTextBefore, PnTextAfter,
    Sb, Sa, Sl, SlMult, PageBb, Up, Dn,
    // East Asian text
    Loch, Hich, Dbch, Ab, Ai, Af, Afs,
    // groups kept as they are: at their place in the text, or for the whole document; page set-up
    KeptInline, KeptDocument, PageSetup, PicSize,
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
            {"ulthldash", Word::Ul}, {"ulthdashd", Word::Ul}, {"ulthdashdd", Word::Ul},
            {"ulnone", Word::UlNone}, {"strike", Word::Strike}, {"striked", Word::DoubleStrike},
            {"caps", Word::Caps}, {"scaps", Word::SmallCaps}, {"outl", Word::Outline}, {"shad", Word::Shadow},
            {"embo", Word::Emboss}, {"impr", Word::Engrave}, {"v", Word::Hidden}, {"expnd", Word::UnkeptSpacing},
            {"expndtw", Word::UnkeptSpacing}, {"charscalex", Word::UnkeptSpacing}, {"fs", Word::Fs},
            {"cf", Word::Cf}, {"cb", Word::Cb}, {"chcbpat", Word::Cb}, {"highlight", Word::Highlight},
            {"super", Word::Super}, {"sub", Word::Sub}, {"nosupersub", Word::NoSuperSub}, {"pard", Word::Pard},
            {"ql", Word::Ql}, {"qr", Word::Qr}, {"qc", Word::Qc}, {"qj", Word::Qj}, {"li", Word::Li},
            {"lin", Word::Li}, {"ri", Word::Ri}, {"rin", Word::Ri}, {"fi", Word::Fi}, {"tx", Word::Tx},
            {"tb", Word::Tb}, {"tqr", Word::Tqr}, {"tqc", Word::Tqc}, {"tqdec", Word::Tqdec},
            {"intbl", Word::InTable}, {"par", Word::Par}, {"line", Word::Line}, {"tab", Word::Tab},
            {"cell", Word::Cell}, {"row", Word::Row},
            {"page", Word::Page}, {"sect", Word::Sect}, {"column", Word::Column}, {"chftn", Word::Chftn},
            {"ftnstart", Word::NoteStart}, {"aftnstart", Word::NoteStart},
            {"trowd", Word::Trowd}, {"trgaph", Word::RowGap}, {"trpaddl", Word::RowPadding},
            {"trpaddr", Word::RowPadding}, {"cellx", Word::Cellx}, {"clmgf", Word::Clmgf}, {"clmrg", Word::Clmrg},
            {"clvmgf", Word::Clvmgf}, {"clvmrg", Word::Clvmrg}, {"clcbpat", Word::Clcbpat},
            {"clbrdrt", Word::ClBorder}, {"clbrdrl", Word::ClBorder}, {"clbrdrb", Word::ClBorder},
            {"clbrdrr", Word::ClBorder}, {"brdrs", Word::BorderLine}, {"brdrth", Word::BorderLine},
            {"brdrdb", Word::BorderLine}, {"brdrsh", Word::BorderLine}, {"brdrdot", Word::BorderLine},
            {"brdrdash", Word::BorderLine}, {"brdrhair", Word::BorderLine}, {"brdrnone", Word::BorderNone},
            {"itap", Word::Itap}, {"nestcell", Word::NestCell}, {"nestrow", Word::NestRow},
            {"stylesheet", Word::StyleSheet}, {"s", Word::S}, {"cs", Word::OtherStyle}, {"ds", Word::OtherStyle},
            {"ts", Word::OtherStyle}, {"outlinelevel", Word::OutlineLevel}, {"listtable", Word::ListTable},
            {"listoverridetable", Word::ListOverrideTable}, {"list", Word::List}, {"listlevel", Word::ListLevel},
            {"levelnfc", Word::LevelNfc}, {"levelnfcn", Word::LevelNfc}, {"listid", Word::ListId},
            {"listoverride", Word::ListOverride}, {"ls", Word::Ls}, {"ilvl", Word::Ilvl}, {"pn", Word::Pn},
            {"pnlvlblt", Word::PnBullet}, {"pnlvlbody", Word::PnBody}, {"pnlvlcont", Word::PnCont},
            {"pnlvl", Word::PnLevel}, {"pndec", Word::PnDec}, {"pnucltr", Word::PnUcLtr},
            {"pnlcltr", Word::PnLcLtr}, {"pnucrm", Word::PnUcRm}, {"pnlcrm", Word::PnLcRm},
            {"pnaiu", Word::PnEastAsian}, {"pnaiud", Word::PnEastAsian}, {"pniroha", Word::PnEastAsian},
            {"pnirohad", Word::PnEastAsian}, {"pncnum", Word::PnEastAsian}, {"pndbnum", Word::PnEastAsian},
            {"pndecd", Word::PnEastAsian}, {"levelstartat", Word::LevelStartAt}, {"pnstart", Word::PnStart},
            {"leveltext", Word::LevelText}, {"pntxtb", Word::PnTextBefore}, {"pntxta", Word::PnTextAfter}, {"sb", Word::Sb},
            {"sa", Word::Sa}, {"sl", Word::Sl}, {"slmult", Word::SlMult}, {"pagebb", Word::PageBb},
            {"up", Word::Up}, {"dn", Word::Dn}, {"loch", Word::Loch}, {"hich", Word::Hich}, {"dbch", Word::Dbch},
            {"ab", Word::Ab}, {"ai", Word::Ai}, {"af", Word::Af}, {"afs", Word::Afs},
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
        // How footnotes and endnotes are numbered: read for the numbers shown, and kept for the save.
        for (const std::string_view name : {"ftnnar", "ftnnalc", "ftnnauc", "ftnnrlc", "ftnnruc", "ftnnchi",
                                            "aftnnar", "aftnnalc", "aftnnauc", "aftnnrlc", "aftnnruc", "aftnnchi"})
            t.emplace(name, Entry{Word::NoteNumbering});
        for (const std::string_view name : {"picw", "pich", "piccropl", "piccropr", "piccropt", "piccropb"})
            t.emplace(name, Entry{Word::PicSize});
        for (const std::string_view name : {"footnote", "annotation"})
            t.emplace(name, Entry{Word::KeptInline});
        for (const std::string_view name : {"info", "header", "headerl", "headerr", "headerf", "footer", "footerl",
                                            "footerr", "footerf"})
            t.emplace(name, Entry{Word::KeptDocument});
        // Page and section set-up, which the rich view has no place for but a save writes back.
        for (const std::string_view name : {"paperw", "paperh", "margl", "margr", "margt", "margb", "gutter",
                                            "landscape", "facingp", "titlepg", "sectd", "pgwsxn", "pghsxn",
                                            "marglsxn", "margrsxn", "margtsxn", "margbsxn", "lndscpsxn",
                                            "headery", "footery", "cols", "colsx", "pgnstarts", "sbknone",
                                            "linex", "ltrsect"})
            t.emplace(name, Entry{Word::PageSetup});
        // Destinations whose content is not part of the document's text.
        static constexpr std::string_view skipped[] = {
            "atnid", "atnauthor", "xe", "tc", "txe", "rxe",
            "bkmkstart", "bkmkend", "revtbl", "rsidtbl", "generator", "listtext", "pntext", "levelnumbers", "listname",
            "filetbl", "template", "comment", "objdata", "objclass", "objname", "nonshppict",
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

// Unknown destinations that writers put into the text and that hold nothing a reader sees or a
// save would miss: paragraph and page-style bookkeeping, defaults already applied, metadata.
bool isBenignDestination(QByteArrayView word)
{
    static constexpr std::string_view benign[] = {
        "pnseclvl", "listtag", "hyphen", "pgdscno", "pgdsc", "updnprop", "defchp", "defpap", "rdf",
        "saveprevpict", "headeryb", "footeryb", "xmlopen", "xmlclose", "xmlattr", "xmlattrname", "xmlattrvalue",
        "hlfr", "hlsrc", "hlloc", "fldtype", "tcn", "rsid",
    };
    const std::string_view name(word.data(), size_t(word.size()));
    return std::find(std::begin(benign), std::end(benign), name) != std::end(benign);
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

void Reader::keepPageSetupWord(bool hasParameter, int value)
{
    if (!m_bodyStarted && m_pageSetup.size() < 4096) {
        m_pageSetup += '\\' + QByteArray(m_lastWord.data(), m_lastWord.size());
        if (hasParameter)
            m_pageSetup += QByteArray::number(value);
    }
}

void Reader::noteSkippedDestination(QByteArrayView word, bool unknown)
{
    if (word == "bkmkstart")
        noteUnkept(kUnkeptBookmark);
    else if (word == "shpinst" || word == "do")
        noteUnkept(kUnkeptShape);
    else if (word == "xe" || word == "tc")
        noteUnkept(kUnkeptIndexEntry);
    else if (unknown && m_bodyStarted && !isBenignDestination(word))
        noteUnkept(kUnkeptUnknownDestination.arg(QString::fromLatin1(word)));
}

void Reader::controlWord(QByteArrayView word, bool hasParameter, int parameter)
{
    const Entry entry = lookup(word);
    m_lastWord = word;
    if (entry.word == Word::Bin) {
        binary(hasParameter ? parameter : 0);
        return;
    }
    GroupState& current = state();
    if (current.destination == Destination::Skip)
        return;
    if (m_starPending) {
        m_starPending = false;
        // \* marks a destination that may be ignored when it is not understood. Some writers (AbiWord)
        // mark a field's result so: it is the text the reader sees.
        static constexpr Word understood[] = {Word::Ud, Word::ShpPict, Word::NestTableProps, Word::Pict,
                                              Word::FontTable, Word::ColourTable, Word::FieldInstruction,
                                              Word::FieldResult,
                                              Word::ListTable, Word::ListOverrideTable, Word::Pn, Word::StyleSheet,
                                              Word::KeptInline, Word::KeptDocument};
        if (std::find(std::begin(understood), std::end(understood), entry.word) == std::end(understood)) {
            setDestination(Destination::Skip);
            // Before the text starts, an unknown destination belongs to the document: keep it for the save.
            if (entry.word == Word::Unknown && !m_bodyStarted && current.destination == Destination::Skip)
                current.keep = GroupState::Keep::Document;
            else
                noteSkippedDestination(word, entry.word == Word::Unknown);
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
        case Word::PngBlip: m_pictureKind = PictureKind::Png; m_pictureWords.prepend("\\pngblip"); break;
        case Word::JpegBlip: m_pictureKind = PictureKind::Jpeg; m_pictureWords.prepend("\\jpegblip"); break;
        case Word::PicSize:
            if (m_pictureWords.size() < 512)
                m_pictureWords += '\\' + m_lastWord.toByteArray() + QByteArray::number(value);
            break;
        case Word::OtherBlip: m_pictureKind = PictureKind::Other; break;
        case Word::PicWGoal: m_picWidthGoal = value; break;
        case Word::PicHGoal: m_picHeightGoal = value; break;
        case Word::PicScaleX: m_picScaleX = std::clamp(value, 1, 10000); break;
        case Word::PicScaleY: m_picScaleY = std::clamp(value, 1, 10000); break;
        default: break;
        }
        // The size words go back with the picture's own bytes when it is saved.
        if ((entry.word == Word::PicWGoal || entry.word == Word::PicHGoal || entry.word == Word::PicScaleX
                || entry.word == Word::PicScaleY) && m_pictureWords.size() < 512)
            m_pictureWords += '\\' + m_lastWord.toByteArray() + QByteArray::number(value);
        return;
    case Destination::FieldInstruction:
        if (entry.word == Word::U)
            emitUnicode(value);
        else if (entry.word == Word::Uc)
            current.unicodeSkip = std::clamp(value, 0, 16);
        return;
    case Destination::StyleSheet:
        if (entry.word == Word::S)
            m_styleNumber = value;
        else if (entry.word == Word::OtherStyle)
            m_styleIsParagraph = false;
        else if (entry.word == Word::OutlineLevel)
            m_styleOutline = value;
        else if (entry.word == Word::Fs && m_styleNumber == 0 && m_styleIsParagraph && hasParameter)
            m_defaultHalfPoints = std::clamp(value, 2, 3276); // the Normal style's size: text without \fs has it
        else if (entry.word == Word::Dbch || entry.word == Word::Loch || entry.word == Word::Hich)
            m_styleEastAsian = entry.word == Word::Dbch;
        else if (entry.word == Word::Af && m_styleEastAsian && m_styleNumber == 0 && m_styleIsParagraph &&
                 hasParameter)
            m_defaultEastAsianFont = value; // the Normal style's East Asian face: Japanese without \af has it
        else if (entry.word == Word::SkipDestination)
            setDestination(Destination::Skip);
        return;
    case Destination::LevelText:
        if (entry.word == Word::U) {
            flushLevelBytes();
            const int unit = value < 0 ? value + 65536 : value;
            if (unit > 0 && unit <= 0xFFFF && m_levelText.size() < 256)
                m_levelText.append(QChar(char16_t(unit)));
            m_skipFallback = current.unicodeSkip;
        } else if (entry.word == Word::Uc) {
            current.unicodeSkip = std::clamp(value, 0, 16);
        }
        return;
    case Destination::ListTable:
    case Destination::ListOverrideTable:
    case Destination::ParaNumbering:
        if (entry.word == Word::SkipDestination)
            setDestination(Destination::Skip);
        else
            listWord(static_cast<int>(entry.word), value);
        return;
    case Destination::Skip:
        return;
    case Destination::Body:
        break;
    }
    if (tableWord(static_cast<int>(entry.word), value))
        return;
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
    case Word::PicHGoal: case Word::PicScaleX: case Word::PicScaleY: case Word::Bin: case Word::PicSize:
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
    case Word::SkipDestination:
        setDestination(Destination::Skip);
        noteSkippedDestination(m_lastWord, false);
        return true;
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
    // The associated properties after \dbch are those of the East Asian characters.
    case Word::Loch:
    case Word::Hich: chars.eastAsian = false; return true;
    case Word::Dbch: chars.eastAsian = true; return true;
    case Word::Ab: if (chars.eastAsian) chars.eaBold = toggle(hasParameter, value) ? 1 : 0; return true;
    case Word::Ai: if (chars.eastAsian) chars.eaItalic = toggle(hasParameter, value) ? 1 : 0; return true;
    case Word::Afs: if (chars.eastAsian) chars.eaHalfPoints = hasParameter ? std::clamp(value, 2, 3276) : 0; return true;
    case Word::Af:
        if (chars.eastAsian) {
            const auto it = m_fontNumbers.find(value);
            chars.eaFont = it == m_fontNumbers.end() ? -1 : it->second;
        }
        return true;
    case Word::Ul: {
        chars.underline = toggle(hasParameter, value);
        const auto found = std::find_if(std::begin(kUnderlineWords), std::end(kUnderlineWords),
                                        [this](const char* name) { return m_lastWord == name; });
        chars.underlineWord = found == std::end(kUnderlineWords) ? 0 : int(found - std::begin(kUnderlineWords));
        return true;
    }
    case Word::DoubleStrike: chars.doubleStrike = toggle(hasParameter, value); return true;
    case Word::Caps: chars.caps = toggle(hasParameter, value); return true;
    case Word::SmallCaps: chars.smallCaps = toggle(hasParameter, value); return true;
    case Word::Outline: chars.outline = toggle(hasParameter, value); return true;
    case Word::Shadow: chars.shadow = toggle(hasParameter, value); return true;
    case Word::Emboss: chars.emboss = toggle(hasParameter, value); return true;
    case Word::Engrave: chars.engrave = toggle(hasParameter, value); return true;
    case Word::Hidden: chars.hidden = toggle(hasParameter, value); return true;
    case Word::UnkeptSpacing:
        // Character spacing and width: the view has no place for them, and a save would drop them.
        if (hasParameter && value != 0 && !(m_lastWord == "charscalex" && value == 100))
            noteUnkept(kUnkeptCharacterSpacing);
        return true;
    case Word::UlNone: chars.underline = false; return true;
    case Word::Strike: chars.strike = toggle(hasParameter, value); return true;
    case Word::Fs: chars.halfPoints = hasParameter ? std::clamp(value, 2, 3276) : 0; return true;
    case Word::Cf: chars.foreground = std::max(value, 0); return true;
    case Word::Cb: case Word::Highlight: chars.background = std::max(value, 0); return true;
    case Word::Super: chars.vertical = 1; chars.raise = 0; return true;
    case Word::Sub: chars.vertical = -1; chars.raise = 0; return true;
    case Word::NoSuperSub: chars.vertical = 0; chars.raise = 0; return true;
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
    case Word::Par: endParagraph(); return true;
    case Word::Sect:
        // Sections become paragraphs: their own page set-up and headers are not kept.
        noteUnkept(kUnkeptSection);
        endParagraph();
        return true;
    case Word::Page: pageBreak(); return true;
    case Word::Column:
        // Columns are not shown: the break becomes a paragraph end, so the words on each side stay apart.
        noteUnkept(kUnkeptColumnBreak);
        endParagraph();
        return true;
    case Word::NoteNumbering: {
        static const std::pair<std::string_view, int> formats[] = { { "nar", 0 }, { "nalc", 4 }, { "nauc", 3 },
                                                                    { "nrlc", 2 }, { "nruc", 1 }, { "nchi", 23 } };
        const bool endnote = m_lastWord.startsWith("a");
        const std::string_view kind(m_lastWord.data() + (endnote ? 4 : 3), size_t(m_lastWord.size() - (endnote ? 4 : 3)));
        for (const auto& [name, format] : formats) {
            if (kind == name)
                (endnote ? m_endnoteFormat : m_footnoteFormat) = format;
        }
        keepPageSetupWord(hasParameter, value);
        return true;
    }
    case Word::NoteStart:
        (m_lastWord == "aftnstart" ? m_endnoteNumber : m_footnoteNumber) = std::clamp(value, 1, 32767) - 1;
        keepPageSetupWord(hasParameter, value);
        return true;
    case Word::Row: rowEnd(); return true;
    case Word::NestRow: endParagraph(); return true;
    case Word::NestCell: cellEnd(true); return true;
    case Word::Itap: para.nestLevel = std::clamp(value, 0, 64); para.inTable = value > 0; return true;
    case Word::StyleSheet: setDestination(Destination::StyleSheet); return true;
    case Word::ListTable: setDestination(Destination::ListTable); return true;
    case Word::ListOverrideTable: setDestination(Destination::ListOverrideTable); return true;
    case Word::Pn: setDestination(Destination::ParaNumbering); return true;
    case Word::S: para.style = std::max(value, 0); return true;
    case Word::OutlineLevel: para.outlineLevel = value >= 0 && value < 9 ? value : -1; return true;
    case Word::Ls: para.listOverride = std::max(value, 0); return true;
    case Word::Ilvl: para.listLevel = std::clamp(value, 0, 8); return true;
    case Word::Sb: para.spaceBeforeTwips = std::clamp(value, 0, 31680); return true;
    case Word::Sa: para.spaceAfterTwips = std::clamp(value, 0, 31680); return true;
    case Word::Sl: para.lineSpacing = std::clamp(value, -31680, 31680); return true;
    case Word::SlMult: para.lineMultiple = value != 0; return true;
    case Word::PageBb: para.pageBreakBefore = toggle(hasParameter, value); return true;
    case Word::Up: case Word::Dn: {
        // Without a number the shift is 3 points.
        const int shift = hasParameter ? std::clamp(value, 0, 3276) : 6;
        chars.vertical = shift == 0 ? 0 : (word == Word::Up ? 1 : -1);
        chars.raise = chars.vertical * shift;
        return true;
    }
    case Word::OtherStyle: case Word::List: case Word::ListLevel: case Word::LevelNfc: case Word::ListId:
    case Word::ListOverride: case Word::PnBullet: case Word::PnBody: case Word::PnCont: case Word::PnLevel:
    case Word::PnDec: case Word::PnUcLtr: case Word::PnLcLtr: case Word::PnUcRm: case Word::PnLcRm:
    case Word::PnEastAsian: case Word::LevelStartAt: case Word::PnStart: case Word::LevelText:
    case Word::PnTextBefore: case Word::PnTextAfter:
    case Word::Trowd: case Word::RowGap: case Word::RowPadding: case Word::Cellx: case Word::Clmgf: case Word::Clmrg: case Word::Clvmgf: case Word::Clvmrg:
    case Word::Clcbpat: case Word::ClBorder: case Word::BorderLine: case Word::BorderNone:
        return true;
    case Word::Line: emitUnit(QChar::LineSeparator); return true;
    case Word::Tab: emitUnit(u'\t'); return true;
    case Word::Cell: cellEnd(current.para.nestLevel > 1); return true;
    case Word::Chftn: {
        // The number is shown; the mark says a save writes \chftn again.
        CharProps mark = chars;
        mark.footnoteMark = true;
        // An endnote (\ftnalt in the note that follows) counts on its own, in its own format.
        const QByteArrayView ahead = m_input.sliced(m_tokenizer.position()).first(
            std::min<qsizetype>(96, m_input.size() - m_tokenizer.position()));
        const qsizetype note = ahead.indexOf("\\footnote");
        const bool endnote = note >= 0 && ahead.sliced(note).startsWith("\\footnote\\ftnalt");
        const QString number = endnote ? listNumberText(++m_endnoteNumber, m_endnoteFormat)
                                       : listNumberText(++m_footnoteNumber, m_footnoteFormat);
        emitText(number.isEmpty() ? QStringLiteral("*") : number, mark);
        return true;
    }
    case Word::KeptInline: setDestination(Destination::Skip); current.keep = GroupState::Keep::Inline; return true;
    case Word::KeptDocument: setDestination(Destination::Skip); current.keep = GroupState::Keep::Document; return true;
    case Word::PageSetup: keepPageSetupWord(hasParameter, value); return true;
    case Word::Character: emitUnit(character); return true;
    }
    return true;
}

bool Reader::tableWord(int wordId, int value)
{
    const auto word = static_cast<Word>(wordId);
    if (state().nestTableProps) {
        // A nested table's row definition would otherwise replace the outer one.
        return word == Word::Trowd || word == Word::Cellx || word == Word::Clmgf || word == Word::Clmrg
            || word == Word::Clvmgf || word == Word::Clvmrg || word == Word::Clcbpat || word == Word::ClBorder
            || word == Word::BorderLine || word == Word::BorderNone;
    }
    switch (word) {
    case Word::NestTableProps: state().nestTableProps = true; return true;
    case Word::RowGap: m_rowGap = std::clamp(value, 0, 31680); return true;
    case Word::RowPadding: m_rowPadding = std::clamp(value, 0, 31680); return true;
    case Word::Trowd:
        m_rowGap = m_rowPadding = -1;
        m_rowDef.clear();
        m_cellDef = CellDef{};
        m_cellBorderSide = 0;
        return true;
    case Word::Cellx:
        if (m_rowDef.size() < 256) {
            m_cellDef.rightTwips = std::clamp(value, -31680, 31680 * 4);
            m_rowDef.push_back(m_cellDef);
        }
        m_cellDef = CellDef{};
        m_cellBorderSide = 0;
        return true;
    case Word::Clmgf: m_cellDef.mergeFirst = true; return true;
    case Word::Clmrg: m_cellDef.mergedLeft = true; return true;
    case Word::Clvmgf: m_cellDef.mergeTop = true; return true;
    case Word::Clvmrg: m_cellDef.mergedAbove = true; return true;
    case Word::Clcbpat: m_cellDef.shading = std::max(value, 0); return true;
    case Word::ClBorder:
        m_cellBorderSide = m_lastWord == "clbrdrt"   ? kRtfCellBorderTop
            : m_lastWord == "clbrdrl"                ? kRtfCellBorderLeft
            : m_lastWord == "clbrdrb"                ? kRtfCellBorderBottom
                                                     : kRtfCellBorderRight;
        return true;
    case Word::BorderLine: m_cellDef.borders |= m_cellBorderSide; return true;
    case Word::BorderNone: m_cellBorderSide = 0; return true;
    default: return false;
    }
}

bool Reader::listWord(int wordId, int value)
{
    switch (static_cast<Word>(wordId)) {
    case Word::List: m_listLevels.clear(); return true;
    case Word::ListLevel:
        if (m_listLevels.size() < 9)
            m_listLevels.emplace_back();
        return true;
    case Word::LevelNfc:
        if (!m_listLevels.empty())
            m_listLevels.back().format = value;
        return true;
    case Word::LevelStartAt:
        if (!m_listLevels.empty())
            m_listLevels.back().start = std::clamp(value, 0, 32767);
        return true;
    case Word::LevelText:
        if (state().destination == Destination::ListTable) {
            m_pnTextKind = 0;
            setDestination(Destination::LevelText);
        }
        return true;
    case Word::PnTextBefore:
    case Word::PnTextAfter:
        if (state().destination == Destination::ParaNumbering) {
            m_pnTextKind = static_cast<Word>(wordId) == Word::PnTextBefore ? 1 : 2;
            setDestination(Destination::LevelText);
        }
        return true;
    case Word::PnStart: m_pnStart = std::clamp(value, 0, 32767); return true;
    case Word::PnEastAsian: {
        static const std::pair<QByteArrayView, int> formats[] = { { "pnaiu", 12 }, { "pnaiud", 20 },
            { "pniroha", 13 }, { "pnirohad", 21 }, { "pncnum", 18 }, { "pndbnum", 10 }, { "pndecd", 14 } };
        for (const auto& [name, format] : formats) {
            if (m_lastWord == name)
                m_pnFormat = format;
        }
        m_pnStyle = QTextListFormat::ListDecimal;
        return true;
    }
    case Word::ListId:
        if (state().destination == Destination::ListOverrideTable)
            m_overrideListId = value;
        else if (m_listDefs.size() < 4096)
            m_listDefs.insert_or_assign(value, m_listLevels);
        return true;
    case Word::Ls:
        if (state().destination == Destination::ListOverrideTable && m_listOverrides.size() < 4096)
            m_listOverrides.insert_or_assign(value, m_overrideListId);
        return true;
    case Word::PnBullet: m_pnStyle = QTextListFormat::ListDisc; return true;
    case Word::PnBody: return true;
    case Word::PnCont: m_pnStyle = QTextListFormat::ListStyleUndefined; return true;
    case Word::PnLevel: m_pnLevel = std::clamp(value - 1, 0, 8); return true;
    case Word::PnDec: m_pnStyle = QTextListFormat::ListDecimal; m_pnFormat = 0; return true;
    case Word::PnUcLtr: m_pnStyle = QTextListFormat::ListUpperAlpha; m_pnFormat = 3; return true;
    case Word::PnLcLtr: m_pnStyle = QTextListFormat::ListLowerAlpha; m_pnFormat = 4; return true;
    case Word::PnUcRm: m_pnStyle = QTextListFormat::ListUpperRoman; m_pnFormat = 1; return true;
    case Word::PnLcRm: m_pnStyle = QTextListFormat::ListLowerRoman; m_pnFormat = 2; return true;
    default: return false;
    }
}

// clang-format on

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
    case '\\':
    case '{':
    case '}': {
        const char literal = symbol;
        textBytes(QByteArrayView(&literal, 1));
        return;
    }
    case '~':
        emitUnit(u'\u00A0');
        return;
    case '-':
        emitUnit(u'\u00AD');
        return;
    case '_':
        emitUnit(u'\u2011');
        return;
    case '\n':
    case '\r':
        endParagraph();
        return; // backslash + line break, as TextEdit writes it
    case '\t':
        emitUnit(u'\t');
        return;
    default:
        return; // \: \| and unknown symbols carry no text
    }
}

} // namespace pemmo::formats::rtf
