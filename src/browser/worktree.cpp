// SPDX-License-Identifier: MIT
#include "worktree.h"

#include "browsertexts.h"
#include "folderreader.h"
#include "settings/settingstable.h"
#include "settings/settingstexts.h"
#include "ui/dialogs.h"
#include "ui/errorreport.h"
#include "worktreehost.h"

#include <QAction>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QTreeWidget>

#include <array>

namespace {
// What a node is, and for a folder whether its children were asked for and where it really is.
constexpr int kKindRole = Qt::UserRole;
constexpr int kFilledRole = Qt::UserRole + 1;
constexpr int kCanonicalRole = Qt::UserRole + 2;

// A slice must leave the event loop room to paint and answer input well within a frame or two.
constexpr int kSliceMilliseconds = 10;
// Bounds one insertion into the tree, whose cost grows with the batch.
constexpr int kEntriesPerBatch = 4000;

NodeKind kindOf(const QTreeWidgetItem* item)
{
    return static_cast<NodeKind>(item->data(0, kKindRole).toInt());
}

QTreeWidgetItem* makeItem(const QString& text, NodeKind kind)
{
    auto* item = new QTreeWidgetItem(QStringList { text });
    item->setData(0, kKindRole, static_cast<int>(kind));
    if (kind == NodeKind::Folder)
        item->setChildIndicatorPolicy(QTreeWidgetItem::ShowIndicator);
    return item;
}
} // namespace

WorkTree::WorkTree(const WorkTreeControls& controls, WorkTreeHost& host, Dialogs& dialogs, QObject* parent)
    : QObject(parent)
    , m_controls(controls)
    , m_host(host)
    , m_dialogs(dialogs)
    , m_volumes(&mountedVolumes)
{
    m_pump.setSingleShot(true);
    m_pump.setInterval(0);
    connect(&m_pump, &QTimer::timeout, this, &WorkTree::pump);

    QTreeWidget* tree = m_controls.Tree;
    // Every row is one line of the same font, and the view need not measure 100 000 of them.
    tree->setUniformRowHeights(true);
    connect(tree, &QTreeWidget::itemExpanded, this, &WorkTree::fillFolderOnFirstExpansion);
    connect(tree, &QTreeWidget::itemDoubleClicked, this, [this] { TreeDblClick(); });
    if (m_controls.PopupMenu1) {
        tree->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(tree, &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
            m_controls.PopupMenu1->popup(m_controls.Tree->viewport()->mapToGlobal(pos));
        });
    }
    if (m_controls.CoolTree)
        connect(m_controls.CoolTree, &QAction::triggered, this, &WorkTree::CoolTreeClick);
    if (m_controls.ToolButton9)
        connect(m_controls.ToolButton9, &QAction::triggered, this, &WorkTree::CoolTreeClick);

    const std::array<void (WorkTree::*)(), 4> filters { &WorkTree::Pop_txtClick, &WorkTree::Pop_htmlClick,
                                                        &WorkTree::Pop_rtfClick, &WorkTree::Pop_allClick };
    for (int i = 0; i < int(filters.size()) && i < m_controls.filterItems.size(); ++i)
        connect(m_controls.filterItems.at(i), &QAction::triggered, this, filters[size_t(i)]);
}

WorkTree::~WorkTree() = default;

void WorkTree::setVolumeSource(std::function<QList<MountedVolume>()> source)
{
    m_volumes = std::move(source);
}

bool WorkTree::isShown() const
{
    return !m_controls.CoolBar2->isHidden();
}

void WorkTree::CoolTreeClick()
{
    const bool show = !isShown();
    m_controls.CoolBar2->setVisible(show);
    // The actions flip their own mark when triggered; the panel decides what it shows.
    if (m_controls.CoolTree)
        m_controls.CoolTree->setChecked(show);
    if (m_controls.ToolButton9)
        m_controls.ToolButton9->setChecked(show);
    if (show)
        refresh(m_host.currentFileName());
}

void WorkTree::refresh(const QString& fileName)
{
    const RefreshPlan plan = m_rule.refresh(fileName, m_host.commandLineFile());
    m_controls.Label2->setText(plan.workFolder);
    if (!plan.refill)
        return;
    cancelFill();
    m_controls.Tree->clear();
    if (plan.workFolder.isEmpty())
        return;

    if (const std::optional<TreeFilter> chosen = filterForIndex(m_host.openDialogFilterIndex()))
        m_filter = *chosen;
    m_canonicalWorkFolder = QFileInfo(plan.workFolder).canonicalFilePath();
    m_workFolder = plan.workFolder;
    m_workFolderRoot = volumeRootOf(plan.workFolder);
    m_jobs.push_back({ nullptr, std::make_unique<FolderReader>(m_rule.treeFolder()), true });
    m_fillClock.start();
    // The first slice runs at once, so a small folder is complete when the refresh returns.
    pump();
}

void WorkTree::cancelFill()
{
    m_jobs.clear();
    m_pump.stop();
    m_controls.Tree->viewport()->unsetCursor();
}

void WorkTree::pump()
{
    const QDeadlineTimer deadline(kSliceMilliseconds);
    while (!m_jobs.empty() && !deadline.hasExpired()) {
        FillJob& job = m_jobs.front();
        const QList<FolderEntry> entries = job.reader->read(deadline, kEntriesPerBatch);
        appendNodes(job.parent, childNodes(entries, m_filter));
        if (job.reader->atEnd()) {
            const FillJob done = std::move(job);
            m_jobs.pop_front();
            finishJob(done);
        }
    }
    showFillProgress();
    if (!m_jobs.empty())
        m_pump.start();
    else
        Q_EMIT fillFinished();
}

