// SPDX-License-Identifier: MIT
// A user's journey through the real executable: a real X server without a window manager, keys and clicks
// from xdotool, and what the screen shows read back through the accessibility bus (window titles, status
// texts, menu items, the editor's text) and from the files the program writes.
#include "desktopbus.h"
#include "journeyfiles.h"
#include "xsession.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

using namespace journey;

namespace {

const QString kVersionCaption = QStringLiteral("Orvel Soft Version １．４．５");

QString captionOf(const QString& path)
{
    return QStringLiteral("[ %1 ]-%2").arg(path, kVersionCaption);
}

QString outputPath(const QString& name)
{
    return QStringLiteral(PEMMO_E2E_OUTPUT "/") + name;
}

// Three occurrences of the replaced word; characters whose second byte is a backslash in CP932 (表, ソ);
// half-width kana and symbols that only CP932 has; and enough lines for several printed pages.
QStringList documentLines()
{
    QStringList lines { QStringLiteral("旅の記録 journey"), QStringLiteral("東京から大阪まで、東京駅で乗り換え"),
                        QStringLiteral("三日目は東京タワー"), QStringLiteral("表示とソフトの予定表 ｶﾀｶﾅ ① ～ ♪") };
    for (int i = 5; i <= 160; ++i)
        lines.append(QStringLiteral("%1 行目: 車窓から見える山と川").arg(i));
    return lines;
}

} // namespace

class TestJourney : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();
    void init();
    void cleanup();
    // The steps run in this order, each going on from where the previous one left the program, as a user does.
    void startsWithTheFileNamedOnTheCommandLine();
    void aClickMovesTheCaretAndThePositionText();
    void replaceAllReportsHowManyItReplaced();
    void lineNumbersSwitchOnFromTheViewMenu();
    void saveAsRtfThroughTheSaveDialog();
    void exitFromTheFileMenuStoresTheSettings();
    void aNewStartOffersTheRecentFileWithLineNumbersStillOn();
    void printPreviewPagesThroughTheDocument();
    void quittingAModifiedDocumentAsksFirst();
    void theEncodingFieldNamesTheFileAndReopensIt();
    void desktopEntryOpensAFileFromAFileManager();

private:
    bool startEditor(const QStringList& arguments);
    QProcessEnvironment environment() const { return m_bus->environment(m_x->environment()); }
    QList<AccessibleNode> nodes() const;
    std::optional<AccessibleNode> waitForNode(const std::function<bool(const AccessibleNode&)>& matches,
                                              int ms = 30000) const;
    std::optional<AccessibleNode> waitForLabel(const QRegularExpression& text, int ms = 30000) const;
    std::optional<AccessibleNode> editorView() const;
    QString otherWindow(const QStringList& known, int ms = 30000) const;
    bool windowGone(const QString& window, int ms = 30000) const;
    void focusAndPress(const QString& window, const QStringList& keys) const;
    void type(const QString& text) const;
    void clickOn(const AccessibleNode& node) const;
    void screenshot(const QString& name) const { m_x->screenshot(outputPath(name)); }

    std::unique_ptr<XSession> m_x;
    std::unique_ptr<DesktopBus> m_bus;
    QTemporaryDir m_files;
    QString m_textPath;
    QString m_rtfPath;
    QByteArray m_textBytes;
    QStringList m_expected; // the document as the editor should now hold it
    std::unique_ptr<QProcess> m_editor;
    QString m_window;
    QList<qint64> m_detached;
    QString m_failedStep; // the first step that failed: the ones after it start from a state it did not leave
};

namespace {
// A start under load (a busy CI machine, the accessibility bus coming up) can take many seconds; the waits
// end as soon as their condition holds, so generous bounds cost a passing run nothing.
constexpr int kStartMs = 90000;
} // namespace

