// SPDX-License-Identifier: MIT
// Unsaved text survives the end of its window (the real window, typed into): a recovery copy is
// written once typing pauses, goes when the text is saved or given up, is offered at the next
// start and restored as it was. A file changed by another program is noticed when the window comes back.
#include "app/backupoffer.h"
#include "document/document.h"
#include "document/editortexts.h"
#include "formats/plaintext.h"
#include "formats/recoverystore.h"
#include "mainformfixture.h"
#include "view/statusrow.h"
#include "window/documentcontroller.h"
#include "window/recoverykeeper.h"

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QSignalSpy>
#include <QTest>

#include <sys/stat.h>

using Button = Dialogs::Button;
using namespace pemmo::formats;

namespace {

QByteArray bytesOf(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

QStringList recoveryFiles()
{
    return QDir(recoveryFolder()).entryList(QDir::Files | QDir::Hidden);
}

QString onlyCopy()
{
    const QStringList copies = QDir(recoveryFolder()).entryList({ QStringLiteral("*.copy") }, QDir::Files);
    return copies.size() == 1 ? QDir(recoveryFolder()).filePath(copies[0]) : QString();
}

} // namespace

class TestRecovery final : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();

    void typedTextIsCopiedAfterThePause_data();
    void typedTextIsCopiedAfterThePause();
    void copyGoesWhenTextIsSavedOrGivenUp_data();
    void copyGoesWhenTextIsSavedOrGivenUp();
    void unmodifiedTextGetsNoCopy();
    void leftCopyIsOfferedRestoredAndSaved();
    void unmodifiedFileChangedElsewhereIsReloaded();
    void modifiedFileChangedElsewhereAsksOnce();

private:
    TMainForm& openedForm(const QString& path)
    {
        f->writeValues(MainFormFixture::firstRunValues());
        TMainForm& form = f->createForm(path.isEmpty() ? QStringList() : QStringList { path });
        form.show();
        activate(form);
        // Short pauses: the test waits for the copy as the user's pause would bring it.
        form.recovery().setPauses(50, 1000);
        return form;
    }
    static void activate(TMainForm& form)
    {
        QApplication::setActiveWindow(nullptr);
        form.activateWindow();
        QApplication::setActiveWindow(&form);
    }
    // Each character as a key that carries it, as a keyboard layout or an input method's commit gives it.
    void type(const QString& text)
    {
        for (const QChar c : text) {
            if (c.unicode() < 0x80) {
                QTest::keyClick(f->editorView(), c.toLatin1());
            } else {
                QTest::sendKeyEvent(QTest::Press, f->editorView(), Qt::Key_unknown, QString(c), Qt::NoModifier);
                QTest::sendKeyEvent(QTest::Release, f->editorView(), Qt::Key_unknown, QString(c), Qt::NoModifier);
            }
        }
    }
    bool waitForCopy()
    {
        QSignalSpy written(&f->form->recovery(), &RecoveryKeeper::written);
        return written.wait(5000) && written.first().first().toString().isEmpty();
    }
    QString message() const { return f->control<StatusRow>(QStringLiteral("Panel1"))->messageField()->text(); }

    std::unique_ptr<MainFormFixture> f;
};

void TestRecovery::init()
{
    f = std::make_unique<MainFormFixture>();
}

void TestRecovery::cleanup()
{
    f->form.reset();
    f.reset();
}

void TestRecovery::typedTextIsCopiedAfterThePause_data()
{
    QTest::addColumn<QByteArray>("file"); // empty: a new document
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QByteArray>("copy");
    QTest::newRow("existing CP932 file, CR LF") << QByteArray("old\r\nline\r\n") << QStringLiteral("新しい")
                                                << QByteArray("\x90\x56\x82\xb5\x82\xa2old\r\nline\r\n");
    QTest::newRow("existing UTF-8 file without final break")
        << QByteArray("\xef\xbb\xbfz\ny") << QStringLiteral("äé") << QByteArray("\xef\xbb\xbf\xc3\xa4\xc3\xa9z\ny");
    // A new document is CP932 with CR LF, and its last line ends with a break.
    QTest::newRow("new document") << QByteArray() << QStringLiteral("無題の文")
                                  << QByteArray("\x96\xb3\x91\xe8\x82\xcc\x95\xb6\r\n");
}

