// SPDX-License-Identifier: MIT
#pragma once

class QCoreApplication;

/**
 * Loads Qt's own Japanese translation (qtbase_ja) into @p app, whatever the locale: the program
 * speaks Japanese by design, so the stock dialogs and buttons must too. Returns false when the
 * translation is not installed (package qt6-translations-l10n); Qt then stays English.
 */
bool installQtJapaneseTranslation(QCoreApplication& app);