void WorkTree::showFillProgress()
{
    // The window stays usable while a big folder is read: a busy pointer over the tree, and
    // past half a second the caption tells how far the reading has got.
    QWidget* viewport = m_controls.Tree->viewport();
    if (m_jobs.empty()) {
        viewport->unsetCursor();
        m_controls.Label2->setText(m_rule.treeFolder());
        return;
    }
    viewport->setCursor(Qt::BusyCursor);
    if (m_fillClock.isValid() && m_fillClock.elapsed() >= 500)
        m_controls.Label2->setText(kReadingFolder.arg(m_rule.treeFolder()).arg(m_controls.Tree->topLevelItemCount()));
}

void WorkTree::finishJob(const FillJob& job)
{
    if (job.parent && job.parent->childCount() == 0)
        job.parent->setChildIndicatorPolicy(QTreeWidgetItem::DontShowIndicatorWhenChildless);
    if (job.thenDrives)
        appendDrives();
}

void WorkTree::appendNodes(QTreeWidgetItem* parent, const QList<TreeNode>& nodes)
{
    if (nodes.isEmpty())
        return;
    QList<QTreeWidgetItem*> items;
    items.reserve(nodes.size());
    for (const TreeNode& node : nodes)
        items.append(makeItem(node.text, node.kind));
    if (parent)
        parent->addChildren(items);
    else
        m_controls.Tree->addTopLevelItems(items);
}

void WorkTree::appendDrives()
{
    QList<QTreeWidgetItem*> items { makeItem(kDriveListHeading, NodeKind::Heading) };
    const QStringList drives = driveNodeTexts(m_volumes(), m_workFolderRoot);
    for (const QString& drive : drives)
        items.append(makeItem(drive, NodeKind::Drive));
    m_controls.Tree->addTopLevelItems(items);
}

void WorkTree::fillFolderOnFirstExpansion(QTreeWidgetItem* item)
{
    if (kindOf(item) != NodeKind::Folder || item->data(0, kFilledRole).toBool())
        return;
    item->setData(0, kFilledRole, true);

    const QString folder = nodePath(m_rule.treeFolder(), folderNamesAbove(item), item->text(0)) + QLatin1Char('/');
    const QString canonical = QFileInfo(folder).canonicalFilePath();
    QStringList ancestors { m_canonicalWorkFolder };
    for (const QTreeWidgetItem* above = item->parent(); above; above = above->parent())
        ancestors.append(above->data(0, kCanonicalRole).toString());
    // A link back to a folder the node already lies in would repeat that folder without end.
    if (revisitsAncestor(canonical, ancestors)) {
        item->setChildIndicatorPolicy(QTreeWidgetItem::DontShowIndicatorWhenChildless);
        return;
    }
    item->setData(0, kCanonicalRole, canonical);
    if (m_jobs.empty())
        m_fillClock.start();
    // The folder the user opened goes before folders that are still being read.
    m_jobs.push_front({ item, std::make_unique<FolderReader>(folder), false });
    pump();
}

QStringList WorkTree::folderNamesAbove(const QTreeWidgetItem* item) const
{
    QStringList names;
    for (const QTreeWidgetItem* above = item->parent(); above; above = above->parent())
        names.prepend(above->text(0));
    return names;
}

void WorkTree::TreeDblClick()
{
    const QList<QTreeWidgetItem*> selected = m_controls.Tree->selectedItems();
    if (selected.isEmpty())
        return;
    const QTreeWidgetItem* node = selected.constFirst();
    // Double-clicking a folder opens or closes it; only a file is loaded.
    if (kindOf(node) != NodeKind::File)
        return;

    const QString path = nodePath(m_rule.treeFolder(), folderNamesAbove(node), node->text(0));
    // Like a drop or Open: unsaved text is not thrown away unasked.
    if (!m_host.savePrompt())
        return;
    if (!m_host.loadIntoDocumentEditor(path))
        return;
    m_host.setDocumentTitle(path);
    m_host.showMessage(m_host.currentFileName() + kOpenedSuffix);
    m_host.focusUnmodifiedDocumentEditor();
    m_host.writeEditorSettings();
    m_host.rememberFile(path);
    storeRecentLists();
}

void WorkTree::storeRecentLists()
{
    const QStringList files = m_host.recentFiles();
    const QStringList folders = m_host.recentFolders();
    runRegistrySequence(m_dialogs, OpenMode::OpenCreating, kRegistryWriteFailed,
                        [&](SettingsKey& key) { writeRecentLists(key, files, folders); });
}

void WorkTree::Pop_txtClick()
{
    popupFilter(1);
}

void WorkTree::Pop_htmlClick()
{
    popupFilter(2);
}

void WorkTree::Pop_rtfClick()
{
    popupFilter(3);
}

void WorkTree::Pop_allClick()
{
    popupFilter(4);
}

void WorkTree::popupFilter(int filterIndex)
{
    m_rule.forceNextRefill();
    m_host.setOpenDialogFilterIndex(filterIndex);
    refresh(m_host.currentFileName());
}
