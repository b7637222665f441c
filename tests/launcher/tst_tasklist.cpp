// SPDX-License-Identifier: MIT
#include "fakedialogs.h"
#include "fakeprocessstarter.h"
#include "launcher/Tasklist.h"
#include "launcher/launchertexts.h"
#include "settings/hivesettingskey.h"
#include "settings/registrysequence.h"
#include "settings/settingstable.h"
#include "settings/settingstexts.h"
#include "tempsettings.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QSignalSpy>
#include <QTest>

namespace {

const QByteArray kHeader = "REGEDIT4\n\n[HKEY_CURRENT_USER\\software\\Ambrel\\Pemmo]\n";
const QPoint kCursor(400, 420);

QByteArray quoted(const QString& text)
{
    QString escaped = text;
    escaped.replace(u'\\', QLatin1String("\\\\")).replace(u'"', QLatin1String("\\\""));
    return '"' + escaped.toUtf8() + '"';
}

} // namespace

class TestTasklist : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void popupSitsAboveTheCursor_data();
    void popupSitsAboveTheCursor();
    void onlyTheThirdEntryShows();
    void rightPressCreatesAbsentFolderSlots();
    void readStopsSilentlyAtAValueOfAnotherType();
    void doubleClickStartsWithoutCascade();
    void doubleClickOnTheIconOpensNoPopup();
    void sdiStartsAfterTheCascadeStep();
    void cascadeFailureStillStarts_data();
    void cascadeFailureStillStarts();
    void recentFileThatCannotBeReadStartsNothing();
    void folderItemStartsWithoutProbe();
    void openAsksInTheStoredFolderAndRemembers();
    void staleItemStartsNothing();
    void closeKeepsTheEditorsEntries();
    void removalRequest_data();
    void removalRequest();
    void absentKeyAtCreationGetsLauncherDefaults();

private:
    void writeHive(const QByteArray& values) { m_settings->writeHive(kHeader + values); }
    qint32 storedInteger(const QString& name);
    QString storedString(const QString& name);
    QAction* action(QMenu* menu, const QString& name) { return menu->findChild<QAction*>(name); }
    QStringList visibleCaptions(QMenu* menu);

    std::optional<TempSettings> m_settings;
    std::optional<QTemporaryDir> m_files;
    FakeDialogs m_dialogs;
    FakeProcessStarter m_processes;
    std::unique_ptr<TForm1> m_form;
    QStringList m_remembered;
    void createForm()
    {
        m_form = std::make_unique<TForm1>(
            AppContext { m_dialogs, [] { return QRect(0, 0, 1024, 768); }, &m_processes, [] { return kCursor; } });
        m_form->setRememberFile([this](const QString& path) { m_remembered.append(path); });
    }
};

void TestTasklist::init()
{
    m_settings.emplace();
    m_files.emplace();
    m_dialogs = FakeDialogs();
    m_processes.started.clear();
    m_remembered.clear();
}

void TestTasklist::cleanup()
{
    m_form.reset();
    m_files.reset();
    m_settings.reset();
}

qint32 TestTasklist::storedInteger(const QString& name)
{
    qint32 value = -1;
    runRegistrySequence(OpenMode::OpenOnly, [&](SettingsKey& key) { value = key.readInteger(name); });
    return value;
}

QString TestTasklist::storedString(const QString& name)
{
    QString value = QStringLiteral("<absent>");
    runRegistrySequence(OpenMode::OpenOnly, [&](SettingsKey& key) {
        if (key.valueExists(name))
            value = key.readString(name);
    });
    return value;
}

QStringList TestTasklist::visibleCaptions(QMenu* menu)
{
    QStringList captions;
    for (QAction* item : menu->actions()) {
        if (item->isVisible())
            captions.append(item->text());
    }
    return captions;
}

void TestTasklist::popupSitsAboveTheCursor_data()
{
    QTest::addColumn<int>("entries");
    QTest::addColumn<int>("above");
    // 45 pixels plus 17 per recent item, or the popup's own height where that is more.
    QTest::newRow("no recent files") << 0 << 45;
    QTest::newRow("three recent files") << 3 << 96;
    QTest::newRow("five recent files") << 5 << 130;
}

