// The encoder's settings record, its built-in defaults, the profile file
// layers, the in-text commands, and the help and version screens.
#pragma once

#include <cstdint>
#include <string>

#include "frontend/command_line.h"

namespace ostrel {

constexpr std::size_t FaceNameSize = 32;

// The font description handed to the renderer, laid out as the Windows
// logical-font record whose values the profile and the commands set.
struct LogFont {
    std::int32_t lfHeight = 0;  // negative: character height in pixels
    std::int32_t lfWidth = 0;
    std::int32_t lfEscapement = 0;
    std::int32_t lfOrientation = 0;
    std::int32_t lfWeight = 0;  // 400 regular, 700 bold
    std::uint8_t lfItalic = 0;
    std::uint8_t lfUnderline = 0;
    std::uint8_t lfStrikeOut = 0;
    std::uint8_t lfCharSet = 0;
    std::uint8_t lfOutPrecision = 0;
    std::uint8_t lfClipPrecision = 0;
    std::uint8_t lfQuality = 0;  // 3: non-antialiased
    std::uint8_t lfPitchAndFamily = 0;
    char lfFaceName[FaceNameSize] = {};
};

struct EncoderSettings {
    std::int32_t FrameW = 0;
    std::int32_t FrameH = 0;
    double FrameRate = 0;
    std::int32_t Delay = 0;
    std::int32_t OnTop = 0;
    std::int32_t Indent = 0;
    std::int32_t DynamicSize = 0;
    std::int32_t RightToLeft = 0;
    std::int32_t Contour = 0;
    std::int32_t ShowBitmap = 0;
    std::uint16_t Palette = 0;
    std::uint16_t Alpha = 0;
    LogFont Font;
};

// The built-in defaults: 720x576, 25 fps, Indent 40, Contour 2, 0x3210,
// 0xFFF0, Arial 238 at height -30, regular.
EncoderSettings BuiltInSettings();

// Where the profile file lies: $USERPROFILE, else $HOME, else the current
// directory, then "OstrelEncode.ini".
std::string ProfilePath();

// Fills `target` from `section` of the profile file, missing keys taking the
// values of `defaults`. A FrameRate, Palette or Alpha text that does not
// parse keeps the target's value (a frame rate only when usable, else the
// default), so start the target as a copy of `defaults`.
void LoadProfileSection(EncoderSettings* target, const std::string& profilePath, const char* section,
                        const EncoderSettings& defaults);

// Splits "key=value" into a key and a value (each cut to 255 bytes, trimmed).
void SplitKeyValue(const char* line, std::string* key, std::string* value);

// Applies one command line of the source text. Frame keys are accepted only
// while `subtitleCount` is 0.
void ApplyCommand(EncoderSettings* target, const char* line, const EncoderSettings& defaults,
                  std::int32_t subtitleCount);

// The help and version screens: the encoder's ShowHelpAndVersion hook
// (defined with the screens' texts in help_text.cpp).
void ShowEncoderHelpAndVersion(const OptionList& options);

// The decimal integer at the start of `text` as the commands read it:
// leading blanks, an optional sign, the digits up to the first other
// character (no digits give 0), in wrapping 32-bit arithmetic.
std::int32_t DecimalValue(const char* text);

// The longest face name the profile gives (30 bytes) and the in-text
// FontName command gives (31 bytes), and the longest command key and value.
constexpr std::size_t ProfileFaceNameLength = 30;
constexpr std::size_t CommandFaceNameLength = FaceNameSize - 1;
constexpr std::size_t CommandFieldLength = 255;

}  // namespace ostrel
