// SPDX-License-Identifier: MIT
// Replace All of 100 000 occurrences in a 10 MB document shown in a plain-text view:
// the search controller's way (a cursor of its own, one edit block) against a naive loop that
// finds and replaces through the view's own cursor; then a pattern with a group reference in the
// editor's plain view, as the 検索／置き換え dialog runs it (one pass, one undo step).
// Usage: QT_QPA_PLATFORM=offscreen ./replace_bench [--naive-limit N]
#include "document/documenteditor.h"
#include "view/search/editorsearchtarget.h"
#include "view/search/searchengine.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPlainTextEdit>
#include <QTextStream>

#include <cstdio>

namespace {

QString makeDocument()
{
    // About 10 MB of UTF-16 text with 100 000 occurrences of "猫".
    const QString filler = QStringLiteral("これは置き換えの速さを測るための長い行です。");
    QString text;
    text.reserve(5'200'000);
    for (int line = 0; line < 50'000; ++line) {
        text += filler + QStringLiteral("猫") + filler + filler + QStringLiteral("猫") + filler + filler + filler +
            QStringLiteral("abcdefghijklmnopqrstuvwxyz0123456789abcdefghijklmnopqrstuvwxyz\n");
    }
    return text;
}

QString makePatternDocument()
{
    // 100 000 lines of about 108 bytes in UTF-8, 10.8 MB, each with one match.
    QString text;
    text.reserve(6'500'000);
    for (int line = 0; line < 100'000; ++line)
        text += QStringLiteral(
            "これは置き換えの速さを測る行です。猫がいます。abcdefghijklmnopqrstuvwxyz0123456789ab\n");
    return text;
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    int naiveLimit = 5000;
    if (argc >= 3 && QByteArray(argv[1]) == "--naive-limit")
        naiveLimit = QByteArray(argv[2]).toInt();
    QTextStream out(stdout);
    const QString text = makeDocument();
    out << "document: " << text.size() * 2 / (1024 * 1024) << " MB (UTF-16), " << text.count(u'猫') << " occurrences\n";

    {
        QPlainTextEdit view;
        view.resize(800, 600);
        view.show();
        view.setPlainText(text);
        QApplication::processEvents();
        QElapsedTimer timer;
        timer.start();
        DocumentSearchTarget target(*view.document(), 0, 0);
        SearchEngine engine;
        target.beginEditBlock();
        const int count = engine.replaceAll(target, SearchRequest { QStringLiteral("猫"), QStringLiteral("ねこ"), {} });
        target.endEditBlock();
        QApplication::processEvents();
        out << "ours:  " << count << " replacements in " << timer.elapsed() << " ms\n";
    }
    {
        const QString lines = makePatternDocument();
        out << "pattern document: " << lines.toUtf8().size() / 1000 << " kB (UTF-8)\n";
        DocumentEditor editor;
        editor.resize(800, 600);
        editor.show();
        editor.setText(lines);
        QApplication::processEvents();
        EditorSearchTarget target(editor);
        SearchEngine engine;
        const SearchRequest request { QStringLiteral("(猫)(が)"), QStringLiteral("[$2\\1]"), { .regex = true } };
        // One find step (F3) halfway through: the text is read whole for each.
        editor.setSelection(int(lines.size() / 2), 0);
        QElapsedTimer timer;
        timer.start();
        engine.searchStep(target, request);
        engine.searchStep(target, request);
        out << "pattern, two find steps: " << timer.elapsed() << " ms\n";
        timer.restart();
        target.beginEditBlock();
        const int count = engine.replaceAll(target, request);
        target.endEditBlock();
        const qint64 elapsed = timer.elapsed();
        QApplication::processEvents();
        out << "pattern, plain editor view: " << count << " replacements in " << elapsed << " ms";
        timer.restart();
        editor.undo();
        out << " (undone in one step: " << (editor.text() == lines ? "yes" : "NO") << ", " << timer.elapsed()
            << " ms)\n";
    }
    {
        // The naive way: each occurrence found from the view's cursor and replaced through it.
        QPlainTextEdit view;
        view.resize(800, 600);
        view.show();
        view.setPlainText(text);
        QApplication::processEvents();
        QElapsedTimer timer;
        timer.start();
        int count = 0;
        view.moveCursor(QTextCursor::Start);
        while (count < naiveLimit && view.find(QStringLiteral("猫"))) {
            view.textCursor().insertText(QStringLiteral("ねこ"));
            ++count;
        }
        const qint64 elapsed = timer.elapsed();
        out << "naive: " << count << " replacements in " << elapsed << " ms";
        if (count > 0)
            out << " (about " << elapsed * 100'000 / count / 1000 << " s for 100 000)";
        out << "\n";
    }
    return 0;
}
