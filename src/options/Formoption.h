// SPDX-License-Identifier: MIT
#pragma once

#include "app/appcontext.h"

#include <QDialog>

/** The options window: tab width and colours. Hidden until the user asks for it. */
class TFormOption final : public QDialog
{
    Q_OBJECT
public:
    explicit TFormOption(AppContext context, QWidget* parent = nullptr);

private:
    AppContext m_context;
};
