// SPDX-License-Identifier: MIT
#pragma once

#include "app/dialogs.h"

#include <QList>
#include <QStringList>

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

    QStringList messages;
    QStringList questions;
    /** Answers for ask(), in order; when empty, the last button offered is chosen. */
    QList<Button> answers;
};
