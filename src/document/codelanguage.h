// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

/** The languages whose code the plain view colours, chosen by the file name's extension. */
enum class CodeLanguage { None, C, Cpp, Assembler, Html };

/** .c/.h: C; .cpp/.cc/.cxx/.hpp: C++; .asm/.s: assembler; .htm/.html: HTML; any case. Anything else: None. */
CodeLanguage codeLanguageForFileName(const QString& fileName);
