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
    const QString text = m_editor.text();
    // The last line's end is the text's; every other ends before the next one's start, less its break.
    const auto lineStart = [this](qint64 line) { return qint64(m_editor.lineIndex(int(line))); };
    const auto lineLength = [lineCount, lineStart, &text](qint64 line) {
        if (line + 1 < lineCount)
            return lineStart(line + 1) - lineStart(line) - 1;
        return qint64(text.size()) - lineStart(line);
    };
    // The place counts characters; the editor's positions are UTF-16 units.
    const qint64 line = qBound<qint64>(0, place.line - 1, qMax<qint64>(0, lineCount - 1));
    const QStringView lineText = QStringView(text)
                                     .sliced(qMin<qint64>(lineStart(line), text.size()))
                                     .first(qBound<qint64>(0, lineLength(line),
                                                           text.size() - qMin<qint64>(lineStart(line), text.size())));
    LinePlace units = place;
    units.column = unitsForCharacters(lineText, 0, place.column - 1) + 1;
    units.length = unitsForCharacters(lineText, units.column - 1, place.length);
    const PlaceInText target = placeInText(units, lineCount, lineStart, lineLength);
    m_features.setSelection(int(target.position), int(target.length));
}
