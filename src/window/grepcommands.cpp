// SPDX-License-Identifier: MIT
#include "grepcommands.h"

#include "document/documenteditor.h"
#include "documentcontroller.h"
#include "editorfeatures.h"
#include "formats/textformat.h"
#include "grep/grepresult.h"
#include "grep/greptexts.h"
#include "platform/processstarter.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QShortcut>
#include <QThread>

#include <chrono>
#include <functional>
#include <thread>

using namespace pemmo::grep;

// The document being written: the result goes in slice by slice as the workers find it. A
// large result is built aside as well, and shown whole at the end.
struct GrepCommands::Output
{
    explicit Output(DocumentEditor& editor)
        : load(editor)
    { }
    DocumentEditor::PlainTextLoad load;
    std::unique_ptr<DocumentEditor::AsideText> aside; // a Grep's, not a Grep-replace's
    GrepConditions conditions;
};

namespace {

constexpr int kPendingBatches = 4;
// The most of a result that grows in the window as it is found. Beyond it, growing the view's
// buffers would stall the window for long (each growth touches all their memory): the rest is
// built aside and the whole shown at the end.
constexpr qsizetype kLiveResultCharacters = 1024 * 1024;
// How often the status row shows a Grep-replace's progress while it counts.
constexpr qint64 kProgressShownEveryMs = 100;

// Hands the results to the window in batches, at most every 50 ms, so a run with a million
// matches does not flood the event loop and the first ones show at once. With @p aside, every
// batch goes there too, and once kLiveResultCharacters are shown the window gets only the counts.
class BatchingReceiver final : public GrepReceiver
{
public:
    BatchingReceiver(std::function<void(QString, int, int, qint64, bool)> post, const std::atomic_bool& cancel,
                     DocumentEditor::AsideText* aside, const QString& header)
        : m_post(std::move(post))
        , m_cancel(cancel)
        , m_aside(aside)
        , m_shown(header.size())
    {
        if (m_aside)
            m_aside->add(header.toUtf8());
        m_clock.start();
    }
    /** Whether the window stopped taking the lines, which are all aside. */
    bool spilled() const { return m_spilled; }
    /** The matches whose lines went to the window or aside. */
    qint64 matches() const { return m_matches; }
    void listed(int fileCount) override { m_total = fileCount; }
    void fileDone(int index, const GrepFileResult& result) override
    {
        for (const GrepMatch& match : result.matches) {
            // A file with a match on every line gives millions: they go in pieces the window
            // takes in a few milliseconds each, and a cancel ends them.
            if (m_lines.size() >= kLargestBatch) {
                if (m_cancel.load(std::memory_order_relaxed))
                    break;
                flush();
            }
            m_lines += grepResultLine(QDir::toNativeSeparators(result.path), result.format, match);
            m_lines += u'\n';
            ++m_matches;
        }
        m_done = index + 1;
        // The first matches go at once, so the result starts to show without waiting for a batch.
        const bool firstMatches = m_first && !m_lines.isEmpty();
        if (firstMatches || m_clock.elapsed() >= 50) {
            flush();
            m_first = m_first && !firstMatches;
        }
    }
    void flush()
    {
        if (m_aside) {
            m_aside->add(m_lines.toUtf8());
            m_shown += m_lines.size();
            m_spilled = m_spilled || m_shown > kLiveResultCharacters;
            if (m_spilled)
                m_lines.clear();
        }
        m_post(std::exchange(m_lines, QString()), m_done, m_total, m_matches, m_spilled);
        m_clock.restart();
    }

private:
    static constexpr qsizetype kLargestBatch = 256 * 1024; // characters
    std::function<void(QString, int, int, qint64, bool)> m_post;
    const std::atomic_bool& m_cancel;
    DocumentEditor::AsideText* m_aside;
    qsizetype m_shown; // characters of the result so far
    bool m_spilled = false;
    QElapsedTimer m_clock;
    QString m_lines;
    int m_total = 0;
    int m_done = 0;
    qint64 m_matches = 0;
    bool m_first = true;
};

// The lines that end a Grep's result; a stopped run counts the @p shownMatches whose lines it has.
QString resultFooter(const GrepSummary& summary, qint64 shownMatches)
{
    QString footer;
    if (summary.unreadableFiles > 0)
        footer += kGrepSkippedFiles.arg(summary.unreadableFiles) + u'\n';
    return footer + grepFooter(summary.cancelled ? shownMatches : summary.matches, summary.cancelled);
}

GrepConditions conditionsOf(const GrepDialogFields& fields)
{
    GrepConditions conditions;
    conditions.pattern = fields.pattern;
    conditions.paths = { fields.folder };
    conditions.recursive = fields.subfolders;
    conditions.caseSensitive = fields.caseSensitive;
    conditions.wholeWord = fields.wholeWord;
    conditions.regex = fields.regex;
    conditions.fileMask = fields.fileMask;
    conditions.excludedFolders = fields.excludedFolders;
    if (!fields.encoding.isEmpty())
        conditions.encoding = pemmo::formats::encodingFromName(fields.encoding);
    return conditions;
}

} // namespace

