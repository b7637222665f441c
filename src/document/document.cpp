// SPDX-License-Identifier: MIT
#include "document.h"

#include "documenttext.h"
#include "editortexts.h"
#include "formats/filewriter.h"
#include "formats/recoverystore.h"
#include "platform/checkedfile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QTextDocument>
#include <QThread>
#include <QTimer>

#include <atomic>

using namespace pemmo::formats;

namespace {

// How often a load's progress is looked at while the decoding runs elsewhere.
constexpr int kProgressTickMs = 50;
// A load's decoding stops to look whether it should end after every slice; a slice takes a
// few tens of milliseconds, and the per-slice costs stay small.
constexpr qsizetype kLoadSliceBytes = 4 * 1024 * 1024;

/**
 * Runs @p work on a thread of its own and keeps this thread's event loop running, so that the
 * window paints and can be closed, until it has run; @p tick is called now and then meanwhile.
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
    ticker.start(kProgressTickMs);
    worker->start();
    while (!done)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    worker->wait();
    // The wake-up call may still be queued for the waker: it must not outlive it.
    QCoreApplication::removePostedEvents(&waker);
}

int percentOf(qint64 done, qint64 total)
{
    return total > 0 ? int(qBound(qint64(0), done * 100 / total, qint64(100))) : 100;
}

} // namespace

Document::Document(DocumentText& text, QObject* parent)
    : QObject(parent)
    , m_text(text)
{ }

Document::~Document() = default;

void Document::startUntitled()
{
    m_path.clear();
    setFormat(kNewDocumentFormat);
    m_lossy = false;
    m_disk.clear();
    m_noticedDisk.reset();
    m_unkept.clear();
}

bool Document::isNewFileName(const QString& path)
{
    const QFileInfo file(path);
    return !path.endsWith(QLatin1Char('/')) && !file.exists() && !file.isSymLink() &&
        QFileInfo(file.absolutePath()).isDir();
}

void Document::startNewFile(const QString& path)
{
    m_text.clear();
    m_text.setModified(false);
    setFormat(kNewDocumentFormat);
    m_lossy = false;
    m_unkept.clear();
    m_path = path;
    // Recorded as absent: a file that another program puts there meanwhile is not overwritten unasked.
    m_disk.take(path);
    m_noticedDisk.reset();
}

void Document::setFormat(const TextFormat& format)
{
    const bool changed = format != m_format;
    m_format = format;
    m_text.setLineBreaksFor(format);
    if (changed)
        Q_EMIT formatChanged(m_format);
}

bool Document::isModified() const
{
    return m_text.isModified();
}

void Document::setModified(bool modified)
{
    m_text.setModified(modified);
}

void Document::touchText()
{
    if (m_textChangePending)
        return;
    m_textChangePending = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            m_textChangePending = false;
            Q_EMIT textChanged();
        },
        Qt::QueuedConnection);
}

Document::LoadReport Document::load(const LoadRequest& request)
{
    // Loads never nest: user input waits while one runs.
    if (m_loading)
        return { LoadOutcome::Busy, QString(), QString() };
    m_loading = true;
    m_stopRequested = false;
    Q_EMIT loadingChanged(true);
    LoadReport report = loadText(request);
    m_loading = false;
    Q_EMIT loadingChanged(false);
    if (report.loaded())
        Q_EMIT loaded(request.path);
    return report;
}

Document::LoadReport Document::loadText(const LoadRequest& request)
{
    // A plain text is decoded, and the text filled from it, on a thread of its own while this
    // thread runs its event loop. The text is emptied only when the decoding starts: a load that
    // fails before then keeps the previous one.
    std::unique_ptr<DocumentText::PlainFill> fill;
    const qint64 fileBytes = QFileInfo(request.path).size();
    std::atomic<qint64> decodedPercent = 0;
    int shownPercent = -1;
    const auto tellProgress = [this, &decodedPercent, &shownPercent] {
        const int percent = int(decodedPercent.load());
        if (percent != shownPercent) {
            shownPercent = percent;
            Q_EMIT loadProgress(percent);
        }
    };
    LoadOptions options;
    options.sliceBytes = kLoadSliceBytes;
    options.plainTextSlices = [&fill](QByteArrayView slice) { fill->append(slice); };
    options.progress = [this, &fill, &decodedPercent, &tellProgress](qint64 done, qint64 total) {
        if (fill)
            fill->readSoFar(done, total);
        decodedPercent = percentOf(done, total);
        if (QThread::currentThread() == thread())
            tellProgress();
    };
    options.runDecoding = [this, &fill, fileBytes, &request, &tellProgress](const std::function<void()>& decode) {
        fill = m_text.startPlainFill(fileBytes, request.path);
        runWhileAnswering(decode, tellProgress);
    };
    options.encoding = request.encoding;
    options.confirmBinary = request.confirmBinary;
    // The window paints, and can be closed, between pieces. Clicks and keys are delivered too, not
    // held for the end, where keys would land at the start of the new text: what shows the
    // document drops them while loadingChanged() says a load runs.
    options.betweenReads = [] { QCoreApplication::processEvents(); };
    options.stopped = [this] { return m_stopRequested.load(); };
    LoadResult result = loadDocument(request.path, options);
    if (result.stopped) {
        // What came in so far is not the file: nothing of it stays.
        fill.reset();
        m_text.clear();
        m_text.setModified(false);
        return { LoadOutcome::Stopped, QString(), QString() };
    }
    if (!result.document) {
        if (result.cancelled)
            return { LoadOutcome::Cancelled, QString(), QString() };
        return { LoadOutcome::Failed, result.errorMessage, QString() };
    }
    LoadedDocument& document = *result.document;
    Q_EMIT textReplacing();
    if (document.kind == DocumentKind::RichText) {
        m_text.takeRichText(std::move(document.richText));
    } else {
        if (!fill)
            fill = m_text.startPlainFill(fileBytes, request.path);
        if (!fill->finish()) {
            // A text cut short must never pass for the file: nothing of it stays.
            fill.reset();
            m_text.clear();
            m_text.setModified(false);
            return { LoadOutcome::Failed, kDocumentOutOfMemory.arg(QDir::toNativeSeparators(request.path)), QString() };
        }
    }
    setFormat(document.format);
    m_lossy = document.lossy;
    m_disk.take(request.path);
    m_noticedDisk.reset();
    m_unkept = document.unkept;
    m_text.setModified(false);
    return { LoadOutcome::Loaded, QString(), document.loadNote };
}

Document::LoadReport Document::restoreBackup(const QString& backupPath, const std::function<bool()>& confirmBinary)
{
    const std::optional<QString> original = backupOriginal(backupPath);
    auto hold = std::make_unique<CheckedFile>();
    if (!original || !hold->openForReading(backupPath) || !hold->tryLock())
        return { LoadOutcome::Unavailable, kBackupUnavailable.arg(QDir::toNativeSeparators(backupPath)), QString() };
    LoadReport report = load({ backupPath, std::nullopt, confirmBinary });
    if (!report.loaded())
        return report;
    dropRestoredBackup();
    m_restoredBackup = std::move(hold);
    m_restoredBackupPath = backupPath;
    m_path = *original;
    // The file holds what the interrupted save left: writing over it is what the user wants.
    m_disk.take(*original);
    m_text.setModified(true);
    return report;
}

void Document::dropRestoredBackup()
{
    if (!m_restoredBackup)
        return;
    m_restoredBackup.reset();
    removeBackup(m_restoredBackupPath);
    m_restoredBackupPath.clear();
}

Document::LoadReport Document::restoreRecovery(const QString& lockPath, qint64* caret)
{
    const std::optional<RecoveryNote> note = readRecoveryNote(lockPath);
    if (!note)
        return { LoadOutcome::Unavailable, kRecoveryUnavailable.arg(QDir::toNativeSeparators(lockPath)), QString() };
    LoadReport report = load({ recoveryCopyPath(lockPath), note->copyEncoding, {} });
    if (!report.loaded())
        return report;
    // The copy was written as the document's save writes it, or in UTF-8 where that could not
    // hold the text; the document goes back to its own way of being saved either way.
    setFormat(note->format);
    m_lossy = note->lossy;
    m_path = note->originalPath;
    // The stamp is the one the document had: a file changed since makes the first save ask.
    if (note->stampTaken)
        m_disk.restore(note->originalPath, note->stamp);
    else
        m_disk.clear();
    m_noticedDisk.reset();
    m_text.setModified(true);
    if (caret)
        *caret = note->caret;
    return report;
}

SaveResult Document::save(const QString& path, const TextFormat& format, SaveOptions options)
{
    DocumentSource source;
    source.document = m_text.richDocument();
    source.plainSlices = [this](const TextSliceSink& sink) { m_text.textInSlices(sink); };
    source.font = m_text.font();
    const qint64 total = m_text.textLength();
    int shownPercent = -1;
    options.progress = [this, total, &shownPercent](qint64 written) {
        const int percent = percentOf(written, total);
        if (percent != shownPercent) {
            shownPercent = percent;
            Q_EMIT saveProgress(percent);
        }
    };
    SaveResult result = saveDocument(path, source, format, options);
    if (result.status != SaveStatus::Saved)
        return result;
    const bool rtf = isRtfFileName(path);
    if (!rtf) {
        setFormat(format);
        m_lossy = false;
    } else {
        // What could not be written is gone from the file now; its next save loses nothing more.
        m_unkept.clear();
    }
    m_path = path;
    m_disk.take(path);
    m_noticedDisk.reset();
    dropRestoredBackup();
    m_text.setModified(false);
    Q_EMIT saved(path);
    return result;
}

void Document::checkDisk()
{
    if (m_loading || isUntitled() || !m_disk.taken() || m_disk.path() != m_path)
        return;
    const std::optional<FileStamp> now = fileStamp(m_path);
    if (now == m_disk.stamp() || (m_noticedDisk && *m_noticedDisk == now))
        return;
    m_noticedDisk = now;
    // Deleted matters only when there was a file: a new file's absence is no news.
    if (!now && !m_disk.stamp())
        return;
    Q_EMIT fileChangedOnDisk(m_path, !now);
}
