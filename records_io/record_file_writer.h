#pragma once
// Writing record files (and other text files) and naming received blocks.

#include <functional>
#include <string>

#include "base/local_time.h"

namespace kj {

// Writes text as bytes of code_page (see encodeText), each byte substituted when
// `substitute` is set, with nothing before or after them, replacing the file
// at path only once the new content is complete (replaceFileAtomically). False
// when the text cannot be converted or the file cannot be written; an existing
// file is then left as it was, and no temporary file is left behind.
bool writeRecordFile(const std::wstring& path, const std::wstring& text, bool substitute, unsigned code_page);

using Clock = std::function<LocalDateTime()>;

// YYYY_MMDD_hhmmss of the clock's current time, e.g. 2024_0305_090702. Each
// part has at least its width of digits; a value out of its range (a clock
// that reports year 12345 or -1) is written in full, with its sign.
std::wstring makeTimestampName(const Clock& clock = systemLocalTime);

}  // namespace kj