GrepCommands::GrepCommands(const GrepControls& controls, DocumentController& documents, EditorFeatures& features,
                           Dialogs& dialogs, ProcessStarter* processes, QObject* parent)
    : QObject(parent)
    , m_ui(controls)
    , m_documents(documents)
    , m_features(features)
    , m_dialogs(dialogs)
    , m_processes(processes)
{
    m_last.fileMask = QStringLiteral("*");
    m_last.excludedFolders = QStringLiteral(".git;.svn");
    m_escape = new QShortcut(QKeySequence(Qt::Key_Escape), m_ui.window);
    m_escape->setEnabled(false);
    connect(m_escape, &QShortcut::activated, this, &GrepCommands::cancel);
    // Over the message field's left end, which gives its text room while the button shows.
    m_cancelButton = new QPushButton(kGrepCancelButton, m_ui.messageField);
    m_cancelButton->setObjectName(QStringLiteral("GrepCancel"));
    m_cancelButton->setFocusPolicy(Qt::NoFocus); // the caret stays in the result
    m_cancelButton->hide();
    connect(m_cancelButton, &QPushButton::clicked, this, &GrepCommands::cancel);
    // Only while the document is a result: elsewhere Enter is a line break and F12 is free.
    m_open = new QShortcut(QKeySequence(Qt::Key_F12), m_ui.RichEdit2, nullptr, nullptr, Qt::WidgetWithChildrenShortcut);
    m_open->setEnabled(false);
    connect(m_open, &QShortcut::activated, this, &GrepCommands::openResultAtCaret);
    connect(m_ui.RichEdit2, &DocumentEditor::enterActivated, this, &GrepCommands::openResultAtCaret);
    // After the view's own double-click (which selects a word) is over.
    connect(
        m_ui.RichEdit2, &DocumentEditor::doubleClicked, this,
        [this] {
            if (showsResult())
                openResultAtCaret();
        },
        Qt::QueuedConnection);
    // Another document in this window: its lines are text again, and Enter breaks them.
    connect(&m_documents.document(), &Document::loaded, this, [this] {
        if (isRunning())
            return;
        m_resultShown = false;
        m_open->setEnabled(false);
        m_ui.RichEdit2->setEnterActivates(false);
    });
    // The window closing mid-run: the workers stop, and the half-written result goes with the editor.
    connect(m_ui.RichEdit2, &QObject::destroyed, this, [this] {
        cancel();
        if (m_thread)
            m_thread->wait();
        (void)m_output.release(); // its load would finish an editor that is gone
    });
    connect(m_ui.RichEdit2, &DocumentEditor::modificationChanged, this, [this](bool modified) {
        if (modified && !isRunning())
            m_resultShown = false;
        const bool result = showsResult();
        m_open->setEnabled(result);
        m_ui.RichEdit2->setEnterActivates(result);
    });
}

GrepCommands::~GrepCommands()
{
    cancel();
    if (m_thread)
        m_thread->wait();
    delete m_thread;
}

bool GrepCommands::showsResult() const
{
    return m_resultShown && !m_ui.RichEdit2->isModified();
}

GrepDialogFields GrepCommands::initialFields() const
{
    GrepDialogFields fields = m_last;
    const QString selected = m_ui.RichEdit2->selectedText();
    if (!selected.isEmpty() && !selected.contains(u'\n') && !selected.contains(QChar::ParagraphSeparator))
        fields.pattern = selected;
    QString folder = m_features.workTree().workFolder();
    if (folder.isEmpty())
        folder = m_documents.currentFileName().trimmed().isEmpty() ? m_last.folder : m_documents.currentFolder();
    if (folder.isEmpty())
        folder = QDir::currentPath();
    fields.folder = folder;
    fields.encodings.clear();
    for (const pemmo::formats::EncodingChoice& choice : pemmo::formats::offeredEncodings()) {
        const QString name = pemmo::formats::encodingName(choice.encoding);
        if (!fields.encodings.contains(name))
            fields.encodings.append(name);
    }
    return fields;
}

