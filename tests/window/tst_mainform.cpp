// SPDX-License-Identifier: MIT
// The editor window's creation, show and close against a real settings hive.
#include "document/document.h"
#include "document/editortexts.h"
#include "mainformfixture.h"
#include "settings/settingstexts.h"
#include "view/statusrow.h"
#include "window/commandtable.h"
#include "window/documentcontroller.h"
#include "window/settingsrestorer.h"

#include <QMimeData>
#include <QSet>
#include <QSignalSpy>
#include <QTextBlock>

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QTest>
#include <QToolBar>
#include <QWindow>

class TestMainForm final : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();

    void firstRunWindow();
    void positionClamp_data();
    void positionClamp();
    void centredWhenPositionAbsent();
    void stepsPastEditorsAlreadyThere_data();
    void stepsPastEditorsAlreadyThere();
    void storedSizeIsTheOuterSize();
    void tabStops_data();
    void tabStops();
    void fallback_data();
    void fallback();
    void backgroundColour_data();
    void backgroundColour();
    void switchesRestored();
    void commandLineFile_data();
    void commandLineFile();
    void largeCommandLineFileLoadsOnceTheWindowIsUp();
    void unreadableCommandLineFileKeepsSettings();
    void withoutFileTheCaptionNamesTheProgramFolder();
    void showSetsRulerFromStoredFontSize();
    void showReportsUnreadableFontSize();
    void closeWritesWindowState();
    void closeKeepsOtherEditorsEntries();
    void editorSettingsWrite();
    void dropLoadsLastLocalFile();
    void fileExitCloses();
    void menuBar();
    void toolBar();
    void controlsHaveTheirNames();
    void commandTableIsConsistent();

private:
    std::unique_ptr<MainFormFixture> f;
};

void TestMainForm::init()
{
    f = std::make_unique<MainFormFixture>();
}

void TestMainForm::cleanup()
{
    f->form.reset();
    f.reset();
}

void TestMainForm::firstRunWindow()
{
    f->writeValues(MainFormFixture::firstRunValues());
    TMainForm& form = f->createForm();
    QCOMPARE(form.frameGeometry(), QRect(200, 100, 743, 543));

    const QFont font = f->editor()->editorFont();
    QCOMPARE(font.family(), kDefaultFontName);
    QCOMPARE(font.pointSize(), 10);
    QVERIFY(!font.bold() && !font.italic() && !font.underline() && !font.strikeOut());
    QCOMPARE(f->editor()->textColour(), StoredColour(kWindowTextColour));
    QCOMPARE(f->editor()->backgroundColour(), StoredColour(kWhite));
    QCOMPARE(f->editorView()->palette().color(QPalette::Base), QColor(Qt::white));
    QCOMPARE(f->editorView()->palette().color(QPalette::Text), QGuiApplication::palette().color(QPalette::WindowText));

    QVERIFY(!f->control(QStringLiteral("CoolBar1"))->isHidden());
    QVERIFY(f->control<QAction>(QStringLiteral("CoolBarVew"))->isChecked());
    QVERIFY(!f->control<QAction>(QStringLiteral("VG"))->isChecked());
    QVERIFY(f->control(QStringLiteral("Panel4"))->isHidden());
    QVERIFY(f->control<QAction>(QStringLiteral("OP_str"))->isChecked());
    QCOMPARE(f->control<QLabel>(QStringLiteral("StatusBar3"))->text(), QStringLiteral("挿入"));
    QVERIFY(!f->editor()->isModified());
    QVERIFY(f->dialogs.messages.isEmpty());
    // Nothing beyond the first-run values is written by a start without a file.
    QVERIFY(!f->stored(Reg::MIno));
    QCOMPARE(f->storedInteger(Reg::MTop), 100);
}

