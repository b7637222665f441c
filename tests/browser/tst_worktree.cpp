// SPDX-License-Identifier: MIT
#include "browser/browsertexts.h"
#include "browser/drivelist.h"
#include "browser/worktree.h"
#include "fakedialogs.h"
#include "settings/settingstexts.h"
#include "tempsettings.h"
#include "treewidgets.h"
#include "worktreefixture.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <memory>

/** The work-folder tree on a real folder, with the real QTreeWidget and a recording host. */
class TestWorkTree final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void filterOneTree();
    void nodesFollowFileSystemOrder();
    void folderNamedLikeFile_data();
    void folderNamedLikeFile();
    void switchShowsAndHides();
    void sameFolderKeepsNodes();
    void otherFolderRefills();
    void treeAfterFileNew_data();
    void treeAfterFileNew();
    void emptyNameUsesCommandLineFile();
    void popupRefills_data();
    void popupRefills();
    void rtfPopupThenFileOpen_data();
    void rtfPopupThenFileOpen();
    void indexOutsideTableKeepsLastFilter();
    void doubleClickOpens_data();
    void doubleClickOpens();
    void mouseDoubleClickOpensFile();
    void doubleClickWithoutSelectionDoesNothing();
    void doubleClickOnOtherNodesLoadsNothing_data();
    void doubleClickOnOtherNodesLoadsNothing();
    void doubleClickOnRemovedFileStopsAtLoad();
    void doubleClickKeepsOtherEditorsSlots();
    void symlinkLoopTerminates();

private:
    void createTree();
    void show(const QString& fileName);
    void waitForFill();
    QTreeWidgetItem* node(const QStringList& names) const;
    QTreeWidgetItem* expand(const QStringList& names);
    QStringList workEntries() const;
    QString stored(const QString& name) const;
    QString work(const QString& relative = {}) const { return m_work->path() + QLatin1Char('/') + relative; }

    std::unique_ptr<TempSettings> m_settings;
    std::unique_ptr<QTemporaryDir> m_work;
    std::unique_ptr<FakeDialogs> m_dialogs;
    std::unique_ptr<TestHost> m_host;
    std::unique_ptr<TreeWidgets> m_widgets;
    std::unique_ptr<WorkTree> m_tree;
    QString m_driveText;
};

void TestWorkTree::init()
{
    m_settings = std::make_unique<TempSettings>();
    m_work = std::make_unique<QTemporaryDir>();
    QVERIFY(m_work->isValid());
    m_dialogs = std::make_unique<FakeDialogs>();
    m_host = std::make_unique<TestHost>(*m_dialogs);
    createTree();
}

void TestWorkTree::cleanup()
{
    m_tree.reset();
    m_widgets.reset();
    m_host.reset();
    m_dialogs.reset();
    m_work.reset();
    m_settings.reset();
}

void TestWorkTree::createTree()
{
    m_widgets = std::make_unique<TreeWidgets>();
    m_tree = std::make_unique<WorkTree>(m_widgets->controls(), *m_host, *m_dialogs);
    // The machine's own mounts vary; the tree is given a fixed set that holds the work folder's.
    const QString workRoot = volumeRootOf(m_work->path());
    m_tree->setVolumeSource([workRoot] {
        return QList<MountedVolume> { { "/media/taro/STICK", "vfat", "/dev/sdb1", true },
                                      { workRoot, "ext4", "/dev/sda2", true },
                                      { "/proc", "proc", "proc", true } };
    });
    m_driveText = QStringLiteral("/media/taro/STICK[:\\DRIVE_REMOVABLE]");
    m_widgets->window->show();
}

void TestWorkTree::show(const QString& fileName)
{
    m_host->fileName = fileName;
    m_tree->CoolTreeClick();
    waitForFill();
}

void TestWorkTree::waitForFill()
{
    QTRY_VERIFY_WITH_TIMEOUT(!m_tree->isFilling(), 30000);
}

QTreeWidgetItem* TestWorkTree::node(const QStringList& names) const
{
    QTreeWidgetItem* found = nullptr;
    for (const QString& name : names) {
        const int count = found ? found->childCount() : m_widgets->Tree->topLevelItemCount();
        QTreeWidgetItem* next = nullptr;
        for (int i = 0; i < count && !next; ++i) {
            QTreeWidgetItem* item = found ? found->child(i) : m_widgets->Tree->topLevelItem(i);
            if (item->text(0) == name)
                next = item;
        }
        if (!next)
            return nullptr;
        found = next;
    }
    return found;
}

