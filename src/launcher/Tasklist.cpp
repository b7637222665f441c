// SPDX-License-Identifier: MIT
#include "Tasklist.h"

#include <QApplication>
#include <QCloseEvent>
#include <QMenu>
#include <QSystemTrayIcon>

TForm1::TForm1(AppContext context, QWidget* parent)
    : QWidget(parent)
    , m_context(std::move(context))
{
    setObjectName(QStringLiteral("Form1"));
    m_folderPopup = new QMenu(this);
    m_folderPopup->setObjectName(QStringLiteral("PopupMenu2"));
    QAction* exit = m_folderPopup->addAction(QStringLiteral("終了"));
    exit->setObjectName(QStringLiteral("Exit1"));
    connect(exit, &QAction::triggered, this, &TForm1::Exit1Click);

    m_trayIcon = new QSystemTrayIcon(QApplication::windowIcon(), this);
    m_trayIcon->setToolTip(QStringLiteral("多機能エディタータスクアイコン"));
    m_trayIcon->setContextMenu(m_folderPopup);
}

TForm1::~TForm1() = default;

void TForm1::start()
{
    m_trayIcon->show();
}

void TForm1::Exit1Click()
{
    close();
}

void TForm1::closeEvent(QCloseEvent* event)
{
    m_trayIcon->hide();
    event->accept();
    Q_EMIT closed();
}