void TestTasklist::popupSitsAboveTheCursor()
{
    QFETCH(int, entries);
    QFETCH(int, above);
    QByteArray values;
    for (int k = 1; k <= 5; ++k)
        values += quoted(Reg::mru(k)) + '=' + (k <= entries ? quoted(QStringLiteral("/doc/f%1.txt").arg(k)) : "\"\"") +
            '\n';
    writeHive(values);
    createForm();
    m_form->TrayNotify(QSystemTrayIcon::Trigger);
    QMenu* popup = m_form->PopupMenu1();
    QTRY_VERIFY(popup->isVisible());
    QCOMPARE(popup->pos(), QPoint(kCursor.x(), kCursor.y() - qMax(above, popup->sizeHint().height() + 1)));
    QCOMPARE(visibleCaptions(popup).size(), entries == 0 ? 3 : 4 + entries);
    popup->hide();
}

void TestTasklist::onlyTheThirdEntryShows()
{
    const QString path = m_files->filePath(QStringLiteral("R&D notes.txt"));
    QFile(path).open(QIODevice::WriteOnly);
    writeHive("\"MTop\"=dword:00000064\n\"MLeft\"=dword:000000c8\n\"MRU3\"=" + quoted(path) + "\n");
    createForm();
    m_form->TrayNotify(QSystemTrayIcon::Trigger);
    QCOMPARE(visibleCaptions(m_form->PopupMenu1()),
             (QStringList { QStringLiteral("開く"), QStringLiteral("Sdiアプリスタート"), QStringLiteral("Grep"),
                            QStringLiteral("-FileName-"),
                            QStringLiteral("&3 ") + m_files->path() + QStringLiteral("/R&&D notes.txt") }));
    m_form->PopupMenu1()->hide();
    action(m_form->PopupMenu1(), QStringLiteral("MRU3"))->trigger();
    QCOMPARE(m_processes.started, QStringList { path });
    QCOMPARE(m_form->MRUList().at(2), path);
}

void TestTasklist::rightPressCreatesAbsentFolderSlots()
{
    writeHive("\"MMM1\"=\"/doc/\"\n");
    createForm();
    QCOMPARE(storedString(Reg::mmm(2)), QString()); // created at creation's read already
    runRegistrySequence(OpenMode::OpenOnly,
                        [](SettingsKey& key) { key.writeString(Reg::mmm(4), QStringLiteral("/new/")); });
    m_form->TrayNotify(QSystemTrayIcon::Context);
    QCOMPARE(m_form->MMMList(), (QStringList { QStringLiteral("/doc/"), {}, {}, QStringLiteral("/new/"), {} }));
    QCOMPARE(visibleCaptions(m_form->PopupMenu2()),
             (QStringList { QStringLiteral("終了"), QStringLiteral("-Folder-"), QStringLiteral("&1 /doc/"),
                            QStringLiteral("&4 /new/") }));
    m_form->PopupMenu2()->hide();
}

void TestTasklist::readStopsSilentlyAtAValueOfAnotherType()
{
    writeHive("\"MRU1\"=\"/a\"\n\"MRU2\"=\"/b\"\n\"MRU3\"=\"/c\"\n\"MRU4\"=dword:00000004\n\"MRU5\"=\"/e\"\n");
    createForm();
    m_form->TrayNotify(QSystemTrayIcon::Trigger);
    QCOMPARE(m_form->MRUList(), (QStringList { QStringLiteral("/a"), QStringLiteral("/b"), QStringLiteral("/c") }));
    QCOMPARE(visibleCaptions(m_form->PopupMenu1()).size(), 7);
    QCOMPARE(m_form->PopupMenu1()->pos().y(), kCursor.y() - qMax(96, m_form->PopupMenu1()->sizeHint().height() + 1));
    QVERIFY(m_dialogs.messages.isEmpty());
    m_form->PopupMenu1()->hide();
}