void TestJourney::initTestCase()
{
    if (const QString missing = XSession::missingTools(false); !missing.isEmpty())
        QSKIP(qPrintable(missing));
    if (const QString missing = DesktopBus::missingTools(); !missing.isEmpty())
        QSKIP(qPrintable(missing));
    m_x = std::make_unique<XSession>();
    QVERIFY2(m_x->start(false), qPrintable(m_x->errorString()));
    m_bus = std::make_unique<DesktopBus>();
    QVERIFY2(m_bus->start(m_x->environment()), qPrintable(m_bus->errorString()));

    // The first-run values, but as an editor: with the launcher wanted the start would show no window.
    QVERIFY(writeHive(m_x->hivePath(), editorFirstRunHive()));

    QVERIFY(QDir(m_files.path()).mkpath(QStringLiteral("旅の 記録")));
    QVERIFY(QDir(m_files.path()).mkpath(QStringLiteral("保存 先")));
    m_textPath = m_files.filePath(QStringLiteral("旅の 記録/日本語 メモ.txt"));
    m_rtfPath = m_files.filePath(QStringLiteral("保存 先/旅 程.rtf"));
    m_expected = documentLines();
    m_textBytes = toCp932(m_expected.join(QLatin1String("\r\n")) + QLatin1String("\r\n"));
    QVERIFY(!m_textBytes.isEmpty());
    QFile text(m_textPath);
    QVERIFY(text.open(QIODevice::WriteOnly));
    QCOMPARE(text.write(m_textBytes), m_textBytes.size());
}

void TestJourney::cleanupTestCase()
{
    for (const qint64 pid : std::as_const(m_detached)) {
        if (!processEnded(pid))
            ::kill(pid_t(pid), SIGTERM);
    }
    if (m_editor) {
        m_editor->kill();
        m_editor->waitForFinished();
    }
    m_bus.reset();
    m_x.reset();
}

void TestJourney::init()
{
    // The last steps start a program of their own and do not depend on the ones before them.
    const bool independent = qstrcmp(QTest::currentTestFunction(), "theEncodingFieldNamesTheFileAndReopensIt") == 0 ||
        qstrcmp(QTest::currentTestFunction(), "desktopEntryOpensAFileFromAFileManager") == 0;
    if (!m_failedStep.isEmpty() && !independent)
        QSKIP(qPrintable(QStringLiteral("follows step %1, which failed").arg(m_failedStep)));
}

void TestJourney::cleanup()
{
    if (QTest::currentTestFailed() && m_failedStep.isEmpty())
        m_failedStep = QString::fromLatin1(QTest::currentTestFunction());
}

bool TestJourney::startEditor(const QStringList& arguments)
{
    m_editor = std::make_unique<QProcess>();
    m_editor->setProcessEnvironment(environment());
    m_editor->start(QStringLiteral(PEMMO_BINARY), arguments);
    if (!m_editor->waitForStarted())
        return false;
    m_window.clear();
    XSession::waitFor(
        [this] {
            for (const QString& window : m_x->visibleWindows(m_editor->processId())) {
                if (m_x->windowName(window).startsWith(QLatin1String("[ ")))
                    m_window = window;
            }
            return !m_window.isEmpty() || m_editor->state() == QProcess::NotRunning;
        },
        kStartMs);
    // The accessibility bridge registers shortly after the window maps.
    return !m_window.isEmpty() &&
        waitForNode([](const AccessibleNode& node) { return node.role == u"frame"; }, kStartMs);
}

QList<AccessibleNode> TestJourney::nodes() const
{
    return m_editor ? m_bus->snapshot(m_editor->processId()) : QList<AccessibleNode>();
}

std::optional<AccessibleNode> TestJourney::waitForNode(const std::function<bool(const AccessibleNode&)>& matches,
                                                       int ms) const
{
    std::optional<AccessibleNode> found;
    XSession::waitFor(
        [&] {
            for (const AccessibleNode& node : nodes()) {
                if (matches(node)) {
                    found = node;
                    return true;
                }
            }
            return false;
        },
        ms);
    return found;
}

std::optional<AccessibleNode> TestJourney::waitForLabel(const QRegularExpression& text, int ms) const
{
    return waitForNode(
        [&](const AccessibleNode& node) {
            return node.role == u"label" && node.showing && text.match(node.name).hasMatch();
        },
        ms);
}

std::optional<AccessibleNode> TestJourney::editorView() const
{
    // The document editor is the largest text area the editor window shows.
    std::optional<AccessibleNode> best;
    int bestArea = 0;
    const QString title = m_x->windowName(m_window);
    for (const AccessibleNode& node : nodes()) {
        if (node.role != u"text" || !node.showing || node.window != title)
            continue;
        const QRect rect = m_bus->extents(node);
        if (rect.width() * rect.height() > bestArea) {
            bestArea = rect.width() * rect.height();
            best = node;
        }
    }
    return best;
}

