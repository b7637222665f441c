// SPDX-License-Identifier: MIT
#include "documentcontroller.h"

#include "document/documenteditor.h"
#include "document/documentnames.h"
#include "document/editortexts.h"
#include "document/plaintextview.h"
#include "document/recentlists.h"
#include "formats/documentio.h"
#include "formats/filewriter.h"
#include "formats/formattexts.h"
#include "formats/recoverystore.h"
#include "platform/checkedfile.h"
#include "recentfiles.h"
#include "settings/settingskey.h"
#include "settings/settingstable.h"
#include "settings/settingstexts.h"
#include "ui/busycursor.h"
#include "ui/errorreport.h"
#include "view/rulergutter.h"
#include "view/statusrow.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QFrame>
#include <QLabel>
#include <QScopedValueRollback>
#include <QScrollBar>
#include <QThread>
#include <QTimer>

#include <atomic>
#include <memory>
#include <optional>

using namespace pemmo::formats;

namespace {

// Past this long a load or save tells the user what is going on.
constexpr qint64 kFeedbackDelayMs = 500;
// A repaint in the middle of a load paints the whole window; a few a second are enough to see.
constexpr qint64 kFeedbackIntervalMs = 250;
// How often the message field looks at a load's progress while the decoding runs elsewhere.
constexpr int kFeedbackTickMs = 50;
// A document this long (in characters) takes about that long to save.
constexpr int kLongSaveCharacters = 4 * 1024 * 1024;
// A load's decoding stops to look whether it should end after every slice; a slice takes a
// few tens of milliseconds, and the per-slice costs stay small.
constexpr qsizetype kLoadSliceBytes = 4 * 1024 * 1024;

/**
 * Says in the message field what a long operation is doing, and puts the field's text back
 * when it ends. The work blocks the event loop, so the field is repainted at once.
 */
class ProgressMessage final
{
public:
    explicit ProgressMessage(QLabel* field)
        : m_field(field)
        , m_previous(field->text())
    {
        m_clock.start();
    }
    ~ProgressMessage()
    {
        if (m_shown)
            show(m_previous);
    }
    ProgressMessage(const ProgressMessage&) = delete;
    ProgressMessage& operator=(const ProgressMessage&) = delete;

    void show(const QString& text)
    {
        m_shown = true;
        m_lastShownMs = m_clock.elapsed();
        // A long path gives way in its middle, so that what is going on and how far it has
        // come stay readable at the end of the field.
        const int room = m_field->contentsRect().width() - 2 * m_field->margin() - 4;
        m_field->setText(room > 0 ? m_field->fontMetrics().elidedText(text, Qt::ElideMiddle, room) : text);
        m_field->repaint();
    }
    /** Shows @p text once the operation has run past the feedback delay, a few times a second. */
    void showWhenLong(const QString& text)
    {
        const qint64 now = m_clock.elapsed();
        if (now >= kFeedbackDelayMs && (!m_shown || now - m_lastShownMs >= kFeedbackIntervalMs))
            show(text);
    }

private:
    QLabel* m_field;
    QString m_previous;
    QElapsedTimer m_clock;
    qint64 m_lastShownMs = 0;
    bool m_shown = false;
};

/**
 * Runs @p work on a thread of its own and keeps the window painting, and closable, until it has
 * run; @p tick is called now and then meanwhile. Clicks and keys wait, as for the rest of a load.
 */
void runWhileAnswering(const std::function<void()>& work, const std::function<void()>& tick)
{
    std::atomic<bool> done = false;
    QObject waker;
    std::unique_ptr<QThread> worker(QThread::create([&] {
        work();
        done = true;
        // Wakes the loop below at once, instead of at the next tick.
        QMetaObject::invokeMethod(
            &waker, [] {}, Qt::QueuedConnection);
    }));
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, &waker, tick);
    ticker.start(kFeedbackTickMs);
    worker->start();
    while (!done)
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents | QEventLoop::WaitForMoreEvents);
    worker->wait();
    // The wake-up call may still be queued for the waker: it must not outlive it.
    QCoreApplication::removePostedEvents(&waker);
}

} // namespace

DocumentController::DocumentController(const DocumentControls& controls, RulerGutter* rulerGutter, RecentFiles* recent,
                                       Dialogs& dialogs, QObject* parent)
    : QObject(parent)
    , m_ui(controls)
    , m_rulerGutter(rulerGutter)
    , m_recent(recent)
    , m_dialogs(dialogs)
{
    m_openDialog.filters = openDialogFilters();
    m_saveDialog.filters = saveDialogFilters();
}

