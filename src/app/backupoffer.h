// SPDX-License-Identifier: MIT
#pragma once

class Dialogs;
class ProcessStarter;

/**
 * At start: when editors ended with unsaved text (their recovery copies are left and no process
 * holds them), or saves were interrupted (the process killed while it wrote a file in place),
 * asks once whether to restore them. 復元 opens each in an editor of its own, 破棄 deletes them,
 * 後で leaves them for the next start.
 */
void offerPendingBackups(Dialogs& dialogs, ProcessStarter& processes);
