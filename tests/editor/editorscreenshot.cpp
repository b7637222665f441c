// SPDX-License-Identifier: MIT
// Renders the editor window with line numbers and a Japanese sample text into a PNG, for the docs.
// Usage: pemmo_editor_screenshot <output.png>
#include "app/fontsubstitution.h"
#include "editor/mainform.h"
#include "fakedialogs.h"
#include "tempsettings.h"

#include <QApplication>
#include <QFile>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTemporaryDir>
#include <QTest>

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
    auto* view = form.findChild<QWidget*>(QStringLiteral("RichEdit2"))->findChild<QPlainTextEdit*>();
    QTextCursor caret(view->document()->findBlockByNumber(2));
    caret.setPosition(caret.position() + 10);
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->cursorRect(caret).center());
    QTest::qWait(100);
    return form.grab().save(QString::fromLocal8Bit(argv[1])) ? 0 : 1;
}
