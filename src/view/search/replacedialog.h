// SPDX-License-Identifier: MIT
#pragma once

#include "searchengine.h"

#include <QDialog>

class QCheckBox;
class QLineEdit;
class QMenu;
class QPushButton;

/** The modeless find-and-replace dialog; its texts and boxes keep their contents between openings. */
class ReplaceDialog final : public QDialog
{
    Q_OBJECT
public:
    explicit ReplaceDialog(QWidget* parent = nullptr);

    SearchRequest request() const;

    QLineEdit* findEdit() const { return m_find; }
    QLineEdit* replaceEdit() const { return m_replace; }
    QCheckBox* wholeWordBox() const { return m_wholeWord; }
    QCheckBox* matchCaseBox() const { return m_matchCase; }
    QCheckBox* regexBox() const { return m_regex; }

    /** Puts the find text with its boxes first in the history; a search that runs calls it. */
    void rememberSearch();
    /** The find texts searched for, the last one first. */
    QStringList history() const;
    /** Gives the find text and the boxes back as they were for history entry @p index. */
    void recallSearch(qsizetype index);
    /** Opens the history under the find text (the arrow at its end). */
    void showHistory();

Q_SIGNALS:
    void findNext();
    void replace();
    void replaceAll();

protected:
    void showEvent(QShowEvent* event) override;

private:
    struct PastSearch
    {
        QString findText;
        SearchOptions options;
    };
    QList<PastSearch> m_history;
    QMenu* m_historyMenu = nullptr;
    QLineEdit* m_find = nullptr;
    QLineEdit* m_replace = nullptr;
    QCheckBox* m_wholeWord = nullptr;
    QCheckBox* m_matchCase = nullptr;
    QCheckBox* m_regex = nullptr;
};