QTreeWidgetItem* TestWorkTree::expand(const QStringList& names)
{
    QTreeWidgetItem* item = node(names);
    if (item) {
        m_widgets->Tree->expandItem(item);
        waitForFill();
    }
    return item;
}

// The work folder's entries as the file system returns them, unsorted.
QStringList TestWorkTree::workEntries() const
{
    return QDir(m_work->path(), {}, QDir::Unsorted,
                QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot)
        .entryList();
}

QString TestWorkTree::stored(const QString& name) const
{
    QString value;
    runRegistrySequence(OpenMode::OpenOnly, [&](SettingsKey& key) { value = key.readString(name); });
    return value;
}

void TestWorkTree::filterOneTree()
{
    makeEntries(m_work->path(), { "a.txt", "b.TXT", "c.rtf", "sub/d.txt" });
    show(work("a.txt"));

    QCOMPARE(m_widgets->Label2->text(), work());
    QStringList expected = workEntries();
    expected.removeIf([](const QString& name) { return name != u"a.txt" && name != u"sub"; });
    QCOMPARE(expected.size(), 2);
    QCOMPARE(nodeTexts(m_widgets->Tree), expected + QStringList({ kDriveListHeading, m_driveText }));
    QVERIFY(expand({ "sub" }));
    QCOMPARE(nodeTexts(m_widgets->Tree, node({ "sub" })), QStringList { "d.txt" });
}

void TestWorkTree::nodesFollowFileSystemOrder()
{
    QStringList names;
    for (int i = 0; i < 40; ++i)
        names.append(QStringLiteral("f%1.txt").arg((i * 17) % 40));
    names.append("inner/");
    makeEntries(m_work->path(), names);
    QStringList inner;
    for (int i = 0; i < 30; ++i)
        inner.append(QStringLiteral("inner/g%1.txt").arg((i * 7) % 30));
    makeEntries(m_work->path(), inner);
    show(work("x.txt"));

    const QStringList top = nodeTexts(m_widgets->Tree);
    QCOMPARE(top.mid(0, top.size() - 2), workEntries());
    expand({ "inner" });
    QCOMPARE(nodeTexts(m_widgets->Tree, node({ "inner" })),
             QDir(work("inner"), {}, QDir::Unsorted, QDir::Files).entryList());
}

void TestWorkTree::folderNamedLikeFile_data()
{
    QTest::addColumn<int>("filterIndex");
    QTest::addColumn<QStringList>("inside");
    QTest::newRow("txt") << 1 << QStringList { "inner.txt" };
    QTest::newRow("rtf") << 3 << QStringList { "inner.rtf" };
    QTest::newRow("all") << 5 << QStringList { "inner.rtf", "inner.txt" };
}

void TestWorkTree::folderNamedLikeFile()
{
    QFETCH(int, filterIndex);
    QFETCH(QStringList, inside);
    makeEntries(m_work->path(), { "notes.txt/inner.txt", "notes.txt/inner.rtf" });
    m_host->openDialog.filterIndex = filterIndex;
    show(work("a.txt"));

    QCOMPARE(nodeTexts(m_widgets->Tree).count("notes.txt"), 1);
    QTreeWidgetItem* folder = expand({ "notes.txt" });
    QVERIFY(folder);
    QStringList children = nodeTexts(m_widgets->Tree, folder);
    children.sort();
    QCOMPARE(children, inside);
}

void TestWorkTree::switchShowsAndHides()
{
    makeEntries(m_work->path(), { "a.txt" });
    show(work("a.txt"));
    QVERIFY(!m_widgets->CoolBar2->isHidden());
    QVERIFY(m_widgets->CoolTree->isChecked());
    QVERIFY(m_widgets->ToolButton9->isChecked());

    // The tool button flips its own mark before the handler runs; the panel's state decides.
    m_widgets->ToolButton9->trigger();
    QVERIFY(m_widgets->CoolBar2->isHidden());
    QVERIFY(!m_widgets->CoolTree->isChecked());
    QVERIFY(!m_widgets->ToolButton9->isChecked());
    QCOMPARE(nodeTexts(m_widgets->Tree).value(0), QStringLiteral("a.txt"));

    m_widgets->CoolTree->trigger();
    QVERIFY(!m_widgets->CoolBar2->isHidden());
    QVERIFY(m_widgets->CoolTree->isChecked());
    QVERIFY(m_widgets->ToolButton9->isChecked());
}

