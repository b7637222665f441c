// SPDX-License-Identifier: MIT
#include "textformat.h"

namespace pemmo::formats {

QString encodingName(Encoding encoding)
{
    switch (encoding) {
    case Encoding::Cp932: return QStringLiteral("CP932");
    case Encoding::EucJp: return QStringLiteral("EUC-JP");
    case Encoding::Iso2022Jp: return QStringLiteral("ISO-2022-JP");
    case Encoding::Utf8: return QStringLiteral("UTF-8");
    case Encoding::Utf16Le: return QStringLiteral("UTF-16LE");
    case Encoding::Utf16Be: return QStringLiteral("UTF-16BE");
    }
    return {};
}

const char* iconvName(Encoding encoding)
{
    switch (encoding) {
    case Encoding::Cp932: return "CP932";
    case Encoding::EucJp: return "EUC-JP";
    case Encoding::Iso2022Jp: return "ISO-2022-JP";
    case Encoding::Utf8: return "UTF-8";
    case Encoding::Utf16Le: return "UTF-16LE";
    case Encoding::Utf16Be: return "UTF-16BE";
    }
    return "CP932";
}

std::optional<Encoding> encodingFromName(const QString& name)
{
    // Compare without case and without the punctuation that spellings disagree on (Shift_JIS, shift-jis, sjis).
    QString key;
    for (const QChar c : name) {
        if (c.isLetterOrNumber())
            key += c.toLower();
    }
    static const struct {
        const char* key;
        Encoding encoding;
    } names[] = {
        {"utf8", Encoding::Utf8},           {"utf16le", Encoding::Utf16Le},     {"utf16be", Encoding::Utf16Be},
        {"utf16", Encoding::Utf16Le},       {"cp932", Encoding::Cp932},         {"ms932", Encoding::Cp932},
        {"windows31j", Encoding::Cp932},    {"shiftjis", Encoding::Cp932},      {"sjis", Encoding::Cp932},
        {"mskanji", Encoding::Cp932},       {"windows932", Encoding::Cp932},    {"eucjp", Encoding::EucJp},
        {"iso2022jp", Encoding::Iso2022Jp}, {"csiso2022jp", Encoding::Iso2022Jp},
    };
    for (const auto& entry : names) {
        if (key == QLatin1String(entry.key))
            return entry.encoding;
    }
    return std::nullopt;
}

QByteArray lineEndingBytes(LineEnding ending)
{
    switch (ending) {
    case LineEnding::CrLf: return QByteArrayLiteral("\r\n");
    case LineEnding::Lf: return QByteArrayLiteral("\n");
    case LineEnding::Cr: return QByteArrayLiteral("\r");
    }
    return QByteArrayLiteral("\r\n");
}

bool isUnicodeEncoding(Encoding encoding)
{
    return encoding == Encoding::Utf8 || encoding == Encoding::Utf16Le || encoding == Encoding::Utf16Be;
}

} // namespace pemmo::formats