void TestMainForm::positionClamp_data()
{
    QTest::addColumn<int>("top");
    QTest::addColumn<int>("left");
    QTest::addColumn<QPoint>("expected");

    QTest::newRow("top 700 on 768") << 700 << 200 << QPoint(20, 20);
    QTest::newRow("bottom exactly 30 above the edge") << 195 << 200 << QPoint(200, 195);
    QTest::newRow("one pixel lower") << 196 << 200 << QPoint(20, 20);
    QTest::newRow("right edge past the limit") << 100 << 252 << QPoint(20, 20);
    QTest::newRow("right edge at the limit") << 100 << 251 << QPoint(251, 100);
}

void TestMainForm::positionClamp()
{
    QFETCH(int, top);
    QFETCH(int, left);
    QFETCH(QPoint, expected);
    auto values = MainFormFixture::with(MainFormFixture::firstRunValues(), Reg::MTop, top);
    f->writeValues(MainFormFixture::with(values, Reg::MLeft, left));

    TMainForm& form = f->createForm();
    QCOMPARE(form.frameGeometry().topLeft(), expected);
    QCOMPARE(f->storedInteger(Reg::MTop), expected.y());
    QCOMPARE(f->storedInteger(Reg::MLeft), expected.x());
}

void TestMainForm::centredWhenPositionAbsent()
{
    auto values = MainFormFixture::without(MainFormFixture::firstRunValues(), Reg::MTop);
    f->writeValues(MainFormFixture::without(values, Reg::MLeft));
    TMainForm& form = f->createForm();
    QCOMPARE(form.frameGeometry().topLeft(), QPoint(141, 113));
    QVERIFY(!f->stored(Reg::MTop));
}

void TestMainForm::stepsPastEditorsAlreadyThere_data()
{
    QTest::addColumn<QPoint>("stored");
    QTest::addColumn<QList<QRect>>("others");
    QTest::addColumn<QPoint>("expected");

    const QSize size(743, 543);
    QTest::newRow("none there") << QPoint(200, 100) << QList<QRect>() << QPoint(200, 100);
    QTest::newRow("one elsewhere") << QPoint(200, 100) << QList<QRect> { { QPoint(400, 100), size } }
                                   << QPoint(200, 100);
    // A window manager may have nudged it by a few pixels.
    QTest::newRow("one there, nudged") << QPoint(200, 100) << QList<QRect> { { QPoint(203, 98), size } }
                                       << QPoint(220, 120);
    QTest::newRow("two in a cascade") << QPoint(200, 100)
                                      << QList<QRect> { { QPoint(220, 120), size }, { QPoint(200, 100), size } }
                                      << QPoint(240, 140);
    // Stepping off the screen goes back to the corner, and past an editor sitting there.
    QTest::newRow("off the screen") << QPoint(251, 100)
                                    << QList<QRect> { { QPoint(251, 100), size }, { QPoint(20, 20), size } }
                                    << QPoint(40, 40);
}

void TestMainForm::stepsPastEditorsAlreadyThere()
{
    QFETCH(QPoint, stored);
    QFETCH(QList<QRect>, others);
    QFETCH(QPoint, expected);
    auto values = MainFormFixture::with(MainFormFixture::firstRunValues(), Reg::MTop, stored.y());
    f->writeValues(MainFormFixture::with(values, Reg::MLeft, stored.x()));
    f->otherEditors = others;

    TMainForm& form = f->createForm();
    QCOMPARE(form.frameGeometry().topLeft(), expected);
    // The next editor goes on from here.
    QCOMPARE(f->storedInteger(Reg::MTop), expected.y());
    QCOMPARE(f->storedInteger(Reg::MLeft), expected.x());
}

void TestMainForm::storedSizeIsTheOuterSize()
{
    auto values = MainFormFixture::with(MainFormFixture::firstRunValues(), Reg::MHeight, 400);
    f->writeValues(MainFormFixture::with(values, Reg::MWidth, 600));
    TMainForm& form = f->createForm();
    QCOMPARE(form.frameGeometry(), QRect(200, 100, 600, 400));
}

void TestMainForm::tabStops_data()
{
    QTest::addColumn<QVariant>("storedTab");
    QTest::addColumn<int>("cells");

    QTest::newRow("MTab 4") << QVariant(4) << 4;
    QTest::newRow("MTab 0 is 8") << QVariant(0) << 8;
    QTest::newRow("MTab absent is 8") << QVariant() << 8;
    QTest::newRow("MTab 12") << QVariant(12) << 12;
}

