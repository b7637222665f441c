// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <QStringList>

class Dialogs;
class QAction;

/** The help file the editor asks for; its book is the folder of that base name holding index.html. */
inline const QString kHelpFile = QStringLiteral("ORVEL.HLP");

/** Where the book of @p helpFile may be: installed beside the program, then in the source tree. */
QStringList helpBookCandidates(const QString& helpFile);

/** The first page of the book of @p helpFile, or empty when it is installed nowhere. */
QString findHelpBook(const QString& helpFile);

/** Opens the help book, or says "ヘルプファイルが見付かりません。". */
void F_HelpClick(Dialogs& dialogs);

/** The launcher switch has just been toggled: says from when it takes effect. */
void OP_strClick(const QAction& OP_str, Dialogs& dialogs);
