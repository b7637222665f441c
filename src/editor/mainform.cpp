// SPDX-License-Identifier: MIT
#include "mainform.h"

#include <QCloseEvent>
#include <QPlainTextEdit>

TMainForm::TMainForm(AppContext context, QStringList arguments, QWidget* parent)
    : QMainWindow(parent)
    , m_context(std::move(context))
    , m_arguments(std::move(arguments))
{
    setObjectName(QStringLiteral("MainForm"));
    setWindowTitle(QStringLiteral("MainForm"));
    RichEdit2 = new QPlainTextEdit(this);
    RichEdit2->setObjectName(QStringLiteral("RichEdit2"));
    setCentralWidget(RichEdit2);
    resize(743, 543);
}

TMainForm::~TMainForm() = default;

void TMainForm::closeEvent(QCloseEvent* event)
{
    event->accept();
    Q_EMIT closed();
}
