// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

// What the document says to the user: its messages and questions, exactly as designed.

inline const QString kVersionCaption = QStringLiteral("Orvel Soft Version １．４．５");
inline const QString kUntitledName = QStringLiteral("新規テキスト");
/** The window's caption before the title routine has named a document. */
inline const QString kDesignedCaption = QStringLiteral("MainForm");
/** %1 is the path. */
inline const QString kCannotOpenFile = QStringLiteral("ファイル %1 を開けません。");
/** The save prompt, asked before unsaved text is replaced or the window closes. */
inline const QString kSavePrompt = QStringLiteral("テキストが保存されていません.\n保存しますか？");
/** Save As onto a file that exists; %1 is the final name. */
inline const QString kOverwriteExisting = QStringLiteral("%1は既に存在します。上書きしますか？");
/** A save onto a file another program changed or deleted since it was loaded; %1 is the path. */
inline const QString kChangedByOtherProgram = QStringLiteral(
    "%1は他のプログラムによって変更されています。上書きしますか？");
/** Follow the file name in the message field. */
inline const QString kDocumentOpenedSuffix = QStringLiteral("を開きました");
/**
 * Said when long lines show only their start; %1 is how much. It goes before the opened message,
 * so a long path cannot push it out of the field.
 */
inline const QString kLongLinesShortened = QStringLiteral("長い行は先頭 %1 文字だけ表示");
/** Between two messages in the message field. */
inline const QString kMessageJoin = QStringLiteral("　");
inline const QString kFontChanged = QStringLiteral("ﾌｫﾝﾄを変更しました");
inline const QString kDocumentSavedSuffix = QStringLiteral("を保存しました");
// %1: the file whose save was interrupted.
inline const QString kBackupRestored = QStringLiteral("「%1」の保存前の内容を復元しました。保存すると書き戻されます");
inline const QString kBackupUnavailable = QStringLiteral(
    "保存前の内容「%1」は他のウィンドウで復元されているか、読み込めません。");
/** Shown while a long load or save is under way; a load adds how far it has got. */
// %1: the file's path, or kUntitledDocument.
inline const QString kRecoveryRestored = QStringLiteral("%1の保存されていなかった内容を復元しました");
inline const QString kUntitledDocument = QStringLiteral("無題");
// %1: the recovery copy.
inline const QString kRecoveryUnavailable = QStringLiteral("復元用の控え「%1」を読めません。");
// %1: the file's path.
inline const QString kReloadedAfterExternalChange = QStringLiteral(
    "%1は他のプログラムで変更されたため再読み込みしました");
inline const QString kReloadModifiedQuestion = QStringLiteral(
    "%1は他のプログラムによって変更されています。再読み込みしますか？（編集中の内容は失われます）");
inline const QString kFileDeleted = QStringLiteral("%1は削除されています");
/** A long load's progress in the message field; %1 is the percentage. */
inline const QString kDocumentLoadingProgress = QStringLiteral("読み込み中… %1%");
/** A long save's progress in the message field; %1 is the percentage. */
inline const QString kDocumentSavingProgress = QStringLiteral("保存中… %1%");
/** A load whose text did not fit in memory; %1 is the path. */
inline const QString kDocumentOutOfMemory = QStringLiteral("メモリーが足りないため、ファイル「%1」を開けません。");

/** Asked before a file with NUL bytes (and not UTF-16) is loaded. */
inline const QString kBinaryFileQuestion = QStringLiteral("バイナリファイルのようです。開きますか？");
/** The encoding menu under ﾌｧｲﾙ, also opened by a click on the status row's format field. */
inline const QString kReopenWithEncodingMenu = QStringLiteral("文字コードを指定して開き直す");
inline const QString kSaveWithEncodingMenu = QStringLiteral("文字コードを指定して保存");
/** %1: "CR+LF", "LF" or "CR". */
inline const QString kLineEndingItem = QStringLiteral("改行コード %1");
