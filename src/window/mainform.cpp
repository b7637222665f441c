// SPDX-License-Identifier: MIT
#include "mainform.h"

#include "recoverykeeper.h"

#include "browser/worktree.h"
#include "colouringswitch.h"
#include "document/document.h"
#include "document/documenteditor.h"
#include "document/editortext.h"
#include "document/editortexts.h"
#include "document/recentlists.h"
#include "documentcontroller.h"
#include "editorfeatures.h"
#include "editorsettings.h"
#include "encodingmenu.h"
#include "formats/documentio.h"
#include "grepcommands.h"
#include "instancecommands.h"
#include "launcher/editorlaunch.h"
#include "linejump.h"
#include "loadinputguard.h"
#include "recentfiles.h"
#include "settings/settingstable.h"
#include "settings/settingstexts.h"
#include "settingsrestorer.h"
#include "ui/dialogs.h"
#include "ui/errorreport.h"
#include "view/positiondisplay.h"
#include "view/rulergutter.h"
#include "view/statusrow.h"
#include "view/viewtexts.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QDragEnterEvent>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QTreeWidget>

#include <utility>

namespace {
// From this size on, a file named on the command line loads after the window is shown.
constexpr qint64 kLoadAfterShowBytes = qint64(32) << 20;
} // namespace

TMainForm::TMainForm(AppContext context, QStringList arguments, QWidget* parent)
    : QMainWindow(parent)
    , m_context(std::move(context))
    , m_arguments(std::move(arguments))
{
    setObjectName(QStringLiteral("MainForm"));
    setWindowRole(kEditorWindowRole);
    setWindowTitle(kDesignedCaption);
    buildMainFormUi(this, m_ui);
    setOuterGeometry(*this, QRect(kDesignedLeft, kDesignedTop, kDesignedWidth, kDesignedHeight));

    m_rulerGutter = new RulerGutter(RulerGutterControls { .Ruler = m_ui.Ruler,
                                                          .Label1 = m_ui.Label1,
                                                          .Panel4 = m_ui.Panel4,
                                                          .Label3 = m_ui.Label3,
                                                          .VRuler = m_ui.commands[Command::VRuler],
                                                          .VG = m_ui.commands[Command::VG],
                                                          .RichEdit2 = m_ui.RichEdit2 },
                                    this);
    m_position = new PositionDisplay(m_ui.RichEdit2, m_ui.Panel1, m_rulerGutter, this);
    m_recent = new RecentFiles(m_ui.MRU, m_ui.MRUSeparator, this);
    m_text = std::make_unique<EditorText>(*m_ui.RichEdit2);
    m_document = new Document(*m_text, this);
    m_text->attach(*m_document);
    connect(m_document, &Document::loadingChanged, new LoadInputGuard(this, this), &LoadInputGuard::setLoading);
    m_documents = new DocumentController(DocumentControls { .window = this,
                                                            .RichEdit2 = m_ui.RichEdit2,
                                                            .Ruler = m_ui.Ruler,
                                                            .N3 = m_ui.commands[Command::N3],
                                                            .CoolTree = m_ui.commands[Command::CoolTree],
                                                            .messageField = m_ui.Panel1->messageField() },
                                         *m_document, m_rulerGutter, m_recent, m_context.dialogs, this);
    connect(m_documents, &DocumentController::editorSettingsChanged, this, &TMainForm::writeEditorSettings);
    m_encodings = new EncodingMenu(*m_documents, m_context.dialogs, this);
    addEncodingMenu();
    connect(m_documents, &DocumentController::loadStopped, this, [this] {
        if (m_closeAfterLoad)
            QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection);
    });
    m_recovery = new RecoveryKeeper(m_ui.RichEdit2, m_document, this);
    connect(m_documents, &DocumentController::unsavedTextDropped, m_recovery, &RecoveryKeeper::discard);
    m_instances = new InstanceCommands(this, m_context.dialogs, m_context.processes, m_documents->openDialog(),
                                       m_recent, this);
    m_features = new EditorFeatures(*this, featureControls(), m_context.dialogs);
    m_colouring = new ColouringSwitch(m_ui.commands[Command::ColorSyntax], m_ui.RichEdit2, m_context.dialogs, this);
    m_grep = new GrepCommands(
        GrepControls { .RichEdit2 = m_ui.RichEdit2, .window = this, .messageField = m_ui.Panel1->messageField() },
        *m_documents, *m_features, m_context.dialogs, m_context.processes, this);
    m_jump = std::make_unique<LineJump>(*m_ui.RichEdit2, *m_features, m_context.dialogs);
    connectCommands();
    FormCreate();
}

