// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

// The editor window's menu captions and tool-bar hints, exactly as designed.
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
// The tree popup's title item, shown disabled above the file types.
inline const QString Pop_Name = QStringLiteral("表示ファイルタイプ選択");
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
