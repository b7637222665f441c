// SPDX-License-Identifier: MIT
// Our RTF opened by LibreOffice gives our text, Japanese included (needs soffice: label e2e).
#include "formats/documentio.h"
#include "formats/rtfwriter.h"
#include "testpaths.h"

#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTextCursor>
#include <QTextDocument>

using namespace pemmo::formats;

class TestRtfLibreOffice final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void libreOfficeReadsOurText();
};

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

QTEST_GUILESS_MAIN(TestRtfLibreOffice)
#include "tst_rtflibreoffice.moc"
