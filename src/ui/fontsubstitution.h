// SPDX-License-Identifier: MIT
#pragma once

/**
 * Lets the stored Windows face names render with installed Japanese faces, so that
 * "ＭＳ ゴシック" keeps its name wherever it is stored or shown.
 */
void installFontSubstitutions();
