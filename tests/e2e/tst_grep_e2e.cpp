// SPDX-License-Identifier: MIT
// Grep as a person runs it in the real program: 編集 → Grep from the keyboard, the dialog filled in,
// the result in the window, and a double-click on a result line opening the file in a new editor
// with the match selected, read back through the accessibility bus. A real X server without a
// window manager; skipped (and says so) when Xvfb, xdotool or the accessibility bus are missing.
#include "desktopbus.h"
#include "journeyfiles.h"
#include "xsession.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

using namespace journey;

namespace {
constexpr int kStartMs = 90000;
} // namespace

class TestGrepE2e : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();
    void grepFromTheEditMenuOpensTheMatch();

private:
    std::optional<AccessibleNode> waitForNode(qint64 pid, const std::function<bool(const AccessibleNode&)>& matches,
                                              int ms = 30000) const;
    std::optional<AccessibleNode> largestText(qint64 pid, const QString& windowTitle) const;
    void personPresses(const QString& withAlt) const;
    void type(const QString& text) const;

    std::unique_ptr<XSession> m_x;
    std::unique_ptr<DesktopBus> m_bus;
    QTemporaryDir m_files;
    std::unique_ptr<QProcess> m_editor;
    QList<qint64> m_started;
};

void TestGrepE2e::initTestCase()
{
    if (const QString missing = XSession::missingTools(false); !missing.isEmpty())
        QSKIP(qPrintable(QStringLiteral("skipped, no X session for the test: ") + missing));
    if (const QString missing = DesktopBus::missingTools(); !missing.isEmpty())
        QSKIP(qPrintable(QStringLiteral("skipped, no accessibility bus: ") + missing));
    m_x = std::make_unique<XSession>();
    QVERIFY2(m_x->start(false), qPrintable(m_x->errorString()));
    m_bus = std::make_unique<DesktopBus>();
    QVERIFY2(m_bus->start(m_x->environment()), qPrintable(m_bus->errorString()));
    QVERIFY(writeHive(m_x->hivePath(), editorFirstRunHive()));
}

