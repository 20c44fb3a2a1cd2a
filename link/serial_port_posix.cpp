#include "link/serial_port.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>

#include "base/text_encoding.h"
#include "link/com_ports.h"

namespace kj {
namespace {

using Clock = std::chrono::steady_clock;

// Milliseconds left until the deadline, rounded up so that poll never wakes
// before it; 0 once it has passed.
int msUntil(Clock::time_point deadline) {
  const auto left = deadline - Clock::now();
  if (left <= Clock::duration::zero()) return 0;
  return static_cast<int>(std::chrono::ceil<std::chrono::milliseconds>(left).count());
}

class PosixSerialPort final : public SerialPort {
 public:
  explicit PosixSerialPort(int fd) : fd_(fd) {}
  ~PosixSerialPort() override {
    if (exclusive_) (void)::ioctl(fd_, TIOCNXCL);
    ::close(fd_);
  }
  // Keeps other openers of the tty out (where the driver allows) until closed.
  void makeExclusive() { exclusive_ = ::ioctl(fd_, TIOCEXCL) == 0; }
  PosixSerialPort(const PosixSerialPort&) = delete;
  PosixSerialPort& operator=(const PosixSerialPort&) = delete;

  std::optional<std::uint8_t> readByte() override {
    // The time-outs are run here on a monotonic clock: VTIME has 0.1 s steps
    // and does nothing on a non-blocking descriptor.
    const auto deadline =
        Clock::now() + std::chrono::milliseconds(read_total_timeout_constant_ms + read_total_timeout_per_byte_ms);
    for (;;) {
      pollfd p{fd_, POLLIN, 0};
      const int ready = ::poll(&p, 1, msUntil(deadline));
      if (ready < 0) {
        if (errno == EINTR) continue;
        return std::nullopt;
      }
      if (ready > 0) {
        if ((p.revents & POLLIN) != 0) {
          unsigned char byte = 0;
          const ssize_t got = ::read(fd_, &byte, 1);
          if (got == 1) return byte;
          if (got < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) return std::nullopt;
        } else if ((p.revents & (POLLERR | POLLHUP | POLLNVAL)) != 0) {
          // Nothing will come: the other side is gone. Report an empty read
          // after the time-out, as a silent line would.
          const int wait = msUntil(deadline);
          if (wait > 0) ::poll(nullptr, 0, wait);
          return std::nullopt;
        }
      }
      if (msUntil(deadline) == 0) return std::nullopt;
    }
  }

  bool writeByte(std::uint8_t byte) override {
    const auto deadline =
        Clock::now() + std::chrono::milliseconds(write_total_timeout_constant_ms + write_total_timeout_per_byte_ms);
    for (;;) {
      const ssize_t put = ::write(fd_, &byte, 1);
      if (put == 1) return true;
      if (put < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) return false;
      pollfd p{fd_, POLLOUT, 0};
      const int wait = msUntil(deadline);
      if (wait == 0) return false;
      if (::poll(&p, 1, wait) < 0 && errno != EINTR) return false;
    }
  }

  bool purgeReceive() override { return ::tcflush(fd_, TCIFLUSH) == 0; }
  bool purgeTransmit() override { return ::tcflush(fd_, TCOFLUSH) == 0; }

 private:
  int fd_;
  bool exclusive_ = false;
};

// Raw first (cfmakeraw sets 8 data bits and no parity), then the controller's
// settings on top.
bool applyLineSettings(int fd) {
  termios t{};
  if (::tcgetattr(fd, &t) != 0) return false;
  const tcflag_t framing = t.c_cflag & (CSIZE | PARENB | PARODD);
  ::cfmakeraw(&t);
  t.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARODD | CSTOPB | CRTSCTS);
  t.c_cflag |= CS7 | PARENB | CREAD | CLOCAL;
  t.c_iflag &= ~static_cast<tcflag_t>(IGNPAR | PARMRK | IXANY);
  t.c_iflag |= INPCK | IXON | IXOFF;
  t.c_cc[VMIN] = 0;
  t.c_cc[VTIME] = 0;
  if (::cfsetispeed(&t, B38400) != 0 || ::cfsetospeed(&t, B38400) != 0) return false;
  if (::tcsetattr(fd, TCSANOW, &t) != 0) {
    // A pseudo-terminal has no framing: it keeps 8 data bits without parity,
    // and newer kernels refuse a request to change them once it has been
    // opened before. Apply the rest with the framing the device reports.
    if (errno != EINVAL) return false;
    t.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | PARODD);
    t.c_cflag |= framing;
    if (::tcsetattr(fd, TCSANOW, &t) != 0) return false;
  }

  // tcsetattr succeeds when any part applied: read the settings back. A
  // pseudo-terminal keeps the speed, raw input and software flow control but
  // forces 8 data bits without parity, so the framing is not required here.
  termios back{};
  if (::tcgetattr(fd, &back) != 0) return false;
  // An input speed of 0 means "the output speed".
  const speed_t in = ::cfgetispeed(&back);
  if (::cfgetospeed(&back) != B38400 || (in != B38400 && in != B0)) return false;
  if ((back.c_lflag & (ICANON | ECHO | ISIG)) != 0) return false;
  if ((back.c_iflag & IXON) == 0) return false;

  // RTS held inactive where the driver has the line; a pty has none.
  int rts = TIOCM_RTS;
  (void)::ioctl(fd, TIOCMBIC, &rts);
  return true;
}

}  // namespace

std::unique_ptr<SerialPort> openSerialPort(const std::wstring& name) {
  std::wstring path = name;
  if (name.rfind(L"COM", 0) == 0) path = comDevicePath(L"/dev", name);
  if (path.empty()) return nullptr;
  const std::string native = toUtf8(path);
  const int fd = ::open(native.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return nullptr;
  auto port = std::make_unique<PosixSerialPort>(fd);
  // Not shared: another holder of the lock (or of the exclusive tty mode)
  // keeps us out, as Windows refuses a second open of a COM port.
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) return nullptr;
  if (::isatty(fd) == 0) return nullptr;
  port->makeExclusive();
  if (!applyLineSettings(fd)) return nullptr;
  return port;
}

}  // namespace kj
