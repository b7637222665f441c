// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

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
};

/** Starts the running executable directly, the path as one argument: no shell, no quoting rules. */
std::unique_ptr<ProcessStarter> createProcessStarter();