// The stops must land where a fixed-pitch text puts the given number of half-width cells,
// on every line and for more tabs than there are explicit stops.
void TestMainForm::tabStops()
{
    QFETCH(QVariant, storedTab);
    QFETCH(int, cells);
    f->writeValues(MainFormFixture::with(MainFormFixture::firstRunValues(), Reg::MTab, storedTab));
    TMainForm& form = f->createForm();
    form.show();
    QCOMPARE(form.tabWidth(), cells);

    const QString line = QStringLiteral("\tA\t\t\t\t\t\t\t\tB");
    f->editor()->setText(QStringLiteral("first line\n") + line);
    DocumentEditor* editor = f->editor();
    const int lineStart = editor->lineIndex(1);
    const auto caretXAt = [editor](int index) {
        editor->setSelection(index, 0);
        return editor->caretRect().x();
    };
    const qreal cell = QFontMetricsF(editor->editorFont()).horizontalAdvance(QLatin1Char('A'));
    const int x0 = caretXAt(lineStart);
    QVERIFY2(qAbs(caretXAt(lineStart + 1) - x0 - cells * cell) <= 1.5,
             qPrintable(QString::number(caretXAt(lineStart + 1) - x0)));
    // The tenth tab is past the eighth explicit stop and still keeps the spacing.
    QVERIFY2(qAbs(caretXAt(lineStart + line.size() - 1) - x0 - 9 * cells * cell) <= 2,
             qPrintable(QString::number(caretXAt(lineStart + line.size() - 1) - x0)));
}

void TestMainForm::fallback_data()
{
    QTest::addColumn<QString>("damaged");
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<int>("writtenTop");

    QTest::newRow("MFontStyleI absent") << Reg::MFontStyleI << QVariant() << 20;
    QTest::newRow("MFontSize stored as a string") << Reg::MFontSize << QVariant(QStringLiteral("10")) << 20;
    QTest::newRow("MFontCol absent") << Reg::MFontCol << QVariant() << 20;
    QTest::newRow("MOption of another type") << Reg::MOption << QVariant(QByteArray("hex:01")) << 20;
}

void TestMainForm::fallback()
{
    QFETCH(QString, damaged);
    QFETCH(QVariant, value);
    QFETCH(int, writtenTop);
    auto values = MainFormFixture::with(MainFormFixture::firstRunValues(), Reg::MTop, 300);
    values = MainFormFixture::with(values, Reg::MFontName, QStringLiteral("IPAMincho"));
    values = MainFormFixture::with(values, Reg::MFontStyleB, 1);
    values = MainFormFixture::with(values, Reg::MVG, 1);
    f->writeValues(MainFormFixture::with(values, damaged, value));

    TMainForm& form = f->createForm();
    // The designed place and the window's designed font, no message.
    QCOMPARE(form.frameGeometry(), QRect(243, 110, 743, 543));
    const QFont font = f->editor()->editorFont();
    QCOMPARE(font.family(), kDefaultFontName);
    QCOMPARE(font.pixelSize(), 15);
    QVERIFY(!font.bold());
    QVERIFY(f->dialogs.messages.isEmpty());
    // The line-number switch comes after the failing value and is never reached.
    QVERIFY(!f->control<QAction>(QStringLiteral("VG"))->isChecked());
    QVERIFY(f->control(QStringLiteral("Panel4"))->isHidden());

    // The font values are written again as integers, from the designed font.
    QCOMPARE(f->storedInteger(Reg::MFontSize), 11);
    QCOMPARE(f->storedInteger(Reg::MFontCol), kWindowTextColour);
    QCOMPARE(f->storedString(Reg::MFontName), kDefaultFontName);
    QCOMPARE(f->key()->readBool(Reg::MFontStyleB), false);
    QCOMPARE(f->key()->readBool(Reg::MFontStyleI), false);
    QCOMPARE(f->storedInteger(Reg::MTop), writtenTop);
    QCOMPARE(f->storedInteger(Reg::MLeft), 20);
}

