// SPDX-License-Identifier: MIT
#include "statusrow.h"

#include "positionrules.h"
#include "viewtexts.h"

#include <QLabel>
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
    layOut();
}

void StatusRow::resizeEvent(QResizeEvent* event)
{
    QFrame::resizeEvent(event);
    layOut();
}

void StatusRow::layOut()
{
    const StatusRowGeometry g = statusRowGeometry(width());
    const int h = height();
    m_message->setGeometry(0, 0, g.messageWidth, h);
    m_position->setGeometry(g.positionLeft, 0, g.positionWidth, h);
    m_insert->setGeometry(g.insertLeft, 0, kInsertFieldWidth, h);
}
