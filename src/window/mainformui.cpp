// SPDX-License-Identifier: MIT
#include "mainformui.h"

#include "document/documenteditor.h"
#include "settings/settingstable.h"
#include "view/statusrow.h"
#include "window/windowtexts.h"

#include <QAction>
#include <QBoxLayout>
#include <QFrame>
#include <QLabel>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QStyle>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>

#include <algorithm>
#include <vector>

namespace {
QAction* addItem(QMenu* menu, const QString& name, const QString& caption, const QString& hint = {})
{
    auto* action = menu->addAction(caption);
    action->setObjectName(name);
    if (!hint.isEmpty()) {
        action->setStatusTip(hint);
        action->setToolTip(hint);
    }
    return action;
}

QMenu* addMenu(QMenuBar* bar, const QString& name, const QString& caption)
{
    auto* menu = bar->addMenu(caption);
    menu->setObjectName(name);
    return menu;
}

QFont designedFont(int pixels)
{
    QFont font(kDefaultFontName);
    font.setStyleHint(QFont::TypeWriter);
    font.setPixelSize(pixels);
    return font;
}

void setBackground(QWidget* widget, QPalette::ColorRole role, const QColor& colour)
{
    QPalette palette = widget->palette();
    palette.setColor(role, colour);
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

QAction* newItem(QMenu* menu, const CommandRow& entry)
{
    QAction* action = addItem(menu, QLatin1String(entry.name), *entry.caption, entry.hint ? *entry.hint : QString());
    action->setCheckable(entry.checkable);
    action->setChecked(entry.checked);
    if (entry.shortcuts) {
        action->setShortcuts(QKeySequence::listFromString(QLatin1String(entry.shortcuts), QKeySequence::PortableText));
        action->setShortcutContext(Qt::WindowShortcut);
    }
    return action;
}

void addRecentSlots(QMenu* menu, MainFormUi& ui)
{
    menu->addSeparator();
    for (int k = 1; k <= 5; ++k) {
        QAction* item = addItem(menu, QStringLiteral("MRU%1").arg(k), QString());
        item->setVisible(false);
        ui.MRU.append(item);
    }
    ui.MRUSeparator = menu->addSeparator();
    ui.MRUSeparator->setObjectName(QStringLiteral("MRUSeparator"));
    ui.MRUSeparator->setVisible(false);
}

void buildMenus(QMenuBar* bar, MainFormUi& ui)
{
    ui.FileMenu = addMenu(bar, QStringLiteral("FileMenu"), Caption::FileMenu);
    ui.EditMenu = addMenu(bar, QStringLiteral("EditMenu"), Caption::EditMenu);
    ui.Show1 = addMenu(bar, QStringLiteral("Show1"), Caption::Show1);
    ui.OP = addMenu(bar, QStringLiteral("OP"), Caption::OP);
    ui.FT = addMenu(bar, QStringLiteral("FT"), Caption::FT);
    const auto menuOf = [&ui](CommandMenu menu) -> QMenu* {
        switch (menu) {
        case CommandMenu::File:
            return ui.FileMenu;
        case CommandMenu::Edit:
            return ui.EditMenu;
        case CommandMenu::Show:
            return ui.Show1;
        case CommandMenu::Options:
            return ui.OP;
        case CommandMenu::Other:
            return ui.FT;
        case CommandMenu::None:
            break;
        }
        return nullptr;
    };
    for (const CommandRow& entry : commandTable()) {
        QMenu* menu = menuOf(entry.menu);
        if (!menu)
            continue;
        if (entry.recentSlotsBefore)
            addRecentSlots(menu, ui);
        else if (entry.separatorBefore)
            menu->addSeparator();
        ui.commands.item[size_t(entry.id)] = newItem(menu, entry);
    }
}

// The rows of the command table that have a twin of one kind, in the twin's own order.
template <class Twin>
std::vector<const CommandRow*> rowsWith(Twin CommandRow::*twin)
{
    std::vector<const CommandRow*> rows;
    for (const CommandRow& entry : commandTable()) {
        if ((entry.*twin).name)
            rows.push_back(&entry);
    }
    std::sort(rows.begin(), rows.end(),
              [twin](const CommandRow* a, const CommandRow* b) { return (a->*twin).order < (b->*twin).order; });
    return rows;
}

void buildPopupMenus(QWidget* owner, MainFormUi& ui)
{
    ui.PopupMenu2 = new QMenu(owner);
    ui.PopupMenu2->setObjectName(QStringLiteral("PopupMenu2"));
    for (const CommandRow* entry : rowsWith(&CommandRow::popup)) {
        if (entry->popup.separatorBefore)
            ui.PopupMenu2->addSeparator();
        ui.commands.popup[size_t(entry->id)] = addItem(ui.PopupMenu2, QLatin1String(entry->popup.name),
                                                       *entry->popup.caption);
    }

    ui.PopupMenu3 = new QMenu(owner);
    ui.PopupMenu3->setObjectName(QStringLiteral("PopupMenu3"));
    ui.previewZoomItems = {
        addItem(ui.PopupMenu3, QStringLiteral("PView100"), Caption::PView100),
        addItem(ui.PopupMenu3, QStringLiteral("PView80"), Caption::PView80),
        addItem(ui.PopupMenu3, QStringLiteral("PView50"), Caption::PView50),
        addItem(ui.PopupMenu3, QStringLiteral("PView20"), Caption::PView20),
    };

    ui.PopupMenu1 = new QMenu(owner);
    ui.PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    addItem(ui.PopupMenu1, QStringLiteral("Pop_Name"), Caption::Pop_Name)->setEnabled(false);
    ui.PopupMenu1->addSeparator();
    ui.treeFilterItems = {
        addItem(ui.PopupMenu1, QStringLiteral("Pop_txt"), QStringLiteral("*.txt")),
        addItem(ui.PopupMenu1, QStringLiteral("Pop_html"), QStringLiteral("*.html;*.htm")),
        addItem(ui.PopupMenu1, QStringLiteral("Pop_rtf"), QStringLiteral("*.rtf")),
        addItem(ui.PopupMenu1, QStringLiteral("Pop_all"), QStringLiteral("*.*")),
    };
}

QAction* addToolButton(QToolBar* bar, const ToolTwin& twin, bool checkable)
{
    auto* action = bar->addAction(bar->style()->standardIcon(twin.icon), *twin.hint);
    const QString name = QLatin1String(twin.name);
    action->setObjectName(name);
    action->setToolTip(*twin.hint);
    action->setStatusTip(*twin.hint);
    action->setCheckable(checkable);
    bar->widgetForAction(action)->setObjectName(name);
    return action;
}

void buildCoolBar1(QVBoxLayout* column, QWidget* client, MainFormUi& ui)
{
    ui.CoolBar1 = new QFrame(client);
    ui.CoolBar1->setObjectName(QStringLiteral("CoolBar1"));
    ui.CoolBar1->setFrameStyle(QFrame::StyledPanel | QFrame::Raised);
    auto* row = new QHBoxLayout(ui.CoolBar1);
    row->setContentsMargins(2, 1, 2, 1);
    row->setSpacing(0);

    ui.ToolBar1 = new QToolBar(ui.CoolBar1);
    ui.ToolBar1->setObjectName(QStringLiteral("ToolBar1"));
    ui.ToolBar1->setIconSize(QSize(16, 16));
    for (const CommandRow* entry : rowsWith(&CommandRow::tool)) {
        if (entry->tool.separatorBefore)
            ui.ToolBar1->addSeparator();
        // A tool button of its own (no menu item) carries the check mark itself.
        const bool checkable = entry->checkable && entry->menu == CommandMenu::None;
        ui.commands.tool[size_t(entry->id)] = addToolButton(ui.ToolBar1, entry->tool, checkable);
    }
    row->addWidget(ui.ToolBar1);

    // The preview's page buttons: a second band of the tool bar, shown only with the preview.
    ui.Panel3 = new QFrame(ui.CoolBar1);
    ui.Panel3->setObjectName(QStringLiteral("Panel3"));
    auto* buttons = new QHBoxLayout(ui.Panel3);
    buttons->setContentsMargins(0, 0, 0, 0);
    const QList<std::pair<QString, QString>> pages = {
        { QStringLiteral("<<"), Hint::Button1 },
        { QStringLiteral("<"), Hint::Button2 },
        { QStringLiteral(">"), Hint::Button3 },
        { QStringLiteral(">>"), Hint::Button4 },
    };
    for (int i = 0; i < pages.size(); ++i) {
        auto* button = new QPushButton(pages[i].first, ui.Panel3);
        button->setObjectName(QStringLiteral("Button%1").arg(i + 1));
        button->setToolTip(pages[i].second);
        buttons->addWidget(button);
        ui.Buttons.append(button);
    }
    ui.Panel3->hide();
    row->addWidget(ui.Panel3);
    row->addStretch(1);
    column->addWidget(ui.CoolBar1);
}

void buildRuler(QVBoxLayout* column, QWidget* client, MainFormUi& ui)
{
    ui.Ruler = new QFrame(client);
    ui.Ruler->setObjectName(QStringLiteral("Ruler"));
    setBackground(ui.Ruler, QPalette::Window, client->palette().color(QPalette::ToolTipBase));
    ui.Ruler->setFixedHeight(28);
    // The label is placed by hand: its left edge follows the gutter's width.
    ui.Label1 = new QLabel(ui.Ruler);
    ui.Label1->setObjectName(QStringLiteral("Label1"));
    ui.Label1->setTextFormat(Qt::PlainText);
    ui.Label1->setFont(designedFont(kWindowFontPixels));
    setBackground(ui.Label1, QPalette::Window, Qt::white);
    ui.Label1->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    column->addWidget(ui.Ruler);
}

void buildBody(QVBoxLayout* column, QWidget* client, MainFormUi& ui)
{
    auto* body = new QWidget(client);
    body->setObjectName(QStringLiteral("Body"));
    auto* row = new QHBoxLayout(body);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);

    ui.Panel4 = new QFrame(body);
    ui.Panel4->setObjectName(QStringLiteral("Panel4"));
    setBackground(ui.Panel4, QPalette::Window, Qt::white);
    ui.Panel4->setFixedWidth(30);
    ui.Label3 = new QLabel(ui.Panel4);
    ui.Label3->setObjectName(QStringLiteral("Label3"));
    ui.Label3->setTextFormat(Qt::PlainText);
    ui.Label3->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    setBackground(ui.Label3, QPalette::Window, Qt::white);
    ui.Panel4->hide();
    row->addWidget(ui.Panel4);

    ui.RichEdit2 = new DocumentEditor(body);
    ui.RichEdit2->setEditorFont(designedFont(kEditorFontPixels));
    ui.RichEdit2->setContextMenu(ui.PopupMenu2);
    row->addWidget(ui.RichEdit2, 1);

    ui.QRPreview1 = new QWidget(body);
    ui.QRPreview1->setObjectName(QStringLiteral("QRPreview1"));
    ui.QRPreview1->hide();
    row->addWidget(ui.QRPreview1, 1);

    ui.CoolBar2 = new QFrame(body);
    ui.CoolBar2->setObjectName(QStringLiteral("CoolBar2"));
    ui.CoolBar2->setFrameStyle(QFrame::StyledPanel | QFrame::Raised);
    ui.CoolBar2->setFixedWidth(200);
    auto* bar = new QVBoxLayout(ui.CoolBar2);
    bar->setContentsMargins(0, 0, 0, 0);
    ui.FilePanel = new QWidget(ui.CoolBar2);
    ui.FilePanel->setObjectName(QStringLiteral("FilePanel"));
    auto* panel = new QVBoxLayout(ui.FilePanel);
    panel->setContentsMargins(0, 0, 0, 0);
    panel->setSpacing(0);
    ui.Label2 = new QLabel(ui.FilePanel);
    ui.Label2->setObjectName(QStringLiteral("Label2"));
    ui.Label2->setTextFormat(Qt::PlainText); // shows a folder name
    setBackground(ui.Label2, QPalette::Window, Qt::white);
    ui.Tree = new QTreeWidget(ui.FilePanel);
    ui.Tree->setObjectName(QStringLiteral("Tree"));
    ui.Tree->setHeaderHidden(true);
    ui.Tree->setIndentation(19);
    ui.Tree->setFont(designedFont(13));
    ui.Tree->setToolTip(Hint::Tree);
    panel->addWidget(ui.Label2);
    panel->addWidget(ui.Tree, 1);
    bar->addWidget(ui.FilePanel);
    ui.CoolBar2->hide();
    row->addWidget(ui.CoolBar2);

    column->addWidget(body, 1);
}
} // namespace

void buildMainFormUi(QMainWindow* window, MainFormUi& ui)
{
    ui.MainMenu = window->menuBar();
    ui.MainMenu->setObjectName(QStringLiteral("MainMenu"));
    buildMenus(ui.MainMenu, ui);
    buildPopupMenus(window, ui);

    auto* client = new QWidget(window);
    client->setObjectName(QStringLiteral("ClientArea"));
    auto* column = new QVBoxLayout(client);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    buildCoolBar1(column, client, ui);
    buildRuler(column, client, ui);
    buildBody(column, client, ui);

    ui.Panel2 = new QFrame(client);
    ui.Panel2->setObjectName(QStringLiteral("Panel2"));
    ui.QuickRep1 = new QWidget(ui.Panel2);
    ui.QuickRep1->setObjectName(QStringLiteral("QuickRep1"));
    ui.Panel2->hide();
    column->addWidget(ui.Panel2);

    ui.Panel1 = new StatusRow(client);
    column->addWidget(ui.Panel1);
    window->setCentralWidget(client);
}
