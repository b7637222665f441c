// SPDX-License-Identifier: MIT
// The editor's own save (Ctrl+S on the real window) keeps what a file is: its other names, its
// owner, group, mode, attributes and ACLs, its kind, and its old content when a save cannot finish.
#include "app/backupoffer.h"
#include "formats/filewriter.h"
#include "formats/formattexts.h"
#include "mainformfixture.h"
#include "window/documentcontroller.h"

#include <QAction>
#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QProcess>
#include <QSignalSpy>
#include <QTest>

#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

using Button = Dialogs::Button;
using namespace pemmo::formats;

namespace {

struct stat statOf(const QString& path)
{
    struct stat info
    {
    };
    ::lstat(QFile::encodeName(path).constData(), &info);
    return info;
}

QByteArray bytesOf(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

QByteArray attribute(const QString& path, const char* name)
{
    char value[256];
    const ssize_t size = ::getxattr(QFile::encodeName(path).constData(), name, value, sizeof value);
    return size < 0 ? QByteArray("<none>") : QByteArray(value, size);
}

bool run(const QString& program, const QStringList& arguments)
{
    return QProcess::execute(program, arguments) == 0;
}

} // namespace

class TestSafeSave final : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();

    void hardLinkedFileIsWrittenInPlace();
    void ownerGroupModeAttributesAndAclSurvive();
    void writableFileInReadOnlyFolder();
    void onlyRegularFilesAreWritten_data();
    void onlyRegularFilesAreWritten();
    void namesThatWouldWriteElsewhereAreRefused();
    void unreadBytesAskWithCancelAsDefault();
    void interruptedSaveIsOfferedAndRestored();

private:
    TMainForm& openedForm(const QString& path)
    {
        f->writeValues(MainFormFixture::firstRunValues());
        TMainForm& form = f->createForm(path.isEmpty() ? QStringList() : QStringList { path });
        form.show();
        // The shortcuts answer only in the active window.
        form.activateWindow();
        QApplication::setActiveWindow(&form);
        return form;
    }
    void typeAndSave(const QString& typed)
    {
        f->editor()->setSelection(0, 0);
        QTest::keyClicks(f->editorView(), typed);
        // The shortcut as a user presses it, on the text.
        QTest::keyClick(f->editorView(), Qt::Key_S, Qt::ControlModifier);
    }

    std::unique_ptr<MainFormFixture> f;
};

void TestSafeSave::init()
{
    f = std::make_unique<MainFormFixture>();
}

void TestSafeSave::cleanup()
{
    f->form.reset();
    f.reset();
}

void TestSafeSave::hardLinkedFileIsWrittenInPlace()
{
    const QString path = f->writeFile(QStringLiteral("linked.txt"), "old\r\n");
    const QString other = f->settings.dir() + QLatin1String("/other-name.txt");
    QVERIFY(::link(QFile::encodeName(path).constData(), QFile::encodeName(other).constData()) == 0);
    const ino_t inode = statOf(path).st_ino;
    openedForm(path);
    typeAndSave(QStringLiteral("new "));
    QVERIFY(f->dialogs.messages.isEmpty());
    QVERIFY(!f->editor()->isModified());
    QCOMPARE(bytesOf(other), QByteArray("new old\r\n"));
    QCOMPARE(statOf(path).st_ino, inode);
    // The named copy of the old content is gone once the new one is safe.
    QVERIFY(QDir(f->settings.cacheDir() + QLatin1String("/pemmo")).entryList(QDir::Files).isEmpty());
}

