// SPDX-License-Identifier: MIT
#pragma once

#include <QRegularExpressionMatch>
#include <QString>

#include <vector>

namespace pemmo::formats {

/**
 * A replacement as the user types it, for the editor's Replace and for Grep's: "\1" to "\9" and
 * "$1" to "$9" stand for a group, "\0" and "$0" for the whole match, "\\" and "$$" for '\' and
 * '$', "\n" and "\t" for a line break and a tab; anything else is itself.
 */
class ReplacementText final
{
public:
    explicit ReplacementText(const QString& replacement = {});

    /** Appends the replacement of @p match to @p into. */
    void appendTo(const QRegularExpressionMatch& match, QString& into) const;

private:
    struct Piece
    {
        QString literal;
        int group = -1; // -1 for a literal
    };
    std::vector<Piece> m_pieces;
};

} // namespace pemmo::formats
