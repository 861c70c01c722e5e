// Capture of the drawn text surface as a bottom-up 8-bit grey picture.
#include "encoder/grey_capture.h"

#include <cstring>
#include <new>

namespace ostrel {

namespace {

constexpr std::int32_t RowAlignment = 4;

std::int64_t GreyStride(std::int32_t width) {
    return (static_cast<std::int64_t>(width) + RowAlignment - 1) / RowAlignment * RowAlignment;
}

// Grey level of a 0x00BBGGRR colour: the mean of its three components.
std::uint8_t GreyOfColour(std::uint32_t colour) {
    std::uint32_t red = colour & 0xFF;
    std::uint32_t green = (colour >> 8) & 0xFF;
    std::uint32_t blue = (colour >> 16) & 0xFF;
    return static_cast<std::uint8_t>((blue + green + red) / 3);
}

// The whole grey buffer, row by row; surface row y goes to stored row height - 1 - y.
void BlockRead(const platform::TextSurface& surface, std::int32_t width, std::int32_t height,
               std::uint8_t* pixels) {
    const std::uint8_t* grey = platform::TextSurfaceGrey(surface);
    std::int64_t stride = GreyStride(width);
    for (std::int32_t y = 0; y < height; ++y)
        std::memcpy(pixels + static_cast<std::size_t>(height - 1 - y) * stride,
                    grey + static_cast<std::size_t>(y) * surface.width, static_cast<std::size_t>(width));
}

void PerPixelRead(const platform::TextSurface& surface, std::int32_t width, std::int32_t height,
                  std::uint8_t* pixels) {
    std::int64_t stride = GreyStride(width);
    for (std::int32_t y = 0; y < height; ++y) {
        std::uint8_t* row = pixels + static_cast<std::size_t>(height - 1 - y) * stride;
        for (std::int32_t x = 0; x < width; ++x)
            row[x] = GreyOfColour(platform::TextSurfacePixel(surface, x, y));
    }
}

}  // namespace

void CaptureGreyPicture(const platform::TextSurface& surface, bool perPixel, FrameSize size,
                        IndexedBitmap* picture) {
    if (!picture) return;
    std::int32_t width = size.width > 0 ? size.width : 0;
    std::int32_t height = size.height > 0 ? size.height : 0;
    SetGreyPictureHeader(picture, width, height);
    picture->pixels.clear();
    if (width == 0 || height == 0 || width > platform::MaxSurfaceDimension ||
        height > platform::MaxSurfaceDimension)
        return;
    try {
        picture->pixels.assign(static_cast<std::size_t>(GreyStride(width)) * height, 0);
    } catch (const std::bad_alloc&) {
        picture->pixels.clear();
        return;
    }
    bool blockReadable = !perPixel && platform::TextSurfaceGrey(surface) &&
                         surface.width == width && surface.height == height;
    if (blockReadable) {
        BlockRead(surface, width, height, picture->pixels.data());
    } else {
        PerPixelRead(surface, width, height, picture->pixels.data());
    }
}

}  // namespace ostrel
