// SPDX-License-Identifier: MIT
// The dialogs a benchmark's window talks to: messages go to standard error, and every question
// or dialog is declined unless a benchmark overrides it, so no run ever blocks on a modal window.
#pragma once

#include "ui/dialogs.h"

#include <cstdio>

class BenchDialogs : public Dialogs
{
public:
    void message(const QString& text, Icon) override { std::fprintf(stderr, "message: %s\n", qPrintable(text)); }
    Button ask(const QString&, const QList<Button>&, Icon, std::optional<Button>) override { return Button::No; }
    bool openFile(FileDialogState&) override { return false; }
    bool saveFile(FileDialogState&) override { return false; }
    std::optional<FontChoice> chooseFont(const QFont&, std::optional<QColor>) override { return std::nullopt; }
    std::optional<QColor> chooseColour(const QColor&) override { return std::nullopt; }
    bool printerSetup(QPrinter&) override { return false; }
    bool askGrep(GrepDialogFields&) override { return false; }
    std::optional<QString> askText(const QString&, const QString&, const QString&) override { return std::nullopt; }
    bool showHelp(const QString&) override { return false; }
};
