// SPDX-License-Identifier: MIT
// Round trip A.rtf -> pemmo-convert -> B.rtf, judged by LibreOffice's HTML export of A (checked in) and of B
// (needs soffice: label e2e).
#include "testpaths.h"

#include <QDirIterator>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTextDocumentFragment>

namespace {

struct Structure
{
    QMap<QString, int> counts;
    QString text;
};

Structure structureOf(const QString& html)
{
    const QString body = html.mid(html.indexOf(QLatin1String("<body")));
    Structure out;
    const auto count = [&body](const char* pattern) {
        return int(
            body.count(QRegularExpression(QString::fromLatin1(pattern), QRegularExpression::CaseInsensitiveOption)));
    };
    out.counts[QStringLiteral("table cells")] = count("<t[dh][\\s>]");
    out.counts[QStringLiteral("links")] = count("<a\\s[^>]*href");
    out.counts[QStringLiteral("list items")] = count("<li[\\s>]");
    out.counts[QStringLiteral("headings")] = count("<h[1-6][\\s>]");
    out.counts[QStringLiteral("superscripts")] = count("<sup[\\s>]");
    out.counts[QStringLiteral("subscripts")] = count("<sub[\\s>]");
    out.counts[QStringLiteral("strikes")] = count("<(strike|s|del)[\\s>]");
    out.counts[QStringLiteral("page breaks")] = count("page-break-before:\\s*always");
    int bold = 0;
    const QRegularExpression bolds(QStringLiteral("<(b|strong)[\\s>](.*?)</\\1>"),
                                   QRegularExpression::CaseInsensitiveOption |
                                       QRegularExpression::DotMatchesEverythingOption);
    for (auto it = bolds.globalMatch(body); it.hasNext();)
        bold += int(QTextDocumentFragment::fromHtml(it.next().captured(2))
                        .toPlainText()
                        .remove(QRegularExpression(QStringLiteral("\\s")))
                        .size());
    out.counts[QStringLiteral("bold characters")] = bold;
    out.text = QTextDocumentFragment::fromHtml(body).toPlainText().remove(QRegularExpression(QStringLiteral("\\s")));
    return out;
}

// 1 - edit distance / longer length.
double similarity(const QString& a, const QString& b)
{
    if (a.isEmpty() && b.isEmpty())
        return 1.0;
    std::vector<int> previous(std::size_t(b.size() + 1)), current(previous.size());
    for (qsizetype j = 0; j <= b.size(); ++j)
        previous[j] = int(j);
    for (qsizetype i = 1; i <= a.size(); ++i) {
        current[0] = int(i);
        for (qsizetype j = 1; j <= b.size(); ++j)
            current[j] = std::min(
                { previous[j] + 1, current[j - 1] + 1, previous[j - 1] + (a[i - 1] == b[j - 1] ? 0 : 1) });
        std::swap(previous, current);
    }
    return 1.0 - double(previous[b.size()]) / double(std::max(a.size(), b.size()));
}

QString structureData()
{
    return QStringLiteral(PEMMO_STRUCTURE_TESTDATA);
}

} // namespace

class TestRtfStructureLibreOffice final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void roundTripKeepsStructure();
};

void TestRtfStructureLibreOffice::roundTripKeepsStructure()
{
    const QString soffice = QStandardPaths::findExecutable(QStringLiteral("soffice"));
    if (soffice.isEmpty())
        QSKIP("soffice not found: install libreoffice-writer-nogui to run this end-to-end test");
    QStringList files = QDir(structureData()).entryList({ QStringLiteral("*.rtf") }, QDir::Files, QDir::Name);
    QVERIFY2(files.size() >= 6, qPrintable(QStringLiteral("structure corpus missing at ") + structureData()));
    QTemporaryDir dir;
    QStringList converted;
    for (const QString& file : files) {
        const QString out = dir.filePath(file);
        const int code = QProcess::execute(QStringLiteral(PEMMO_CONVERT_PATH), { structureData() + u'/' + file, out });
        QVERIFY2(code == 0, qPrintable(file));
        converted << out;
    }
    QProcess process;
    process.setProgram(soffice);
    process.setArguments(
        QStringList { QStringLiteral("-env:UserInstallation=file://") + dir.filePath(QStringLiteral("profile")),
                      QStringLiteral("--headless"), QStringLiteral("--convert-to"),
                      QStringLiteral("html:HTML (StarWriter)"), QStringLiteral("--outdir"),
                      dir.filePath(QStringLiteral("html")) } +
        converted);
    process.start();
    QVERIFY(process.waitForFinished(300000));
    for (const QString& file : files) {
        const QString name = file.chopped(4) + QStringLiteral(".html");
        const QByteArray oracle = readAllBytes(structureData() + QStringLiteral("/oracle/") + name);
        QVERIFY2(!oracle.isEmpty(), qPrintable(QStringLiteral("oracle missing for ") + file));
        const QByteArray ours = readAllBytes(dir.filePath(QStringLiteral("html/") + name));
        QVERIFY2(!ours.isEmpty(), qPrintable(QStringLiteral("LibreOffice did not open our ") + file));
        const Structure before = structureOf(QString::fromUtf8(oracle));
        const Structure after = structureOf(QString::fromUtf8(ours));
        for (auto it = before.counts.cbegin(); it != before.counts.cend(); ++it) {
            const int kept = after.counts.value(it.key());
            QVERIFY2(kept * 10 >= it.value() * 9,
                     qPrintable(QStringLiteral("%1: %2 %3 of %4 kept").arg(file, it.key()).arg(kept).arg(it.value())));
        }
        const double similar = similarity(before.text, after.text);
        QVERIFY2(similar >= 0.98, qPrintable(QStringLiteral("%1: text similarity %2").arg(file).arg(similar)));
    }
}

QTEST_MAIN(TestRtfStructureLibreOffice)
#include "tst_rtfstructurelibreoffice.moc"
