// OstrelHTML's module: one HTML page per ".sup" file, block by block.
#include "htmlview/html_report.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "frontend/path_text.h"
#include "frontend/text_output.h"
#include "htmlview/bitmap_export.h"
#include "htmlview/frame_rate.h"
#include "htmlview/reader_input.h"
#include "htmlview/html_text.h"
#include "htmlview/version_text.h"
#include "supkit/data_file.h"
#include "supkit/rle_codec.h"
#include "supkit/subtitle_block.h"

namespace ostrel {

namespace {

constexpr char ProgramName[] = "OstrelHTML";
constexpr char ReportExtension[] = ".html";
constexpr char RuleLine[] = "<HR align=center size=1 width=\"99%\">\n";
constexpr std::uint32_t SecondsPerMinute = 60;
constexpr std::uint32_t SecondsPerHour = 3600;

// What the page of one input needs from block to block.
struct ReportContext {
    double rate = PalFrameRate;
    std::int32_t frameLength = 1;
    std::uint32_t wholeRate = 1;
    bool bitmaps = false;
    std::string bitmapStem;        // the page's path without its extension
    std::uint32_t showFrame = 0;   // frame of the last show header met
    std::uint32_t hideFrame = 0;   // frame of the last hide header met
    std::int32_t blockNumber = 1;
    IndexedBitmap picture;
};

void WriteHead(TextOutputFile* out, const std::string& inputPath, double rate) {
    TextPrintf(out, "<HTML>\n<HEAD>\n<TITLE>%s</TITLE>\n</HEAD>\n\n",
               EscapeHtmlText(FileNamePart(inputPath)).c_str());
    TextWrite(out, "<BODY>\n<FONT face=\"Verdana, Arial, Helvetica, Sans-Serif\" size=2>\n");
    TextPrintf(out, "Frame Rate = %g fps\n", rate);
    TextWrite(out, RuleLine);
}

// Block number, time stamp (raw, as file bytes, as time code), address and size.
void WriteBlockHead(TextOutputFile* out, const SubtitleBlock& block, std::uint32_t spuStart,
                    std::uint16_t spuSize, std::uint32_t blockFrame, const ReportContext& context) {
    const std::uint32_t stamp = block.startTime;
    TextPrintf(out, "# %d\n<BR>\n", context.blockNumber);
    TextPrintf(out, "SP: %u\n", stamp);
    TextPrintf(out, "(= %02X %02X %02X %02X)\n", stamp & 0xFF, (stamp >> 8) & 0xFF, (stamp >> 16) & 0xFF,
               stamp >> 24);
    TextPrintf(out, "    [%s]\n<BR>\n", FormatTimeCode(blockFrame, context.rate).c_str());
    TextPrintf(out, "Address = %08X, Size = %04X\n<BR>\n", spuStart - BlockHeadSize,
               static_cast<std::uint32_t>(spuSize) + BlockHeadSize);
}

// One control header; notes the frame of a show or hide header.
void WriteControlHeader(TextOutputFile* out, const ControlHeader& header, std::uint32_t blockFrame,
                        ReportContext* context) {
    const double fps = context->wholeRate;
    const double wait = std::floor(fps * (header.delay / static_cast<double>(TicksPerSecond)) + 0.5) / fps;
    TextPrintf(out, "time = %.2f s  (wait-time before applying this control header)<BR>\n", wait);
    const std::uint32_t frame = blockFrame + FramesFromTicks(static_cast<std::uint32_t>(header.delay),
                                                             context->frameLength);
    if (header.command == CommandShow) {
        TextWrite(out, "-- &ltshow&gt, ");
        context->showFrame = frame;
    } else if (header.command == CommandHide) {
        TextWrite(out, "-- &lthide&gt, ");
        context->hideFrame = frame;
    }
    TextPrintf(out, "palette = %04X, alpha   = %04X<BR>\n", header.palette, header.alpha);
    TextPrintf(out, "-- rect:\nleft   = %3d,\nright  = %3d,\ntop    = %3d,\nbottom = %3d\n<BR>\n",
               header.rect.left, header.rect.right, header.rect.top, header.rect.bottom);
    if (header.colContrast.bytes.empty()) return;
    TextWrite(out, "ColContrast =");
    for (const std::uint8_t byte : header.colContrast.bytes) TextPrintf(out, " %-2X", byte);
    TextWrite(out, "\n<BR>\n");
}

void WritePictureSize(TextOutputFile* out, const DisplayRect& rect) {
    const std::int32_t width = std::max(rect.right - rect.left + 1, 1);
    const std::int32_t height = std::max(rect.bottom - rect.top + 1, 1);
    TextPrintf(out, "width  = %3d, height = %3d\n<BR>\n", width, height);
}

// Writes the block's picture as "<stem>_NNNNNN.bmp" and shows it; a picture
// that cannot be written is reported and still shown by name.
void WriteBitmap(TextOutputFile* out, const ControlHeader& first, ReportContext* context) {
    char suffix[32];
    std::snprintf(suffix, sizeof suffix, "_%06d.bmp", context->blockNumber);
    const std::string bitmapPath = context->bitmapStem + suffix;
    DecodeSubPicture(first, &context->picture);
    if (SaveIndexedBitmap(context->picture, bitmapPath.c_str()) != 0)
        ReportFileFailure(ProgramName, "cannot write", bitmapPath);
    TextPrintf(out, "<IMG src=\"%s\">\n", EncodeUrlPath(bitmapPath).c_str());
}

void WriteBlock(TextOutputFile* out, const SubtitleBlock& block, std::uint32_t spuStart, std::uint16_t spuSize,
                ReportContext* context) {
    const std::uint32_t blockFrame = FramesFromTicks(block.startTime, context->frameLength);
    WriteBlockHead(out, block, spuStart, spuSize, blockFrame, *context);
    const std::size_t count = std::min(static_cast<std::size_t>(std::max(block.headerCount, 0)),
                                       block.headers.size());
    for (std::size_t i = 0; i < count; ++i) WriteControlHeader(out, block.headers[i], blockFrame, context);
    static const ControlHeader NoHeader;
    const ControlHeader& first = count > 0 ? block.headers[0] : NoHeader;
    WritePictureSize(out, first.rect);
    TextPrintf(out, "[%s] - [%s]\n<BR><BR>\n", FormatTimeCode(context->showFrame, context->rate).c_str(),
               FormatTimeCode(context->hideFrame, context->rate).c_str());
    if (context->bitmaps) {
        // The page so far is complete on disk before the slower picture export.
        FlushTextOutput(out);
        WriteBitmap(out, first, context);
    }
    TextWrite(out, RuleLine);
    FlushTextOutput(out);
    ++context->blockNumber;
}

}  // namespace

std::string FormatTimeCode(std::uint32_t frame, double rate) {
    const std::uint32_t fps = WholeFrameRate(rate);
    const std::uint32_t hours = frame / (fps * SecondsPerHour);
    frame -= hours * fps * SecondsPerHour;
    const std::uint32_t minutes = frame / (fps * SecondsPerMinute);
    frame -= minutes * fps * SecondsPerMinute;
    const std::uint32_t seconds = frame / fps;
    const std::uint32_t frames = frame - seconds * fps;
    char text[48];
    std::snprintf(text, sizeof text, "%02u:%02u:%02u:%02u", hours, minutes, seconds, frames);
    return text;
}

int WriteHtmlReport(const OptionList& options, const char* fullPath, const char* /*fileName*/) {
    const std::string inputPath = fullPath != nullptr ? fullPath : "";
    ReportContext context;
    context.rate = ReadFrameRate(options);
    context.frameLength = FrameLengthOf(context.rate);
    context.wholeRate = WholeFrameRate(context.rate);
    context.bitmaps = HasOption(&options, "bitmap") != 0;

    std::string outputPath = inputPath;
    ChangeExtension(&outputPath, ReportExtension);
    context.bitmapStem = outputPath;
    ChangeExtension(&context.bitmapStem, "");

    DataFile input;
    if (!OpenSupInput(&input, inputPath)) {
        ReportFileFailure(ProgramName, "cannot open", inputPath);
        return 0;
    }
    std::printf("%s --> %s\n", inputPath.c_str(), outputPath.c_str());
    if (outputPath == inputPath) {
        ReportFileFailure(ProgramName, "will not replace its own input", outputPath);
        return 0;
    }
    TextOutputFile out;
    if (!CreateTextOutput(&out, outputPath.c_str())) {
        ReportFileFailure(ProgramName, "cannot create", outputPath);
        return 0;
    }

    context.picture = MakeExportPicture();
    WriteHead(&out, inputPath, context.rate);
    SubtitleBlock block;
    std::uint32_t spuStart = 0;
    std::uint16_t spuSize = 0;
    while (ReadSubtitleBlock(&input, &block, &spuStart, &spuSize) == 1)
        WriteBlock(&out, block, spuStart, spuSize, &context);
    TextWrite(&out, "</FONT>\n</BODY>\n</HTML>\n");

    if (!CloseTextOutput(&out)) ReportFileFailure(ProgramName, "cannot write", outputPath);
    CloseDataFile(&input);
    return 0;
}

namespace htmlview {

void PrintBanner() {
    std::fputs("OstrelHTML version 1.5 (2003-10-01) - DVD subtitle HTML viewer.\n", stdout);
    PrintBannerNote();
    std::fputs("\n", stdout);
}

void PrintUsage() {
    std::fputs("Usage:  OstrelHTML  [-options] subtitle1.sup  [subtitle2.sup ...]\n\n",
               stdout);
    PrintReaderUsageLines();
}

void ShowHelpAndVersion(const OptionList& options) {
    if (HasOption(&options, "h") || HasOption(&options, "help")) {
        PrintUsage();
        std::fputs("DVD subtitle HTML viewer creates html-files from subtitle sup-file\n"
                   "(result of VobEdit demultiplexor).\n"
                   "This html-file contains useful information about every subtitle block\n"
                   "such as address, size, timing, subtitle position on the screen, \n"
                   "palette, alpha-channel setting etc..\n"
                   "\n"
                   "With option -bitmap are also created bitmaps for every subtitle screen.\n\n",
                   stdout);
    }
    if (HasOption(&options, "version")) PrintVersionText();
}


}  // namespace htmlview

}  // namespace ostrel
