// SPDX-License-Identifier: MIT
#include "startup.h"

#include "backupoffer.h"
#include "launcher/Tasklist.h"
#include "options/Formoption.h"
#include "platform/instancelock.h"
#include "platform/processstarter.h"
#include "settings/registrysequence.h"
#include "settings/settingstable.h"
#include "settings/settingstexts.h"
#include "ui/dialogs.h"
#include "window/editorfeatures.h"
#include "window/grepcommands.h"
#include "window/mainform.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>

#include <exception>

Startup::Startup(StartupServices services)
    : m_services(std::move(services))
    , m_commandLine(parseCommandLine(m_services.arguments))
{ }

Startup::~Startup()
{
    finish();
}

void Startup::finish()
{
    // Windows go before the lock is let go of, in the reverse order of their creation.
    m_mainForm.reset();
    m_optionForm.reset();
    m_launcherForm.reset();
    if (m_holdsLock) {
        m_services.instanceLock.release();
        m_holdsLock = false;
    }
}

Startup::KeyState Startup::openSettings(bool& launcherWanted)
{
    const SequenceResult present = runRegistrySequence(
        OpenMode::OpenOnly, [&](SettingsKey& key) { launcherWanted = key.readBool(Reg::MOption); });
    if (!present.notice.isEmpty())
        m_services.context.dialogs.message(present.notice);
    if (present.unreadable) {
        // Not a first run: the user's settings are there. Edit with the designed values and
        // leave the file alone.
        launcherWanted = false;
        return KeyState::Present;
    }
    if (present.opened)
        return present.completed() ? KeyState::Present : KeyState::Failed;

    const SequenceResult created = runRegistrySequence(OpenMode::OpenCreating, writeFirstRunDefaults);
    if (!created.completed()) {
        m_services.context.dialogs.message(kRegistryNotFound);
        return KeyState::Failed;
    }
    launcherWanted = true;
    return KeyState::FirstRun;
}

void Startup::createForms()
{
    if (m_mode == StartMode::Launcher) {
        // No window and no taskbar entry: the launcher lives in the notification area only.
        QGuiApplication::setApplicationDisplayName(kLauncherTitle);
        m_launcherForm = std::make_unique<TForm1>(m_services.context);
        m_optionForm = std::make_unique<TFormOption>(m_services.context);
        m_mainForm = std::make_unique<TMainForm>(m_services.context, m_commandLine.fileArguments);
        m_launcherForm->setRememberFile([form = m_mainForm.get()](const QString& path) { form->rememberFile(path); });
        QObject::connect(m_launcherForm.get(), &TForm1::closed, qApp, &QCoreApplication::quit, Qt::QueuedConnection);
    } else {
        m_mainForm = std::make_unique<TMainForm>(m_services.context, m_commandLine.fileArguments);
        m_optionForm = std::make_unique<TFormOption>(m_services.context);
        QObject::connect(m_mainForm.get(), &TMainForm::closed, qApp, &QCoreApplication::quit, Qt::QueuedConnection);
    }
    if (m_mode == StartMode::Launcher)
        m_services.context.dialogs.setApplicationTitle(kLauncherTitle); // the hidden editor named its file meanwhile
    // The one options window serves the editor window of this process.
    m_optionForm->setHost(&m_mainForm->features());
    QObject::connect(m_mainForm.get(), &TMainForm::optionsRequested, m_optionForm.get(), &TFormOption::FOClick);
    if (m_mode == StartMode::Editor) {
        m_mainForm->show();
        if (m_commandLine.place)
            m_mainForm->goToCommandLinePlace(*m_commandLine.place);
        if (m_commandLine.grep) {
            QMetaObject::invokeMethod(
                m_mainForm.get(),
                [form = m_mainForm.get(), fields = *m_commandLine.grep] { form->grep().runFromCommandLine(fields); },
                Qt::QueuedConnection);
        }
    }
}

void Startup::endWithoutQuestions()
{
    // Whatever modal question is open ends too: the event loops all return.
    if (m_mainForm)
        m_mainForm->preserveUnsavedWork();
    QCoreApplication::exit(0);
}

void Startup::preserveUnsavedWork()
{
    if (m_mainForm)
        m_mainForm->preserveUnsavedWork();
}

int Startup::run(const std::function<void()>& runLoop)
{
    start(runLoop);
    finish();
    return 0;
}

void Startup::start(const std::function<void()>& runLoop)
{
    // Several windows may be open (the options window); the process ends with its main window only.
    QGuiApplication::setQuitOnLastWindowClosed(false);

    const QString lockName = QFileInfo(m_services.executablePath).fileName();
    switch (m_services.instanceLock.tryAcquire(lockName)) {
    case InstanceLock::Result::Acquired:
        m_holdsLock = true;
        break;
    case InstanceLock::Result::HeldElsewhere:
        m_anotherInstance = true;
        break;
    case InstanceLock::Result::Unavailable:
        // As when the lock cannot be made at all: go on as a first process without one.
        break;
    }

    bool launcherWanted = false;
    const KeyState keyState = openSettings(launcherWanted);
    if (keyState == KeyState::Failed)
        return;

    // The desktop entry's actions ask for a mode whatever the stored switch says.
    if (m_commandLine.request != ModeRequest::Stored)
        launcherWanted = m_commandLine.request == ModeRequest::Launcher;
    m_mode = decideMode(launcherWanted, m_anotherInstance);
    // A launcher with nowhere to show its icon would be unreachable: be an editor instead.
    if (m_mode == StartMode::Launcher && !m_services.trayAvailable())
        m_mode = StartMode::Editor;

    // Before any window: a restored file opens in a window of its own, and the launcher asks too.
    if (m_commandLine.restoreBackup.isEmpty() && m_commandLine.recoverCopy.isEmpty() && m_services.context.processes)
        offerPendingBackups(m_services.context.dialogs, *m_services.context.processes);

    try {
        createForms();
        if (!m_commandLine.restoreBackup.isEmpty())
            m_mainForm->restoreBackup(m_commandLine.restoreBackup);
        // This process holds the instance lock or another one does: the editors started here are editors.
        for (const QString& file : std::as_const(m_commandLine.moreFiles)) {
            if (m_services.context.processes)
                m_services.context.processes->startEditor(QDir::current().absoluteFilePath(file));
        }
        if (!m_commandLine.recoverCopy.isEmpty())
            m_mainForm->restoreRecovery(m_commandLine.recoverCopy);
        runLoop();
    } catch (const std::exception&) {
        // A start that has just created the key says so; otherwise the process ends silently.
        if (keyState == KeyState::FirstRun)
            m_services.context.dialogs.message(kRegistryNotFound);
    }
}