DocumentController::~DocumentController() = default;

void DocumentController::setTitle(const QString& fileName)
{
    // The caption is never cut: a long path shows whole, and the window manager elides it. A "*" stands
    // in front while the text has unsaved changes.
    QString absolute = QDir::cleanPath(QDir::current().absoluteFilePath(fileName));
    if (fileName.endsWith(QLatin1Char('/')) && !absolute.endsWith(QLatin1Char('/')))
        absolute += QLatin1Char('/');
    m_ui.window->setWindowTitle(QStringLiteral("[*][ %1 ]-%2").arg(absolute, kVersionCaption));
    m_currentFileName = fileName;
    m_currentFolder = folderOf(fileName);
    m_applicationTitle = fileName.mid(fileName.lastIndexOf(QLatin1Char('/')) + 1);
    m_dialogs.setApplicationTitle(m_applicationTitle);
    m_ui.Ruler->setVisible(!isRtfFileName(fileName));
    m_ui.RichEdit2->setCodeLanguage(codeLanguageForFileName(fileName));
    m_ui.N3->setEnabled(true);
    m_rulerGutter->checkRulerVisibility();
}

bool DocumentController::savePrompt()
{
    if (!m_ui.RichEdit2->isModified())
        return true;
    using Button = Dialogs::Button;
    switch (m_dialogs.ask(kSavePrompt, { Button::Yes, Button::No, Button::Cancel }, Dialogs::Icon::Question)) {
    case Button::Yes:
        // A save that did not happen (dialog cancelled, write failed) leaves the text unsaved:
        // going on would throw it away.
        return FileSave();
    case Button::No:
        dropRestoredBackup();
        Q_EMIT unsavedTextDropped();
        return true;
    default:
        return false;
    }
}

void DocumentController::setTextFormat(const TextFormat& format)
{
    const bool changed = format != m_format;
    m_format = format;
    m_ui.RichEdit2->setLineBreaksFor(format);
    if (changed)
        Q_EMIT textFormatChanged(m_format);
}

bool DocumentController::loadIntoDocumentEditor(const QString& path)
{
    return load(path, std::nullopt);
}

