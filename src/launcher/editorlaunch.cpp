// SPDX-License-Identifier: MIT
#include "editorlaunch.h"

#include "launchertexts.h"
#include "platform/fileprobe.h"
#include "settings/settingskey.h"
#include "settings/settingstable.h"
#include "ui/dialogs.h"

#include <algorithm>
#include <cstdlib>

void applyCascadeStep(SettingsKey& key)
{
    const qint32 top = key.readInteger(Reg::MTop);
    const qint32 left = key.readInteger(Reg::MLeft);
    key.writeInteger(Reg::MTop, top + kCascadeStep);
    key.writeInteger(Reg::MLeft, left + kCascadeStep);
}

int cascadeStepsPast(QPoint stored, const QList<QRect>& frames)
{
    // More steps than fit on any screen: the position check that follows moves the window back.
    constexpr int kMostSteps = 200;
    const auto occupied = [&frames](QPoint corner) {
        return std::any_of(frames.cbegin(), frames.cend(), [corner](const QRect& frame) {
            const QPoint distance = frame.topLeft() - corner;
            return std::abs(distance.x()) < kCascadeStep / 2 && std::abs(distance.y()) < kCascadeStep / 2;
        });
    };
    int steps = 0;
    while (steps < kMostSteps && occupied(stored + QPoint(kCascadeStep, kCascadeStep) * steps))
        ++steps;
    return steps;
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
