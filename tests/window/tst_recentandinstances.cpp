// SPDX-License-Identifier: MIT
// The recent lists and their menu items, and the commands that start further editors.
#include "launcher/launchertexts.h"
#include "mainformfixture.h"
#include "settings/settingstexts.h"
#include "window/recentfiles.h"

#include <QAction>
#include <QDir>
#include <QMenu>
#include <QTest>

using Button = Dialogs::Button;

class TestRecentAndInstances final : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();

    void rememberOrder_data();
    void rememberOrder();
    void menuCaptions_data();
    void menuCaptions();
    void recentItemReopens_data();
    void recentItemReopens();
    void newEmptyEditorCascadesFromThisWindow();
    void threeOpenInNewProcessStartsRaiseBy60();
    void openInNewProcessPassesThePathWhole();
    void openInNewProcessRefusesAMissingFile();

private:
    void trigger(const QString& action) const { f->form->findChild<QAction*>(action)->trigger(); }
    void openFileMenu() const
    {
        auto* menu = f->form->findChild<QMenu*>(QStringLiteral("FileMenu"));
        menu->popup(QPoint(0, 0));
        menu->hide();
    }
    TMainForm& formWith(const MainFormFixture::Values& extra)
    {
        MainFormFixture::Values values = MainFormFixture::firstRunValues();
        for (const auto& [name, value] : extra)
            values = MainFormFixture::with(values, name, value);
        f->writeValues(values);
        return f->createForm();
    }

    std::unique_ptr<MainFormFixture> f;
};

void TestRecentAndInstances::init()
{
    f = std::make_unique<MainFormFixture>();
}

void TestRecentAndInstances::cleanup()
{
    f->form.reset();
    f.reset();
}

void TestRecentAndInstances::rememberOrder_data()
{
    QTest::addColumn<QStringList>("opened");
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<QStringList>("folders");
    QTest::newRow("six files push the first out")
        << QStringList { "/d/a", "/d/b", "/d/c", "/d/e", "/d/f", "/d/g" }
        << QStringList { "/d/g", "/d/f", "/d/e", "/d/c", "/d/b" } << QStringList { "/d/" };
    QTest::newRow("reopening keeps the order")
        << QStringList { "/d/a", "/d/b", "/d/c", "/d/e", "/d/f", "/d/g", "/d/c" }
        << QStringList { "/d/g", "/d/f", "/d/e", "/d/c", "/d/b" } << QStringList { "/d/" };
    QTest::newRow("letter case makes another entry")
        << QStringList { "/doc/a.txt", "/Doc/a.txt" } << QStringList { "/Doc/a.txt", "/doc/a.txt" }
        << QStringList { "/Doc/", "/doc/" };
    QTest::newRow("folders follow their own order")
        << QStringList { "/x/1", "/y/2", "/x/3" } << QStringList { "/x/3", "/y/2", "/x/1" }
        << QStringList { "/y/", "/x/" };
    // Another process, started in another folder, must open the same file.
    const QString here = QDir::currentPath();
    QTest::newRow("relative names are stored whole and clean")
        << QStringList { "one.txt", "./sub/../two.txt" } << QStringList { here + "/two.txt", here + "/one.txt" }
        << QStringList { here + "/" };
    QTest::newRow("an empty name is never listed")
        << QStringList { "/d/a", "" } << QStringList { "/d/a", "" } << QStringList { "/d/", "" };
}

void TestRecentAndInstances::rememberOrder()
{
    QFETCH(QStringList, opened);
    QFETCH(QStringList, files);
    QFETCH(QStringList, folders);
    RecentFiles recent({}, nullptr);
    // Stored lists hold five entries, empty ones too; they fill up from the top.
    recent.setLists(QStringList(5, QString()), QStringList(5, QString()));
    for (const QString& path : opened)
        recent.rememberFile(path);
    QCOMPARE(recent.files().mid(0, files.size()), files);
    QCOMPARE(recent.folders().mid(0, folders.size()), folders);
    QCOMPARE(recent.files().size(), 5);
}

void TestRecentAndInstances::menuCaptions_data()
{
    QTest::addColumn<QString>("mru1");
    QTest::addColumn<QString>("mru3");
    QTest::addColumn<QStringList>("captions"); // of the visible items, MRU1..MRU5
    QTest::newRow("only MRU1") << "/x"
                               << "" << QStringList { "&1 /x" };
    QTest::newRow("a gap stays hidden") << "/a.txt"
                                        << "/c.txt" << QStringList { "&1 /a.txt", "&3 /c.txt" };
    QTest::newRow("an ampersand shows as itself") << "/R&D/a.txt"
                                                  << "" << QStringList { "&1 /R&&D/a.txt" };
}

