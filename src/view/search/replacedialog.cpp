// SPDX-License-Identifier: MIT
#include "replacedialog.h"

#include "searchtexts.h"

#include <QAction>
#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

namespace {
// Enough to go back over a session's searches without a long menu.
constexpr qsizetype kHistoryLength = 20;

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
    QAction* history = m_find->addAction(style()->standardIcon(QStyle::SP_ArrowDown), QLineEdit::TrailingPosition);
    history->setObjectName(QStringLiteral("FindHistory"));
    history->setToolTip(ReplaceDialogText::History);
    connect(history, &QAction::triggered, this, &ReplaceDialog::showHistory);
    m_historyMenu = new QMenu(this);
    m_historyMenu->setObjectName(QStringLiteral("FindHistoryMenu"));
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

void ReplaceDialog::rememberSearch()
{
    const SearchRequest now = request();
    if (now.findText.isEmpty())
        return;
    m_history.removeIf([&now](const PastSearch& past) { return past.findText == now.findText; });
    m_history.prepend({ now.findText, now.options });
    if (m_history.size() > kHistoryLength)
        m_history.resize(kHistoryLength);
}

QStringList ReplaceDialog::history() const
{
    QStringList texts;
    for (const PastSearch& past : m_history)
        texts.append(past.findText);
    return texts;
}

void ReplaceDialog::recallSearch(qsizetype index)
{
    if (index < 0 || index >= m_history.size())
        return;
    const PastSearch& past = m_history[index];
    m_find->setText(past.findText);
    m_matchCase->setChecked(past.options.matchCase);
    m_wholeWord->setChecked(past.options.wholeWord);
    m_regex->setChecked(past.options.regex);
}

void ReplaceDialog::showHistory()
{
    m_historyMenu->clear();
    if (m_history.isEmpty())
        m_historyMenu->addAction(ReplaceDialogText::HistoryEmpty)->setEnabled(false);
    for (qsizetype i = 0; i < m_history.size(); ++i) {
        const PastSearch& past = m_history[i];
        // A pattern is marked, so that "a.c" searched both ways can be told apart.
        QString caption = past.options.regex ? ReplaceDialogText::HistoryPattern.arg(past.findText) : past.findText;
        caption.replace(u'&', QStringLiteral("&&"));
        connect(m_historyMenu->addAction(caption), &QAction::triggered, this, [this, i] { recallSearch(i); });
    }
    m_historyMenu->popup(m_find->mapToGlobal(QPoint(0, m_find->height())));
}

void ReplaceDialog::showEvent(QShowEvent* event)
{
    setWindowTitle(kSearchTitle);
    QDialog::showEvent(event);
}
