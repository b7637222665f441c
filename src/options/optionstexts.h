// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

// The options window's caption: a Japanese name of our own, the form's class name means nothing to a user.
inline const QString kOptionsWindowTitle = QStringLiteral("画面設定");
// The window's own words.
inline const QString kOptionsFace = QStringLiteral("ＭＳ Ｐゴシック");
inline const QString kDefaultsTab = QStringLiteral("初期値");
inline const QString kDesignTab = QStringLiteral("画面デザイン");
inline const QString kTabWidthLabel = QStringLiteral("タブ幅");
inline const QString kTextColourLabel = QStringLiteral("文字色");
inline const QString kBackgroundColourLabel = QStringLiteral("背景色");
inline const QString kApplyButton = QStringLiteral("設定");

inline const QString kTabWidthTooSmall = QStringLiteral("タブ幅８以下は設定できません");
inline const QString kSettingsChanged = QStringLiteral("設定変更されました。");
// The box must hold a whole number; the user is told so instead of a conversion error.
inline const QString kTabWidthNotANumber = QStringLiteral("タブ幅には数字を入力して下さい。");
inline const QString kLauncherOffNextStart = QStringLiteral(
    "次回の起動から有効です。現在タスクしている場合はタスクを終了して下さい。");
inline const QString kLauncherOnNextStart = QStringLiteral("次回の起動から有効です。");
inline const QString kHelpNotFound = QStringLiteral("ヘルプファイルが見付かりません。");