FeatureControls TMainForm::featureControls() const
{
    const CommandActions& c = m_ui.commands;
    return FeatureControls {
        .RichEdit2 = m_ui.RichEdit2,
        .Panel1 = m_ui.Panel1,
        .ToolBar1 = m_ui.ToolBar1,
        .Ruler = m_ui.Ruler,
        .Panel4 = m_ui.Panel4,
        .tree = { .CoolBar2 = m_ui.CoolBar2,
                  .Label2 = m_ui.Label2,
                  .Tree = m_ui.Tree,
                  .CoolTree = c[Command::CoolTree],
                  .ToolButton9 = c.tool[size_t(Command::ToolButton9)],
                  .PopupMenu1 = m_ui.PopupMenu1,
                  .filterItems = m_ui.treeFilterItems },
        .preview = { .F_PVew = c[Command::F_PVew],
                     .Panel3 = m_ui.Panel3,
                     .pageButtons = m_ui.Buttons,
                     .PopupMenu3 = m_ui.PopupMenu3,
                     .zoomItems = m_ui.previewZoomItems,
                     .QRPreview1 = m_ui.QRPreview1 },
        .edit = { .RichEdit2 = m_ui.RichEdit2,
                  .PopFont = c.popup[size_t(Command::N3)],
                  .N5 = c[Command::N5],
                  .CoolBarVew = c[Command::CoolBarVew],
                  .CoolBar1 = m_ui.CoolBar1,
                  .ToolBar1 = m_ui.ToolBar1,
                  .messageField = m_ui.Panel1->messageField() },
    };
}

TMainForm::~TMainForm()
{
    FormDestroy();
}

void TMainForm::connectCommands()
{
    m_targets = CommandTargets { this,
                                 m_documents,
                                 m_instances,
                                 &m_features->editCommands(),
                                 &m_features->printing(),
                                 &m_features->search(),
                                 m_grep,
                                 m_jump.get(),
                                 &m_context.dialogs,
                                 m_ui.commands[Command::OP_str] };
    connectCommandTable(m_ui.commands, m_targets, this);
    connect(m_ui.FileMenu, &QMenu::aboutToShow, m_recent, &RecentFiles::FileMenuClick);
    connect(m_recent, &RecentFiles::recentChosen, this,
            [this](int, const QString& path) { runReported(m_context.dialogs, [&] { m_documents->MRUClick(path); }); });
    connect(m_ui.RichEdit2, &DocumentEditor::modificationChanged, this, &QWidget::setWindowModified);
    // Typing over the text must never go unnoticed.
    connect(m_ui.RichEdit2, &DocumentEditor::overtypeChanged, this, [this](bool overtype) {
        m_ui.Panel1->insertField()->setText(overtype ? kOvertypeModeText : kInsertModeText);
    });
    connect(m_document, &Document::loaded, m_position, &PositionDisplay::showDocumentPosition);
    connect(m_features, &EditorFeatures::caretMovedByCommand, m_position, &PositionDisplay::RichEdit2KeyUp);
    connect(m_ui.RichEdit2, &DocumentEditor::filesDropped, this,
            [this](const QString& path) { runReported(m_context.dialogs, [&] { loadDroppedFile(path); }); });
}

