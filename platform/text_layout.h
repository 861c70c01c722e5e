// Line layout for the text surface: a line split into runs of one bidi
// level, face and script, the runs put in visual order, each shaped with
// HarfBuzz, and the few most recent shaped lines kept with the font.
// Internal to platform/.
#pragma once

#include "platform/font_choice.h"

#include <string_view>

namespace ostrel::platform {

// The shaped line in visual order, from the font's few most recent lines when
// it is there; the result belongs to the font and stays valid until the next call.
const ShapedLine& ShapeLine(TextFont* font, std::u32string_view text, bool rightToLeft);

}  // namespace ostrel::platform
