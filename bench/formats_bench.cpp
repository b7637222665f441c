// SPDX-License-Identifier: MIT
// Load and save speed of the document-format library (decode, RTF parse, encode, RTF write) on generated
// inputs: plain CP932 10 MB and 100 MB, UTF-8 10 MB, RTF 1 MB and 10 MB. The editor window is not involved.
#include "formats/documentio.h"
#include "formats/plaintext.h"
#include "formats/rtfwriter.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QTextDocument>

#include <cstdio>
#include <sys/resource.h>

using namespace pemmo::formats;

namespace {

long peakMiB()
{
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024;
}

// Japanese prose with ASCII, half-width kana and a 0x5C trail byte, about 100 bytes a line in CP932.
QString japaneseText(qint64 approximateCp932Bytes)
{
    const QString line = QStringLiteral(
        "吾輩は猫である。名前はまだ無い。どこで生れたかとんと見当がつかご。表示ソ能 ｱｲｳ "
        "ASCII text 0123456789\n");
    QString text;
    const qint64 lines = approximateCp932Bytes / 100;
    text.reserve(qsizetype(lines * line.size()));
    for (qint64 i = 0; i < lines; ++i)
        text += line;
    return text;
}

QByteArray rtfInput(qint64 approximateBytes)
{
    QByteArray rtf =
        "{\\rtf1\\ansi\\ansicpg932\\deff0{\\fonttbl{\\f0\\fnil\\fcharset128 \\'82\\'6c\\'82\\'72 "
        "\\'83\\'53\\'83\\'56\\'83\\'62\\'83\\'4e;}{\\f1 Arial;}}{\\colortbl;\\red255\\green0\\blue0;}\r\n";
    const QByteArray paragraph = "\\pard\\qj\\li360 {\\f0\\fs21 \\'8c\\'e1\\'94\\'79\\'82\\'cd\\'94\\'4c\\'82\\'c5"
                                 "\\'82\\'a0\\'82\\'e9\\'81\\'42}{\\b\\cf1 bold red }{\\i\\f1 italic Arial}"
                                 "\\tab\\u12316?{\\ul underlined text}\\line second line\\par\r\n";
    while (rtf.size() < approximateBytes)
        rtf += paragraph;
    rtf += "}";
    return rtf;
}

template <typename F>
double timeIt(F&& f)
{
    QElapsedTimer timer;
    timer.start();
    f();
    return timer.nsecsElapsed() / 1e6;
}

void plainCase(const char* name, Encoding encoding, qint64 bytes)
{
    TextFormat format;
    format.encoding = encoding;
    const QByteArray input = encodePlainText(japaneseText(bytes), format);
    LoadedDocument loaded;
    const double load = timeIt([&] { loaded = readDocumentBytes(input); });
    std::optional<Unencodable> bad;
    const double check = timeIt([&] { bad = findUnencodable(loaded.plainText, loaded.format.encoding); });
    QByteArray output;
    const double save = timeIt([&] { output = encodePlainText(loaded.plainText, loaded.format); });
    std::printf("%-16s %7.1f MB  load %8.1f ms  check %7.1f ms  encode %8.1f ms  same bytes %s  peak %ld MiB\n", name,
                input.size() / 1e6, load, check, save, output == input ? "yes" : "NO", peakMiB());
}

void rtfCase(const char* name, qint64 bytes)
{
    const QByteArray input = rtfInput(bytes);
    LoadedDocument loaded;
    const double load = timeIt([&] { loaded = readDocumentBytes(input); });
    QByteArray output;
    const double save = timeIt([&] { output = writeRtf(*loaded.richText); });
    std::printf("%-16s %7.1f MB  parse %7.1f ms  write %8.1f ms  written %.1f MB  blocks %d  peak %ld MiB\n", name,
                input.size() / 1e6, load, save, output.size() / 1e6, loaded.richText->blockCount(), peakMiB());
}

} // namespace

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv); // fonts and images as in the editor
    const bool big = app.arguments().contains(QStringLiteral("--big"));
    plainCase("CP932 10 MB", Encoding::Cp932, 10'000'000);
    plainCase("UTF-8 10 MB", Encoding::Utf8, 6'700'000); // UTF-8 takes 1.5 times the CP932 bytes here
    rtfCase("RTF 1 MB", 1'000'000);
    rtfCase("RTF 10 MB", 10'000'000);
    if (big)
        plainCase("CP932 100 MB", Encoding::Cp932, 100'000'000);
    else
        std::printf("(run with --big for the 100 MB CP932 case)\n");
    return 0;
}