void TestMainForm::backgroundColour_data()
{
    QTest::addColumn<QVariant>("stored");
    QTest::addColumn<QColor>("expected");

    QTest::newRow("absent is white") << QVariant() << QColor(Qt::white);
    QTest::newRow("stored 0x00BBGGRR") << QVariant(0x00336699) << QColor(0x99, 0x66, 0x33);
    QTest::newRow("stored system window colour")
        << QVariant(int(0x80000005u)) << QGuiApplication::palette().color(QPalette::Base);
}

void TestMainForm::backgroundColour()
{
    QFETCH(QVariant, stored);
    QFETCH(QColor, expected);
    f->writeValues(MainFormFixture::with(MainFormFixture::firstRunValues(), Reg::MBkCol, stored));
    f->createForm();
    QCOMPARE(f->editorView()->palette().color(QPalette::Base), expected);
}

void TestMainForm::switchesRestored()
{
    auto values = MainFormFixture::with(MainFormFixture::firstRunValues(), Reg::MCoolBarVewF, 0);
    values = MainFormFixture::with(values, Reg::MOption, 0);
    values = MainFormFixture::with(values, Reg::MVG, 1);
    values = MainFormFixture::with(values, Reg::MFindexNo1, 3);
    values = MainFormFixture::with(values, Reg::MFontStyleU, 1);
    f->writeValues(values);
    TMainForm& form = f->createForm();
    QVERIFY(f->control(QStringLiteral("CoolBar1"))->isHidden());
    QVERIFY(!f->control<QAction>(QStringLiteral("CoolBarVew"))->isChecked());
    QVERIFY(!f->control<QAction>(QStringLiteral("OP_str"))->isChecked());
    QVERIFY(f->control<QAction>(QStringLiteral("VG"))->isChecked());
    QVERIFY(!f->control(QStringLiteral("Panel4"))->isHidden());
    QCOMPARE(f->control(QStringLiteral("Panel4"))->width(), 30);
    QCOMPARE(f->control(QStringLiteral("Label1"))->x(), 30);
    QVERIFY(f->editor()->editorFont().underline());
    QCOMPARE(form.filterIndex(), 3);
}

void TestMainForm::commandLineFile_data()
{
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");

    QTest::newRow("one argument, UTF-8") << QStringLiteral("memo.txt") << QByteArray("日本語\r\nabc")
                                         << QStringLiteral("日本語\nabc");
    QTest::newRow("three words, CP932") << QStringLiteral("my old memo.txt") << QByteArray("\x93\xfa\x96\x7b\x8c\xea")
                                        << QStringLiteral("日本語");
    QTest::newRow("empty file") << QStringLiteral("empty.txt") << QByteArray() << QString();
}

void TestMainForm::commandLineFile()
{
    QFETCH(QString, fileName);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);
    f->writeValues(MainFormFixture::firstRunValues());
    const QString path = f->writeFile(fileName, bytes);

    TMainForm& form = f->createForm(path.split(QLatin1Char(' ')));
    QCOMPARE(f->editor()->text(), text);
    QVERIFY(!f->editor()->isModified());
    QCOMPARE(form.currentFileName(), path);
    QCOMPARE(form.windowTitle(), QStringLiteral("[*][ %1 ]-Orvel Soft Version １．４．５").arg(path));
    QCOMPARE(f->storedInteger(Reg::MIno), 1);
    QCOMPARE(form.recentFiles().value(0), path);
    QCOMPARE(form.recentFolders().value(0), f->settings.dir() + QLatin1Char('/'));
    QVERIFY(f->dialogs.messages.isEmpty());
}

