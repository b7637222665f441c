// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

// The sentences that Grep, in the editor and as pemmo-grep, shows to the user.
inline const QString kGrepUsage = QStringLiteral(
    "使い方: pemmo-grep [-r] [-i] [-w] [-E] [--include マスク] [--exclude-dir フォルダー] "
    "[--encoding 文字コード] [--replace 置換後の文字列] パターン パス…");
// %1: the pattern's own error message, %2: the position in the pattern (1-based).
inline const QString kGrepBadPattern = QStringLiteral("正規表現が正しくありません（%2 文字目）: %1");
inline const QString kGrepEmptyPattern = QStringLiteral("検索する文字列を入力してください。");
// %1: a path.
inline const QString kGrepPathNotFound = QStringLiteral("「%1」が見つかりません。");
inline const QString kGrepFileUnreadable = QStringLiteral("ファイル「%1」を読み込めません。");
// %1: an encoding name.
inline const QString kGrepUnknownEncoding = QStringLiteral("文字コード「%1」は使えません。");
// %1: a folder given to -r's absence.
inline const QString kGrepIsFolder = QStringLiteral("「%1」はフォルダーです（-r でフォルダーの中を検索します）。");

inline const QString kGrepCaption = QStringLiteral("Grep");

// The result document.
inline const QString kGrepResultTitle = QStringLiteral("Grep \"%1\"");
inline const QString kGrepHeaderPattern = QStringLiteral("検索文字列: %1");
inline const QString kGrepHeaderFolder = QStringLiteral("検索フォルダー: %1");
inline const QString kGrepHeaderMask = QStringLiteral("ファイル: %1");
inline const QString kGrepHeaderExcluded = QStringLiteral("除外フォルダー: %1");
inline const QString kGrepHeaderEncoding = QStringLiteral("文字コード: %1");
inline const QString kGrepAutomaticEncoding = QStringLiteral("自動判別");
inline const QString kGrepAllFiles = QStringLiteral("すべてのファイル");
inline const QString kGrepNone = QStringLiteral("なし");
inline const QString kGrepHeaderOptions = QStringLiteral("条件: %1");
inline const QString kGrepOptionSubfolders = QStringLiteral("サブフォルダーも検索");
inline const QString kGrepOptionCase = QStringLiteral("大文字と小文字を区別");
inline const QString kGrepOptionWord = QStringLiteral("単語単位");
inline const QString kGrepOptionRegex = QStringLiteral("正規表現");
inline const QString kGrepFound = QStringLiteral("%1 件見つかりました。");
inline const QString kGrepCancelled = QStringLiteral("中止しました。%1 件見つかりました。");
// %1: files searched so far, %2: files in all, %3: matches so far.
inline const QString kGrepProgress = QStringLiteral("Grep: %1 / %2 ファイル、%3 件");
// After the progress, once a large result goes on out of sight.
inline const QString kGrepResultLater = QStringLiteral("（続きの結果は終わりにまとめて表示します）");
// Where the result stops growing in the window; the whole result replaces it at the end.
inline const QString kGrepResultLaterLine = QStringLiteral(
    "……結果が多いため、ここから先は検索が終わったところでまとめて表示します。");
inline const QString kGrepResultTooLarge = QStringLiteral(
    "Grep の結果が大きすぎて、メモリーに収まりませんでした。表示しているのは途中までの結果です。");
inline const QString kGrepSkippedFiles = QStringLiteral("読み込めなかったファイル: %1 個");
inline const QString kGrepCancelHint = QStringLiteral("（Esc で中止）");
inline const QString kGrepFolderMissing = QStringLiteral("フォルダー「%1」が見つかりません。");

// Grep-replace. %1: files, %2: matches.
inline const QString kGrepReplaceQuestion = QStringLiteral("%1 個のファイルの %2 箇所を置き換えます。よろしいですか?");
inline const QString kGrepReplaceTitle = QStringLiteral("Grep置換 \"%1\"");
inline const QString kGrepHeaderReplacement = QStringLiteral("置換後の文字列: %1");
// %1: a path, %2: an encoding name, %3: the number of matches replaced.
inline const QString kGrepReplacedFile = QStringLiteral("%1 [%2]: %3 箇所を置き換えました。");
inline const QString kGrepReplaceDone = QStringLiteral("%1 個のファイルの %2 箇所を置き換えました。");
inline const QString kGrepReplaceCancelled = QStringLiteral(
    "中止しました。%1 個のファイルの %2 箇所を置き換えました。");
inline const QString kGrepReplaceNothing = QStringLiteral("置き換える箇所はありません。");
inline const QString kGrepReplaceDeclined = QStringLiteral("置換を取りやめました。どのファイルも変更していません。");
inline const QString kGrepReplaceNotWritten = QStringLiteral("置き換えなかったファイル: %1 個");
// %1: files done, %2: files in all.
inline const QString kGrepReplaceProgress = QStringLiteral("Grep置換: %1 / %2 ファイル");
// Before the question: %1 files searched of %2, then %1 files counted of the %2 that match.
inline const QString kGrepReplaceSearching = QStringLiteral("Grep置換: 検索中 %1 / %2 ファイル");
inline const QString kGrepReplaceCounting = QStringLiteral("Grep置換: 置換箇所を数えています %1 / %2 ファイル");
// %1: a path, %2: the character, %3: the encoding's name.
inline const QString kGrepReplaceUnencodable = QStringLiteral(
    "「%1」は置き換えると %3 で書けない文字「%2」を含むため、変更しませんでした。");
inline const QString kGrepReplaceLossy = QStringLiteral(
    "「%1」には文字として読めないバイトがあるため、変更しませんでした。");
inline const QString kGrepReplaceRtf = QStringLiteral("「%1」は RTF ファイルのため、変更しませんでした。");
// %1: a path, %2: the reason.
inline const QString kGrepReplaceFailed = QStringLiteral("「%1」を保存できませんでした。%2");
inline const QString kGrepReplaceNoCopy = QStringLiteral("「%1」の元の内容を控えられないため、変更しませんでした。%2");
inline const QString kGrepCancelButton = QStringLiteral("中止");
