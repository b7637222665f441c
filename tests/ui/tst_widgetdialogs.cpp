// SPDX-License-Identifier: MIT
// The real dialogs behind the dialog seam, answered from a timer while they run modal.
#include "ui/fontdialog.h"
#include "ui/widgetdialogs.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QFontDatabase>
#include <QFontInfo>
#include <QListWidget>
#include <QMessageBox>
#include <QTest>
#include <QTimer>

#include <functional>

class TestWidgetDialogs final : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void messageBoxesShowNamesAsTyped();
    void fontDialogOkWithoutChangeKeepsTheFont();
    void fontDialogChangesOnlyWhatWasChanged();

private:
    /** Runs @p act on the modal dialog once it is up, then lets @p run return. */
    template <class Dialog>
    void whileModal(std::function<void(Dialog&)> act)
    {
        QTimer::singleShot(0, this, [act] {
            auto* dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget());
            if (!dialog) {
                if (QWidget* other = QApplication::activeModalWidget())
                    other->close();
                return;
            }
            act(*dialog);
        });
    }
};

void TestWidgetDialogs::messageBoxesShowNamesAsTyped()
{
    WidgetDialogs dialogs;
    const QString text = QStringLiteral("ファイル <h1>x<u>y.txt を開けません。");
    QList<Qt::TextFormat> formats;
    QStringList shown;
    const auto look = [&](QMessageBox& box) {
        formats.append(box.textFormat());
        shown.append(box.text());
        QAbstractButton* no = box.button(QMessageBox::No);
        (no ? no : box.button(QMessageBox::Ok))->click();
    };
    whileModal<QMessageBox>(look);
    dialogs.message(text, Dialogs::Icon::Critical);
    whileModal<QMessageBox>(look);
    QCOMPARE(dialogs.ask(text, { Dialogs::Button::Yes, Dialogs::Button::No }, Dialogs::Icon::Question),
             Dialogs::Button::No);
    QCOMPARE(formats, (QList<Qt::TextFormat> { Qt::PlainText, Qt::PlainText }));
    QCOMPARE(shown, (QStringList { text, text }));
}

void TestWidgetDialogs::fontDialogOkWithoutChangeKeepsTheFont()
{
    QVERIFY2(QFontDatabase::hasFamily(QStringLiteral("IPAGothic")) &&
                 QFontDatabase::hasFamily(QStringLiteral("IPAPGothic")),
             "fonts-ipafont-gothic must be installed");
    WidgetDialogs dialogs;
    // The stored face is not installed here, and the editor's font is sized in pixels.
    QFont initial(QStringLiteral("ＭＳ ゴシック"));
    initial.setPixelSize(16);
    QString family;
    QString size;
    QStringList listed;
    bool colourOffered = true;
    whileModal<FontDialog>([&](FontDialog& dialog) {
        auto* families = dialog.findChild<QListWidget*>(QStringLiteral("families"));
        family = families->currentItem() ? families->currentItem()->text() : QString();
        for (int i = 0; i < families->count(); ++i)
            listed.append(families->item(i)->text());
        size = dialog.findChild<QComboBox*>(QStringLiteral("sizes"))->currentText();
        colourOffered = dialog.findChild<QComboBox*>(QStringLiteral("colours")) != nullptr;
        dialog.accept();
    });
    const std::optional<FontChoice> chosen = dialogs.chooseFont(initial, std::nullopt);
    QCOMPARE(family, QStringLiteral("ＭＳ ゴシック"));
    QCOMPARE(size, QString::number(QFontInfo(initial).pointSize()));
    QVERIFY(listed.contains(QStringLiteral("IPAGothic"))); // half-width cells count as fixed pitch
    QVERIFY(!listed.contains(QStringLiteral("IPAPGothic"))); // proportional
    QVERIFY(chosen);
    QCOMPARE(chosen->font, initial);
    QCOMPARE(chosen->font.family(), QStringLiteral("ＭＳ ゴシック"));
    QCOMPARE(chosen->font.pixelSize(), 16);
    QVERIFY(!chosen->colour);
    QVERIFY(!colourOffered); // plain text: the options window owns the colour

    whileModal<FontDialog>([](FontDialog& dialog) { dialog.reject(); });
    QVERIFY(!dialogs.chooseFont(initial, std::nullopt));
}

void TestWidgetDialogs::fontDialogChangesOnlyWhatWasChanged()
{
    WidgetDialogs dialogs;
    QFont initial(QStringLiteral("IPAGothic"), 11);
    initial.setItalic(true);
    const QColor odd(0x12, 0x34, 0x56); // in no basic list: offered as it is
    QColor preselected;
    whileModal<FontDialog>([&](FontDialog& dialog) {
        auto* colours = dialog.findChild<QComboBox*>(QStringLiteral("colours"));
        preselected = colours ? colours->currentData().value<QColor>() : QColor();
        dialog.findChild<QComboBox*>(QStringLiteral("sizes"))->setCurrentText(QStringLiteral("20"));
        dialog.accept();
    });
    const std::optional<FontChoice> chosen = dialogs.chooseFont(initial, odd);
    QCOMPARE(preselected, odd);
    QVERIFY(chosen);
    QCOMPARE(chosen->font.pointSize(), 20);
    QCOMPARE(chosen->font.family(), QStringLiteral("IPAGothic"));
    QVERIFY(chosen->font.italic());
    QCOMPARE(chosen->colour, std::optional<QColor>(odd));
}

QTEST_MAIN(TestWidgetDialogs)
#include "tst_widgetdialogs.moc"
