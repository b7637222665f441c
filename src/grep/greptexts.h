// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

// The sentences that Grep, in the editor and as pemmo-grep, shows to the user.
inline const QString kGrepUsage = QStringLiteral(
    "使い方: pemmo-grep [-r] [-i] [-w] [-E] [--include マスク] [--exclude-dir フォルダー] "
    "[--encoding 文字コード] パターン パス…");
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
inline const QString kGrepSkippedFiles = QStringLiteral("読み込めなかったファイル: %1 個");
inline const QString kGrepCancelHint = QStringLiteral("（Esc で中止）");
inline const QString kGrepFolderMissing = QStringLiteral("フォルダー「%1」が見つかりません。");
