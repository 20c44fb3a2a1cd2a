#pragma once
// The local date and time of the system clock.

namespace kj {

struct LocalDateTime {
  int year = 0;
  int month = 0;   // 1-12
  int day = 0;     // 1-31
  int hour = 0;    // 0-23
  int minute = 0;
  int second = 0;
};

// The local date and time of the system clock now.
LocalDateTime systemLocalTime();

}  // namespace kj