void TestSafeSave::ownerGroupModeAttributesAndAclSurvive()
{
    if (::geteuid() != 0)
        QSKIP("giving a file to another owner and group needs root; CI runs as root");
    const struct passwd* nobody = ::getpwnam("nobody");
    const struct group* users = ::getgrnam("users");
    QVERIFY2(nobody && users, "the test needs the user nobody and the group users");

    // Root's own file, shared with a group and an ACL entry: replaced by rename, everything carried over.
    const QString shared = f->writeFile(QStringLiteral("shared.txt"), "old\r\n");
    const QByteArray name = QFile::encodeName(shared);
    QVERIFY(::chown(name.constData(), 0, users->gr_gid) == 0);
    QVERIFY(::chmod(name.constData(), 0640) == 0);
    QVERIFY(::setxattr(name.constData(), "user.origin", "mail", 4, 0) == 0);
    QVERIFY(run(QStringLiteral("setfacl"), { QStringLiteral("-m"), QStringLiteral("u:nobody:rw"), shared }));
    const QByteArray acl = attribute(shared, "system.posix_acl_access");
    QVERIFY(acl != "<none>");
    const mode_t mode = statOf(shared).st_mode;
    const ino_t inode = statOf(shared).st_ino;
    openedForm(shared);
    typeAndSave(QStringLiteral("new "));
    QVERIFY(f->dialogs.messages.isEmpty());
    QCOMPARE(bytesOf(shared), QByteArray("new old\r\n"));
    const struct stat after = statOf(shared);
    QVERIFY(after.st_ino != inode); // a rename: a crash meanwhile leaves the old file whole
    QCOMPARE(after.st_gid, users->gr_gid);
    QCOMPARE(after.st_mode, mode);
    QCOMPARE(attribute(shared, "user.origin"), QByteArray("mail"));
    QCOMPARE(attribute(shared, "system.posix_acl_access"), acl);
    f->form.reset();

    // Another user's file saved by root stays theirs.
    const QString theirs = f->writeFile(QStringLiteral("theirs.txt"), "old\r\n");
    QVERIFY(::chown(QFile::encodeName(theirs).constData(), nobody->pw_uid, nobody->pw_gid) == 0);
    openedForm(theirs);
    typeAndSave(QStringLiteral("new "));
    QCOMPARE(bytesOf(theirs), QByteArray("new old\r\n"));
    QCOMPARE(statOf(theirs).st_uid, nobody->pw_uid);
    QCOMPARE(statOf(theirs).st_gid, nobody->pw_gid);
}

void TestSafeSave::writableFileInReadOnlyFolder()
{
    QDir(f->settings.dir()).mkdir(QStringLiteral("fixed"));
    const QString folder = f->settings.dir() + QLatin1String("/fixed");
    const QString path = f->writeFile(QStringLiteral("fixed/notes.txt"), "old\r\n");
    // Root writes into any folder that is not immutable; others into none they may not write.
    const bool root = ::geteuid() == 0;
    QVERIFY(root ? run(QStringLiteral("chattr"), { QStringLiteral("+i"), folder })
                 : ::chmod(QFile::encodeName(folder).constData(), 0555) == 0);
    const auto unlock = qScopeGuard([&] {
        if (root)
            run(QStringLiteral("chattr"), { QStringLiteral("-i"), folder });
        else
            ::chmod(QFile::encodeName(folder).constData(), 0755);
    });
    openedForm(path);
    typeAndSave(QStringLiteral("new "));
    QCOMPARE(f->dialogs.messages, QStringList());
    QCOMPARE(bytesOf(path), QByteArray("new old\r\n"));
    QVERIFY(!f->editor()->isModified());
}

void TestSafeSave::onlyRegularFilesAreWritten_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("FIFO") << QStringLiteral("fifo");
    QTest::newRow("link to a FIFO") << QStringLiteral("link");
    QTest::newRow("device") << QStringLiteral("device");
}

void TestSafeSave::onlyRegularFilesAreWritten()
{
    QFETCH(QString, kind);
    const QString path = f->writeFile(QStringLiteral("notes.txt"), "old\r\n");
    openedForm(path);
    // Another program puts something else under the name while the text is open.
    const QString fifo = f->settings.dir() + QLatin1String("/fifo");
    QVERIFY(::mkfifo(QFile::encodeName(fifo).constData(), 0600) == 0);
    QVERIFY(QFile::remove(path));
    if (kind == QLatin1String("fifo"))
        QVERIFY(QFile::rename(fifo, path));
    else if (kind == QLatin1String("link"))
        QVERIFY(QFile::link(fifo, path));
    else
        QVERIFY(QFile::link(QStringLiteral("/dev/null"), path));
    const struct stat before = statOf(path);
    f->dialogs.answers = { Button::Yes }; // yes, overwrite what another program changed
    typeAndSave(QStringLiteral("new "));
    QCOMPARE(f->dialogs.messages.size(), 1);
    QVERIFY(f->dialogs.messages[0].contains(QStringLiteral("通常のファイルではない")));
    QVERIFY(f->editor()->isModified());
    QCOMPARE(statOf(path).st_mode, before.st_mode);
    QCOMPARE(statOf(path).st_ino, before.st_ino);
}

