// SPDX-License-Identifier: MIT
#include "widgetdialogs.h"

#include <QApplication>
#include <QMessageBox>

namespace {

QMessageBox::Icon toQt(Dialogs::Icon icon)
{
    switch (icon) {
    case Dialogs::Icon::Information:
        return QMessageBox::Information;
    case Dialogs::Icon::Warning:
        return QMessageBox::Warning;
    case Dialogs::Icon::Critical:
        return QMessageBox::Critical;
    case Dialogs::Icon::Question:
        return QMessageBox::Question;
    case Dialogs::Icon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

QMessageBox::StandardButton toQt(Dialogs::Button button)
{
    switch (button) {
    case Dialogs::Button::Ok:
        return QMessageBox::Ok;
    case Dialogs::Button::Yes:
        return QMessageBox::Yes;
    case Dialogs::Button::No:
        return QMessageBox::No;
    case Dialogs::Button::Cancel:
        break;
    }
    return QMessageBox::Cancel;
}

} // namespace

void WidgetDialogs::message(const QString& text, Icon icon)
{
    QMessageBox box(toQt(icon), QGuiApplication::applicationDisplayName(), text, QMessageBox::Ok,
                    QApplication::activeWindow());
    box.exec();
}

Dialogs::Button WidgetDialogs::ask(const QString& text, const QList<Button>& buttons, Icon icon)
{
    QMessageBox box(toQt(icon), QGuiApplication::applicationDisplayName(), text, QMessageBox::NoButton,
                    QApplication::activeWindow());
    for (const Button button : buttons)
        box.addButton(toQt(button));
    const auto chosen = QMessageBox::StandardButton(box.exec());
    for (const Button button : buttons) {
        if (toQt(button) == chosen)
            return button;
    }
    return Button::Cancel;
}
