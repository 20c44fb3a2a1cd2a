#include "base/local_time.h"

#include "base/win32_include.h"

namespace kj {

LocalDateTime systemLocalTime() {
  SYSTEMTIME t{};
  GetLocalTime(&t);
  return {t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond};
}

}  // namespace kj