void GrepCommands::GrepClick()
{
    GrepDialogFields fields = initialFields();
    if (!m_dialogs.askGrep(fields))
        return;
    run(fields);
}

void GrepCommands::runFromCommandLine(const QStringList& fields)
{
    if (fields.isEmpty()) {
        GrepClick();
        return;
    }
    GrepDialogFields chosen = fieldsFromArguments(fields);
    run(chosen);
}

void GrepCommands::run(const GrepDialogFields& fields)
{
    m_last = fields;
    m_last.encodings.clear();
    m_last.replace = false; // the dialog offers both again
    const GrepConditions conditions = conditionsOf(fields);
    const CompiledPattern compiled = compileGrepPattern(conditions);
    if (!compiled.error.isEmpty()) {
        m_dialogs.message(compiled.error, Dialogs::Icon::Warning);
        return;
    }
    if (!QFileInfo(fields.folder).exists()) {
        m_dialogs.message(kGrepFolderMissing.arg(fields.folder), Dialogs::Icon::Warning);
        return;
    }
    // Each window holds one document: a named or changed one stays, and a new editor runs the Grep.
    if (!(m_documents.holdsUntitledUnchanged() || showsResult()) || isRunning()) {
        if (m_processes)
            m_processes->startGrepEditor(fieldsToArguments(fields));
        return;
    }
    m_documents.startGeneratedDocument(fields.replace ? kGrepReplaceTitle.arg(fields.pattern)
                                                      : grepTitle(fields.pattern));
    m_output = std::make_unique<Output>(*m_ui.RichEdit2);
    m_output->conditions = conditions;
    QString header = grepHeader(conditions);
    if (fields.replace) {
        header.chop(1);
        header += kGrepHeaderReplacement.arg(fields.replacement) + QStringLiteral("\n\n");
    }
    m_output->load.append(header);
    m_resultShown = true;
    m_cancel = false;
    m_shownMatches = 0;
    showRunning(true);
    if (fields.replace) {
        startReplace(conditions, fields.replacement);
        return;
    }

    QPointer<GrepCommands> self(this);
    // The workers wait while the window has a few batches still to take: a backlog would hold
    // memory, and a cancel would wait for the window to take it all.
    auto pending = std::make_shared<std::atomic_int>(0);
    auto post = [this, self, pending](QString lines, int done, int total, qint64 matches, bool spilled) {
        while (pending->load() >= kPendingBatches && !m_cancel.load(std::memory_order_relaxed))
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        ++*pending;
        QMetaObject::invokeMethod(
            self,
            [self, pending, lines = std::move(lines), done, total, matches, spilled] {
                --*pending;
                if (self)
                    self->take(lines, done, total, matches, spilled);
            },
            Qt::QueuedConnection);
    };
    m_output->aside = std::make_unique<DocumentEditor::AsideText>(*m_ui.RichEdit2);
    m_thread = QThread::create([this, conditions, post, aside = m_output->aside.get(), header] {
        BatchingReceiver receiver(post, m_cancel, aside, header);
        const GrepSummary summary = runGrep(conditions, receiver, m_cancel);
        receiver.flush();
        const qint64 asideMatches = receiver.spilled() ? receiver.matches() : -1;
        // Here, where growing the large text for its last lines costs the window nothing.
        if (receiver.spilled())
            aside->add(QString(u'\n' + resultFooter(summary, asideMatches)).toUtf8());
        QMetaObject::invokeMethod(
            this, [this, summary, asideMatches] { end(summary, asideMatches); }, Qt::QueuedConnection);
    });
    m_thread->start();
}

void GrepCommands::startReplace(const GrepConditions& conditions, const QString& replacement)
{
    m_replacement = replacement;
    m_ui.messageField->setText(kGrepReplaceSearching.arg(0).arg(0) + kGrepCancelHint);
    // First only counted: nothing is written before the user has agreed to the count.
    QPointer<GrepCommands> self(this);
    m_thread = QThread::create([this, self, conditions, replacement] {
        const GrepReplacer replacer(conditions, replacement);
        GrepSummary summary;
        // The status row follows a few times a second, not once per file.
        QElapsedTimer sinceShown;
        sinceShown.start();
        const auto progress = [self, &sinceShown](const GrepReplacer::PlanProgress& at) {
            if (at.done < at.total && sinceShown.elapsed() < kProgressShownEveryMs)
                return;
            sinceShown.restart();
            const QString text =
                (at.counting ? kGrepReplaceCounting : kGrepReplaceSearching).arg(at.done).arg(at.total);
            QMetaObject::invokeMethod(
                self,
                [self, text] {
                    if (self && self->m_output)
                        self->m_ui.messageField->setText(text + kGrepCancelHint);
                },
                Qt::QueuedConnection);
        };
        const QList<FileReplacement> files = replacer.plan(summary, m_cancel, progress);
        QMetaObject::invokeMethod(
            this, [this, files, summary] { planned(files, summary); }, Qt::QueuedConnection);
    });
    m_thread->start();
}

