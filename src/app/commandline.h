// SPDX-License-Identifier: MIT
#pragma once

#include <QStringList>

/** What the desktop's menu entry may ask for besides a file. */
enum class ModeRequest {
    Stored, // as MOption says
    Editor, // "--editor": an editor window, whatever MOption says
    Launcher, // "--launcher": the tray launcher, whatever MOption says
};

struct CommandLine
{
    ModeRequest request = ModeRequest::Stored;
    /** The file arguments, as the editor window joins them. */
    QStringList fileArguments;
};

/**
 * Takes "--editor" or "--launcher" when it is the first argument; everything else is the file.
 * A file whose name starts with "--" is still reached as "./--name".
 */
CommandLine parseCommandLine(const QStringList& arguments);
