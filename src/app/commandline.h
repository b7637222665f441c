// SPDX-License-Identifier: MIT
#pragma once

#include "view/lineplace.h"

#include <QStringList>

#include <optional>

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
    /** "--restore-backup PATH": an editor that puts back the old content of an interrupted save. */
    QString restoreBackup;
    /** "--editor A B …" naming several files (the desktop's %F): the files after the first, each for an editor of its
     * own. */
    QStringList moreFiles;
    /** "--recover PATH": an editor that opens the unsaved document of a recovery copy. */
    QString recoverCopy;
    /** "+LINE[:COLUMN[:LENGTH]] FILE" or "FILE:LINE[:COLUMN]": where the caret goes in the file. */
    std::optional<LinePlace> place;
    /** "--grep [FIELDS…]": an editor that runs a Grep (no fields: one that asks for it). */
    std::optional<QStringList> grep;
};

/**
 * Takes "--editor" or "--launcher" when it is the first argument, or "--restore-backup PATH" or
 * "--recover PATH" as the only arguments (an editor); everything else is the file. After
 * "--editor", arguments that do not name one file when joined are several files, as the desktop
 * passes them.
 * A file whose name starts with "--" is still reached as "./--name". A place in the file comes
 * as "+LINE[:COLUMN[:LENGTH]]" before it, or as ":LINE[:COLUMN]" after a name that is not itself
 * an existing file, while the name without it is one.
 */
CommandLine parseCommandLine(const QStringList& arguments);
