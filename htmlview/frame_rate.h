// The frame rate options of the two reading programs ("fr:N", "ntsc", "pal")
// and the arithmetic between 90 kHz ticks, frames and whole frame rates.
#pragma once

#include <cstdint>

#include "frontend/command_line.h"

namespace ostrel {

constexpr double PalFrameRate = 25.0;
constexpr double NtscFrameRate = 29.97;
constexpr std::int32_t TicksPerSecond = 90000;
// The highest rate at which one frame still lasts a whole tick; higher rates
// are clamped to it so that FrameLength never comes out as 0.
constexpr double MaxFrameRate = 180000.0;
constexpr std::size_t RateValueSize = 256;

// The rate the options ask for: "fr:N" scanned with "%lg", then "ntsc"
// (29.97), then "pal" (25); 25 when not above 0; at most MaxFrameRate.
double ReadFrameRate(const OptionList& options);

// Ticks of one frame: 90000 / rate + 0.5, truncated; at least 1.
std::int32_t FrameLengthOf(double rate);

// The whole frame rate: rate + 0.5, truncated; at least 1.
std::uint32_t WholeFrameRate(double rate);

// ticks / frameLength rounded to the nearest frame, halves up, over the whole
// unsigned 32-bit range of ticks (formed in 64 bits, without overflow).
std::uint32_t FramesFromTicks(std::uint32_t ticks, std::int32_t frameLength);

}  // namespace ostrel