void TestWorkTree::sameFolderKeepsNodes()
{
    makeEntries(m_work->path(), { "a.txt", "sub/d.txt" });
    show(work("a.txt"));
    QTreeWidgetItem* first = m_widgets->Tree->topLevelItem(0);
    makeEntries(m_work->path(), { "later.txt" });

    m_tree->refresh(work("other.txt"));
    m_tree->CoolTreeClick();
    m_tree->CoolTreeClick();
    QCOMPARE(m_widgets->Tree->topLevelItem(0), first);
    QVERIFY(!nodeTexts(m_widgets->Tree).contains("later.txt"));
}

void TestWorkTree::otherFolderRefills()
{
    makeEntries(m_work->path(), { "a.txt", "sub/d.txt", "sub/e.rtf" });
    show(work("a.txt"));
    m_tree->refresh(work("sub/e.rtf"));
    waitForFill();
    QCOMPARE(m_widgets->Label2->text(), work("sub/"));
    QCOMPARE(nodeTexts(m_widgets->Tree), (QStringList { "d.txt", kDriveListHeading, m_driveText }));
}

void TestWorkTree::treeAfterFileNew_data()
{
    QTest::addColumn<bool>("filledBefore");
    QTest::newRow("filled before") << true;
    QTest::newRow("never filled") << false;
}

void TestWorkTree::treeAfterFileNew()
{
    QFETCH(bool, filledBefore);
    makeEntries(m_work->path(), { "a.txt" });
    if (filledBefore) {
        show(work("a.txt"));
        m_tree->CoolTreeClick();
    }
    show(QStringLiteral(" "));
    QVERIFY(m_tree->isShown());
    QCOMPARE(m_widgets->Tree->topLevelItemCount(), 0);
    QCOMPARE(m_widgets->Label2->text(), QString());
}

void TestWorkTree::emptyNameUsesCommandLineFile()
{
    makeEntries(m_work->path(), { "cmd.txt" });
    m_host->commandLine = work("cmd.txt");
    show(QString());
    QCOMPARE(m_widgets->Label2->text(), work());
    QCOMPARE(nodeTexts(m_widgets->Tree).value(0), QStringLiteral("cmd.txt"));
}

void TestWorkTree::popupRefills_data()
{
    QTest::addColumn<QString>("popup");
    QTest::addColumn<int>("filterIndex");
    QTest::addColumn<QStringList>("files");
    QTest::newRow("txt") << "Pop_txt" << 1 << QStringList { "a.txt" };
    QTest::newRow("html") << "Pop_html" << 2 << QStringList { "page.htm", "page.html" };
    QTest::newRow("rtf") << "Pop_rtf" << 3 << QStringList { "c.rtf" };
    QTest::newRow("all") << "Pop_all" << 4
                         << QStringList { "Makefile", "a.txt", "b.TXT", "c.rtf", "page.HTM", "page.htm", "page.html" };
}

void TestWorkTree::popupRefills()
{
    QFETCH(QString, popup);
    QFETCH(int, filterIndex);
    QFETCH(QStringList, files);
    makeEntries(m_work->path(), { "a.txt", "b.TXT", "c.rtf", "page.html", "page.htm", "page.HTM", "Makefile", "sub/" });
    m_host->openDialog.filterIndex = filterIndex == 1 ? 3 : 1; // a different filter before
    show(work("a.txt"));
    QTreeWidgetItem* before = m_widgets->Tree->topLevelItem(0);

    m_widgets->popup(popup)->trigger();
    waitForFill();
    QCOMPARE(m_host->openDialog.filterIndex, filterIndex);
    QVERIFY(m_widgets->Tree->topLevelItem(0) != before);
    QStringList shown = nodeTexts(m_widgets->Tree);
    QCOMPARE(shown.takeLast(), m_driveText);
    QCOMPARE(shown.takeLast(), kDriveListHeading);
    QVERIFY(shown.removeOne("sub"));
    shown.sort();
    QCOMPARE(shown, files);
}