bool DocumentController::load(const QString& path, std::optional<Encoding> encoding)
{
    // Loads never nest: user input waits while one runs.
    if (m_loading)
        return false;
    const QScopedValueRollback loading(m_loading, true);
    m_stopRequested = false;
    std::optional<BusyCursor> busy(std::in_place);
    ProgressMessage progress(m_ui.messageField);
    // A plain text is decoded, and the editor's document built from it, on a thread of its own
    // while the window paints. The editor is emptied only when the decoding starts: a load that
    // fails before then keeps the previous document.
    std::optional<DocumentEditor::BackgroundPlainTextLoad> plainLoad;
    const qint64 fileBytes = QFileInfo(path).size();
    // The window paints, and can be closed, between pieces and slices; clicks and keys wait for the end.
    const auto keepAnswering = [] { QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents); };
    // How far the decoding is, as a percentage, for the window to show.
    std::atomic<qint64> decodedPercent = 0;
    const auto showProgress = [&progress, &path](qint64 percent) {
        progress.showWhenLong(path + kDocumentLoadingSuffix + QStringLiteral(" (%1%)").arg(percent));
    };
    LoadOptions options;
    options.sliceBytes = kLoadSliceBytes;
    options.plainTextSlices = [&plainLoad](QByteArrayView slice) { plainLoad->append(slice); };
    options.progress = [this, &plainLoad, &decodedPercent, &showProgress](qint64 done, qint64 total) {
        if (plainLoad)
            plainLoad->readSoFar(done, total);
        decodedPercent = total > 0 ? done * 100 / total : 100;
        if (QThread::currentThread() == thread())
            showProgress(decodedPercent);
    };
    options.runDecoding = [this, &plainLoad, fileBytes, &path, &decodedPercent,
                           &showProgress](const std::function<void()>& decode) {
        plainLoad.emplace(*m_ui.RichEdit2, fileBytes, codeLanguageForFileName(path));
        runWhileAnswering(decode, [&] { showProgress(decodedPercent); });
    };
    options.encoding = encoding;
    // A chosen encoding is the user's own decision about the bytes: no second question then.
    if (!encoding) {
        options.confirmBinary = [this, &busy] {
            busy.reset();
            const bool open = m_dialogs.ask(kBinaryFileQuestion, { Dialogs::Button::Yes, Dialogs::Button::No },
                                            Dialogs::Icon::Question) == Dialogs::Button::Yes;
            busy.emplace();
            return open;
        };
    }
    options.betweenReads = keepAnswering;
    options.stopped = [this] { return m_stopRequested.load(); };
    LoadResult loaded = loadDocument(path, options);
    if (loaded.stopped) {
        // What came in so far is not the file: nothing of it stays, and nothing is asked.
        plainLoad.reset();
        m_ui.RichEdit2->clear();
        m_ui.RichEdit2->setModified(false);
        Q_EMIT loadStopped();
        return false;
    }
    if (!loaded.document) {
        busy.reset();
        if (!loaded.cancelled)
            m_dialogs.message(loaded.errorMessage, Dialogs::Icon::Critical);
        return false;
    }
    LoadedDocument& document = *loaded.document;
    endPreview();
    // The alternate editor never holds a document here: whatever the load refuses, it would
    // refuse too, so the document editor stays the shown one.
    m_ui.Memo1->hide();
    m_ui.RichEdit2->show();
    if (document.kind == DocumentKind::RichText) {
        m_ui.RichEdit2->loadRichText(std::move(document.richText));
    } else {
        if (!plainLoad)
            plainLoad.emplace(*m_ui.RichEdit2, fileBytes, codeLanguageForFileName(path));
        if (!plainLoad->finish()) {
            // A text cut short must never pass for the file: nothing of it stays.
            plainLoad.reset();
            m_ui.RichEdit2->clear();
            m_ui.RichEdit2->setModified(false);
            busy.reset();
            m_dialogs.message(kDocumentOutOfMemory.arg(QDir::toNativeSeparators(path)), Dialogs::Icon::Critical);
            return false;
        }
    }
    setTextFormat(document.format);
    m_lossy = document.lossy;
    m_disk.take(path);
    m_unkept = document.unkept;
    m_ui.RichEdit2->setModified(false);
    // The text is whole, but not all of it shows: say so whichever way it was opened.
    showLoadedMessage(QString());
    Q_EMIT documentLoaded();
    return true;
}

void DocumentController::showLoadedMessage(const QString& openedPath)
{
    // That the text does not show whole matters more than which file it is.
    if (m_ui.RichEdit2->shortenedLines() > 0)
        showMessage(kLongLinesShortened.arg(DocumentEditor::kLongLineShownCharacters));
    else if (!openedPath.isEmpty())
        showMessage(openedPath + kDocumentOpenedSuffix);
}

bool DocumentController::startNewFile(const QString& path)
{
    const QFileInfo file(path);
    if (path.endsWith(QLatin1Char('/')) || file.exists() || file.isSymLink() || !QFileInfo(file.absolutePath()).isDir())
        return false;
    endPreview();
    m_ui.Memo1->hide();
    m_ui.RichEdit2->show();
    m_ui.RichEdit2->clear();
    m_ui.RichEdit2->setModified(false);
    m_format = kNewDocumentFormat;
    m_lossy = false;
    // Recorded as absent: a file that another program puts there meanwhile is not overwritten unasked.
    m_disk.take(path);
    return true;
}

bool DocumentController::restoreBackup(const QString& backupPath)
{
    const std::optional<QString> original = backupOriginal(backupPath);
    auto hold = std::make_unique<CheckedFile>();
    if (!original || !hold->openForReading(backupPath) || !hold->tryLock()) {
        m_dialogs.message(kBackupUnavailable.arg(QDir::toNativeSeparators(backupPath)), Dialogs::Icon::Warning);
        return false;
    }
    if (!load(backupPath, std::nullopt))
        return false;
    m_restoredBackup = std::move(hold);
    m_restoredBackupPath = backupPath;
    setTitle(*original);
    // The file holds what the interrupted save left: writing over it is what the user wants.
    m_disk.take(*original);
    m_ui.RichEdit2->setModified(true);
    showMessage(kBackupRestored.arg(*original));
    return true;
}

