// SPDX-License-Identifier: MIT
// A bounded stand-in for libFuzzer: hostile shapes plus seeded mutations of real files, for a few seconds.
// Fails (non-zero exit) on a crash, on one input taking too long, or on memory growing past a bound.
#include <QByteArray>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QList>
#include <QRandomGenerator>
#include <QString>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <sys/resource.h>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

constexpr qint64 kMaxMillisecondsPerInput = 5000;
constexpr long kMaxResidentKiB = 1024 * 1024; // 1 GiB: far above what bounded reading needs

long residentKiB()
{
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

bool runOne(const QByteArray& input, const char* what)
{
    QElapsedTimer timer;
    timer.start();
    LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(input.constData()), std::size_t(input.size()));
    if (timer.elapsed() > kMaxMillisecondsPerInput) {
        std::fprintf(stderr, "too slow (%lld ms): %s\n", static_cast<long long>(timer.elapsed()), what);
        return false;
    }
    if (residentKiB() > kMaxResidentKiB) {
        std::fprintf(stderr, "memory grew to %ld KiB: %s\n", residentKiB(), what);
        return false;
    }
    return true;
}

QList<QByteArray> hostileInputs()
{
    QList<QByteArray> inputs;
    inputs << "{\\rtf1" + QByteArray(100000, '{') + "x";
    inputs << "{\\rtf1" + QByteArray(100000, '{') + QByteArray(100000, '}');
    inputs << "{\\rtf1" + QByteArray(200000, '}') + "x";
    inputs << "{\\rtf1 a\\bin2147483647 b}";
    inputs << "{\\rtf1 a\\bin99999999999999999999999 b}";
    inputs << "{\\rtf1{\\pict\\pngblip\\bin2147483647 " + QByteArray(1 << 20, '\xff') + "}}";
    inputs << "{\\rtf1\\uc2147483647\\u-2147483648 \\fs99999999999999999999\\f-99999999999 \\cf2147483647 "
              "\\li-2147483648\\tx2147483647 x}";
    inputs << "{\\rtf1 " + QByteArray(50000, '\\') + "}";
    QByteArray manyTabs = "{\\rtf1";
    for (int i = 0; i < 20000; ++i)
        manyTabs += "\\tx" + QByteArray::number(i * 10);
    inputs << manyTabs + " x}";
    QByteArray manyFonts = "{\\rtf1{\\fonttbl";
    for (int i = 0; i < 20000; ++i)
        manyFonts += "{\\f" + QByteArray::number(i * 104729) + "\\fcharset128 F;}";
    inputs << manyFonts + "}\\f2147483647 x}";
    QByteArray runs = "{\\rtf1 ";
    for (int i = 0; i < 50000; ++i)
        runs += i % 2 ? "\\b a" : "\\b0 b";
    inputs << runs + "}";
    inputs << "{\\rtf1{\\upr{\\upr{\\upr{a}}}}{\\*\\ud{\\*\\ud{\\*\\ud}}}";
    inputs << "{\\rtf1{\\field{\\*\\fldinst EQ \\\\o(" + QByteArray(10000, '(') + "}{\\fldrslt }}}";
    // Structures: tables that change shape, merges without a start, lists and styles that point nowhere.
    QByteArray table = "{\\rtf1";
    for (int row = 0; row < 300; ++row) {
        table += "\\trowd";
        for (int cell = 0; cell <= row % 70; ++cell)
            table += (cell % 3 ? "\\clmrg" : "\\clvmrg\\clmgf") + QByteArray("\\cellx") +
                QByteArray::number((cell * 7919) % 20000);
        table += "\\pard\\intbl";
        for (int cell = 0; cell < row % 90; ++cell)
            table += " x\\cell";
        table += "\\row";
    }
    inputs << table + "}";
    inputs << "{\\rtf1\\intbl\\itap9 a\\nestcell{\\*\\nesttableprops\\trowd\\cellx1\\nestrow}\\cell\\row\\cell\\row"
              "\\clvmgf\\cellx-5\\clvmrg\\cellx-9\\row\\pard\\intbl\\page b\\cell}";
    QByteArray lists = "{\\rtf1{\\*\\listtable";
    for (int i = 0; i < 5000; ++i)
        lists += "{\\list{\\listlevel\\levelnfc" + QByteArray::number(i % 300) + "}\\listid" + QByteArray::number(i) +
            "}";
    lists += "}{\\*\\listoverridetable{\\listoverride\\listid7\\ls2147483647}}{\\stylesheet";
    for (int i = 0; i < 5000; ++i)
        lists += "{\\s" + QByteArray::number(i) + "\\outlinelevel" + QByteArray::number(i % 12 - 2) + " heading " +
            QByteArray::number(i % 10) + ";}";
    lists += "}";
    for (int i = 0; i < 3000; ++i)
        lists += "\\pard\\s" + QByteArray::number(i) + "\\ls" + QByteArray::number(i % 9) + "\\ilvl" +
            QByteArray::number(i % 12 - 2) + "{\\*\\pn\\pnlvl" + QByteArray::number(i % 20 - 5) + "\\pnucrm} i\\par";
    inputs << lists + "}";
    inputs << "{\\rtf1" + QByteArray(200, ' ').replace(" ", "{\\field{\\*\\fldinst HYPERLINK \"a\\'82}") +
            "{\\fldrslt x}}}";
    inputs << "{\\rtf1\\dbch\\af99999\\afs-5\\ab\\ai\\'82\\'a0\\loch\\hich\\up-99\\dn99999\\sl-2147483648\\slmult1 x}";
    inputs << "{\\rtf1\\ansicpg932 \\'82";
    inputs << "{\\rtf1\\ansicpg932 \\'8";
    inputs << "{\\rtf1\\";
    return inputs;
}