void TestRecentAndInstances::menuCaptions()
{
    QFETCH(QString, mru1);
    QFETCH(QString, mru3);
    QFETCH(QStringList, captions);
    formWith({ { Reg::mru(1), mru1 }, { Reg::mru(3), mru3 } });
    auto* separator = f->form->findChild<QAction*>(QStringLiteral("MRUSeparator"));
    QVERIFY(!separator->isVisible());
    openFileMenu();
    QVERIFY(separator->isVisible());
    QStringList shown;
    for (int k = 1; k <= 5; ++k) {
        auto* item = f->form->findChild<QAction*>(QStringLiteral("MRU%1").arg(k));
        if (item->isVisible())
            shown.append(item->text());
    }
    QCOMPARE(shown, captions);
}

void TestRecentAndInstances::recentItemReopens_data()
{
    QTest::addColumn<Button>("answer");
    QTest::addColumn<bool>("reopened");
    QTest::newRow("cancel leaves everything") << Button::Cancel << false;
    QTest::newRow("no reopens") << Button::No << true;
}

void TestRecentAndInstances::recentItemReopens()
{
    QFETCH(Button, answer);
    QFETCH(bool, reopened);
    const QString second = f->writeFile(QStringLiteral("second.txt"), "second");
    const QString first = f->settings.dir() + QStringLiteral("/first.txt");
    TMainForm& form = formWith({ { Reg::mru(1), first }, { Reg::mru(2), second }, { Reg::MDirSave, "/before/" } });
    QTest::keyClicks(f->editorView(), QStringLiteral("unsaved"));
    const QString caption = form.windowTitle();
    const QStringList recent = form.recentFiles();
    openFileMenu();
    f->dialogs.answers = { answer };
    trigger(QStringLiteral("MRU2"));

    QCOMPARE(f->dialogs.questions.size(), 1);
    QCOMPARE(f->editor()->text(), reopened ? QStringLiteral("second") : QStringLiteral("unsaved"));
    QCOMPARE(f->editor()->isModified(), !reopened);
    QCOMPARE(form.windowTitle() == caption, !reopened);
    QCOMPARE(form.recentFiles(), recent);
    QCOMPARE(f->storedString(Reg::MDirSave),
             reopened ? f->settings.dir() + QLatin1Char('/') : QStringLiteral("/before/"));
}

void TestRecentAndInstances::newEmptyEditorCascadesFromThisWindow()
{
    TMainForm& form = formWith({ { Reg::MTop, 100 }, { Reg::MLeft, 200 } });
    QCOMPARE(form.frameGeometry().topLeft(), QPoint(200, 100));
    f->editor()->setText(QStringLiteral("untouched"));
    f->editor()->setModified(true);
    trigger(QStringLiteral("Winexec"));
    QCOMPARE(f->storedInteger(Reg::MTop), 120);
    QCOMPARE(f->storedInteger(Reg::MLeft), 220);
    QCOMPARE(f->processes.started, QStringList { QString() });
    QVERIFY(f->dialogs.questions.isEmpty());
    QCOMPARE(f->editor()->text(), QStringLiteral("untouched"));
}

void TestRecentAndInstances::threeOpenInNewProcessStartsRaiseBy60()
{
    const QString path = f->writeFile(QStringLiteral("a.txt"), "a");
    formWith({ { Reg::MTop, 100 }, { Reg::MLeft, 50 } });
    f->form->move(10, 10); // the step starts from the stored position, not the window's
    f->dialogs.files = { path, path, path };
    for (int i = 0; i < 3; ++i)
        trigger(QStringLiteral("F_ONew"));
    QCOMPARE(f->storedInteger(Reg::MTop), 160);
    QCOMPARE(f->storedInteger(Reg::MLeft), 110);
    QCOMPARE(f->processes.started, QStringList(3, path));
    QCOMPARE(f->form->recentFiles().value(0), path);
}

void TestRecentAndInstances::openInNewProcessPassesThePathWhole()
{
    QDir(f->settings.dir()).mkpath(QStringLiteral("My  Documents"));
    const QString path = f->writeFile(QStringLiteral("My  Documents/a  b.txt"), "a");
    formWith({ { Reg::MDirSave, "/start/" } });
    f->dialogs.files = { path };
    trigger(QStringLiteral("F_ONew"));
    QCOMPARE(f->dialogs.openStates[0].initialFolder, QStringLiteral("/start/"));
    QCOMPARE(f->processes.started, QStringList { path });
}

void TestRecentAndInstances::openInNewProcessRefusesAMissingFile()
{
    const QString path = f->settings.dir() + QStringLiteral("/gone.txt");
    formWith({ { Reg::MTop, 100 }, { Reg::MLeft, 100 } });
    f->dialogs.files = { path };
    trigger(QStringLiteral("F_ONew"));
    QCOMPARE(f->dialogs.messages, QStringList { kAlreadyOpen });
    QVERIFY(f->processes.started.isEmpty());
    QCOMPARE(f->storedInteger(Reg::MTop), 120);
    QCOMPARE(f->form->recentFiles().value(0), path);
}

QTEST_MAIN(TestRecentAndInstances)
#include "tst_recentandinstances.moc"
