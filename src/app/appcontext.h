// SPDX-License-Identifier: MIT
#pragma once

#include <QRect>

#include <functional>

class Dialogs;

/** What the windows of one process share: the dialog seam and the screen they are placed on. */
struct AppContext
{
    Dialogs& dialogs;
    /** The primary screen's geometry; tests give a fixed size. */
    std::function<QRect()> screenGeometry;
};
