// SPDX-License-Identifier: MIT
// Our RTF opened by LibreOffice gives our text, Japanese included (needs soffice: label e2e).
#include "formats/documentio.h"
#include "formats/rtfwriter.h"
#include "testpaths.h"

#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QXmlStreamReader>

#include <map>
#include <set>

using namespace pemmo::formats;

class TestRtfLibreOffice final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void libreOfficeReadsOurText();
    void listNumbersAsLibreOfficeShowsThem();
    void keptGroupsAsLibreOfficeShowsThem();
    void westernAndEastAsianFacesAsLibreOfficeShowsThem();
};

namespace {

// LibreOffice's export of an RTF file: its text ("txt:Text (encoded):UTF8") or HTML.
QString libreOfficeExport(const QString& rtfPath, const QString& filter, const QString& extension)
{
    const QString soffice = QStandardPaths::findExecutable(QStringLiteral("soffice"));
    QTemporaryDir dir;
    QProcess process;
    process.setProgram(soffice);
    process.setArguments({ QStringLiteral("-env:UserInstallation=file://") + dir.filePath(QStringLiteral("profile")),
                           QStringLiteral("--headless"), QStringLiteral("--convert-to"), filter,
                           QStringLiteral("--outdir"), dir.path(), rtfPath });
    process.start();
    if (!process.waitForFinished(300000))
        return {};
    QString text = QString::fromUtf8(
        readAllBytes(dir.filePath(QFileInfo(rtfPath).completeBaseName() + u'.' + extension)));
    text.remove(QChar(0xFEFF));
    return text;
}

// The source edited (one sentence typed at the start) and saved by the editor's save.
QString editedAndSaved(const QString& source, const QTemporaryDir& dir)
{
    LoadResult loaded = loadDocument(source);
    if (!loaded.document || !loaded.document->richText)
        return {};
    QTextCursor(loaded.document->richText.get()).insertText(QStringLiteral("追記。"));
    const QString path = dir.filePath(QFileInfo(source).fileName());
    SaveOptions options;
    options.allowLoss = true;
    const SaveResult saved = saveDocument(path, DocumentSource { loaded.document->richText.get(), {} },
                                          kNewDocumentFormat, options);
    return saved.status == SaveStatus::Saved ? path : QString();
}

// The faces LibreOffice gives each paragraph of a flat ODF export: "western / East Asian", each the faces of
// its Latin letters or Japanese characters (spans over paragraph style over its parents over the default).
QStringList facesShown(const QString& fodt)
{
    struct Style
    {
        QString parent;
        QString western;
        QString eastAsian;
    };
    std::map<QString, QString> faceFamilies;
    std::map<QString, Style> styles; // the default paragraph style under the empty name
    QStringList rows;
    std::vector<QString> open; // the styles around the text, innermost last
    std::set<QString> western;
    std::set<QString> eastAsian;
    const auto resolved = [&styles](const std::vector<QString>& chain, QString Style::*face) {
        for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
            QString name = *it;
            for (int depth = 0; depth < 16 && !name.isEmpty(); ++depth) {
                const auto found = styles.find(name);
                if (found == styles.end())
                    break;
                if (!(found->second.*face).isEmpty())
                    return found->second.*face;
                name = found->second.parent;
            }
        }
        const auto fallback = styles.find(QStringLiteral(""));
        return fallback == styles.end() ? QString() : fallback->second.*face;
    };
    QXmlStreamReader xml(fodt);
    QString current;
    int depthInParagraph = 0;
    while (!xml.atEnd()) {
        xml.readNext();
        const QStringView name = xml.qualifiedName();
        if (xml.isStartElement()) {
            const QXmlStreamAttributes at = xml.attributes();
            if (name == u"style:font-face") {
                faceFamilies[at.value(QLatin1String("style:name")).toString()] =
                    at.value(QLatin1String("svg:font-family")).toString().remove(u'\'');
            } else if (name == u"style:default-style" && at.value(QLatin1String("style:family")) == u"paragraph") {
                current = QStringLiteral("");
                styles[current] = {};
            } else if (name == u"style:style") {
                current = at.value(QLatin1String("style:name")).toString();
                styles[current] = { at.value(QLatin1String("style:parent-style-name")).toString(), {}, {} };
            } else if (name == u"style:text-properties" && !current.isNull()) {
                styles[current].western = faceFamilies[at.value(QLatin1String("style:font-name")).toString()];
                styles[current].eastAsian = faceFamilies[at.value(QLatin1String("style:font-name-asian")).toString()];
            } else if (name == u"text:p" || (name == u"text:span" && depthInParagraph > 0)) {
                ++depthInParagraph;
                open.push_back(at.value(QLatin1String("text:style-name")).toString());
            }
        } else if (xml.isEndElement()) {
            if (name == u"style:style" || name == u"style:default-style")
                current = QString();
            if ((name == u"text:p" || name == u"text:span") && depthInParagraph > 0) {
                --depthInParagraph;
                open.pop_back();
                if (name == u"text:p") {
                    rows << QStringList(western.begin(), western.end()).join(u',') + QStringLiteral(" / ") +
                            QStringList(eastAsian.begin(), eastAsian.end()).join(u',');
                    western.clear();
                    eastAsian.clear();
                }
            }
        } else if (xml.isCharacters() && depthInParagraph > 0) {
            for (const QChar c : xml.text()) {
                if (c.script() == QChar::Script_Latin)
                    western.insert(resolved(open, &Style::western));
                else if (c.script() == QChar::Script_Han || c.script() == QChar::Script_Hiragana ||
                         c.script() == QChar::Script_Katakana)
                    eastAsian.insert(resolved(open, &Style::eastAsian));
            }
        }
    }
    return rows;
}

} // namespace