QString TestJourney::otherWindow(const QStringList& known, int ms) const
{
    QString found;
    XSession::waitFor(
        [&] {
            for (const QString& window : m_x->visibleWindows(m_editor->processId())) {
                if (!known.contains(window))
                    found = window;
            }
            return !found.isEmpty();
        },
        ms);
    return found;
}

bool TestJourney::windowGone(const QString& window, int ms) const
{
    return XSession::waitFor([&] { return !m_x->visibleWindows(m_editor->processId()).contains(window); }, ms);
}

void TestJourney::focusAndPress(const QString& window, const QStringList& keys) const
{
    // Without a window manager nobody gives a window the keyboard: a closed dialog leaves it on the root window.
    m_x->xdotool({ QStringLiteral("windowfocus"), QStringLiteral("--sync"), window });
    m_x->keys(keys);
}

void TestJourney::type(const QString& text) const
{
    QVERIFY2(m_x->bindCharacters(text), "no free key left for the characters to type");
    m_x->xdotool({ QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("40"), text });
}

void TestJourney::clickOn(const AccessibleNode& node) const
{
    m_x->click(m_bus->extents(node).center());
}

void TestJourney::startsWithTheFileNamedOnTheCommandLine()
{
    QVERIFY2(startEditor({ m_textPath }), "no editor window for the file named on the command line");
    QCOMPARE(m_x->windowName(m_window), captionOf(m_textPath));
    // The CP932 bytes arrive as the right characters, 表 and ソ included.
    const std::optional<AccessibleNode> view = editorView();
    QVERIFY2(view, "the editor window shows no text area");
    QCOMPARE(linesOf(m_bus->text(*view)), m_expected);
    screenshot(QStringLiteral("journey-1-opened.png"));
}

void TestJourney::aClickMovesTheCaretAndThePositionText()
{
    QVERIFY2(waitForLabel(QRegularExpression(QStringLiteral("^R: 1 C: 1$"))), "no position R: 1 C: 1 at start");
    const std::optional<AccessibleNode> view = editorView();
    QVERIFY(view);
    // Just inside the left edge of the third character of the second line: the caret goes before it.
    const int offset = int(m_expected[0].size()) + 1 + 2;
    const QRect firstLine = m_bus->characterExtents(*view, 0);
    QRect character = m_bus->characterExtents(*view, offset);
    QVERIFY2(firstLine.isValid() && character.isValid(), "the editor reports no place for its characters");
    // Qt 6.4 places the characters of a plain-text view as if every line were the first; the column is right.
    if (character.top() == firstLine.top())
        character.translate(0, firstLine.height());
    m_x->click({ character.left() + 2, character.center().y() });
    QVERIFY2(waitForLabel(QRegularExpression(QStringLiteral("^R: 2 C: 3$"))),
             "the position field does not read R: 2 C: 3 after a click before the third character of line 2");

    // What is typed lands where the click put the caret.
    type(QStringLiteral("★"));
    m_expected[1].insert(2, QStringLiteral("★"));
    QVERIFY(XSession::waitFor([&] { return linesOf(m_bus->text(*view)) == m_expected; }));
    QVERIFY2(waitForLabel(QRegularExpression(QStringLiteral("^R: \\d+ C: \\d+$"))), "the position field lost its text");
    QVERIFY2(XSession::waitFor([&] { return m_x->windowName(m_window) == u'*' + captionOf(m_textPath); }),
             "the title does not mark the unsaved change with *");
    screenshot(QStringLiteral("journey-2-caret.png"));
}

