// SPDX-License-Identifier: MIT
#include "textformat.h"

#include <iterator>

namespace pemmo::formats {

namespace {

struct EncodingInfo
{
    Encoding encoding;
    const char* name; ///< IANA spelling, as shown
    const char* iconv; ///< glibc's name
};

constexpr EncodingInfo kEncodings[] = {
    { Encoding::Cp932, "CP932", "CP932" },
    { Encoding::EucJp, "EUC-JP", "EUC-JP" },
    { Encoding::Iso2022Jp, "ISO-2022-JP", "ISO-2022-JP" },
    { Encoding::Utf8, "UTF-8", "UTF-8" },
    { Encoding::Utf16Le, "UTF-16LE", "UTF-16LE" },
    { Encoding::Utf16Be, "UTF-16BE", "UTF-16BE" },
    { Encoding::Gb18030, "GB18030", "GB18030" },
    { Encoding::Big5, "Big5", "BIG5" },
    { Encoding::EucKr, "EUC-KR", "EUC-KR" },
    { Encoding::Iso8859_1, "ISO-8859-1", "ISO-8859-1" },
    { Encoding::Iso8859_2, "ISO-8859-2", "ISO-8859-2" },
    { Encoding::Iso8859_3, "ISO-8859-3", "ISO-8859-3" },
    { Encoding::Iso8859_4, "ISO-8859-4", "ISO-8859-4" },
    { Encoding::Iso8859_5, "ISO-8859-5", "ISO-8859-5" },
    { Encoding::Iso8859_6, "ISO-8859-6", "ISO-8859-6" },
    { Encoding::Iso8859_7, "ISO-8859-7", "ISO-8859-7" },
    { Encoding::Iso8859_8, "ISO-8859-8", "ISO-8859-8" },
    { Encoding::Iso8859_9, "ISO-8859-9", "ISO-8859-9" },
    { Encoding::Iso8859_10, "ISO-8859-10", "ISO-8859-10" },
    { Encoding::Iso8859_11, "ISO-8859-11", "ISO-8859-11" },
    { Encoding::Iso8859_13, "ISO-8859-13", "ISO-8859-13" },
    { Encoding::Iso8859_14, "ISO-8859-14", "ISO-8859-14" },
    { Encoding::Iso8859_15, "ISO-8859-15", "ISO-8859-15" },
    { Encoding::Iso8859_16, "ISO-8859-16", "ISO-8859-16" },
    { Encoding::Windows1250, "Windows-1250", "CP1250" },
    { Encoding::Windows1251, "Windows-1251", "CP1251" },
    { Encoding::Windows1252, "Windows-1252", "CP1252" },
    { Encoding::Windows1253, "Windows-1253", "CP1253" },
    { Encoding::Windows1254, "Windows-1254", "CP1254" },
    { Encoding::Windows1255, "Windows-1255", "CP1255" },
    { Encoding::Windows1256, "Windows-1256", "CP1256" },
    { Encoding::Windows1257, "Windows-1257", "CP1257" },
    { Encoding::Windows1258, "Windows-1258", "CP1258" },
    { Encoding::Koi8R, "KOI8-R", "KOI8-R" },
    { Encoding::Koi8U, "KOI8-U", "KOI8-U" },
};

const EncodingInfo& info(Encoding encoding)
{
    for (const EncodingInfo& entry : kEncodings) {
        if (entry.encoding == encoding)
            return entry;
    }
    return kEncodings[0];
}

// Compare without case and without the punctuation that spellings disagree on (Shift_JIS, shift-jis, sjis).
QString nameKey(const QString& name)
{
    QString key;
    for (const QChar c : name) {
        if (c.isLetterOrNumber())
            key += c.toLower();
    }
    return key;
}

} // namespace

QString encodingName(Encoding encoding)
{
    return QString::fromLatin1(info(encoding).name);
}

const char* iconvName(Encoding encoding)
{
    return info(encoding).iconv;
}

std::optional<Encoding> encodingFromName(const QString& name)
{
    const QString key = nameKey(name);
    static const struct
    {
        const char* key;
        Encoding encoding;
    } aliases[] = {
        { "utf16", Encoding::Utf16Le },    { "ms932", Encoding::Cp932 },
        { "windows31j", Encoding::Cp932 }, { "shiftjis", Encoding::Cp932 },
        { "sjis", Encoding::Cp932 },       { "mskanji", Encoding::Cp932 },
        { "windows932", Encoding::Cp932 }, { "csiso2022jp", Encoding::Iso2022Jp },
        { "gbk", Encoding::Gb18030 },      { "gb2312", Encoding::Gb18030 },
        { "cp936", Encoding::Gb18030 },    { "big5", Encoding::Big5 },
        { "latin1", Encoding::Iso8859_1 }, { "cp1252", Encoding::Windows1252 },
    };
    for (const auto& entry : aliases) {
        if (key == QLatin1String(entry.key))
            return entry.encoding;
    }
    for (const EncodingInfo& entry : kEncodings) {
        if (key == nameKey(QString::fromLatin1(entry.name)) || key == nameKey(QString::fromLatin1(entry.iconv)))
            return entry.encoding;
    }
    return std::nullopt;
}

QByteArray lineEndingBytes(LineEnding ending)
{
    switch (ending) {
    case LineEnding::CrLf:
        return QByteArrayLiteral("\r\n");
    case LineEnding::Lf:
        return QByteArrayLiteral("\n");
    case LineEnding::Cr:
        return QByteArrayLiteral("\r");
    }
    return QByteArrayLiteral("\r\n");
}

bool isUnicodeEncoding(Encoding encoding)
{
    return encoding == Encoding::Utf8 || encoding == Encoding::Utf16Le || encoding == Encoding::Utf16Be;
}

bool lineFeedMayBeInsideCharacter(Encoding encoding)
{
    return encoding == Encoding::Utf16Le || encoding == Encoding::Utf16Be || encoding == Encoding::Iso2022Jp;
}

QList<EncodingChoice> offeredEncodings()
{
    return {
        { Encoding::Cp932, false },  { Encoding::EucJp, false },     { Encoding::Iso2022Jp, false },
        { Encoding::Utf8, false },   { Encoding::Utf8, true },       { Encoding::Utf16Le, true },
        { Encoding::Utf16Be, true }, { Encoding::Gb18030, false },   { Encoding::Big5, false },
        { Encoding::EucKr, false },  { Encoding::Iso8859_1, false }, { Encoding::Windows1252, false },
        { Encoding::Koi8R, false },  { Encoding::Koi8U, false },
    };
}

QString encodingLabel(Encoding encoding, bool bom)
{
    // Japanese users know CP932 as Shift_JIS; the name says which variant we write.
    QString label = encoding == Encoding::Cp932 ? QStringLiteral("Shift_JIS (CP932)") : encodingName(encoding);
    if (bom && isUnicodeEncoding(encoding))
        label += QStringLiteral(" BOM");
    return label;
}

QString lineEndingLabel(LineEnding ending)
{
    switch (ending) {
    case LineEnding::CrLf:
        return QStringLiteral("CR+LF");
    case LineEnding::Lf:
        return QStringLiteral("LF");
    case LineEnding::Cr:
        return QStringLiteral("CR");
    }
    return QStringLiteral("CR+LF");
}

} // namespace pemmo::formats
