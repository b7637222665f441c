// SPDX-License-Identifier: MIT
#pragma once

#include <QProcess>
#include <QString>
#include <QTemporaryDir>

#include <memory>

/**
 * A CUPS scheduler of the test's own, on a socket in a temporary folder, with one queue that
 * prints through cups-pdf into a folder of the test's. The machine's own CUPS is not touched;
 * cups-pdf reads its queue's settings from /etc/cups, so one file is placed there and removed.
 */
class CupsScheduler final
{
public:
    CupsScheduler();
    ~CupsScheduler();
    CupsScheduler(const CupsScheduler&) = delete;
    CupsScheduler& operator=(const CupsScheduler&) = delete;

    /** Why the scheduler cannot be had here, as a sentence for QSKIP; empty when it can. */
    static QString unavailableReason();

    /** Starts the scheduler and adds the queue as its default; false with errorString() when it cannot. */
    bool start();
    QString errorString() const { return m_error; }

    /** For the client library: where the scheduler listens. Set CUPS_SERVER to it before any printing. */
    QString socketPath() const;
    QString queueName() const { return m_queue; }
    /** Where cups-pdf writes the PDF files of finished jobs. */
    QString outputFolder() const;
    /** Whether the queue still holds jobs that have not finished. */
    bool hasPendingJobs() const;
    /** The scheduler's error log, for a failure message. */
    QString errorLog() const;

private:
    bool writeFile(const QString& path, const QByteArray& contents);
    bool run(const QString& program, const QStringList& arguments);
    void stop();

    QTemporaryDir m_root;
    QString m_queue;
    QString m_cupsPdfConfig;
    QString m_error;
    std::unique_ptr<QProcess> m_cupsd;
};
