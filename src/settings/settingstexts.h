// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

// The sentences that registry sequences show when they fail.
inline const QString kRegistryNotFound = QStringLiteral("レジストリーが見つからない。");
inline const QString kRegistryWriteFailed = QStringLiteral("レジストリーへの書き込みを失敗しました。");
inline const QString kRegistryReadFailed = QStringLiteral("レジストリーの読み込みを失敗しました。");
inline const QString kFontSettingsReadFailed = QStringLiteral("フォント関連の読み込みに失敗しました。");
// %1: the hive file. Shown once when the settings exist but cannot be read; they are then never replaced.
inline const QString kHiveUnreadable = kRegistryReadFailed +
    QStringLiteral("\n設定ファイル「%1」を読めないため、このウィンドウでは設定を読み込まず、保存もしません。");
// %1: the file or folder that belongs to another user. Shown once; settings are then read and never written.
inline const QString kHiveNotOwned = QStringLiteral(
    "「%1」は他のユーザーのものなので、設定を読み込むだけで保存はしません。");
