// SPDX-License-Identifier: MIT
#include "launcher/editorlaunch.h"
#include "pemmoapplication.h"
#include "platform/desktopwindows.h"
#include "platform/displayplatform.h"
#include "platform/instancelock.h"
#include "platform/processstarter.h"
#include "platform/terminationsignals.h"
#include "startup.h"
#include "ui/fontsubstitution.h"
#include "ui/widgetdialogs.h"

#include <QScreen>
#include <QSessionManager>
#include <QSystemTrayIcon>

int main(int argc, char** argv)
{
    chooseDisplayPlatform();
    PemmoApplication app(argc, argv);
    installFontSubstitutions();

    WidgetDialogs dialogs;
    app.setErrorReport(&dialogs);
    const auto instanceLock = createInstanceLock();
    const auto processes = createProcessStarter();
    Startup startup(StartupServices {
        AppContext { dialogs,
                     [] { return QGuiApplication::primaryScreen()->geometry(); },
                     processes.get(),
                     {},
                     [] { return programWindowFrames(kEditorWindowRole); } },
        *instanceLock,
        [] { return QSystemTrayIcon::isSystemTrayAvailable(); },
        QCoreApplication::applicationFilePath(),
        QCoreApplication::arguments().mid(1),
    });
    // A kill, a closed terminal or the session's end must not take unsaved text along.
    TerminationSignals termination;
    QObject::connect(&termination, &TerminationSignals::terminationRequested, &app,
                     [&startup] { startup.endWithoutQuestions(); });
    QObject::connect(&app, &QGuiApplication::commitDataRequest, &app,
                     [&startup](QSessionManager&) { startup.preserveUnsavedWork(); });
    QObject::connect(&app, &QGuiApplication::saveStateRequest, &app,
                     [&startup](QSessionManager&) { startup.preserveUnsavedWork(); });
    return startup.run([] { QApplication::exec(); });
}