void TestMainForm::largeCommandLineFileLoadsOnceTheWindowIsUp()
{
    f->writeValues(MainFormFixture::firstRunValues());
    QByteArray line;
    for (int i = 0; i < 20; ++i)
        line += "\x93\xfa\x96\x7b\x8c\xea "; // 日本語
    line += "\r\n";
    QByteArray bytes;
    bytes.reserve(33 << 20);
    while (bytes.size() < (33 << 20))
        bytes += line;
    const QString path = f->writeFile(QStringLiteral("large.txt"), bytes);

    // The window shows before the text is in: the user sees it at once and how far the load is.
    TMainForm& form = f->createForm({ path });
    bool loaded = false;
    bool exposedWhenLoaded = false;
    connect(&form.document(), &Document::loaded, this, [&] {
        loaded = true;
        exposedWhenLoaded = form.windowHandle() && form.windowHandle()->isExposed();
    });
    form.show();
    QTRY_VERIFY_WITH_TIMEOUT(loaded, 20000);
    QVERIFY(exposedWhenLoaded);

    // Then it is the same as a small file's start.
    QCOMPARE(f->editor()->textLength(), qsizetype(bytes.count("\r\n")) * 81 - 1);
    QVERIFY(!f->editor()->isModified());
    QVERIFY(!f->editor()->isUndoAvailable());
    QCOMPARE(form.windowTitle(), QStringLiteral("[*][ %1 ]-%2").arg(path, kVersionCaption));
    QCOMPARE(form.recentFiles().value(0), path);
    QCOMPARE(f->storedInteger(Reg::MIno), 1);
    QVERIFY(f->dialogs.messages.isEmpty());
}

void TestMainForm::unreadableCommandLineFileKeepsSettings()
{
    f->writeValues(MainFormFixture::with(MainFormFixture::firstRunValues(), Reg::MVG, 1));
    // A name that does not exist yet is a new file; one in a missing folder cannot be.
    const QString missing = f->settings.dir() + QStringLiteral("/no such folder/missing.txt");
    TMainForm& form = f->createForm({ missing });
    QCOMPARE(f->dialogs.messages.size(), 1);
    QVERIFY(f->dialogs.messages.first().contains(missing));
    // The settings are still restored, so a close cannot overwrite them with designed values.
    QCOMPARE(form.frameGeometry().topLeft(), QPoint(200, 100));
    QVERIFY(f->control<QAction>(QStringLiteral("VG"))->isChecked());
    QVERIFY(!f->stored(Reg::MIno));
    QVERIFY(form.recentFiles().value(0).isEmpty());
    QVERIFY(form.acceptDrops());
}

void TestMainForm::withoutFileTheCaptionNamesTheProgramFolder()
{
    f->writeValues(MainFormFixture::firstRunValues());
    TMainForm& form = f->createForm();
    const QString folder = QCoreApplication::applicationDirPath() + QLatin1Char('/');
    QCOMPARE(form.currentFileName(), folder);
    QCOMPARE(form.windowTitle(), QStringLiteral("[*][ %1 ]-%2").arg(folder, kVersionCaption));
    QCOMPARE(form.applicationTitle(), QString());
}

void TestMainForm::showSetsRulerFromStoredFontSize()
{
    f->writeValues(MainFormFixture::with(MainFormFixture::firstRunValues(), Reg::MFontSize, 14));
    TMainForm& form = f->createForm();
    form.show();
    auto* label1 = f->control<QLabel>(QStringLiteral("Label1"));
    QCOMPARE(label1->font().pointSize(), 14);
    QCOMPARE(label1->text(), QStringLiteral("----+----|").repeated(16));
    QCOMPARE(f->control(QStringLiteral("Ruler"))->height(), label1->height());
    QVERIFY(f->control(QStringLiteral("Ruler"))->isVisible());
}

void TestMainForm::showReportsUnreadableFontSize()
{
    f->writeValues(MainFormFixture::firstRunValues());
    TMainForm& form = f->createForm();
    auto* label1 = f->control<QLabel>(QStringLiteral("Label1"));
    const int designedSize = label1->fontInfo().pixelSize();
    // Another process damages the value between creation and show.
    f->writeValues(MainFormFixture::with(MainFormFixture::firstRunValues(), Reg::MFontSize, QStringLiteral("x")));
    form.show();
    QCOMPARE(f->dialogs.messages, QStringList { kFontSettingsReadFailed });
    QCOMPARE(label1->fontInfo().pixelSize(), designedSize);
    QCOMPARE(label1->text(), QStringLiteral("----+----|").repeated(16));
}