void TestJourney::replaceAllReportsHowManyItReplaced()
{
    focusAndPress(m_window, { QStringLiteral("ctrl+f") });
    const QString dialog = otherWindow({ m_window });
    QVERIFY2(!dialog.isEmpty(), "no search dialog after Ctrl+F");
    QCOMPARE(m_x->windowName(dialog), QStringLiteral("検索／置き換え"));

    type(QStringLiteral("東京"));
    m_x->keys({ QStringLiteral("Tab") });
    type(QStringLiteral("江戸"));
    m_x->keys({ QStringLiteral("alt+a") });
    const QString message = otherWindow({ m_window, dialog });
    QVERIFY2(!message.isEmpty(), "no message box after Replace All");
    QVERIFY2(waitForLabel(QRegularExpression(QStringLiteral("^3個置き換えました$"))),
             "the message box does not read 3個置き換えました");
    const QRect box = m_x->windowGeometry(message);
    const QStringList screen = m_x->xdotool({ QStringLiteral("getdisplaygeometry") }).split(u' ');
    QVERIFY2(QRect(0, 0, screen.value(0).toInt(), screen.value(1).toInt()).contains(box) && !box.isEmpty(),
             "the message box is not on the screen");
    screenshot(QStringLiteral("journey-3-replaced.png"));
    focusAndPress(message, { QStringLiteral("Return") });
    QVERIFY2(windowGone(message), "Return did not dismiss the message box");

    for (QString& line : m_expected)
        line.replace(QStringLiteral("東京"), QStringLiteral("江戸"));
    const std::optional<AccessibleNode> view = editorView();
    QVERIFY(view);
    QCOMPARE(linesOf(m_bus->text(*view)), m_expected);
    focusAndPress(dialog, { QStringLiteral("Escape") });
    QVERIFY2(windowGone(dialog), "Escape did not close the search dialog");
}

void TestJourney::lineNumbersSwitchOnFromTheViewMenu()
{
    // 表示 has no access key: Right from the open 編集 menu reaches it; 行番号 is the item above
    // its last one, 色分け表示.
    QVERIFY2(!waitForLabel(QRegularExpression(QStringLiteral("^ 1\n")), 500),
             "line numbers shown before switching them on");
    focusAndPress(m_window,
                  { QStringLiteral("alt+e"), QStringLiteral("Right"), QStringLiteral("Up"), QStringLiteral("Up"),
                    QStringLiteral("Return") });
    QVERIFY2(waitForLabel(QRegularExpression(QStringLiteral("^ 1\n 2\n 3\n"))), "no line numbers after 表示 → 行番号");
    screenshot(QStringLiteral("journey-4-line-numbers.png"));
}

void TestJourney::saveAsRtfThroughTheSaveDialog()
{
    focusAndPress(m_window, { QStringLiteral("alt+f"), QStringLiteral("a") });
    const QString dialog = otherWindow({ m_window });
    QVERIFY2(!dialog.isEmpty(), "no save dialog after ﾌｧｲﾙ(&F) → 名前を付けて保存(&A)");
    // Tab leads from the file name to the file-type list; the RTF type is its third entry.
    m_x->keys({ QStringLiteral("Tab"), QStringLiteral("Home"), QStringLiteral("Down"), QStringLiteral("Down") });
    QVERIFY2(waitForNode([](const AccessibleNode& node) {
                 return node.role == u"combo box" && node.name.startsWith(QStringLiteral("リッチテキストファイル"));
             }),
             "the save dialog's file-type list did not move to the RTF type");
    m_x->keys({ QStringLiteral("shift+Tab") });
    type(m_rtfPath);
    screenshot(QStringLiteral("journey-5-save-dialog.png"));
    m_x->keys({ QStringLiteral("Return") });
    QVERIFY2(windowGone(dialog), "the save dialog stayed open after Return");

    // The file is written once the dialog has gone, which a busy machine may take a moment for.
    XSession::waitFor([&] { return m_x->windowName(m_window) == captionOf(m_rtfPath); });
    const QString written = QDir(QFileInfo(m_rtfPath).absolutePath()).entryList(QDir::Files).join(QLatin1String(", "));
    QVERIFY2(QFile::exists(m_rtfPath),
             qPrintable(QStringLiteral("Save As with the RTF type chosen and the name %1 typed wrote: %2")
                            .arg(m_rtfPath, written.isEmpty() ? QStringLiteral("nothing") : written)));
    QVERIFY(XSession::waitFor([&] { return m_x->windowName(m_window) == captionOf(m_rtfPath); }));
    QFile rtf(m_rtfPath);
    QVERIFY(rtf.open(QIODevice::ReadOnly));
    QVERIFY2(rtf.read(5) == "{\\rtf", "the .rtf file is not RTF");
    QString error;
    const std::optional<QString> text = convertToText(QStringLiteral(PEMMO_CONVERT), m_rtfPath, &error);
    QVERIFY2(text, qPrintable(error));
    QCOMPARE(linesOf(*text), m_expected);
    // Save As leaves the file the editor was started with as it was.
    QFile original(m_textPath);
    QVERIFY(original.open(QIODevice::ReadOnly));
    QCOMPARE(original.readAll(), m_textBytes);

    // Ctrl+S writes the file under its new name again, and the title's * comes and goes with the change.
    focusAndPress(m_window, { QStringLiteral("ctrl+End") });
    type(QStringLiteral("♪"));
    QVERIFY2(XSession::waitFor([&] { return m_x->windowName(m_window) == u'*' + captionOf(m_rtfPath); }),
             "the title does not mark the unsaved change with *");
    focusAndPress(m_window, { QStringLiteral("ctrl+s") });
    QVERIFY2(XSession::waitFor([&] { return m_x->windowName(m_window) == captionOf(m_rtfPath); }),
             "Ctrl+S did not save: the title still shows *");
    const std::optional<QString> saved = convertToText(QStringLiteral(PEMMO_CONVERT), m_rtfPath, &error);
    QVERIFY2(saved, qPrintable(error));
    QVERIFY2(saved->contains(QStringLiteral("♪")), "the file saved with Ctrl+S lacks what was typed");
}

