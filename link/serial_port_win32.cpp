#include "link/serial_port.h"

#include <utility>

#include "base/win32_include.h"

namespace kj {
namespace {

// The one owner of a file handle; CreateFileW fails with INVALID_HANDLE_VALUE.
class FileHandle {
 public:
  FileHandle() = default;
  explicit FileHandle(HANDLE h) : h_(h) {}
  ~FileHandle() { reset(); }
  FileHandle(const FileHandle&) = delete;
  FileHandle& operator=(const FileHandle&) = delete;
  FileHandle(FileHandle&& other) noexcept : h_(other.release()) {}
  FileHandle& operator=(FileHandle&& other) noexcept {
    if (this != &other) {
      reset();
      h_ = other.release();
    }
    return *this;
  }
  HANDLE get() const { return h_; }
  bool valid() const { return h_ != INVALID_HANDLE_VALUE; }
  HANDLE release() {
    HANDLE h = h_;
    h_ = INVALID_HANDLE_VALUE;
    return h;
  }
  void reset() {
    if (valid()) CloseHandle(h_);
    h_ = INVALID_HANDLE_VALUE;
  }

 private:
  HANDLE h_ = INVALID_HANDLE_VALUE;
};

class Win32SerialPort final : public SerialPort {
 public:
  explicit Win32SerialPort(FileHandle handle) : handle_(std::move(handle)) {}

  std::optional<std::uint8_t> readByte() override {
    unsigned char byte = 0;
    DWORD got = 0;
    // The port's time-outs end the read after about 101 ms without a byte.
    if (ReadFile(handle_.get(), &byte, 1, &got, nullptr) == 0 || got != 1) return std::nullopt;
    return byte;
  }

  bool writeByte(std::uint8_t byte) override {
    DWORD put = 0;
    return WriteFile(handle_.get(), &byte, 1, &put, nullptr) != 0 && put == 1;
  }

  bool purgeReceive() override { return PurgeComm(handle_.get(), PURGE_RXCLEAR) != 0; }
  bool purgeTransmit() override { return PurgeComm(handle_.get(), PURGE_TXCLEAR) != 0; }

 private:
  FileHandle handle_;
};

// The controller's fields of the port's current state; everything else (XON
// and XOFF characters, DTR control, CTS/DSR output flow, DSR sensitivity)
// stays as the driver reports it.
bool applyLineSettings(HANDLE h) {
  DCB dcb{};
  dcb.DCBlength = sizeof(dcb);
  if (GetCommState(h, &dcb) == 0) return false;
  dcb.BaudRate = line_baud_rate;
  dcb.ByteSize = 7;
  dcb.Parity = EVENPARITY;
  dcb.fParity = TRUE;
  dcb.StopBits = ONESTOPBIT;
  dcb.fBinary = TRUE;
  dcb.fOutX = TRUE;
  dcb.fInX = TRUE;
  dcb.XonLim = static_cast<WORD>(xon_limit_bytes);
  dcb.XoffLim = static_cast<WORD>(xoff_limit_bytes);
  dcb.fRtsControl = RTS_CONTROL_DISABLE;
  return SetCommState(h, &dcb) != 0;
}

bool applyTimeouts(HANDLE h) {
  COMMTIMEOUTS timeouts{};
  if (GetCommTimeouts(h, &timeouts) == 0) return false;
  timeouts.ReadIntervalTimeout = read_interval_timeout_ms;
  timeouts.ReadTotalTimeoutMultiplier = read_total_timeout_per_byte_ms;
  timeouts.ReadTotalTimeoutConstant = read_total_timeout_constant_ms;
  timeouts.WriteTotalTimeoutMultiplier = write_total_timeout_per_byte_ms;
  timeouts.WriteTotalTimeoutConstant = write_total_timeout_constant_ms;
  return SetCommTimeouts(h, &timeouts) != 0;
}

}  // namespace

std::unique_ptr<SerialPort> openSerialPort(const std::wstring& name) {
  // The device namespace prefix also reaches ports numbered above 9.
  const std::wstring path = L"\\\\.\\" + name;
  FileHandle handle(CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr));
  if (!handle.valid()) return nullptr;
  if (!applyLineSettings(handle.get())) return nullptr;
  if (!applyTimeouts(handle.get())) return nullptr;
  return std::make_unique<Win32SerialPort>(std::move(handle));
}

}  // namespace kj
