// The encoder's settings: built-in defaults, the profile file layers and
// the commands of the source text.
#include "encoder/settings.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "frontend/path_text.h"
#include "platform/profile_file.h"

namespace ostrel {
namespace {

constexpr std::int32_t RegularWeight = 400;
constexpr std::int32_t BoldWeight = 700;
constexpr std::uint8_t NonAntialiasedQuality = 3;
constexpr std::uint32_t CharSetMask = 0xFF;
constexpr std::size_t ProfileValueRoom = 254;
constexpr double MaxFrameRate = 90000.0;  // one frame per clock tick
constexpr char ProfileFileName[] = "OstrelEncode.ini";

// Font size in points and character height in pixels: height = 4 * size / -3.
constexpr std::int64_t HeightPerSize = 4;
constexpr std::int64_t SizePerHeight = -3;

std::int32_t HeightOfFontSize(std::int32_t size) {
    return static_cast<std::int32_t>(HeightPerSize * size / SizePerHeight);
}

std::int32_t FontSizeOfHeight(std::int32_t height) {
    const auto scaled = static_cast<std::int32_t>(static_cast<std::uint32_t>(height) *
                                                  static_cast<std::uint32_t>(SizePerHeight));
    return RoundDiv(scaled, static_cast<std::int32_t>(HeightPerSize));
}

std::string UpperAscii(std::string text) {
    for (char& c : text) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    return text;
}

// A rate the frame-length and whole-rate arithmetic can work with.
bool IsUsableFrameRate(double rate) {
    return std::isfinite(rate) && rate > 0 && rate <= MaxFrameRate;
}

// "%lg": true and the number when `text` starts (after white space) with one.
bool ParseFloat(const std::string& text, double* value) {
    const char* start = text.c_str();
    char* end = nullptr;
    const double parsed = std::strtod(start, &end);
    if (end == start) return false;
    *value = parsed;
    return true;
}

// "%hx": true and the low 16 bits when `text` starts with a hexadecimal
// number (white space, a sign and "0x" allowed before the digits).
bool ParseHexWord(const std::string& text, std::uint16_t* value) {
    constexpr int HexBase = 16;
    const char* start = text.c_str();
    char* end = nullptr;
    const unsigned long parsed = std::strtoul(start, &end, HexBase);
    if (end == start) return false;
    *value = static_cast<std::uint16_t>(parsed);
    return true;
}

std::string HexWordText(std::uint16_t word) {
    char text[8];
    std::snprintf(text, sizeof text, "%04hX", word);
    return text;
}

std::string FloatText(double value) {
    char text[64];
    std::snprintf(text, sizeof text, "%lg", value);
    return text;
}

std::string StyleTextOf(const LogFont& font) {
    std::string style;
    if (font.lfWeight == BoldWeight) style += "BOLD ";
    if (font.lfItalic == 1) style += "ITALIC ";
    if (font.lfUnderline == 1) style += "UNDERLINE ";
    if (font.lfStrikeOut == 1) style += "STRIKEOUT ";
    return style;
}

// Replaces the whole style of `font` with the words found in `style`.
void ApplyFontStyle(LogFont* font, const std::string& style) {
    const std::string upper = UpperAscii(style);
    font->lfWeight = upper.find("BOLD") != std::string::npos ? BoldWeight : RegularWeight;
    font->lfItalic = upper.find("ITALIC") != std::string::npos ? 1 : 0;
    font->lfUnderline = upper.find("UNDERLINE") != std::string::npos ? 1 : 0;
    font->lfStrikeOut = upper.find("STRIKEOUT") != std::string::npos ? 1 : 0;
}

void SetFaceName(LogFont* font, const std::string& name, std::size_t maxLength) {
    std::memset(font->lfFaceName, 0, FaceNameSize);
    std::memcpy(font->lfFaceName, name.data(), std::min({name.size(), maxLength, FaceNameSize - 1}));
}

std::string FaceNameOf(const LogFont& font) {
    const char* end = std::find(font.lfFaceName, font.lfFaceName + FaceNameSize, '\0');
    return std::string(font.lfFaceName, end);
}

std::int32_t PositiveOr(std::int32_t value, std::int32_t fallback) {
    return value > 0 ? value : fallback;
}

// The profile's frame rate: a usable number read, else the rate the field
// had when that was usable and the text did not parse, else the default.
double ProfileFrameRate(const std::string& text, double current, double fallback) {
    double parsed = 0;
    if (ParseFloat(text, &parsed)) return IsUsableFrameRate(parsed) ? parsed : fallback;
    return IsUsableFrameRate(current) ? current : fallback;
}

void LoadProfileFont(EncoderSettings* target, const platform::ProfileFile& profile, const char* section,
                     const LogFont& defaults) {
    target->Font = LogFont{};
    SetFaceName(&target->Font,
                platform::ProfileString(profile, section, "FontName", FaceNameOf(defaults),
                                        ProfileFaceNameLength + 1),
                ProfileFaceNameLength);
    target->Font.lfCharSet = static_cast<std::uint8_t>(
        static_cast<std::uint32_t>(platform::ProfileInteger(profile, section, "FontCharSet", defaults.lfCharSet)) &
        CharSetMask);
    target->Font.lfHeight =
        HeightOfFontSize(platform::ProfileInteger(profile, section, "FontSize", FontSizeOfHeight(defaults.lfHeight)));
    ApplyFontStyle(&target->Font,
                   platform::ProfileString(profile, section, "FontStyle", StyleTextOf(defaults), ProfileValueRoom));
    target->Font.lfQuality = NonAntialiasedQuality;
}

void LoadProfileValues(EncoderSettings* target, const platform::ProfileFile& profile, const char* section,
                       const EncoderSettings& defaults) {
    auto integer = [&](const char* key, std::int32_t fallback) {
        return platform::ProfileInteger(profile, section, key, fallback);
    };
    auto text = [&](const char* key, const std::string& fallback) {
        return platform::ProfileString(profile, section, key, fallback, ProfileValueRoom);
    };
    target->ShowBitmap = integer("ShowBitmap", defaults.ShowBitmap);
    target->OnTop = integer("OnTop", defaults.OnTop);
    target->Indent = PositiveOr(integer("Indent", defaults.Indent), defaults.Indent);
    target->DynamicSize = integer("DynamicSize", defaults.DynamicSize);
    target->RightToLeft = integer("RightToLeft", defaults.RightToLeft);
    target->FrameW = PositiveOr(integer("FrameW", defaults.FrameW), defaults.FrameW);
    target->FrameH = PositiveOr(integer("FrameH", defaults.FrameH), defaults.FrameH);
    target->FrameRate =
        ProfileFrameRate(text("FrameRate", FloatText(defaults.FrameRate)), target->FrameRate, defaults.FrameRate);
    target->Delay = integer("Delay", defaults.Delay);
    target->Contour = integer("Contour", defaults.Contour);
    ParseHexWord(text("Palette", HexWordText(defaults.Palette)), &target->Palette);
    ParseHexWord(text("Alpha", HexWordText(defaults.Alpha)), &target->Alpha);
}

// The frame keys, accepted only before the first subtitle line. True when
// `key` was one of them.
bool ApplyFrameCommand(EncoderSettings* target, const std::string& key, const std::string& value,
                       const EncoderSettings& defaults, bool frameKeysOpen) {
    const bool isFrameKey = key == "FRAMEW" || key == "FRAMEH" || key == "FRAMERATE" || key == "DELAY";
    if (!isFrameKey || !frameKeysOpen) return isFrameKey;
    if (key == "FRAMEW") target->FrameW = PositiveOr(DecimalValue(value.c_str()), defaults.FrameW);
    if (key == "FRAMEH") target->FrameH = PositiveOr(DecimalValue(value.c_str()), defaults.FrameH);
    if (key == "DELAY") target->Delay = DecimalValue(value.c_str());
    double rate = 0;
    if (key == "FRAMERATE" && ParseFloat(value, &rate)) {
        target->FrameRate = IsUsableFrameRate(rate) ? rate : defaults.FrameRate;
    }
    return true;
}

void ApplyFontCommand(EncoderSettings* target, const std::string& key, const std::string& value) {
    if (key == "FONTNAME") SetFaceName(&target->Font, value, CommandFaceNameLength);
    if (key == "FONTCHARSET") {
        target->Font.lfCharSet =
            static_cast<std::uint8_t>(static_cast<std::uint32_t>(DecimalValue(value.c_str())) & CharSetMask);
    }
    if (key == "FONTSIZE") target->Font.lfHeight = HeightOfFontSize(DecimalValue(value.c_str()));
    if (key == "FONTSTYLE") ApplyFontStyle(&target->Font, value);
}

void ApplyPlainCommand(EncoderSettings* target, const std::string& key, const std::string& value,
                       const EncoderSettings& defaults) {
    const std::int32_t number = DecimalValue(value.c_str());
    if (key == "SHOWBITMAP") target->ShowBitmap = number;
    if (key == "ONTOP") target->OnTop = number;
    if (key == "DYNAMICSIZE") target->DynamicSize = number;
    if (key == "RIGHTTOLEFT") target->RightToLeft = number;
    if (key == "CONTOUR") target->Contour = number;
    if (key == "INDENT") target->Indent = PositiveOr(number, defaults.Indent);
    if (key == "PALETTE") ParseHexWord(value, &target->Palette);
    if (key == "ALPHA") ParseHexWord(value, &target->Alpha);
}

}  // namespace

EncoderSettings BuiltInSettings() {
    EncoderSettings settings;
    settings.FrameW = 720;
    settings.FrameH = 576;
    settings.FrameRate = 25.0;
    settings.Delay = 0;
    settings.OnTop = 0;
    settings.Indent = 40;
    settings.DynamicSize = 0;
    settings.RightToLeft = 0;
    settings.Contour = 2;
    settings.ShowBitmap = 0;
    settings.Palette = 0x3210;
    settings.Alpha = 0xFFF0;
    settings.Font.lfHeight = -30;
    settings.Font.lfWeight = RegularWeight;
    settings.Font.lfCharSet = 238;
    SetFaceName(&settings.Font, "Arial", CommandFaceNameLength);
    return settings;
}

std::string ProfilePath() {
    const char* directory = std::getenv("USERPROFILE");
    if (directory == nullptr || directory[0] == '\0') directory = std::getenv("HOME");
    std::string path = (directory != nullptr) ? directory : "";
    if (!path.empty() && path.back() != '/') path += '/';
    return path + ProfileFileName;
}

void LoadProfileSection(EncoderSettings* target, const std::string& profilePath, const char* section,
                        const EncoderSettings& defaults) {
    if (target == nullptr || section == nullptr) return;
    platform::ProfileFile profile;
    platform::LoadProfileFile(profilePath, &profile);
    LoadProfileFont(target, profile, section, defaults.Font);
    LoadProfileValues(target, profile, section, defaults);
}

void SplitKeyValue(const char* line, std::string* key, std::string* value) {
    if (line == nullptr || key == nullptr || value == nullptr) return;
    const std::string text = line;
    const std::size_t equals = text.find('=');
    *key = text.substr(0, std::min(equals, CommandFieldLength));
    *value = (equals == std::string::npos) ? std::string() : text.substr(equals + 1, CommandFieldLength);
    TrimBlanks(key);
    TrimBlanks(value);
}

void ApplyCommand(EncoderSettings* target, const char* line, const EncoderSettings& defaults,
                  std::int32_t subtitleCount) {
    if (target == nullptr || line == nullptr) return;
    std::string key;
    std::string value;
    SplitKeyValue(line, &key, &value);
    key = UpperAscii(key);
    if (ApplyFrameCommand(target, key, value, defaults, subtitleCount == 0)) return;
    ApplyFontCommand(target, key, value);
    ApplyPlainCommand(target, key, value, defaults);
}

std::int32_t DecimalValue(const char* text) {
    constexpr std::uint32_t DecimalBase = 10;
    if (text == nullptr) return 0;
    while (IsBlank(static_cast<unsigned char>(*text))) ++text;
    bool negative = false;
    if (*text == '+' || *text == '-') negative = *text++ == '-';
    std::uint32_t value = 0;
    for (; *text >= '0' && *text <= '9'; ++text) {
        value = value * DecimalBase + static_cast<std::uint32_t>(*text - '0');
    }
    return static_cast<std::int32_t>(negative ? 0u - value : value);
}

}  // namespace ostrel
