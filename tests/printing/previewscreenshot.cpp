// SPDX-License-Identifier: MIT
// Renders the in-window print preview of a Japanese sample text into a PNG, for the docs.
// Usage: pemmo_print_preview_screenshot <output.png>
#include "fakedialogs.h"
#include "printing/printcontroller.h"
#include "testprinthost.h"
#include "ui/fontsubstitution.h"

#include <QApplication>
#include <QPixmap>
#include <QTest>

int main(int argc, char** argv)
{
    qputenv("CUPS_SERVER", QByteArrayLiteral("/nonexistent/pemmo-screenshot-cups.sock"));
    QApplication app(argc, argv);
    installFontSubstitutions();
    if (argc < 2)
        return 2;

    TestPrintHost host;
    QFont font(QStringLiteral("ＭＳ ゴシック"));
    font.setPointSize(10);
    host.RichEdit2->setFont(font);
    host.fileName = QStringLiteral("/home/user/文書/吾輩は猫である.txt");
    QString text = QStringLiteral("吾輩は猫である。名前はまだ無い。\nどこで生れたかとんと見当がつかぬ。\n");
    for (int i = 3; i <= 120; ++i)
        text += QStringLiteral("%1 行目：何でも薄暗いじめじめした所でニャーニャー泣いていた事だけは記憶している。\n")
                    .arg(i, 3);
    host.RichEdit2->setPlainText(text);

    FakeDialogs dialogs;
    PrintController print(host, host.controls(), dialogs);
    host.show();
    print.F_PVewClick();
    QTest::qWait(300);
    return host.grab().save(QString::fromLocal8Bit(argv[1])) ? 0 : 1;
}
