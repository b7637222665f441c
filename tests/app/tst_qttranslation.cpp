// SPDX-License-Identifier: MIT
// The stock dialogs speak Japanese: the application object loads Qt's translation at start.
#include "app/pemmoapplication.h"
#include "ui/widgetdialogs.h"

#include <QAbstractButton>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QtTest>

namespace {

// "はい(&Y)" reads 「はい」 on screen, with the mnemonic underlined.
QString shownText(const QString& buttonText)
{
    QString text = buttonText;
    text.remove(QRegularExpression(QStringLiteral("\\(&.\\)")));
    text.remove(u'&');
    return text.trimmed();
}

} // namespace

class TestQtTranslation : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void messageBoxButtonsAreJapanese();
    void fileDialogIsJapanese();
};

void TestQtTranslation::messageBoxButtonsAreJapanese()
{
    // The C locale: the translation is loaded whatever the user's language is.
    const auto box = makeMessageBox(QStringLiteral("pemmo"), QStringLiteral("保存しますか？"),
                                    { Dialogs::Button::Yes, Dialogs::Button::No, Dialogs::Button::Cancel },
                                    Dialogs::Icon::Question);
    QAbstractButton* yes = box->button(QMessageBox::Yes);
    QAbstractButton* no = box->button(QMessageBox::No);
    QAbstractButton* cancel = box->button(QMessageBox::Cancel);
    QVERIFY2(yes && no && cancel, "the box lacks a button it was asked for");
    QCOMPARE(shownText(yes->text()), QStringLiteral("はい"));
    QCOMPARE(shownText(no->text()), QStringLiteral("いいえ"));
    QCOMPARE(shownText(cancel->text()), QStringLiteral("キャンセル"));
    const auto ok = makeMessageBox(QStringLiteral("pemmo"), QStringLiteral("x"), { Dialogs::Button::Ok },
                                   Dialogs::Icon::None);
    QCOMPARE(shownText(ok->button(QMessageBox::Ok)->text()), QStringLiteral("OK"));
}

void TestQtTranslation::fileDialogIsJapanese()
{
    QFileDialog dialog;
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    // The dialog rebuilds its buttons when the mode changes: read them afresh each time.
    const auto buttonTexts = [&dialog] {
        QStringList texts;
        for (const QPushButton* button : dialog.findChildren<QPushButton*>())
            texts.append(shownText(button->text()));
        return texts;
    };
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    QStringList texts = buttonTexts();
    QVERIFY2(texts.contains(QStringLiteral("開く")), qPrintable(texts.join(u',')));
    QVERIFY2(texts.contains(QStringLiteral("キャンセル")), qPrintable(texts.join(u',')));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    texts = buttonTexts();
    QVERIFY2(texts.contains(QStringLiteral("保存")), qPrintable(texts.join(u',')));
}

int main(int argc, char** argv)
{
    qputenv("LANG", "C");
    qputenv("LC_ALL", "C");
    PemmoApplication app(argc, argv);
    TestQtTranslation test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_qttranslation.moc"