void TestMainForm::closeWritesWindowState()
{
    f->writeValues(MainFormFixture::with(MainFormFixture::firstRunValues(), Reg::MIno, 1));
    TMainForm& form = f->createForm();
    form.show();
    setOuterGeometry(form, QRect(50, 60, 640, 480));
    f->control<QAction>(QStringLiteral("VG"))->trigger();
    f->control<QAction>(QStringLiteral("OP_str"))->setChecked(false);
    QSignalSpy closed(&form, &TMainForm::closed);
    QVERIFY(form.close());
    QCOMPARE(closed.size(), 1);

    QCOMPARE(f->storedInteger(Reg::MTop), 60);
    QCOMPARE(f->storedInteger(Reg::MLeft), 50);
    QCOMPARE(f->storedInteger(Reg::MHeight), 480);
    QCOMPARE(f->storedInteger(Reg::MWidth), 640);
    QCOMPARE(f->storedInteger(Reg::MFindexNo1), 0);
    QCOMPARE(f->storedInteger(Reg::MIno), 0);
    QCOMPARE(f->key()->readBool(Reg::MVG), true);
    QCOMPARE(f->key()->readBool(Reg::MOption), false);
    QCOMPARE(f->key()->readBool(Reg::MCoolBarVewF), true);
    QCOMPARE(f->storedString(Reg::Mappname), QFileInfo(QCoreApplication::applicationFilePath()).fileName());
    QCOMPARE(f->storedString(Reg::Mapppath), QCoreApplication::applicationDirPath() + QLatin1Char('/'));
}

void TestMainForm::closeKeepsOtherEditorsEntries()
{
    auto values = MainFormFixture::with(MainFormFixture::firstRunValues(), Reg::mru(1), QStringLiteral("/a/one.txt"));
    f->writeValues(values);
    f->createForm();
    // Meanwhile another editor stores its files; this window added none, so it leaves them all.
    f->key()->writeString(Reg::mru(3), QStringLiteral("/b/other.txt"));
    f->key()->writeString(Reg::mru(1), QStringLiteral("/b/newer.txt"));
    QVERIFY(f->form->close());
    QCOMPARE(f->storedString(Reg::mru(3)), QStringLiteral("/b/other.txt"));
    QCOMPARE(f->storedString(Reg::mru(1)), QStringLiteral("/b/newer.txt"));
}

void TestMainForm::editorSettingsWrite()
{
    f->writeValues(MainFormFixture::firstRunValues());
    TMainForm& form = f->createForm();
    QFont font = f->editor()->editorFont();
    font.setPointSize(12);
    font.setItalic(true);
    f->editor()->setEditorFont(font);
    form.openDialog().fileName = QStringLiteral("/home/u/docs/a.txt");
    form.openDialog().filterIndex = 4;
    form.writeEditorSettings();
    QCOMPARE(f->storedString(Reg::MDirSave), QStringLiteral("/home/u/docs/"));
    QCOMPARE(f->storedInteger(Reg::MFontSize), 12);
    QCOMPARE(f->key()->readBool(Reg::MFontStyleI), true);
    QCOMPARE(f->storedInteger(Reg::MFindexNo1), 4);
    QCOMPARE(f->key()->readBool(Reg::MVG), false);
    QVERIFY(f->dialogs.messages.isEmpty());
}

