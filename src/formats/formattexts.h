// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

// The sentences that loading, saving and pemmo-convert show to the user.
// %1 is a file name unless noted otherwise.
inline const QString kFileNotFound = QStringLiteral("ファイル「%1」が見つかりません。");
inline const QString kFileIsFolder = QStringLiteral("「%1」はフォルダーなので開けません。");
inline const QString kFileUnreadable = QStringLiteral("ファイル「%1」を読み込めません。");
// %2: the largest size this machine can edit, in MB.
inline const QString kFileTooLarge = QStringLiteral(
    "ファイル「%1」は大きすぎるため開けません（このコンピューターで編集できるのは %2 MB までです）。");
inline const QString kFileWriteFailed = QStringLiteral(
    "ファイル「%1」に書き込めませんでした。元のファイルは変更されていません。");
// A file that did not exist before: there is no original to speak of.
inline const QString kNewFileWriteFailed = QStringLiteral(
    "ファイル「%1」に書き込めませんでした。ファイルは作成されていません。");
// Put in front of kFileWriteFailed or kNewFileWriteFailed when the system said why.
inline const QString kBecauseNoSpace = QStringLiteral("ディスクの空き容量が足りないため、");
inline const QString kBecauseIoError = QStringLiteral("ディスクの読み書きでエラーが起きたため、");
inline const QString kBecauseAccess = QStringLiteral("書き込みが許可されていないため、");
inline const QString kBecauseReadOnly = QStringLiteral("読み取り専用のドライブのため、");
inline const QString kNameNotWritable = QStringLiteral(
    "ファイル名「%1」にはファイル システムの文字コードで表せない文字があるため、保存できません。"
    "名前を付けて保存してください。");
inline const QString kLinkLoop = QStringLiteral("「%1」はリンクが循環しているため、保存できません。");
inline const QString kForeignDanglingLink = QStringLiteral(
    "「%1」は他のユーザーのリンクで、リンク先がありません。保存すると他のユーザーが選んだ場所にファイルが"
    "作られるため、保存しませんでした。");
inline const QString kNotRegularFile = QStringLiteral(
    "「%1」は通常のファイルではない（パイプ、デバイスなど）ため、保存できません。");
// %2: the folder of the backup copies.
inline const QString kBackupFailed = QStringLiteral(
    "ファイル「%1」の控えを「%2」に作れないため、保存しませんでした。元のファイルは変更されていません。");
// %1: the folder of the recovery copies.
inline const QString kRecoveryFolderUnusable = QStringLiteral("復元用の控えを「%1」に作れません。");
// %2: the backup copy that still holds the old content.
inline const QString kInPlaceWriteFailed = QStringLiteral(
    "ファイル「%1」に書き込めず、元の内容にも戻せませんでした。元の内容は「%2」に残っています。");
// %1: the character, %2: its line number, %3: the encoding name.
inline const QString kUnencodableCharacter = QStringLiteral(
    "%2 行目の文字「%1」は %3 で保存できません。\nUTF-8 で保存しますか？");
inline const QString kLossyLoad = QStringLiteral(
    "このファイルには読み込めなかったバイトがあり、その部分は「\uFFFD」で表示されています。\n"
    "このまま保存すると元のバイトは失われます。保存しますか？");
// The editor's question before a plain save of such a text. %1: how many bytes, %2: the encoding name.
inline const QString kLossySaveQuestion = QStringLiteral(
    "このファイルを %2 として読み込んだとき、%1 "
    "バイトを読み込めませんでした。その部分は「\uFFFD」で表示されています。\n"
    "このまま保存すると、それらのバイトは置き換えられ、元のバイトは失われます。\n\n"
    "文字コードが違う場合は、「文字コードを指定して開き直す」で正しい文字コードを選んでください。");
// %1: what a save cannot write, joined by 「、」 (kUnkept* below).
inline const QString kUnkeptFormatting = QStringLiteral("この文書の一部の書式（%1）は保存できません。保存しますか？");
inline const QString kUnkeptPicture = QStringLiteral("PNG・JPEG 以外の図");
inline const QString kUnkeptNestedTable = QStringLiteral("表の中の表");
inline const QString kUnkeptField = QStringLiteral("リンク以外のフィールド");
inline const QString kUnkeptBookmark = QStringLiteral("ブックマーク");
inline const QString kUnkeptShape = QStringLiteral("図形");
inline const QString kUnkeptIndexEntry = QStringLiteral("索引・目次の項目");
inline const QString kUnkeptCharacterSpacing = QStringLiteral("文字間隔・文字幅");
inline const QString kUnkeptColumnBreak = QStringLiteral("段の区切り");
inline const QString kUnkeptFileEnd = QStringLiteral("途中で切れたファイルの残り");
// Shown when an RTF file opens that ends before its last group closes.
inline const QString kRtfEndsEarly = QStringLiteral(
    "このファイルは途中で終わっています。読み込めたところまでを表示しています。");
inline const QString kUnkeptSection = QStringLiteral("セクション区切り");
inline const QString kUnkeptUnknownDestination = QStringLiteral("読み込めない書式情報 \\%1");
// %1: the input file, %2: what cannot be written.
inline const QString kConvertUnkept = QStringLiteral(
    "入力ファイル「%1」の一部の書式（%2）は保存できません（--allow-loss で続行します）。");
// %1: the encoding name as typed.
inline const QString kUnknownEncoding = QStringLiteral("文字コード「%1」には対応していません。");
inline const QString kConvertUsage = QStringLiteral(
    "使い方: pemmo-convert [--input-encoding 文字コード] [--encoding 文字コード] [--allow-loss] "
    "入力ファイル 出力ファイル（- で標準出力）");
inline const QString kStdoutWriteFailed = QStringLiteral("標準出力に書き込めませんでした。");
// pemmo-convert cannot ask, so it says why it stopped, on one line.
// %1: the character, %2: its line number, %3: the encoding name.
inline const QString kConvertUnencodable = QStringLiteral(
    "%2 行目の文字「%1」は %3 で保存できません（--encoding UTF-8 か --allow-loss を指定してください）。");
inline const QString kConvertLossy = QStringLiteral(
    "入力ファイル「%1」には読み込めなかったバイトがあります（--allow-loss で続行します）。");
