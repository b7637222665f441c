// SPDX-License-Identifier: MIT
#include "editorlaunch.h"

#include "launchertexts.h"
#include "platform/fileprobe.h"
#include "settings/settingskey.h"
#include "settings/settingstable.h"
#include "ui/dialogs.h"

void applyCascadeStep(SettingsKey& key)
{
    const qint32 top = key.readInteger(Reg::MTop);
    const qint32 left = key.readInteger(Reg::MLeft);
    key.writeInteger(Reg::MTop, top + 20);
    key.writeInteger(Reg::MLeft, left + 20);
}

bool passesAlreadyOpenProbe(Dialogs& dialogs, const QString& path)
{
    if (probeFileForReading(path))
        return true;
    dialogs.message(kAlreadyOpen);
    return false;
}

QString recentItemCaption(int number, const QString& path)
{
    QString shown = path;
    shown.replace(u'&', QLatin1String("&&"));
    return QStringLiteral("&%1 %2").arg(number).arg(shown);
}

void readRecentSlots(SettingsKey& key, QStringList& list, QString (*slotName)(int))
{
    QStringList known;
    for (int slot = 1; slot <= Reg::kRecentSlots; ++slot) {
        QString value = key.readString(slotName(slot));
        // A relative entry would name another file in whatever folder the editor starts.
        if (!isStorableRecentEntry(value))
            value.clear();
        if (value.isEmpty())
            key.writeString(slotName(slot), QString());
        else
            known.append(value);
        list.append(value);
    }
    key.setKnownList(recentListName(slotName), known);
}
