// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

// What the editor window shows to the user: captions, hints and messages, exactly as designed.

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

namespace FilterText {
inline const QString Text = QStringLiteral("テキストファイル(*.txt)");
inline const QString OpenHtml = QStringLiteral("Ｈｔｍｌファイル(*.htm;*.html)");
inline const QString SaveHtml = QStringLiteral("ｈｔｍｌファイル(*.htm;*.html)");
inline const QString RichText = QStringLiteral("リッチテキストファイル(*.rtf)");
inline const QString SourceFiles = QStringLiteral("ASM C CPPファイル(*.asm;*.c;*.cpp)");
inline const QString Asm = QStringLiteral("ASMファイル(*.asm)");
inline const QString C = QStringLiteral("Cファイル(*.c)");
inline const QString Cpp = QStringLiteral("CPPファイル(*.cpp)");
inline const QString All = QStringLiteral("全てのファイル(*.*)");
} // namespace FilterText

namespace Caption {
inline const QString FileMenu = QStringLiteral("ﾌｧｲﾙ(&F)");
inline const QString Winexec = QStringLiteral("新たに新規作成");
inline const QString F_ONew = QStringLiteral("新たなスレッドで開く");
inline const QString FileNewItem = QStringLiteral("クリアー(&N)");
inline const QString FileOpenItem = QStringLiteral("開く(&O)...");
inline const QString FileSaveItem = QStringLiteral("上書き保存(&S)");
inline const QString FileSaveAsItem = QStringLiteral("名前を付けて保存(&A)...");
inline const QString FilePrintItem = QStringLiteral("印刷(&P)");
inline const QString F_PVew = QStringLiteral("印刷プレビュー");
inline const QString FilePrintSetupItem = QStringLiteral("ﾌﾟﾘﾝﾀの設定(&R)...");
inline const QString FileExitItem = QStringLiteral("終了(&X)");

inline const QString EditMenu = QStringLiteral("編集(&E)");
inline const QString EditUndoItem = QStringLiteral("元に戻す(&U)");
/** Added for redo, which the keys Ctrl+Y and Ctrl+Shift+Z also reach. */
inline const QString EditRedoItem = QStringLiteral("やり直し(&R)");
inline const QString EditCutItem = QStringLiteral("切り取り(&T)");
inline const QString E_all = QStringLiteral("全て選択");
inline const QString EditCopyItem = QStringLiteral("ｺﾋﾟｰ(&C)");
inline const QString EditPasteItem = QStringLiteral("貼り付け(&P)");
inline const QString E_Se = QStringLiteral("検索／置き換え");
/** Added for F3 and Shift+F3: the search dialog's text, forward and backward. */
inline const QString FindNextItem = QStringLiteral("次を検索");
inline const QString FindPreviousItem = QStringLiteral("前を検索");
inline const QString N3 = QStringLiteral("フォントの指定");
inline const QString N5 = QStringLiteral("右端で折り返す");

inline const QString Show1 = QStringLiteral("表示");
inline const QString CoolBarVew = QStringLiteral("ショートカットの表示");
inline const QString CoolTree = QStringLiteral("作業フォルダーの表示");
inline const QString VRuler = QStringLiteral("ルーラー表示");
inline const QString VG = QStringLiteral("行番号");
inline const QString ColorSyntax = QStringLiteral("色分け表示");

inline const QString OP = QStringLiteral("オプション");
inline const QString OP_str = QStringLiteral("タスク起動する");

inline const QString FT = QStringLiteral("その他");
inline const QString F_Help = QStringLiteral("ヘルプ");
inline const QString FO = QStringLiteral("画面設定");

inline const QString P_Undo = QStringLiteral("元に戻す");
inline const QString P_Redo = QStringLiteral("やり直し");
inline const QString P_Cut = QStringLiteral("切り取り");
inline const QString P_Cpy = QStringLiteral("コピー");
inline const QString P_Past = QStringLiteral("貼り付け");
inline const QString Pop_Sel = QStringLiteral("全て選択");
inline const QString PopFont = QStringLiteral("フォントの指定");
inline const QString Pop_Se = QStringLiteral("検索／置き換え");
inline const QString POP_View = QStringLiteral("印刷プレビュー");

inline const QString PView100 = QStringLiteral("100%");
inline const QString PView80 = QStringLiteral("80%");
inline const QString PView50 = QStringLiteral("50%");
inline const QString PView20 = QStringLiteral("20%");
} // namespace Caption

namespace Hint {
inline const QString EditUndoItem = QStringLiteral("最後の操作を元に戻す");
inline const QString EditCutItem = QStringLiteral("選択項目を削除");
inline const QString EditCopyItem = QStringLiteral("選択項目をｸﾘｯﾌﾟﾎﾞｰﾄﾞにｺﾋﾟｰ");
inline const QString EditPasteItem = QStringLiteral("ｸﾘｯﾌﾟﾎﾞｰﾄﾞの内容を貼り付け");

inline const QString ToolButton1 = QStringLiteral("新規作成");
inline const QString ToolButton2 = QStringLiteral("開く");
inline const QString ToolButton3 = QStringLiteral("上書き保存");
inline const QString ToolButton4 = QStringLiteral("名前を付けて保存");
inline const QString ToolButton7 = QStringLiteral("印刷");
inline const QString ToolButton8 = QStringLiteral("プリンターの設定");
inline const QString ToolButton9 = QStringLiteral("作業フォルダーの表示");
inline const QString ToolButton5 = QStringLiteral("一つ戻す");

inline const QString Tree = QStringLiteral("ファイルを指定してダブルクリックして下さい。");
inline const QString Button1 = QStringLiteral("始めに戻る");
inline const QString Button2 = QStringLiteral("一つ戻る");
inline const QString Button3 = QStringLiteral("次へ");
inline const QString Button4 = QStringLiteral("最後へ");
} // namespace Hint
