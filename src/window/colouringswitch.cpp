// SPDX-License-Identifier: MIT
#include "colouringswitch.h"

#include "document/documenteditor.h"
#include "settings/settingskey.h"
#include "settings/settingstable.h"
#include "settings/settingstexts.h"
#include "ui/errorreport.h"

#include <QAction>

ColouringSwitch::ColouringSwitch(QAction* item, DocumentEditor* editor, Dialogs& dialogs, QObject* parent)
    : QObject(parent)
    , m_item(item)
    , m_editor(editor)
    , m_dialogs(dialogs)
{
    connect(m_item, &QAction::triggered, this, &ColouringSwitch::switched);
}

void ColouringSwitch::restore()
{
    bool on = true;
    runRegistrySequence(m_dialogs, OpenMode::OpenOnly, QString(),
                        [&on](SettingsKey& key) { on = readSwitchSetting(key, Reg::MColorSyntax); });
    m_item->setChecked(on);
    m_editor->setCodeColouring(on);
}

void ColouringSwitch::switched(bool on)
{
    m_editor->setCodeColouring(on);
    runRegistrySequence(m_dialogs, OpenMode::OpenCreating, kRegistryWriteFailed,
                        [on](SettingsKey& key) { key.writeInteger(Reg::MColorSyntax, on ? 1 : 0); });
}