void TestTasklist::doubleClickStartsWithoutCascade()
{
    writeHive("\"MTop\"=dword:00000064\n\"MLeft\"=dword:000000c8\n");
    createForm();
    m_form->TrayNotify(QSystemTrayIcon::DoubleClick);
    m_form->TrayNotify(QSystemTrayIcon::MiddleClick); // nothing
    QCOMPARE(m_processes.started, QStringList { QString() });
    QCOMPARE(storedInteger(Reg::MTop), 100);
    QCOMPARE(storedInteger(Reg::MLeft), 200);
}

void TestTasklist::doubleClickOnTheIconOpensNoPopup()
{
    writeHive("\"MRU1\"=\"/doc/a.txt\"\n");
    createForm();
    // The icon reports the first click of a double-click as a click of its own.
    m_form->trayActivated(QSystemTrayIcon::Trigger);
    m_form->trayActivated(QSystemTrayIcon::DoubleClick);
    QTest::qWait(QApplication::doubleClickInterval() + 100);
    QVERIFY(!m_form->PopupMenu1()->isVisible());
    QCOMPARE(m_processes.started, QStringList { QString() });

    // A single click still opens the popup, once no second click can follow.
    m_form->trayActivated(QSystemTrayIcon::Trigger);
    QVERIFY(!m_form->PopupMenu1()->isVisible());
    QTRY_VERIFY(m_form->PopupMenu1()->isVisible());
    m_form->PopupMenu1()->hide();
    QCOMPARE(m_processes.started.size(), 1);
}

void TestTasklist::sdiStartsAfterTheCascadeStep()
{
    writeHive("\"MTop\"=dword:00000064\n\"MLeft\"=dword:000000c8\n");
    createForm();
    action(m_form->PopupMenu1(), QStringLiteral("Sdi1"))->trigger();
    action(m_form->PopupMenu1(), QStringLiteral("Sdi1"))->trigger();
    QCOMPARE(m_processes.started, (QStringList { QString(), QString() }));
    QCOMPARE(storedInteger(Reg::MTop), 140);
    QCOMPARE(storedInteger(Reg::MLeft), 240);
}

void TestTasklist::cascadeFailureStillStarts_data()
{
    QTest::addColumn<QString>("item");
    QTest::addColumn<QString>("message");
    QTest::newRow("Sdi1") << QStringLiteral("Sdi1") << kLauncherRegistryReadFailed;
    QTest::newRow("MRU1") << QStringLiteral("MRU1") << kLauncherRegistryReadFailed;
    QTest::newRow("MMM1") << QStringLiteral("MMM1") << kRegistryWriteFailed;
}

void TestTasklist::cascadeFailureStillStarts()
{
    QFETCH(QString, item);
    QFETCH(QString, message);
    const QString file = m_files->filePath(QStringLiteral("a.txt"));
    QFile(file).open(QIODevice::WriteOnly);
    writeHive("\"MTop\"=\"100\"\n\"MRU1\"=" + quoted(file) + "\n\"MMM1\"=" + quoted(m_files->path() + u'/') + "\n");
    createForm();
    m_dialogs.files = { file };
    QMenu* menu = item.startsWith(QLatin1String("MMM")) ? m_form->PopupMenu2() : m_form->PopupMenu1();
    action(menu, item)->trigger();
    QCOMPARE(m_dialogs.messages, QStringList { message });
    QCOMPARE(m_processes.started, QStringList { item == QLatin1String("Sdi1") ? QString() : file });
}

void TestTasklist::recentFileThatCannotBeReadStartsNothing()
{
    const QString gone = m_files->filePath(QStringLiteral("deleted.txt"));
    writeHive("\"MTop\"=dword:00000064\n\"MLeft\"=dword:000000c8\n\"MRU1\"=" + quoted(gone) +
              "\n\"MRU2\"=" + quoted(m_files->path()) + "\n");
    createForm();
    action(m_form->PopupMenu1(), QStringLiteral("MRU1"))->trigger();
    action(m_form->PopupMenu1(), QStringLiteral("MRU2"))->trigger(); // a folder is no file to edit
    QCOMPARE(m_dialogs.messages, (QStringList { kAlreadyOpen, kAlreadyOpen }));
    QVERIFY(m_processes.started.isEmpty());
    QCOMPARE(storedInteger(Reg::MTop), 140); // the cascade step came first
}

