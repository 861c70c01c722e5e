// OstrelDecode's module: one subtitle source text per ".sup" file.
#include "decoder/text_export.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>

#include "frontend/path_text.h"
#include "frontend/text_output.h"
#include "htmlview/bitmap_export.h"
#include "htmlview/frame_rate.h"
#include "htmlview/reader_input.h"
#include "htmlview/version_text.h"
#include "supkit/data_file.h"
#include "supkit/rle_codec.h"
#include "supkit/subtitle_block.h"

namespace ostrel {

namespace {

constexpr char ProgramName[] = "OstrelDecode";
constexpr char TextExtension[] = ".txt";

// What the text of one input needs from block to block.
struct DecodeContext {
    std::int32_t frameLength = 1;
    bool bitmaps = false;
    std::string bitmapStem;          // the text's path without its extension
    std::uint16_t lastPalette = 0;   // palette word of the previous block
    std::uint16_t lastAlpha = 0;     // alpha word of the previous block
    std::int32_t blockNumber = 1;
    IndexedBitmap picture;
};

// True when something (a file, a directory, even a dangling link) has the name.
bool PathIsTaken(const std::string& path) {
    std::error_code ignored;
    return std::filesystem::exists(std::filesystem::symlink_status(path, ignored));
}

// The block's end frame, hide + from - show modulo 2^32, where show and hide
// are the frames of the last show and hide headers (0 when there is none).
std::uint32_t EndFrame(const SubtitleBlock& block, std::size_t count, std::uint32_t from,
                       std::int32_t frameLength) {
    std::uint32_t show = 0;
    std::uint32_t hide = 0;
    for (std::size_t i = 0; i < count; ++i) {
        const ControlHeader& header = block.headers[i];
        const std::uint32_t frame = from + FramesFromTicks(static_cast<std::uint32_t>(header.delay), frameLength);
        if (header.command == CommandShow) show = frame;
        if (header.command == CommandHide) hide = frame;
    }
    return hide + from - show;
}

void WriteBlockLine(TextOutputFile* out, const SubtitleBlock& block, DecodeContext* context) {
    static const ControlHeader NoHeader;
    const std::size_t count = std::min(static_cast<std::size_t>(std::max(block.headerCount, 0)),
                                       block.headers.size());
    const ControlHeader& first = count > 0 ? block.headers[0] : NoHeader;
    const std::uint32_t from = FramesFromTicks(block.startTime, context->frameLength);
    if (first.palette != context->lastPalette) TextPrintf(out, "Palette=%04X\n", first.palette);
    context->lastPalette = first.palette;
    if (first.alpha != context->lastAlpha) TextPrintf(out, "Alpha=%04X\n", first.alpha);
    context->lastAlpha = first.alpha;

    char suffix[32];
    std::snprintf(suffix, sizeof suffix, "_%06d.bmp", context->blockNumber);
    const std::string bitmapPath = context->bitmapStem + suffix;
    TextPrintf(out, "{%u}{%u}{%s}\n", from, EndFrame(block, count, from, context->frameLength),
               FileNamePart(bitmapPath).c_str());
    FlushTextOutput(out);
    if (context->bitmaps) {
        DecodeSubPicture(first, &context->picture);
        // The line names the bitmap all the same; the run's status tells of the loss.
        if (SaveIndexedBitmap(context->picture, bitmapPath.c_str()) != 0)
            ReportFileFailure(ProgramName, "cannot write", bitmapPath);
    }
    ++context->blockNumber;
}

}  // namespace

std::string ChooseTextOutputPath(const std::string& inputPath) {
    std::string path = inputPath;
    ChangeExtension(&path, TextExtension);
    for (int n = 1; PathIsTaken(path); ++n) {
        char extension[32];
        std::snprintf(extension, sizeof extension, ".%02d%s", n, TextExtension);
        path = inputPath;
        ChangeExtension(&path, extension);
    }
    return path;
}

int DecodeToText(const OptionList& options, const char* fullPath, const char* /*fileName*/) {
    const std::string inputPath = fullPath != nullptr ? fullPath : "";
    DecodeContext context;
    const double rate = ReadFrameRate(options);
    context.frameLength = FrameLengthOf(rate);
    context.bitmaps = HasOption(&options, "bitmap") != 0;

    DataFile input;
    if (!OpenSupInput(&input, inputPath)) {
        ReportFileFailure(ProgramName, "cannot open", inputPath);
        return 0;
    }
    const std::string outputPath = ChooseTextOutputPath(inputPath);
    context.bitmapStem = outputPath;
    ChangeExtension(&context.bitmapStem, "");
    TextOutputFile out;
    if (!CreateTextOutput(&out, outputPath.c_str())) {
        ReportFileFailure(ProgramName, "cannot create", outputPath);
        return 0;
    }
    std::printf("%s --> %s\n", inputPath.c_str(), outputPath.c_str());

    context.picture = MakeExportPicture();
    TextPrintf(&out, ";%s\n", FileNamePart(inputPath).c_str());
    TextPrintf(&out, "%s=%g\n", "FrameRate", rate);
    SubtitleBlock block;
    while (ReadSubtitleBlock(&input, &block) == 1) WriteBlockLine(&out, block, &context);
    TextWrite(&out, "\n");

    if (!CloseTextOutput(&out)) ReportFileFailure(ProgramName, "cannot write", outputPath);
    CloseDataFile(&input);
    return 0;
}

namespace decoder {

void PrintBanner() {
    std::fputs("OstrelDecode version 1.5 (2003-10-01) - DVD subtitle decoder.\n", stdout);
    PrintBannerNote();
    std::fputs("\n", stdout);
}

void PrintUsage() {
    std::fputs("Usage:  OstrelDecode  [-options] subtitle1.sup [subtitle2.sup ...]\n\n",
               stdout);
    PrintReaderUsageLines();
}

void ShowHelpAndVersion(const OptionList& options) {
    if (HasOption(&options, "h") || HasOption(&options, "help")) {
        PrintUsage();
        std::fputs("DVD subtitle decoder creates text files from subtitle sup-file\n"
                   "(result of VobEdit demultiplexor).\n"
                   "\n"
                   "Result is text file in format\n"
                   "{frame_from}{frame_to}{VTS_01_0.20_000001.bmp}\n"
                   "\n"
                   "With option -bitmap are also created related bmp-files.\n\n",
                   stdout);
    }
    if (HasOption(&options, "version")) PrintVersionText();
}


}  // namespace decoder

}  // namespace ostrel
