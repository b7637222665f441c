// SPDX-License-Identifier: MIT
#pragma once

#include "formats/textformat.h"

#include <QObject>
#include <QString>

class Dialogs;
class DocumentController;
class QAction;
class QActionGroup;
class QMenu;
class QPoint;
class QWidget;

/**
 * The encoding menu: 「文字コードを指定して開き直す」 reads the file again in the encoding
 * chosen, 「文字コードを指定して保存」 saves it in the encoding and line ending chosen. The
 * same two submenus open from the status row's format field.
 */
class EncodingMenu final : public QObject
{
    Q_OBJECT
public:
    EncodingMenu(DocumentController& documents, Dialogs& dialogs, QWidget* parent);

    QMenu* reopenMenu() const { return m_reopen; }
    QMenu* saveMenu() const { return m_save; }
    /**
     * Opens both submenus in one popup just above @p globalPos, the top-left corner of the status
     * row's format field, so that the field stays in sight.
     */
    void popup(const QPoint& globalPos);
    /** The popup of popup(), for tests and for the menu's owner. */
    QMenu* popupMenu() const { return m_popup; }

    /** The format field's text: "Shift_JIS (CP932)  CR+LF". */
    static QString formatText(const pemmo::formats::TextFormat& format);

private:
    void refresh();

    DocumentController& m_documents;
    Dialogs& m_dialogs;
    QMenu* m_reopen;
    QMenu* m_save;
    QMenu* m_popup;
    // The popup's own entries for the two menus: the window's menu bar gives the menus other actions.
    QAction* m_popupReopen = nullptr;
    QAction* m_popupSave = nullptr;
    QActionGroup* m_encodingGroup;
    QActionGroup* m_lineEndingGroup;
    QActionGroup* m_reopenGroup;
};
