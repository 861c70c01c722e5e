// The encoder's show and hide control headers. A show header centres the
// picture across the frame and sets it on an even line: by the indent from
// the bottom (or top) when it takes at most three quarters of the frame
// height, against the bottom (or top) edge when at least 20 lines are left
// over, centred otherwise.
#include "supkit/control_header_builder.h"

#include "supkit/rle_codec.h"

namespace ostrel {
namespace {

constexpr std::int64_t MinSpareLines = 20;

// Integer arithmetic of the placement is done in 64 bits so that no size
// overflows; results outside 32 bits wrap as they would in the frame word.
std::int32_t Narrow(std::int64_t value) { return static_cast<std::int32_t>(value); }

std::int64_t FirstLine(std::int64_t frameHeight, std::int64_t height, bool onTop, std::int64_t indent) {
    if (3 * frameHeight >= 4 * height) return onTop ? indent : frameHeight - indent - height;
    if (frameHeight - MinSpareLines >= height) return onTop ? 0 : frameHeight - height;
    return (frameHeight - height) / 2;
}

void Place(std::int32_t width, std::int32_t height, FrameSize frame, bool onTop, std::int32_t indent,
           DisplayRect* rect) {
    const std::int64_t left = (std::int64_t{frame.width} - width) / 2;
    rect->left = Narrow(left);
    rect->right = Narrow(left + width - 1);
    std::int64_t top = FirstLine(frame.height, height, onTop, indent);
    if (top % 2 != 0) --top;
    rect->top = Narrow(top);
    rect->bottom = Narrow(top + height - 1);
}

}  // namespace

int BuildControlHeader(const IndexedBitmap* picture, FrameSize frameSize, std::int32_t onTop,
                       std::int32_t indent, std::int32_t delay, std::uint16_t palette,
                       std::uint16_t alpha, ControlHeader* header) {
    if (header == nullptr) return -1;
    *header = ControlHeader{};
    header->delay = delay;
    if (picture == nullptr || picture->pixels.empty()) {
        header->command = CommandHide;
        header->alpha = AlphaAbsent;
        return 0;
    }
    header->command = CommandShow;
    header->palette = palette;
    header->alpha = alpha;
    Place(picture->header.biWidth, picture->header.biHeight, frameSize, onTop != 0, indent, &header->rect);
    return EncodeSubPicture(*picture, frameSize.width, header);
}

}  // namespace ostrel