void TMainForm::addEncodingMenu()
{
    m_ui.commands[Command::ReopenWithEncodingItem]->setMenu(m_encodings->reopenMenu());
    m_ui.commands[Command::SaveWithEncodingItem]->setMenu(m_encodings->saveMenu());
    const auto showFormat = [this](const pemmo::formats::TextFormat& format) {
        m_ui.Panel1->formatField()->setText(EncodingMenu::formatText(format));
    };
    showFormat(m_document->format());
    connect(m_document, &Document::formatChanged, this, showFormat);
    connect(m_ui.Panel1, &StatusRow::formatFieldClicked, m_encodings, &EncodingMenu::popup);
}

void TMainForm::FormCreate()
{
    // Anything that escapes a step is reported, and the steps after it are skipped.
    runReported(m_context.dialogs, [this] {
        m_recent->setLists({}, {});
        m_ui.RichEdit2->show();
        m_ui.RichEdit2->clear();
        m_executableFolder = folderOf(QCoreApplication::applicationFilePath());
        m_ui.RichEdit2->setSelection(0, 0);
        // Every name the window holds is absolute: the tree, the recent list and later saves
        // must not depend on the folder the shell was in.
        const QString typed = m_arguments.join(QLatin1Char(' '));
        m_commandLineFile = typed.isEmpty() ? typed : QDir::cleanPath(QDir::current().absoluteFilePath(typed));
        loadCommandLineFile();
        restoreSettings();
        m_colouring->restore();

        m_ui.commands[Command::N5]->setChecked(false);
        m_ui.RichEdit2->setWordWrap(false);
        setAcceptDrops(true);
        m_rulerGutter->checkRulerVisibility();
        // The caret blinks 500 ms on and 500 ms off; the desktop's own setting is left alone.
        QApplication::setCursorFlashTime(1000);
        m_ui.Panel1->insertField()->setText(kInsertModeText);
        if (!m_commandLineFile.isEmpty() && !m_commandLineLoadPending)
            m_recent->rememberFile(m_commandLineFile);
        m_rulerGutter->applyLineNumberSwitch();
        m_rulerGutter->fitRulerHeight();
    });
}

void TMainForm::loadCommandLineFile()
{
    if (!m_commandLineFile.isEmpty()) {
        // A name that does not exist yet is a new file under that name, as with any editor.
        if (m_documents->startNewFile(m_commandLineFile)) {
            setDocumentTitle(m_commandLineFile);
            return;
        }
        // A large file waits until the window is up: it then shows at once and says how far the
        // load has come, instead of appearing only when the load is over.
        const QFileInfo file(m_commandLineFile);
        if (file.isFile() && file.isReadable() && file.size() >= kLoadAfterShowBytes &&
            file.size() <= pemmo::formats::editableSizeLimit()) {
            m_commandLineLoadPending = true;
            setDocumentTitle(m_commandLineFile);
            QMetaObject::invokeMethod(this, &TMainForm::loadPendingCommandLineFile, Qt::QueuedConnection);
            return;
        }
        if (m_documents->loadIntoDocumentEditor(m_commandLineFile)) {
            setDocumentTitle(m_commandLineFile);
            return;
        }
        // A file that cannot be read must not cost the user the stored settings: the window
        // has said why and comes up as if started without a file.
        m_commandLineFile.clear();
    }
    setDocumentTitle(m_executableFolder);
}

void TMainForm::goToCommandLinePlace(const LinePlace& place)
{
    if (m_commandLineFile.isEmpty())
        return;
    if (m_commandLineLoadPending)
        m_pendingPlace = place;
    else
        m_jump->jumpTo(place);
}

void TMainForm::loadPendingCommandLineFile()
{
    if (!m_commandLineLoadPending)
        return;
    m_commandLineLoadPending = false;
    if (m_documents->loadIntoDocumentEditor(m_commandLineFile)) {
        setDocumentTitle(m_commandLineFile);
        m_recent->rememberFile(m_commandLineFile);
        if (const std::optional<LinePlace> place = std::exchange(m_pendingPlace, std::nullopt))
            m_jump->jumpTo(*place);
        return;
    }
    // As when the load fails at the start: the window goes on as if started without a file.
    m_commandLineFile.clear();
    setDocumentTitle(m_executableFolder);
}

