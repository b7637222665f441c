// SPDX-License-Identifier: MIT
#pragma once

#include "app/appcontext.h"

#include <QMainWindow>
#include <QStringList>

class QPlainTextEdit;

/** The editor window: one per editor process, holding one document. */
class TMainForm final : public QMainWindow
{
    Q_OBJECT
public:
    TMainForm(AppContext context, QStringList arguments, QWidget* parent = nullptr);
    ~TMainForm() override;

Q_SIGNALS:
    /** The window has agreed to close; in editor mode this ends the process. */
    void closed();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    AppContext m_context;
    QStringList m_arguments;
    QPlainTextEdit* RichEdit2 = nullptr;
};
