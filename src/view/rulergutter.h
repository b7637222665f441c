// SPDX-License-Identifier: MIT
#pragma once

#include <QObject>
#include <QString>

class DocumentEditor;
class QAction;
class QLabel;
class QWidget;

/** The controls the ruler and the line-number gutter work on; all belong to the editor window. */
struct RulerGutterControls
{
    QWidget* Ruler = nullptr; // ruler panel above the editors
    QLabel* Label1 = nullptr; // ruler text
    QWidget* Panel4 = nullptr; // gutter panel left of the editors
    QLabel* Label3 = nullptr; // gutter text
    QAction* VRuler = nullptr; // "ルーラー表示"
    QAction* VG = nullptr; // "行番号"
    DocumentEditor* RichEdit2 = nullptr;
};

/**
 * The character ruler with its caret marker and the line-number gutter. The gutter lists the
 * numbers from the editor's first visible line and follows every vertical scroll.
 */
class RulerGutter final : public QObject
{
    Q_OBJECT
public:
    explicit RulerGutter(const RulerGutterControls& controls, QObject* parent = nullptr);

    /** The ruler without a marker, in the fixed-pitch face at @p fontPoints; the panel fits its label. */
    void showPlainRuler(int fontPoints);
    /** Marks the caret's @p column on the ruler. */
    void markRuler(int column);
    /** Rebuilds the gutter from the first visible line; does nothing while line numbers are off. */
    void refreshGutter();
    /** Lays the gutter out for the current state of "行番号". */
    void applyLineNumberSwitch();
    /** Shows or hides the ruler by which editor is shown and the font sizes. */
    void checkRulerVisibility();
    /** The ruler panel takes its label's height. */
    void fitRulerHeight();

    /** The line-number toggle of the View menu. */
    void VGClick();
    /** The ruler toggle of the View menu; the state is not stored. */
    void VRulerClick();

    bool lineNumbersOn() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void paintGutter();
    void followZoom();
    void setLineNumbers(bool on);
    void setRulerShown(bool shown);
    void placeRulerText();
    void setGutterWidth(int width);

    RulerGutterControls m_c;
    /** The ruler's size as chosen, before the editor's zoom. */
    double m_rulerPoints = 0;
};