void TestJourney::exitFromTheFileMenuStoresTheSettings()
{
    QVERIFY2(m_editor && m_editor->state() == QProcess::Running, "the editor is no longer running");
    focusAndPress(m_window, { QStringLiteral("alt+f"), QStringLiteral("x") });
    QVERIFY2(m_editor->waitForFinished(10000), "終了(&X) did not end the editor");
    QCOMPARE(m_editor->exitStatus(), QProcess::NormalExit);
    QCOMPARE(m_editor->exitCode(), 0);

    const QMap<QString, QString> hive = readHive(m_x->hivePath());
    QCOMPARE(hiveDword(hive.value(QStringLiteral("mvg"))), std::optional<quint32>(1));
    QCOMPARE(hiveDword(hive.value(QStringLiteral("mino"))), std::optional<quint32>(0));
    // Only opening a file makes it recent; saving under a new name does not.
    QCOMPARE(hiveString(hive.value(QStringLiteral("mru1"))), std::optional<QString>(m_textPath));
    QCOMPARE(hiveString(hive.value(QStringLiteral("mru2"))), std::optional<QString>(QString()));
    QCOMPARE(hiveString(hive.value(QStringLiteral("mmm1"))),
             std::optional<QString>(QFileInfo(m_textPath).absolutePath() + u'/'));
}

void TestJourney::aNewStartOffersTheRecentFileWithLineNumbersStillOn()
{
    QVERIFY2(startEditor({}), "no editor window at a start without a file");
    const QString programFolder = QFileInfo(QStringLiteral(PEMMO_BINARY)).absolutePath() + u'/';
    QCOMPARE(m_x->windowName(m_window), captionOf(programFolder));
    QVERIFY2(waitForLabel(QRegularExpression(QStringLiteral("^ 1\n 2\n 3\n"))),
             "line numbers are off after a new start");

    focusAndPress(m_window, { QStringLiteral("alt+f") });
    const QString recent = QStringLiteral("1 ") + m_textPath;
    QVERIFY2(waitForNode([&](const AccessibleNode& node) {
                 return node.role == u"menu item" && node.showing && node.name == recent;
             }),
             qPrintable(QStringLiteral("the File menu shows no recent item \"%1\"").arg(recent)));
    static const QRegularExpression anyRecent(QStringLiteral("^[1-5] /"));
    int shownRecent = 0;
    for (const AccessibleNode& node : nodes())
        shownRecent += node.role == u"menu item" && node.showing && anyRecent.match(node.name).hasMatch();
    QCOMPARE(shownRecent, 1);
    screenshot(QStringLiteral("journey-7-recent-files.png"));

    m_x->keys({ QStringLiteral("1") });
    QVERIFY2(XSession::waitFor([&] { return m_x->windowName(m_window) == captionOf(m_textPath); }),
             "choosing the recent file did not open it");
    // Reopening stores the file's folder as the one the open dialog starts in.
    QCOMPARE(hiveString(readHive(m_x->hivePath()).value(QStringLiteral("mdirsave"))),
             std::optional<QString>(QFileInfo(m_textPath).absolutePath() + u'/'));
    m_expected = documentLines();
    const std::optional<AccessibleNode> view = editorView();
    QVERIFY(view);
    QVERIFY(XSession::waitFor([&] { return linesOf(m_bus->text(*view)) == m_expected; }));
    QVERIFY2(waitForLabel(QRegularExpression(QStringLiteral("^ 1\n 2\n 3\n"))), "line numbers went off on reopening");
}

