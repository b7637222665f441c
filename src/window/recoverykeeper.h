// SPDX-License-Identifier: MIT
#pragma once

#include "formats/recoverystore.h"

#include <QByteArray>
#include <QObject>
#include <QTimer>

#include <memory>
#include <optional>

class Document;
class DocumentEditor;
class QThread;

/**
 * Keeps a recovery copy of the document's unsaved text (as @p editor holds it), so that a crash, a kill or a logout
 * does not take it: written once typing pauses, and at least every so often while it goes on, on a thread of its own;
 * removed when the text is saved or given up, and when the window ends normally.
 */
class RecoveryKeeper final : public QObject
{
    Q_OBJECT
public:
    RecoveryKeeper(DocumentEditor* editor, Document* document, QObject* parent = nullptr);
    ~RecoveryKeeper() override;

    static constexpr int kPauseMs = 2000;
    static constexpr int kLongestMs = 10000;
    /** How long typing must pause, and how long it may go on, before the copy is written. */
    void setPauses(int pauseMs, int longestMs);

    /**
     * The process is about to end without asking (a signal, the session's end): writes the copy
     * now, waiting for it, and leaves it for the next start.
     */
    void preserveNow();
    /** Lets the copy go: the text was saved or given up. */
    void discard();
    /** Takes over the claimed copy whose lock file is @p lockPath: this window restores it. */
    bool adopt(const QString& lockPath);
    /** Lets go of an adopted copy without removing it, for a later start to offer again. */
    void release();
    /** The lock file of this window's copy; empty while there is none. */
    QString lockPath() const;

Q_SIGNALS:
    /** A copy was written; @p error is empty when it was written whole. */
    void written(const QString& error);

private:
    struct Job
    {
        pemmo::formats::RecoveryNote note;
        QByteArray rtf; // the rich document, as its save writes it
        QByteArray utf8; // the plain text; its room is kept from copy to copy
    };
    void touched();
    void due();
    void fillSnapshot(Job& job) const;
    void startWrite();
    void roomReady(QByteArray room);
    void writeFinished(const QString& error);
    void waitForWrite();

    DocumentEditor* m_editor;
    Document* m_document;
    QTimer m_pause;
    QTimer m_longest;
    // Used by the writing thread while one runs; by this one otherwise.
    std::unique_ptr<pemmo::formats::RecoveryCopy> m_copy;
    std::unique_ptr<QThread> m_writer;
    // Read by the writing thread while one runs; by this one otherwise.
    Job m_job;
    bool m_writeAgain = false;
    bool m_discardAfterWrite = false;
    bool m_keepAtEnd = false;
};
