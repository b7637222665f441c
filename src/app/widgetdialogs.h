// SPDX-License-Identifier: MIT
#pragma once

#include "dialogs.h"

/** The dialogs as the user sees them: Qt's message boxes, parented to the active window. */
class WidgetDialogs final : public Dialogs
{
public:
    void message(const QString& text, Icon icon) override;
    Button ask(const QString& text, const QList<Button>& buttons, Icon icon) override;
    bool openFile(FileDialogState& state) override;
    bool saveFile(FileDialogState& state) override;
};