void TestJourney::printPreviewPagesThroughTheDocument()
{
    QVERIFY2(m_editor && m_editor->state() == QProcess::Running, "the editor is no longer running");
    // 印刷プレビュー has no access key: it is the tenth item of ﾌｧｲﾙ(&F), after the two encoding submenus.
    QStringList keys { QStringLiteral("alt+f") };
    for (int i = 0; i < 9; ++i)
        keys.append(QStringLiteral("Down"));
    focusAndPress(m_window, keys << QStringLiteral("Return"));
    QVERIFY2(waitForLabel(QRegularExpression(QStringLiteral("^プレビュー$"))),
             "no プレビュー message after 印刷プレビュー");
    const std::optional<AccessibleNode> counter = waitForLabel(QRegularExpression(QStringLiteral("^1 / \\d+$")));
    QVERIFY2(counter, "the preview shows no page counter 1 / N");
    const int pages = counter->name.section(QLatin1String(" / "), 1).toInt();
    QVERIFY2(pages >= 3, qPrintable(QStringLiteral("%1 lines printed on %2 pages").arg(m_expected.size()).arg(pages)));

    const auto press = [&](const QString& caption, int expectedPage) {
        const std::optional<AccessibleNode> button = waitForNode([&](const AccessibleNode& node) {
            return node.role == u"push button" && node.showing && node.name == caption;
        });
        if (!button)
            return QStringLiteral("no button %1 in the preview").arg(caption);
        clickOn(*button);
        const QString expected = QStringLiteral("%1 / %2").arg(expectedPage).arg(pages);
        if (!waitForLabel(QRegularExpression(QStringLiteral("^%1$").arg(expected))))
            return QStringLiteral("the counter does not read %1 after %2").arg(expected, caption);
        return QString();
    };
    QString failure = press(QStringLiteral(">"), 2);
    QVERIFY2(failure.isEmpty(), qPrintable(failure));
    failure = press(QStringLiteral(">>"), pages);
    QVERIFY2(failure.isEmpty(), qPrintable(failure));
    screenshot(QStringLiteral("journey-8-preview-last-page.png"));
    failure = press(QStringLiteral("<"), pages - 1);
    QVERIFY2(failure.isEmpty(), qPrintable(failure));
    failure = press(QStringLiteral("<<"), 1);
    QVERIFY2(failure.isEmpty(), qPrintable(failure));
}

void TestJourney::quittingAModifiedDocumentAsksFirst()
{
    QVERIFY2(m_editor && m_editor->state() == QProcess::Running, "the editor is no longer running");
    // The same menu item leaves the preview.
    QStringList keys { QStringLiteral("alt+f") };
    for (int i = 0; i < 9; ++i)
        keys.append(QStringLiteral("Down"));
    focusAndPress(m_window, keys << QStringLiteral("Return"));
    std::optional<AccessibleNode> view;
    QVERIFY2(XSession::waitFor([&] { return (view = editorView()).has_value(); }),
             "the preview did not give way to the text");
    clickOn(*view);
    type(QStringLiteral("!"));

    focusAndPress(m_window, { QStringLiteral("alt+f"), QStringLiteral("x") });
    const QString prompt = otherWindow({ m_window });
    QVERIFY2(!prompt.isEmpty(), "no question before closing a modified document");
    QVERIFY(waitForLabel(QRegularExpression(QStringLiteral("^テキストが保存されていません.\n保存しますか？$"))));
    screenshot(QStringLiteral("journey-9-save-prompt.png"));
    QCOMPARE(m_x->windowName(prompt), QFileInfo(m_textPath).fileName());

    focusAndPress(prompt, { QStringLiteral("alt+n") });
    QVERIFY2(m_editor->waitForFinished(10000), "answering No did not end the editor");
    QCOMPARE(m_editor->exitCode(), 0);
    QFile original(m_textPath);
    QVERIFY(original.open(QIODevice::ReadOnly));
    QCOMPARE(original.readAll(), m_textBytes);
}

