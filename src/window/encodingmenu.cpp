// SPDX-License-Identifier: MIT
#include "encodingmenu.h"

#include "document/document.h"

#include "document/documentnames.h"
#include "document/editortexts.h"
#include "documentcontroller.h"
#include "formats/documentio.h"
#include "ui/errorreport.h"

#include <QAction>
#include <QActionGroup>
#include <QMenu>
#include <QWidget>

using namespace pemmo::formats;

Q_DECLARE_METATYPE(pemmo::formats::EncodingChoice)

EncodingMenu::EncodingMenu(DocumentController& documents, Dialogs& dialogs, QWidget* parent)
    : QObject(parent)
    , m_documents(documents)
    , m_dialogs(dialogs)
    , m_reopen(new QMenu(kReopenWithEncodingMenu, parent))
    , m_save(new QMenu(kSaveWithEncodingMenu, parent))
    , m_popup(new QMenu(parent))
    , m_encodingGroup(new QActionGroup(this))
    , m_lineEndingGroup(new QActionGroup(this))
    , m_reopenGroup(new QActionGroup(this))
{
    m_reopen->setObjectName(QStringLiteral("ReopenWithEncoding"));
    m_save->setObjectName(QStringLiteral("SaveWithEncoding"));
    m_popup->setObjectName(QStringLiteral("EncodingPopup"));
    // Asked for from within a save: the menu opens once that has ended.
    connect(
        &documents, &DocumentController::encodingChoiceWanted, this,
        [this, parent] { m_reopen->popup(parent->mapToGlobal(parent->rect().center())); }, Qt::QueuedConnection);
    // A UTF-16 file found without a BOM is not one of the choices: then no item is checked.
    m_encodingGroup->setExclusionPolicy(QActionGroup::ExclusionPolicy::ExclusiveOptional);

    // Reading has no BOM to choose: a BOM of the chosen encoding is recognised when it is there.
    for (const EncodingChoice& choice : offeredEncodings()) {
        if (choice.bom && choice.encoding == Encoding::Utf8)
            continue;
        QAction* action = m_reopen->addAction(encodingLabel(choice.encoding, false));
        // Marked as in the save menu: the user sees which reading is the current one.
        action->setCheckable(true);
        action->setData(int(choice.encoding));
        m_reopenGroup->addAction(action);
        const Encoding encoding = choice.encoding;
        connect(action, &QAction::triggered, this, [this, encoding] {
            runReported(m_dialogs, [this, encoding] { m_documents.reopenWithEncoding(encoding); });
        });
    }

    for (const EncodingChoice& choice : offeredEncodings()) {
        QAction* action = m_save->addAction(encodingLabel(choice.encoding, choice.bom));
        action->setCheckable(true);
        action->setData(QVariant::fromValue(choice));
        m_encodingGroup->addAction(action);
        connect(action, &QAction::triggered, this, [this, choice] {
            runReported(m_dialogs, [this, choice] {
                TextFormat format = m_documents.document().format();
                format.encoding = choice.encoding;
                format.bom = choice.bom;
                m_documents.saveWithFormat(format);
            });
            refresh();
        });
    }
    m_save->addSeparator();
    for (const LineEnding ending : kOfferedLineEndings) {
        QAction* action = m_save->addAction(kLineEndingItem.arg(lineEndingLabel(ending)));
        action->setCheckable(true);
        action->setData(int(ending));
        m_lineEndingGroup->addAction(action);
        connect(action, &QAction::triggered, this, [this, ending] {
            runReported(m_dialogs, [this, ending] {
                TextFormat format = m_documents.document().format();
                format.lineEnding = ending;
                // A chosen ending is for every line, also where the file's mixed breaks were kept.
                format.keptLineEndings = false;
                m_documents.saveWithFormat(format);
            });
            refresh();
        });
    }

    m_popupReopen = m_popup->addMenu(m_reopen);
    m_popupSave = m_popup->addMenu(m_save);
    for (QMenu* menu : { m_reopen, m_save, m_popup })
        connect(menu, &QMenu::aboutToShow, this, &EncodingMenu::refresh);
    refresh();
}

void EncodingMenu::refresh()
{
    const TextFormat format = m_documents.document().format();
    for (QAction* action : m_encodingGroup->actions()) {
        const auto choice = action->data().value<EncodingChoice>();
        action->setChecked(choice.encoding == format.encoding && choice.bom == format.bom);
    }
    for (QAction* action : m_lineEndingGroup->actions())
        action->setChecked(action->data().toInt() == int(format.lineEnding));
    for (QAction* action : m_reopenGroup->actions())
        action->setChecked(action->data().toInt() == int(format.encoding));
    // An RTF file is written as RTF whatever is chosen, and there is nothing to reopen without a file.
    const QString name = m_documents.currentFileName();
    const bool rtf = isRtfFileName(name);
    // The items rather than the submenus are disabled, so that opening a submenu still refreshes it.
    const bool reopenable = !rtf && !namesNoFile(name);
    for (QAction* action : m_reopen->actions())
        action->setEnabled(reopenable);
    for (QAction* action : m_save->actions())
        action->setEnabled(!rtf);
    for (QAction* action : { m_reopen->menuAction(), m_popupReopen })
        action->setEnabled(reopenable);
    for (QAction* action : { m_save->menuAction(), m_popupSave })
        action->setEnabled(!rtf);
}

void EncodingMenu::popup(const QPoint& globalPos)
{
    refresh();
    // Where there is no room above, the menu moves itself back onto the screen.
    m_popup->popup(globalPos - QPoint(0, m_popup->sizeHint().height()));
}

QString EncodingMenu::formatText(const TextFormat& format)
{
    return encodingLabel(format) + QStringLiteral("  ") + lineEndingLabel(format.lineEnding);
}
