// SPDX-License-Identifier: MIT
#include "linejump.h"

#include "document/documenteditor.h"
#include "editorfeatures.h"
#include "ui/dialogs.h"
#include "view/viewtexts.h"

LineJump::LineJump(DocumentEditor& editor, EditorFeatures& features, Dialogs& dialogs)
    : m_editor(editor)
    , m_features(features)
    , m_dialogs(dialogs)
{ }

void LineJump::JumpClick()
{
    const int line = m_editor.lineFromChar(m_editor.selectionStart()) + 1;
    const std::optional<QString> typed = m_dialogs.askText(kJumpCaption, kJumpPrompt, QString::number(line));
    if (!typed)
        return;
    const std::optional<LinePlace> place = parseLinePlace(*typed);
    if (!place) {
        m_dialogs.message(kJumpInvalid.arg(*typed), Dialogs::Icon::Warning);
        return;
    }
    jumpTo(*place);
    m_features.focusEditor();
}

void LineJump::jumpTo(const LinePlace& place)
{
    const qint64 lineCount = m_editor.lineCount();
    // The last line's end is the text's; every other ends before the next one's start, less its break.
    const auto lineStart = [this](qint64 line) { return qint64(m_editor.lineIndex(int(line))); };
    const auto lineLength = [this, lineCount, lineStart](qint64 line) {
        if (line + 1 < lineCount)
            return lineStart(line + 1) - lineStart(line) - 1;
        return qint64(m_editor.text().size()) - lineStart(line);
    };
    const PlaceInText target = placeInText(place, lineCount, lineStart, lineLength);
    m_features.setSelection(int(target.position), int(target.length));
}
