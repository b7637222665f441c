// SPDX-License-Identifier: MIT
#include "Tasklist.h"

#include "editorlaunch.h"
#include "launchertexts.h"
#include "platform/processstarter.h"
#include "settings/settingstable.h"
#include "settings/settingstexts.h"
#include "ui/errorreport.h"
#include "ui/filetexts.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QCursor>
#include <QMenu>

namespace {

QList<FileFilter> launcherFilters()
{
    // Unlike the editor's own open dialog, the rich-text entry lists "*.rtf" alone.
    return {
        { FilterText::Text, QStringLiteral("*.txt") },
        { FilterText::OpenHtml, QStringLiteral("*.htm;*.html") },
        { FilterText::RichText, QStringLiteral("*.rtf") },
        { FilterText::SourceFiles, QStringLiteral("*.asm;*.c;*.cpp") },
        { FilterText::All, QStringLiteral("*.*") },
    };
}

/** Where a popup goes: its top-left corner 45 pixels plus 17 per recent item above the cursor. */
QPoint popupCorner(QPoint cursor, int shownItems)
{
    return QPoint(cursor.x(), cursor.y() - (17 * shownItems + 45));
}

} // namespace

TForm1::TForm1(AppContext context, QWidget* parent)
    : QWidget(parent)
    , m_context(std::move(context))
{
    setObjectName(QStringLiteral("Form1"));
    m_openDialog1.filters = launcherFilters();
    buildMenus();
    FormCreate();
}

TForm1::~TForm1() = default;

void TForm1::setRememberFile(std::function<void(const QString&)> rememberFile)
{
    m_rememberFile = std::move(rememberFile);
}

QAction* TForm1::addItem(QMenu* menu, const QString& name, const QString& caption)
{
    QAction* action = menu->addAction(caption);
    action->setObjectName(name);
    return action;
}

void TForm1::buildMenus()
{
    m_popupMenu1 = new QMenu(this);
    m_popupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    connect(addItem(m_popupMenu1, QStringLiteral("Open1"), kOpenItem), &QAction::triggered, this, &TForm1::Open1Click);
    connect(addItem(m_popupMenu1, QStringLiteral("Sdi1"), kEmptyEditorItem), &QAction::triggered, this,
            &TForm1::Sdi1Click);
    connect(addItem(m_popupMenu1, QStringLiteral("Grep1"), kLauncherGrep), &QAction::triggered, this,
            &TForm1::Grep1Click);
    m_fileMenu.menu = m_popupMenu1;
    m_fileMenu.separator = addItem(m_popupMenu1, QStringLiteral("MRUSeparator"), QStringLiteral("-FileName-"));

    m_popupMenu2 = new QMenu(this);
    m_popupMenu2->setObjectName(QStringLiteral("PopupMenu2"));
    connect(addItem(m_popupMenu2, QStringLiteral("Exit1"), kExitItem), &QAction::triggered, this, &TForm1::Exit1Click);
    m_folderMenu.menu = m_popupMenu2;
    m_folderMenu.separator = addItem(m_popupMenu2, QStringLiteral("MMMSp"), QStringLiteral("-Folder-"));

    for (int k = 0; k < Reg::kRecentSlots; ++k) {
        QAction* file = addItem(m_popupMenu1, Reg::mru(k + 1), QString());
        connect(file, &QAction::triggered, this, [this, k] { MRUClick(k); });
        m_fileMenu.items.append(file);
        QAction* folder = addItem(m_popupMenu2, Reg::mmm(k + 1), QString());
        connect(folder, &QAction::triggered, this, [this, k] { MMMClick(k); });
        m_folderMenu.items.append(folder);
    }
    for (const RecentMenu* menu : { &m_fileMenu, &m_folderMenu }) {
        menu->separator->setVisible(false);
        for (QAction* item : menu->items)
            item->setVisible(false);
    }
}

void TForm1::FormCreate()
{
    m_trayIcon = new QSystemTrayIcon(QApplication::windowIcon(), this);
    m_trayIcon->setToolTip(kLauncherTip);
    connect(m_trayIcon, &QSystemTrayIcon::activated, this, &TForm1::trayActivated);
    m_trayIcon->show();
    // A click opens the file popup only once it is clear that no second click follows: a double-click
    // must start one editor and leave no popup under the cursor.
    m_singleClick.setSingleShot(true);
    m_singleClick.setInterval(QApplication::doubleClickInterval());
    connect(&m_singleClick, &QTimer::timeout, this, [this] { TrayNotify(QSystemTrayIcon::Trigger); });

    const SequenceResult read = runRegistrySequence(OpenMode::OpenOnly, [this](SettingsKey& key) {
        readRecentSlots(key, m_mruList, &Reg::mru);
        readRecentSlots(key, m_mmmList, &Reg::mmm);
    });
    if (!read.opened) {
        // The key has gone since start-up made it: put back what the editors rely on.
        runRegistrySequence(OpenMode::OpenCreating, writeLauncherDefaults);
    }
    bool firstStart = false;
    runRegistrySequence(OpenMode::OpenOnly, [&firstStart](SettingsKey& key) {
        if (!key.valueExists(Reg::MTrayBalloon)) {
            key.writeInteger(Reg::MTrayBalloon, 1);
            firstStart = true;
        }
    });
    if (firstStart)
        m_trayIcon->showMessage(kLauncherTip, kLauncherBalloon, QSystemTrayIcon::Information);
}

