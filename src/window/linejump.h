// SPDX-License-Identifier: MIT
#pragma once

#include "view/lineplace.h"

class Dialogs;
class DocumentEditor;
class EditorFeatures;

/** 「指定行へジャンプ」 (Ctrl+G) and the place the command line names: the caret to a line and column. */
class LineJump final
{
public:
    LineJump(DocumentEditor& editor, EditorFeatures& features, Dialogs& dialogs);

    /** Asks for "line[:column]" and goes there; says so when the answer is not a line number. */
    void JumpClick();
    /** Moves the caret to @p place (clamped to the text), selecting its length; the position field and ruler follow. */
    void jumpTo(const LinePlace& place);

private:
    DocumentEditor& m_editor;
    EditorFeatures& m_features;
    Dialogs& m_dialogs;
};
