// SPDX-License-Identifier: MIT
#include "rtftokenizer.h"

#include <algorithm>
#include <limits>

namespace pemmo::formats::rtf {

namespace {

bool isLetter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

} // namespace

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

Token Tokenizer::next()
{
    Token token;
    const qsizetype size = m_data.size();
    while (m_pos < size && (m_data[m_pos] == '\r' || m_data[m_pos] == '\n'))
        ++m_pos;
    if (m_pos >= size)
        return token;
    const char c = m_data[m_pos];
    if (c == '{') {
        ++m_pos;
        token.type = Token::Type::GroupStart;
        return token;
    }
    if (c == '}') {
        ++m_pos;
        token.type = Token::Type::GroupEnd;
        return token;
    }
    if (c != '\\') {
        const qsizetype start = m_pos;
        while (m_pos < size) {
            const char t = m_data[m_pos];
            if (t == '\\' || t == '{' || t == '}' || t == '\r' || t == '\n')
                break;
            ++m_pos;
        }
        token.type = Token::Type::Text;
        token.word = m_data.sliced(start, m_pos - start);
        return token;
    }
    // A backslash.
    ++m_pos;
    if (m_pos >= size) {
        m_truncated = true;
        return token;
    }
    const char first = m_data[m_pos];
    if (!isLetter(first)) {
        ++m_pos;
        if (first == '\'') {
            const int high = m_pos < size ? hexValue(m_data[m_pos]) : -1;
            const int low = m_pos + 1 < size ? hexValue(m_data[m_pos + 1]) : -1;
            if (high < 0 || low < 0) {
                if (m_pos + 1 >= size) {
                    m_truncated = true;
                    m_pos = size;
                    return token;
                }
                // A broken escape: treat it as an unknown symbol and read on.
                token.type = Token::Type::ControlSymbol;
                token.symbol = '\'';
                return token;
            }
            m_pos += 2;
            token.type = Token::Type::HexByte;
            token.byte = static_cast<unsigned char>(high * 16 + low);
            return token;
        }
        token.type = Token::Type::ControlSymbol;
        token.symbol = first;
        return token;
    }
    const qsizetype start = m_pos;
    while (m_pos < size && isLetter(m_data[m_pos]))
        ++m_pos;
    token.type = Token::Type::ControlWord;
    token.word = m_data.sliced(start, m_pos - start);
    if (m_pos < size && (m_data[m_pos] == '-' || isDigit(m_data[m_pos]))) {
        const bool negative = m_data[m_pos] == '-';
        qsizetype digitStart = m_pos + (negative ? 1 : 0);
        if (digitStart < size && isDigit(m_data[digitStart])) {
            qint64 value = 0;
            m_pos = digitStart;
            // Keep reading digits so the word ends where the file says, but stop growing the value.
            while (m_pos < size && isDigit(m_data[m_pos])) {
                if (value <= std::numeric_limits<int>::max())
                    value = value * 10 + (m_data[m_pos] - '0');
                ++m_pos;
            }
            if (negative)
                value = -value;
            value = std::clamp<qint64>(value, std::numeric_limits<int>::min(), std::numeric_limits<int>::max());
            token.hasParameter = true;
            token.parameter = int(value);
        }
    }
    if (m_pos < size && m_data[m_pos] == ' ')
        ++m_pos;
    return token;
}

QByteArrayView Tokenizer::takeBinary(qint64 count)
{
    const qint64 available = m_data.size() - m_pos;
    if (count > available) {
        m_truncated = true;
        count = available;
    }
    if (count <= 0)
        return {};
    const QByteArrayView bytes = m_data.sliced(m_pos, qsizetype(count));
    m_pos += qsizetype(count);
    return bytes;
}

} // namespace pemmo::formats::rtf
