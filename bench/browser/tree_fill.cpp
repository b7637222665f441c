// SPDX-License-Identifier: MIT
// How long the work-folder tree takes to show a folder of 100 000 files, and how long the window
// goes without answering meanwhile. Usage: tree_fill [file count]
#include "browser/folderreader.h"
#include "browser/worktree.h"
#include "browser/worktreehost.h"
#include "ui/widgetdialogs.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFrame>
#include <QLabel>
#include <QMenu>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <cstdio>

namespace {
class BenchHost final : public WorkTreeHost
{
public:
    QString fileName;
    QString currentFileName() const override { return fileName; }
    QString commandLineFile() const override { return {}; }
    int openDialogFilterIndex() const override { return 1; }
    void setOpenDialogFilterIndex(int) override { }
    bool loadIntoDocumentEditor(const QString&) override { return false; }
    void setDocumentTitle(const QString&) override { }
    void showMessage(const QString&) override { }
    void focusUnmodifiedDocumentEditor() override { }
    void writeEditorSettings() override { }
    void rememberFile(const QString&) override { }
    bool savePrompt() override { return true; }
    QStringList recentFiles() const override { return {}; }
    QStringList recentFolders() const override { return {}; }
};

// The old way, for comparison: every entry read and inserted in one go on the UI thread.
qint64 oneGoFill(const QString& folder)
{
    QTreeWidget tree;
    QElapsedTimer clock;
    clock.start();
    FolderReader reader(folder);
    QList<QTreeWidgetItem*> items;
    const QList<FolderEntry> entries = reader.read(QDeadlineTimer::Forever, INT_MAX);
    for (const TreeNode& node : childNodes(entries, TreeFilter::Text))
        items.append(new QTreeWidgetItem(QStringList { node.text }));
    tree.addTopLevelItems(items);
    return clock.elapsed();
}
} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const int files = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 100000;

    QTemporaryDir work;
    QElapsedTimer clock;
    clock.start();
    for (int i = 0; i < files; ++i)
        QFile(work.filePath(QStringLiteral("file%1.txt").arg(i))).open(QIODevice::WriteOnly);
    std::printf("created %d files in %lld ms\n", files, clock.elapsed());

    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    auto* panel = new QFrame(&window);
    auto* label = new QLabel(panel);
    auto* treeWidget = new QTreeWidget(panel);
    auto* panelLayout = new QVBoxLayout(panel);
    panelLayout->addWidget(label);
    panelLayout->addWidget(treeWidget);
    layout->addWidget(panel);
    panel->hide();
    window.resize(300, 600);
    window.show();

    WidgetDialogs dialogs; // never asked: the bench opens no file
    BenchHost host;
    host.fileName = work.filePath(QStringLiteral("file0.txt"));
    WorkTree tree({ panel, label, treeWidget, nullptr, nullptr, nullptr, {} }, host, dialogs);

    qint64 longestStall = 0;
    QElapsedTimer sinceTick;
    QTimer ticker;
    ticker.setTimerType(Qt::PreciseTimer);
    ticker.setInterval(1);
    QObject::connect(&ticker, &QTimer::timeout, &app, [&] { longestStall = qMax(longestStall, sinceTick.restart()); });

    qint64 firstLevel = 0;
    QObject::connect(&tree, &WorkTree::fillFinished, &app, [&] {
        firstLevel = clock.elapsed();
        QTimer::singleShot(0, &app, &QCoreApplication::quit);
    });
    clock.restart();
    tree.CoolTreeClick();
    const qint64 firstNodes = clock.elapsed();
    const int shownAtOnce = treeWidget->topLevelItemCount();
    sinceTick.start();
    ticker.start();
    if (tree.isFilling())
        app.exec();
    ticker.stop();

    std::printf("first %d nodes shown after %lld ms\n", shownAtOnce, firstNodes);
    std::printf("whole first level (%d nodes) after %lld ms\n", treeWidget->topLevelItemCount(), firstLevel);
    std::printf("longest event-loop stall while filling: %lld ms\n", longestStall);
    std::printf("same folder read and inserted in one go: %lld ms (the window would freeze that long)\n",
                oneGoFill(work.path()));
    return 0;
}
