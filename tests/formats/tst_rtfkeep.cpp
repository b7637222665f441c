// SPDX-License-Identifier: MIT
// What an RTF save keeps of what the document had: kept groups with their fonts and colours, lists,
// character formats, charsets.
#include "formats/documentio.h"
#include "formats/rtfreader.h"
#include "formats/rtfwriter.h"
#include "testpaths.h"

#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

using namespace pemmo::formats;

namespace {

QString keepData(const QString& name)
{
    return QStringLiteral(PEMMO_KEEP_TESTDATA "/") + name;
}

std::unique_ptr<QTextDocument> loadRtf(const QString& name)
{
    const QByteArray bytes = readAllBytes(keepData(name));
    if (bytes.isEmpty())
        return nullptr;
    std::optional<RtfReadResult> read = readRtf(bytes);
    return read ? std::move(read->document) : nullptr;
}

// The group that starts with "{\<word>" in written RTF, by brace depth (escaped braces are text).
QByteArray groupAt(const QByteArray& rtf, const QByteArray& word)
{
    const qsizetype start = rtf.indexOf(QByteArray("{\\" + word));
    if (start < 0)
        return {};
    int depth = 0;
    for (qsizetype i = start; i < rtf.size(); ++i) {
        if (rtf[i] == '\\') {
            ++i;
        } else if (rtf[i] == '{') {
            ++depth;
        } else if (rtf[i] == '}' && --depth == 0) {
            return rtf.sliced(start, i - start + 1);
        }
    }
    return {};
}

// A kept group as the text of a document of its own, in the written file's tables: what a reader shows for it.
std::unique_ptr<QTextDocument> keptGroupAsBody(const QByteArray& rtf, const QByteArray& word)
{
    const QByteArray group = groupAt(rtf, word);
    const qsizetype tablesEnd = rtf.indexOf("{\\stylesheet");
    if (group.isEmpty() || tablesEnd < 0)
        return nullptr;
    const QByteArray body = rtf.first(tablesEnd) + QByteArray("{") + group.sliced(2 + word.size()) + QByteArray("}");
    std::optional<RtfReadResult> read = readRtf(body);
    return read ? std::move(read->document) : nullptr;
}

} // namespace

class TestRtfKeep final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void keptGroupsKeepFontColourAndCharacters_data();
    void keptGroupsKeepFontColourAndCharacters();
};

void TestRtfKeep::keptGroupsKeepFontColourAndCharacters_data()
{
    QTest::addColumn<QByteArray>("group");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("family");
    QTest::addColumn<QColor>("colour");
    QTest::newRow("Latin-1 header in red") << QByteArray("header") << QStringLiteral("Café crème")
                                           << QStringLiteral("Times New Roman") << QColor(255, 0, 0);
    QTest::newRow("Cyrillic footer in blue") << QByteArray("footer") << QStringLiteral("Привет")
                                             << QStringLiteral("Arial") << QColor(0, 0, 255);
    QTest::newRow("Latin-1 footnote with a Symbol bullet")
        << QByteArray("footnote") << QStringLiteral("Naïve note • bullet") << QStringLiteral("Times New Roman")
        << QColor();
}

void TestRtfKeep::keptGroupsKeepFontColourAndCharacters()
{
    QFETCH(QByteArray, group);
    QFETCH(QString, text);
    QFETCH(QString, family);
    QFETCH(QColor, colour);
    const std::unique_ptr<QTextDocument> source = loadRtf(QStringLiteral("kept-groups.rtf"));
    QVERIFY2(source, "tests/data/rtf-keep/kept-groups.rtf missing or unreadable");
    // An edit first, as a user makes one before saving.
    QTextCursor(source.get()).insertText(QStringLiteral("追記"));
    const QByteArray written = writeRtf(*source);
    const std::unique_ptr<QTextDocument> kept = keptGroupAsBody(written, group);
    QVERIFY2(kept, written.constData());
    const QString shown = kept->toPlainText().trimmed();
    QVERIFY2(shown.contains(text), qPrintable(shown));
    QTextCursor at(kept.get());
    at.setPosition(int(kept->toPlainText().indexOf(text)) + 1);
    QCOMPARE(at.charFormat().fontFamilies().toStringList().value(0), family);
    if (colour.isValid())
        QCOMPARE(at.charFormat().foreground().color(), colour);
}

QTEST_GUILESS_MAIN(TestRtfKeep)
#include "tst_rtfkeep.moc"
