// Builds the encoder's show and hide control headers: placement of the
// picture in the video frame and coding of its fields.
#pragma once

#include <cstdint>

#include "supkit/indexed_bitmap.h"
#include "supkit/subtitle_block.h"

namespace ostrel {

struct FrameSize {
    std::int32_t width = 0;   // FW
    std::int32_t height = 0;  // FH
};

// Fills `header` in full. With a picture (non-null, with pixels) it is a show
// header placed in the frame and coded; without one a hide header.
// Returns 0, or -1 when the picture's code does not fit (see EncodeSubPicture).
int BuildControlHeader(const IndexedBitmap* picture, FrameSize frameSize, std::int32_t onTop,
                       std::int32_t indent, std::int32_t delay, std::uint16_t palette,
                       std::uint16_t alpha, ControlHeader* header);

}  // namespace ostrel