void TForm1::trayActivated(QSystemTrayIcon::ActivationReason reason)
{
    switch (reason) {
    case QSystemTrayIcon::Trigger:
        m_singleClick.start();
        break;
    case QSystemTrayIcon::DoubleClick:
        m_singleClick.stop();
        TrayNotify(reason);
        break;
    default:
        TrayNotify(reason);
        break;
    }
}

void TForm1::TrayNotify(QSystemTrayIcon::ActivationReason reason)
{
    switch (reason) {
    case QSystemTrayIcon::Trigger:
        showRecentPopup(m_mruList, m_fileMenu, &Reg::mru);
        break;
    case QSystemTrayIcon::DoubleClick:
        startEditor(QString());
        break;
    case QSystemTrayIcon::Context:
        showRecentPopup(m_mmmList, m_folderMenu, &Reg::mmm);
        break;
    default:
        break;
    }
}

void TForm1::showRecentPopup(QStringList& list, const RecentMenu& menu, QString (*slotName)(int))
{
    const QPoint cursor = m_context.cursorPosition ? m_context.cursorPosition() : QCursor::pos();
    list.clear();
    runRegistrySequence(OpenMode::OpenOnly, [&](SettingsKey& key) { readRecentSlots(key, list, slotName); });

    int shown = 0;
    for (int k = 0; k < qMin(int(list.size()), Reg::kRecentSlots); ++k) {
        if (list.at(k).isEmpty())
            continue; // an item once shown stays as it was
        ++shown;
        menu.separator->setVisible(true);
        menu.items.at(k)->setVisible(true);
        menu.items.at(k)->setText(recentItemCaption(k + 1, list.at(k)));
    }
    // A popup taller than the designed lift (rows of another height, the Grep item the file popup
    // has gained) is lifted by its own height instead, so that it never covers the cursor.
    const QPoint corner = popupCorner(cursor, shown);
    menu.menu->popup(QPoint(corner.x(), qMin(corner.y(), cursor.y() - menu.menu->sizeHint().height() - 1)));
}

void TForm1::Open1Click()
{
    Dialogs& dialogs = m_context.dialogs;
    runRegistrySequence(OpenMode::OpenOnly, [this](SettingsKey& key) {
        const QString folder = key.readString(Reg::MDirSave);
        const qint32 filterIndex = key.readInteger(Reg::MFindexNo1);
        m_openDialog1.filterIndex = filterIndex;
        m_openDialog1.initialFolder = folder;
    });
    // The dialog keeps the filter the user picks, but it is not stored in the settings.
    if (!dialogs.openFile(m_openDialog1))
        return;
    const QString chosen = m_openDialog1.fileName;
    runRegistrySequence(OpenMode::OpenOnly, applyCascadeStep);
    if (m_rememberFile)
        m_rememberFile(chosen);
    if (passesAlreadyOpenProbe(dialogs, chosen))
        startEditor(chosen);
}

void TForm1::Sdi1Click()
{
    runRegistrySequence(m_context.dialogs, OpenMode::OpenOnly, kLauncherRegistryReadFailed, applyCascadeStep);
    startEditor(QString());
}

void TForm1::Grep1Click()
{
    runRegistrySequence(m_context.dialogs, OpenMode::OpenOnly, kLauncherRegistryReadFailed, applyCascadeStep);
    // An editor that asks for the conditions: the dialog and the result belong to its window.
    m_context.processes->startGrepEditor({});
}

void TForm1::MRUClick(int index)
{
    // A later read may have stopped short of an item that is still shown: such an item starts nothing.
    if (index >= m_mruList.size())
        return;
    runRegistrySequence(m_context.dialogs, OpenMode::OpenOnly, kLauncherRegistryReadFailed, applyCascadeStep);
    const QString path = m_mruList.at(index);
    if (passesAlreadyOpenProbe(m_context.dialogs, path))
        startEditor(path);
}

void TForm1::MMMClick(int index)
{
    if (index >= m_mmmList.size())
        return;
    m_openDialog1.initialFolder = m_mmmList.at(index);
    if (!m_context.dialogs.openFile(m_openDialog1))
        return;
    const QString chosen = m_openDialog1.fileName;
    runRegistrySequence(m_context.dialogs, OpenMode::OpenCreating, kRegistryWriteFailed, applyCascadeStep);
    // Another program may hold the file: opening from a folder deliberately skips the probe.
    startEditor(chosen);
}

void TForm1::Exit1Click()
{
    m_trayIcon->hide();
    close();
}

void TForm1::startEditor(const QString& filePath)
{
    Q_ASSERT(m_context.processes);
    m_context.processes->startEditor(filePath);
}

void TForm1::FormCloseQuery()
{
    runRegistrySequence(m_context.dialogs, OpenMode::OpenCreating, kRegistryWriteFailed, [this](SettingsKey& key) {
        if (key.readString(Reg::MDLFLG) == QLatin1String("d")) {
            // The removal request: leave a mark that it was seen, then remove every setting.
            key.writeString(Reg::MDLFLG, QStringLiteral(" "));
            key.deleteKeyTree();
            return;
        }
        // A list that could not be read at all writes nothing, the folders included.
        if (!m_mruList.isEmpty())
            writeRecentLists(key, m_mruList, m_mmmList);
    });
}

void TForm1::closeEvent(QCloseEvent* event)
{
    FormCloseQuery();
    event->accept();
    Q_EMIT closed();
}
