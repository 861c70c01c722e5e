// Export of decoded sub-pictures (colour indices 0..3) as 8-bit bitmap files
// under a fixed grey palette.
#pragma once

#include <array>

#include "supkit/indexed_bitmap.h"

namespace ostrel {

constexpr int ExportColourCount = 256;
constexpr int SaveBitmapFailed = 10;

// The greys under which colour indices 0..3 are shown.
extern const std::array<RgbQuad, 4> ExportPalette;

// A picture record of the decoding programs: 256 colour entries, the first
// four the ExportPalette, the rest zero; no pixels.
IndexedBitmap MakeExportPicture();

// Writes the picture as a bitmap file. Returns 0, or 10 on any failure.
int SaveIndexedBitmap(const IndexedBitmap& picture, const char* path);

}  // namespace ostrel
