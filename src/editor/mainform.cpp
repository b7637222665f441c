// SPDX-License-Identifier: MIT
#include "mainform.h"

#include "app/dialogs.h"
#include "app/errorreport.h"
#include "documenteditor.h"
#include "editorsettings.h"
#include "editortexts.h"
#include "plaintextview.h"
#include "recentlists.h"
#include "settings/settingstable.h"
#include "settings/settingstexts.h"
#include "settingsrestorer.h"
#include "textfileloader.h"
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
#include <QMimeData>

namespace {
// Only the last local file of a drop is opened.
QString lastLocalFile(const QMimeData* mime)
{
    QString last;
    if (!mime || !mime->hasUrls())
        return last;
    for (const QUrl& url : mime->urls()) {
        if (url.isLocalFile())
            last = url.toLocalFile();
    }
    return last;
}

bool isRtfName(const QString& fileName)
{
    return fileName.endsWith(QLatin1String(".rtf"), Qt::CaseInsensitive);
}
} // namespace

TMainForm::TMainForm(AppContext context, QStringList arguments, QWidget* parent)
    : QMainWindow(parent)
    , m_context(std::move(context))
    , m_arguments(std::move(arguments))
{
    setObjectName(QStringLiteral("MainForm"));
    setWindowTitle(kDesignedCaption);
    buildMainFormUi(this, m_ui);
    setOuterGeometry(*this, QRect(kDesignedLeft, kDesignedTop, kDesignedWidth, kDesignedHeight));

    m_rulerGutter = new RulerGutter(
        RulerGutterControls { m_ui.Ruler, m_ui.Label1, m_ui.Panel4, m_ui.Label3, m_ui.VRuler, m_ui.VG, m_ui.RichEdit2,
                              m_ui.Memo1 },
        this);
    m_position = new PositionDisplay(m_ui.RichEdit2, m_ui.Memo1, m_ui.Panel1, m_rulerGutter, this);
    connectCommands();
    FormCreate();
}

TMainForm::~TMainForm()
{
    FormDestroy();
}

void TMainForm::connectCommands()
{
    connect(m_ui.FileExitItem, &QAction::triggered, this, &TMainForm::FileExit);
    connect(m_ui.RichEdit2, &DocumentEditor::filesDropped, this, [this](const QString& path) {
        runReported(m_context.dialogs, [&] { loadDroppedFile(path); });
    });
}

void TMainForm::FormCreate()
{
    // Anything that escapes a step is reported, and the steps after it are skipped.
    runReported(m_context.dialogs, [this] {
        m_recentFiles.clear();
        m_recentFolders.clear();
        m_ui.Memo1->hide();
        m_ui.RichEdit2->show();
        m_ui.RichEdit2->clear();
        m_executableFolder = folderOf(QCoreApplication::applicationFilePath());
        m_ui.RichEdit2->setSelection(0, 0);
        m_commandLineFile = m_arguments.join(QLatin1Char(' '));
        loadCommandLineFile();
        restoreSettings();

        m_ui.N5->setChecked(false);
        m_ui.RichEdit2->setWordWrap(false);
        setAcceptDrops(true);
        m_rulerGutter->checkRulerVisibility();
        // The caret blinks 500 ms on and 500 ms off; the desktop's own setting is left alone.
        QApplication::setCursorFlashTime(1000);
        m_ui.Panel1->insertField()->setText(kInsertModeText);
        if (!m_commandLineFile.isEmpty()) {
            rememberEntry(m_recentFiles, m_commandLineFile);
            rememberEntry(m_recentFolders, folderOf(m_commandLineFile));
        }
        m_rulerGutter->applyLineNumberSwitch();
        m_rulerGutter->fitRulerHeight();
    });
}

void TMainForm::loadCommandLineFile()
{
    if (!m_commandLineFile.isEmpty()) {
        const TextLoadResult loaded = loadDocumentFile(m_commandLineFile);
        if (loaded.ok) {
            m_ui.RichEdit2->setText(loaded.text);
            m_ui.RichEdit2->setModified(false);
            setDocumentTitle(m_commandLineFile);
            return;
        }
        // A file that cannot be read must not cost the user the stored settings: the window
        // reports it and comes up as if started without a file.
        m_context.dialogs.message(loaded.error, Dialogs::Icon::Critical);
        m_commandLineFile.clear();
    }
    setDocumentTitle(m_executableFolder);
}

void TMainForm::restoreSettings()
{
    SettingsRestorer restorer(*this, m_ui, m_context.screenGeometry(), !m_commandLineFile.isEmpty());
    const QString fallbackFailure = restorer.run();
    m_recentFiles = restorer.recentFiles();
    m_recentFolders = restorer.recentFolders();
    m_filterIndex = restorer.filterIndex();
    m_tabWidth = restorer.tabWidth();
    if (!fallbackFailure.isEmpty())
        throw std::runtime_error(fallbackFailure.toStdString());
}

