// SPDX-License-Identifier: MIT
#include "document/documenteditor.h"
#include "fakedialogs.h"
#include "options/Formoption.h"
#include "options/help.h"
#include "options/optionshost.h"
#include "options/optionstexts.h"
#include "settings/registrysequence.h"
#include "settings/settingstable.h"
#include "tempsettings.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTest>

namespace {

class TestHost final : public OptionsHost
{
public:
    DocumentEditor& documentEditor() override { return editor; }
    int tabWidth() const override { return width; }

    DocumentEditor editor;
    int width = 8;
};

} // namespace

class TestFormOption : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void applyTabWidth_data();
    void applyTabWidth();
    void boxThatIsNoNumberStoresNothing_data();
    void boxThatIsNoNumberStoresNothing();
    void colourChoiceStoresTheBoxUnchecked();
    void cancelledColourChangesNothing();
    void reopeningShowsTheWidthReadAtCreation();
    void tabsShowTheirControls();
    void swatchLooksPressedWhileHeld();
    void launcherSwitchMessages();
    void help();
    void opensOverTheEditorOnScreen();

private:
    std::optional<qint32> stored(const QString& name);
    template <class T>
    T* child(const QString& name)
    {
        return m_form->findChild<T*>(name);
    }

    std::optional<TempSettings> m_settings;
    FakeDialogs m_dialogs;
    std::unique_ptr<TestHost> m_host;
    std::unique_ptr<TFormOption> m_form;
};

void TestFormOption::init()
{
    m_settings.emplace();
    m_dialogs = FakeDialogs();
    m_host = std::make_unique<TestHost>();
    m_form = std::make_unique<TFormOption>(AppContext { m_dialogs, [] { return QRect(0, 0, 1024, 768); } });
    m_form->setHost(m_host.get());
}

void TestFormOption::cleanup()
{
    m_form.reset();
    m_host.reset();
    m_settings.reset();
}

std::optional<qint32> TestFormOption::stored(const QString& name)
{
    std::optional<qint32> value;
    runRegistrySequence(OpenMode::OpenOnly, [&](SettingsKey& key) {
        if (key.valueExists(name))
            value = key.readInteger(name);
    });
    return value;
}

void TestFormOption::applyTabWidth_data()
{
    QTest::addColumn<QString>("box");
    QTest::addColumn<int>("fontPoints");
    QTest::addColumn<QList<int>>("stops");
    QTest::addColumn<QStringList>("messages");
    QTest::addColumn<int>("storedTab");
    QTest::newRow("8 at 10 pt") << QStringLiteral("8") << 10 << QList<int> { 0, 40, 80, 120, 160, 200, 240, 280 }
                                << QStringList { kSettingsChanged } << 8;
    QTest::newRow("12 at 9 pt") << QStringLiteral("12") << 9 << QList<int> { 0, 54, 108, 162, 216, 270, 324, 378 }
                                << QStringList { kSettingsChanged } << 12;
    QTest::newRow("4 is raised to 8") << QStringLiteral("4") << 10 << QList<int> { 0, 40, 80, 120, 160, 200, 240, 280 }
                                      << QStringList { kTabWidthTooSmall, kSettingsChanged } << 8;
    QTest::newRow("9 at 11 pt truncates")
        << QStringLiteral("9") << 11 << QList<int> { 0, 49, 99, 148, 198, 247, 297, 346 }
        << QStringList { kSettingsChanged } << 9;
    QTest::newRow("-1 is raised to 8") << QStringLiteral("-1") << 10
                                       << QList<int> { 0, 40, 80, 120, 160, 200, 240, 280 }
                                       << QStringList { kTabWidthTooSmall, kSettingsChanged } << 8;
}

