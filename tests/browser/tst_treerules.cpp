// SPDX-License-Identifier: MIT
#include "browser/treerules.h"

#include <QTest>

Q_DECLARE_METATYPE(TreeFilter)

class TestTreeRules final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void filterByIndex_data();
    void filterByIndex();
    void extension_data();
    void extension();
    void filterListsFile_data();
    void filterListsFile();
    void folderPartOfPath_data();
    void folderPartOfPath();
    void childNodesKeepFileSystemOrder();
    void folderWithExtensionIsListedOnceAsFolder_data();
    void folderWithExtensionIsListedOnceAsFolder();
    void pathOfNode_data();
    void pathOfNode();
    void ancestorRevisit_data();
    void ancestorRevisit();
    void refreshSkipRule();
    void refreshUsesCommandLineFileForEmptyName();
    void refreshAfterFileNewEmptiesOnce();
    void forcedRefillRefillsSameFolder();
};

void TestTreeRules::filterByIndex_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<bool>("chooses");
    QTest::addColumn<TreeFilter>("filter");
    QTest::newRow("1 text") << 1 << true << TreeFilter::Text;
    QTest::newRow("2 html") << 2 << true << TreeFilter::Html;
    QTest::newRow("3 rtf") << 3 << true << TreeFilter::RichText;
    QTest::newRow("4 popup all") << 4 << true << TreeFilter::Every;
    QTest::newRow("5 dialog all files") << 5 << true << TreeFilter::Every;
    QTest::newRow("0 keeps last") << 0 << false << TreeFilter::NoExtension;
    QTest::newRow("6 keeps last") << 6 << false << TreeFilter::NoExtension;
    QTest::newRow("-1 keeps last") << -1 << false << TreeFilter::NoExtension;
}

void TestTreeRules::filterByIndex()
{
    QFETCH(int, index);
    QFETCH(bool, chooses);
    QFETCH(TreeFilter, filter);
    const std::optional<TreeFilter> chosen = filterForIndex(index);
    QCOMPARE(chosen.has_value(), chooses);
    if (chooses)
        QCOMPARE(*chosen, filter);
}

void TestTreeRules::extension_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("extension");
    QTest::newRow("plain") << "a.txt"
                           << ".txt";
    QTest::newRow("two dots") << "archive.tar.gz"
                              << ".gz";
    QTest::newRow("none") << "README"
                          << "";
    QTest::newRow("trailing dot") << "odd."
                                  << ".";
    QTest::newRow("dot file") << ".txt"
                              << ".txt";
    QTest::newRow("upper case kept") << "b.TXT"
                                     << ".TXT";
}

void TestTreeRules::extension()
{
    QFETCH(QString, name);
    QFETCH(QString, extension);
    QCOMPARE(extensionOf(name), extension);
}

void TestTreeRules::filterListsFile_data()
{
    QTest::addColumn<TreeFilter>("filter");
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("listed");
    QTest::newRow("txt lists a.txt") << TreeFilter::Text << "a.txt" << true;
    QTest::newRow("txt skips b.TXT") << TreeFilter::Text << "b.TXT" << false;
    QTest::newRow("txt skips NOTE.Txt") << TreeFilter::Text << "NOTE.Txt" << false;
    QTest::newRow("txt skips c.rtf") << TreeFilter::Text << "c.rtf" << false;
    QTest::newRow("txt skips a.txt.bak") << TreeFilter::Text << "a.txt.bak" << false;
    QTest::newRow("txt skips atxt") << TreeFilter::Text << "atxt" << false;
    QTest::newRow("html lists .html") << TreeFilter::Html << "page.html" << true;
    QTest::newRow("html lists .htm") << TreeFilter::Html << "page.htm" << true;
    QTest::newRow("html skips .HTM") << TreeFilter::Html << "page.HTM" << false;
    QTest::newRow("html skips .shtml") << TreeFilter::Html << "page.shtml" << false;
    QTest::newRow("rtf lists c.rtf") << TreeFilter::RichText << "c.rtf" << true;
    QTest::newRow("rtf skips .RTF") << TreeFilter::RichText << "c.RTF" << false;
    QTest::newRow("rtf skips .doc") << TreeFilter::RichText << "c.doc" << false;
    QTest::newRow("every lists no extension") << TreeFilter::Every << "Makefile" << true;
    QTest::newRow("every lists b.TXT") << TreeFilter::Every << "b.TXT" << true;
    QTest::newRow("initial lists no extension") << TreeFilter::NoExtension << "Makefile" << true;
    QTest::newRow("initial skips a.txt") << TreeFilter::NoExtension << "a.txt" << false;
}

void TestTreeRules::filterListsFile()
{
    QFETCH(TreeFilter, filter);
    QFETCH(QString, name);
    QFETCH(bool, listed);
    QCOMPARE(filterLists(filter, name), listed);
}

void TestTreeRules::folderPartOfPath_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("folder");
    QTest::newRow("file") << "/work/a.txt"
                          << "/work/";
    QTest::newRow("folder with slash") << "/work/"
                                       << "/work/";
    QTest::newRow("root file") << "/a.txt"
                               << "/";
    QTest::newRow("blank after FileNew") << " "
                                         << "";
    QTest::newRow("empty") << ""
                           << "";
    QTest::newRow("bare name") << "memo.txt"
                               << "";
    QTest::newRow("colon is no separator") << "/w/c:x.txt"
                                           << "/w/";
}

