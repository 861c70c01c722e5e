// The encoder's console texts. The help screen lists every command in two
// steps: the column text (key and its argument form) is made first, then
// set left-aligned in a 25-character field by the description format.
#include "encoder/help_text.h"

#include <cstdio>

#include "encoder/settings.h"

namespace ostrel {
namespace {

struct CommandHelp {
    const char* key;
    const char* columnFormat;
    const char* descriptionFormat;
};

struct PredefinedValue {
    const char* key;
    const char* format;
};

constexpr CommandHelp FrameCommands[] = {
    {"FrameW", "%s=n", "%-25s frame width (720, 704)\n"},
    {"FrameH", "%s=n", "%-25s frame height (576, 480)\n"},
    {"FrameRate", "%s=n", "%-25s frame rate (25, 29.97)\n"},
    {"Delay", "%s=n", "%-25s subtitle delay (in frames)\n"},
};

// Entries with a null key print an empty column.
constexpr CommandHelp OtherCommands[] = {
    {"FontName", "%s=name", "%-25s subtitle font name\n"},
    {"FontCharSet", "%s=n", "%-25s subtitle character set\n"},
    {"FontSize", "%s=n", "%-25s subtitle font size\n"},
    {"FontStyle", "%s=styles ", "%-25s subtitle font style\n"},
    {nullptr, nullptr, "%-25s   (REGULAR, BOLD, ITALIC, UNDERLINE)\n"},
    {"Contour", "%s=n", "%-25s creates black contour around subtitle characters\n"},
    {"Palette", "%s=n", "%-25s color palette used\n"},
    {"Alpha", "%s=n", "%-25s channel setting\n"},
    {"OnTop", "%s=0|1", "%-25s subtitles are created on the top of the screen\n"},
    {"Indent", "%s=n", "%-25s subtitles are indented n lines from\n"},
    {nullptr, nullptr, "%-25s   the bottom/top of the frame (should be even number)\n"},
    {"DynamicSize", "%s=0|1", "%-25s subtitle frames have dynamic bitmap size\n"},
    {"RightToLeft", "%s=0|1", "%-25s text is read right to left (Hebrew, Arabic)\n"},
    {"ShowBitmap", "%s=0|1", "%-25s creates bitmap files during processing\n"},
};

constexpr PredefinedValue PredefinedValues[] = {
    {"FrameW", "%s=720\n"},      {"FrameH", "%s=576\n"},       {"FrameRate", "%s=25\n"},
    {"Delay", "%s=0\n"},         {"FontName", "%s=Arial\n"},   {"FontCharSet", "%s=238\n"},
    {"FontSize", "%s=23\n"},     {"FontStyle", "%s=REGULAR\n"}, {"Contour", "%s=1\n"},
    {"Palette", "%s=3210\n"},    {"Alpha", "%s=FFF0\n"},       {"OnTop", "%s=0\n"},
    {"Indent", "%s=40\n"},       {"DynamicSize", "%s=0\n"},    {"RightToLeft", "%s=0\n"},
    {"ShowBitmap", "%s=0\n"},
};

constexpr char SourceFormatText[] =
    "DVD subtitle encoder creates sup-files suitable for IfoEdit authoring.\n\n"
    "Source text file contains subtitles in format\n\n"
    "{frame_from}{frame_to}line\n"
    "{frame_from}{frame_to}line_1|line_2\n\n"
    "or comments in format\n\n"
    ";this is comment line, will be ignored\n\n"
    "External bitmaps can be also loaded from given location\n"
    "{frame_from}{frame_to}{d:\\my_pictures\\file_name_1.bmp}\n\n"
    "Source text file can also contain processing commands:\n\n";

constexpr char FrameCommandsNote[] = "(previous commands can be specified only at the beginning of source text)\n\n";

constexpr char ClosingText[] =
    "During processing log-files are generated. Warnings and errors\n"
    "are reported in case that created subtitle doesn't fit into the screen\n"
    "(subtitles are horizontally centered and vertically justified 40 pixels\n"
    "above bottom border of the frame).\n\n"
    "Loading external bitmaps is also supported. Size of these bitmaps should be\n"
    "the same as size of the frame, color-depth will be reduced to 4\n"
    "according to luminance.\n\n"
    "IMPORTANT:\n"
    "After authoring in IfoEdit don't forget to set up Subtitle Color properly!\n"
    "For PALETTE=3210 can be used following colors:\n"
    "  VTS_01_0.IFO\n"
    "    VTS_PGCITI\n"
    "      VTS_PGC_1\n"
    "        [000000a5]  Color 0 Y Cr CB      16 128 128     [10 80 80 ]\n"
    "        [000000a9]  Color 1 Y Cr CB      32 128 128     [20 80 80 ]\n"
    "        [000000ad]  Color 2 Y Cr CB      128 128 128    [80 80 80 ]\n"
    "        [000000b1]  Color 3 Y Cr CB      235 128 128    [eb 80 80 ]\n\n";

constexpr char ReleaseHistory[] =
    "2003-10-10      1.5 text indentation, bi-directional support\n"
    "2003-09-14      1.4 DBCS (BIG 5) support, corrected font selection\n"
    "2003-06-30      1.3 bitmap support.\n"
    "2003-05-20      1.2 corrected NTSC support.\n"
    "2003-05-05      1.1 corrected 16M color limitation.\n"
    "2003-04-27      1.0 main release.\n\n";

constexpr std::size_t ColumnRoom = 64;

// The format strings come from the tables above.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
#pragma GCC diagnostic ignored "-Wformat-security"
void PrintCommandHelp(const CommandHelp& entry) {
    char column[ColumnRoom] = "";
    if (entry.key != nullptr) std::snprintf(column, sizeof column, entry.columnFormat, entry.key);
    std::printf(entry.descriptionFormat, column);
}

void PrintPredefinedValue(const PredefinedValue& entry) {
    std::printf(entry.format, entry.key);
}
#pragma GCC diagnostic pop

}  // namespace

void PrintEncoderBanner() {
    std::fputs("OstrelEncode version 1.5 (2003-10-10) - DVD subtitle encoder.\n", stdout);
    std::fputs("Turns subtitle text and bitmaps into DVD sub-picture streams (.sup).\n", stdout);
    std::fputs("\n", stdout);
}

void PrintEncoderUsage() {
    std::fputs("Usage:  OstrelEncode  [-options] subtitle1.txt [subtitle2.txt ...]\n\n", stdout);
    std::fputs("          where subtitle1.txt is source subtitle text\n", stdout);
    std::fputs("          options\n", stdout);
    std::fputs("                -help         display help\n", stdout);
    std::fputs("                -nolog        suppress log-file generation\n", stdout);
    std::fputs("                -force        force encoding regardless errors\n", stdout);
    std::printf("                -p:profile    load setting from profile (in %s)\n", EncoderProfileFileName);
    std::fputs("                -version      display version info\n", stdout);
    std::fputs("\n", stdout);
}

void PrintEncoderHelp() {
    PrintEncoderUsage();
    std::fputs(SourceFormatText, stdout);
    for (const CommandHelp& entry : FrameCommands) PrintCommandHelp(entry);
    std::fputs(FrameCommandsNote, stdout);
    for (const CommandHelp& entry : OtherCommands) PrintCommandHelp(entry);
    std::fputs("\n", stdout);
    std::fputs("Every command is valid until it is set to new value. Default values\n", stdout);
    std::printf("are taken from C:\\Documents and Settings\\<user>\\%s,\n", EncoderProfileFileName);
    std::printf("section [%s], and are predefined as follows:\n\n", "Default");
    for (const PredefinedValue& entry : PredefinedValues) PrintPredefinedValue(entry);
    std::fputs("\n", stdout);
    std::fputs(ClosingText, stdout);
}

void PrintEncoderVersion() {
    std::fputs("Home page          : see README.md\n", stdout);
    std::fputs("Bug report send to : the project's issue tracker\n", stdout);
    std::fputs("\n", stdout);
    std::fputs(ReleaseHistory, stdout);
}

void ShowEncoderHelpAndVersion(const OptionList& options) {
    if (HasOption(&options, "h") || HasOption(&options, "help")) PrintEncoderHelp();
    if (HasOption(&options, "version")) PrintEncoderVersion();
}

}  // namespace ostrel
