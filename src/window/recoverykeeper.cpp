// SPDX-License-Identifier: MIT
#include "recoverykeeper.h"

#include "document/document.h"
#include "document/documenteditor.h"
#include "formats/plaintext.h"
#include "formats/recoverystore.h"
#include "formats/rtfwriter.h"
#include "platform/largememory.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QFileInfo>
#include <QThread>

#include <cstring>

using namespace pemmo::formats;

namespace {

// The text is encoded in slices of about this many bytes, each ending after a line break.
constexpr qsizetype kSliceBytes = 4 << 20;

template <class Sink>
void inUtf8Slices(QByteArrayView text, Sink&& sink)
{
    qsizetype from = 0;
    do {
        qsizetype to = qMin(text.size(), from + kSliceBytes);
        if (to < text.size()) {
            const qsizetype lineEnd = text.indexOf('\n', to - 1);
            to = lineEnd < 0 ? text.size() : lineEnd + 1;
        }
        sink(QString::fromUtf8(text.sliced(from, to - from)), to == text.size());
        from = to;
    } while (from < text.size());
}

// The copy is what a save would write; where the document's encoding cannot hold the text (or
// the text keeps the marks of bytes that did not decode), it is written in UTF-8 instead, so
// that nothing typed is lost.
bool fitsEncoding(QByteArrayView utf8, const RecoveryNote& note)
{
    bool fits = true;
    inUtf8Slices(utf8, [&](const QString& slice, bool) {
        if (!fits)
            return;
        // A lossy text holds U+FFFD for bytes it could not read; anything else must fit the encoding.
        if ((note.lossy && slice.contains(QChar::ReplacementCharacter)) ||
            (!isUnicodeEncoding(note.format.encoding) && findUnencodable(slice, note.format.encoding)))
            fits = false;
    });
    return fits;
}

} // namespace

namespace {

std::optional<QString> writeJob(RecoveryCopy& copy, const QByteArray& rtf, const QByteArray& utf8, RecoveryNote note)
{
    if (note.rich)
        return copy.write([&rtf](const ByteSink& sink) { sink(rtf); }, note);
    TextFormat format = note.format;
    note.copyEncoding = format.encoding;
    if (!fitsEncoding(utf8, note)) {
        format.encoding = Encoding::Utf8;
        format.bom = false;
        format.ownCodes.clear();
        note.copyEncoding = Encoding::Utf8;
    }
    return copy.write(
        [&](const ByteSink& sink) {
            PlainTextEncoder encoder(format);
            bool going = true;
            inUtf8Slices(utf8, [&](const QString& slice, bool last) {
                if (going)
                    going = sink(encoder.encode(slice, last));
            });
        },
        note);
}

} // namespace

RecoveryKeeper::RecoveryKeeper(DocumentEditor* editor, Document* document, QObject* parent)
    : QObject(parent)
    , m_editor(editor)
    , m_document(document)
    , m_copy(std::make_unique<RecoveryCopy>())
{
    m_pause.setSingleShot(true);
    m_longest.setSingleShot(true);
    setPauses(kPauseMs, kLongestMs);
    connect(&m_pause, &QTimer::timeout, this, &RecoveryKeeper::due);
    connect(&m_longest, &QTimer::timeout, this, &RecoveryKeeper::due);
    connect(m_document, &Document::textChanged, this, &RecoveryKeeper::touched);
    // Saved or given up: the copy goes with the unsaved text.
    connect(m_document, &Document::saved, this, &RecoveryKeeper::discard);
    connect(m_document, &Document::modifiedChanged, this, [this](bool modified) {
        // A load clears the flag of a text the save prompt has already dealt with, or of the
        // copy being restored itself.
        if (modified)
            touched();
        else if (!m_document->isLoading())
            discard();
    });
}

RecoveryKeeper::~RecoveryKeeper()
{
    waitForWrite();
    // A normal end has asked about the text; an end on a signal or with the session has not.
    if (!m_keepAtEnd)
        m_copy->remove();
}

void RecoveryKeeper::setPauses(int pauseMs, int longestMs)
{
    m_pause.setInterval(pauseMs);
    m_longest.setInterval(longestMs);
}

QString RecoveryKeeper::lockPath() const
{
    return m_copy->lockPath();
}

void RecoveryKeeper::touched()
{
    m_keepAtEnd = false;
    m_pause.start();
    if (!m_longest.isActive())
        m_longest.start();
}

