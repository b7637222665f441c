// SPDX-License-Identifier: MIT
#include "replacedialog.h"

#include "searchtexts.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
QPushButton* button(const QString& name, const QString& caption, QWidget* parent)
{
    auto* result = new QPushButton(caption, parent);
    result->setObjectName(name);
    result->setAutoDefault(false);
    return result;
}
} // namespace

ReplaceDialog::ReplaceDialog(QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("ReplaceDialog1"));
    setModal(false);
    setWindowTitle(kSearchTitle);

    m_find = new QLineEdit(this);
    m_find->setObjectName(QStringLiteral("FindText"));
    m_replace = new QLineEdit(this);
    m_replace->setObjectName(QStringLiteral("ReplaceText"));
    auto* findLabel = new QLabel(ReplaceDialogText::Find, this);
    findLabel->setBuddy(m_find);
    auto* replaceLabel = new QLabel(ReplaceDialogText::Replace, this);
    replaceLabel->setBuddy(m_replace);
    m_wholeWord = new QCheckBox(ReplaceDialogText::WholeWord, this);
    m_wholeWord->setObjectName(QStringLiteral("WholeWord"));
    m_matchCase = new QCheckBox(ReplaceDialogText::MatchCase, this);
    m_matchCase->setObjectName(QStringLiteral("MatchCase"));
    m_regex = new QCheckBox(ReplaceDialogText::Regex, this);
    m_regex->setObjectName(QStringLiteral("RegexBox"));

    QPushButton* findNext = button(QStringLiteral("FindNext"), ReplaceDialogText::FindNext, this);
    findNext->setDefault(true);
    QPushButton* replaceOne = button(QStringLiteral("Replace"), ReplaceDialogText::ReplaceOne, this);
    QPushButton* replaceAll = button(QStringLiteral("ReplaceAll"), ReplaceDialogText::ReplaceAll, this);
    QPushButton* cancel = button(QStringLiteral("Cancel"), ReplaceDialogText::Cancel, this);
    connect(findNext, &QPushButton::clicked, this, &ReplaceDialog::findNext);
    connect(replaceOne, &QPushButton::clicked, this, &ReplaceDialog::replace);
    connect(replaceAll, &QPushButton::clicked, this, &ReplaceDialog::replaceAll);
    connect(cancel, &QPushButton::clicked, this, &ReplaceDialog::hide);

    auto* fields = new QGridLayout;
    fields->addWidget(findLabel, 0, 0);
    fields->addWidget(m_find, 0, 1);
    fields->addWidget(replaceLabel, 1, 0);
    fields->addWidget(m_replace, 1, 1);
    fields->addWidget(m_wholeWord, 2, 0, 1, 2);
    auto* caseAndRegex = new QHBoxLayout;
    caseAndRegex->addWidget(m_matchCase);
    caseAndRegex->addWidget(m_regex);
    caseAndRegex->addStretch();
    fields->addLayout(caseAndRegex, 3, 0, 1, 2);
    auto* buttons = new QVBoxLayout;
    for (QPushButton* each : { findNext, replaceOne, replaceAll, cancel })
        buttons->addWidget(each);
    buttons->addStretch();
    auto* layout = new QHBoxLayout(this);
    layout->addLayout(fields, 1);
    layout->addLayout(buttons);
}

SearchRequest ReplaceDialog::request() const
{
    return SearchRequest { .findText = m_find->text(),
                           .replaceText = m_replace->text(),
                           .options = { .matchCase = m_matchCase->isChecked(),
                                        .wholeWord = m_wholeWord->isChecked(),
                                        .regex = m_regex->isChecked() } };
}

void ReplaceDialog::showEvent(QShowEvent* event)
{
    setWindowTitle(kSearchTitle);
    QDialog::showEvent(event);
}
