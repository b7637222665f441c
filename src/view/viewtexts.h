// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

// What the editing view shows to the user.
/** The insert-mode field; the editor has no overwrite indicator, so it never changes. */
inline const QString kInsertModeText = QStringLiteral("挿入");
// Shown instead while the Insert key has switched to typing over the text.
inline const QString kOvertypeModeText = QStringLiteral("上書き");
