// The local date and time of day, for time stamps in logs.
#pragma once

namespace ostrel::platform {

struct LocalTime {
    int year = 0;
    int month = 0;  // 1 to 12
    int day = 0;
    int hour = 0;
    int minute = 0;
    int second = 0;
};

// The current local time.
LocalTime CurrentLocalTime();

}  // namespace ostrel::platform
