// SPDX-License-Identifier: MIT
#include "pemmoapplication.h"

#include "qttranslation.h"
#include "ui/dialogs.h"

#include <QIcon>

#include <exception>

PemmoApplication::PemmoApplication(int& argc, char** argv)
    : QApplication(argc, argv)
{
    setApplicationName(QStringLiteral("pemmo"));
    setOrganizationName(QStringLiteral("Ambrel"));
    setApplicationVersion(QStringLiteral(PEMMO_VERSION));
    setWindowIcon(QIcon(QStringLiteral(":/pemmo/pemmo.png")));
    // The caret blinks 500 ms on, 500 ms off in every window of ours; the desktop's setting is left alone.
    setCursorFlashTime(1000);
    installQtJapaneseTranslation(*this);
}

bool PemmoApplication::notify(QObject* receiver, QEvent* event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& error) {
        if (m_dialogs)
            m_dialogs->message(QString::fromUtf8(error.what()), Dialogs::Icon::Critical);
        return false;
    }
}