bool DocumentController::restoreRecovery(const QString& lockPath)
{
    const std::optional<RecoveryNote> note = readRecoveryNote(lockPath);
    if (!note) {
        m_dialogs.message(kRecoveryUnavailable.arg(QDir::toNativeSeparators(lockPath)), Dialogs::Icon::Warning);
        return false;
    }
    if (!load(recoveryCopyPath(lockPath), note->copyEncoding))
        return false;
    // The copy was written as the document's save writes it, or in UTF-8 where that could not
    // hold the text; the document goes back to its own way of being saved either way.
    setTextFormat(note->format);
    m_lossy = note->lossy;
    if (note->originalPath.isEmpty()) {
        m_currentFileName = QStringLiteral(" ");
        m_ui.RichEdit2->setCodeLanguage(CodeLanguage::None);
    } else {
        setTitle(note->originalPath);
    }
    if (note->stampTaken)
        m_disk.restore(note->originalPath, note->stamp);
    else
        m_disk.clear();
    m_noticedDisk.reset();
    m_ui.RichEdit2->setModified(true);
    m_ui.RichEdit2->setSelection(int(qBound<qint64>(0, note->caret, m_ui.RichEdit2->textLength())), 0);
    showMessage(kRecoveryRestored.arg(note->originalPath.isEmpty() ? kUntitledDocument
                                                                   : QDir::toNativeSeparators(note->originalPath)));
    return true;
}

void DocumentController::noticeDiskChanges()
{
    if (m_loading || namesNoFile(m_currentFileName) || !m_disk.taken() || m_disk.path() != m_currentFileName)
        return;
    const std::optional<FileStamp> now = fileStamp(m_currentFileName);
    if (now == m_disk.stamp() || (m_noticedDisk && *m_noticedDisk == now))
        return;
    m_noticedDisk = now;
    const QString path = m_currentFileName;
    if (!now) {
        if (m_disk.stamp())
            showMessage(kFileDeleted.arg(path));
        return;
    }
    if (m_ui.RichEdit2->isModified() &&
        m_dialogs.ask(kReloadModifiedQuestion.arg(path), { Dialogs::Button::Yes, Dialogs::Button::No },
                      Dialogs::Icon::Warning, Dialogs::Button::No) != Dialogs::Button::Yes)
        return;
    // In place: the same encoding, the caret's line and the scroll stay.
    const bool rich = m_ui.RichEdit2->isRichText();
    const int caretLine = m_ui.RichEdit2->lineFromChar(m_ui.RichEdit2->selectionStart());
    const int scroll = m_ui.RichEdit2->verticalScrollBar()->value();
    if (!load(path, rich ? std::nullopt : std::optional(m_format.encoding)))
        return;
    m_noticedDisk.reset();
    const int line = qMin(caretLine, m_ui.RichEdit2->lineCount() - 1);
    m_ui.RichEdit2->setSelection(m_ui.RichEdit2->lineIndex(qMax(0, line)), 0);
    m_ui.RichEdit2->verticalScrollBar()->setValue(scroll);
    showMessage(kReloadedAfterExternalChange.arg(path));
}

void DocumentController::dropRestoredBackup()
{
    if (!m_restoredBackup)
        return;
    m_restoredBackup.reset();
    removeBackup(m_restoredBackupPath);
    m_restoredBackupPath.clear();
}

void DocumentController::endPreview()
{
    if (m_endPreview)
        m_endPreview();
}

void DocumentController::focusUnmodifiedDocumentEditor()
{
    m_ui.RichEdit2->setFocus();
    m_ui.RichEdit2->setModified(false);
}

bool DocumentController::probedLoad(const QString& path)
{
    // A failed trial open (missing, a folder, no access, too large) is exactly a failed load, and
    // the load names the reason; nothing on Linux holds a readable file against readers.
    if (!loadIntoDocumentEditor(path))
        return false;
    focusUnmodifiedDocumentEditor();
    return true;
}

void DocumentController::showMessage(const QString& text)
{
    m_ui.messageField->setText(text);
}

void DocumentController::startGeneratedDocument(const QString& title)
{
    endPreview();
    m_ui.Memo1->hide();
    m_ui.RichEdit2->show();
    m_ui.RichEdit2->setCodeLanguage(CodeLanguage::None);
    m_currentFileName = QStringLiteral(" ");
    m_ui.window->setWindowTitle(QStringLiteral("[*][ %1 ]-%2").arg(title, kVersionCaption));
    setTextFormat(kNewDocumentFormat);
    m_lossy = false;
    m_disk.clear();
    m_unkept.clear();
}

bool DocumentController::holdsUntitledUnchanged() const
{
    return namesNoFile(m_currentFileName) && !m_ui.RichEdit2->isModified() && !m_loading;
}

