// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

// What the work-folder tree shows to the user, exactly as designed.

/** The node that separates the work folder's entries from the drives. */
inline const QString kDriveListHeading = QStringLiteral("以下ドライブリスト");
/** Follows the file name in the message field after a double-click opened it. */
inline const QString kOpenedSuffix = QStringLiteral("を開きました");
