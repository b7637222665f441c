// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <QStringList>

#include <memory>

/** Starts further editor processes of this same executable; the starter does not wait for them. */
class ProcessStarter
{
public:
    virtual ~ProcessStarter() = default;
    /** Starts an editor, for @p filePath when it is not empty. Failures are not reported. */
    virtual void startEditor(const QString& filePath) = 0;
    /** Starts an editor that puts back the content kept in @p backupPath (see --restore-backup). */
    virtual void startRestoringEditor(const QString& backupPath) = 0;
    /** Starts an editor that opens the unsaved document of a recovery copy (see --recover). */
    virtual void startRecoveringEditor(const QString& lockPath) = 0;
    /** Starts an editor on @p filePath with the caret at @p line and @p column (1-based), @p length characters
     * selected. */
    virtual void startEditorAt(const QString& filePath, qint64 line, qint64 column, qint64 length) = 0;
    /** Starts an editor that runs a Grep: "--grep" and @p arguments (see the command line). */
    virtual void startGrepEditor(const QStringList& arguments) = 0;
};

/** Starts the running executable directly, the path as one argument: no shell, no quoting rules. */
std::unique_ptr<ProcessStarter> createProcessStarter();
