// Font choice on fontconfig and FreeType: matching a request to a face,
// opening it at the requested size with the styles it must synthesise, the
// font's metrics, fallback faces for missing characters, and the font cache.
#include "platform/font_choice.h"

#include FT_TRUETYPE_TABLES_H
#include <fontconfig/fontconfig.h>
#include <hb-ft.h>

#include <algorithm>
#include <map>
#include <utility>

namespace ostrel::platform {

namespace {

constexpr std::int32_t DefaultCellHeight = 16;
constexpr std::int32_t RegularWeight = 400;
constexpr std::int32_t SemiBoldWeight = 600;
constexpr std::int32_t MaxWeight = 1000;
constexpr std::int32_t MaxEmPixels = 2048;
constexpr std::size_t MaxCachedFonts = 16;
constexpr FT_Pos EmboldenDivisor = 24;          // synthesised bold thickens by em / 24
constexpr double StrikeOutEmFraction = 0.26;    // strike-out height without an OS/2 table
constexpr std::uint16_t NoOs2Version = 0xFFFF;

struct FcPatternCloser {
    void operator()(FcPattern* pattern) const { FcPatternDestroy(pattern); }
};
struct FcFontSetCloser {
    void operator()(FcFontSet* set) const { FcFontSetDestroy(set); }
};
using FcPatternPtr = std::unique_ptr<FcPattern, FcPatternCloser>;

struct FtLibraryCloser {
    void operator()(FT_Library library) const { FT_Done_FreeType(library); }
};

// The process-wide font machinery; the library outlives the fonts cached with it.
struct FontSystem {
    std::unique_ptr<FT_LibraryRec_, FtLibraryCloser> library;
    std::map<std::string, std::unique_ptr<TextFont>> fonts;
};

FontSystem& Fonts() {
    static FontSystem system = [] {
        FontSystem created;
        FT_Library library = nullptr;
        if (FT_Init_FreeType(&library) == 0) created.library.reset(library);
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

}  // namespace

// Controls and format characters (bidi marks, joiners) go with their neighbours.
bool IsInvisible(char32_t ch) {
    hb_unicode_general_category_t category =
        hb_unicode_general_category(hb_unicode_funcs_get_default(), ch);
    return category == HB_UNICODE_GENERAL_CATEGORY_CONTROL ||
           category == HB_UNICODE_GENERAL_CATEGORY_FORMAT;
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

}  // namespace ostrel::platform
