#pragma once
// Discovery of the COM ports that exist on this machine.

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace kj {

// Port names such as L"COM3", in ascending number order. Immutable once made;
// shared by whoever needs it for as long as they need it.
using PortList = std::shared_ptr<const std::vector<std::wstring>>;

// True when a device of this DOS device name (e.g. L"COM3") exists.
using DeviceExists = std::function<bool(const std::wstring& dos_name)>;

// The numbers tried, COM0 up to COM254.
inline constexpr int lowest_port_number = 0;
inline constexpr int highest_port_number = 254;

// Every name COM0 ... COM254 for which `exists` holds, ascending; possibly
// empty. `exists` is called once per name, on the calling thread.
PortList enumerate_ports(const DeviceExists& exists);

// enumerate_ports with this platform's lookup, dosDeviceExists.
PortList enumerate_ports();

// The platform's lookup of a DOS device name. Windows: QueryDosDeviceW, which
// succeeds only for existing devices. Elsewhere COMn stands for the serial
// device /dev/ttyS(n-1), the numbering Wine uses, so COM1 is /dev/ttyS0 and
// COM0 never exists: devicesUnder(L"/dev").
bool dosDeviceExists(const std::wstring& dos_name);

// A lookup that finds COMn as the file comDevicePath(device_dir, COMn).
DeviceExists devicesUnder(std::wstring device_dir);

// The POSIX device path of a COM port name inside `device_dir` (normally
// "/dev"): COMn with n >= 1 and no leading zeros gives device_dir/ttyS(n-1);
// any other name gives an empty path.
std::wstring comDevicePath(const std::wstring& device_dir, const std::wstring& dos_name);

}  // namespace kj