void DocumentController::FileNew()
{
    if (!savePrompt())
        return;
    endPreview();
    m_ui.Memo1->hide();
    m_ui.RichEdit2->show();
    // One undoable edit: 元に戻す brings the text back after a clear that was a slip.
    m_ui.RichEdit2->removeAllText();
    m_ui.RichEdit2->setModified(false);
    m_ui.RichEdit2->setCodeLanguage(CodeLanguage::None);
    m_currentFileName = QStringLiteral(" ");
    setTextFormat(kNewDocumentFormat);
    m_lossy = false;
    m_disk.clear();
    m_unkept.clear();
}

QString DocumentController::startFolder(const QString& preferred) const
{
    // The stored or current folder wins when it is a real place; the program's own folder never does.
    QStringList candidates { preferred };
    if (m_recent)
        candidates += m_recent->folders();
    return dialogStartFolder(namesNoFile(m_currentFileName) ? QString() : m_currentFileName, candidates,
                             QDir::homePath(), folderOf(QCoreApplication::applicationFilePath()));
}

void DocumentController::FileOpen()
{
    runRegistrySequence(m_dialogs, OpenMode::OpenOnly, QString(), [this](SettingsKey& key) {
        const QString dirSave = key.readString(Reg::MDirSave);
        const qint32 ino = key.readInteger(Reg::MIno);
        m_filterIndex = key.readInteger(Reg::MFindexNo1);
        if (ino != 0) {
            m_openDialog.initialFolder = m_currentFolder;
        } else {
            m_openDialog.initialFolder = dirSave;
            key.writeInteger(Reg::MIno, 1);
        }
    });
    if (!savePrompt())
        return;
    if (m_filterIndex == 0)
        m_filterIndex = 1;
    m_openDialog.filterIndex = m_filterIndex;
    m_openDialog.initialFolder = startFolder(m_openDialog.initialFolder);
    if (m_dialogs.openFile(m_openDialog)) {
        const QString path = m_openDialog.fileName;
        if (!probedLoad(path))
            return;
        m_filterIndex = m_openDialog.filterIndex;
        setTitle(path);
        showLoadedMessage(m_currentFileName);
        m_recent->rememberFile(path);
    }
    if (m_writeEditorSettings)
        m_writeEditorSettings();
    if (m_ui.CoolTree->isChecked() && m_refreshWorkTree)
        m_refreshWorkTree(m_currentFileName);
}

bool DocumentController::undecodedAccepted(SaveOptions& options)
{
    if (!m_lossy)
        return true;
    // Counted now, not at load: typing may have removed some.
    qsizetype undecoded = 0;
    m_ui.RichEdit2->textInSlices(
        [&undecoded](QStringView slice) { undecoded += slice.count(QChar::ReplacementCharacter); });
    using Button = Dialogs::Button;
    // The text may be a misread: saving it by default would make the misreading the file.
    switch (m_dialogs.ask(kLossySaveQuestion.arg(undecoded).arg(encodingName(m_format.encoding)),
                          { Button::Save, Button::Reopen, Button::Cancel }, Dialogs::Icon::Warning, Button::Cancel)) {
    case Button::Save:
        options.replaceUndecoded = true;
        return true;
    case Button::Reopen:
        Q_EMIT encodingChoiceWanted();
        return false;
    default:
        return false;
    }
}

bool DocumentController::writeDocument(const QString& path)
{
    TextFormat format = m_format;
    SaveOptions options { m_lossy, false, false, m_unkept };
    if (!isRtfFileName(path) && !undecodedAccepted(options))
        return false;
    const DocumentEditor* editor = m_ui.RichEdit2;
    DocumentSource source;
    source.document = editor->richDocument();
    source.plainSlices = [editor](const TextSliceSink& sink) { editor->textInSlices(sink); };
    // Busy only while writing: the question below must not wear the wait cursor.
    const auto save = [&] {
        const BusyCursor busy;
        ProgressMessage progress(m_ui.messageField);
        if (editor->textLength() >= kLongSaveCharacters)
            progress.show(path + kDocumentSavingSuffix);
        return saveDocument(path, source, format, options);
    };
    SaveResult result = save();
    if (result.status == SaveStatus::NeedsConfirmation) {
        // Nothing is written until the user agrees: to UTF-8, which holds every character, or,
        // for RTF, to what the save cannot keep.
        using Button = Dialogs::Button;
        const auto answer = m_dialogs.ask(result.message, { Button::Yes, Button::No }, Dialogs::Icon::Question,
                                          result.lossy ? Button::No : Button::Yes);
        if (answer != Button::Yes)
            return false;
        format.encoding = Encoding::Utf8;
        format.bom = false;
        options.allowLoss = true;
        result = save();
    }
    if (result.status != SaveStatus::Saved) {
        m_dialogs.message(result.message, Dialogs::Icon::Critical);
        return false;
    }
    if (!isRtfFileName(path)) {
        setTextFormat(format);
        m_lossy = false;
    }
    m_disk.take(path);
    dropRestoredBackup();
    // What could not be written is gone from the RTF file now; its next save loses nothing more.
    if (isRtfFileName(path))
        m_unkept.clear();
    return true;
}