void TestGrepE2e::cleanupTestCase()
{
    for (const qint64 pid : std::as_const(m_started)) {
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

std::optional<AccessibleNode>
TestGrepE2e::waitForNode(qint64 pid, const std::function<bool(const AccessibleNode&)>& matches, int ms) const
{
    std::optional<AccessibleNode> found;
    XSession::waitFor(
        [&] {
            for (const AccessibleNode& node : m_bus->snapshot(pid)) {
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

std::optional<AccessibleNode> TestGrepE2e::largestText(qint64 pid, const QString& windowTitle) const
{
    std::optional<AccessibleNode> best;
    int bestArea = 0;
    for (const AccessibleNode& node : m_bus->snapshot(pid)) {
        if (node.role != u"text" || !node.showing || node.window != windowTitle)
            continue;
        const QRect rect = m_bus->extents(node);
        if (rect.width() * rect.height() > bestArea) {
            bestArea = rect.width() * rect.height();
            best = node;
        }
    }
    return best;
}

void TestGrepE2e::personPresses(const QString& withAlt) const
{
    // As a person does: Alt held down, the key, Alt let go.
    m_x->xdotool({ QStringLiteral("keydown"), QStringLiteral("alt") });
    m_x->xdotool({ QStringLiteral("key"), withAlt });
    m_x->xdotool({ QStringLiteral("keyup"), QStringLiteral("alt") });
}

void TestGrepE2e::type(const QString& text) const
{
    QVERIFY2(m_x->bindCharacters(text), "no free key left for the characters to type");
    m_x->xdotool({ QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("40"), text });
}

void TestGrepE2e::grepFromTheEditMenuOpensTheMatch()
{
    const QString tree = m_files.filePath(QStringLiteral("tree"));
    QVERIFY(QDir().mkpath(tree + QStringLiteral("/sub")));
    const QString target = tree + QStringLiteral("/sub/memo.txt");
    {
        QFile file(target);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(toCp932(QStringLiteral("一行目\r\n二行目\r\n会議は東京で\r\n")));
        QFile other(tree + QStringLiteral("/other.txt"));
        QVERIFY(other.open(QIODevice::WriteOnly));
        other.write("nothing here\n");
    }

    m_editor = std::make_unique<QProcess>();
    m_editor->setProcessEnvironment(m_bus->environment(m_x->environment()));
    m_editor->start(QStringLiteral(PEMMO_BINARY), {});
    QVERIFY(m_editor->waitForStarted());
    const qint64 pid = m_editor->processId();
    QString window;
    XSession::waitFor(
        [&] {
            for (const QString& w : m_x->visibleWindows(pid)) {
                if (m_x->windowName(w).startsWith(QLatin1String("[ ")))
                    window = w;
            }
            return !window.isEmpty();
        },
        kStartMs);
    QVERIFY2(!window.isEmpty(), "no editor window");
    QVERIFY2(waitForNode(
                 pid, [](const AccessibleNode& node) { return node.role == u"frame"; }, kStartMs),
             "the editor did not register on the accessibility bus");

    // 編集(&E) → Grep.
    m_x->xdotool({ QStringLiteral("windowfocus"), QStringLiteral("--sync"), window });
    personPresses(QStringLiteral("e"));
    const std::optional<AccessibleNode> item = waitForNode(pid, [](const AccessibleNode& node) {
        return node.role == u"menu item" && node.showing && node.name == u"Grep";
    });
    QVERIFY2(item, "the 編集 menu shows no Grep item");
    m_x->click(m_bus->extents(*item).center());

    QString dialog;
    XSession::waitFor(
        [&] {
            for (const QString& w : m_x->visibleWindows(pid)) {
                if (w != window && m_x->windowName(w) == u"Grep")
                    dialog = w;
            }
            return !dialog.isEmpty();
        },
        30000);
    QVERIFY2(!dialog.isEmpty(), "no Grep dialog after 編集 → Grep");
    m_x->xdotool({ QStringLiteral("windowfocus"), QStringLiteral("--sync"), dialog });
    // The pattern field has the focus; フォルダー(&D) is reached by its access key.
    type(QStringLiteral("東京"));
    personPresses(QStringLiteral("d"));
    m_x->keys({ QStringLiteral("ctrl+a") });
    type(tree);
    m_x->keys({ QStringLiteral("Return") });

    // The result, in this window.
    const QString resultLine = QDir::toNativeSeparators(target) +
        QStringLiteral("(3,4) [Shift_JIS (CP932)]: 会議は東京で");
    std::optional<AccessibleNode> view;
    QString text;
    const bool shown = XSession::waitFor(
        [&] {
            view = largestText(pid, m_x->windowName(window));
            text = view ? m_bus->text(*view) : QString();
            return text.contains(QStringLiteral("1 件見つかりました。"));
        },
        30000);
    QVERIFY2(shown, qPrintable(QStringLiteral("no Grep result; the window shows: ") + text));
    const QStringList lines = linesOf(text);
    const qsizetype row = lines.indexOf(resultLine);
    QVERIFY2(row > 0, qPrintable(text));

    // A double-click on the result line.
    qsizetype offset = 0;
    for (qsizetype i = 0; i < row; ++i)
        offset += lines.at(i).size() + 1;
    const QRect firstLine = m_bus->characterExtents(*view, 0);
    QRect character = m_bus->characterExtents(*view, int(offset + 2));
    QVERIFY2(firstLine.isValid() && character.isValid(), "the editor reports no place for its characters");
    // Qt 6.4 places the characters of a plain-text view as if every line were the first; the column is right.
    if (character.top() == firstLine.top())
        character.translate(0, int(row) * firstLine.height());
    const QPoint at = character.center();
    m_x->xdotool({ QStringLiteral("mousemove"), QString::number(at.x()), QString::number(at.y()) });
    m_x->xdotool({ QStringLiteral("click"), QStringLiteral("--repeat"), QStringLiteral("2"), QStringLiteral("--delay"),
                   QStringLiteral("60"), QStringLiteral("1") });

    // A new editor on the file, the match selected.
    QString opened;
    XSession::waitFor(
        [&] {
            const QStringList named = m_x->windowsNamed(QStringLiteral("memo\\.txt"));
            opened = named.isEmpty() ? QString() : named.first();
            return !opened.isEmpty();
        },
        kStartMs);
    QVERIFY2(!opened.isEmpty(), "no editor opened the file of the double-clicked result line");
    const qint64 openedPid = m_x->windowPid(opened);
    m_started.append(openedPid);
    QVERIFY(openedPid != pid);
    QVERIFY(m_x->windowName(opened).contains(target));
    std::optional<AccessibleNode> openedView;
    std::pair<int, int> selection;
    QString openedText;
    const bool selected = XSession::waitFor(
        [&] {
            openedView = largestText(openedPid, m_x->windowName(opened));
            if (!openedView)
                return false;
            openedText = m_bus->text(*openedView);
            selection = m_bus->selection(*openedView);
            return selection.second > selection.first;
        },
        kStartMs);
    QVERIFY2(selected, qPrintable(QStringLiteral("nothing selected in the opened file: ") + openedText));
    QCOMPARE(openedText.mid(selection.first, selection.second - selection.first), QStringLiteral("東京"));
    QCOMPARE(selection.first, 4 + 4 + 3); // line 3, after 会議は
}

QTEST_MAIN(TestGrepE2e)
#include "tst_grep_e2e.moc"
