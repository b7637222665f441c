// SPDX-License-Identifier: MIT
#pragma once

#include <QObject>

class QWidget;

/**
 * While a load runs, the window takes no input: keys, clicks, wheel turns and drops aimed at it
 * are dropped, so nothing is typed into a text that is not there yet (it would land at the start
 * of the file) and no command acts on a half-built one. Its own dialogs (the binary-file question)
 * still answer. Switched by the document's loadingChanged().
 */
class LoadInputGuard final : public QObject
{
    Q_OBJECT
public:
    explicit LoadInputGuard(QWidget* window, QObject* parent = nullptr);
    ~LoadInputGuard() override;

    void setLoading(bool loading);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* m_window;
    bool m_installed = false;
};
