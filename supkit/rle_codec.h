// The run-length code of sub-picture fields: decoding a header's two fields
// into a picture of colour indices, and encoding a grey picture into them.
//
// Code words of a run of n pixels of colour c (bits first to last):
//   n 1..3      n(2) c(2)
//   n 4..15     00 n(4) c(2)
//   n 16..63    0000 n(6) c(2)
//   n 64..255   000000 n(8) c(2)
//   line end    fourteen 0 bits, c(2)
// Every line starts on a byte boundary.
#pragma once

#include <cstdint>

#include "supkit/indexed_bitmap.h"
#include "supkit/subtitle_block.h"

namespace ostrel {

constexpr std::uint32_t WorkingBufferSize = 0x20000;  // bytes of the codec's working buffer
constexpr std::uint32_t MaxFieldCodeSize = 65535;     // a field's code length is 16-bit

// Colour index of a grey level: its top two bits.
constexpr std::uint8_t ColourIndex(std::uint8_t value) { return value >> 6; }

// Decodes fields[0] and fields[1] of `header` within its rect. Fills
// `picture.header` and replaces `picture.pixels` with the colour indices
// 0..3; `picture.colours` is left alone.
void DecodeSubPicture(const ControlHeader& header, IndexedBitmap* picture);

// Codes the picture's even lines into header->fields[0] and its odd lines
// into header->fields[1]. Runs are at most 255 and at most `frameWidth`
// pixels. Returns 0, or -1 when a field's code would not fit the working
// buffer or 16 bits (the fields are then left empty).
int EncodeSubPicture(const IndexedBitmap& picture, std::int32_t frameWidth, ControlHeader* header);

}  // namespace ostrel
