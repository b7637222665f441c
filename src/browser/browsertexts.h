// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

// What the work-folder tree shows to the user, exactly as designed.

/** The node that separates the work folder's entries from the drives. */
inline const QString kDriveListHeading = QStringLiteral("以下ドライブリスト");
/** Follows the file name in the message field after a double-click opened it. */
inline const QString kOpenedSuffix = QStringLiteral("を開きました");
/** The panel's caption while a big folder is read: the folder, then the entries read so far. */
inline const QString kReadingFolder = QStringLiteral("%1 を読み込んでいます… %2 件");
