// SPDX-License-Identifier: MIT
#pragma once

#include <QWidget>

class QTextBrowser;

/** The help viewer: the bundled Japanese help book, with back, forward and contents. */
class HelpViewer final : public QWidget
{
    Q_OBJECT
public:
    explicit HelpViewer(QWidget* parent = nullptr);

    void openBook(const QString& indexPath);
    QTextBrowser* browser() const { return m_browser; }

private:
    QTextBrowser* m_browser = nullptr;
    QString m_index;
};
