// SPDX-License-Identifier: MIT
// The stored window size under a real window manager: a window gets its frame only once it is mapped,
// and a close-and-reopen cycle must store the size the window really had, not one frame more each time.
#include "journeyfiles.h"
#include "xsession.h"

#include <QStandardPaths>
#include <QTest>

using namespace journey;

class TestGeometry : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void threeRestartsKeepTheStoredGeometry();
    void commandLineEditorsCascadeOverOneAnother();

private:
    /** Starts the editor without a file, as a shell does, in the session of this test. */
    bool startEditor(QProcess& editor) const;

    // Xvfb with openbox, fresh for every test.
    std::unique_ptr<XSession> m_x;
};

namespace {
struct Stored
{
    std::optional<quint32> top, left, width, height;
    bool operator==(const Stored&) const = default;
};

// _NET_FRAME_EXTENTS of @p window (left, right, top, bottom); empty until the window manager sets it.
QList<int> frameExtents(const XSession& x, const QString& window)
{
    QProcess xprop;
    xprop.setProcessEnvironment(x.environment());
    xprop.start(QStringLiteral("xprop"), { QStringLiteral("-id"), window, QStringLiteral("_NET_FRAME_EXTENTS") });
    if (!xprop.waitForFinished(5000))
        return {};
    const QString out = QString::fromLatin1(xprop.readAllStandardOutput());
    const int equals = out.indexOf(u'=');
    if (equals < 0)
        return {};
    QList<int> values;
    for (const QString& part : out.mid(equals + 1).split(u',')) {
        bool ok = false;
        values.append(part.trimmed().toInt(&ok));
        if (!ok)
            return {};
    }
    return values.size() == 4 ? values : QList<int>();
}

// The editor window process @p editor shows, once it is framed; empty after @p ms.
QString framedEditorWindow(const XSession& x, const QProcess& editor, int ms = 90000)
{
    QString window;
    XSession::waitFor(
        [&] {
            for (const QString& candidate : x.visibleWindows(editor.processId())) {
                if (x.windowName(candidate).startsWith(QLatin1String("[")) && !frameExtents(x, candidate).isEmpty())
                    window = candidate;
            }
            return !window.isEmpty();
        },
        ms);
    return window;
}

Stored storedGeometry(const QString& hivePath)
{
    const QMap<QString, QString> hive = readHive(hivePath);
    return { hiveDword(hive.value(QStringLiteral("mtop"))), hiveDword(hive.value(QStringLiteral("mleft"))),
             hiveDword(hive.value(QStringLiteral("mwidth"))), hiveDword(hive.value(QStringLiteral("mheight"))) };
}
} // namespace

void TestGeometry::init()
{
    if (const QString missing = XSession::missingTools(false); !missing.isEmpty())
        QSKIP(qPrintable(missing));
    if (QStandardPaths::findExecutable(QStringLiteral("openbox")).isEmpty() ||
        QStandardPaths::findExecutable(QStringLiteral("xprop")).isEmpty())
        QSKIP("not installed: openbox and xprop (Debian packages openbox, x11-utils)");
    m_x = std::make_unique<XSession>();
    QVERIFY2(m_x->start(false), qPrintable(m_x->errorString()));
    QVERIFY2(m_x->startWindowManager(), qPrintable(m_x->errorString()));
}

void TestGeometry::cleanup()
{
    m_x.reset();
}

bool TestGeometry::startEditor(QProcess& editor) const
{
    editor.setProcessEnvironment(m_x->environment());
    editor.start(QStringLiteral(PEMMO_BINARY), {});
    return editor.waitForStarted();
}

void TestGeometry::threeRestartsKeepTheStoredGeometry()
{
    const XSession& x = *m_x;
    QList<std::pair<QString, QString>> hive = editorFirstRunHive();
    hive += { { QStringLiteral("MWidth"), QStringLiteral("dword:000002e7") },
              { QStringLiteral("MHeight"), QStringLiteral("dword:0000021f") } };
    QVERIFY(writeHive(x.hivePath(), hive));
    const Stored given = storedGeometry(x.hivePath());
    QCOMPARE(given.width, std::optional<quint32>(743));

    for (int run = 1; run <= 3; ++run) {
        QProcess editor;
        QVERIFY(startEditor(editor));
        // The window manager gives the frame's size once it has framed the window; the editor then fits its
        // outer size to what was stored.
        const QString window = framedEditorWindow(x, editor);
        QVERIFY2(!window.isEmpty(), qPrintable(QStringLiteral("run %1: no framed editor window").arg(run)));
        const QList<int> extents = frameExtents(x, window); // left, right, top, bottom
        const QSize inner(int(*given.width) - extents[0] - extents[1], int(*given.height) - extents[2] - extents[3]);
        XSession::waitFor([&] { return x.windowGeometry(window).size() == inner; }, 10000);
        x.xdotool({ QStringLiteral("windowfocus"), QStringLiteral("--sync"), window });
        x.keys({ QStringLiteral("alt+f"), QStringLiteral("x") });
        QVERIFY2(editor.waitForFinished(30000), qPrintable(QStringLiteral("run %1: the editor did not end").arg(run)));
        const Stored stored = storedGeometry(x.hivePath());
        QVERIFY2(stored == given,
                 qPrintable(QStringLiteral("run %1 stored %2x%3 at %4,%5; given %6x%7 at %8,%9")
                                .arg(*stored.width)
                                .arg(*stored.height)
                                .arg(*stored.left)
                                .arg(*stored.top)
                                .arg(*given.width)
                                .arg(*given.height)
                                .arg(*given.left)
                                .arg(*given.top)));
    }
}

void TestGeometry::commandLineEditorsCascadeOverOneAnother()
{
    const XSession& x = *m_x;
    QVERIFY(writeHive(x.hivePath(), editorFirstRunHive()));

    // Three starts from a shell, as a file manager or a terminal makes them: each opens down and right of
    // the one before, not over it, and the stored position follows, as the launcher's menu leaves it.
    std::vector<std::unique_ptr<QProcess>> editors;
    QList<QPoint> corners;
    for (int run = 0; run < 3; ++run) {
        auto editor = std::make_unique<QProcess>();
        QVERIFY(startEditor(*editor));
        const QString window = framedEditorWindow(x, *editor);
        QVERIFY2(!window.isEmpty(), qPrintable(QStringLiteral("start %1: no framed editor window").arg(run + 1)));
        corners.append(x.windowGeometry(window).topLeft());
        editors.push_back(std::move(editor));
    }
    QCOMPARE(corners[1] - corners[0], QPoint(20, 20));
    QCOMPARE(corners[2] - corners[1], QPoint(20, 20));
    const Stored stored = storedGeometry(x.hivePath());
    QCOMPARE(stored.top, std::optional<quint32>(100 + 40));
    QCOMPARE(stored.left, std::optional<quint32>(200 + 40));
    for (auto& editor : editors) {
        editor->terminate();
        editor->waitForFinished(10000);
    }
}

QTEST_MAIN(TestGeometry)
#include "tst_geometry_e2e.moc"
