// SPDX-License-Identifier: MIT
#pragma once

#include <QObject>

#include <memory>

class QSocketNotifier;

/**
 * Turns SIGTERM and SIGHUP (a kill, a logout that closes the terminal) into a Qt signal on the
 * GUI thread: the handler only writes a byte to a pipe, and the event loop reads it. One at a
 * time per process; while it lives, these signals no longer end the process at once.
 */
class TerminationSignals final : public QObject
{
    Q_OBJECT
public:
    explicit TerminationSignals(QObject* parent = nullptr);
    ~TerminationSignals() override;

    /** False when the handlers could not be installed; the signals then end the process as before. */
    bool installed() const { return m_installed; }

Q_SIGNALS:
    void terminationRequested();

private:
    void readPipe();

    std::unique_ptr<QSocketNotifier> m_notifier;
    bool m_installed = false;
};
