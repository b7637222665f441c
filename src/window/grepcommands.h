// SPDX-License-Identifier: MIT
#pragma once

#include "grep/grepengine.h"
#include "grep/grepreplace.h"
#include "ui/dialogs.h"

#include <QMargins>
#include <QObject>
#include <QStringList>

#include <atomic>
#include <memory>

class DocumentController;
class DocumentEditor;
class EditorFeatures;
class ProcessStarter;
class QLabel;
class QPushButton;
class QShortcut;
class QThread;

/** The controls Grep writes to: the document editor for the result, the status row for the progress. */
struct GrepControls
{
    DocumentEditor* RichEdit2 = nullptr;
    QWidget* window = nullptr; // where Esc stops a running Grep
    QLabel* messageField = nullptr;
};

/**
 * 「Grep」: asks for the conditions, searches on worker threads while the window goes on, and
 * writes the result as this window's document when it is untitled and unchanged (else a new
 * editor runs it); a result line opened (double-click, F12, Enter) starts an editor on that file
 * at the match. With a replacement chosen in the dialog (「置換」) the matches are replaced in
 * their files once the user has agreed to the count, and the result names each changed file.
 */
class GrepCommands final : public QObject
{
    Q_OBJECT
public:
    GrepCommands(const GrepControls& controls, DocumentController& documents, EditorFeatures& features,
                 Dialogs& dialogs, ProcessStarter* processes, QObject* parent = nullptr);
    ~GrepCommands() override;

    /** The menu command: the dialog, then the run. */
    void GrepClick();
    /** Runs the Grep that "--grep FIELDS…" names; no fields opens the dialog first. */
    void runFromCommandLine(const QStringList& fields);
    /** Opens the result line under the caret; false when the line is not one. */
    bool openResultAtCaret();
    /** Stops a running Grep (or Grep-replace between files); its results so far stay. */
    void cancel();
    bool isRunning() const { return m_thread != nullptr; }
    /** Whether the document is the Grep result this window wrote (and not changed since). */
    bool showsResult() const;

    /** The fields as "--grep" takes them after it, and back. */
    static QStringList fieldsToArguments(const GrepDialogFields& fields);
    static GrepDialogFields fieldsFromArguments(const QStringList& arguments);

Q_SIGNALS:
    /** The run ended (done or cancelled) and its count is at the end of the document. */
    void finished();

private:
    GrepDialogFields initialFields() const;
    void run(const GrepDialogFields& fields);
    /** @p spilled: the lines go aside from now on, to show at the end. */
    void take(const QString& lines, int filesDone, int filesTotal, qint64 matches, bool spilled);
    /** @p asideMatches: the matches in a result built aside, or -1 when it grew in the window. */
    void end(const pemmo::grep::GrepSummary& summary, qint64 asideMatches);
    void startReplace(const pemmo::grep::GrepConditions& conditions, const QString& replacement);
    void planned(const QList<pemmo::grep::FileReplacement>& files, const pemmo::grep::GrepSummary& summary);
    void replaced(int filesChanged, qint64 matches, int notWritten, bool cancelled);
    /** The thread that ran is over: it goes, and so do the means to stop it. */
    void threadDone();
    void showRunning(bool running);
    /** Ends the result document with @p footer; the status row says it too. */
    void finishOutput(const QString& footer);

    GrepControls m_ui;
    DocumentController& m_documents;
    EditorFeatures& m_features;
    Dialogs& m_dialogs;
    ProcessStarter* m_processes = nullptr;
    GrepDialogFields m_last;
    QThread* m_thread = nullptr;
    std::atomic_bool m_cancel { false };
    QShortcut* m_escape = nullptr;
    QShortcut* m_open = nullptr; // F12
    QPushButton* m_cancelButton = nullptr; // in the status row while a run goes on
    QMargins m_messageMargins;
    QString m_replacement;
    qint64 m_shownMatches = 0; // the matches whose lines are in the result
    struct Output;
    std::unique_ptr<Output> m_output;
    bool m_resultShown = false;
    bool m_resultLater = false; // the rest of a large result shows when the run ends
};
