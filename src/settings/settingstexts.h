// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

// The sentences that registry sequences show when they fail.
inline const QString kRegistryNotFound = QStringLiteral("レジストリーが見つからない。");
inline const QString kRegistryWriteFailed = QStringLiteral("レジストリーへの書き込みを失敗しました。");
inline const QString kRegistryReadFailed = QStringLiteral("レジストリーの読み込みを失敗しました。");
inline const QString kFontSettingsReadFailed = QStringLiteral("フォント関連の読み込みに失敗しました。");
