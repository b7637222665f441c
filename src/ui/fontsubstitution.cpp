// SPDX-License-Identifier: MIT
#include "fontsubstitution.h"

#include <QFont>
#include <QStringList>

void installFontSubstitutions()
{
    QFont::insertSubstitutions(
        QStringLiteral("ＭＳ ゴシック"),
        { QStringLiteral("IPAGothic"), QStringLiteral("Noto Sans Mono CJK JP"), QStringLiteral("Monospace") });
    QFont::insertSubstitutions(
        QStringLiteral("ＭＳ Ｐゴシック"),
        { QStringLiteral("IPAPGothic"), QStringLiteral("Noto Sans CJK JP"), QStringLiteral("Sans Serif") });
}
