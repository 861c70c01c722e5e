// Line layout on FriBidi (levels) and HarfBuzz (scripts and shaping), with a
// cache of each font's most recent shaped lines.
#include "platform/text_layout.h"

#include <fribidi.h>

#include <algorithm>
#include <memory>
#include <utility>
#include <vector>

namespace ostrel::platform {

namespace {

constexpr std::size_t MaxCachedLines = 8;

struct HbBufferCloser {
    void operator()(hb_buffer_t* buffer) const { hb_buffer_destroy(buffer); }
};

// The one buffer every run is shaped in.
hb_buffer_t* ShapingBuffer() {
    static const std::unique_ptr<hb_buffer_t, HbBufferCloser> buffer(hb_buffer_create());
    return buffer.get();
}

bool IsRealScript(hb_script_t script) {
    return script != HB_SCRIPT_COMMON && script != HB_SCRIPT_INHERITED && script != HB_SCRIPT_UNKNOWN;
}

// A stretch of the line in logical order with one level, face and script.
struct TextRun {
    std::size_t start = 0;
    std::size_t length = 0;
    FriBidiLevel level = 0;
    std::size_t face = 0;
    hb_script_t script = HB_SCRIPT_COMMON;
};

// Per-character scripts, neutral characters taking the script around them.
std::vector<hb_script_t> ResolveScripts(std::u32string_view text) {
    hb_unicode_funcs_t* unicode = hb_unicode_funcs_get_default();
    std::vector<hb_script_t> scripts(text.size(), HB_SCRIPT_COMMON);
    hb_script_t current = HB_SCRIPT_COMMON;
    for (std::size_t i = 0; i < text.size(); ++i) {
        hb_script_t script = hb_unicode_script(unicode, text[i]);
        if (IsRealScript(script)) current = script;
        scripts[i] = current;
    }
    hb_script_t following = HB_SCRIPT_COMMON;
    for (std::size_t i = text.size(); i-- > 0;) {
        if (IsRealScript(scripts[i])) following = scripts[i];
        else scripts[i] = following;
    }
    return scripts;
}

// Bidi levels of the line as one paragraph of the given direction.
std::vector<FriBidiLevel> ResolveLevels(std::u32string_view text, bool rightToLeft) {
    auto length = static_cast<FriBidiStrIndex>(text.size());
    std::vector<FriBidiChar> chars(text.begin(), text.end());
    std::vector<FriBidiCharType> types(text.size());
    std::vector<FriBidiBracketType> brackets(text.size());
    std::vector<FriBidiLevel> levels(text.size(), rightToLeft ? 1 : 0);
    fribidi_get_bidi_types(chars.data(), length, types.data());
    fribidi_get_bracket_types(chars.data(), length, types.data(), brackets.data());
    FriBidiParType direction = rightToLeft ? FRIBIDI_PAR_RTL : FRIBIDI_PAR_LTR;
    if (fribidi_get_par_embedding_levels_ex(types.data(), brackets.data(), length, &direction,
                                            levels.data()) == 0)
        std::fill(levels.begin(), levels.end(), rightToLeft ? 1 : 0);
    return levels;
}

// Splits the line into runs of one level, face and script, in logical order.
std::vector<TextRun> SplitRuns(TextFont* font, std::u32string_view text, bool rightToLeft) {
    std::vector<FriBidiLevel> levels = ResolveLevels(text, rightToLeft);
    std::vector<hb_script_t> scripts = ResolveScripts(text);
    std::vector<TextRun> runs;
    std::size_t face = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (!IsInvisible(text[i])) face = FaceForChar(font, text[i]);
        if (!runs.empty() && runs.back().level == levels[i] && runs.back().face == face &&
            runs.back().script == scripts[i]) {
            ++runs.back().length;
        } else {
            runs.push_back({i, 1, levels[i], face, scripts[i]});
        }
    }
    return runs;
}

// Puts the runs in visual order: from the highest level down to the lowest
// odd one, every sequence of runs at that level or above is reversed.
void ReorderRuns(std::vector<TextRun>* runs) {
    if (runs->empty()) return;
    FriBidiLevel highest = 0;
    FriBidiLevel lowestOdd = 255;
    for (const TextRun& run : *runs) {
        highest = std::max(highest, run.level);
        if (run.level & 1) lowestOdd = std::min(lowestOdd, run.level);
    }
    for (int level = highest; level >= lowestOdd && level > 0; --level) {
        auto it = runs->begin();
        while (it != runs->end()) {
            if (it->level < level) { ++it; continue; }
            auto end = std::find_if(it, runs->end(), [&](const TextRun& r) { return r.level < level; });
            std::reverse(it, end);
            it = end;
        }
    }
}

// Shapes one run and appends its glyphs at the pen, which it advances.
void ShapeRun(TextFont* font, std::u32string_view text, const TextRun& run, ShapedLine* line) {
    hb_buffer_t* buffer = ShapingBuffer();
    const FaceSlot& slot = *font->faces[run.face];
    hb_buffer_clear_contents(buffer);
    hb_buffer_add_utf32(buffer, reinterpret_cast<const std::uint32_t*>(text.data()),
                        static_cast<int>(text.size()), static_cast<unsigned>(run.start),
                        static_cast<int>(run.length));
    hb_buffer_set_direction(buffer, (run.level & 1) ? HB_DIRECTION_RTL : HB_DIRECTION_LTR);
    hb_buffer_set_script(buffer, run.script);
    if (!font->language.empty())
        hb_buffer_set_language(buffer, hb_language_from_string(font->language.c_str(), -1));
    hb_buffer_guess_segment_properties(buffer);
    hb_shape(slot.shaper.get(), buffer, nullptr, 0);

    unsigned count = 0;
    hb_glyph_info_t* infos = hb_buffer_get_glyph_infos(buffer, &count);
    hb_glyph_position_t* positions = hb_buffer_get_glyph_positions(buffer, &count);
    for (unsigned i = 0; i < count; ++i) {
        line->glyphs.push_back({run.face, infos[i].codepoint, line->advance + positions[i].x_offset,
                                positions[i].y_offset});
        line->advance += positions[i].x_advance;
        if (positions[i].x_advance != 0) line->advance += slot.boldAdvance;
    }
}

}  // namespace

// The shaped line, from the font's few most recent lines when it is there.
const ShapedLine& ShapeLine(TextFont* font, std::u32string_view text, bool rightToLeft) {
    auto& recent = font->recentLines;
    for (auto it = recent.begin(); it != recent.end(); ++it) {
        if (it->rightToLeft == rightToLeft && it->text == text) {
            recent.splice(recent.begin(), recent, it);
            return recent.front();
        }
    }
    ShapedLine line;
    line.text = text;
    line.rightToLeft = rightToLeft;
    std::vector<TextRun> runs = SplitRuns(font, text, rightToLeft);
    ReorderRuns(&runs);
    for (const TextRun& run : runs) ShapeRun(font, text, run, &line);
    recent.push_front(std::move(line));
    if (recent.size() > MaxCachedLines) recent.pop_back();
    return recent.front();
}

}  // namespace ostrel::platform