void TestWorkTree::rtfPopupThenFileOpen_data()
{
    QTest::addColumn<bool>("settingsWriteBetween");
    QTest::addColumn<int>("preselected");
    QTest::newRow("FileOpen right after") << false << 1;
    QTest::newRow("editor-settings write between") << true << 3;
}

void TestWorkTree::rtfPopupThenFileOpen()
{
    QFETCH(bool, settingsWriteBetween);
    QFETCH(int, preselected);
    m_settings->writeHive("REGEDIT4\n\n[HKEY_CURRENT_USER\\software\\Ambrel\\Pemmo]\n\"MFindexNo1\"=dword:00000001\n");
    makeEntries(m_work->path(), { "a.txt", "c.rtf" });
    show(work("a.txt"));
    QCOMPARE(nodeTexts(m_widgets->Tree).value(0), QStringLiteral("a.txt"));

    m_widgets->popup("Pop_rtf")->trigger();
    QCOMPARE(nodeTexts(m_widgets->Tree).value(0), QStringLiteral("c.rtf"));
    if (settingsWriteBetween)
        m_host->writeEditorSettings();
    m_host->FileOpen();
    QCOMPARE(m_dialogs->openStates.size(), 1);
    QCOMPARE(m_dialogs->openStates.constFirst().filterIndex, preselected);
}

void TestWorkTree::indexOutsideTableKeepsLastFilter()
{
    makeEntries(m_work->path(), { "a.txt", "c.rtf", "README", "sub/d.rtf", "sub/e.txt", "sub/NOTES" });
    // No filter was chosen yet in this process: only names without an extension.
    m_host->openDialog.filterIndex = 0;
    show(work("a.txt"));
    QStringList first = nodeTexts(m_widgets->Tree).mid(0, 2);
    first.sort();
    QCOMPARE(first, (QStringList { "README", "sub" }));

    m_host->openDialog.filterIndex = 3;
    m_tree->refresh(work("sub/x"));
    QCOMPARE(nodeTexts(m_widgets->Tree).value(0), QStringLiteral("d.rtf"));
    m_host->openDialog.filterIndex = 7;
    m_tree->refresh(work("x"));
    QStringList shown = nodeTexts(m_widgets->Tree);
    shown.removeOne("sub");
    QCOMPARE(shown.value(0), QStringLiteral("c.rtf"));
}

void TestWorkTree::doubleClickOpens_data()
{
    QTest::addColumn<QStringList>("nodes");
    QTest::addColumn<QString>("relative");
    QTest::newRow("top level") << QStringList { "a.txt" } << "a.txt";
    QTest::newRow("under sub") << QStringList { "sub", "d.txt" } << "sub/d.txt";
    QTest::newRow("three deep, blank in name")
        << QStringList { "sub", "b b", "notes.txt", "e.txt" } << "sub/b b/notes.txt/e.txt";
}

void TestWorkTree::doubleClickOpens()
{
    QFETCH(QStringList, nodes);
    QFETCH(QString, relative);
    makeEntries(m_work->path(), { "a.txt", "sub/d.txt", "sub/b b/notes.txt/e.txt" });
    show(work("a.txt"));
    for (int depth = 1; depth < nodes.size(); ++depth)
        QVERIFY(expand(nodes.mid(0, depth)));
    QTreeWidgetItem* item = node(nodes);
    QVERIFY(item);
    m_widgets->Tree->setCurrentItem(item);

    m_tree->TreeDblClick();
    const QString path = work(relative);
    QCOMPARE(m_host->loaded, QStringList { path });
    QCOMPARE(m_host->calls, (QStringList { "prompt", "load", "title", "message", "focus", "settings", "remember" }));
    QCOMPARE(m_host->fileName, path);
    QCOMPARE(m_host->message, path + QStringLiteral("を開きました"));
    QCOMPARE(stored("MRU1"), path);
    QCOMPARE(stored("MMM1"), path.left(path.lastIndexOf(u'/') + 1));
    QVERIFY(m_dialogs->messages.isEmpty());
}

void TestWorkTree::mouseDoubleClickOpensFile()
{
    makeEntries(m_work->path(), { "a.txt" });
    show(work("a.txt"));
    QTreeWidgetItem* item = node({ "a.txt" });
    const QPoint centre = m_widgets->Tree->visualItemRect(item).center();
    QTest::mouseClick(m_widgets->Tree->viewport(), Qt::LeftButton, {}, centre);
    QTest::mouseDClick(m_widgets->Tree->viewport(), Qt::LeftButton, {}, centre);
    QCOMPARE(m_host->loaded, QStringList { work("a.txt") });
}