void RecoveryKeeper::due()
{
    m_pause.stop();
    m_longest.stop();
    if (m_document->isLoading())
        return;
    if (m_editor->isModified())
        startWrite();
    else
        discard();
}

void RecoveryKeeper::fillSnapshot(Job& job) const
{
    job.note = {};
    job.rtf.clear();
    RecoveryNote& note = job.note;
    if (!m_document->isUntitled())
        note.originalPath = QFileInfo(m_document->path()).absoluteFilePath();
    note.rich = m_editor->isRichText();
    note.format = m_document->format();
    note.lossy = m_document->isLossy();
    const DiskSnapshot& disk = m_document->disk();
    note.stampTaken = disk.taken();
    note.stamp = disk.stamp();
    note.caret = m_editor->selectionStart();
    note.processId = QCoreApplication::applicationPid();
    note.time = QDateTime::currentDateTime();
    // Rich documents are small; the plain text is only copied here and encoded on the writer.
    if (note.rich)
        job.rtf = writeRtf(*m_editor->richDocument());
    else
        m_editor->copyPlainTextUtf8(job.utf8);
}

void RecoveryKeeper::startWrite()
{
    m_discardAfterWrite = false;
    if (m_writer) {
        m_writeAgain = true;
        return;
    }
    m_writeAgain = false;
    // The copy of a large text goes into pages that were touched on the writer's thread first.
    const qsizetype needed = m_editor->plainTextByteLength();
    if (m_job.utf8.capacity() < needed) {
        m_writer.reset(QThread::create([this, size = needed + needed / 8 + kSliceBytes] {
            QByteArray room(size, Qt::Uninitialized);
            preferHugePages(room.data(), size_t(size));
            std::memset(room.data(), 0, size_t(size));
            QMetaObject::invokeMethod(
                this, [this, room = std::move(room)]() mutable { roomReady(std::move(room)); }, Qt::QueuedConnection);
        }));
        m_writer->start();
        return;
    }
    fillSnapshot(m_job);
    // The writer only reads the job; this thread leaves it alone until the write has finished.
    m_writer.reset(QThread::create([this] {
        const std::optional<QString> error = writeJob(*m_copy, m_job.rtf, m_job.utf8, m_job.note);
        QMetaObject::invokeMethod(
            this, [this, message = error.value_or(QString())] { writeFinished(message); }, Qt::QueuedConnection);
    }));
    m_writer->start();
}

void RecoveryKeeper::roomReady(QByteArray room)
{
    if (!m_writer)
        return; // waited for already
    m_writer->wait();
    m_writer.reset();
    room.resize(0); // keeps its pages
    m_job.utf8 = std::move(room);
    if (m_discardAfterWrite) {
        m_discardAfterWrite = false;
        m_copy->remove();
    } else if (m_editor->isModified()) {
        startWrite();
    }
}

void RecoveryKeeper::writeFinished(const QString& error)
{
    if (!m_writer)
        return; // waited for already
    m_writer->wait();
    m_writer.reset();
    if (m_discardAfterWrite) {
        m_discardAfterWrite = false;
        m_copy->remove();
    } else if (m_writeAgain && m_editor->isModified()) {
        startWrite();
    }
    Q_EMIT written(error);
}

void RecoveryKeeper::waitForWrite()
{
    if (!m_writer)
        return;
    m_writer->wait();
    m_writer.reset();
    // Its report is still queued for this object; it must not run after this.
    QCoreApplication::removePostedEvents(this, QEvent::MetaCall);
    if (m_discardAfterWrite)
        m_copy->remove();
    m_discardAfterWrite = false;
    m_writeAgain = false;
}

void RecoveryKeeper::discard()
{
    m_pause.stop();
    m_longest.stop();
    m_keepAtEnd = false;
    m_writeAgain = false;
    if (m_writer) {
        m_discardAfterWrite = true;
    } else {
        m_copy->remove();
        // The room for the copy goes with the unsaved text.
        m_job.utf8 = QByteArray();
    }
}

void RecoveryKeeper::preserveNow()
{
    m_pause.stop();
    m_longest.stop();
    waitForWrite();
    if (!m_editor->isModified() || m_document->isLoading()) {
        m_copy->remove();
        return;
    }
    Job job;
    fillSnapshot(job);
    writeJob(*m_copy, job.rtf, job.utf8, job.note);
    m_keepAtEnd = true;
}

bool RecoveryKeeper::adopt(const QString& lockPath)
{
    waitForWrite();
    return m_copy->adopt(lockPath);
}

void RecoveryKeeper::release()
{
    waitForWrite();
    m_copy->release();
}