bool DocumentController::overwriteAccepted(const QString& path)
{
    const QFileInfo file(path);
    if (!file.exists() && !file.isSymLink())
        return true;
    return m_dialogs.ask(kOverwriteExisting.arg(path), { Dialogs::Button::Yes, Dialogs::Button::No },
                         Dialogs::Icon::Warning) == Dialogs::Button::Yes;
}

bool DocumentController::externalChangeAccepted(const QString& path)
{
    if (!m_disk.changedSince(path))
        return true;
    return m_dialogs.ask(kChangedByOtherProgram.arg(path), { Dialogs::Button::Yes, Dialogs::Button::No },
                         Dialogs::Icon::Warning) == Dialogs::Button::Yes;
}

bool DocumentController::FileSave()
{
    if (namesNoFile(m_currentFileName))
        return FileSaveAs();
    if (!externalChangeAccepted(m_currentFileName) || !writeDocument(m_currentFileName))
        return false;
    showMessage(m_currentFileName + kDocumentSavedSuffix);
    m_ui.RichEdit2->setModified(false);
    return true;
}

bool DocumentController::FileSaveAs()
{
    // Only read to see that the settings are there; the dialog starts in the current folder.
    runRegistrySequence(m_dialogs, OpenMode::OpenOnly, kRegistryReadFailed,
                        [](SettingsKey& key) { key.readString(Reg::MDirSave); });
    m_saveDialog.initialFolder = startFolder(m_currentFileName);
    QString name;
    // The question is about the name the file type rule makes, not the name as typed; No goes
    // back to the dialog.
    do {
        if (!m_dialogs.saveFile(m_saveDialog))
            return false;
        name = saveAsName(m_saveDialog.fileName, m_saveDialog.filterIndex);
        m_saveDialog.fileName = name;
    } while (!overwriteAccepted(name));
    if (!writeDocument(name))
        return false;
    showMessage(name + kDocumentSavedSuffix);
    setTitle(name);
    m_ui.RichEdit2->setModified(false);
    return true;
}

bool DocumentController::reopenWithEncoding(Encoding encoding)
{
    if (namesNoFile(m_currentFileName))
        return false;
    if (!savePrompt())
        return false;
    const QString path = m_currentFileName;
    if (!load(path, encoding))
        return false;
    focusUnmodifiedDocumentEditor();
    showLoadedMessage(path);
    return true;
}

bool DocumentController::saveWithFormat(const TextFormat& format)
{
    const TextFormat previous = m_format;
    setTextFormat(format);
    if (FileSave())
        return true;
    // Nothing was written: the file on disk is still in the old format, and so is the document.
    setTextFormat(previous);
    return false;
}

void DocumentController::MRUClick(const QString& path)
{
    if (!savePrompt())
        return;
    if (!probedLoad(path))
        return;
    setTitle(path);
    if (m_refreshWorkTree)
        m_refreshWorkTree(m_currentFileName);
    m_currentFolder = folderOf(path);
    runRegistrySequence(m_dialogs, OpenMode::OpenCreating, kRegistryWriteFailed,
                        [this](SettingsKey& key) { key.writeString(Reg::MDirSave, m_currentFolder); });
}

void DocumentController::dropFile(const QString& path)
{
    // A drop must not throw unsaved text away unasked.
    if (!savePrompt())
        return;
    if (!loadIntoDocumentEditor(path))
        return;
    setTitle(path);
    m_recent->rememberFile(path);
    m_openDialog.fileName = path;
    if (m_writeEditorSettings)
        m_writeEditorSettings();
    m_ui.RichEdit2->setModified(false);
}
