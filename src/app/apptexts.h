// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

// What start-up itself says to the user.

// Followed by one kPendingBackupLine (or kPendingUntitledLine) per document.
inline const QString kPendingRecoveriesQuestion = QStringLiteral(
    "前回、保存されずに終了した文書があります。復元しますか？\n"
    "（「復元」はそれぞれを新しいウィンドウで開きます。）\n");
// %1: when the copy was written.
inline const QString kPendingUntitledLine = QStringLiteral("\n・「無題」%1");
// Followed by one kPendingBackupLine per file.
inline const QString kPendingBackupsQuestion = QStringLiteral(
    "前回、保存が途中で終わったファイルがあります。保存前の内容を復元しますか？\n"
    "（「復元」はそれぞれを新しいウィンドウで開きます。保存すると書き戻されます。）\n");
// %1: the file's name, %2: its folder, %3: when the save began.
inline const QString kPendingBackupLine = QStringLiteral("\n・%1（%2）%3");
