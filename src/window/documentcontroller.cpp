// SPDX-License-Identifier: MIT
#include "documentcontroller.h"

#include "document/document.h"
#include "document/documenteditor.h"
#include "document/documentnames.h"
#include "document/editortexts.h"
#include "document/recentlists.h"
#include "formats/documentio.h"
#include "formats/filewriter.h"
#include "formats/formattexts.h"
#include "formats/recoverystore.h"
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
#include <QScrollBar>

#include <optional>

using namespace pemmo::formats;

namespace {

// Past this long a save tells the user how far it has come.
constexpr qint64 kSaveFeedbackDelayMs = 300;
// A repaint in the middle of a load or save paints the whole window; a few a second are enough to see.
constexpr qint64 kFeedbackIntervalMs = 250;
// A document this long (in characters) takes long enough to save that it says so from the start.
constexpr int kLongSaveCharacters = 4 * 1024 * 1024;

/**
 * Says in the message field what a long operation is doing, and puts the field's text back
 * when it ends. The work may block the event loop, so the field is repainted at once.
 */
class ProgressMessage final
{
public:
    ProgressMessage(QLabel* field, qint64 delayMs)
        : m_field(field)
        , m_previous(field->text())
        , m_delayMs(delayMs)
    {
        m_clock.start();
    }
    ~ProgressMessage() { end(); }
    ProgressMessage(const ProgressMessage&) = delete;
    ProgressMessage& operator=(const ProgressMessage&) = delete;

    void show(const QString& text)
    {
        m_shown = true;
        m_lastShownMs = m_clock.elapsed();
        m_field->setText(text);
        m_field->repaint();
    }
    /** Shows @p text once the operation has run past the delay, a few times a second. */
    void showWhenLong(const QString& text)
    {
        const qint64 now = m_clock.elapsed();
        if (now >= m_delayMs && (!m_shown || now - m_lastShownMs >= kFeedbackIntervalMs))
            show(text);
    }
    /** Puts the field's text back now. */
    void end()
    {
        if (m_shown)
            show(m_previous);
        m_shown = false;
    }

private:
    QLabel* m_field;
    QString m_previous;
    qint64 m_delayMs;
    QElapsedTimer m_clock;
    qint64 m_lastShownMs = 0;
    bool m_shown = false;
};

} // namespace

DocumentController::DocumentController(const DocumentControls& controls, Document& document, RulerGutter* rulerGutter,
                                       RecentFiles* recent, Dialogs& dialogs, QObject* parent)
    : QObject(parent)
    , m_ui(controls)
    , m_document(document)
    , m_rulerGutter(rulerGutter)
    , m_recent(recent)
    , m_dialogs(dialogs)
{
    m_openDialog.filters = openDialogFilters();
    m_saveDialog.filters = saveDialogFilters();
    connect(&m_document, &Document::textReplacing, this, [this] {
        endPreview();
        m_ui.RichEdit2->show();
    });
    connect(&m_document, &Document::fileChangedOnDisk, this, &DocumentController::reloadChangedFile);
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
    if (namesNoFile(fileName))
        m_document.setPath(QString());
    else
        m_document.setPath(fileName);
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
        m_document.dropRestoredBackup();
        Q_EMIT unsavedTextDropped();
        return true;
    default:
        return false;
    }
}

bool DocumentController::loadIntoDocumentEditor(const QString& path)
{
    return load(path, std::nullopt);
}

bool DocumentController::load(const QString& path, std::optional<Encoding> encoding)
{
    // A chosen encoding is the user's own decision about the bytes: no second question then.
    return runLoad(!encoding, [this, &path, encoding](const std::function<bool()>& confirmBinary) {
        return m_document.load({ path, encoding, confirmBinary });
    });
}

