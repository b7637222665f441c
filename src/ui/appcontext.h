// SPDX-License-Identifier: MIT
#pragma once

#include <QList>
#include <QPoint>
#include <QRect>

#include <functional>

class Dialogs;
class ProcessStarter;

/** What the windows of one process share: the dialog seam, the screen, the process starter. */
struct AppContext
{
    Dialogs& dialogs;
    /** The primary screen's geometry; tests give a fixed size. */
    std::function<QRect()> screenGeometry;
    /** Starts further editor processes. */
    ProcessStarter* processes = nullptr;
    /** The mouse cursor in screen coordinates; empty means the real cursor. */
    std::function<QPoint()> cursorPosition = {};
    /** The outer frames of the editor windows other processes show; empty means none known. */
    std::function<QList<QRect>()> otherEditorFrames = {};
};
