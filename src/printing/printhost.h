// SPDX-License-Identifier: MIT
#pragma once

#include <QList>

#include <QColor>
#include <QFont>
#include <QString>

class QAbstractButton;
class QAction;
class QMenu;
class QWidget;

/**
 * What the printing commands need of the editor window. The window answers from its document
 * editor and changes its own controls; the commands never reach into its widgets.
 */
class PrintHost
{
public:
    virtual ~PrintHost() = default;

    /**
     * The document editor's ("RichEdit2") text in UTF-8, as the editor holds it; its lines are what
     * the report prints. The preview takes it a slice at a time, as a copy of a hundred megabytes
     * at once would stall the window; the text does not change while the preview shows.
     */
    virtual qsizetype documentUtf8Length() const = 0;
    virtual QByteArray documentUtf8(qsizetype from, qsizetype length) const = 0;
    /** The document editor's font and text colour, which the report takes at a preview toggle. */
    virtual QFont editorFont() const = 0;
    virtual QColor editorTextColour() const = 0;
    /** The current file name as the window holds it. */
    virtual QString documentFileName() const = 0;

    /** Hides the document editor (or the memo in its place) for the preview, or shows it again. */
    virtual void setEditingAreaShown(bool shown) = 0;
    /** The tool-bar band of "CoolBar1"; the page buttons replace it during the preview. */
    virtual void setToolBarShown(bool shown) = 0;
    /** The ruler panel ("Ruler"). */
    virtual void setRulerShown(bool shown) = 0;
    /** Hides the line-number gutter ("Panel4"). */
    virtual void hideGutter() = 0;
    /** Shows or hides the gutter by the check mark of "行番号" ("VG"), refreshing it when shown. */
    virtual void applyLineNumberSwitch() = 0;
    /** The message field "StatusBar1". */
    virtual void setStatusMessage(const QString& text) = 0;
    /** The position field "StatusBar2". */
    virtual void setPositionText(const QString& text) = 0;
};

/** The editor window's controls that belong to the preview. */
struct PreviewControls
{
    /** "印刷プレビュー" of the File menu; its check mark shows the preview state. */
    QAction* F_PVew = nullptr;
    /** The page-button band. */
    QWidget* Panel3 = nullptr;
    /** Its buttons "<<", "<", ">", ">>" (Button1..Button4). */
    QList<QAbstractButton*> pageButtons;
    /** The preview's context menu. */
    QMenu* PopupMenu3 = nullptr;
    /** Its items 100 %, 80 %, 50 %, 20 % (PView100, PView80, PView50, PView20). */
    QList<QAction*> zoomItems;
    /** Where the preview goes: hidden until the preview opens, laid out where the document editor is. */
    QWidget* QRPreview1 = nullptr;
};