bool DocumentController::runLoad(bool askBinary, const DocumentLoad& loading)
{
    if (m_document.isLoading())
        return false;
    std::optional<BusyCursor> busy(std::in_place);
    // The loading document reports now and then; the first report comes once the load has run a moment.
    ProgressMessage progress(m_ui.messageField, 0);
    const QMetaObject::Connection progressShown = connect(&m_document, &Document::loadProgress, this, [&](int percent) {
        progress.showWhenLong(kDocumentLoadingProgress.arg(percent));
    });
    std::function<bool()> confirmBinary;
    if (askBinary) {
        confirmBinary = [this, &busy] {
            busy.reset();
            const bool open = m_dialogs.ask(kBinaryFileQuestion, { Dialogs::Button::Yes, Dialogs::Button::No },
                                            Dialogs::Icon::Question) == Dialogs::Button::Yes;
            busy.emplace();
            return open;
        };
    }
    const Document::LoadReport report = loading(confirmBinary);
    disconnect(progressShown);
    progress.end();
    busy.reset();
    switch (report.outcome) {
    case Document::LoadOutcome::Loaded:
        // The text is whole, but not all of it shows: say so whichever way it was opened.
        showLoadedMessage(QString());
        if (!report.note.isEmpty()) {
            // Said before any edit: what was cut off is not in the file either.
            m_dialogs.message(report.note, Dialogs::Icon::Warning);
        }
        return true;
    case Document::LoadOutcome::Stopped:
        Q_EMIT loadStopped();
        return false;
    case Document::LoadOutcome::Unavailable:
        m_dialogs.message(report.errorMessage, Dialogs::Icon::Warning);
        return false;
    case Document::LoadOutcome::Failed:
        m_dialogs.message(report.errorMessage, Dialogs::Icon::Critical);
        return false;
    case Document::LoadOutcome::Cancelled:
    case Document::LoadOutcome::Busy:
        break;
    }
    return false;
}

void DocumentController::showLoadedMessage(const QString& openedPath)
{
    // That the text does not show whole comes first; which file it is, after it.
    QStringList said;
    if (m_ui.RichEdit2->shortenedLines() > 0)
        said.append(kLongLinesShortened.arg(DocumentEditor::kLongLineShownCharacters));
    if (!openedPath.isEmpty())
        said.append(openedPath + kDocumentOpenedSuffix);
    if (!said.isEmpty())
        showMessage(said.join(kMessageJoin));
}

bool DocumentController::startNewFile(const QString& path)
{
    if (!Document::isNewFileName(path))
        return false;
    endPreview();
    m_ui.RichEdit2->show();
    m_document.startNewFile(path);
    return true;
}

bool DocumentController::restoreBackup(const QString& backupPath)
{
    if (!runLoad(true, [this, &backupPath](const std::function<bool()>& confirmBinary) {
            return m_document.restoreBackup(backupPath, confirmBinary);
        }))
        return false;
    const QString original = m_document.path();
    setTitle(original);
    showMessage(kBackupRestored.arg(original));
    return true;
}

bool DocumentController::restoreRecovery(const QString& lockPath)
{
    qint64 caret = 0;
    if (!runLoad(false, [this, &lockPath, &caret](const std::function<bool()>&) {
            return m_document.restoreRecovery(lockPath, &caret);
        }))
        return false;
    const QString original = m_document.path();
    if (original.isEmpty()) {
        m_currentFileName = QStringLiteral(" ");
        m_ui.RichEdit2->setCodeLanguage(CodeLanguage::None);
    } else {
        setTitle(original);
    }
    m_ui.RichEdit2->setSelection(int(qBound<qint64>(0, caret, m_ui.RichEdit2->textLength())), 0);
    showMessage(kRecoveryRestored.arg(original.isEmpty() ? kUntitledDocument : QDir::toNativeSeparators(original)));
    return true;
}