void TMainForm::setDocumentTitle(const QString& fileName)
{
    QString absolute = QDir::cleanPath(QDir::current().absoluteFilePath(fileName));
    if (fileName.endsWith(QLatin1Char('/')) && !absolute.endsWith(QLatin1Char('/')))
        absolute += QLatin1Char('/');
    setWindowTitle(QStringLiteral("[ %1 ]-%2").arg(absolute, kVersionCaption));
    m_currentFileName = fileName;
    m_currentFolder = folderOf(fileName);
    m_applicationTitle = fileName.mid(fileName.lastIndexOf(QLatin1Char('/')) + 1);
    m_ui.Ruler->setVisible(!isRtfName(fileName));
    m_ui.N3->setEnabled(true);
    m_rulerGutter->checkRulerVisibility();
}

void TMainForm::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

void TMainForm::FormShow()
{
    if (!isRtfName(m_currentFileName)) {
        int fontSize = 0;
        runRegistrySequence(m_context.dialogs, OpenMode::OpenCreating, kFontSettingsReadFailed,
                            [&](SettingsKey& key) { fontSize = key.readInteger(Reg::MFontSize); });
        m_rulerGutter->showPlainRuler(fontSize);
    }
    m_rulerGutter->refreshGutter();
}

void TMainForm::closeEvent(QCloseEvent* event)
{
    if (!FormCloseQuery()) {
        event->ignore();
        return;
    }
    event->accept();
    Q_EMIT closed();
}

bool TMainForm::FormCloseQuery()
{
    const QRect outer = frameGeometry();
    const QFileInfo executable(QCoreApplication::applicationFilePath());
    WindowCloseState state;
    state.top = outer.top();
    state.left = outer.left();
    state.height = outer.height();
    state.width = outer.width();
    state.filterIndex = m_filterIndex;
    state.executableName = executable.fileName();
    state.executableFolder = folderOf(executable.filePath());
    state.toolBarShown = !m_ui.CoolBar1->isHidden();
    state.launcherAtNextStart = m_ui.OP_str->isChecked();
    state.lineNumbers = m_ui.VG->isChecked();
    state.recentFiles = m_recentFiles;
    state.recentFolders = m_recentFolders;
    runRegistrySequence(m_context.dialogs, OpenMode::OpenCreating, kRegistryWriteFailed,
                        [&](SettingsKey& key) { writeCloseState(key, state); });
    return true;
}

void TMainForm::FormDestroy()
{
    // The controllers must not hear from editors that are being torn down.
    m_ui.RichEdit2->disconnect(this);
    m_ui.RichEdit2->disconnect(m_rulerGutter);
    m_ui.RichEdit2->disconnect(m_position);
    m_ui.Memo1->disconnect(m_position);
}

void TMainForm::FileExit()
{
    close();
}

void TMainForm::writeEditorSettings()
{
    EditorSettings settings;
    settings.dialogFolder = folderOf(m_openDialog.fileName);
    settings.font = StoredFont::from(m_ui.RichEdit2->editorFont(), m_ui.RichEdit2->textColour(),
                                     m_ui.RichEdit2->logicalDpiY());
    settings.lineNumbers = m_ui.VG->isChecked();
    settings.filterIndex = m_openDialog.filterIndex;
    settings.recentFiles = m_recentFiles;
    settings.recentFolders = m_recentFolders;
    runRegistrySequence(m_context.dialogs, OpenMode::OpenCreating, kRegistryWriteFailed,
                        [&](SettingsKey& key) { ::writeEditorSettings(key, settings); });
}

void TMainForm::resizeEvent(QResizeEvent* event)
{
    QMainWindow::resizeEvent(event);
    m_position->FormResize();
}

void TMainForm::paintEvent(QPaintEvent* event)
{
    QMainWindow::paintEvent(event);
    m_rulerGutter->refreshGutter();
}

void TMainForm::dragEnterEvent(QDragEnterEvent* event)
{
    if (!lastLocalFile(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void TMainForm::dropEvent(QDropEvent* event)
{
    const QString path = lastLocalFile(event->mimeData());
    if (path.isEmpty())
        return;
    event->acceptProposedAction();
    runReported(m_context.dialogs, [&] { loadDroppedFile(path); });
}

void TMainForm::loadDroppedFile(const QString& path)
{
    const TextLoadResult loaded = loadDocumentFile(path);
    if (!loaded.ok) {
        m_context.dialogs.message(loaded.error, Dialogs::Icon::Critical);
        return;
    }
    m_ui.Memo1->hide();
    m_ui.RichEdit2->show();
    m_ui.RichEdit2->setText(loaded.text);
    m_currentFolder = folderOf(path);
    setDocumentTitle(path);
    rememberEntry(m_recentFiles, path);
    rememberEntry(m_recentFolders, folderOf(path));
    m_openDialog.fileName = path;
    writeEditorSettings();
    m_ui.RichEdit2->setModified(false);
}