void TestTasklist::folderItemStartsWithoutProbe()
{
    const QString folder = m_files->path() + u'/';
    writeHive("\"MTop\"=dword:00000064\n\"MLeft\"=dword:000000c8\n\"MMM1\"=" + quoted(folder) + "\n");
    createForm();
    const QString missing = folder + QStringLiteral("not yet  here.txt");
    m_dialogs.files = { std::nullopt, missing };
    action(m_form->PopupMenu2(), QStringLiteral("MMM1"))->trigger(); // cancelled: nothing
    QVERIFY(m_processes.started.isEmpty());
    QCOMPARE(storedInteger(Reg::MTop), 100);
    action(m_form->PopupMenu2(), QStringLiteral("MMM1"))->trigger();
    QCOMPARE(m_dialogs.openStates.last().initialFolder, folder);
    QCOMPARE(m_processes.started, QStringList { missing }); // two blanks and all
    QCOMPARE(storedInteger(Reg::MTop), 120);
    QVERIFY(m_remembered.isEmpty());
}

void TestTasklist::openAsksInTheStoredFolderAndRemembers()
{
    const QString file = m_files->filePath(QStringLiteral("my doc.txt"));
    QFile(file).open(QIODevice::WriteOnly);
    writeHive("\"MTop\"=dword:00000064\n\"MLeft\"=dword:000000c8\n\"MDirSave\"=\"/stored/"
              "\"\n\"MFindexNo1\"=dword:00000003\n");
    createForm();
    m_dialogs.files = { file };
    m_dialogs.pickFilter = 5;
    action(m_form->PopupMenu1(), QStringLiteral("Open1"))->trigger();
    const FileDialogState shown = m_dialogs.openStates.last();
    QCOMPARE(shown.initialFolder, QStringLiteral("/stored/"));
    QCOMPARE(shown.filterIndex, 3);
    QCOMPARE(shown.filters.size(), 5);
    QCOMPARE(shown.filters.at(2).patterns, QStringLiteral("*.rtf"));
    QCOMPARE(m_remembered, QStringList { file });
    QCOMPARE(m_processes.started, QStringList { file });
    QCOMPARE(storedInteger(Reg::MTop), 120);
    QCOMPARE(storedInteger(Reg::MFindexNo1), 3); // the filter picked is not stored

    // Without MFindexNo1 the dialog keeps what it had; a file that cannot be read starts nothing.
    writeHive("\"MTop\"=dword:00000064\n\"MLeft\"=dword:000000c8\n\"MDirSave\"=\"/other/\"\n");
    m_dialogs.files = { m_files->filePath(QStringLiteral("missing.txt")) };
    action(m_form->PopupMenu1(), QStringLiteral("Open1"))->trigger();
    QCOMPARE(m_dialogs.openStates.last().initialFolder, QStringLiteral("/stored/"));
    QCOMPARE(m_dialogs.openStates.last().filterIndex, 5);
    QCOMPARE(m_dialogs.messages, QStringList { kAlreadyOpen });
    QCOMPARE(m_processes.started.size(), 1);
}

void TestTasklist::staleItemStartsNothing()
{
    writeHive("\"MTop\"=dword:00000064\n\"MLeft\"=dword:000000c8\n\"MRU1\"=\"/a\"\n\"MRU2\"=\"/b\"\n");
    createForm();
    m_form->TrayNotify(QSystemTrayIcon::Trigger);
    m_form->PopupMenu1()->hide();
    // MRU1 becomes unreadable: the next read stops before any entry, but item 2 stays shown.
    writeHive("\"MTop\"=dword:00000064\n\"MLeft\"=dword:000000c8\n\"MRU1\"=dword:00000001\n\"MRU2\"=\"/b\"\n");
    m_form->TrayNotify(QSystemTrayIcon::Trigger);
    m_form->PopupMenu1()->hide();
    QVERIFY(action(m_form->PopupMenu1(), QStringLiteral("MRU2"))->isVisible());
    action(m_form->PopupMenu1(), QStringLiteral("MRU2"))->trigger();
    QVERIFY(m_processes.started.isEmpty());
    QVERIFY(m_dialogs.messages.isEmpty());
    QCOMPARE(storedInteger(Reg::MTop), 100);
}