void TestWorkTree::doubleClickWithoutSelectionDoesNothing()
{
    makeEntries(m_work->path(), { "a.txt" });
    show(work("a.txt"));
    m_widgets->Tree->clearSelection();
    m_tree->TreeDblClick();
    QVERIFY(m_host->calls.isEmpty());
    QVERIFY(m_dialogs->messages.isEmpty());
}

void TestWorkTree::doubleClickOnOtherNodesLoadsNothing_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("folder") << "sub";
    QTest::newRow("heading") << kDriveListHeading;
    QTest::newRow("drive") << "/media/taro/STICK[:\\DRIVE_REMOVABLE]";
}

void TestWorkTree::doubleClickOnOtherNodesLoadsNothing()
{
    QFETCH(QString, text);
    makeEntries(m_work->path(), { "a.txt", "sub/" });
    show(work("a.txt"));
    QTreeWidgetItem* item = node({ text });
    QVERIFY(item);
    m_widgets->Tree->setCurrentItem(item);
    m_tree->TreeDblClick();
    QVERIFY(m_host->calls.isEmpty());
    QVERIFY(m_dialogs->messages.isEmpty());
}

void TestWorkTree::doubleClickOnRemovedFileStopsAtLoad()
{
    makeEntries(m_work->path(), { "a.txt" });
    show(work("b.txt"));
    QVERIFY(QFile::remove(work("a.txt")));
    m_widgets->Tree->setCurrentItem(node({ "a.txt" }));
    m_tree->TreeDblClick();
    QCOMPARE(m_host->calls, (QStringList { "prompt", "load" }));
    QCOMPARE(m_dialogs->messages.size(), 1);
    QCOMPARE(m_host->fileName, work("b.txt"));
    QCOMPARE(stored("MRU1"), QString());
}

void TestWorkTree::doubleClickKeepsOtherEditorsSlots()
{
    m_settings->writeHive(
        "REGEDIT4\n\n[HKEY_CURRENT_USER\\software\\Ambrel\\Pemmo]\n\"MRU2\"=\"/kept/by/other.txt\"\n");
    makeEntries(m_work->path(), { "a.txt" });
    show(work("a.txt"));
    m_widgets->Tree->setCurrentItem(node({ "a.txt" }));
    m_tree->TreeDblClick();
    QCOMPARE(stored("MRU1"), work("a.txt"));
    QCOMPARE(stored("MRU2"), QStringLiteral("/kept/by/other.txt"));
}

void TestWorkTree::symlinkLoopTerminates()
{
    makeEntries(m_work->path(), { "a/b/c.txt", "z.txt" });
    QVERIFY(QFile::link(m_work->path(), work("a/back"))); // to the work folder
    QVERIFY(QFile::link(QStringLiteral("."), work("a/b/self"))); // to itself
    QVERIFY(QFile::link(QStringLiteral("../../a"), work("a/b/up"))); // to its parent
    m_host->openDialog.filterIndex = 5;
    show(work("z.txt"));

    // Expand every folder node there is, as a user with endless patience would.
    int expansions = 0;
    QList<QTreeWidgetItem*> pending;
    for (int i = 0; i < m_widgets->Tree->topLevelItemCount(); ++i)
        pending.append(m_widgets->Tree->topLevelItem(i));
    while (!pending.isEmpty() && expansions < 1000) {
        QTreeWidgetItem* item = pending.takeFirst();
        if (item->childIndicatorPolicy() != QTreeWidgetItem::ShowIndicator)
            continue;
        m_widgets->Tree->expandItem(item);
        waitForFill();
        ++expansions;
        for (int i = 0; i < item->childCount(); ++i)
            pending.append(item->child(i));
    }
    QVERIFY2(expansions < 1000, "the tree kept growing");
    QCOMPARE(node({ "a", "back" })->childCount(), 0);
    QCOMPARE(node({ "a", "b", "self" })->childCount(), 0);
    QCOMPARE(node({ "a", "b", "up" })->childCount(), 0);
    QCOMPARE(nodeTexts(m_widgets->Tree, node({ "a", "b" })).contains("c.txt"), true);
}

QTEST_MAIN(TestWorkTree)
#include "tst_worktree.moc"
