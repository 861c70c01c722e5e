// A sample ".sup" stream made with the toolkit itself: subtitles of
// bar-shaped "words" in all four colour indices, for the demo, the
// benchmarks and trying the programs without a disc at hand.
#include "tools/sample_stream.h"

#include "supkit/block_writer.h"
#include "supkit/control_header_builder.h"
#include "supkit/data_file.h"
#include "supkit/indexed_bitmap.h"

namespace ostrel {
namespace {

constexpr FrameSize SampleFrame{720, 576};
constexpr std::int32_t SampleIndent = 40;
constexpr std::uint16_t SamplePalette = 0x3210;
constexpr std::uint16_t SampleAlpha = 0xFFF0;
constexpr std::int32_t TicksPerSecond = 90000;

constexpr std::uint8_t Background = 0;
constexpr std::uint8_t Contour = 100;
constexpr std::uint8_t Shade = 170;
constexpr std::uint8_t Ink = 255;

// Sets one pixel of a bottom-up grey picture; line 0 is the top.
void SetPixel(IndexedBitmap* picture, int x, int line, std::uint8_t grey) {
    const BitmapInfoHeader& h = picture->header;
    if (x < 0 || x >= h.biWidth || line < 0 || line >= h.biHeight) return;
    picture->pixels[BitmapStride(h.biWidth) * (h.biHeight - 1 - line) + x] = grey;
}

// A word: an ink bar with a one-pixel contour and a shaded underline.
void DrawWord(IndexedBitmap* picture, int left, int top, int width, int height) {
    for (int line = top - 1; line <= top + height; ++line)
        for (int x = left - 1; x <= left + width; ++x) SetPixel(picture, x, line, Contour);
    for (int line = top; line < top + height; ++line)
        for (int x = left; x < left + width; ++x) SetPixel(picture, x, line, Ink);
    for (int x = left; x < left + width; ++x) SetPixel(picture, x, top + height + 2, Shade);
}

IndexedBitmap MakePicture(int width, int height) {
    IndexedBitmap picture;
    SetGreyPictureHeader(&picture, width, height);
    picture.pixels.assign(picture.header.biSizeImage, Background);
    return picture;
}

// One subtitle line of words whose widths are given, ending at a 0.
void DrawLine(IndexedBitmap* picture, int top, const int* widths) {
    int total = 0, count = 0;
    for (const int* w = widths; *w != 0; ++w, ++count) total += *w;
    constexpr int Gap = 14;
    int x = (picture->header.biWidth - (total + Gap * (count - 1))) / 2;
    for (const int* w = widths; *w != 0; ++w) {
        DrawWord(picture, x, top, *w, 20);
        x += *w + Gap;
    }
}

}  // namespace

bool WriteSampleStream(const char* path, int blockCount, bool fullFramePictures) {
    DataFile file;
    OpenDataFile(&file, path, OfWrite);
    if (!IsDataFileOpen(&file)) return false;

    static const int firstLine[][6] = {{60, 110, 44, 90, 0}, {120, 70, 0}, {40, 40, 150, 64, 30, 0}};
    static const int secondLine[][6] = {{80, 52, 130, 0}, {0}, {96, 60, 0}};
    constexpr int Patterns = 3;
    constexpr std::uint32_t SecondsBetween = 4;

    for (int i = 0; i < blockCount; ++i) {
        const int p = i % Patterns;
        const bool twoLines = secondLine[p][0] != 0;
        // A full-frame picture is what the encoder makes without DynamicSize:
        // the frame less four lines, the text near its bottom.
        const int width = fullFramePictures ? SampleFrame.width : 540;
        const int textHeight = twoLines ? 64 : 32;
        const int height = fullFramePictures ? SampleFrame.height - 4 : textHeight;
        const int textTop = height - textHeight - (fullFramePictures ? SampleIndent : 0);
        IndexedBitmap picture = MakePicture(width, height);
        DrawLine(&picture, textTop + 5, firstLine[p]);
        if (twoLines) DrawLine(&picture, textTop + 37, secondLine[p]);

        SubtitleBlock block;
        block.headerCount = 2;
        block.headers.resize(2);
        block.startTime = (1 + SecondsBetween * static_cast<std::uint32_t>(i)) * TicksPerSecond;
        const std::int32_t duration = (2 + p) * TicksPerSecond;
        if (BuildControlHeader(&picture, SampleFrame, 0, SampleIndent, 0, SamplePalette, SampleAlpha,
                               &block.headers[0]) != 0 ||
            BuildControlHeader(nullptr, SampleFrame, 0, SampleIndent, duration, SamplePalette, SampleAlpha,
                               &block.headers[1]) != 0 ||
            WriteSubtitleBlock(&file, &block) != 0)
            return false;
    }
    CloseDataFile(&file);
    return true;
}

}  // namespace ostrel
