// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

// What the editing view shows to the user.
inline const QString kJumpCaption = QStringLiteral("指定行へジャンプ");
inline const QString kJumpPrompt = QStringLiteral("行番号（行:桁 も可）:");
// %1: what was typed.
inline const QString kJumpInvalid = QStringLiteral(
    "「%1」は行番号ではありません。行番号、または 行:桁 を入力してください。");
/** The insert-mode field; the editor has no overwrite indicator, so it never changes. */
inline const QString kInsertModeText = QStringLiteral("挿入");
// Shown instead while the Insert key has switched to typing over the text.
inline const QString kOvertypeModeText = QStringLiteral("上書き");
