// SPDX-License-Identifier: MIT
#pragma once

#include "commandline.h"
#include "modedecision.h"
#include "ui/appcontext.h"

#include <QStringList>

#include <functional>
#include <memory>

class InstanceLock;
class TForm1;
class TFormOption;
class TMainForm;

/** What start-up needs from the process around it; tests give fakes. */
struct StartupServices
{
    AppContext context;
    InstanceLock& instanceLock;
    std::function<bool()> trayAvailable;
    QString executablePath;
    QStringList arguments; // the command line without the program name
};

/**
 * Process start-up: takes the instance lock, opens or creates the settings key, chooses the
 * mode, creates that mode's windows in their order and runs the event loop.
 */
class Startup final
{
public:
    explicit Startup(StartupServices services);
    ~Startup();

    /** Runs the whole start; @p runLoop runs the event loop until the main window closes. Always returns 0. */
    int run(const std::function<void()>& runLoop);

    /**
     * SIGTERM or SIGHUP: the unsaved text is kept as a recovery copy for the next start, and the
     * process ends at once, asking nothing.
     */
    void endWithoutQuestions();
    /** The session is ending: the unsaved text is kept as a recovery copy, in case the process does not survive it. */
    void preserveUnsavedWork();

    StartMode mode() const { return m_mode; }
    bool anotherInstance() const { return m_anotherInstance; }
    TMainForm* mainForm() const { return m_mainForm.get(); }
    TFormOption* optionForm() const { return m_optionForm.get(); }
    TForm1* launcherForm() const { return m_launcherForm.get(); }

    static inline const QString kLauncherTitle = QStringLiteral("多機能エディタータスクアイコン");

private:
    enum class KeyState { Present, FirstRun, Failed };
    void start(const std::function<void()>& runLoop);
    void finish();
    KeyState openSettings(bool& launcherWanted);
    void createForms();

    StartupServices m_services;
    CommandLine m_commandLine;
    StartMode m_mode = StartMode::Editor;
    bool m_anotherInstance = false;
    bool m_holdsLock = false;
    std::unique_ptr<TForm1> m_launcherForm;
    std::unique_ptr<TFormOption> m_optionForm;
    std::unique_ptr<TMainForm> m_mainForm;
};