void TestSafeSave::namesThatWouldWriteElsewhereAreRefused()
{
    openedForm(QString());
    f->editor()->setText(QStringLiteral("text"));
    f->editor()->setModified(true);
    const QString dir = f->settings.dir() + QLatin1Char('/');
    QVERIFY(QFile::link(dir + QLatin1String("b"), dir + QLatin1String("a")));
    QVERIFY(QFile::link(dir + QLatin1String("a"), dir + QLatin1String("b")));
    // Save As to: a circle of links; a name whose bytes Qt could only show as U+FFFD.
    const QStringList refused { dir + QLatin1String("a"), dir + QStringLiteral("bad\uFFFD.txt") };
    QStringList said;
    for (const QString& name : refused) {
        f->dialogs.files = { name };
        f->dialogs.pickFilter = 7; // すべてのファイル: the name as typed
        f->dialogs.answers = { Button::Yes };
        f->dialogs.messages.clear();
        f->form->findChild<QAction*>(QStringLiteral("FileSaveAsItem"))->trigger();
        QCOMPARE(f->dialogs.messages.size(), 1);
        said += f->dialogs.messages;
        QVERIFY(f->editor()->isModified());
    }
    QCOMPARE(said, QStringList({ kLinkLoop.arg(refused[0]), kNameNotWritable.arg(refused[1]) }));
    QCOMPARE(statOf(dir + QLatin1String("a")).st_mode & S_IFMT, mode_t(S_IFLNK));
    QCOMPARE(QDir(dir).entryList({ QStringLiteral("bad*") }, QDir::Files), QStringList());

    // The user's own link that leads nowhere yet: the file is made where it points.
    QVERIFY(QFile::link(dir + QLatin1String("target.txt"), dir + QLatin1String("mine.txt")));
    f->dialogs.files = { dir + QLatin1String("mine.txt") };
    f->dialogs.pickFilter = 7;
    f->dialogs.answers = { Button::Yes };
    f->dialogs.messages.clear();
    f->form->findChild<QAction*>(QStringLiteral("FileSaveAsItem"))->trigger();
    QCOMPARE(f->dialogs.messages, QStringList());
    QCOMPARE(bytesOf(dir + QLatin1String("target.txt")), QByteArray("text\r\n"));
    QCOMPARE(statOf(dir + QLatin1String("mine.txt")).st_mode & S_IFMT, mode_t(S_IFLNK));
    if (::geteuid() == 0) {
        // Another user's: refused, nothing made.
        const struct passwd* nobody = ::getpwnam("nobody");
        QVERIFY(nobody);
        QVERIFY(QFile::link(dir + QLatin1String("planted.txt"), dir + QLatin1String("theirs.txt")));
        QVERIFY(::lchown(QFile::encodeName(dir + QLatin1String("theirs.txt")).constData(), nobody->pw_uid, 0) == 0);
        f->dialogs.files = { dir + QLatin1String("theirs.txt") };
        f->dialogs.pickFilter = 7;
        f->dialogs.answers = { Button::Yes };
        f->dialogs.messages.clear();
        f->form->findChild<QAction*>(QStringLiteral("FileSaveAsItem"))->trigger();
        QCOMPARE(f->dialogs.messages, QStringList { kForeignDanglingLink.arg(dir + QLatin1String("theirs.txt")) });
        QVERIFY(!QFile::exists(dir + QLatin1String("planted.txt")));
    }
}

