// SPDX-License-Identifier: MIT
#include "codelanguage.h"

CodeLanguage codeLanguageForFileName(const QString& fileName)
{
    const QString name = fileName.mid(fileName.lastIndexOf(QLatin1Char('/')) + 1);
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    if (dot <= 0)
        return CodeLanguage::None;
    const QString extension = name.mid(dot + 1).toLower();
    if (extension == u"c" || extension == u"h")
        return CodeLanguage::C;
    if (extension == u"cpp" || extension == u"cc" || extension == u"cxx" || extension == u"hpp")
        return CodeLanguage::Cpp;
    if (extension == u"asm" || extension == u"s")
        return CodeLanguage::Assembler;
    if (extension == u"htm" || extension == u"html")
        return CodeLanguage::Html;
    return CodeLanguage::None;
}