void TestTasklist::closeKeepsTheEditorsEntries()
{
    writeHive("\"MRU1\"=\"/a\"\n\"MRU2\"=\"\"\n\"MMM1\"=\"/f/\"\n");
    createForm();
    // Meanwhile an editor stores other lists; the launcher added nothing, so it overwrites none of them.
    runRegistrySequence(OpenMode::OpenOnly, [](SettingsKey& key) {
        key.writeString(Reg::mru(1), QStringLiteral("/newer"));
        key.writeString(Reg::mru(2), QStringLiteral("/kept"));
        key.writeString(Reg::mmm(1), QStringLiteral("/g/"));
    });
    m_form->close();
    QCOMPARE(storedString(Reg::mru(1)), QStringLiteral("/newer"));
    QCOMPARE(storedString(Reg::mru(2)), QStringLiteral("/kept"));
    QCOMPARE(storedString(Reg::mmm(1)), QStringLiteral("/g/"));

    // A list that could not be read at all writes nothing, the folders included.
    m_form.reset();
    writeHive("\"MRU1\"=dword:00000001\n\"MMM1\"=\"/f/\"\n");
    createForm();
    QVERIFY(m_form->MRUList().isEmpty());
    runRegistrySequence(OpenMode::OpenOnly,
                        [](SettingsKey& key) { key.writeString(Reg::mmm(1), QStringLiteral("/h/")); });
    m_form->close();
    QCOMPARE(storedString(Reg::mmm(1)), QStringLiteral("/h/"));
    QVERIFY(m_dialogs.messages.isEmpty());
}

void TestTasklist::removalRequest_data()
{
    QTest::addColumn<QByteArray>("flag");
    QTest::addColumn<bool>("removed");
    QTest::newRow("d removes") << QByteArray("d") << true;
    QTest::newRow("D does not") << QByteArray("D") << false;
    QTest::newRow("d with a blank does not") << QByteArray("d ") << false;
}

void TestTasklist::removalRequest()
{
    QFETCH(QByteArray, flag);
    QFETCH(bool, removed);
    QVERIFY(runRegistrySequence(OpenMode::OpenCreating, writeFirstRunDefaults).completed());
    runRegistrySequence(OpenMode::OpenOnly, [&](SettingsKey& key) {
        key.writeString(Reg::MDLFLG, QString::fromUtf8(flag));
        key.writeString(Reg::mru(1), QStringLiteral("/x"));
    });
    createForm();
    QSignalSpy closed(m_form.get(), &TForm1::closed);
    action(m_form->PopupMenu2(), QStringLiteral("Exit1"))->trigger();
    QCOMPARE(closed.size(), 1);
    QVERIFY(!m_form->trayIcon()->isVisible());
    QCOMPARE(!runRegistrySequence(OpenMode::OpenOnly, [](SettingsKey&) {}).opened, removed);
    if (!removed) {
        QCOMPARE(storedString(Reg::MDLFLG), QString::fromUtf8(flag));
        QCOMPARE(storedString(Reg::mru(1)), QStringLiteral("/x"));
    }
    QVERIFY(m_dialogs.messages.isEmpty());
}

void TestTasklist::absentKeyAtCreationGetsLauncherDefaults()
{
    createForm();
    const RegistryHive hive = RegistryHive::parse(m_settings->hiveBytes());
    const QStringList names = hive.valueNames(HiveSettingsKey::keyPath());
    // The launcher defaults, and the note that the first start's balloon has been shown.
    QCOMPARE(names.size(), 20);
    QVERIFY(names.contains(Reg::MTrayBalloon));
    QVERIFY(!names.contains(Reg::MFontSize));
    QVERIFY(!names.contains(Reg::MOption));
    QCOMPARE(storedInteger(Reg::MFontCol), kWindowTextColour);
    QCOMPARE(storedString(Reg::MFontName), kDefaultFontName);
    QVERIFY(m_form->MRUList().isEmpty());
}

QTEST_MAIN(TestTasklist)
#include "tst_tasklist.moc"
