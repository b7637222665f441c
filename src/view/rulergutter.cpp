// SPDX-License-Identifier: MIT
#include "rulergutter.h"

#include "document/documenteditor.h"
#include "rulerrules.h"

#include <QAction>
#include <QFontInfo>
#include <QFontMetrics>
#include <QLabel>
#include <QPainter>
#include <QPlainTextEdit>
#include <QSignalBlocker>

namespace {
/** @p font at the size of @p size, whether that was given in points or in pixels. */
void takeSize(QFont& font, const QFont& size)
{
    if (size.pointSizeF() > 0)
        font.setPointSizeF(size.pointSizeF());
    else if (size.pixelSize() > 0)
        font.setPixelSize(size.pixelSize());
}
} // namespace

RulerGutter::RulerGutter(const RulerGutterControls& controls, QObject* parent)
    : QObject(parent)
    , m_c(controls)
{
    // The menu items flip their own check marks; the handlers then lay the controls out to match.
    connect(m_c.VG, &QAction::triggered, this, &RulerGutter::setLineNumbers);
    connect(m_c.VRuler, &QAction::triggered, this, &RulerGutter::setRulerShown);
    connect(m_c.RichEdit2, &DocumentEditor::verticalScrolled, this, &RulerGutter::refreshGutter);
    // A zoom says so as a scroll does.
    connect(m_c.RichEdit2, &DocumentEditor::verticalScrolled, this, &RulerGutter::followZoom);
    // The numbers are drawn a row of the editor apart, not a line of the label's own font.
    m_c.Label3->installEventFilter(this);
    m_c.Label1->setText(plainRulerText());
    placeRulerText();
}

void RulerGutter::showPlainRuler(int fontPoints)
{
    if (fontPoints > 0)
        m_rulerPoints = fontPoints;
    m_c.Label1->setText(plainRulerText());
    followZoom();
    placeRulerText();
    fitRulerHeight();
}

void RulerGutter::followZoom()
{
    // The cells are as wide as the text's characters are drawn: Ctrl+wheel adds its points to both.
    if (m_rulerPoints <= 0)
        return;
    const auto points = [](const QFont& font) {
        return font.pointSizeF() > 0 ? font.pointSizeF() : QFontInfo(font).pointSizeF();
    };
    const double zoom = points(m_c.RichEdit2->shownFont()) - points(m_c.RichEdit2->editorFont());
    QFont font = m_c.Label1->font();
    const double size = qMax(1.0, m_rulerPoints + zoom);
    if (font.pointSizeF() == size)
        return;
    font.setPointSizeF(size);
    m_c.Label1->setFont(font);
    placeRulerText();
    fitRulerHeight();
}

void RulerGutter::markRuler(int column)
{
    m_c.Label1->setText(rulerTextWithMarker(column));
    placeRulerText();
}

void RulerGutter::fitRulerHeight()
{
    m_c.Ruler->setFixedHeight(m_c.Label1->height());
}

void RulerGutter::placeRulerText()
{
    // The ruler starts above the first text column: past the gutter and the editor's frame.
    const int indent = m_c.RichEdit2->textAreaOffset().x();
    m_c.Label1->setContentsMargins(indent, 0, 0, 0);
    m_c.Label1->adjustSize();
    m_c.Label1->move(m_c.Panel4->width(), 0);
}

void RulerGutter::setGutterWidth(int width)
{
    if (m_c.Panel4->width() != width || m_c.Panel4->minimumWidth() != width)
        m_c.Panel4->setFixedWidth(width);
    // The layout applies the fixed width later; the ruler follows the width now.
    m_c.Panel4->resize(width, m_c.Panel4->height());
}