QList<QByteArray> seeds()
{
    QList<QByteArray> corpus;
    QDirIterator it(QStringLiteral(PEMMO_CORPUS_TESTDATA "/rtf"), { QStringLiteral("*.rtf") }, QDir::Files,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        QFile file(it.next());
        if (file.size() < 64 * 1024 && file.open(QIODevice::ReadOnly))
            corpus << file.readAll();
    }
    for (const char* folder : { PEMMO_FORMATS_TESTDATA, PEMMO_STRUCTURE_TESTDATA, PEMMO_ROUNDTRIP_TESTDATA }) {
        QDirIterator own(QString::fromUtf8(folder), { QStringLiteral("*.rtf") }, QDir::Files);
        while (own.hasNext()) {
            QFile file(own.next());
            if (file.open(QIODevice::ReadOnly))
                corpus << file.readAll();
        }
    }
    if (corpus.isEmpty())
        corpus << "{\\rtf1\\ansi\\ansicpg932{\\fonttbl{\\f0\\fcharset128 A;}}{\\colortbl;\\red1\\green2\\blue3;}"
                  "\\f0\\b\\'82\\'a0\\u12354?{\\field{\\*\\fldinst X}{\\fldrslt y}}\\cell\\row\\par}";
    return corpus;
}

QByteArray mutate(QByteArray input, QRandomGenerator& random)
{
    static const char* const tokens[] = { "{",
                                          "}",
                                          "\\",
                                          "\\'",
                                          "\\u-1",
                                          "\\bin",
                                          "\\*",
                                          "\\par",
                                          "\\cell",
                                          "\\pict",
                                          "\\upr",
                                          "\\fonttbl",
                                          "\\f9",
                                          "\\uc9",
                                          "\\'82",
                                          "\\row",
                                          "\\trowd",
                                          "\\cellx500",
                                          "\\clmrg",
                                          "\\clvmrg",
                                          "\\clvmgf",
                                          "\\intbl",
                                          "\\itap2",
                                          "\\nestcell",
                                          "\\ls1",
                                          "\\ilvl3",
                                          "\\listtable",
                                          "{\\*\\pn\\pnlvlblt}",
                                          "\\s1",
                                          "\\stylesheet",
                                          "\\page",
                                          "\\dbch\\ab",
                                          "{\\field{\\*\\fldinst HYPERLINK \"x\"}" };
    const int edits = 1 + int(random.bounded(8));
    for (int e = 0; e < edits && !input.isEmpty(); ++e) {
        const qsizetype at = qsizetype(random.bounded(quint32(input.size())));
        switch (random.bounded(5)) {
        case 0:
            input[at] = char(random.bounded(256));
            break;
        case 1:
            input.remove(at, qsizetype(random.bounded(16)));
            break;
        case 2:
            input.insert(at, tokens[random.bounded(quint32(std::size(tokens)))]);
            break;
        case 3:
            input.truncate(at);
            break;
        default:
            input.insert(at, input.mid(qsizetype(random.bounded(quint32(input.size()))), 32));
            break;
        }
    }
    return input;
}

} // namespace

int main(int argc, char** argv)
{
    // Broken pictures make the image plugins complain on every input; only the verdict matters here.
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
    int seconds = 5;
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::strcmp(argv[i], "--seconds") == 0)
            seconds = std::atoi(argv[i + 1]);
    }
    int runs = 0;
    for (const QByteArray& input : hostileInputs()) {
        if (!runOne(input, input.left(40).constData()))
            return 1;
        ++runs;
    }
    const QList<QByteArray> corpus = seeds();
    for (const QByteArray& seed : corpus) {
        // Every cut of a real file, at a stride that keeps this part short.
        for (qsizetype cut = 0; cut < seed.size(); cut += std::max<qsizetype>(1, seed.size() / 64)) {
            if (!runOne(seed.left(cut), "truncated seed"))
                return 1;
            ++runs;
        }
    }
    QRandomGenerator random(20240601); // fixed: a failure reproduces
    QElapsedTimer total;
    total.start();
    while (total.elapsed() < seconds * 1000LL) {
        QByteArray input;
        if (random.bounded(10) == 0) {
            input = "{\\rtf1 ";
            for (int i = int(random.bounded(4096)); i > 0; --i)
                input.append(char(random.bounded(256)));
        } else {
            input = mutate(corpus[qsizetype(random.bounded(quint32(corpus.size())))], random);
        }
        if (!runOne(input, "mutated input")) {
            QFile dump(QStringLiteral("rtf_fuzz_failure.rtf"));
            if (dump.open(QIODevice::WriteOnly))
                dump.write(input);
            return 1;
        }
        ++runs;
    }
    std::printf("rtf fuzz smoke: %d inputs, peak %ld KiB\n", runs, residentKiB());
    return 0;
}
