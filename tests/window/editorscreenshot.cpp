// SPDX-License-Identifier: MIT
// Renders the editor window and its dialogs into PNGs for the docs and the help book.
// Usage: pemmo_editor_screenshot <output folder>
// Writes editor-window.png, encoding-menu.png, search-dialog.png, work-tree.png, options.png and
// code-colouring.png there.
#include "fakedialogs.h"
#include "mainformfixture.h"
#include "options/Formoption.h"
#include "tempsettings.h"
#include "ui/fontsubstitution.h"
#include "view/search/replacedialog.h"
#include "view/search/searchcontroller.h"
#include "view/statusrow.h"
#include "window/editorfeatures.h"
#include "window/encodingmenu.h"
#include "window/mainform.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QPixmap>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>

namespace {
const char* const kSample = "多機能エディター pemmo のサンプル文書です。\n"
                            "\tタブで字下げした行：ルーラーの目盛りと桁がそろいます。\n"
                            "ABCDEFGHIJ abcdefghij 0123456789\n"
                            "漢字かなカナ交じりの文章も、半角２桁で全角１文字です。\n"
                            "int main(void)\n"
                            "{\n"
                            "\tprintf(\"こんにちは、世界\\n\");\n"
                            "\treturn 0;\n"
                            "}\n";
}

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    installFontSubstitutions();
    if (argc < 2)
        return 2;

    TempSettings settings;
    settings.writeHive(QByteArrayLiteral("REGEDIT4\n\n[HKEY_CURRENT_USER\\software\\Ambrel\\Pemmo]\n"
                                         "\"MOption\"=dword:00000000\n\"MFontCol\"=dword:80000008\n"
                                         "\"MFontSize\"=dword:0000000a\n\"MFontName\"=\"ＭＳ ゴシック\"\n"
                                         "\"MFontStyleB\"=dword:00000000\n\"MFontStyleI\"=dword:00000000\n"
                                         "\"MFontStyleU\"=dword:00000000\n\"MFontStyleS\"=dword:00000000\n"
                                         "\"MTop\"=dword:00000000\n\"MLeft\"=dword:00000000\n"
                                         "\"MVG\"=dword:00000001\n\"MTab\"=dword:00000004\n"));
    QByteArray text(kSample);
    for (int i = 10; i <= 60; ++i)
        text += QStringLiteral("%1 行目：吾輩は猫である。名前はまだ無い。\n").arg(i, 3).toUtf8();
    const QString samplePath = settings.dir() + QStringLiteral("/sample.txt");
    QFile sample(samplePath);
    if (!sample.open(QIODevice::WriteOnly))
        return 1;
    sample.write(text);
    sample.close();

    FakeDialogs dialogs;
    TMainForm form(AppContext { dialogs, [] { return QRect(0, 0, 1024, 768); } }, { samplePath });
    form.show();
    QTest::qWait(200);
    // A click on the third line, eleventh column, shows the ruler marker and the position.
    auto* editor = form.findChild<DocumentEditor*>(QStringLiteral("RichEdit2"));
    auto* view = editor->findChild<ScintillaView*>();
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {},
                      MainFormFixture::pointInView(*view, editor->lineIndex(2) + 10));
    QTest::qWait(100);
    const QDir out(QString::fromLocal8Bit(argv[1]));
    bool saved = form.grab().save(out.filePath(QStringLiteral("editor-window.png")));

    // The encoding menu a click on the status row's field opens, with its reopen list, drawn where
    // they open: above the field, the list beside it.
    {
        QLabel* field = form.findChild<StatusRow*>(QStringLiteral("Panel1"))->formatField();
        EncodingMenu& encodings = form.encodingMenu();
        encodings.popup(field->mapToGlobal(QPoint(0, 0)));
        QMenu* popup = encodings.popupMenu();
        QMenu* reopen = encodings.reopenMenu();
        popup->setActiveAction(popup->actions().constFirst());
        reopen->popup(QPoint(0, 0));
        reopen->setActiveAction(reopen->actions().at(3)); // UTF-8
        QTest::qWait(100);
        QPixmap withMenu = form.grab();
        QPainter painter(&withMenu);
        const QPoint corner = field->mapTo(&form, QPoint(0, -popup->height()));
        painter.drawPixmap(corner, popup->grab());
        painter.drawPixmap(corner + QPoint(popup->width() - 2, popup->height() - reopen->height()), reopen->grab());
        painter.end();
        reopen->hide();
        popup->hide();
        saved = withMenu.save(out.filePath(QStringLiteral("encoding-menu.png"))) && saved;
    }

    // The search dialog over the window, as the user sees it after typing a word.
    form.findChild<QAction*>(QStringLiteral("E_Se"))->trigger();
    ReplaceDialog* search = form.features().search().ReplaceDialog1();
    search->findEdit()->setText(QStringLiteral("吾輩"));
    search->replaceEdit()->setText(QStringLiteral("我輩"));
    QTest::qWait(100);
    QPixmap withDialog = form.grab();
    {
        QPainter painter(&withDialog);
        const QPixmap dialog = search->grab();
        painter.drawPixmap((withDialog.width() - dialog.width()) / 2, 120, dialog);
    }
    saved = withDialog.save(out.filePath(QStringLiteral("search-dialog.png"))) && saved;
    search->hide();

    // The work-folder tree of the sample's folder.
    for (const char* name : { "memo.txt", "readme.txt", "notes.rtf" })
        QFile(settings.dir() + QLatin1Char('/') + QLatin1String(name)).open(QIODevice::WriteOnly);
    QDir(settings.dir()).mkdir(QStringLiteral("docs"));
    QFile(settings.dir() + QStringLiteral("/docs/plan.txt")).open(QIODevice::WriteOnly);
    form.findChild<QAction*>(QStringLiteral("CoolTree"))->trigger();
    QTest::qWait(400);
    saved = form.grab().save(out.filePath(QStringLiteral("work-tree.png"))) && saved;

    // The options window on its colour page.
    TFormOption options(AppContext { dialogs, [] { return QRect(0, 0, 1024, 768); } });
    options.setHost(&form.features());
    options.FOClick();
    options.findChild<QTabBar*>(QStringLiteral("TabControl1"))->setCurrentIndex(1);
    QTest::qWait(100);
    saved = options.grab().save(out.filePath(QStringLiteral("options.png"))) && saved;

    // A C file, coloured.
    const QString codePath = settings.dir() + QStringLiteral("/hello.c");
    QFile code(codePath);
    if (!code.open(QIODevice::WriteOnly))
        return 1;
    code.write("/* 挨拶を表示するプログラム */\n"
               "#include <stdio.h>\n"
               "\n"
               "#define COUNT 3\n"
               "\n"
               "int main(void)\n"
               "{\n"
               "\tfor (int i = 0; i < COUNT; ++i) {\n"
               "\t\tprintf(\"こんにちは、世界 %d\\n\", i); // 三回\n"
               "\t}\n"
               "\treturn 0;\n"
               "}\n");
    code.close();
    TMainForm coloured(AppContext { dialogs, [] { return QRect(0, 0, 1024, 768); } }, { codePath });
    coloured.resize(620, 330);
    coloured.show();
    QTest::qWait(200);
    saved = coloured.grab().save(out.filePath(QStringLiteral("code-colouring.png"))) && saved;
    return saved ? 0 : 1;
}
