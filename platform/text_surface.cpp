// The text drawing surface on FreeType (monochrome glyphs), HarfBuzz
// (shaping), FriBidi (reading order) and fontconfig (face choice and
// fallback faces for characters the chosen face lacks).
#include "platform/text_surface.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_SYNTHESIS_H
#include FT_TRUETYPE_TABLES_H
#include <fontconfig/fontconfig.h>
#include <fribidi.h>
#include <hb-ft.h>
#include <hb.h>

#include <algorithm>
#include <cstring>
#include <list>
#include <map>
#include <memory>
#include <new>
#include <unordered_map>
#include <utility>

namespace ostrel::platform {

namespace {

constexpr std::int32_t DefaultCellHeight = 16;
constexpr std::int32_t RegularWeight = 400;
constexpr std::int32_t SemiBoldWeight = 600;
constexpr std::int32_t MaxWeight = 1000;
constexpr std::int32_t MaxEmPixels = 2048;
constexpr std::uint8_t Ink = 255;
constexpr std::uint8_t MonoInkThreshold = 128;  // for the rare grey glyph bitmap
constexpr std::size_t MaxCachedFonts = 16;
constexpr std::size_t MaxCachedLines = 8;
constexpr std::size_t MaxCachedGlyphs = 8192;
constexpr FT_Pos OnePixel = 64;                 // 26.6 fixed point
constexpr FT_Pos EmboldenDivisor = 24;          // synthesised bold thickens by em / 24
constexpr double StrikeOutEmFraction = 0.26;    // strike-out height without an OS/2 table
constexpr std::uint16_t NoOs2Version = 0xFFFF;
constexpr FT_Int32 GlyphLoadFlags = FT_LOAD_TARGET_MONO | FT_LOAD_NO_BITMAP;

// Rounds a 26.6 value to whole pixels.
std::int32_t RoundPixels(FT_Pos value) {
    return static_cast<std::int32_t>((value + OnePixel / 2) >> 6);
}

struct FaceCloser {
    void operator()(FT_Face face) const { FT_Done_Face(face); }
};
struct HbFontCloser {
    void operator()(hb_font_t* font) const { hb_font_destroy(font); }
};
struct HbBufferCloser {
    void operator()(hb_buffer_t* buffer) const { hb_buffer_destroy(buffer); }
};
struct FcPatternCloser {
    void operator()(FcPattern* pattern) const { FcPatternDestroy(pattern); }
};
struct FcFontSetCloser {
    void operator()(FcFontSet* set) const { FcFontSetDestroy(set); }
};
using FcPatternPtr = std::unique_ptr<FcPattern, FcPatternCloser>;

// One rendered glyph: ink bytes (0 or 1), placed relative to the pen on the baseline.
struct GlyphBitmap {
    std::int32_t left = 0;
    std::int32_t top = 0;  // rows above the baseline
    std::int32_t width = 0;
    std::int32_t rows = 0;
    std::vector<std::uint8_t> ink;
};

// One opened face file at the font's size, with its synthesised styles.
struct FaceSlot {
    std::string file;
    int index = 0;
    std::unique_ptr<FT_FaceRec_, FaceCloser> face;
    std::unique_ptr<hb_font_t, HbFontCloser> shaper;
    bool embolden = false;
    bool oblique = false;
    FT_Pos boldAdvance = 0;  // 26.6 added to each advance of a synthesised bold
    std::unordered_map<std::uint32_t, GlyphBitmap> glyphs;
};

// One glyph of a shaped line: face slot, glyph index, pen position (26.6).
struct PlacedGlyph {
    std::size_t face = 0;
    std::uint32_t glyph = 0;
    FT_Pos x = 0;
    FT_Pos y = 0;  // up from the baseline
};

struct ShapedLine {
    std::u32string text;
    bool rightToLeft = false;
    std::vector<PlacedGlyph> glyphs;
    FT_Pos advance = 0;
};

// A horizontal stroke (underline, strike-out): top row below the baseline.
struct Stroke {
    std::int32_t top = 0;
    std::int32_t thickness = 0;
};

}  // namespace

struct TextFont {
    FontRequest request;
    std::string language;  // fontconfig / HarfBuzz language of the character set
    FT_F26Dot6 emSize = 0;
    std::int32_t ascent = 0;
    std::int32_t cellHeight = 0;
    Stroke underline;
    Stroke strikeOut;
    std::vector<std::unique_ptr<FaceSlot>> faces;  // the chosen face first, then fallbacks
    std::unordered_map<char32_t, std::size_t> fallbackOf;
    std::list<ShapedLine> recentLines;  // most recent first
};

namespace {

struct FtLibraryCloser {
    void operator()(FT_Library library) const { FT_Done_FreeType(library); }
};

// The process-wide font machinery; the library outlives the fonts cached with it.
struct FontSystem {
    std::unique_ptr<FT_LibraryRec_, FtLibraryCloser> library;
    std::map<std::string, std::unique_ptr<TextFont>> fonts;
    std::unique_ptr<hb_buffer_t, HbBufferCloser> buffer;
};

FontSystem& Fonts() {
    static FontSystem system = [] {
        FontSystem created;
        FT_Library library = nullptr;
        if (FT_Init_FreeType(&library) == 0) created.library.reset(library);
        created.buffer.reset(hb_buffer_create());
        FcInit();
        return created;
    }();
    return system;
}

// The fontconfig language that stands for a Windows character set.
const char* LanguageOfCharSet(std::uint8_t charSet) {
    static const std::map<std::uint8_t, const char*> languages = {
        {128, "ja"}, {129, "ko"}, {134, "zh-cn"}, {136, "zh-tw"}, {161, "el"},
        {162, "tr"}, {177, "he"}, {178, "ar"},    {204, "ru"},    {222, "th"}};
    auto found = languages.find(charSet);
    return found == languages.end() ? "" : found->second;
}

std::string CacheKey(const FontRequest& request) {
    return request.faceName + '\n' + std::to_string(request.height) + ',' +
           std::to_string(request.weight) + ',' + std::to_string(request.italic) +
           std::to_string(request.underline) + std::to_string(request.strikeOut) + ',' +
           std::to_string(request.charSet);
}

std::int32_t EffectiveWeight(const FontRequest& request) {
    return request.weight <= 0 ? RegularWeight : std::min(request.weight, MaxWeight);
}

// A fontconfig pattern for the request, substituted and ready to match.
FcPatternPtr RequestPattern(const TextFont& font, const FcCharSet* mustCover) {
    FcPatternPtr pattern(FcPatternCreate());
    if (!pattern) return pattern;
    const FontRequest& request = font.request;
    if (!request.faceName.empty())
        FcPatternAddString(pattern.get(), FC_FAMILY,
                           reinterpret_cast<const FcChar8*>(request.faceName.c_str()));
    FcPatternAddInteger(pattern.get(), FC_WEIGHT, FcWeightFromOpenType(EffectiveWeight(request)));
    FcPatternAddInteger(pattern.get(), FC_SLANT, request.italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
    FcPatternAddBool(pattern.get(), FC_SCALABLE, FcTrue);
    if (!font.language.empty())
        FcPatternAddString(pattern.get(), FC_LANG,
                           reinterpret_cast<const FcChar8*>(font.language.c_str()));
    if (mustCover) FcPatternAddCharSet(pattern.get(), FC_CHARSET, mustCover);
    FcConfigSubstitute(nullptr, pattern.get(), FcMatchPattern);
    FcDefaultSubstitute(pattern.get());
    return pattern;
}

bool FileOfPattern(FcPattern* pattern, std::string* file, int* index) {
    FcChar8* path = nullptr;
    if (FcPatternGetString(pattern, FC_FILE, 0, &path) != FcResultMatch || !path) return false;
    *file = reinterpret_cast<const char*>(path);
    if (FcPatternGetInteger(pattern, FC_INDEX, 0, index) != FcResultMatch) *index = 0;
    return true;
}

// The OS/2 Windows ascent and descent in font units, or the hhea values.
std::pair<FT_Long, FT_Long> WinAscentDescent(FT_Face face) {
    auto* os2 = static_cast<TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
    if (os2 && os2->version != NoOs2Version && os2->usWinAscent + os2->usWinDescent > 0)
        return {os2->usWinAscent, os2->usWinDescent};
    return {face->ascender, -face->descender};
}

// The em size in 26.6 pixels for the request's height on this face.
FT_F26Dot6 EmSizeFor(FT_Face face, std::int32_t height) {
    std::int64_t cell = height == 0 ? DefaultCellHeight : height;
    if (cell < 0) return std::clamp<std::int64_t>(-cell, 1, MaxEmPixels) * OnePixel;
    auto [ascent, descent] = WinAscentDescent(face);
    std::int64_t cellUnits = std::max<std::int64_t>(ascent + descent, 1);
    std::int64_t em = (std::min<std::int64_t>(cell, MaxEmPixels) * OnePixel * face->units_per_EM +
                       cellUnits / 2) / cellUnits;
    return std::clamp<std::int64_t>(em, OnePixel, MaxEmPixels * OnePixel);
}

// Opens a face file at the font's em size, deciding what style it must synthesise.
std::unique_ptr<FaceSlot> OpenFaceSlot(const TextFont& font, const std::string& file, int index,
                                       FT_F26Dot6 emSize) {
    FT_Face face = nullptr;
    FT_Library library = Fonts().library.get();
    if (!library || FT_New_Face(library, file.c_str(), index, &face) != 0) return nullptr;
    auto slot = std::make_unique<FaceSlot>();
    slot->face.reset(face);
    slot->file = file;
    slot->index = index;
    if (!FT_IS_SCALABLE(face) || FT_Set_Char_Size(face, 0, emSize, 72, 72) != 0) return nullptr;
    slot->embolden = EffectiveWeight(font.request) >= SemiBoldWeight &&
                     !(face->style_flags & FT_STYLE_FLAG_BOLD);
    slot->oblique = font.request.italic && !(face->style_flags & FT_STYLE_FLAG_ITALIC);
    if (slot->embolden) {
        FT_Pos strength = FT_MulFix(face->units_per_EM, face->size->metrics.y_scale) / EmboldenDivisor;
        slot->boldAdvance = std::max(OnePixel, (strength + OnePixel / 2) & ~(OnePixel - 1));
    }
    slot->shaper.reset(hb_ft_font_create_referenced(face));
    hb_ft_font_set_load_flags(slot->shaper.get(), GlyphLoadFlags);
    return slot;
}

// Cell, underline and strike-out metrics from the chosen face.
void SetFontMetrics(TextFont* font) {
    FT_Face face = font->faces.front()->face.get();
    FT_Fixed scale = face->size->metrics.y_scale;
    auto [ascent, descent] = WinAscentDescent(face);
    font->ascent = RoundPixels(FT_MulFix(ascent, scale));
    font->cellHeight = RoundPixels(FT_MulFix(ascent + descent, scale));

    std::int32_t underlineThickness = std::max(1, RoundPixels(FT_MulFix(face->underline_thickness, scale)));
    std::int32_t underlineCentre = -RoundPixels(FT_MulFix(face->underline_position, scale));
    font->underline = {underlineCentre - underlineThickness / 2, underlineThickness};

    auto* os2 = static_cast<TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
    if (os2 && os2->version != NoOs2Version && os2->yStrikeoutSize > 0) {
        font->strikeOut = {-RoundPixels(FT_MulFix(os2->yStrikeoutPosition, scale)),
                           std::max(1, RoundPixels(FT_MulFix(os2->yStrikeoutSize, scale)))};
    } else {
        font->strikeOut = {-static_cast<std::int32_t>(StrikeOutEmFraction * font->emSize / OnePixel),
                           underlineThickness};
    }
}

std::unique_ptr<TextFont> CreateTextFont(const FontRequest& request) {
    auto font = std::make_unique<TextFont>();
    font->request = request;
    font->language = LanguageOfCharSet(request.charSet);
    FcPatternPtr pattern = RequestPattern(*font, nullptr);
    if (!pattern) return nullptr;
    FcResult result = FcResultNoMatch;
    FcPatternPtr match(FcFontMatch(nullptr, pattern.get(), &result));
    std::string file;
    int index = 0;
    if (!match || !FileOfPattern(match.get(), &file, &index)) return nullptr;

    FT_Face probe = nullptr;
    if (!Fonts().library || FT_New_Face(Fonts().library.get(), file.c_str(), index, &probe) != 0)
        return nullptr;
    font->emSize = EmSizeFor(probe, request.height);
    FT_Done_Face(probe);

    auto slot = OpenFaceSlot(*font, file, index, font->emSize);
    if (!slot) return nullptr;
    font->faces.push_back(std::move(slot));
    SetFontMetrics(font.get());
    return font;
}

bool FaceHasChar(const FaceSlot& slot, char32_t ch) {
    return FT_Get_Char_Index(slot.face.get(), ch) != 0;
}

// Controls and format characters (bidi marks, joiners) go with their neighbours.
bool IsInvisible(char32_t ch) {
    hb_unicode_general_category_t category =
        hb_unicode_general_category(hb_unicode_funcs_get_default(), ch);
    return category == HB_UNICODE_GENERAL_CATEGORY_CONTROL ||
           category == HB_UNICODE_GENERAL_CATEGORY_FORMAT;
}

// Asks fontconfig for a face that has `ch` and opens it (or finds it open).
std::size_t FindFallbackFace(TextFont* font, char32_t ch) {
    FcCharSet* cover = FcCharSetCreate();
    if (!cover) return 0;
    FcCharSetAddChar(cover, ch);
    FcPatternPtr pattern = RequestPattern(*font, cover);
    FcCharSetDestroy(cover);
    if (!pattern) return 0;
    FcResult result = FcResultNoMatch;
    std::unique_ptr<FcFontSet, FcFontSetCloser> set(
        FcFontSort(nullptr, pattern.get(), FcFalse, nullptr, &result));
    if (!set) return 0;
    for (int i = 0; i < set->nfont; ++i) {
        FcCharSet* has = nullptr;
        if (FcPatternGetCharSet(set->fonts[i], FC_CHARSET, 0, &has) != FcResultMatch ||
            !FcCharSetHasChar(has, ch))
            continue;
        std::string file;
        int index = 0;
        if (!FileOfPattern(set->fonts[i], &file, &index)) continue;
        for (std::size_t f = 0; f < font->faces.size(); ++f)
            if (font->faces[f]->file == file && font->faces[f]->index == index) return f;
        auto slot = OpenFaceSlot(*font, file, index, font->emSize);
        if (!slot || !FaceHasChar(*slot, ch)) continue;
        font->faces.push_back(std::move(slot));
        return font->faces.size() - 1;
    }
    return 0;
}

// The face that draws `ch`: the chosen face, else a fallback face (0 when none has it).
std::size_t FaceForChar(TextFont* font, char32_t ch) {
    if (FaceHasChar(*font->faces.front(), ch)) return 0;
    auto known = font->fallbackOf.find(ch);
    if (known != font->fallbackOf.end()) return known->second;
    std::size_t chosen = 0;
    for (std::size_t f = 1; f < font->faces.size() && chosen == 0; ++f)
        if (FaceHasChar(*font->faces[f], ch)) chosen = f;
    if (chosen == 0) chosen = FindFallbackFace(font, ch);
    font->fallbackOf.emplace(ch, chosen);
    return chosen;
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
    hb_buffer_t* buffer = Fonts().buffer.get();
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

// Copies a rendered FreeType bitmap into ink bytes.
void CopyGlyphInk(const FT_Bitmap& bitmap, GlyphBitmap* glyph) {
    glyph->width = static_cast<std::int32_t>(bitmap.width);
    glyph->rows = static_cast<std::int32_t>(bitmap.rows);
    glyph->ink.assign(static_cast<std::size_t>(glyph->width) * glyph->rows, 0);
    for (std::int32_t row = 0; row < glyph->rows; ++row) {
        const unsigned char* source = bitmap.buffer + static_cast<std::ptrdiff_t>(row) * bitmap.pitch;
        std::uint8_t* target = glyph->ink.data() + static_cast<std::size_t>(row) * glyph->width;
        for (std::int32_t col = 0; col < glyph->width; ++col) {
            if (bitmap.pixel_mode == FT_PIXEL_MODE_MONO)
                target[col] = (source[col >> 3] >> (7 - (col & 7))) & 1;
            else if (bitmap.pixel_mode == FT_PIXEL_MODE_GRAY)
                target[col] = source[col] >= MonoInkThreshold;
        }
    }
}

// Renders a glyph without antialiasing, or finds it rendered already.
const GlyphBitmap& RenderGlyph(FaceSlot* slot, std::uint32_t glyphIndex) {
    auto cached = slot->glyphs.find(glyphIndex);
    if (cached != slot->glyphs.end()) return cached->second;
    if (slot->glyphs.size() >= MaxCachedGlyphs) slot->glyphs.clear();
    GlyphBitmap& glyph = slot->glyphs[glyphIndex];
    FT_Face face = slot->face.get();
    if (FT_Load_Glyph(face, glyphIndex, GlyphLoadFlags) != 0) return glyph;
    if (slot->oblique) FT_GlyphSlot_Oblique(face->glyph);
    if (slot->embolden) FT_GlyphSlot_Embolden(face->glyph);
    if (FT_Render_Glyph(face->glyph, FT_RENDER_MODE_MONO) != 0) return glyph;
    glyph.left = face->glyph->bitmap_left;
    glyph.top = face->glyph->bitmap_top;
    CopyGlyphInk(face->glyph->bitmap, &glyph);
    return glyph;
}

// Sets the pixels of [left, right) x [top, bottom) to `value`, clipped.
void FillRect(TextSurface* surface, std::int64_t left, std::int64_t top, std::int64_t right,
              std::int64_t bottom, std::uint8_t value) {
    left = std::max<std::int64_t>(left, 0);
    top = std::max<std::int64_t>(top, 0);
    right = std::min<std::int64_t>(right, surface->width);
    bottom = std::min<std::int64_t>(bottom, surface->height);
    for (std::int64_t row = top; row < bottom; ++row)
        if (left < right)
            std::memset(surface->grey.data() + row * surface->width + left, value,
                        static_cast<std::size_t>(right - left));
}

void BlitGlyph(TextSurface* surface, const GlyphBitmap& glyph, std::int64_t x, std::int64_t y) {
    std::int64_t rowBegin = std::max<std::int64_t>(0, -y);
    std::int64_t rowEnd = std::min<std::int64_t>(glyph.rows, surface->height - y);
    std::int64_t colBegin = std::max<std::int64_t>(0, -x);
    std::int64_t colEnd = std::min<std::int64_t>(glyph.width, surface->width - x);
    for (std::int64_t row = rowBegin; row < rowEnd; ++row) {
        const std::uint8_t* ink = glyph.ink.data() + row * glyph.width;
        std::uint8_t* target = surface->grey.data() + (y + row) * surface->width;
        for (std::int64_t col = colBegin; col < colEnd; ++col)
            if (ink[col]) target[x + col] = Ink;
    }
}

}  // namespace

const TextFont* OpenTextFont(const FontRequest& request) {
    FontSystem& system = Fonts();
    std::string key = CacheKey(request);
    auto found = system.fonts.find(key);
    if (found != system.fonts.end()) return found->second.get();
    if (system.fonts.size() >= MaxCachedFonts) system.fonts.clear();
    std::unique_ptr<TextFont> font = CreateTextFont(request);
    if (!font) return nullptr;
    return system.fonts.emplace(key, std::move(font)).first->second.get();
}

TextExtent MeasureTextLine(const TextFont* font, std::u32string_view text, bool rightToLeft) {
    if (!font) return {};
    auto* open = const_cast<TextFont*>(font);  // the caches inside change, the font does not
    const ShapedLine& line = ShapeLine(open, text, rightToLeft);
    return {RoundPixels(line.advance), font->cellHeight};
}

bool ResetTextSurface(TextSurface* surface, std::int32_t width, std::int32_t height) {
    bool valid = width >= 0 && height >= 0 && width <= MaxSurfaceDimension &&
                 height <= MaxSurfaceDimension;
    surface->width = valid ? width : 0;
    surface->height = valid ? height : 0;
    try {
        surface->grey.assign(static_cast<std::size_t>(surface->width) * surface->height, 0);
    } catch (const std::bad_alloc&) {
        surface->width = surface->height = 0;
        surface->grey.clear();
        return false;
    }
    return valid;
}

void DrawTextLine(TextSurface* surface, const TextFont* font, std::int32_t x, std::int32_t y,
                  std::u32string_view text, bool rightToLeft) {
    if (!surface || !font || surface->grey.empty()) return;
    auto* open = const_cast<TextFont*>(font);
    const ShapedLine& line = ShapeLine(open, text, rightToLeft);
    std::int64_t right = static_cast<std::int64_t>(x) + RoundPixels(line.advance);
    std::int64_t baseline = static_cast<std::int64_t>(y) + font->ascent;
    FillRect(surface, x, y, right, static_cast<std::int64_t>(y) + font->cellHeight, 0);
    for (const PlacedGlyph& placed : line.glyphs) {
        const GlyphBitmap& glyph = RenderGlyph(open->faces[placed.face].get(), placed.glyph);
        BlitGlyph(surface, glyph, static_cast<std::int64_t>(x) + RoundPixels(placed.x) + glyph.left,
                  baseline - RoundPixels(placed.y) - glyph.top);
    }
    if (font->request.underline)
        FillRect(surface, x, baseline + font->underline.top, right,
                 baseline + font->underline.top + font->underline.thickness, Ink);
    if (font->request.strikeOut)
        FillRect(surface, x, baseline + font->strikeOut.top, right,
                 baseline + font->strikeOut.top + font->strikeOut.thickness, Ink);
}

const std::uint8_t* TextSurfaceGrey(const TextSurface& surface) {
    return surface.grey.empty() ? nullptr : surface.grey.data();
}

std::uint32_t TextSurfacePixel(const TextSurface& surface, std::int32_t x, std::int32_t y) {
    if (x < 0 || y < 0 || x >= surface.width || y >= surface.height) return 0;
    std::uint32_t grey = surface.grey[static_cast<std::size_t>(y) * surface.width + x];
    return grey | (grey << 8) | (grey << 16);
}

std::int32_t CountMissingGlyphs(const TextFont* font, std::u32string_view text) {
    if (!font) return static_cast<std::int32_t>(text.size());
    auto* open = const_cast<TextFont*>(font);
    std::int32_t missing = 0;
    for (char32_t ch : text)
        if (!IsInvisible(ch) && !FaceHasChar(*open->faces[FaceForChar(open, ch)], ch)) ++missing;
    return missing;
}

}  // namespace ostrel::platform