void TestTreeRules::folderPartOfPath()
{
    QFETCH(QString, path);
    QFETCH(QString, folder);
    QCOMPARE(folderPart(path), folder);
}

void TestTreeRules::childNodesKeepFileSystemOrder()
{
    const QList<FolderEntry> entries { { "z.txt", false }, { "sub", true }, { "b.TXT", false },
                                       { "a.txt", false }, { "aaa", true }, { "c.rtf", false } };
    const QList<TreeNode> expected { { "z.txt", NodeKind::File },
                                     { "sub", NodeKind::Folder },
                                     { "a.txt", NodeKind::File },
                                     { "aaa", NodeKind::Folder } };
    QCOMPARE(childNodes(entries, TreeFilter::Text), expected);
}

void TestTreeRules::folderWithExtensionIsListedOnceAsFolder_data()
{
    QTest::addColumn<TreeFilter>("filter");
    QTest::newRow("txt") << TreeFilter::Text;
    QTest::newRow("rtf") << TreeFilter::RichText;
    QTest::newRow("every") << TreeFilter::Every;
}

void TestTreeRules::folderWithExtensionIsListedOnceAsFolder()
{
    QFETCH(TreeFilter, filter);
    const QList<TreeNode> nodes = childNodes({ { "notes.txt", true } }, filter);
    QCOMPARE(nodes, (QList<TreeNode> { { "notes.txt", NodeKind::Folder } }));
}

void TestTreeRules::pathOfNode_data()
{
    QTest::addColumn<QStringList>("folders");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("path");
    QTest::newRow("top level") << QStringList {} << "a.txt"
                               << "/work/a.txt";
    QTest::newRow("one folder") << QStringList { "sub" } << "d.txt"
                                << "/work/sub/d.txt";
    QTest::newRow("three folders") << QStringList { "a", "b b", "notes.txt" } << "x"
                                   << "/work/a/b b/notes.txt/x";
}

void TestTreeRules::pathOfNode()
{
    QFETCH(QStringList, folders);
    QFETCH(QString, name);
    QFETCH(QString, path);
    QCOMPARE(nodePath(QStringLiteral("/work/"), folders, name), path);
}

void TestTreeRules::ancestorRevisit_data()
{
    QTest::addColumn<QString>("folder");
    QTest::addColumn<bool>("revisits");
    QTest::newRow("link to the work folder") << "/w" << true;
    QTest::newRow("link to a parent") << "/w/a" << true;
    QTest::newRow("ordinary child") << "/w/a/b/c" << false;
    QTest::newRow("sibling by name prefix") << "/w/ab" << false;
    QTest::newRow("unreadable") << "" << false;
}

void TestTreeRules::ancestorRevisit()
{
    QFETCH(QString, folder);
    QFETCH(bool, revisits);
    QCOMPARE(revisitsAncestor(folder, { "/w", "/w/a", "/w/a/b" }), revisits);
}

void TestTreeRules::refreshSkipRule()
{
    RefreshRule rule;
    RefreshPlan plan = rule.refresh("/work/a.txt", {});
    QCOMPARE(plan.workFolder, QStringLiteral("/work/"));
    QVERIFY(plan.refill);
    QCOMPARE(rule.treeFolder(), QStringLiteral("/work/"));

    QVERIFY(!rule.refresh("/work/b.txt", {}).refill);
    plan = rule.refresh("/other/c.txt", {});
    QVERIFY(plan.refill);
    QCOMPARE(rule.treeFolder(), QStringLiteral("/other/"));
    // Exact comparison: a different spelling of the same folder refills.
    QVERIFY(rule.refresh("/Other/c.txt", {}).refill);
}

void TestTreeRules::refreshUsesCommandLineFileForEmptyName()
{
    RefreshRule rule;
    const RefreshPlan plan = rule.refresh({}, "/cmd/line.txt");
    QCOMPARE(plan.workFolder, QStringLiteral("/cmd/"));
    QVERIFY(plan.refill);
}

void TestTreeRules::refreshAfterFileNewEmptiesOnce()
{
    RefreshRule rule;
    // Never filled: the blank's empty folder equals the empty last folder, nothing to clear.
    QVERIFY(!rule.refresh(" ", {}).refill);
    QVERIFY(rule.refresh("/work/a.txt", {}).refill);
    const RefreshPlan plan = rule.refresh(" ", {});
    QVERIFY(plan.refill);
    QVERIFY(plan.workFolder.isEmpty());
    QVERIFY(!rule.refresh(" ", {}).refill);
}

void TestTreeRules::forcedRefillRefillsSameFolder()
{
    RefreshRule rule;
    rule.refresh("/work/a.txt", {});
    rule.forceNextRefill();
    QVERIFY(rule.refresh("/work/a.txt", {}).refill);
    QVERIFY(!rule.refresh("/work/a.txt", {}).refill);
}

QTEST_GUILESS_MAIN(TestTreeRules)
#include "tst_treerules.moc"
