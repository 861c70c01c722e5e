// Reads the text surface back as the encoder's 8-bit grey picture.
#pragma once

#include "platform/text_surface.h"
#include "supkit/control_header_builder.h"
#include "supkit/indexed_bitmap.h"

namespace ostrel {

// Fills `picture` from `surface` of the given size: the header of an 8-bit
// bitmap, one zero colour entry, and grey pixels stored bottom-up with rows
// padded to a multiple of 4 bytes. `perPixel` reads pixel by pixel instead of
// the whole buffer at once; both give the same picture. The pixels are left
// empty when no buffer could be had.
void CaptureGreyPicture(const platform::TextSurface& surface, bool perPixel, FrameSize size,
                        IndexedBitmap* picture);

}  // namespace ostrel