void TestRecovery::typedTextIsCopiedAfterThePause()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, typed);
    QFETCH(QByteArray, copy);
    const QString path = file.isEmpty() ? QString() : f->writeFile(QStringLiteral("doc.txt"), file);
    openedForm(path);
    f->editor()->setSelection(0, 0);
    type(typed);
    QVERIFY(recoveryFiles().isEmpty()); // not while typing goes on
    QVERIFY(waitForCopy());
    QCOMPARE(bytesOf(onlyCopy()), copy);
    // The copy is what Ctrl+S writes.
    QCOMPARE(encodePlainText(f->editor()->text(), f->form->document().format()), copy);
    QCOMPARE(QFileInfo(onlyCopy()).permissions() & (QFile::ReadGroup | QFile::ReadOther), QFile::Permissions());
    QCOMPARE(QFileInfo(recoveryFolder()).permissions(),
             QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadUser | QFile::WriteUser |
                 QFile::ExeUser);

    const QList<PendingRecovery> offeredMeanwhile = pendingRecoveries();
    QVERIFY(offeredMeanwhile.isEmpty()); // its window still runs

    const QString lockPath = f->form->recovery().lockPath();
    const std::optional<RecoveryNote> note = readRecoveryNote(lockPath);
    QVERIFY(note);
    QCOMPARE(note->originalPath, path.isEmpty() ? QString() : QFileInfo(path).absoluteFilePath());
    QCOMPARE(note->format, f->form->document().format());
    QCOMPARE(note->caret, qint64(typed.size()));
    QCOMPARE(note->processId, qint64(QCoreApplication::applicationPid()));
    QCOMPARE(note->stampTaken, !path.isEmpty());
}

void TestRecovery::copyGoesWhenTextIsSavedOrGivenUp_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("saved") << QStringLiteral("save");
    QTest::newRow("いいえ when cleared") << QStringLiteral("new");
    QTest::newRow("いいえ when closed") << QStringLiteral("close");
    QTest::newRow("undone to the saved text") << QStringLiteral("undo");
}

