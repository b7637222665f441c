// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArrayView>

namespace pemmo::formats::rtf {

/** The value of one hexadecimal digit, or -1. */
int hexValue(char c);

struct Token
{
    enum class Type { GroupStart, GroupEnd, ControlWord, ControlSymbol, Text, HexByte, End };
    Type type = Type::End;
    QByteArrayView word; ///< ControlWord: the letters; Text: the run of text bytes
    bool hasParameter = false;
    int parameter = 0; ///< clamped to the int range however many digits the file has
    char symbol = 0; ///< ControlSymbol
    unsigned char byte = 0; ///< HexByte
};

/** Splits RTF into tokens without allocating; line breaks in the source are not text and are skipped. */
class Tokenizer final
{
public:
    explicit Tokenizer(QByteArrayView data)
        : m_data(data)
    { }

    Token next();
    /** The raw bytes after \binN, never more than what is left of the input. */
    QByteArrayView takeBinary(qint64 count);
    /** The input ended inside a control word escape or hex escape. */
    bool truncated() const { return m_truncated; }
    qsizetype position() const { return m_pos; }

private:
    QByteArrayView m_data;
    qsizetype m_pos = 0;
    bool m_truncated = false;
};

} // namespace pemmo::formats::rtf
