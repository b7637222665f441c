// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

inline const QString kAlreadyOpen = QStringLiteral("既に開いてます。");
// The launcher's own wording for a failed cascade step, "への" where the editor says "の".
inline const QString kLauncherRegistryReadFailed = QStringLiteral("レジストリーへの読み込みを失敗しました。");
inline const QString kLauncherGrep = QStringLiteral("Grep");
inline const QString kLauncherTip = QStringLiteral("多機能エディタータスクアイコン");
/** Shown once, the first time the launcher starts: without a window, a user would think nothing started. */
inline const QString kLauncherBalloon = QStringLiteral("pemmo はここに常駐しています。クリックでファイルを開けます。");

// The popups' items.
inline const QString kOpenItem = QStringLiteral("開く");
inline const QString kEmptyEditorItem = QStringLiteral("Sdiアプリスタート");
inline const QString kExitItem = QStringLiteral("終了");