void TMainForm::restoreSettings()
{
    const CommandActions& c = m_ui.commands;
    SettingsRestorer restorer(*this,
                              RestoredControls { .RichEdit2 = m_ui.RichEdit2,
                                                 .CoolBar1 = m_ui.CoolBar1,
                                                 .CoolBarVew = c[Command::CoolBarVew],
                                                 .OP_str = c[Command::OP_str],
                                                 .VG = c[Command::VG] },
                              m_context.screenGeometry(), !m_commandLineFile.isEmpty(),
                              m_context.otherEditorFrames ? m_context.otherEditorFrames() : QList<QRect>());
    const QString fallbackFailure = restorer.run();
    m_recent->setLists(restorer.recentFiles(), restorer.recentFolders());
    m_documents->setFilterIndex(restorer.filterIndex());
    m_tabWidth = restorer.tabWidth();
    m_restoredOuter = restorer.outerGeometry();
    if (!fallbackFailure.isEmpty())
        throw std::runtime_error(fallbackFailure.toStdString());
}

void TMainForm::setDocumentTitle(const QString& fileName)
{
    m_documents->setTitle(fileName);
}

void TMainForm::restoreBackup(const QString& backupPath)
{
    runReported(m_context.dialogs, [this, &backupPath] { m_documents->restoreBackup(backupPath); });
}

void TMainForm::rememberFile(const QString& path)
{
    m_recent->rememberFile(path);
}

void TMainForm::restoreRecovery(const QString& lockPath)
{
    // Held from before the load: no other start offers the copy while this window reads it.
    if (!m_recovery->adopt(lockPath)) {
        m_context.dialogs.message(kRecoveryUnavailable.arg(QDir::toNativeSeparators(lockPath)), Dialogs::Icon::Warning);
        return;
    }
    bool restored = false;
    runReported(m_context.dialogs, [&] { restored = m_documents->restoreRecovery(lockPath); });
    if (!restored)
        m_recovery->release();
}

void TMainForm::preserveUnsavedWork()
{
    m_recovery->preserveNow();
}

void TMainForm::changeEvent(QEvent* event)
{
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        runReported(m_context.dialogs, [this] { m_document->checkDisk(); });
}

QString TMainForm::currentFileName() const
{
    return m_documents->currentFileName();
}

QString TMainForm::currentFolder() const
{
    return m_documents->currentFolder();
}

QString TMainForm::applicationTitle() const
{
    return m_documents->applicationTitle();
}

QStringList TMainForm::recentFiles() const
{
    return m_recent->files();
}

QStringList TMainForm::recentFolders() const
{
    return m_recent->folders();
}

int TMainForm::filterIndex() const
{
    return m_documents->filterIndex();
}

FileDialogState& TMainForm::openDialog()
{
    return m_documents->openDialog();
}

void TMainForm::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

void TMainForm::FormShow()
{
    if (!pemmo::formats::isRtfFileName(currentFileName())) {
        int fontSize = 0;
        runRegistrySequence(m_context.dialogs, OpenMode::OpenCreating, kFontSettingsReadFailed,
                            [&](SettingsKey& key) { fontSize = key.readInteger(Reg::MFontSize); });
        m_rulerGutter->showPlainRuler(fontSize);
    }
    m_rulerGutter->refreshGutter();
}

void TMainForm::closeEvent(QCloseEvent* event)
{
    if (m_document->isLoading()) {
        // Closing during a load stops it and closes without a question or a write, once the
        // load has wound down.
        m_closeAfterLoad = true;
        m_document->stopLoading();
        event->ignore();
        return;
    }
    if (m_closeAfterLoad) {
        event->accept();
        Q_EMIT closed();
        return;
    }
    if (!FormCloseQuery()) {
        event->ignore();
        return;
    }
    event->accept();
    Q_EMIT closed();
}