void RulerGutter::refreshGutter()
{
    if (!lineNumbersOn())
        return;
    QFont font = m_c.Label3->font();
    const QFont editorFont = m_c.RichEdit2->shownFont();
    font.setFamily(editorFont.family());
    takeSize(font, editorFont);
    if (m_c.Label3->font() != font)
        m_c.Label3->setFont(font);
    // Numbers sit level with the lines of the text area.
    m_c.Label3->setContentsMargins(1, m_c.RichEdit2->textAreaOffset().y(), 0, 0);
    m_c.Label3->update();

    const int first = m_c.RichEdit2->firstVisibleLine();
    const QString text = gutterText(first);
    if (m_c.Label3->text() != text)
        m_c.Label3->setText(text);
    // Wide enough for the last number and a small gap before the text, whatever the font and however
    // many digits: the designed widths hold four digits of the designed font.
    constexpr int kGap = 3;
    const QFontMetrics metrics(font);
    const int needed = 1 + metrics.horizontalAdvance(QString::number(qMax(0, first) + kGutterNumbers)) + kGap;
    setGutterWidth(qMax(gutterWidth(first), needed));
    m_c.Label3->setGeometry(0, 0, m_c.Panel4->width(), m_c.Panel4->height());
    m_c.Label1->move(m_c.Panel4->width(), 0);
}

void RulerGutter::applyLineNumberSwitch()
{
    if (lineNumbersOn()) {
        m_c.VG->setChecked(true);
        m_c.Panel4->show();
        setGutterWidth(kGutterNarrowWidth);
        refreshGutter();
        m_c.Label3->show();
    } else {
        setGutterWidth(0);
        m_c.VG->setChecked(false);
        m_c.Panel4->hide();
        m_c.Label3->hide();
    }
    m_c.Label1->move(m_c.Panel4->width(), 0);
}

void RulerGutter::VGClick()
{
    setLineNumbers(!lineNumbersOn());
}

void RulerGutter::setLineNumbers(bool on)
{
    if (on) {
        setGutterWidth(kGutterNarrowWidth);
        m_c.VG->setChecked(true);
        refreshGutter();
        m_c.Panel4->show();
        m_c.Label3->show();
    } else {
        m_c.VG->setChecked(false);
        m_c.Panel4->hide();
        setGutterWidth(0);
        m_c.Label3->hide();
    }
    m_c.Label1->move(m_c.Panel4->width(), 0);
}

void RulerGutter::VRulerClick()
{
    setRulerShown(!m_c.VRuler->isChecked());
}

void RulerGutter::setRulerShown(bool shown)
{
    m_c.Ruler->setVisible(shown);
    m_c.VRuler->setChecked(shown);
}

void RulerGutter::checkRulerVisibility()
{
    // While the print preview hides the document editor, the rule for the alternate editor holds;
    // that editor is not built, and its designed face was 15 px: 11.25 pt.
    constexpr double kAlternateEditorPoints = 11.25;
    // QFontInfo gives the size in points also for fonts that were given in pixels.
    const bool wanted = rulerWanted(!m_c.RichEdit2->isHidden(), kAlternateEditorPoints,
                                    QFontInfo(m_c.RichEdit2->editorFont()).pointSizeF());
    m_c.Ruler->setVisible(wanted);
}

bool RulerGutter::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_c.Label3 && event->type() == QEvent::Paint) {
        paintGutter();
        return true;
    }
    return QObject::eventFilter(watched, event);
}

void RulerGutter::paintGutter()
{
    // One number a row, the rows as high as the editor draws them and the numbers on the text's
    // baseline: a label would space them by its own font and drift from the text down the screen.
    QLabel* label = m_c.Label3;
    const int pitch = qMax(1, m_c.RichEdit2->lineHeight());
    const QMargins margins = label->contentsMargins();
    const QFontMetrics metrics(label->font());
    QPainter painter(label);
    painter.setFont(label->font());
    painter.setPen(label->palette().color(label->foregroundRole()));
    const QStringList numbers = label->text().split(QLatin1Char('\n'));
    for (int row = 0; row < numbers.size(); ++row) {
        const int top = margins.top() + row * pitch;
        if (top > label->height())
            break;
        painter.drawText(margins.left(), top + metrics.ascent(), numbers.at(row));
    }
}

bool RulerGutter::lineNumbersOn() const
{
    return m_c.VG->isChecked();
}
