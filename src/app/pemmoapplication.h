// SPDX-License-Identifier: MIT
#pragma once

#include <QApplication>

class Dialogs;

/**
 * The application object. Handlers report their own errors; this is the last guard, so that an
 * exception a handler forgot to catch is shown instead of unwinding through the event loop.
 */
class PemmoApplication final : public QApplication
{
    Q_OBJECT
public:
    PemmoApplication(int& argc, char** argv);

    void setErrorReport(Dialogs* dialogs) { m_dialogs = dialogs; }
    bool notify(QObject* receiver, QEvent* event) override;

private:
    Dialogs* m_dialogs = nullptr;
};