void GrepCommands::planned(const QList<FileReplacement>& files, const GrepSummary& summary)
{
    threadDone();
    if (!m_output)
        return;
    QString failures;
    QStringList toChange;
    qint64 matches = 0;
    for (const FileReplacement& file : files) {
        if (!file.error.isEmpty()) {
            failures += file.error + u'\n';
        } else {
            toChange.append(file.path);
            matches += file.matches;
        }
    }
    for (const QString& error : summary.errors)
        failures += error + u'\n';
    if (!failures.isEmpty())
        m_output->load.append(failures);
    if (summary.cancelled) {
        finishOutput(kGrepReplaceCancelled.arg(0).arg(0));
        return;
    }
    if (toChange.isEmpty()) {
        finishOutput(kGrepReplaceNothing);
        return;
    }
    if (m_dialogs.ask(kGrepReplaceQuestion.arg(toChange.size()).arg(matches),
                      { Dialogs::Button::Yes, Dialogs::Button::No }) != Dialogs::Button::Yes) {
        finishOutput(kGrepReplaceDeclined);
        return;
    }
    if (!m_output)
        return; // the window went while the question was open
    showRunning(true);
    const GrepConditions conditions = m_output->conditions;
    const QString replacement = m_replacement;
    QPointer<GrepCommands> self(this);
    m_thread = QThread::create([this, self, conditions, replacement, toChange] {
        const GrepReplacer replacer(conditions, replacement);
        int changed = 0;
        int notWritten = 0;
        qint64 replacedMatches = 0;
        for (qsizetype i = 0; i < toChange.size() && !m_cancel.load(); ++i) {
            const FileReplacement file = replacer.apply(toChange[i]);
            QString line;
            if (file.written) {
                ++changed;
                replacedMatches += file.matches;
                line = kGrepReplacedFile
                           .arg(QDir::toNativeSeparators(file.path), pemmo::formats::encodingLabel(file.format))
                           .arg(file.matches);
            } else if (!file.error.isEmpty()) {
                ++notWritten;
                line = file.error;
            }
            if (!line.isEmpty())
                line += u'\n';
            const int done = int(i + 1);
            const int total = int(toChange.size());
            QMetaObject::invokeMethod(
                self,
                [self, line, done, total] {
                    if (self && self->m_output) {
                        if (!line.isEmpty())
                            self->m_output->load.append(line);
                        self->m_ui.messageField->setText(kGrepReplaceProgress.arg(done).arg(total) + kGrepCancelHint);
                    }
                },
                Qt::QueuedConnection);
        }
        const bool cancelled = m_cancel.load() && changed + notWritten < toChange.size();
        QMetaObject::invokeMethod(
            this,
            [this, changed, replacedMatches, notWritten, cancelled] {
                replaced(changed, replacedMatches, notWritten, cancelled);
            },
            Qt::QueuedConnection);
    });
    m_thread->start();
}

void GrepCommands::replaced(int filesChanged, qint64 matches, int notWritten, bool cancelled)
{
    threadDone();
    if (!m_output)
        return;
    QString footer;
    if (notWritten > 0)
        footer += kGrepReplaceNotWritten.arg(notWritten) + u'\n';
    footer += (cancelled ? kGrepReplaceCancelled : kGrepReplaceDone).arg(filesChanged).arg(matches);
    finishOutput(footer);
}

void GrepCommands::threadDone()
{
    if (m_thread) {
        m_thread->wait();
        delete m_thread;
        m_thread = nullptr;
    }
    showRunning(false);
}

void GrepCommands::showRunning(bool running)
{
    m_escape->setEnabled(running);
    QLabel* field = m_ui.messageField;
    if (running == !m_cancelButton->isHidden())
        return;
    if (running) {
        m_messageMargins = field->contentsMargins();
        const int width = m_cancelButton->sizeHint().width();
        m_cancelButton->setGeometry(0, 0, width, field->height());
        field->setContentsMargins(m_messageMargins.left() + width + 4, m_messageMargins.top(), m_messageMargins.right(),
                                  m_messageMargins.bottom());
        m_cancelButton->show();
    } else {
        m_cancelButton->hide();
        field->setContentsMargins(m_messageMargins);
    }
}

