// SPDX-License-Identifier: MIT
// The plain view's search and Replace All.
#include "scintillaview.h"

#include "document/regexsearch.h"
#include "document/utf8search.h"

namespace {
using Sci = QsciScintillaBase;
} // namespace

QByteArrayView ScintillaView::characters() const
{
    // The character pointer closes the buffer's gap: after an edit, one move of the text behind it.
    return { reinterpret_cast<const char*>(sci(Sci::SCI_GETCHARACTERPOINTER)), byteLength() };
}

TextRange ScintillaView::findText(const QString& text, int from, const SearchOptions& options) const
{
    if (text.isEmpty())
        return {};
    if (options.regex) {
        const RegexSearch search(text, options);
        const QString whole = wholeText();
        return options.direction == SearchOptions::Direction::Backward ? search.last(whole, from)
                                                                       : search.first(whole, from);
    }
    // The component's own search folds only ASCII letters, and slowly: this one folds all of
    // Unicode as the rich view does, at memory speed.
    const Utf8Search search(text, options);
    const qsizetype position = positionFromIndex(from);
    const Utf8Search::Match found = options.direction == SearchOptions::Direction::Backward
        ? search.last(characters(), position)
        : search.first(characters(), position);
    if (!found.isValid())
        return {};
    const int start = int(indexFromPosition(found.start));
    return { start, int(indexFromPosition(found.end)) - start };
}

std::optional<int> ScintillaView::replaceAll(const QString& text, const QString& replacement,
                                             const SearchOptions& options)
{
    qsizetype lastStart = 0;
    qsizetype lastEnd = 0;
    const int count = replaceEvery(text, replacement, options, &lastStart, &lastEnd);
    if (count > 0)
        sci(Sci::SCI_SETSEL, lastStart, lastEnd);
    else
        sci(Sci::SCI_SETSEL, 0, 0L);
    return count;
}

int ScintillaView::replaceEvery(const QString& needle, const QString& replacement, const SearchOptions& options,
                                qsizetype* lastStart, qsizetype* lastEnd)
{
    if (needle.isEmpty())
        return 0;
    if (options.regex)
        return replaceEveryRegex(needle, replacement, options, lastStart, lastEnd);
    SearchOptions forward = options;
    forward.direction = SearchOptions::Direction::Forward;
    const Utf8Search search(needle, forward);
    const QByteArray replace = replacement.toUtf8();
    int count = 0;
    sci(Sci::SCI_BEGINUNDOACTION);
    if (!options.wholeWord) {
        count = replaceMatches(matchesOf(search), { .bytes = replace, .ends = {} }, lastStart, lastEnd);
    } else {
        // Whether a match is a whole word depends on the text before it, which may be an earlier
        // replacement: search the text as it is after every replacement. The text from just
        // before the last replacement's end lies behind the buffer's gap, so nothing moves.
        qsizetype from = 0;
        while (true) {
            const qsizetype base = qMax<qsizetype>(0, from - 4);
            const QByteArrayView rest(
                reinterpret_cast<const char*>(sci(Sci::SCI_GETRANGEPOINTER, base, byteLength() - base)),
                byteLength() - base);
            const Utf8Search::Match found = search.first(rest, from - base);
            if (!found.isValid())
                break;
            sci(Sci::SCI_SETTARGETRANGE, base + found.start, base + found.end);
            sciText(Sci::SCI_REPLACETARGET, replace.size(), replace.constData());
            ++count;
            *lastStart = base + found.start;
            from = *lastStart + replace.size();
            *lastEnd = from;
        }
    }
    sci(Sci::SCI_ENDUNDOACTION);
    return count;
}

QList<ScintillaView::ByteRange> ScintillaView::matchesOf(const Utf8Search& search) const
{
    QList<ByteRange> matches;
    const QByteArrayView text = characters();
    for (Utf8Search::Match at = search.first(text, 0); at.isValid(); at = search.first(text, at.end))
        matches.append({ at.start, at.end });
    return matches;
}

