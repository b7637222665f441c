// SPDX-License-Identifier: MIT
#include "browser/browsertexts.h"
#include "browser/worktree.h"
#include "fakedialogs.h"
#include "tempsettings.h"
#include "treewidgets.h"
#include "worktreefixture.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

/** Records the longest time the event loop went without serving a 1 ms timer. */
class StallMeter final : public QObject
{
public:
    StallMeter()
    {
        m_timer.setTimerType(Qt::PreciseTimer);
        m_timer.setInterval(1);
        connect(&m_timer, &QTimer::timeout, this, [this] { m_longest = qMax(m_longest, m_clock.restart()); });
    }
    void start()
    {
        m_longest = 0;
        m_clock.start();
        m_timer.start();
    }
    qint64 stop()
    {
        m_timer.stop();
        return qMax(m_longest, m_clock.elapsed());
    }

private:
    QTimer m_timer;
    QElapsedTimer m_clock;
    qint64 m_longest = 0;
};

/** A work folder too large to read in one go must not hold up the window. */
class TestWorkTreeLarge final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void hugeFolderKeepsWindowResponsive();
    void deepChainOpensLevelByLevel();
    void refreshDuringFillStartsOver();

private:
    static constexpr int kFiles = 100000;
    static constexpr int kDepth = 200;
    static constexpr qint64 kLongestStallMs = 100;

    TempSettings m_settings;
    QTemporaryDir m_work;
    FakeDialogs m_dialogs;
};

void TestWorkTreeLarge::initTestCase()
{
    QVERIFY(m_work.isValid());
    for (int i = 0; i < kFiles; ++i) {
        QFile file(m_work.filePath(QStringLiteral("file%1.txt").arg(i)));
        QVERIFY(file.open(QIODevice::WriteOnly));
    }
    QString chain = m_work.filePath(QStringLiteral("deep"));
    for (int level = 1; level < kDepth; ++level)
        chain += QStringLiteral("/d%1").arg(level);
    QVERIFY(QDir().mkpath(chain));
    QFile(chain + QStringLiteral("/bottom.txt")).open(QIODevice::WriteOnly);
}

void TestWorkTreeLarge::hugeFolderKeepsWindowResponsive()
{
    TestHost host(m_dialogs);
    TreeWidgets widgets;
    WorkTree tree(widgets.controls(), host, m_dialogs);
    widgets.window->show();
    QVERIFY(QTest::qWaitForWindowExposed(widgets.window.get()));
    host.fileName = m_work.filePath(QStringLiteral("file0.txt"));
    QSignalSpy finished(&tree, &WorkTree::fillFinished);

    StallMeter meter;
    QElapsedTimer click;
    click.start();
    tree.CoolTreeClick();
    const qint64 clickMs = click.elapsed();
    // While the folder is read the tree shows it is busy; afterwards the pointer and caption return.
    QVERIFY(tree.isFilling());
    QCOMPARE(widgets.Tree->viewport()->cursor().shape(), Qt::BusyCursor);
    meter.start();
    QVERIFY(finished.wait(120000));
    const qint64 longest = meter.stop();
    QCOMPARE(widgets.Tree->viewport()->cursor().shape(), Qt::ArrowCursor);
    QVERIFY(!widgets.Tree->viewport()->testAttribute(Qt::WA_SetCursor));
    QCOMPARE(widgets.Label2->text(), m_work.path() + QLatin1Char('/'));
    qInfo("CoolTreeClick returned after %lld ms; whole first level in %lld ms; longest stall %lld ms", clickMs,
          click.elapsed(), longest);

    QVERIFY2(clickMs < kLongestStallMs, qPrintable(QStringLiteral("the switch took %1 ms").arg(clickMs)));
    QVERIFY2(longest < kLongestStallMs, qPrintable(QStringLiteral("the window stalled %1 ms").arg(longest)));
    const QStringList texts = nodeTexts(widgets.Tree);
    QCOMPARE(texts.count(QStringLiteral("deep")), 1);
    QVERIFY(texts.indexOf(kDriveListHeading) == kFiles + 1);
    QCOMPARE(QSet<QString>(texts.begin(), texts.begin() + kFiles + 1).size(), kFiles + 1);
}

void TestWorkTreeLarge::deepChainOpensLevelByLevel()
{
    TestHost host(m_dialogs);
    TreeWidgets widgets;
    WorkTree tree(widgets.controls(), host, m_dialogs);
    widgets.window->show();
    host.fileName = m_work.filePath(QStringLiteral("file0.txt"));
    tree.CoolTreeClick();
    QTRY_VERIFY_WITH_TIMEOUT(!tree.isFilling(), 120000);

    QTreeWidgetItem* item = nullptr;
    for (int i = 0; i < widgets.Tree->topLevelItemCount() && !item; ++i) {
        if (widgets.Tree->topLevelItem(i)->text(0) == u"deep")
            item = widgets.Tree->topLevelItem(i);
    }
    QVERIFY(item);
    QElapsedTimer opening;
    opening.start();
    for (int level = 1; level < kDepth; ++level) {
        widgets.Tree->expandItem(item);
        QVERIFY(!tree.isFilling());
        QCOMPARE(item->childCount(), 1);
        item = item->child(0);
        QCOMPARE(item->text(0), QStringLiteral("d%1").arg(level));
    }
    widgets.Tree->expandItem(item);
    const qint64 allLevels = opening.elapsed();
    qInfo("%d levels opened in %lld ms", kDepth, allLevels);
    QCOMPARE(nodeTexts(widgets.Tree, item), QStringList { "bottom.txt" });
    // Reading anything beyond the opened folder (the big level, say) on each expansion would take
    // a minute here; one small folder per level stays far below this even on a busy machine.
    QVERIFY2(allLevels < kDepth * 25, qPrintable(QStringLiteral("%1 levels took %2 ms").arg(kDepth).arg(allLevels)));

    widgets.Tree->setCurrentItem(item->child(0));
    tree.TreeDblClick();
    QVERIFY(host.loaded.value(0).endsWith(QStringLiteral("/d198/d199/bottom.txt")));
    QCOMPARE(host.loaded.value(0).count(u'/'), m_work.path().count(u'/') + kDepth + 1);
}

void TestWorkTreeLarge::refreshDuringFillStartsOver()
{
    TestHost host(m_dialogs);
    TreeWidgets widgets;
    WorkTree tree(widgets.controls(), host, m_dialogs);
    host.fileName = m_work.filePath(QStringLiteral("file0.txt"));
    tree.CoolTreeClick();
    QVERIFY(tree.isFilling());

    // Another folder before the big one is read through: only the new folder's nodes remain.
    const QString small = m_work.filePath(QStringLiteral("deep/d1/x.txt"));
    tree.refresh(small);
    QTRY_VERIFY_WITH_TIMEOUT(!tree.isFilling(), 10000);
    QVERIFY(!widgets.Tree->viewport()->testAttribute(Qt::WA_SetCursor));
    const QStringList texts = nodeTexts(widgets.Tree);
    QCOMPARE(texts.value(0), QStringLiteral("d2"));
    QCOMPARE(texts.value(1), kDriveListHeading);
}

QTEST_MAIN(TestWorkTreeLarge)
#include "tst_worktree_large.moc"
