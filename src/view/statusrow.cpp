// SPDX-License-Identifier: MIT
#include "statusrow.h"

#include "positionrules.h"
#include "viewtexts.h"

#include <QLabel>
#include <QMouseEvent>
#include <QResizeEvent>

namespace {
QLabel* makeField(const QString& name, QWidget* parent)
{
    auto* field = new QLabel(parent);
    field->setObjectName(name);
    field->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    field->setContentsMargins(2, 0, 2, 0);
    field->setTextFormat(Qt::PlainText);
    return field;
}
} // namespace

StatusRow::StatusRow(QWidget* parent)
    : QFrame(parent)
{
    setObjectName(QStringLiteral("Panel1"));
    setFixedHeight(kHeight);
    m_message = makeField(QStringLiteral("StatusBar1"), this);
    m_insert = makeField(QStringLiteral("StatusBar3"), this);
    m_insert->setText(kInsertModeText);
    m_position = makeField(QStringLiteral("StatusBar2"), this);
    m_format = makeField(QStringLiteral("FormatField"), this);
    m_format->setAlignment(Qt::AlignCenter);
    m_format->setCursor(Qt::PointingHandCursor);
    m_format->installEventFilter(this);
    layOut();
}

void StatusRow::resizeEvent(QResizeEvent* event)
{
    QFrame::resizeEvent(event);
    layOut();
}

bool StatusRow::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_format && event->type() == QEvent::MouseButtonRelease) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::LeftButton && m_format->rect().contains(mouse->position().toPoint())) {
            Q_EMIT formatFieldClicked(m_format->mapToGlobal(QPoint(0, 0)));
            return true;
        }
    }
    return QFrame::eventFilter(watched, event);
}

void StatusRow::layOut()
{
    const StatusRowGeometry g = statusRowGeometry(width());
    const int h = height();
    m_message->setGeometry(0, 0, g.messageWidth, h);
    m_position->setGeometry(g.positionLeft, 0, g.positionWidth, h);
    m_insert->setGeometry(g.insertLeft, 0, kInsertFieldWidth, h);
    // The free space between the message and the insert-mode field; gone when the row is narrow.
    const int formatWidth = g.insertLeft - g.messageWidth;
    m_format->setVisible(formatWidth > 0);
    m_format->setGeometry(g.messageWidth, 0, qMax(0, formatWidth), h);
}
