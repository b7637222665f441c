// SPDX-License-Identifier: MIT
#include "launcher/editorlaunch.h"
#include "pemmoapplication.h"
#include "platform/desktopwindows.h"
#include "platform/displayplatform.h"
#include "platform/instancelock.h"
#include "platform/processstarter.h"
#include "startup.h"
#include "ui/fontsubstitution.h"
#include "ui/widgetdialogs.h"

#include <QScreen>
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
    return startup.run([] { QApplication::exec(); });
}
