// SPDX-License-Identifier: MIT
#pragma once

#include <QList>
#include <QString>

/**
 * Every modal interaction of the program goes through this one seam: the real implementation
 * shows Qt's dialogs, and tests answer it without a modal loop.
 */
class Dialogs
{
public:
    enum class Icon { None, Information, Warning, Critical, Question };
    enum class Button { Ok, Yes, No, Cancel };

    virtual ~Dialogs() = default;

    /** A message box with the one sentence and an OK button. */
    virtual void message(const QString& text, Icon icon = Icon::None) = 0;
    /** A message box offering @p buttons; returns the one chosen (Cancel when the box is closed). */
    virtual Button ask(const QString& text, const QList<Button>& buttons, Icon icon = Icon::Question) = 0;
};
