// SPDX-License-Identifier: MIT
#pragma once

#include "document/codelanguage.h"

#include <QColor>

class ScintillaView;

/**
 * Puts the component's own lexer for @p language on @p view, with a restrained palette drawn
 * over the user's text and background colours (which must already be the view's default
 * style). CodeLanguage::None takes colouring off. Only the display changes, never the text.
 */
void applyCodeColouring(ScintillaView& view, CodeLanguage language, const QColor& text, const QColor& background);
