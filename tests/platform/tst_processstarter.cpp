// SPDX-License-Identifier: MIT
#include "platform/fileprobe.h"
#include "platform/processstarter.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

namespace {
// When set, this executable is the started "editor": it writes its arguments there and ends.
constexpr char kRecordArgs[] = "PEMMO_TEST_RECORD_ARGS";
}

class TestProcessStarter : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void startedEditorGetsThePathWhole_data();
    void startedEditorGetsThePathWhole();
    void probe_data();
    void probe();

private:
    QTemporaryDir m_dir;
};

void TestProcessStarter::startedEditorGetsThePathWhole_data()
{
    QTest::addColumn<QString>("path");
    QTest::newRow("empty editor") << QString();
    QTest::newRow("plain") << QStringLiteral("/home/user/a.txt");
    QTest::newRow("one blank") << QStringLiteral("/home/user/My Documents/a.txt");
    QTest::newRow("two blanks") << QStringLiteral("/home/user/two  blanks.txt");
    QTest::newRow("leading and trailing blanks") << QStringLiteral(" /x/lead and trail.txt ");
    QTest::newRow("shell characters") << QStringLiteral("/tmp/$(touch pwned)'\"; a&b.txt");
    QTest::newRow("japanese") << QStringLiteral("/home/user/メモ 帳.txt");
}

void TestProcessStarter::startedEditorGetsThePathWhole()
{
    QFETCH(QString, path);
    const QString record = m_dir.filePath(QStringLiteral("args-%1").arg(QTest::currentDataTag()));
    qputenv(kRecordArgs, QFile::encodeName(record));
    createProcessStarter()->startEditor(path);
    qunsetenv(kRecordArgs);

    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(record + QLatin1String(".done")), 10000);
    QFile file(record);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QStringList arguments = QString::fromUtf8(file.readAll()).split(QChar(0));
    QCOMPARE(arguments.first(), QCoreApplication::applicationFilePath()); // the running executable itself
    QCOMPARE(arguments.mid(1), path.isEmpty() ? QStringList() : QStringList { path });
    QVERIFY(!QFile::exists(QStringLiteral("pwned")));
}

void TestProcessStarter::probe_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<qint64>("size"); // -1: the probe fails
    QTest::newRow("regular file") << QStringLiteral("file.txt") << qint64(5);
    QTest::newRow("empty file") << QStringLiteral("empty.txt") << qint64(0);
    QTest::newRow("missing") << QStringLiteral("missing.txt") << qint64(-1);
    QTest::newRow("folder") << QStringLiteral("folder") << qint64(-1);
    QTest::newRow("fifo, without hanging") << QStringLiteral("fifo") << qint64(-1);
    QTest::newRow("empty path") << QString() << qint64(-1);
}

void TestProcessStarter::probe()
{
    QFETCH(QString, name);
    QFETCH(qint64, size);
    QFile file(m_dir.filePath(QStringLiteral("file.txt")));
    file.open(QIODevice::WriteOnly);
    file.write("hello");
    file.close();
    QFile(m_dir.filePath(QStringLiteral("empty.txt"))).open(QIODevice::WriteOnly);
    QDir(m_dir.path()).mkdir(QStringLiteral("folder"));
    ::mkfifo(QFile::encodeName(m_dir.filePath(QStringLiteral("fifo"))).constData(), 0600);

    const auto probed = probeFileForReading(name.isEmpty() ? QString() : m_dir.filePath(name));
    QCOMPARE(probed.value_or(-1), size);
}

int main(int argc, char** argv)
{
    if (const QByteArray record = qgetenv(kRecordArgs); !record.isEmpty()) {
        QCoreApplication app(argc, argv);
        QFile out(QFile::decodeName(record));
        if (out.open(QIODevice::WriteOnly))
            out.write(QCoreApplication::arguments().join(QChar(0)).toUtf8());
        out.close();
        QFile(QFile::decodeName(record) + QLatin1String(".done")).open(QIODevice::WriteOnly);
        return 0;
    }
    QCoreApplication app(argc, argv);
    TestProcessStarter test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_processstarter.moc"
