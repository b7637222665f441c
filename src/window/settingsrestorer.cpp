// SPDX-License-Identifier: MIT
#include "settingsrestorer.h"

#include "document/documenteditor.h"
#include "document/tabstops.h"
#include "editorsettings.h"
#include "launcher/editorlaunch.h"
#include "mainformui.h"
#include "settings/registrysequence.h"
#include "settings/settingstable.h"

#include <QAction>
#include <QFrame>
#include <QMainWindow>

void setOuterGeometry(QWidget& window, const QRect& outer)
{
    const QSize frameExtra = window.frameGeometry().size() - window.geometry().size();
    window.move(outer.topLeft());
    window.resize(outer.size() - frameExtra);
}

SettingsRestorer::SettingsRestorer(QMainWindow& window, const RestoredControls& controls, QRect screen,
                                   bool withCommandLineFile, QList<QRect> otherEditors)
    : m_window(window)
    , m_ui(controls)
    , m_screen(screen)
    , m_withFile(withCommandLineFile)
    , m_otherEditors(std::move(otherEditors))
{ }

QString SettingsRestorer::run()
{
    QString fallbackFailure;
    runRegistrySequence(OpenMode::OpenCreating, [&](SettingsKey& key) {
        try {
            restore(key);
        } catch (const RegistryError&) {
            try {
                fallBack(key);
            } catch (const RegistryError& error) {
                fallbackFailure = QString::fromStdString(error.what());
            }
        }
    });
    return fallbackFailure;
}

void SettingsRestorer::restore(SettingsKey& key)
{
    readValues(key);
    if (m_withFile)
        key.writeInteger(Reg::MIno, 1);
    applyEditorLook();
    stepPastOtherEditors(key);
    if (clampPosition(key)) {
        // Back in the corner, maybe over another editor: step once more, and give up if even that does not fit.
        stepPastOtherEditors(key);
        clampPosition(key);
    }
    applyWindow();
}

void SettingsRestorer::readValues(SettingsKey& key)
{
    m_recentFiles = readRecentList(key, &Reg::mru);
    m_recentFolders = readRecentList(key, &Reg::mmm);
    m_fontColour = StoredColour(key.readInteger(Reg::MFontCol));
    m_background = StoredColour(readNumberSetting(key, Reg::MBkCol));
    m_fontSize = key.readInteger(Reg::MFontSize);
    m_filterIndex = readNumberSetting(key, Reg::MFindexNo1);
    m_fontName = key.readString(Reg::MFontName);
    m_option = key.readBool(Reg::MOption);
    m_bold = key.readBool(Reg::MFontStyleB);
    m_italic = key.readBool(Reg::MFontStyleI);
    m_underline = key.readBool(Reg::MFontStyleU);
    m_strikeOut = key.readBool(Reg::MFontStyleS);
    m_tabWidth = readNumberSetting(key, Reg::MTab);

    // Centring measures the window as it stands now, at its designed size.
    const QRect current = m_window.frameGeometry();
    m_top = key.valueExists(Reg::MTop) ? key.readInteger(Reg::MTop) : m_screen.height() / 2 - current.height() / 2;
    m_left = key.valueExists(Reg::MLeft) ? key.readInteger(Reg::MLeft) : m_screen.width() / 2 - current.width() / 2;
    m_height = key.valueExists(Reg::MHeight) ? key.readInteger(Reg::MHeight) : current.height();
    m_width = key.valueExists(Reg::MWidth) ? key.readInteger(Reg::MWidth) : current.width();
    m_toolBar = readSwitchSetting(key, Reg::MCoolBarVewF);
    // The line-number switch takes effect at once, even if a later step falls back.
    m_ui.VG->setChecked(readSwitchSetting(key, Reg::MVG));
}

void SettingsRestorer::applyEditorLook()
{
    DocumentEditor* editor = m_ui.RichEdit2;
    editor->setBackgroundColour(m_background);
    editor->setTextColour(m_fontColour);
    QFont font = editor->editorFont();
    if (m_fontSize > 0)
        font.setPointSize(m_fontSize);
    if (!m_fontName.isEmpty())
        font.setFamily(m_fontName);
    editor->setEditorFont(font);

    m_tabWidth = effectiveTabWidth(m_tabWidth);
    editor->setTabStops(tabStopPoints(m_tabWidth, fontPoints(editor->editorFont(), editor->logicalDpiY())));
    editor->setModified(false);
}

void SettingsRestorer::stepPastOtherEditors(SettingsKey& key)
{
    // However the editor was started, it does not open exactly over another one: it takes the
    // cascade steps the launcher's menu takes, and stores them so the next start goes on from there.
    const int steps = cascadeStepsPast(QPoint(m_left, m_top), m_otherEditors);
    if (steps == 0)
        return;
    m_top += kCascadeStep * steps;
    m_left += kCascadeStep * steps;
    key.writeInteger(Reg::MTop, m_top);
    key.writeInteger(Reg::MLeft, m_left);
}

bool SettingsRestorer::clampPosition(SettingsKey& key)
{
    // The test uses the designed size, not the restored one.
    const QRect current = m_window.frameGeometry();
    if (m_screen.height() - 30 < current.height() + m_top || m_screen.width() - 30 < current.width() + m_left) {
        m_top = 20;
        m_left = 20;
        key.writeInteger(Reg::MLeft, 20);
        key.writeInteger(Reg::MTop, 20);
        return true;
    }
    return false;
}

void SettingsRestorer::applyWindow()
{
    m_outer = QRect(m_left, m_top, m_width, m_height);
    setOuterGeometry(m_window, m_outer);
    m_ui.CoolBar1->setVisible(m_toolBar);
    m_ui.CoolBarVew->setChecked(m_toolBar);
    m_ui.OP_str->setChecked(m_option);

    QFont font = m_ui.RichEdit2->editorFont();
    font.setBold(m_bold);
    font.setItalic(m_italic);
    font.setUnderline(m_underline);
    font.setStrikeOut(m_strikeOut);
    m_ui.RichEdit2->setEditorFont(font);
}

void SettingsRestorer::fallBack(SettingsKey& key)
{
    DocumentEditor* editor = m_ui.RichEdit2;
    QFont designed(kDefaultFontName);
    designed.setStyleHint(QFont::TypeWriter);
    designed.setPixelSize(kWindowFontPixels);
    editor->setEditorFont(designed);
    editor->setTextColour(StoredColour(kWindowTextColour));

    writeFont(key, StoredFont::from(designed, StoredColour(kWindowTextColour), editor->logicalDpiY()));
    key.writeInteger(Reg::MTop, m_top + 20);
    key.writeInteger(Reg::MLeft, m_left + 20);
}
