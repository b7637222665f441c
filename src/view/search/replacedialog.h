// SPDX-License-Identifier: MIT
#pragma once

#include "searchengine.h"

#include <QDialog>

class QCheckBox;
class QLineEdit;
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

Q_SIGNALS:
    void findNext();
    void replace();
    void replaceAll();

protected:
    void showEvent(QShowEvent* event) override;

private:
    QLineEdit* m_find = nullptr;
    QLineEdit* m_replace = nullptr;
    QCheckBox* m_wholeWord = nullptr;
    QCheckBox* m_matchCase = nullptr;
    QCheckBox* m_regex = nullptr;
};
