#include "link/com_ports.h"

#include <filesystem>
#include <system_error>
#include <utility>
#include <vector>

#include "base/fs_path.h"

namespace kj {

PortList enumerate_ports(const DeviceExists& exists) {
  auto ports = std::make_shared<std::vector<std::wstring>>();
  if (exists) {
    for (int n = lowest_port_number; n <= highest_port_number; ++n) {
      std::wstring name = L"COM" + std::to_wstring(n);
      if (exists(name)) ports->push_back(std::move(name));
    }
  }
  return ports;
}

PortList enumerate_ports() { return enumerate_ports(dosDeviceExists); }

DeviceExists devicesUnder(std::wstring device_dir) {
  return [dir = std::move(device_dir)](const std::wstring& dos_name) {
    const std::wstring path = comDevicePath(dir, dos_name);
    if (path.empty()) return false;
    std::error_code error;
    const auto status = std::filesystem::status(fsPath(path), error);
    return !error && std::filesystem::exists(status) && !std::filesystem::is_directory(status);
  };
}

std::wstring comDevicePath(const std::wstring& device_dir, const std::wstring& dos_name) {
  constexpr std::wstring_view prefix = L"COM";
  if (dos_name.size() <= prefix.size() || dos_name.compare(0, prefix.size(), prefix) != 0) return {};
  const std::wstring digits = dos_name.substr(prefix.size());
  if (digits.size() > 3 || digits.front() == L'0') return {};  // also rules out COM0
  int n = 0;
  for (const wchar_t c : digits) {
    if (c < L'0' || c > L'9') return {};
    n = n * 10 + (c - L'0');
  }
  std::wstring path = device_dir;
  if (!path.empty() && path.back() != L'/') path += L'/';
  return path + L"ttyS" + std::to_wstring(n - 1);
}

}  // namespace kj
