#include "link/com_ports.h"

namespace kj {

bool dosDeviceExists(const std::wstring& dos_name) {
  static const DeviceExists lookup = devicesUnder(L"/dev");
  return lookup(dos_name);
}

}  // namespace kj
