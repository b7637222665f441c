// SPDX-License-Identifier: MIT
// Code colouring: chosen by the file's extension, drawn by the component's lexers over the
// user's colours, switched from the View menu and stored only when the user switches it.
#include "document/codelanguage.h"
#include "mainformfixture.h"

#include <QAction>
#include <QTest>

namespace {
using Sci = QsciScintillaBase;

// Styles the whole text now, as a paint would, and gives the style of the character at @p index.
int styleAt(ScintillaView* view, int index)
{
    view->sci(Sci::SCI_COLOURISE, 0, -1);
    return int(view->sci(Sci::SCI_GETSTYLEAT, view->positionFromIndex(index)));
}

long foreground(ScintillaView* view, int style)
{
    return view->sci(Sci::SCI_STYLEGETFORE, style);
}
} // namespace

class TestCodeColouring final : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();

    void languageByExtension_data();
    void languageByExtension();
    void codeIsColouredAndTextStaysTheSame_data();
    void codeIsColouredAndTextStaysTheSame();
    void menuSwitchesColouringAndIsStoredOnlyWhenChanged();

private:
    std::unique_ptr<MainFormFixture> f;
};

void TestCodeColouring::init()
{
    f = std::make_unique<MainFormFixture>();
    f->writeValues(MainFormFixture::firstRunValues());
    f->createForm().show();
}

void TestCodeColouring::cleanup()
{
    f->form.reset();
    f.reset();
}

void TestCodeColouring::languageByExtension_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("language");
    QTest::newRow(".c") << "/src/a.c" << int(CodeLanguage::C);
    QTest::newRow(".H upper case") << "/src/a.H" << int(CodeLanguage::C);
    QTest::newRow(".cpp") << "a.cpp" << int(CodeLanguage::Cpp);
    QTest::newRow(".cc") << "a.cc" << int(CodeLanguage::Cpp);
    QTest::newRow(".cxx") << "a.cxx" << int(CodeLanguage::Cpp);
    QTest::newRow(".hpp") << "a.hpp" << int(CodeLanguage::Cpp);
    QTest::newRow(".asm") << "boot.asm" << int(CodeLanguage::Assembler);
    QTest::newRow(".s") << "start.S" << int(CodeLanguage::Assembler);
    QTest::newRow(".htm") << "index.htm" << int(CodeLanguage::Html);
    QTest::newRow(".html") << "index.HTML" << int(CodeLanguage::Html);
    QTest::newRow(".txt") << "notes.txt" << int(CodeLanguage::None);
    QTest::newRow(".rtf") << "report.rtf" << int(CodeLanguage::None);
    QTest::newRow("folder with a point") << "/src/v1.c/readme" << int(CodeLanguage::None);
    QTest::newRow("hidden file") << "/home/u/.c" << int(CodeLanguage::None);
    QTest::newRow("untitled") << " " << int(CodeLanguage::None);
}

void TestCodeColouring::languageByExtension()
{
    QFETCH(QString, name);
    QFETCH(int, language);
    QCOMPARE(int(codeLanguageForFileName(name)), language);
}

void TestCodeColouring::codeIsColouredAndTextStaysTheSame_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("keyword"); // a word the lexer must mark
    QTest::addColumn<QString>("comment");
    QTest::newRow("C") << "a.c" << QByteArray("int x; /* \x93\xfa\x96\x7b */\r\n") << "int"
                       << "/*";
    QTest::newRow("C++") << "a.cpp" << QByteArray("class A {}; // note\r\n") << "class"
                         << "//";
    QTest::newRow("assembler") << "a.asm" << QByteArray("  mov eax, 1 ; note\r\n") << "mov"
                               << ";";
    QTest::newRow("HTML") << "a.html" << QByteArray("<p>text</p><!-- note -->\r\n") << "p>"
                          << "<!--";
}

void TestCodeColouring::codeIsColouredAndTextStaysTheSame()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, keyword);
    QFETCH(QString, comment);
    const QString path = f->writeFile(name, bytes);
    f->form->loadDroppedFile(path);
    ScintillaView* view = f->editorView();
    const QString text = f->editor()->text();
    const int keywordStyle = styleAt(view, int(text.indexOf(keyword)));
    const int commentStyle = styleAt(view, int(text.indexOf(comment)));
    QVERIFY(keywordStyle != 0);
    QVERIFY(commentStyle != 0);
    QVERIFY(keywordStyle != commentStyle);
    const long userText = foreground(view, Sci::STYLE_DEFAULT);
    QVERIFY(foreground(view, keywordStyle) != userText);
    QVERIFY(foreground(view, commentStyle) != userText);
    // The background stays the user's everywhere.
    QCOMPARE(view->sci(Sci::SCI_STYLEGETBACK, keywordStyle), view->sci(Sci::SCI_STYLEGETBACK, Sci::STYLE_DEFAULT));

    // Saved unchanged: the colours are not in the bytes.
    // Deleted behind the window's back (the save asks once), so the bytes can only come from this save.
    QFile::remove(path);
    f->editor()->setModified(true);
    f->dialogs.answers = { Dialogs::Button::Yes };
    f->form->findChild<QAction*>(QStringLiteral("FileSaveItem"))->trigger();
    QFile saved(path);
    QVERIFY(saved.open(QIODevice::ReadOnly));
    QCOMPARE(saved.readAll(), bytes);

    // A plain text file is not coloured.
    const QString plain = f->writeFile(QStringLiteral("plain.txt"), bytes);
    f->form->loadDroppedFile(plain);
    QCOMPARE(styleAt(view, int(text.indexOf(keyword))), 0);
    QCOMPARE(styleAt(view, int(text.indexOf(comment))), 0);
}

void TestCodeColouring::menuSwitchesColouringAndIsStoredOnlyWhenChanged()
{
    auto* item = f->control<QAction>(QStringLiteral("ColorSyntax"));
    QVERIFY(item);
    QCOMPARE(item->text(), QStringLiteral("色分け表示"));
    QVERIFY(item->isCheckable() && item->isChecked());
    QVERIFY(!f->stored(Reg::MColorSyntax));

    const QString path = f->writeFile(QStringLiteral("a.c"), "int x; // note\r\n");
    f->form->loadDroppedFile(path);
    ScintillaView* view = f->editorView();
    QVERIFY(styleAt(view, 0) != 0);

    item->trigger(); // off
    QVERIFY(!item->isChecked());
    QCOMPARE(styleAt(view, 0), 0);
    QCOMPARE(styleAt(view, 7), 0);
    QCOMPARE(f->storedInteger(Reg::MColorSyntax), 0);
    QCOMPARE(f->editor()->text(), QStringLiteral("int x; // note"));

    // A new window reads the switch back.
    f->form.reset();
    f->createForm({ path });
    item = f->control<QAction>(QStringLiteral("ColorSyntax"));
    QVERIFY(!item->isChecked());
    QCOMPARE(styleAt(f->editorView(), 0), 0);
    item->trigger(); // on again
    QCOMPARE(f->storedInteger(Reg::MColorSyntax), 1);
    QVERIFY(styleAt(f->editorView(), 0) != 0);
}

QTEST_MAIN(TestCodeColouring)
#include "tst_codecolouring.moc"
