// SPDX-License-Identifier: MIT
#pragma once

enum class StartMode { Editor, Launcher };

/** Launcher only for a first process that wants it; every other start is an editor. */
constexpr StartMode decideMode(bool launcherWanted, bool anotherInstance)
{
    return launcherWanted && !anotherInstance ? StartMode::Launcher : StartMode::Editor;
}
