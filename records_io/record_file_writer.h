#pragma once
// Writing record files (and other text files) and naming received blocks.

#include <functional>
#include <string>

namespace kj {

// Writes text as bytes of code_page (see encodeText), each byte substituted when
// `substitute` is set, with nothing before or after them. False when the file
// cannot be created or written.
bool writeRecordFile(const std::wstring& path, const std::wstring& text, bool substitute, unsigned code_page);

struct LocalDateTime {
  int year = 0;
  int month = 0;   // 1-12
  int day = 0;     // 1-31
  int hour = 0;    // 0-23
  int minute = 0;
  int second = 0;
};

using Clock = std::function<LocalDateTime()>;

// The local date and time of the system clock.
LocalDateTime systemLocalTime();

// YYYY_MMDD_hhmmss of the clock's current time, e.g. 2024_0305_090702.
std::wstring makeTimestampName(const Clock& clock = systemLocalTime);

}  // namespace kj
