// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

inline const QString kSearchTitle = QStringLiteral("検索／置き換え");
inline const QString kSearchFinished = QStringLiteral("検索が終了しました");

/** "3個置き換えました": the count, then the text, with no blank between. */
inline QString replacedCountMessage(int count)
{
    return QString::number(count) + QStringLiteral("個置き換えました");
}
