// SPDX-License-Identifier: MIT
#pragma once

/**
 * Chooses the display platform before the application object exists. On a Wayland session a client
 * cannot place its own windows, so the stored positions and the cascade would be ignored: pemmo then
 * runs through XWayland, unless the user chose a platform (QT_QPA_PLATFORM) or no X server is there.
 */
void chooseDisplayPlatform();
