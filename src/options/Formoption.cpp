// SPDX-License-Identifier: MIT
#include "Formoption.h"

TFormOption::TFormOption(AppContext context, QWidget* parent)
    : QDialog(parent)
    , m_context(std::move(context))
{
    setObjectName(QStringLiteral("FormOption"));
    setWindowTitle(QStringLiteral("FormOption"));
}