void TestFormOption::applyTabWidth()
{
    QFETCH(QString, box);
    QFETCH(int, fontPoints);
    QFETCH(QList<int>, stops);
    QFETCH(QStringList, messages);
    QFETCH(int, storedTab);
    QFont font = m_host->editor.editorFont();
    font.setPointSize(fontPoints);
    m_host->editor.setEditorFont(font);
    m_host->editor.setModified(true);

    m_form->FOClick();
    QLineEdit* memo = child<QLineEdit>(QStringLiteral("Memo1"));
    memo->selectAll();
    QTest::keyClicks(memo, box);
    QTest::mouseClick(child<QPushButton>(QStringLiteral("Button1")), Qt::LeftButton);

    const auto applied = m_host->editor.tabStops();
    QCOMPARE(QList<int>(applied.begin(), applied.end()), stops);
    QCOMPARE(m_dialogs.messages, messages);
    QCOMPARE(memo->text(), QString::number(storedTab));
    QCOMPARE(stored(Reg::MTab), storedTab);
    QCOMPARE(stored(Reg::MFontCol), m_host->editor.textColour().value());
    QCOMPARE(stored(Reg::MBkCol), m_host->editor.backgroundColour().value());
    // A display setting: the unsaved text stays unsaved, so closing still asks.
    QVERIFY(m_host->editor.isModified());
}

void TestFormOption::boxThatIsNoNumberStoresNothing_data()
{
    QTest::addColumn<QString>("box");
    QTest::newRow("empty") << QString();
    QTest::newRow("letters") << QStringLiteral("ab");
    QTest::newRow("full-width digits are not typed numbers") << QStringLiteral("１２");
}

void TestFormOption::boxThatIsNoNumberStoresNothing()
{
    QFETCH(QString, box);
    const auto before = m_host->editor.tabStops();
    m_form->FOClick();
    child<QLineEdit>(QStringLiteral("Memo1"))->setText(box);
    m_form->Button1Click();
    QCOMPARE(m_dialogs.messages, QStringList { kTabWidthNotANumber });
    QCOMPARE(m_host->editor.tabStops(), before);
    QVERIFY(!QFile::exists(m_settings->hivePath()));
}

void TestFormOption::colourChoiceStoresTheBoxUnchecked()
{
    m_form->FOClick();
    child<QLineEdit>(QStringLiteral("Memo1"))->setText(QStringLiteral("3"));
    m_form->findChild<QTabBar*>(QStringLiteral("TabControl1"))->setCurrentIndex(1);
    m_dialogs.colour = QColor(0x12, 0x34, 0x56);
    QLabel* swatch = child<QLabel>(QStringLiteral("Panel2"));
    QTest::mouseClick(swatch, Qt::LeftButton);
    QCOMPARE(m_dialogs.colourRequests.size(), 1);
    QCOMPARE(m_host->editor.backgroundColour().value(), 0x563412); // 0x00BBGGRR
    QCOMPARE(stored(Reg::MBkCol), 0x563412);
    QCOMPARE(stored(Reg::MTab), 3);
    QCOMPARE(stored(Reg::MFontCol), m_host->editor.textColour().value());
    QCOMPARE(swatch->palette().color(QPalette::Window), QColor(0x12, 0x34, 0x56));
    QVERIFY(m_dialogs.messages.isEmpty());

    // With no number in the box the colours are stored and MTab is left as it was.
    child<QLineEdit>(QStringLiteral("Memo1"))->setText(QStringLiteral("x"));
    m_dialogs.colour = QColor(Qt::red);
    m_form->Panel1Click();
    QCOMPARE(stored(Reg::MFontCol), 0x0000FF);
    QCOMPARE(stored(Reg::MTab), 3);
    QCOMPARE(m_dialogs.messages, QStringList { kTabWidthNotANumber });
}

void TestFormOption::cancelledColourChangesNothing()
{
    m_form->FOClick();
    const StoredColour before = m_host->editor.textColour();
    m_form->Panel1Click(); // the fake cancels
    QCOMPARE(m_host->editor.textColour(), before);
    QVERIFY(!QFile::exists(m_settings->hivePath()));
}

void TestFormOption::reopeningShowsTheWidthReadAtCreation()
{
    m_host->width = 6;
    m_form->FOClick();
    QLineEdit* memo = child<QLineEdit>(QStringLiteral("Memo1"));
    QCOMPARE(memo->text(), QStringLiteral("6"));
    memo->setText(QStringLiteral("12"));
    m_form->Button1Click();
    m_form->hide();
    m_form->FOClick();
    QCOMPARE(memo->text(), QStringLiteral("6"));
    QCOMPARE(memo->maxLength(), 2);
    QCOMPARE(memo->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignRight);
}

