// A sample ".sup" stream made with the toolkit itself.
#pragma once

namespace ostrel {

// Writes `blockCount` subtitles of two-line or one-line bar pictures, one
// every four seconds from second 1, to `path`. Returns false when the file
// cannot be written. With `fullFramePictures` every picture covers the
// frame (720x572), as the encoder's pictures do without DynamicSize.
bool WriteSampleStream(const char* path, int blockCount, bool fullFramePictures = false);

}  // namespace ostrel
