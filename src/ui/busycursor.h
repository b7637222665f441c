// SPDX-License-Identifier: MIT
#pragma once

#include <QApplication>

/** The wait cursor for as long as it lives, however the operation ends. */
class BusyCursor final
{
public:
    BusyCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~BusyCursor() { QApplication::restoreOverrideCursor(); }
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;
};
