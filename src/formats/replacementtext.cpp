// SPDX-License-Identifier: MIT
#include "replacementtext.h"

namespace pemmo::formats {

ReplacementText::ReplacementText(const QString& replacement)
{
    QString literal;
    const auto flush = [&] {
        if (!literal.isEmpty())
            m_pieces.push_back({ literal, -1 });
        literal.clear();
    };
    for (qsizetype i = 0; i < replacement.size(); ++i) {
        const QChar c = replacement.at(i);
        const QChar next = i + 1 < replacement.size() ? replacement.at(i + 1) : QChar();
        if ((c == u'\\' || c == u'$') && next >= u'0' && next <= u'9') {
            flush();
            m_pieces.push_back({ {}, next.unicode() - u'0' });
            ++i;
        } else if ((c == u'\\' && next == u'\\') || (c == u'$' && next == u'$')) {
            literal += c;
            ++i;
        } else if (c == u'\\' && next == u'n') {
            literal += u'\n';
            ++i;
        } else if (c == u'\\' && next == u't') {
            literal += u'\t';
            ++i;
        } else {
            literal += c;
        }
    }
    flush();
}

void ReplacementText::appendTo(const QRegularExpressionMatch& match, QString& into) const
{
    for (const Piece& piece : m_pieces) {
        if (piece.group < 0)
            into += piece.literal;
        else if (piece.group <= match.lastCapturedIndex())
            into += match.capturedView(piece.group);
    }
}

} // namespace pemmo::formats
