// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

inline const QString kSearchTitle = QStringLiteral("検索／置き換え");
inline const QString kSearchFinished = QStringLiteral("検索が終了しました");

namespace ReplaceDialogText {
inline const QString Find = QStringLiteral("検索する文字列(&N):");
inline const QString Replace = QStringLiteral("置換後の文字列(&P):");
inline const QString WholeWord = QStringLiteral("単語単位で探す(&W)");
inline const QString MatchCase = QStringLiteral("大文字と小文字を区別する(&C)");
inline const QString Regex = QStringLiteral("正規表現(&E)");
inline const QString FindNext = QStringLiteral("次を検索(&F)");
inline const QString ReplaceOne = QStringLiteral("置換して次に(&R)");
inline const QString ReplaceAll = QStringLiteral("すべて置換(&A)");
inline const QString Cancel = QStringLiteral("キャンセル");
inline const QString History = QStringLiteral("検索の履歴");
inline const QString HistoryEmpty = QStringLiteral("(履歴はありません)");
inline const QString HistoryPattern = QStringLiteral("%1  [正規表現]");
} // namespace ReplaceDialogText

/** "3個置き換えました": the count, then the text, with no blank between. */
inline QString replacedCountMessage(int count)
{
    return QString::number(count) + QStringLiteral("個置き換えました");
}

/** "正規表現が正しくありません: missing closing parenthesis (位置 4)": Qt's words, then where, counted from 1. */
inline QString invalidPatternMessage(const QString& error, qsizetype offset)
{
    return QStringLiteral("正規表現が正しくありません: %1 (位置 %2)").arg(error).arg(offset + 1);
}