void TestFormOption::tabsShowTheirControls()
{
    m_form->FOClick();
    auto* tabs = m_form->findChild<QTabBar*>(QStringLiteral("TabControl1"));
    QCOMPARE(tabs->tabText(0), QStringLiteral("初期値"));
    QCOMPARE(tabs->tabText(1), QStringLiteral("画面デザイン"));
    QCOMPARE(m_form->windowTitle(), QStringLiteral("画面設定"));
    QLabel* label1 = child<QLabel>(QStringLiteral("Label1"));
    QCOMPARE(label1->text(), QStringLiteral("タブ幅"));
    QVERIFY(child<QLineEdit>(QStringLiteral("Memo1"))->isVisible());
    QVERIFY(!child<QLabel>(QStringLiteral("Panel1"))->isVisible());
    tabs->setCurrentIndex(1);
    QCOMPARE(label1->text(), QStringLiteral("文字色"));
    QVERIFY(!child<QLineEdit>(QStringLiteral("Memo1"))->isVisible());
    QVERIFY(child<QLabel>(QStringLiteral("Panel1"))->isVisible());
    QCOMPARE(child<QLabel>(QStringLiteral("Label2"))->text(), QStringLiteral("背景色"));
    m_form->hide();
    m_form->FOClick(); // the tab chosen last stays
    QCOMPARE(tabs->currentIndex(), 1);
}

void TestFormOption::swatchLooksPressedWhileHeld()
{
    m_form->FOClick();
    m_form->findChild<QTabBar*>(QStringLiteral("TabControl1"))->setCurrentIndex(1);
    QLabel* swatch = child<QLabel>(QStringLiteral("Panel1"));
    QTest::mousePress(swatch, Qt::LeftButton);
    QCOMPARE(swatch->frameShape(), QFrame::Box);
    // Released outside: no longer pressed, and no colour dialog.
    QTest::mouseRelease(swatch, Qt::LeftButton, {}, QPoint(-5, -5));
    QCOMPARE(swatch->frameShape(), QFrame::NoFrame);
    QVERIFY(m_dialogs.colourRequests.isEmpty());
}

void TestFormOption::launcherSwitchMessages()
{
    QAction OP_str(QStringLiteral("タスク起動する"));
    OP_str.setCheckable(true);
    OP_str.setChecked(true);
    QObject::connect(&OP_str, &QAction::triggered, &OP_str, [&] { OP_strClick(OP_str, m_dialogs); });
    OP_str.trigger();
    OP_str.trigger();
    QCOMPARE(m_dialogs.messages, (QStringList { kLauncherOffNextStart, kLauncherOnNextStart }));
    QVERIFY(OP_str.isChecked());
}

void TestFormOption::help()
{
    const QStringList candidates = helpBookCandidates(kHelpFile);
    QVERIFY(candidates.last().endsWith(QLatin1String("/ORVEL/index.html")));
    QVERIFY2(!findHelpBook(kHelpFile).isEmpty(), "the help book is missing from resources/help");
    F_HelpClick(m_dialogs);
    QCOMPARE(m_dialogs.helpShown, QStringList { findHelpBook(kHelpFile) });
    QVERIFY(m_dialogs.messages.isEmpty());

    m_dialogs.helpWorks = false;
    F_HelpClick(m_dialogs);
    QCOMPARE(m_dialogs.messages, QStringList { kHelpNotFound });
    QVERIFY(findHelpBook(QStringLiteral("NOSUCH.HLP")).isEmpty());
}

void TestFormOption::opensOverTheEditorOnScreen()
{
    // The editor window near the screen's bottom right corner (the context's screen is 1024 x 768).
    m_host->editor.setGeometry(760, 560, 300, 200);
    m_host->editor.show();
    QVERIFY(QTest::qWaitForWindowExposed(&m_host->editor));
    m_form->FOClick();
    const QRect screen(0, 0, 1024, 768);
    const QRect shown(m_form->pos(), m_form->frameGeometry().size());
    QVERIFY2(
        screen.contains(shown),
        qPrintable(QStringLiteral("%1,%2 %3x%4").arg(shown.x()).arg(shown.y()).arg(shown.width()).arg(shown.height())));
    QVERIFY2(shown.contains(QRect(760, 560, 300, 200).intersected(screen).center()), "over the editor");
    QVERIFY(screen.bottom() - shown.bottom() >= 30); // room left for a title bar that comes with the frame
}

QTEST_MAIN(TestFormOption)
#include "tst_formoption.moc"