void TestJourney::theEncodingFieldNamesTheFileAndReopensIt()
{
    // An EUC-JP file, as older Unix tools wrote Japanese: found by its bytes and named in the status row.
    const QStringList eucLines { QStringLiteral("漢字と仮名の混じった文章です。"),
                                 QStringLiteral("古い端末で書かれた日本語のメモを開きます。") };
    const QString eucPath = m_files.filePath(QStringLiteral("旅の 記録/euc メモ.txt"));
    QFile euc(eucPath);
    QVERIFY(euc.open(QIODevice::WriteOnly));
    const QByteArray eucBytes = encodeAs("EUC-JP", eucLines.join(u'\n') + u'\n');
    QVERIFY(!eucBytes.isEmpty());
    euc.write(eucBytes);
    euc.close();
    QVERIFY2(startEditor({ eucPath }), "no editor window for the EUC-JP file");
    const std::optional<AccessibleNode> view = editorView();
    QVERIFY(view);
    QCOMPARE(linesOf(m_bus->text(*view)), eucLines);
    QVERIFY2(waitForLabel(QRegularExpression(QStringLiteral("^EUC-JP  LF$"))),
             "the status row does not name EUC-JP and LF for an EUC-JP file");
    screenshot(QStringLiteral("journey-10-euc-jp.png"));
    focusAndPress(m_window, { QStringLiteral("alt+f"), QStringLiteral("x") });
    QVERIFY2(m_editor->waitForFinished(10000), "終了(&X) did not end the editor");

    // UTF-8 with one byte another tool damaged is still UTF-8: it opens as UTF-8, the bad byte shown as one
    // replacement character. Reopening it from the status row's menu in another encoding reads it that way.
    const QStringList utf8Lines { QStringLiteral("壊れたバイトがひとつだけある UTF-8 のファイル"),
                                  QStringLiteral("文字コードを指定して開き直します。") };
    const QString utf8Path = m_files.filePath(QStringLiteral("旅の 記録/utf8 メモ.txt"));
    QByteArray utf8Bytes = utf8Lines.join(u'\n').toUtf8() + '\n';
    utf8Bytes.insert(utf8Lines[0].toUtf8().indexOf(' '), '\xE9');
    QFile utf8(utf8Path);
    QVERIFY(utf8.open(QIODevice::WriteOnly));
    utf8.write(utf8Bytes);
    utf8.close();
    QVERIFY2(startEditor({ utf8Path }), "no editor window for the damaged UTF-8 file");
    const std::optional<AccessibleNode> field = waitForLabel(QRegularExpression(QStringLiteral("^UTF-8  LF$")));
    QVERIFY2(field, "the damaged UTF-8 file was not read as UTF-8");
    QStringList expected = utf8Lines;
    expected[0].insert(expected[0].indexOf(u' '), QChar::ReplacementCharacter);
    std::optional<AccessibleNode> shown;
    QVERIFY2(XSession::waitFor([&] {
                 shown = editorView();
                 return shown && linesOf(m_bus->text(*shown)) == expected;
             }),
             "the damaged UTF-8 file does not show its text with one replacement character");

    // The popup is a window of its own that the accessibility tree does not list: keys choose in it, as in
    // any menu. Its first entry is the reopen menu, whose first item is Shift_JIS (CP932).
    clickOn(*field);
    const QString popup = otherWindow({ m_window });
    QVERIFY2(!popup.isEmpty(), "a click on the encoding field opened no menu");
    m_x->keys({ QStringLiteral("Down"), QStringLiteral("Right") });
    const QString reopen = otherWindow({ m_window, popup });
    QVERIFY2(!reopen.isEmpty(), "the encoding field's menu does not open 文字コードを指定して開き直す");
    screenshot(QStringLiteral("journey-11-reopen-menu.png"));
    m_x->keys({ QStringLiteral("Return") });
    QVERIFY2(waitForLabel(QRegularExpression(QStringLiteral("^Shift_JIS \\(CP932\\)  LF$"))),
             "the status row does not read Shift_JIS after reopening as Shift_JIS");
    // Reading changed nothing on disk.
    QVERIFY(utf8.open(QIODevice::ReadOnly));
    QCOMPARE(utf8.readAll(), utf8Bytes);
    focusAndPress(m_window, { QStringLiteral("alt+f"), QStringLiteral("x") });
    QVERIFY2(m_editor->waitForFinished(10000), "終了(&X) did not end the editor");
}

