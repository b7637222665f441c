// SPDX-License-Identifier: MIT
#pragma once

class Dialogs;
class ProcessStarter;

/**
 * At start: when saves were interrupted (the process killed while it wrote a file in place), asks
 * once whether to restore the old contents. 復元 opens each in an editor of its own, 破棄 deletes
 * them, 後で leaves them for the next start.
 */
void offerPendingBackups(Dialogs& dialogs, ProcessStarter& processes);
