// The encoder driver: two passes over a source text file, the log, and the
// blocks written to the ".sup".
#include "encoder/encoder_driver.h"

#include <algorithm>
#include <cstdio>
#include <string>

#include "encoder/bitmap_file.h"
#include "encoder/bitmap_reference.h"
#include "encoder/settings.h"
#include "encoder/source_text.h"
#include "encoder/text_renderer.h"
#include "frontend/path_text.h"
#include "frontend/text_output.h"
#include "platform/local_time.h"
#include "supkit/block_writer.h"
#include "supkit/control_header_builder.h"
#include "supkit/data_file.h"
#include "supkit/indexed_bitmap.h"
#include "supkit/subtitle_block.h"

namespace ostrel {
namespace {

constexpr int CheckPass = 0;
constexpr int EncodePass = 1;
constexpr std::int32_t TicksPerSecond = 90000;
constexpr std::int64_t MaxTimeStamp = 0xFFFFFFFFLL;
constexpr std::int64_t MaxDelayWord = 0xFFFF;
constexpr std::int32_t PictureLinesSpared = 4;  // the text picture is FrameH - 4 lines high

constexpr char DetectedErrors[] = "Encoding process detected errors in source text.";
constexpr char EncodingForced[] = "Encoding forced.";
constexpr char EncodingInterrupted[] = "Encoding interrupted.";
constexpr char UnsupportedGraphicMode[] = "Fatal error - unsupported graphic mode.";

bool fileFailed = false;

// Everything one call works with; gone when the call returns.
struct EncoderRun {
    const OptionList* options = nullptr;
    std::string sourcePath;
    std::string supPath;
    std::string logPath;
    std::string profilePath;
    EncoderSettings builtIn;
    EncoderSettings settings;
    SourceReader source;
    TextOutputFile log;
    bool hasLog = false;
    DataFile output;
    bool outputFailed = false;  // the ".sup" could not be created
    int pass = CheckPass;
    int errorFlag = 0;
    bool fatal = false;
    std::int32_t subtitleCount = 0;
    std::int32_t dumpCounter = 0;
    bool perPixel = false;
    IndexedBitmap picture;
    std::int32_t from = 0;
    std::int32_t to = 0;
    TextLines text;
    SubtitleBlock block;
};

// The whole frame rate that frame numbers are counted at: rate + 0.5.
std::int32_t WholeRateOf(double rate) {
    constexpr double MaxWholeRate = 1000000.0;
    if (!(rate > 0)) return 0;
    return static_cast<std::int32_t>(std::min(rate, MaxWholeRate) + 0.5);
}

// Ticks of one frame: 90000 / rate + 0.5, truncated.
std::int32_t FrameLengthOf(double rate) {
    if (!(rate > 0)) return 0;
    const double length = TicksPerSecond / rate + 0.5;
    return length >= 2147483647.0 ? 2147483647 : static_cast<std::int32_t>(length);
}

// Writes a check-pass line to the log, or to standard output without one.
void WriteCheckLine(EncoderRun* run, const std::string& line) {
    if (run->hasLog)
        TextWrite(&run->log, line);
    else
        std::fputs(line.c_str(), stdout);
}

// Reports a problem of the subtitle at `from`: its line, and the error flag.
void Report(EncoderRun* run, const char* kind, const char* what, long long value) {
    char line[160];
    std::snprintf(line, sizeof line, "  %s {%d} - %s = %lld\n", kind, run->from, what, value);
    WriteCheckLine(run, line);
    run->errorFlag = 1;
}

// Prints a closing or fatal message on standard output and in the log.
void AnnounceMessage(EncoderRun* run, const char* format, const std::string& message) {
    std::printf(format, message.c_str());
    TextPrintf(&run->log, format, message.c_str());
}

void LogTimeLine(EncoderRun* run, const char* format) {
    const platform::LocalTime now = platform::CurrentLocalTime();
    TextPrintf(&run->log, format, now.year, now.month, now.day, now.hour, now.minute, now.second);
}

void WriteSettingsBlock(EncoderRun* run) {
    char block[256];
    std::snprintf(block, sizeof block,
                  "\n  FrameW    = %d\n  FrameH    = %d\n  FrameRate = %g\n  Delay     = %d\n\n",
                  run->settings.FrameW, run->settings.FrameH, run->settings.FrameRate, run->settings.Delay);
    WriteCheckLine(run, block);
}

// Both passes start from the same values: the built-in record, then the
// profile's layers.
void LoadPassSettings(EncoderRun* run) {
    run->settings = run->builtIn;
    LoadProfileSection(&run->settings, run->profilePath, "Default", run->builtIn);
    std::string profile;
    if (GetOptionValue(run->options, "p:", &profile))
        LoadProfileSection(&run->settings, run->profilePath, profile.c_str(), run->builtIn);
}

// Start tick and hide delay of the current subtitle, in 64 bits.
std::int64_t StartTicks(const EncoderRun& run) {
    const std::int64_t frameLength = FrameLengthOf(run.settings.FrameRate);
    return frameLength * (static_cast<std::int64_t>(run.from) + run.settings.Delay);
}

std::int64_t HideDelayTicks(const EncoderRun& run) {
    const std::int64_t frameLength = FrameLengthOf(run.settings.FrameRate);
    return frameLength * (static_cast<std::int64_t>(run.to) - run.from);
}

// The delay word that the hide delay is written as: ticks / 1024 rounded,
// halves upward. Written as (ticks + 512) / 1024, which equals the writer's
// (2 * ticks + 1024) / 2048 for ticks >= 0 without doubling a product that
// may already lie near the 64-bit limit.
std::int64_t HideDelayWord(const EncoderRun& run) {
    const std::int64_t ticks = HideDelayTicks(run);
    return (ticks + DelayUnit / 2) / DelayUnit;
}

bool TimesRepresentable(const EncoderRun& run) {
    const std::int64_t start = StartTicks(run);
    const std::int64_t hide = HideDelayTicks(run);
    const std::int64_t word = HideDelayWord(run);
    return start >= 0 && start <= MaxTimeStamp && hide >= 0 && word <= MaxDelayWord;
}

// Time stamps are 32-bit and delays 16-bit words of 1024 ticks: a subtitle
// whose times do not fit is reported instead of being written wrapped.
void CheckTimes(EncoderRun* run) {
    const std::int64_t start = StartTicks(*run);
    if (start < 0 || start > MaxTimeStamp)
        Report(run, "error:  ", "time  ", static_cast<long long>(run->from) + run->settings.Delay);
    const std::int64_t hide = HideDelayTicks(*run);
    if (hide < 0 || HideDelayWord(*run) > MaxDelayWord)
        Report(run, "error:  ", "length", static_cast<long long>(run->to) - run->from);
}

void CheckTextSize(EncoderRun* run, const TextRect& rect) {
    const std::int64_t width = static_cast<std::int64_t>(rect.right) - rect.left;
    const std::int64_t height = static_cast<std::int64_t>(rect.bottom) - rect.top;
    const EncoderSettings& s = run->settings;
    if (s.FrameW < width)
        Report(run, "error:  ", "width ", width);
    else if (95LL * s.FrameW < 100 * width)
        Report(run, "warning:", "width ", width);
    if (s.FrameH < height + s.Indent)
        Report(run, "error:  ", "height", height);
    else if (s.FrameH < height + 2LL * s.Indent)
        Report(run, "warning:", "height", height);
}

void CheckBitmapSize(EncoderRun* run) {
    const BitmapInfoHeader& header = run->picture.header;
    if (header.biWidth > run->settings.FrameW) Report(run, "error:  ", "width ", header.biWidth);
    if (header.biHeight > run->settings.FrameH) Report(run, "error:  ", "height", header.biHeight);
}

// A first text line that begins with "{" names a bitmap, even an empty name.
bool NamesBitmap(const TextLines& text) {
    return !text.lines.empty() && !text.lines.front().empty() && text.lines.front().front() == '{';
}

// Loads the external bitmap; false (after the fatal message) when it fails.
bool LoadReferencedBitmap(EncoderRun* run, const std::string& reference) {
    const std::string path = ResolveBitmapReference(reference, run->sourcePath);
    LoadBitmapFile(path.c_str(), &run->picture);
    if (!run->picture.pixels.empty()) return true;
    AnnounceMessage(run, "\n  %s\n", "Fatal error - cannot load bitmap " + reference + ".");
    run->fatal = true;
    return false;
}

void DumpPicture(EncoderRun* run) {
    ++run->dumpCounter;
    std::string name = run->sourcePath;
    ChangeExtension(&name, "");
    char number[32];
    std::snprintf(number, sizeof number, "_%06d.bmp", run->dumpCounter);
    SaveBitmapFile(run->picture, (name + number).c_str());
}

// Builds the show and hide headers of the current subtitle and appends the
// block. A subtitle whose times or sub-picture do not fit is reported and
// left out; the others are written.
void WriteSubtitle(EncoderRun* run) {
    if (!TimesRepresentable(*run)) return;
    const EncoderSettings& s = run->settings;
    const FrameSize frame{s.FrameW, s.FrameH};
    SubtitleBlock& block = run->block;
    block.headerCount = 2;
    block.headers.assign(2, ControlHeader{});
    block.startTime = static_cast<std::uint32_t>(StartTicks(*run));
    block.spare = 0;
    const int shown = BuildControlHeader(&run->picture, frame, s.OnTop, s.Indent, 0, s.Palette, s.Alpha,
                                         &block.headers[0]);
    BuildControlHeader(nullptr, frame, s.OnTop, s.Indent, static_cast<std::int32_t>(HideDelayTicks(*run)),
                       s.Palette, s.Alpha, &block.headers[1]);
    const std::uint32_t unitSize = shown == 0 ? SubPictureUnitSize(block) : 0;
    if (shown != 0 || unitSize > MaxUnitSize) {
        char line[96];
        std::snprintf(line, sizeof line, "  error:   {%d} - bytes  > %u, not written\n", run->from, MaxUnitSize);
        WriteCheckLine(run, line);
        run->errorFlag = 1;
        return;
    }
    if (unitSize > PlayerUnitLimit) {
        char line[96];
        std::snprintf(line, sizeof line, "  warning: {%d} - bytes  = %u\n", run->from, unitSize);
        WriteCheckLine(run, line);
    }
    WriteSubtitleBlock(&run->output, &block);
}

// One subtitle line, in either pass. Returns false after a fatal error.
bool HandleSubtitleLine(EncoderRun* run, const std::string& line, int codePage) {
    ++run->subtitleCount;
    if (run->subtitleCount == 1 && run->pass == CheckPass) WriteSettingsBlock(run);

    ParseSubtitleLine(line, WholeRateOf(run->settings.FrameRate), &run->from, &run->to, &run->text, codePage);
    if (run->text.lines.empty()) return true;
    run->picture = IndexedBitmap{};

    if (NamesBitmap(run->text)) {
        if (!LoadReferencedBitmap(run, BitmapReferencePath(run->text))) return false;
        if (run->pass == CheckPass) CheckBitmapSize(run);
    } else {
        const EncoderSettings& s = run->settings;
        TextRect rect;
        const FrameSize size{s.FrameW, s.FrameH - PictureLinesSpared};
        RenderSubtitleText(run->text, run->pass == CheckPass, run->perPixel, s.OnTop, s.Indent, s.DynamicSize,
                           s.RightToLeft, s.Font, s.Contour, size, &rect, &run->picture);
        if (run->pass == EncodePass && run->picture.pixels.empty()) {
            AnnounceMessage(run, "\n  %s\n", UnsupportedGraphicMode);
            run->errorFlag = 1;
            run->fatal = true;
            return false;
        }
        if (run->pass == CheckPass) CheckTextSize(run, rect);
        if (run->pass == EncodePass && s.ShowBitmap != 0) DumpPicture(run);
    }

    if (run->pass == CheckPass)
        CheckTimes(run);
    else
        WriteSubtitle(run);
    return true;
}

// One pass over the source. Returns false after a fatal error.
bool RunPass(EncoderRun* run) {
    LoadPassSettings(run);
    run->perPixel = HasOption(run->options, "pixel") != 0;
    if (run->pass == EncodePass) {
        OpenDataFile(&run->output, run->supPath.c_str(), OfWrite);
        run->outputFailed = !IsDataFileOpen(&run->output);
    }
    RewindSourceText(&run->source);
    run->subtitleCount = 0;
    run->dumpCounter = 0;

    std::string line;
    while (ReadSourceLine(&run->source, &line)) {
        const int codePage = SourceCodePage(run->source, run->settings.Font.lfCharSet);
        TrimSourceLine(&line, codePage);
        switch (ClassifySourceLine(line)) {
            case SourceLineKind::Empty:
            case SourceLineKind::Comment:
                break;
            case SourceLineKind::Command:
                ApplyCommand(&run->settings, line.c_str(), run->builtIn, run->subtitleCount);
                break;
            case SourceLineKind::Subtitle:
                if (!HandleSubtitleLine(run, line, codePage)) return false;
                break;
        }
    }
    return true;
}

void FinishCheckPass(EncoderRun* run) {
    if (run->errorFlag == 0) return;
    AnnounceMessage(run, "\n  %s\n", DetectedErrors);
    const bool forced = HasOption(run->options, "force") != 0;
    if (forced) run->errorFlag = 0;
    AnnounceMessage(run, "  %s\n", forced ? EncodingForced : EncodingInterrupted);
}

}  // namespace

int EncodeSourceFile(const OptionList& options, const char* sourcePath, const char* /*fileName*/) {
    EncoderRun run;
    run.options = &options;
    run.sourcePath = sourcePath;
    run.builtIn = BuiltInSettings();
    run.settings = run.builtIn;
    run.profilePath = ProfilePath();
    run.supPath = run.sourcePath;
    ChangeExtension(&run.supPath, ".sup");
    run.logPath = run.sourcePath;
    ChangeExtension(&run.logPath, ".log");

    if (!OpenSourceText(sourcePath, run.builtIn.Font.lfCharSet, &run.source)) {
        std::fprintf(stderr, "OstrelEncode: cannot open \"%s\"\n", sourcePath);
        fileFailed = true;
        return 0;
    }
    if (!HasOption(&options, "nolog")) run.hasLog = CreateTextOutput(&run.log, run.logPath.c_str());

    std::printf("%s --> %s\n", run.sourcePath.c_str(), run.supPath.c_str());
    TextPrintf(&run.log, "%s --> %s\n\n", run.sourcePath.c_str(), run.supPath.c_str());
    LogTimeLine(&run, "  Encoding started  %04d-%02d-%02d  %02d:%02d:%02d\n");

    for (run.pass = CheckPass; run.pass <= EncodePass && run.errorFlag == 0; ++run.pass) {
        if (!RunPass(&run)) break;
        if (run.pass == CheckPass) FinishCheckPass(&run);
    }
    if (!run.fatal) LogTimeLine(&run, "  Encoding finished %04d-%02d-%02d  %02d:%02d:%02d\n");

    if (run.hasLog) CloseTextOutput(&run.log);
    CloseDataFile(&run.output);
    CloseSourceText(&run.source);
    if (run.outputFailed || DataFileWriteFailed(&run.output)) {
        std::fprintf(stderr, "OstrelEncode: cannot write \"%s\"\n", run.supPath.c_str());
        fileFailed = true;
    }
    return run.errorFlag;
}

bool EncoderHadFileFailure() { return fileFailed; }

}  // namespace ostrel