void TestJourney::desktopEntryOpensAFileFromAFileManager()
{
    if (QStandardPaths::findExecutable(QStringLiteral("gio")).isEmpty())
        QSKIP("not installed: gio (Debian package libglib2.0-bin), which opens files as a file manager does");
    const QString prefix = m_files.filePath(QStringLiteral("prefix"));
    QProcess install;
    install.start(QStringLiteral(PEMMO_CMAKE),
                  { QStringLiteral("--install"), QStringLiteral(PEMMO_BUILD_DIR), QStringLiteral("--prefix"), prefix });
    QVERIFY2(install.waitForFinished(60000) && install.exitCode() == 0,
             qPrintable(QString::fromLocal8Bit(install.readAllStandardError())));
    QString entry;
    for (const QFileInfo& file :
         QDir(prefix + QStringLiteral("/share/applications")).entryInfoList({ QStringLiteral("*.desktop") })) {
        QFile desktop(file.filePath());
        if (desktop.open(QIODevice::ReadOnly) && desktop.readAll().contains("text/plain;"))
            entry = file.fileName();
    }
    QVERIFY2(!entry.isEmpty(), "no installed desktop entry opens text/plain");

    QProcessEnvironment env = environment();
    env.insert(QStringLiteral("XDG_DATA_HOME"), m_files.filePath(QStringLiteral("data")));
    env.insert(QStringLiteral("XDG_DATA_DIRS"), prefix + QStringLiteral("/share:/usr/local/share:/usr/share"));
    env.insert(QStringLiteral("PATH"), prefix + QStringLiteral("/bin:") + env.value(QStringLiteral("PATH")));
    // What "open with by default" leaves behind, as xdg-mime default writes it.
    QFile mimeApps(m_x->settingsDir() + QStringLiteral("/mimeapps.list"));
    QVERIFY(mimeApps.open(QIODevice::WriteOnly));
    mimeApps.write(QStringLiteral("[Default Applications]\ntext/plain=%1\n").arg(entry).toUtf8());
    mimeApps.close();

    QVERIFY(QDir(m_files.path()).mkpath(QStringLiteral("ファイル マネージャー")));
    const QString file = m_files.filePath(QStringLiteral("ファイル マネージャー/届いた メモ.txt"));
    QFile text(file);
    QVERIFY(text.open(QIODevice::WriteOnly));
    text.write(toCp932(QStringLiteral("ファイルマネージャーから開きました\r\n")));
    text.close();

    QProcess open;
    open.setProcessEnvironment(env);
    open.start(QStringLiteral("gio"), { QStringLiteral("open"), file });
    QVERIFY2(open.waitForFinished(20000) && open.exitCode() == 0,
             qPrintable(QString::fromLocal8Bit(open.readAllStandardError())));
    QString window;
    QVERIFY2(XSession::waitFor(
                 [&] {
                     for (const QString& candidate : m_x->visibleWindows()) {
                         if (m_x->windowName(candidate) == captionOf(file))
                             window = candidate;
                     }
                     return !window.isEmpty();
                 },
                 15000),
             "no pemmo window for the file opened through the desktop entry");
    const qint64 pid = m_x->windowPid(window);
    m_detached.append(pid);
    // The entry's command found the installed program, not the one in the build tree.
    QCOMPARE(QFileInfo(QStringLiteral("/proc/%1/exe").arg(pid)).symLinkTarget(), prefix + QStringLiteral("/bin/pemmo"));
    screenshot(QStringLiteral("journey-12-desktop-entry.png"));

    m_x->xdotool({ QStringLiteral("windowfocus"), QStringLiteral("--sync"), window });
    m_x->keys({ QStringLiteral("alt+f"), QStringLiteral("x") });
    QVERIFY2(XSession::waitFor([&] { return processEnded(pid); }),
             "終了(&X) did not end the editor opened by the entry");
}

QTEST_GUILESS_MAIN(TestJourney)
#include "tst_journey.moc"
