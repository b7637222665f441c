// SPDX-License-Identifier: MIT
#pragma once

#include "browser/worktree.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QFrame>
#include <QLabel>
#include <QMenu>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <memory>

/** The editor window's tree controls under their given names, in a window of their own. */
struct TreeWidgets
{
    TreeWidgets()
        : window(std::make_unique<QWidget>())
    {
        auto* row = new QVBoxLayout(window.get());
        CoolBar2 = new QFrame(window.get());
        CoolBar2->setObjectName(QStringLiteral("CoolBar2"));
        auto* panel = new QVBoxLayout(CoolBar2);
        Label2 = new QLabel(CoolBar2);
        Label2->setObjectName(QStringLiteral("Label2"));
        Tree = new QTreeWidget(CoolBar2);
        Tree->setObjectName(QStringLiteral("Tree"));
        Tree->setHeaderHidden(true);
        panel->addWidget(Label2);
        panel->addWidget(Tree, 1);
        row->addWidget(CoolBar2);
        CoolBar2->hide();

        CoolTree = new QAction(QStringLiteral("作業フォルダーの表示"), window.get());
        CoolTree->setCheckable(true);
        ToolButton9 = new QAction(QStringLiteral("作業フォルダーの表示"), window.get());
        ToolButton9->setCheckable(true);
        PopupMenu1 = new QMenu(window.get());
        for (const char* name : { "Pop_txt", "Pop_html", "Pop_rtf", "Pop_all" }) {
            QAction* item = PopupMenu1->addAction(QString());
            item->setObjectName(QLatin1String(name));
            filterItems.append(item);
        }
        window->resize(300, 500);
    }

    WorkTreeControls controls() const
    {
        return { .CoolBar2 = CoolBar2,
                 .Label2 = Label2,
                 .Tree = Tree,
                 .CoolTree = CoolTree,
                 .ToolButton9 = ToolButton9,
                 .PopupMenu1 = PopupMenu1,
                 .filterItems = filterItems };
    }

    QAction* popup(const QString& name) const
    {
        for (QAction* action : PopupMenu1->actions()) {
            if (action->objectName() == name)
                return action;
        }
        return nullptr;
    }

    std::unique_ptr<QWidget> window;
    QFrame* CoolBar2 = nullptr;
    QLabel* Label2 = nullptr;
    QTreeWidget* Tree = nullptr;
    QAction* CoolTree = nullptr;
    QAction* ToolButton9 = nullptr;
    QMenu* PopupMenu1 = nullptr;
    QList<QAction*> filterItems;
};

/** The texts of @p parent's children, or of the top level when it is null. */
inline QStringList nodeTexts(const QTreeWidget* tree, const QTreeWidgetItem* parent = nullptr)
{
    QStringList texts;
    const int count = parent ? parent->childCount() : tree->topLevelItemCount();
    for (int i = 0; i < count; ++i)
        texts.append((parent ? parent->child(i) : tree->topLevelItem(i))->text(0));
    return texts;
}

/** Creates the files and folders named by @p paths (a trailing '/' makes a folder) under @p root. */
inline void makeEntries(const QString& root, const QStringList& paths)
{
    for (const QString& path : paths) {
        const QString full = root + QLatin1Char('/') + path;
        if (path.endsWith(QLatin1Char('/'))) {
            QDir().mkpath(full);
        } else {
            QDir().mkpath(full.left(full.lastIndexOf(QLatin1Char('/'))));
            QFile file(full);
            file.open(QIODevice::WriteOnly);
            file.write("x");
        }
    }
}
