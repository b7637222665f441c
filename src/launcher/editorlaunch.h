// SPDX-License-Identifier: MIT
#pragma once

#include <QList>
#include <QPoint>
#include <QRect>
#include <QString>
#include <QStringList>

class Dialogs;
class SettingsKey;

/** How far each editor opens down and right of the one before. */
inline constexpr int kCascadeStep = 20;

/**
 * The cascade step: the stored window position moves 20 pixels down and right, so the next
 * editor opens offset from the last one. Raises RegistryError when MTop or MLeft cannot be read.
 */
void applyCascadeStep(SettingsKey& key);

/**
 * How many cascade steps take the outer position @p stored past the editors already sitting on the
 * way, given as their outer @p frames. An editor sits at a place when its corner is nearer to it than
 * half a step: window managers may nudge a window by a few pixels.
 */
int cascadeStepsPast(QPoint stored, const QList<QRect>& frames);

/** The window role every editor window carries, so that editors find one another's windows. */
inline constexpr QLatin1StringView kEditorWindowRole("pemmo-editor");

/** The already-open probe: false, after saying "既に開いてます。", when @p path cannot be opened for reading. */
bool passesAlreadyOpenProbe(Dialogs& dialogs, const QString& path);

/**
 * The caption of recent item @p number (1-based): the digit as the keyboard accelerator, a
 * space, then the path, whose own '&' characters show as they are.
 */
QString recentItemCaption(int number, const QString& path);

/**
 * Reads the five recent slots named by @p slotName into @p list, writing an empty string
 * for each absent or empty slot. Raises RegistryError at a value of another type, leaving
 * the entries read so far.
 */
void readRecentSlots(SettingsKey& key, QStringList& list, QString (*slotName)(int));
