// Frame rate options and tick/frame arithmetic of the reading programs.
#include "htmlview/frame_rate.h"

#include <algorithm>
#include <cstdio>
#include <limits>
#include <string>

namespace ostrel {

double ReadFrameRate(const OptionList& options) {
    double rate = 0;
    std::string value;
    if (GetOptionValue(&options, "fr:", &value, RateValueSize)) std::sscanf(value.c_str(), "%lg", &rate);
    if (HasOption(&options, "ntsc")) rate = NtscFrameRate;
    if (HasOption(&options, "pal")) rate = PalFrameRate;
    if (!(rate > 0)) rate = PalFrameRate;  // also catches a scanned "nan"
    return std::min(rate, MaxFrameRate);
}

std::int32_t FrameLengthOf(double rate) {
    if (!(rate > 0)) rate = PalFrameRate;
    constexpr double Largest = std::numeric_limits<std::int32_t>::max();
    const double length = std::min(TicksPerSecond / rate + 0.5, Largest);
    return std::max<std::int32_t>(static_cast<std::int32_t>(length), 1);
}

std::uint32_t WholeFrameRate(double rate) {
    if (!(rate > 0)) return 1;
    return std::max<std::uint32_t>(static_cast<std::uint32_t>(std::min(rate, MaxFrameRate) + 0.5), 1);
}

std::uint32_t FramesFromTicks(std::uint32_t ticks, std::int32_t frameLength) {
    const std::uint64_t length = static_cast<std::uint64_t>(std::max<std::int32_t>(frameLength, 1));
    return static_cast<std::uint32_t>((2 * static_cast<std::uint64_t>(ticks) + length) / (2 * length));
}

}  // namespace ostrel