void TestMainForm::dropLoadsLastLocalFile()
{
    f->writeValues(MainFormFixture::firstRunValues());
    TMainForm& form = f->createForm();
    form.show();
    const QString first = f->writeFile(QStringLiteral("first.txt"), "first");
    const QString last = f->writeFile(QStringLiteral("last.txt"), "last");
    f->editor()->setText(QStringLiteral("unsaved"));
    f->editor()->setModified(true);
    f->dialogs.answers = { Dialogs::Button::No };

    QMimeData mime;
    mime.setUrls(
        { QUrl::fromLocalFile(first), QUrl(QStringLiteral("https://example.org/x.txt")), QUrl::fromLocalFile(last) });
    QWidget* target = f->editorView()->viewport();
    const QPoint at = target->rect().center();
    QDragEnterEvent enter(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &enter);
    QVERIFY(enter.isAccepted());
    QDropEvent drop(QPointF(at), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &drop);

    QCOMPARE(f->dialogs.questions, QStringList { kSavePrompt });
    QCOMPARE(f->editor()->text(), QStringLiteral("last"));
    QVERIFY(!f->editor()->isModified());
    QCOMPARE(form.currentFileName(), last);
    QCOMPARE(form.recentFiles().value(0), last);
    QCOMPARE(f->storedString(Reg::mru(1)), last);
    QCOMPARE(f->storedString(Reg::MDirSave), f->settings.dir() + QLatin1Char('/'));
}

void TestMainForm::fileExitCloses()
{
    f->writeValues(MainFormFixture::firstRunValues());
    TMainForm& form = f->createForm();
    form.show();
    QSignalSpy closed(&form, &TMainForm::closed);
    f->control<QAction>(QStringLiteral("FileExitItem"))->trigger();
    QCOMPARE(closed.size(), 1);
    QVERIFY(!form.isVisible());
    QCOMPARE(f->storedInteger(Reg::MIno), 0);
}

namespace {
QStringList itemNames(const QMenu* menu)
{
    QStringList names;
    for (const QAction* action : menu->actions())
        names.append(action->isSeparator() && action->objectName().isEmpty() ? QStringLiteral("-")
                                                                             : action->objectName());
    return names;
}
} // namespace

void TestMainForm::menuBar()
{
    f->writeValues(MainFormFixture::firstRunValues());
    TMainForm& form = f->createForm();
    QStringList titles;
    for (const QAction* action : form.menuBar()->actions())
        titles.append(action->text());
    QCOMPARE(titles, (QStringList { "ﾌｧｲﾙ(&F)", "編集(&E)", "表示", "オプション", "その他" }));

    QCOMPARE(itemNames(f->control<QMenu>(QStringLiteral("FileMenu"))),
             (QStringList { "Winexec",
                            "F_ONew",
                            "FileNewItem",
                            "FileOpenItem",
                            "FileSaveItem",
                            "FileSaveAsItem",
                            "ReopenWithEncodingItem",
                            "SaveWithEncodingItem",
                            "-",
                            "FilePrintItem",
                            "F_PVew",
                            "FilePrintSetupItem",
                            "-",
                            "MRU1",
                            "MRU2",
                            "MRU3",
                            "MRU4",
                            "MRU5",
                            "MRUSeparator",
                            "FileExitItem" }));
    QCOMPARE(
        itemNames(f->control<QMenu>(QStringLiteral("EditMenu"))),
        (QStringList { "EditUndoItem", "EditRedoItem", "-", "EditCutItem", "E_all", "EditCopyItem", "EditPasteItem",
                       "-", "E_Se", "FindNextItem", "FindPreviousItem", "GrepItem", "JumpItem", "N3", "N5" }));
    QCOMPARE(itemNames(f->control<QMenu>(QStringLiteral("Show1"))),
             (QStringList { "CoolBarVew", "CoolTree", "VRuler", "VG", "ColorSyntax" }));
    QCOMPARE(itemNames(f->control<QMenu>(QStringLiteral("OP"))), QStringList { "OP_str" });
    QCOMPARE(itemNames(f->control<QMenu>(QStringLiteral("FT"))), (QStringList { "F_Help", "FO" }));

    QCOMPARE(f->control<QAction>(QStringLiteral("FileExitItem"))->text(), QStringLiteral("終了(&X)"));
    QCOMPARE(f->control<QAction>(QStringLiteral("VG"))->text(), QStringLiteral("行番号"));
    QCOMPARE(f->control<QAction>(QStringLiteral("VRuler"))->text(), QStringLiteral("ルーラー表示"));
    QCOMPARE(f->control<QAction>(QStringLiteral("EditCopyItem"))->statusTip(),
             QStringLiteral("選択項目をｸﾘｯﾌﾟﾎﾞｰﾄﾞにｺﾋﾟｰ"));
    QVERIFY(f->control<QAction>(QStringLiteral("VRuler"))->isChecked());
    QVERIFY(!f->control<QAction>(QStringLiteral("N5"))->isChecked());
    for (int k = 1; k <= 5; ++k)
        QVERIFY(!f->control<QAction>(Reg::mru(k))->isVisible());
}