namespace {

/** The length in UTF-8 of @p text, which neither starts nor ends inside a surrogate pair. */
qsizetype utf8Bytes(QStringView text)
{
    qsizetype bytes = 0;
    for (const QChar c : text) {
        const char16_t unit = c.unicode();
        // A surrogate pair makes four bytes, two for each half.
        bytes += unit < 0x80 ? 1 : unit < 0x800 ? 2 : (unit >= 0xD800 && unit <= 0xDFFF) ? 2 : 3;
    }
    return bytes;
}

} // namespace

int ScintillaView::replaceEveryRegex(const QString& pattern, const QString& replacement, const SearchOptions& options,
                                     qsizetype* lastStart, qsizetype* lastEnd)
{
    RegexSearch search(pattern, options);
    if (!search.isValid())
        return 0;
    search.setReplacement(replacement);
    // The pattern runs once over the whole text; the matches become byte ranges as the walk goes,
    // and their replacements one run of bytes, so the component sees one change per stretch.
    const QString text = wholeText();
    QList<ByteRange> matches;
    Replacements replacements;
    QString replaced;
    qsizetype index = 0;
    qsizetype byte = 0;
    search.forEachMatch(text, [&](const QRegularExpressionMatch& match) {
        const qsizetype start = match.capturedStart();
        byte += utf8Bytes(QStringView(text).mid(index, start - index));
        const qsizetype end = byte + utf8Bytes(match.capturedView());
        matches.append({ byte, end });
        index = match.capturedEnd();
        byte = end;
        replaced.resize(0);
        search.appendReplacement(match, replaced);
        replacements.bytes += replaced.toUtf8();
        replacements.ends.append(replacements.bytes.size());
    });
    sci(Sci::SCI_BEGINUNDOACTION);
    const int count = replaceMatches(matches, replacements, lastStart, lastEnd);
    sci(Sci::SCI_ENDUNDOACTION);
    return count;
}

QByteArrayView ScintillaView::Replacements::of(qsizetype match) const
{
    if (ends.isEmpty())
        return bytes;
    const qsizetype begin = match > 0 ? ends[match - 1] : 0;
    return QByteArrayView(bytes).sliced(begin, ends[match] - begin);
}

int ScintillaView::replaceMatches(const QList<ByteRange>& matches, const Replacements& replacements,
                                  qsizetype* lastStart, qsizetype* lastEnd)
{
    // Matches close together are replaced as one stretch of text: one change to the component
    // instead of two per match. A stretch stays short, so that the undo record of a few matches
    // far apart stays small. Matches that ignore case may differ in length.
    constexpr qsizetype kJoinGap = 1024;
    constexpr qsizetype kStretchBytes = qsizetype(1) << 20;
    qsizetype moved = 0; // how far the text after the replacements so far has moved
    QByteArray stretch;
    for (qsizetype first = 0; first < matches.size();) {
        qsizetype last = first;
        while (last + 1 < matches.size() && matches[last + 1].start - matches[last].end <= kJoinGap &&
               matches[last + 1].end - matches[first].start <= kStretchBytes)
            ++last;
        const qsizetype begin = matches[first].start + moved;
        const qsizetype end = matches[last].end + moved;
        const auto* text = reinterpret_cast<const char*>(sci(Sci::SCI_GETRANGEPOINTER, begin, end - begin));
        stretch.resize(0);
        for (qsizetype i = first; i <= last; ++i) {
            stretch.append(replacements.of(i));
            if (i < last)
                stretch.append(text + (matches[i].end - matches[first].start), matches[i + 1].start - matches[i].end);
        }
        sci(Sci::SCI_SETTARGETRANGE, begin, end);
        sciText(Sci::SCI_REPLACETARGET, stretch.size(), stretch.constData());
        moved += stretch.size() - (end - begin);
        // The last match of the stretch, where it is now.
        *lastStart = begin + stretch.size() - replacements.of(last).size();
        *lastEnd = begin + stretch.size();
        first = last + 1;
    }
    return int(matches.size());
}
