#pragma once
// The serial port as the receive session sees it: one byte in (or nothing
// after the read time-out), one byte out, and discarding the buffers.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace kj {

// The controller's line: 38400 baud, 7 data bits, even parity (checked on
// input), 1 stop bit, XON/XOFF both ways, RTS held inactive.
inline constexpr unsigned line_baud_rate = 38400;
// Read time-outs: at most this long between two bytes of one read, plus a
// constant and a per-byte part for the whole read. An empty one-byte read
// therefore returns after about 101 ms.
inline constexpr unsigned read_interval_timeout_ms = 100;
inline constexpr unsigned read_total_timeout_per_byte_ms = 1;
inline constexpr unsigned read_total_timeout_constant_ms = 100;
inline constexpr unsigned write_total_timeout_per_byte_ms = 1;
inline constexpr unsigned write_total_timeout_constant_ms = 100;
// Software flow control limits of the receive buffer, in bytes.
inline constexpr unsigned xon_limit_bytes = 100;
inline constexpr unsigned xoff_limit_bytes = 2500;

// An open serial port. Used by one thread at a time; closed when destroyed.
class SerialPort {
 public:
  virtual ~SerialPort() = default;

  // One received byte, or nothing when none arrived within the read time-out
  // of a one-byte read (about 101 ms) or the read failed.
  virtual std::optional<std::uint8_t> readByte() = 0;
  // Writes one byte; true only when exactly that byte was written (a write
  // gives up after about 101 ms).
  virtual bool writeByte(std::uint8_t byte) = 0;
  // Discard what the receive / transmit buffer holds; true on success.
  virtual bool purgeReceive() = 0;
  virtual bool purgeTransmit() = 0;
};

// Opens a serial port exclusively and applies the controller's line settings
// and time-outs; nothing when the port is missing, held by another program,
// refused or rejects the settings (the port is then closed again).
// Windows: a port name such as L"COM3" or L"COM12", opened as \\.\COM12.
// Elsewhere: a device path such as L"/dev/ttyUSB0" or a pseudo-terminal, or a
// COMn name standing for /dev/ttyS(n-1).
std::unique_ptr<SerialPort> openSerialPort(const std::wstring& name);

}  // namespace kj
