// SPDX-License-Identifier: MIT
#pragma once

#include <QObject>

class Dialogs;
class DocumentEditor;
class QAction;

/**
 * The View menu's 「色分け表示」: code colouring on or off. The state is read from
 * MColorSyntax at creation (on when the value is missing) and written only when the user
 * switches it, so a first start leaves the stored values as they were.
 */
class ColouringSwitch final : public QObject
{
    Q_OBJECT
public:
    ColouringSwitch(QAction* item, DocumentEditor* editor, Dialogs& dialogs, QObject* parent = nullptr);

    /** Reads the stored state into the item and the editor. */
    void restore();

private:
    void switched(bool on);

    QAction* m_item;
    DocumentEditor* m_editor;
    Dialogs& m_dialogs;
};