void GrepCommands::take(const QString& lines, int filesDone, int filesTotal, qint64 matches, bool spilled)
{
    // Once stopped, the batches still on their way are dropped: the stop answers at once, and
    // the count at the end is that of the lines shown.
    if (!m_output || m_cancel.load())
        return;
    if (!lines.isEmpty())
        m_output->load.append(lines);
    if (spilled && !m_resultLater)
        m_output->load.append(QString(kGrepResultLaterLine + u'\n'));
    m_resultLater = spilled;
    m_shownMatches = matches;
    m_ui.messageField->setText(kGrepProgress.arg(filesDone).arg(filesTotal).arg(matches) +
                               (m_resultLater ? kGrepResultLater : QString()) + kGrepCancelHint);
}

void GrepCommands::end(const GrepSummary& summary, qint64 asideMatches)
{
    threadDone();
    if (!m_output)
        return;
    if (asideMatches < 0)
        m_output->aside.reset();
    finishOutput(resultFooter(summary, asideMatches >= 0 ? asideMatches : m_shownMatches));
}

void GrepCommands::finishOutput(const QString& footer)
{
    m_output->load.append(QString(u'\n' + footer));
    m_output->load.finish();
    // The worker that built the whole result aside, its end included, has ended before this.
    if (m_output->aside) {
        if (!m_output->aside->show())
            m_dialogs.message(kGrepResultTooLarge, Dialogs::Icon::Warning);
    }
    m_output.reset();
    m_resultLater = false;
    m_ui.RichEdit2->setModified(false);
    m_ui.messageField->setText(footer);
    const bool result = showsResult();
    m_open->setEnabled(result);
    m_ui.RichEdit2->setEnterActivates(result);
    Q_EMIT finished();
}

void GrepCommands::cancel()
{
    m_cancel = true;
}

bool GrepCommands::openResultAtCaret()
{
    DocumentEditor& editor = *m_ui.RichEdit2;
    const int line = editor.lineFromChar(editor.selectionStart());
    const int start = editor.lineIndex(line);
    const int end = line + 1 < editor.lineCount() ? editor.lineIndex(line + 1) : -1;
    const QString text = editor.text();
    const QString lineText = text.mid(start, end < 0 ? -1 : end - start).section(u'\n', 0, 0);
    const std::optional<GrepLocation> location = parseGrepResultLine(lineText);
    if (!location || !m_processes)
        return false;
    // The match's length: the pattern found again at that column of the shown line.
    qint64 length = 0;
    const CompiledPattern compiled = compileGrepPattern(conditionsOf(m_last));
    if (compiled.error.isEmpty()) {
        const qsizetype textStart = lineText.indexOf(QStringLiteral("]: ")) + 3;
        const QList<GrepMatch> matches = searchLines(lineText.mid(textStart), compiled.expression);
        if (!matches.isEmpty() && matches.first().column == location->column)
            length = matches.first().length;
    }
    m_processes->startEditorAt(QDir::fromNativeSeparators(location->path), location->line, location->column, length);
    return true;
}

QStringList GrepCommands::fieldsToArguments(const GrepDialogFields& fields)
{
    QString flags;
    if (fields.subfolders)
        flags += u's';
    if (fields.caseSensitive)
        flags += u'c';
    if (fields.wholeWord)
        flags += u'w';
    if (fields.regex)
        flags += u'r';
    if (fields.replace)
        flags += u'x';
    return { fields.pattern,  fields.folder, fields.fileMask,   fields.excludedFolders,
             fields.encoding, flags,         fields.replacement };
}

GrepDialogFields GrepCommands::fieldsFromArguments(const QStringList& arguments)
{
    GrepDialogFields fields;
    const auto at = [&arguments](int k) { return k < arguments.size() ? arguments[k] : QString(); };
    fields.pattern = at(0);
    fields.folder = at(1);
    fields.fileMask = at(2);
    fields.excludedFolders = at(3);
    fields.encoding = at(4);
    const QString flags = at(5);
    fields.subfolders = flags.contains(u's');
    fields.caseSensitive = flags.contains(u'c');
    fields.wholeWord = flags.contains(u'w');
    fields.regex = flags.contains(u'r');
    fields.replace = flags.contains(u'x');
    fields.replacement = at(6);
    return fields;
}
