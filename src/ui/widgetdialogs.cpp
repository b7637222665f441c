// SPDX-License-Identifier: MIT
#include "widgetdialogs.h"

#include "fontdialog.h"
#include "grepdialog.h"
#include "uitexts.h"
#include "windowplacement.h"

#include <QApplication>
#include <QColorDialog>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QMessageBox>
#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>

#include <optional>
#include <utility>

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

// Qt's own buttons come in Qt's translation; the others carry the program's words.
std::optional<QMessageBox::StandardButton> standardButton(Dialogs::Button button)
{
    switch (button) {
    case Dialogs::Button::Ok:
        return QMessageBox::Ok;
    case Dialogs::Button::Yes:
        return QMessageBox::Yes;
    case Dialogs::Button::No:
        return QMessageBox::No;
    case Dialogs::Button::Cancel:
        return QMessageBox::Cancel;
    default:
        return std::nullopt;
    }
}

std::pair<QString, QMessageBox::ButtonRole> ownButton(Dialogs::Button button)
{
    switch (button) {
    case Dialogs::Button::Save:
        return { kSaveButton, QMessageBox::AcceptRole };
    case Dialogs::Button::Reopen:
        return { kReopenButton, QMessageBox::ActionRole };
    case Dialogs::Button::Restore:
        return { kRestoreButton, QMessageBox::AcceptRole };
    case Dialogs::Button::Discard:
        return { kDiscardButton, QMessageBox::DestructiveRole };
    default:
        return { kLaterButton, QMessageBox::RejectRole };
    }
}

// Which of the seam's buttons a box's button stands for.
constexpr const char* kButtonProperty = "pemmoButton";

QString qtFilter(const FileFilter& filter)
{
    QString patterns = filter.patterns;
    patterns.replace(u';', u' ');
    return filter.description + QLatin1String(" (") + patterns + u')';
}

bool runFileDialog(FileDialogState& state, QFileDialog::AcceptMode mode)
{
    QFileDialog dialog(QApplication::activeWindow());
    dialog.setAcceptMode(mode);
    // A typed name need not exist, in either dialog; the command that uses it reports what fails.
    dialog.setFileMode(QFileDialog::AnyFile);
    // The descriptions already name their patterns; showing them twice would only clutter the list.
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    // Saving over an existing file is the user's choice made by typing its name.
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    QStringList filters;
    for (const FileFilter& filter : state.filters)
        filters.append(qtFilter(filter));
    dialog.setNameFilters(filters);
    const int index = qBound(1, state.filterIndex, qMax(1, int(filters.size())));
    if (!filters.isEmpty())
        dialog.selectNameFilter(filters.at(index - 1));
    if (!state.initialFolder.isEmpty())
        dialog.setDirectory(state.initialFolder);
    if (!state.fileName.isEmpty())
        dialog.selectFile(QFileInfo(state.fileName).fileName());
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return false;
    state.fileName = dialog.selectedFiles().constFirst();
    // With the details hidden, Qt reports the chosen filter by its shortened name.
    const QString chosen = dialog.selectedNameFilter();
    state.filterIndex = index;
    for (int i = 0; i < state.filters.size(); ++i) {
        if (chosen == filters.at(i) || chosen == state.filters.at(i).description)
            state.filterIndex = i + 1;
    }
    return true;
}

} // namespace

QString WidgetDialogs::caption() const
{
    // Before any title routine has run, the program's own name.
    return applicationTitle().isEmpty() ? QGuiApplication::applicationDisplayName() : applicationTitle();
}

std::unique_ptr<QMessageBox> makeMessageBox(const QString& caption, const QString& text,
                                            const QList<Dialogs::Button>& buttons, Dialogs::Icon icon)
{
    auto box = std::make_unique<QMessageBox>(toQt(icon), caption, text, QMessageBox::NoButton,
                                             QApplication::activeWindow());
    // File names come from the user and from disk: "<h1>" in one must show as typed.
    box->setTextFormat(Qt::PlainText);
    for (const Dialogs::Button button : buttons) {
        QAbstractButton* added = nullptr;
        if (const auto standard = standardButton(button)) {
            added = box->addButton(*standard);
        } else {
            const auto [label, role] = ownButton(button);
            added = box->addButton(label, role);
        }
        added->setProperty(kButtonProperty, int(button));
        if (button == Dialogs::Button::Cancel || button == Dialogs::Button::Later)
            box->setEscapeButton(added);
    }
    return box;
}

void WidgetDialogs::message(const QString& text, Icon icon)
{
    makeMessageBox(caption(), text, { Button::Ok }, icon)->exec();
}

Dialogs::Button WidgetDialogs::ask(const QString& text, const QList<Button>& buttons, Icon icon,
                                   std::optional<Button> defaultButton)
{
    const auto box = makeMessageBox(caption(), text, buttons, icon);
    if (defaultButton) {
        for (QAbstractButton* button : box->buttons()) {
            if (button->property(kButtonProperty).toInt() == int(*defaultButton))
                box->setDefaultButton(qobject_cast<QPushButton*>(button));
        }
    }
    box->exec();
    const QAbstractButton* chosen = box->clickedButton();
    // A box closed by its title bar or Esc without an escape button counts as cancelled.
    return chosen ? Button(chosen->property(kButtonProperty).toInt()) : Button::Cancel;
}

bool WidgetDialogs::openFile(FileDialogState& state)
{
    return runFileDialog(state, QFileDialog::AcceptOpen);
}

bool WidgetDialogs::saveFile(FileDialogState& state)
{
    return runFileDialog(state, QFileDialog::AcceptSave);
}

std::optional<FontChoice> WidgetDialogs::chooseFont(const QFont& initial, std::optional<QColor> colour)
{
    FontDialog dialog(initial, colour, QApplication::activeWindow());
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.choice();
}

std::optional<QColor> WidgetDialogs::chooseColour(const QColor& initial)
{
    QColorDialog dialog(initial, QApplication::activeWindow());
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.selectedColor();
}

bool WidgetDialogs::printerSetup(QPrinter& printer)
{
    // Qt's print dialog chooses the printer and, on its properties page, the orientation.
    QPrintDialog dialog(&printer, QApplication::activeWindow());
    dialog.setOption(QAbstractPrintDialog::PrintToFile, true);
    return dialog.exec() == QDialog::Accepted;
}

bool WidgetDialogs::showHelp(const QString& indexPath)
{
    if (!QFileInfo(indexPath).isReadable())
        return false;
    // The viewer is a window of its own, like any help viewer: the editor stays usable beside it.
    if (!m_helpViewer)
        m_helpViewer = new HelpViewer();
    m_helpViewer->openBook(indexPath);
    // Over the window it was asked from, wholly on the screen.
    if (!m_helpViewer->isVisible())
        placeWindowOver(*m_helpViewer, QApplication::activeWindow());
    m_helpViewer->show();
    m_helpViewer->raise();
    m_helpViewer->activateWindow();
    return true;
}

bool WidgetDialogs::askGrep(GrepDialogFields& fields)
{
    GrepDialog dialog(fields, QApplication::activeWindow());
    if (dialog.exec() != QDialog::Accepted)
        return false;
    fields = dialog.fields();
    return true;
}

std::optional<QString> WidgetDialogs::askText(const QString& title, const QString& label, const QString& initial)
{
    bool accepted = false;
    const QString text = QInputDialog::getText(QApplication::activeWindow(), title, label, QLineEdit::Normal, initial,
                                               &accepted);
    if (!accepted)
        return std::nullopt;
    return text;
}
