// SPDX-License-Identifier: MIT
// The order and the rules of the editor's settings writes, on a key that records every write.
#include "settings/settingskey.h"
#include "settings/settingstable.h"
#include "window/editorsettings.h"

#include <QFont>
#include <QTest>

namespace {
class RecordingKey final : public SettingsKey
{
public:
    QString readString(const QString&) override { return {}; }
    qint32 readInteger(const QString& name) override { throw RegistryError(name); }
    bool readBool(const QString& name) override { throw RegistryError(name); }
    void writeString(const QString& name, const QString& value) override { record(name, value); }
    void writeInteger(const QString& name, qint32 value) override { record(name, QString::number(value)); }
    void writeBool(const QString& name, bool value) override
    {
        record(name, value ? QStringLiteral("true") : QStringLiteral("false"));
    }
    bool valueExists(const QString&) override { return false; }
    void deleteKeyTree() override { }

    QStringList names;
    QStringList values;
    QString failAt; // the write of this value raises

private:
    void record(const QString& name, const QString& value)
    {
        if (name == failAt)
            throw RegistryError(name);
        names.append(name);
        values.append(value);
    }
};

const QStringList kFiles = { "/a/1.txt", "", "/a/3.txt", "", "/b/5.txt" };
const QStringList kFolders = { "/a/", "/b/", "", "", "" };
} // namespace

class TestEditorSettings final : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void closeOrder();
    void editorSettingsOrder();
    void emptyEntriesAreNotWritten_data();
    void emptyEntriesAreNotWritten();
    void failedWriteStopsTheRest();
    void fontPointsFromPixels_data();
    void fontPointsFromPixels();
};

void TestEditorSettings::closeOrder()
{
    WindowCloseState state;
    state.top = 1;
    state.left = 2;
    state.height = 3;
    state.width = 4;
    state.filterIndex = 5;
    state.executableName = "pemmo";
    state.executableFolder = "/usr/bin/";
    state.recentFiles = kFiles;
    state.recentFolders = kFolders;
    RecordingKey key;
    writeCloseState(key, state);
    QCOMPARE(key.names,
             (QStringList { "MTop", "MLeft", "MHeight", "MWidth", "MFindexNo1", "Mappname", "Mapppath", "MCoolBarVewF",
                            "MOption", "MVG", "MRU1", "MRU2", "MRU3", "MMM1", "MMM2", "MIno" }));
    QCOMPARE(key.values.mid(0, 7), (QStringList { "1", "2", "3", "4", "5", "pemmo", "/usr/bin/" }));
    QCOMPARE(key.values.last(), QStringLiteral("0"));
}

void TestEditorSettings::editorSettingsOrder()
{
    EditorSettings settings;
    settings.dialogFolder = "/d/";
    settings.font = StoredFont { StoredColour(0x123456), 12, "IPAGothic", true, false, true, false };
    settings.lineNumbers = true;
    settings.filterIndex = 3;
    settings.recentFiles = kFiles;
    settings.recentFolders = kFolders;
    RecordingKey key;
    writeEditorSettings(key, settings);
    QCOMPARE(
        key.names,
        (QStringList { "MDirSave", "MFontCol", "MFontSize", "MFontName", "MFontStyleB", "MFontStyleI", "MFontStyleU",
                       "MFontStyleS", "MVG", "MFindexNo1", "MRU1", "MRU2", "MRU3", "MMM1", "MMM2" }));
    QCOMPARE(key.values.mid(0, 10),
             (QStringList { "/d/", QString::number(0x123456), "12", "IPAGothic", "true", "false", "true", "false",
                            "true", "3" }));
}

void TestEditorSettings::emptyEntriesAreNotWritten_data()
{
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<QStringList>("written");

    // Entries this process added are stored from the top, without gaps; relative paths never.
    QTest::newRow("all empty") << QStringList(5) << QStringList();
    QTest::newRow("entry 1 empty") << QStringList { "/x", "", "/z" } << QStringList { "MRU1", "MRU2" };
    QTest::newRow("short list") << QStringList { "/x" } << QStringList { "MRU1" };
    QTest::newRow("relative entry") << QStringList { "x", "/y" } << QStringList { "MRU1" };
    QTest::newRow("more than five") << QStringList { "/1", "/2", "/3", "/4", "/5", "/6" }
                                    << QStringList { "MRU1", "MRU2", "MRU3", "MRU4", "MRU5" };
}

void TestEditorSettings::emptyEntriesAreNotWritten()
{
    QFETCH(QStringList, files);
    QFETCH(QStringList, written);
    RecordingKey key;
    writeRecentLists(key, files, {});
    QCOMPARE(key.names, written);
}

void TestEditorSettings::failedWriteStopsTheRest()
{
    WindowCloseState state;
    RecordingKey key;
    key.failAt = Reg::MFindexNo1;
    QVERIFY_THROWS_EXCEPTION(RegistryError, writeCloseState(key, state));
    QCOMPARE(key.names, (QStringList { "MTop", "MLeft", "MHeight", "MWidth" }));
}

void TestEditorSettings::fontPointsFromPixels_data()
{
    QTest::addColumn<int>("pixels");
    QTest::addColumn<qreal>("dpi");
    QTest::addColumn<int>("points");

    QTest::newRow("15 px at 96 dpi") << 15 << 96.0 << 11;
    QTest::newRow("18 px at 96 dpi") << 18 << 96.0 << 14;
    QTest::newRow("16 px at 120 dpi") << 16 << 120.0 << 10;
}

void TestEditorSettings::fontPointsFromPixels()
{
    QFETCH(int, pixels);
    QFETCH(qreal, dpi);
    QFETCH(int, points);
    QFont font;
    font.setPixelSize(pixels);
    QCOMPARE(fontPoints(font, dpi), points);
    font.setPointSize(9);
    QCOMPARE(fontPoints(font, dpi), 9);
}

QTEST_MAIN(TestEditorSettings)
#include "tst_editorsettings.moc"
