// SPDX-License-Identifier: MIT
#pragma once

#include "app/dialogs.h"

#include <QList>
#include <QStringList>

#include <optional>
#include <utility>

/** Answers the dialog seam without a modal loop and records what was shown. */
class FakeDialogs final : public Dialogs
{
public:
    void message(const QString& text, Icon) override { messages.append(text); }

    Button ask(const QString& text, const QList<Button>& buttons, Icon) override
    {
        questions.append(text);
        if (!answers.isEmpty())
            return answers.takeFirst();
        return buttons.isEmpty() ? Button::Cancel : buttons.constLast();
    }

    bool openFile(FileDialogState& state) override { return answerFile(state, openStates); }
    bool saveFile(FileDialogState& state) override { return answerFile(state, saveStates); }

    QStringList messages;
    QStringList questions;
    /** Answers for ask(), in order; when empty, the last button offered is chosen. */
    QList<Button> answers;

    /** Answers for the file dialogs, in order: a path confirms, nullopt cancels; none left cancels. */
    QList<std::optional<QString>> files;
    /** The filter index the user picks along with the next file, when set. */
    std::optional<int> pickFilter;
    /** What each open or save dialog was shown with. */
    QList<FileDialogState> openStates;
    QList<FileDialogState> saveStates;

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