void TestMainForm::toolBar()
{
    f->writeValues(MainFormFixture::firstRunValues());
    f->createForm();
    auto* bar = f->control<QToolBar>(QStringLiteral("ToolBar1"));
    QStringList names;
    QStringList hints;
    for (const QAction* action : bar->actions()) {
        names.append(action->isSeparator() ? QStringLiteral("-") : action->objectName());
        if (!action->isSeparator())
            hints.append(action->toolTip());
    }
    QCOMPARE(names,
             (QStringList { "ToolButton1", "ToolButton2", "ToolButton3", "ToolButton4", "-", "ToolButton7",
                            "ToolButton8", "ToolButton9", "-", "ToolButton5" }));
    QCOMPARE(hints.value(0), QStringLiteral("新規作成"));
    QCOMPARE(hints.value(4), QStringLiteral("印刷"));
    QCOMPARE(hints.value(5), QStringLiteral("プリンターの設定"));
    QCOMPARE(hints.value(6), QStringLiteral("作業フォルダーの表示"));
    QCOMPARE(hints.value(7), QStringLiteral("一つ戻す"));
    QVERIFY(f->control<QAction>(QStringLiteral("ToolButton9"))->isCheckable());
}

void TestMainForm::controlsHaveTheirNames()
{
    f->writeValues(MainFormFixture::firstRunValues());
    f->createForm();
    for (const char* name : { "RichEdit2", "Ruler", "Label1", "Panel4", "Label3", "CoolBar1", "ToolBar1", "CoolBar2",
                              "FilePanel", "Label2", "Tree", "Panel1", "StatusBar1", "StatusBar2", "StatusBar3",
                              "Panel2", "QuickRep1", "QRPreview1", "Panel3" })
        QVERIFY2(f->control(QString::fromLatin1(name)), name);
    // Nothing shows an alternate editor: the document editor is the only text widget, and it
    // holds one plain view.
    QVERIFY(!f->form->findChild<QPlainTextEdit*>());
    QCOMPARE(f->editor()->findChildren<QsciScintilla*>().size(), 1);
    QVERIFY(f->control(QStringLiteral("CoolBar2"))->isHidden());
    QVERIFY(f->control(QStringLiteral("Panel3"))->isHidden());
    QVERIFY(!f->editor()->isHidden());
}

void TestMainForm::commandTableIsConsistent()
{
    // The window indexes its actions by Command, so a row out of place wires a key to the wrong handler.
    const std::span<const CommandRow> rows = commandTable();
    QCOMPARE(int(rows.size()), kCommandCount);
    QSet<QString> names;
    QSet<QString> shortcuts;
    for (int k = 0; k < int(rows.size()); ++k) {
        const CommandRow& row = rows[size_t(k)];
        QVERIFY2(int(row.id) == k, row.name);
        QVERIFY2(!names.contains(QLatin1String(row.name)), row.name);
        names.insert(QLatin1String(row.name));
        if (!row.shortcuts)
            continue;
        for (const QString& key : QString::fromLatin1(row.shortcuts).split(QStringLiteral("; "))) {
            QVERIFY2(!shortcuts.contains(key), qPrintable(key + QStringLiteral(" is given twice")));
            shortcuts.insert(key);
        }
    }
}

QTEST_MAIN(TestMainForm)
#include "tst_mainform.moc"