void TestRtfLibreOffice::libreOfficeReadsOurText()
{
    const QString soffice = QStandardPaths::findExecutable(QStringLiteral("soffice"));
    if (soffice.isEmpty())
        QSKIP("soffice not found: install libreoffice-writer-nogui to run this end-to-end test");
    // Paragraphs that exercise every way the writer stores a character.
    const QStringList paragraphs = {
        QStringLiteral("ASCII {braces} \\ backslash and\ttab"),
        QStringLiteral("ひらがな・カタカナ・漢字・半角ｶﾅ・表示ソ能"),
        QStringLiteral("NEC ①㈱㎜ IBM 髙﨑 user area \uE000"),
        QStringLiteral("WAVE DASH \u301C FULLWIDTH TILDE \uFF5E"),
        QStringLiteral("outside CP932: 𠮷 😀 € ä Ω"),
    };
    QTextDocument document;
    QTextCursor cursor(&document);
    for (qsizetype i = 0; i < paragraphs.size(); ++i) {
        if (i > 0)
            cursor.insertBlock();
        QTextCharFormat format;
        format.setFontWeight(i % 2 ? QFont::Bold : QFont::Normal);
        format.setFontFamilies({ QStringLiteral("ＭＳ ゴシック") });
        cursor.insertText(paragraphs[i], format);
    }
    QTemporaryDir dir;
    const QString rtfPath = dir.filePath(QStringLiteral("ours.rtf"));
    QCOMPARE(saveDocument(rtfPath, document, kNewDocumentFormat).status, SaveStatus::Saved);

    QProcess process;
    process.setProgram(soffice);
    process.setArguments({ QStringLiteral("-env:UserInstallation=file://") + dir.filePath(QStringLiteral("profile")),
                           QStringLiteral("--headless"), QStringLiteral("--convert-to"),
                           QStringLiteral("txt:Text (encoded):UTF8"), QStringLiteral("--outdir"), dir.path(),
                           rtfPath });
    process.start();
    QVERIFY(process.waitForFinished(180000));
    const QByteArray exported = readAllBytes(dir.filePath(QStringLiteral("ours.txt")));
    QVERIFY2(!exported.isEmpty(), process.readAllStandardError().constData());
    QString text = QString::fromUtf8(exported);
    text.remove(QChar(0xFEFF));
    QStringList lines = text.split(u'\n');
    while (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    QCOMPARE(lines, paragraphs);
}

void TestRtfLibreOffice::listNumbersAsLibreOfficeShowsThem()
{
    if (QStandardPaths::findExecutable(QStringLiteral("soffice")).isEmpty())
        QSKIP("soffice not found: install libreoffice-writer-nogui to run this end-to-end test");
    const QString source = QStringLiteral(PEMMO_KEEP_TESTDATA "/lists.rtf");
    const QString oracle = QString::fromUtf8(readAllBytes(QStringLiteral(PEMMO_KEEP_TESTDATA "/oracle/lists.txt")));
    QVERIFY2(!oracle.isEmpty(), "tests/data/rtf-keep/oracle/lists.txt missing");
    QTemporaryDir dir;
    const QString saved = editedAndSaved(source, dir);
    QVERIFY(!saved.isEmpty());
    QStringList shown =
        libreOfficeExport(saved, QStringLiteral("txt:Text (encoded):UTF8"), QStringLiteral("txt")).split(u'\n');
    QStringList expected = QString(oracle).remove(QChar(0xFEFF)).split(u'\n');
    QVERIFY(!shown.isEmpty());
    shown.first().replace(QStringLiteral("追記。"), QString());
    // LibreOffice counts the old \pn paragraphs on from the lettered list; they say upper roman from II.
    expected.replaceInStrings(QStringLiteral("(c) legacy"), QStringLiteral("II. legacy"));
    expected.replaceInStrings(QStringLiteral("(d) legacy"), QStringLiteral("III. legacy"));
    for (QStringList* lines : { &shown, &expected }) {
        for (QString& line : *lines)
            line = line.simplified();
        lines->removeAll(QString());
    }
    QCOMPARE(shown, expected);
}

void TestRtfLibreOffice::keptGroupsAsLibreOfficeShowsThem()
{
    if (QStandardPaths::findExecutable(QStringLiteral("soffice")).isEmpty())
        QSKIP("soffice not found: install libreoffice-writer-nogui to run this end-to-end test");
    const QString source = QStringLiteral(PEMMO_KEEP_TESTDATA "/kept-groups.rtf");
    QTemporaryDir dir;
    const QString saved = editedAndSaved(source, dir);
    QVERIFY(!saved.isEmpty());
    const QString html = libreOfficeExport(saved, QStringLiteral("html:HTML (StarWriter)"), QStringLiteral("html"));
    QVERIFY(!html.isEmpty());
    // What LibreOffice shows of the source (oracle/kept-groups.html): each part with its characters and colour.
    const auto part = [&html](const QString& title) {
        const qsizetype start = html.indexOf(QStringLiteral("<div title=\"%1\">").arg(title));
        return start < 0 ? QString() : html.sliced(start, html.indexOf(QStringLiteral("</div>"), start) - start);
    };
    const QString header = part(QStringLiteral("header"));
    QVERIFY2(header.contains(QStringLiteral("Café")) && header.contains(QStringLiteral("crème")), qPrintable(header));
    QVERIFY2(header.contains(QStringLiteral("#ff0000")), qPrintable(header));
    const QString footer = part(QStringLiteral("footer"));
    QVERIFY2(footer.contains(QStringLiteral("Привет")) && footer.contains(QStringLiteral("#0000ff")),
             qPrintable(footer));
    const qsizetype note = html.indexOf(QStringLiteral("<div id=\"sdfootnote1\">"));
    QVERIFY2(note >= 0 && html.indexOf(QStringLiteral("Naïve note"), note) > note, qPrintable(html));
}

void TestRtfLibreOffice::westernAndEastAsianFacesAsLibreOfficeShowsThem()
{
    if (QStandardPaths::findExecutable(QStringLiteral("soffice")).isEmpty())
        QSKIP("soffice not found: install libreoffice-writer-nogui to run this end-to-end test");
    // LibreOffice's own RTF: Times New Roman with ＭＳ 明朝 for Japanese, then Arial with ＭＳ ゴシック.
    const QString source = QStringLiteral(PEMMO_KEEP_TESTDATA "/faces.rtf");
    QVERIFY2(QFileInfo::exists(source), "tests/data/rtf-keep/faces.rtf missing");
    const QStringList expected = { QStringLiteral("Times New Roman / ＭＳ 明朝"),
                                   QStringLiteral("Arial / ＭＳ ゴシック") };
    QCOMPARE(facesShown(libreOfficeExport(source, QStringLiteral("fodt"), QStringLiteral("fodt"))), expected);
    // Japanese typed at the start of each paragraph's western run takes the run's East Asian face, as in a word
    // processor (not the document's default one, which LibreOffice may make the first Japanese face it reads).
    LoadResult loaded = loadDocument(source);
    QVERIFY(loaded.document && loaded.document->richText);
    QTextDocument& document = *loaded.document->richText;
    for (QTextBlock block = document.firstBlock(); block.isValid(); block = block.next()) {
        if (!block.text().isEmpty())
            QTextCursor(block).insertText(QStringLiteral("追記"));
    }
    QTemporaryDir dir;
    const QString saved = dir.filePath(QStringLiteral("faces.rtf"));
    QCOMPARE(saveDocument(saved, DocumentSource { &document, {} }, kNewDocumentFormat).status, SaveStatus::Saved);
    QCOMPARE(facesShown(libreOfficeExport(saved, QStringLiteral("fodt"), QStringLiteral("fodt"))), expected);
}

QTEST_GUILESS_MAIN(TestRtfLibreOffice)
#include "tst_rtflibreoffice.moc"