void TestSafeSave::unreadBytesAskWithCancelAsDefault()
{
    // CP932 text with two bytes that read as nothing: a cut-off lead byte and 0xA0's neighbour 0xFD.
    const QByteArray original = "\x82\xa0\x82\xa2\x82\xa4\xfd\r\nabc\x82";
    const QString path = f->writeFile(QStringLiteral("damaged.txt"), original);
    openedForm(path);
    QSignalSpy reopen(f->form->findChild<DocumentController*>(), &DocumentController::encodingChoiceWanted);
    typeAndSave(QStringLiteral("x"));
    QCOMPARE(f->dialogs.questions.size(), 1);
    QCOMPARE(f->dialogs.questions[0], kLossySaveQuestion.arg(2).arg(encodingName(Encoding::Cp932)));
    QCOMPARE(f->dialogs.defaults[0], std::optional(Button::Cancel));
    // The fake answers with the last button offered: キャンセル. Nothing is written.
    QCOMPARE(bytesOf(path), original);
    QVERIFY(f->editor()->isModified());

    f->dialogs.answers = { Button::Reopen };
    QTest::keyClick(f->editorView(), Qt::Key_S, Qt::ControlModifier);
    QCOMPARE(reopen.size(), 1);
    QCOMPARE(bytesOf(path), original);

    // Saving anyway keeps the encoding; only what could not be read is replaced.
    f->dialogs.answers = { Button::Save };
    QTest::keyClick(f->editorView(), Qt::Key_S, Qt::ControlModifier);
    QCOMPARE(bytesOf(path).left(7), QByteArray("x\x82\xa0\x82\xa2\x82\xa4"));
    QVERIFY(!f->editor()->isModified());
}

void TestSafeSave::interruptedSaveIsOfferedAndRestored()
{
    // What an in-place save leaves when it is killed halfway: the file torn, the old content beside.
    const QString path = f->writeFile(QStringLiteral("torn.txt"), "half of the ne");
    const QString folder = f->settings.cacheDir() + QLatin1String("/pemmo");
    QVERIFY(QDir().mkpath(folder));
    QFile backup(folder + QLatin1String("/backup-Ab3dE9"));
    QVERIFY(backup.open(QIODevice::WriteOnly));
    backup.write("the whole old text\r\n");
    backup.close();
    QFile note(backup.fileName() + QLatin1String(".info"));
    QVERIFY(note.open(QIODevice::WriteOnly));
    note.write("pemmo in-place backup 1\n" + QFile::encodeName(path).toPercentEncoding("/") + "\n1700000000\n");
    note.close();

    // A note whose writer was killed halfway, long ago: swept, never offered.
    QFile cutShort(folder + QLatin1String("/backup-Zz9Yy8.info.Qq1Ww2"));
    QVERIFY(cutShort.open(QIODevice::WriteOnly));
    cutShort.write("pemmo in-place");
    QVERIFY(cutShort.flush());
    QVERIFY(cutShort.setFileTime(QDateTime::currentDateTime().addSecs(-120), QFileDevice::FileModificationTime));
    cutShort.close();

    // Asked once; later keeps it for the next start.
    offerPendingBackups(f->dialogs, f->processes);
    QVERIFY(!cutShort.exists());
    QCOMPARE(f->dialogs.questions.size(), 1);
    QVERIFY(f->dialogs.questions[0].contains(QStringLiteral("torn.txt")));
    QCOMPARE(f->dialogs.defaults[0], std::optional(Button::Restore));
    QVERIFY(f->processes.restoring.isEmpty());
    f->dialogs.answers = { Button::Restore };
    offerPendingBackups(f->dialogs, f->processes);
    QCOMPARE(f->processes.restoring.size(), 1);
    // Taken: another start does not offer it again.
    offerPendingBackups(f->dialogs, f->processes);
    QCOMPARE(f->dialogs.questions.size(), 2);

    // The editor started for it shows the old text under the file's name, unsaved.
    openedForm(QString());
    f->form->restoreBackup(f->processes.restoring[0]);
    QCOMPARE(f->editor()->text(), QStringLiteral("the whole old text"));
    QVERIFY(f->editor()->isModified());
    QVERIFY(f->form->windowTitle().contains(path));
    QTest::keyClick(f->editorView(), Qt::Key_S, Qt::ControlModifier);
    QCOMPARE(bytesOf(path), QByteArray("the whole old text\r\n"));
    QVERIFY(QDir(folder).entryList(QDir::Files).isEmpty());
}

QTEST_MAIN(TestSafeSave)
#include "tst_safesave.moc"
