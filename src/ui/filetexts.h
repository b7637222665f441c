// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

// The file types the open and save dialogs offer, shared by the editor window and the launcher.
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