void DocumentController::reloadChangedFile(const QString& path, bool deleted)
{
    if (deleted) {
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
    if (!load(path, rich ? std::nullopt : std::optional(m_document.format().encoding)))
        return;
    const int line = qMin(caretLine, m_ui.RichEdit2->lineCount() - 1);
    m_ui.RichEdit2->setSelection(m_ui.RichEdit2->lineIndex(qMax(0, line)), 0);
    m_ui.RichEdit2->verticalScrollBar()->setValue(scroll);
    showMessage(kReloadedAfterExternalChange.arg(path));
}

void DocumentController::endPreview()
{
    Q_EMIT previewEndWanted();
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
    m_ui.RichEdit2->show();
    m_ui.RichEdit2->setCodeLanguage(CodeLanguage::None);
    m_currentFileName = QStringLiteral(" ");
    m_ui.window->setWindowTitle(QStringLiteral("[*][ %1 ]-%2").arg(title, kVersionCaption));
    m_document.startUntitled();
}

bool DocumentController::holdsUntitledUnchanged() const
{
    return namesNoFile(m_currentFileName) && !m_ui.RichEdit2->isModified() && !m_document.isLoading();
}

void DocumentController::FileNew()
{
    if (!savePrompt())
        return;
    endPreview();
    m_ui.RichEdit2->show();
    // One undoable edit: 元に戻す brings the text back after a clear that was a slip.
    m_ui.RichEdit2->removeAllText();
    m_ui.RichEdit2->setModified(false);
    m_ui.RichEdit2->setCodeLanguage(CodeLanguage::None);
    m_currentFileName = QStringLiteral(" ");
    m_document.startUntitled();
}

QString DocumentController::startFolder(const QString& preferred) const
{
    // The stored or current folder wins when it is a real place; the program's own folder never does.
    QStringList candidates { preferred };
    if (m_recent)
        candidates += m_recent->folders();
    return dialogStartFolder(m_document.isUntitled() ? QString() : m_document.path(), candidates, QDir::homePath(),
                             folderOf(QCoreApplication::applicationFilePath()));
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
    Q_EMIT editorSettingsChanged();
    if (m_ui.CoolTree->isChecked())
        Q_EMIT workTreeRefreshWanted(m_currentFileName);
}

bool DocumentController::undecodedAccepted(SaveOptions& options)
{
    if (!m_document.isLossy())
        return true;
    // Counted now, not at load: typing may have removed some.
    qsizetype undecoded = 0;
    m_ui.RichEdit2->textInSlices(
        [&undecoded](QStringView slice) { undecoded += slice.count(QChar::ReplacementCharacter); });
    using Button = Dialogs::Button;
    // The text may be a misread: saving it by default would make the misreading the file.
    switch (m_dialogs.ask(kLossySaveQuestion.arg(undecoded).arg(encodingName(m_document.format().encoding)),
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
    TextFormat format = m_document.format();
    SaveOptions options { m_document.isLossy(), false, false, m_document.unkeptParts() };
    if (!isRtfFileName(path) && !undecodedAccepted(options))
        return false;
    // Busy only while writing: the question below must not wear the wait cursor.
    const auto save = [&] {
        const BusyCursor busy;
        ProgressMessage progress(m_ui.messageField, kSaveFeedbackDelayMs);
        if (m_ui.RichEdit2->textLength() >= kLongSaveCharacters)
            progress.show(kDocumentSavingProgress.arg(0));
        const QMetaObject::Connection shown = connect(&m_document, &Document::saveProgress, this, [&](int percent) {
            progress.showWhenLong(kDocumentSavingProgress.arg(percent));
        });
        SaveResult result = m_document.save(path, format, options);
        disconnect(shown);
        return result;
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
    if (!m_document.disk().changedSince(path))
        return true;
    return m_dialogs.ask(kChangedByOtherProgram.arg(path), { Dialogs::Button::Yes, Dialogs::Button::No },
                         Dialogs::Icon::Warning) == Dialogs::Button::Yes;
}

bool DocumentController::FileSave()
{
    if (m_document.isUntitled())
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
    if (m_document.isUntitled())
        return false;
    if (!savePrompt())
        return false;
    const QString path = m_document.path();
    if (!load(path, encoding))
        return false;
    focusUnmodifiedDocumentEditor();
    showLoadedMessage(path);
    return true;
}

bool DocumentController::saveWithFormat(const TextFormat& format)
{
    const TextFormat previous = m_document.format();
    m_document.setFormat(format);
    if (FileSave())
        return true;
    // Nothing was written: the file on disk is still in the old format, and so is the document.
    m_document.setFormat(previous);
    return false;
}

void DocumentController::MRUClick(const QString& path)
{
    if (!savePrompt())
        return;
    if (!probedLoad(path))
        return;
    setTitle(path);
    Q_EMIT workTreeRefreshWanted(m_currentFileName);
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
    Q_EMIT editorSettingsChanged();
    m_ui.RichEdit2->setModified(false);
}
