// SPDX-License-Identifier: MIT
#include "helpviewer.h"

#include "uitexts.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QShortcut>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

HelpViewer::HelpViewer(QWidget* parent)
    : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("HelpViewer"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(HelpViewerText::Title);
    resize(760, 600);
    // Esc closes the viewer, as it does every dialog.
    new QShortcut(QKeySequence(Qt::Key_Escape), this, this, &QWidget::close, Qt::WidgetWithChildrenShortcut);

    m_browser = new QTextBrowser(this);
    m_browser->setOpenExternalLinks(true);
    auto* back = new QPushButton(HelpViewerText::Back, this);
    auto* forward = new QPushButton(HelpViewerText::Forward, this);
    auto* contents = new QPushButton(HelpViewerText::Contents, this);
    connect(back, &QPushButton::clicked, m_browser, &QTextBrowser::backward);
    connect(forward, &QPushButton::clicked, m_browser, &QTextBrowser::forward);
    connect(contents, &QPushButton::clicked, this, [this] { openBook(m_index); });
    connect(m_browser, &QTextBrowser::backwardAvailable, back, &QPushButton::setEnabled);
    connect(m_browser, &QTextBrowser::forwardAvailable, forward, &QPushButton::setEnabled);
    back->setEnabled(false);
    forward->setEnabled(false);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(contents);
    buttons->addWidget(back);
    buttons->addWidget(forward);
    buttons->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(buttons);
    layout->addWidget(m_browser);
}

void HelpViewer::openBook(const QString& indexPath)
{
    m_index = indexPath;
    m_browser->setSource(QUrl::fromLocalFile(indexPath));
}
