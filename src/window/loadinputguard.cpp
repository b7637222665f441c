// SPDX-License-Identifier: MIT
#include "loadinputguard.h"

#include <QCoreApplication>
#include <QEvent>
#include <QWidget>

namespace {
bool isInput(QEvent::Type type)
{
    switch (type) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::Shortcut:
    case QEvent::InputMethod:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::Wheel:
    case QEvent::ContextMenu:
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::Drop:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
        return true;
    default:
        return false;
    }
}
} // namespace

LoadInputGuard::LoadInputGuard(QWidget* window, QObject* parent)
    : QObject(parent)
    , m_window(window)
{ }

LoadInputGuard::~LoadInputGuard()
{
    setLoading(false);
}

void LoadInputGuard::setLoading(bool loading)
{
    if (loading == m_installed)
        return;
    m_installed = loading;
    if (loading)
        QCoreApplication::instance()->installEventFilter(this);
    else
        QCoreApplication::instance()->removeEventFilter(this);
}

bool LoadInputGuard::eventFilter(QObject* watched, QEvent* event)
{
    if (!isInput(event->type()) || !watched->isWidgetType())
        return false;
    if (static_cast<QWidget*>(watched)->window() != m_window)
        return false;
    // Accepted, so that no shortcut fires for a key dropped here.
    event->accept();
    return true;
}
