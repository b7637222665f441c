// SPDX-License-Identifier: MIT
#include "textfileloader.h"

#include "editortexts.h"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

#include <iconv.h>

#include <cerrno>

namespace {
// glibc's CP932 table is the one Windows uses, unlike ICU's; undecodable bytes become U+FFFD
// one at a time so that nothing is dropped silently.
QString decodeCp932(const QByteArray& bytes, bool& lossy)
{
    iconv_t cd = iconv_open("UTF-16LE", "CP932");
    if (cd == iconv_t(-1)) {
        lossy = true;
        return QString::fromLatin1(bytes);
    }
    QString result;
    QByteArray out(bytes.size() * 2 + 16, Qt::Uninitialized);
    char* in = const_cast<char*>(bytes.constData());
    size_t inLeft = size_t(bytes.size());
    while (inLeft > 0) {
        char* outPtr = out.data();
        size_t outLeft = size_t(out.size());
        const size_t rc = iconv(cd, &in, &inLeft, &outPtr, &outLeft);
        const int err = errno;
        result += QString::fromUtf16(reinterpret_cast<const char16_t*>(out.constData()),
                                     (out.size() - qsizetype(outLeft)) / 2);
        if (rc != size_t(-1))
            break;
        if (err == E2BIG)
            continue;
        // EILSEQ or a cut-off sequence at the end: replace one byte and go on.
        lossy = true;
        result += QChar(QChar::ReplacementCharacter);
        ++in;
        --inLeft;
    }
    iconv_close(cd);
    return result;
}

QString normaliseLineBreaks(QString text)
{
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}
} // namespace

TextLoadResult loadDocumentFile(const QString& path)
{
    TextLoadResult result;
    QFile file(path);
    if (QFileInfo(path).isDir() || !file.open(QIODevice::ReadOnly)) {
        result.error = kCannotOpenFile.arg(path);
        return result;
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        result.error = kCannotOpenFile.arg(path);
        return result;
    }

    auto utf8 = QStringDecoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(bytes);
    if (utf8.hasError())
        text = decodeCp932(bytes, result.lossy);
    else if (text.startsWith(QChar(QChar::ByteOrderMark)))
        text.remove(0, 1);

    result.ok = true;
    result.text = normaliseLineBreaks(std::move(text));
    return result;
}
