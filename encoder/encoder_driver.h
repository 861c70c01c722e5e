// The encoder's per-file handler: a check pass that measures every subtitle
// against the frame and logs what does not fit, then an encode pass that
// renders, codes and writes one ".sup" block per subtitle.
#pragma once

#include <cstdint>

#include "frontend/command_line.h"

namespace ostrel {

// Largest sub-picture unit that DVD-Video players are sure to accept; a
// larger one is written with a warning.
constexpr std::uint32_t PlayerUnitLimit = 53220;

// Encodes the source text at `sourcePath` into a ".sup" and a ".log" beside
// it. Returns the error flag: 1 when a problem was reported and the file was
// not forced, or the encoding failed; else 0. A source that cannot be opened
// or a ".sup" that cannot be written is reported on standard error and noted
// for EncoderHadFileFailure instead, so that the other files still go on.
int EncodeSourceFile(const OptionList& options, const char* sourcePath, const char* fileName);

// True when a file of this run failed: a source that could not be opened,
// or a ".sup" that could not be created or written.
bool EncoderHadFileFailure();

}  // namespace ostrel
