// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

// What the shared dialogs show to the user.

// The message boxes' own buttons (Qt's standard ones come in its translation).
inline const QString kSaveButton = QStringLiteral("保存");
inline const QString kReopenButton = QStringLiteral("文字コードを指定して開き直す");
inline const QString kRestoreButton = QStringLiteral("復元");
inline const QString kDiscardButton = QStringLiteral("破棄");
inline const QString kLaterButton = QStringLiteral("後で");

namespace HelpViewerText {
inline const QString Title = QStringLiteral("pemmo ヘルプ");
inline const QString Back = QStringLiteral("戻る");
inline const QString Forward = QStringLiteral("進む");
inline const QString Contents = QStringLiteral("目次");
} // namespace HelpViewerText

namespace FontDialogText {
inline const QString Title = QStringLiteral("フォント");
inline const QString Family = QStringLiteral("フォント名(&F):");
inline const QString Size = QStringLiteral("サイズ(&S):");
inline const QString Effects = QStringLiteral("文字飾り");
inline const QString Bold = QStringLiteral("太字(&B)");
inline const QString Italic = QStringLiteral("斜体(&I)");
inline const QString Underline = QStringLiteral("下線(&U)");
inline const QString StrikeOut = QStringLiteral("取り消し線(&K)");
inline const QString Colour = QStringLiteral("色(&C):");
inline const QString CustomColour = QStringLiteral("カスタム");
inline const QString Sample = QStringLiteral("サンプル");
inline const QString SampleText = QStringLiteral("Aaあぁアァ亜宇");
} // namespace FontDialogText

/** The sixteen basic colours of the font dialog's colour list, with their names. */
struct NamedColour
{
    const char* rgb;
    QString name;
};
inline const NamedColour kBasicColours[] = {
    { "#000000", QStringLiteral("黒") },   { "#800000", QStringLiteral("茶") },
    { "#008000", QStringLiteral("緑") },   { "#808000", QStringLiteral("オリーブ") },
    { "#000080", QStringLiteral("紺") },   { "#800080", QStringLiteral("紫") },
    { "#008080", QStringLiteral("青緑") }, { "#808080", QStringLiteral("灰色") },
    { "#c0c0c0", QStringLiteral("銀色") }, { "#ff0000", QStringLiteral("赤") },
    { "#00ff00", QStringLiteral("黄緑") }, { "#ffff00", QStringLiteral("黄") },
    { "#0000ff", QStringLiteral("青") },   { "#ff00ff", QStringLiteral("赤紫") },
    { "#00ffff", QStringLiteral("水色") }, { "#ffffff", QStringLiteral("白") },
};

// The Grep dialog.
namespace GrepDialogText {
inline const QString Title = QStringLiteral("Grep");
inline const QString Pattern = QStringLiteral("検索する文字列(&N):");
inline const QString Mask = QStringLiteral("ファイル(&F):");
inline const QString Folder = QStringLiteral("フォルダー(&D):");
inline const QString Browse = QStringLiteral("参照(&B)...");
inline const QString Excluded = QStringLiteral("除外フォルダー(&X):");
inline const QString Encoding = QStringLiteral("文字コード(&E):");
inline const QString Automatic = QStringLiteral("自動判別");
inline const QString Subfolders = QStringLiteral("サブフォルダーも検索(&S)");
inline const QString Case = QStringLiteral("大文字と小文字を区別する(&C)");
inline const QString Word = QStringLiteral("単語単位で探す(&W)");
inline const QString Regex = QStringLiteral("正規表現(&R)");
inline const QString Search = QStringLiteral("検索");
inline const QString Replacement = QStringLiteral("置換後の文字列(&P):");
inline const QString Replace = QStringLiteral("置換(&A)");
} // namespace GrepDialogText
