#include <vector>

#include "link/com_ports.h"
#include "base/win32_include.h"

namespace kj {

bool dosDeviceExists(const std::wstring& dos_name) {
  // QueryDosDeviceW writes the device's target path; it succeeds only for a
  // device that exists. A target longer than the buffer fails as well, which
  // no serial port driver's target comes near.
  constexpr DWORD buffer_chars = 4096;
  std::vector<wchar_t> target(buffer_chars);
  return QueryDosDeviceW(dos_name.c_str(), target.data(), buffer_chars) != 0;
}

}  // namespace kj
