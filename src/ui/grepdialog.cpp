// SPDX-License-Identifier: MIT
#include "grepdialog.h"

#include "uitexts.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

QLineEdit* lineEdit(const char* name, const QString& text, QWidget* parent)
{
    auto* edit = new QLineEdit(text, parent);
    edit->setObjectName(QLatin1String(name));
    return edit;
}

QCheckBox* checkBox(const char* name, const QString& caption, bool checked, QWidget* parent)
{
    auto* box = new QCheckBox(caption, parent);
    box->setObjectName(QLatin1String(name));
    box->setChecked(checked);
    return box;
}

} // namespace

GrepDialog::GrepDialog(const GrepDialogFields& fields, QWidget* parent)
    : QDialog(parent)
    , m_fields(fields)
{
    setObjectName(QStringLiteral("GrepDialog"));
    setWindowTitle(GrepDialogText::Title);
    auto* form = new QFormLayout;
    m_pattern = lineEdit("GrepPattern", fields.pattern, this);
    m_pattern->setMinimumWidth(360);
    form->addRow(GrepDialogText::Pattern, m_pattern);
    m_replacement = lineEdit("GrepReplacement", fields.replacement, this);
    form->addRow(GrepDialogText::Replacement, m_replacement);
    m_mask = lineEdit("GrepMask", fields.fileMask, this);
    form->addRow(GrepDialogText::Mask, m_mask);
    m_folder = lineEdit("GrepFolder", fields.folder, this);
    auto* browseButton = new QPushButton(GrepDialogText::Browse, this);
    browseButton->setObjectName(QStringLiteral("GrepBrowse"));
    connect(browseButton, &QPushButton::clicked, this, &GrepDialog::browse);
    auto* folderRow = new QHBoxLayout;
    folderRow->addWidget(m_folder, 1);
    folderRow->addWidget(browseButton);
    // The row is a layout, which a label cannot lead to: its access key goes to the folder field.
    auto* folderLabel = new QLabel(GrepDialogText::Folder, this);
    folderLabel->setBuddy(m_folder);
    form->addRow(folderLabel, folderRow);
    m_excluded = lineEdit("GrepExcluded", fields.excludedFolders, this);
    form->addRow(GrepDialogText::Excluded, m_excluded);
    m_encoding = new QComboBox(this);
    m_encoding->setObjectName(QStringLiteral("GrepEncoding"));
    m_encoding->addItem(GrepDialogText::Automatic, QString());
    for (const QString& name : fields.encodings)
        m_encoding->addItem(name, name);
    m_encoding->setCurrentIndex(qMax(0, m_encoding->findData(fields.encoding)));
    form->addRow(GrepDialogText::Encoding, m_encoding);

    m_subfolders = checkBox("GrepSubfolders", GrepDialogText::Subfolders, fields.subfolders, this);
    m_case = checkBox("GrepCase", GrepDialogText::Case, fields.caseSensitive, this);
    m_word = checkBox("GrepWord", GrepDialogText::Word, fields.wholeWord, this);
    m_regex = checkBox("GrepRegex", GrepDialogText::Regex, fields.regex, this);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(GrepDialogText::Search);
    buttons->button(QDialogButtonBox::Ok)->setDefault(true); // Enter searches, never replaces
    connect(buttons, &QDialogButtonBox::accepted, this, [this] {
        m_replace = false;
        accept();
    });
    // Replacing asks again, naming the files and matches, before anything is written.
    QPushButton* replaceButton = buttons->addButton(GrepDialogText::Replace, QDialogButtonBox::ActionRole);
    replaceButton->setObjectName(QStringLiteral("GrepReplace"));
    connect(replaceButton, &QPushButton::clicked, this, [this] {
        m_replace = true;
        accept();
    });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    for (QCheckBox* box : { m_subfolders, m_case, m_word, m_regex })
        layout->addWidget(box);
    layout->addWidget(buttons);
}

GrepDialogFields GrepDialog::fields() const
{
    GrepDialogFields fields = m_fields;
    fields.pattern = m_pattern->text();
    fields.fileMask = m_mask->text();
    fields.folder = m_folder->text();
    fields.excludedFolders = m_excluded->text();
    fields.encoding = m_encoding->currentData().toString();
    fields.subfolders = m_subfolders->isChecked();
    fields.caseSensitive = m_case->isChecked();
    fields.wholeWord = m_word->isChecked();
    fields.regex = m_regex->isChecked();
    fields.replacement = m_replacement->text();
    fields.replace = m_replace;
    return fields;
}

void GrepDialog::browse()
{
    const QString folder = QFileDialog::getExistingDirectory(this, GrepDialogText::Folder, m_folder->text());
    if (!folder.isEmpty())
        m_folder->setText(folder);
}
