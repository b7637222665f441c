// SPDX-License-Identifier: MIT
#include "Formoption.h"

#include "colourswatch.h"
#include "document/documenteditor.h"
#include "optionshost.h"
#include "optionstexts.h"
#include "settings/settingstable.h"
#include "settings/settingstexts.h"
#include "ui/dialogs.h"
#include "ui/errorreport.h"
#include "ui/windowplacement.h"

#include <QFontInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShortcut>
#include <QTabBar>

namespace {
// The box accepts no width below the default, as its message says.
constexpr int kMinimumTabWidth = kDefaultTabWidth;
}

TFormOption::TFormOption(AppContext context, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint)
    , m_context(std::move(context))
{
    setObjectName(QStringLiteral("FormOption"));
    setWindowTitle(kOptionsWindowTitle);
    setFont(QFont(kOptionsFace, 9));
    setFixedSize(406, 304);
    // Esc closes the window, as it does every dialog.
    new QShortcut(QKeySequence(Qt::Key_Escape), this, this, &QWidget::close, Qt::WidgetWithChildrenShortcut);

    TabControl1 = new QTabBar(this);
    TabControl1->setObjectName(QStringLiteral("TabControl1"));
    TabControl1->addTab(kDefaultsTab);
    TabControl1->addTab(kDesignTab);
    TabControl1->setGeometry(8, 8, 390, 26);

    Label1 = new QLabel(this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setGeometry(32, 60, 80, 22);
    Memo1 = new QLineEdit(this);
    Memo1->setObjectName(QStringLiteral("Memo1"));
    Memo1->setMaxLength(2);
    Memo1->setAlignment(Qt::AlignRight);
    Memo1->setGeometry(120, 58, 40, 24);
    Label2 = new QLabel(kBackgroundColourLabel, this);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->setGeometry(32, 110, 80, 22);
    Panel1 = new ColourSwatch(QStringLiteral("Panel1"), this);
    Panel1->setGeometry(120, 56, 100, 28);
    Panel2 = new ColourSwatch(QStringLiteral("Panel2"), this);
    Panel2->setGeometry(120, 106, 100, 28);
    Button1 = new QPushButton(kApplyButton, this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setGeometry(300, 256, 90, 30);

    connect(TabControl1, &QTabBar::currentChanged, this, &TFormOption::TabControl1Change);
    connect(Panel1, &ColourSwatch::clicked, this, &TFormOption::Panel1Click);
    connect(Panel2, &ColourSwatch::clicked, this, &TFormOption::Panel2Click);
    connect(Button1, &QPushButton::clicked, this, &TFormOption::Button1Click);
    FormCreate();
}

TFormOption::~TFormOption() = default;

void TFormOption::FormCreate()
{
    Label1->setText(kTabWidthLabel);
    TabControl1Change();
}

void TFormOption::TabControl1Change()
{
    const bool defaults = TabControl1->currentIndex() == 0;
    Label1->setText(defaults ? kTabWidthLabel : kTextColourLabel);
    Memo1->setVisible(defaults);
    Label2->setVisible(!defaults);
    Panel1->setVisible(!defaults);
    Panel2->setVisible(!defaults);
}

void TFormOption::FOClick()
{
    Q_ASSERT(m_host);
    const DocumentEditor& editor = m_host->documentEditor();
    Panel1->setColour(editor.textColour().toColour(editor.palette()));
    Panel2->setColour(editor.backgroundColour().toColour(editor.palette()));
    // Over the editor it was asked from, wholly on the screen.
    if (!isVisible())
        placeWindowOver(*this, &editor, m_context.screenGeometry ? m_context.screenGeometry() : QRect());
    show();
    raise();
    activateWindow();
    // The width read when the editor window was created, not one applied since.
    Memo1->setText(QString::number(m_host->tabWidth()));
    Memo1->setFocus();
}

void TFormOption::Panel1Click()
{
    chooseColour(Panel1, true);
}

void TFormOption::Panel2Click()
{
    chooseColour(Panel2, false);
}

void TFormOption::chooseColour(ColourSwatch* swatch, bool text)
{
    Q_ASSERT(m_host);
    const std::optional<QColor> chosen = m_context.dialogs.chooseColour(swatch->colour());
    if (!chosen)
        return;
    swatch->setColour(*chosen);
    DocumentEditor& editor = m_host->documentEditor();
    if (text)
        editor.setTextColour(StoredColour::fromColour(*chosen));
    else
        editor.setBackgroundColour(StoredColour::fromColour(*chosen));
    storeOptions();
}

std::optional<int> TFormOption::tabWidthFromBox()
{
    bool ok = false;
    const int width = Memo1->text().trimmed().toInt(&ok, 10);
    if (!ok) {
        m_context.dialogs.message(kTabWidthNotANumber, Dialogs::Icon::Warning);
        return std::nullopt;
    }
    return width;
}

void TFormOption::Button1Click()
{
    Q_ASSERT(m_host);
    std::optional<int> width = tabWidthFromBox();
    if (!width)
        return;
    if (*width < kMinimumTabWidth) {
        width = kMinimumTabWidth;
        Memo1->setText(QString::number(kMinimumTabWidth));
        m_context.dialogs.message(kTabWidthTooSmall);
    }
    DocumentEditor& editor = m_host->documentEditor();
    // A font sized in pixels still has a size in points for the stops.
    // A display setting: the text's modified flag is none of its business.
    editor.setTabStops(tabStopPoints(*width, QFontInfo(editor.editorFont()).pointSize()));
    if (storeOptions())
        m_context.dialogs.message(kSettingsChanged);
}

bool TFormOption::storeOptions()
{
    const DocumentEditor& editor = m_host->documentEditor();
    bool boxIsNumber = true;
    const SequenceResult result = runRegistrySequence(
        m_context.dialogs, OpenMode::OpenCreating, kRegistryWriteFailed, [&](SettingsKey& key) {
            key.writeInteger(Reg::MFontCol, editor.textColour().value());
            key.writeInteger(Reg::MBkCol, editor.backgroundColour().value());
            // A colour choice stores whatever number stands in the box, unchecked.
            bool ok = false;
            const int width = Memo1->text().trimmed().toInt(&ok, 10);
            boxIsNumber = ok;
            if (ok)
                key.writeInteger(Reg::MTab, width);
        });
    if (result.opened && !boxIsNumber)
        m_context.dialogs.message(kTabWidthNotANumber, Dialogs::Icon::Warning);
    return !result.failed() && boxIsNumber;
}