bool TMainForm::FormCloseQuery()
{
    if (!m_documents->savePrompt())
        return false;
    const QRect outer = frameGeometry();
    const QFileInfo executable(QCoreApplication::applicationFilePath());
    WindowCloseState state;
    state.top = outer.top();
    state.left = outer.left();
    state.height = outer.height();
    state.width = outer.width();
    state.filterIndex = filterIndex();
    state.executableName = executable.fileName();
    state.executableFolder = folderOf(executable.filePath());
    state.toolBarShown = !m_ui.CoolBar1->isHidden();
    state.launcherAtNextStart = m_ui.commands[Command::OP_str]->isChecked();
    state.lineNumbers = m_ui.commands[Command::VG]->isChecked();
    state.recentFiles = recentFiles();
    state.recentFolders = recentFolders();
    runRegistrySequence(m_context.dialogs, OpenMode::OpenCreating, kRegistryWriteFailed,
                        [&](SettingsKey& key) { writeCloseState(key, state); });
    return true;
}

void TMainForm::FormDestroy()
{
    // The controllers must not hear from editors that are being torn down.
    m_ui.RichEdit2->disconnect(this);
    m_ui.RichEdit2->disconnect(m_document);
    m_ui.RichEdit2->disconnect(m_rulerGutter);
    m_ui.RichEdit2->disconnect(m_position);
    m_ui.Tree->disconnect(&m_features->workTree());
}

void TMainForm::FileExit()
{
    close();
}

void TMainForm::writeEditorSettings()
{
    EditorSettings settings;
    settings.dialogFolder = folderOf(openDialog().fileName);
    settings.font = StoredFont::from(m_ui.RichEdit2->editorFont(), m_ui.RichEdit2->textColour(),
                                     m_ui.RichEdit2->logicalDpiY());
    settings.lineNumbers = m_ui.commands[Command::VG]->isChecked();
    settings.filterIndex = openDialog().filterIndex;
    settings.recentFiles = recentFiles();
    settings.recentFolders = recentFolders();
    runRegistrySequence(m_context.dialogs, OpenMode::OpenCreating, kRegistryWriteFailed,
                        [&](SettingsKey& key) { ::writeEditorSettings(key, settings); });
}

void TMainForm::fitRestoredFrame()
{
    // A window manager tells the frame's size only once the window is mapped, and the stored size is
    // the outer one: give it again then, or every close would store a window one frame larger. Once
    // the window has been moved or resized by anyone else, that wins.
    if (!m_restoredOuter.isValid() || !isVisible())
        return;
    if (pos() != m_restoredOuter.topLeft() || size() != m_restoredOuter.size()) {
        m_restoredOuter = QRect();
        return;
    }
    if (frameGeometry().size() != geometry().size())
        setOuterGeometry(*this, std::exchange(m_restoredOuter, QRect()));
}

void TMainForm::moveEvent(QMoveEvent* event)
{
    QMainWindow::moveEvent(event);
    fitRestoredFrame();
}

void TMainForm::resizeEvent(QResizeEvent* event)
{
    QMainWindow::resizeEvent(event);
    fitRestoredFrame();
    m_position->FormResize();
}

void TMainForm::paintEvent(QPaintEvent* event)
{
    QMainWindow::paintEvent(event);
    m_rulerGutter->refreshGutter();
}

void TMainForm::dragEnterEvent(QDragEnterEvent* event)
{
    if (!DocumentEditor::lastDroppedFile(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void TMainForm::dropEvent(QDropEvent* event)
{
    const QString path = DocumentEditor::lastDroppedFile(event->mimeData());
    if (path.isEmpty())
        return;
    event->acceptProposedAction();
    runReported(m_context.dialogs, [&] { loadDroppedFile(path); });
}

void TMainForm::loadDroppedFile(const QString& path)
{
    m_documents->dropFile(path);
}