void TestRecovery::copyGoesWhenTextIsSavedOrGivenUp()
{
    QFETCH(QString, how);
    const QString path = f->writeFile(QStringLiteral("doc.txt"), "text\r\n");
    openedForm(path);
    type(QStringLiteral("x"));
    QVERIFY(waitForCopy());
    QVERIFY(!onlyCopy().isEmpty());
    if (how == QLatin1String("save")) {
        QTest::keyClick(f->editorView(), Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(bytesOf(path), QByteArray("xtext\r\n"));
    } else if (how == QLatin1String("new")) {
        f->dialogs.answers = { Button::No };
        f->form->documents().FileNew();
    } else if (how == QLatin1String("close")) {
        f->dialogs.answers = { Button::No };
        QVERIFY(f->form->close());
        f->form.reset();
    } else {
        QTest::keyClick(f->editorView(), Qt::Key_Z, Qt::ControlModifier);
        QVERIFY(!f->editor()->isModified());
    }
    QTRY_COMPARE(recoveryFiles(), QStringList());
}

void TestRecovery::unmodifiedTextGetsNoCopy()
{
    const QString path = f->writeFile(QStringLiteral("doc.txt"), "one\r\ntwo\r\n");
    openedForm(path);
    QSignalSpy written(&f->form->recovery(), &RecoveryKeeper::written);
    QTest::keyClick(f->editorView(), Qt::Key_Down);
    QTest::keyClick(f->editorView(), Qt::Key_C, Qt::ControlModifier);
    type(QStringLiteral("a"));
    QTest::keyClick(f->editorView(), Qt::Key_Backspace);
    QTest::keyClick(f->editorView(), Qt::Key_Z, Qt::ControlModifier);
    QTest::keyClick(f->editorView(), Qt::Key_Z, Qt::ControlModifier);
    QVERIFY(!f->editor()->isModified());
    QTest::qWait(300);
    QCOMPARE(written.size(), 0);
    QCOMPARE(recoveryFiles(), QStringList());
}

void TestRecovery::leftCopyIsOfferedRestoredAndSaved()
{
    // A UTF-8 file with LF and no final break: all of it must come back as it was.
    const QString path = f->writeFile(QStringLiteral("kept.txt"), "first\nsecond");
    openedForm(path);
    const TextFormat format = f->form->document().format();
    f->editor()->setSelection(6, 0);
    type(QStringLiteral("日本語 "));
    QVERIFY(waitForCopy());
    // The window ends without asking, as on SIGTERM; its lock goes with it.
    f->form->preserveUnsavedWork();
    f->form.reset();
    QCOMPARE(recoveryFiles().size(), 3);
    // Another program writes the file meanwhile.
    QFile other(path);
    QVERIFY(other.open(QIODevice::Append));
    other.write("\nfrom elsewhere");
    other.close();

    offerPendingBackups(f->dialogs, f->processes);
    QCOMPARE(f->dialogs.questions.size(), 1);
    QVERIFY(
        f->dialogs.questions[0].startsWith(QStringLiteral("前回、保存されずに終了した文書があります。復元しますか？")));
    QVERIFY(f->dialogs.questions[0].contains(QStringLiteral("kept.txt")));
    QVERIFY(f->dialogs.questions[0].contains(QDir::toNativeSeparators(f->settings.dir())));
    QCOMPARE(f->dialogs.defaults[0], std::optional(Button::Restore));
    QVERIFY(f->processes.recovering.isEmpty()); // 後で keeps it
    f->dialogs.answers = { Button::Restore };
    offerPendingBackups(f->dialogs, f->processes);
    QCOMPARE(f->processes.recovering.size(), 1);
    // Claimed: another start does not offer it again.
    offerPendingBackups(f->dialogs, f->processes);
    QCOMPARE(f->dialogs.questions.size(), 2);

    openedForm(QString());
    f->form->restoreRecovery(f->processes.recovering[0]);
    QCOMPARE(f->editor()->text(), QStringLiteral("first\n日本語 second"));
    QVERIFY(f->editor()->isModified());
    QVERIFY(f->form->isWindowModified());
    QVERIFY(f->form->windowTitle().contains(path));
    QCOMPARE(f->form->document().format(), format);
    QCOMPARE(f->editor()->selectionStart(), 10);
    QVERIFY(f->dialogs.messages.isEmpty());

    // The file changed since the copy's stamp: the first save asks.
    f->dialogs.answers = { Button::Yes };
    QTest::keyClick(f->editorView(), Qt::Key_S, Qt::ControlModifier);
    QCOMPARE(f->dialogs.questions.size(), 3);
    QCOMPARE(f->dialogs.questions[2], kChangedByOtherProgram.arg(path));
    QCOMPARE(bytesOf(path), encodePlainText(QStringLiteral("first\n日本語 second"), format));
    QVERIFY(!bytesOf(path).endsWith('\n'));
    QVERIFY(!f->editor()->isModified());
    QTRY_COMPARE(recoveryFiles(), QStringList());
}

void TestRecovery::unmodifiedFileChangedElsewhereIsReloaded()
{
    const QString path = f->writeFile(QStringLiteral("log.txt"), "one\ntwo\nthree\n");
    TMainForm& form = openedForm(path);
    f->editor()->setSelection(f->editor()->lineIndex(2), 0);
    const TextFormat format = form.document().format();
    activate(form);
    QCOMPARE(f->editor()->text(), QStringLiteral("one\ntwo\nthree"));

    QFile other(path);
    QVERIFY(other.open(QIODevice::Append));
    other.write("four\n");
    other.close();
    activate(form);
    QCOMPARE(f->editor()->text(), QStringLiteral("one\ntwo\nthree\nfour"));
    QVERIFY(!f->editor()->isModified());
    QCOMPARE(f->editor()->lineFromChar(f->editor()->selectionStart()), 2);
    QCOMPARE(form.document().format(), format);
    QCOMPARE(message(), kReloadedAfterExternalChange.arg(path));
    QVERIFY(f->dialogs.questions.isEmpty());

    QVERIFY(QFile::remove(path));
    activate(form);
    QCOMPARE(message(), kFileDeleted.arg(path));
    activate(form);
    QVERIFY(f->dialogs.questions.isEmpty());
    QVERIFY(f->dialogs.messages.isEmpty());
}

void TestRecovery::modifiedFileChangedElsewhereAsksOnce()
{
    const QString path = f->writeFile(QStringLiteral("log.txt"), "one\n");
    TMainForm& form = openedForm(path);
    type(QStringLiteral("mine "));
    QFile other(path);
    QVERIFY(other.open(QIODevice::Append));
    other.write("two\n");
    other.close();
    f->dialogs.answers = { Button::No };
    activate(form);
    QCOMPARE(f->dialogs.questions, QStringList { kReloadModifiedQuestion.arg(path) });
    QCOMPARE(f->dialogs.defaults[0], std::optional(Button::No));
    QCOMPARE(f->editor()->text(), QStringLiteral("mine one"));
    activate(form);
    QCOMPARE(f->dialogs.questions.size(), 1);
}

QTEST_MAIN(TestRecovery)
#include "tst_recovery.moc"
