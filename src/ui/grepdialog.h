// SPDX-License-Identifier: MIT
#pragma once

#include "dialogs.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QLineEdit;

/** The Grep dialog's form: the fields of GrepDialogFields, each control under its own name. */
class GrepDialog final : public QDialog
{
    Q_OBJECT
public:
    explicit GrepDialog(const GrepDialogFields& fields, QWidget* parent = nullptr);
    GrepDialogFields fields() const;

private:
    void browse();

    GrepDialogFields m_fields;
    QLineEdit* m_pattern = nullptr;
    QLineEdit* m_replacement = nullptr;
    QLineEdit* m_mask = nullptr;
    QLineEdit* m_folder = nullptr;
    QLineEdit* m_excluded = nullptr;
    QComboBox* m_encoding = nullptr;
    QCheckBox* m_subfolders = nullptr;
    QCheckBox* m_case = nullptr;
    QCheckBox* m_word = nullptr;
    QCheckBox* m_regex = nullptr;
    bool m_replace = false;
};
