// SPDX-License-Identifier: MIT
#pragma once

#include "ui/dialogs.h"

#include <QList>
#include <QStringList>

#include <QPair>

#include <functional>
#include <optional>
#include <utility>

/** Answers the dialog seam without a modal loop and records what was shown. */
class FakeDialogs final : public Dialogs
{
public:
    void message(const QString& text, Icon) override { messages.append(text); }

    Button ask(const QString& text, const QList<Button>& buttons, Icon,
               std::optional<Button> defaultButton = std::nullopt) override
    {
        questions.append(text);
        defaults.append(defaultButton);
        if (onAsk)
            onAsk();
        if (!answers.isEmpty())
            return answers.takeFirst();
        return buttons.isEmpty() ? Button::Cancel : buttons.constLast();
    }

    bool openFile(FileDialogState& state) override { return answerFile(state, openStates); }
    bool saveFile(FileDialogState& state) override { return answerFile(state, saveStates); }

    std::optional<FontChoice> chooseFont(const QFont& initial, std::optional<QColor> colourOffered) override
    {
        fontRequests.append({ initial, colourOffered });
        const std::optional<QFont> chosen = std::exchange(font, std::nullopt);
        if (!chosen)
            return std::nullopt;
        // Like the real dialog: an offered colour left alone comes back as it was.
        const std::optional<QColor> pickedColour = std::exchange(fontColour, std::nullopt);
        if (!colourOffered)
            return FontChoice { *chosen, std::nullopt };
        return FontChoice { *chosen, pickedColour.value_or(*colourOffered) };
    }
    std::optional<QColor> chooseColour(const QColor& initial) override
    {
        colourRequests.append(initial);
        return std::exchange(colour, std::nullopt);
    }
    bool printerSetup(QPrinter& printer) override
    {
        ++printerSetups;
        if (!printerChoice)
            return false;
        printerChoice(printer);
        return true;
    }

    bool showHelp(const QString& indexPath) override
    {
        helpShown.append(indexPath);
        return helpWorks;
    }

    bool askGrep(GrepDialogFields& fields) override
    {
        grepShown.append(fields);
        if (!grepAnswer)
            return false;
        grepAnswer(fields);
        return true;
    }
    std::optional<QString> askText(const QString&, const QString& label, const QString&) override
    {
        textQuestions.append(label);
        return textAnswers.isEmpty() ? std::nullopt : textAnswers.takeFirst();
    }

    /** What the Grep dialog was shown with, and what the user does in it; unset cancels. */
    QList<GrepDialogFields> grepShown;
    std::function<void(GrepDialogFields&)> grepAnswer;
    /** Answers for askText(), in order: nullopt cancels; none left cancels. */
    QList<std::optional<QString>> textAnswers;
    QStringList textQuestions;

    QStringList messages;
    QStringList questions;
    /** The default button of each question, in the order asked. */
    QList<std::optional<Button>> defaults;
    QStringList helpShown;
    bool helpWorks = true;
    /** Answers for ask(), in order; when empty, the last button offered is chosen. */
    QList<Button> answers;
    std::function<void()> onAsk; ///< called as each question is asked

    /** Answers for the file dialogs, in order: a path confirms, nullopt cancels; none left cancels. */
    QList<std::optional<QString>> files;
    /** The filter index the user picks along with the next file, when set. */
    std::optional<int> pickFilter;
    /** What each open or save dialog was shown with. */
    QList<FileDialogState> openStates;
    QList<FileDialogState> saveStates;

    /** The next font or colour chosen; nullopt cancels. Used once. */
    std::optional<QFont> font;
    std::optional<QColor> colour;
    /** The colour chosen along with the next font, when the dialog offers one. Used once. */
    std::optional<QColor> fontColour;
    QList<QPair<QFont, std::optional<QColor>>> fontRequests; // initial font, colour offered
    QList<QColor> colourRequests;
    /** What the user does in the printer set-up dialog; unset cancels it. */
    std::function<void(QPrinter&)> printerChoice;
    int printerSetups = 0;

private:
    bool answerFile(FileDialogState& state, QList<FileDialogState>& shown)
    {
        shown.append(state);
        const std::optional<QString> answer = files.isEmpty() ? std::nullopt : files.takeFirst();
        if (!answer)
            return false;
        state.fileName = *answer;
        if (pickFilter)
            state.filterIndex = *std::exchange(pickFilter, std::nullopt);
        return true;
    }
};
