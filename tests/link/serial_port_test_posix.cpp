#include "link/serial_port.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include <string>

#include "base/text_encoding.h"

namespace kj {
namespace {

// The controller's end of a pseudo-terminal; the port opens the other end.
class Pty {
 public:
  Pty() {
    master_ = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (master_ < 0 || ::grantpt(master_) != 0 || ::unlockpt(master_) != 0) return;
    const char* name = ::ptsname(master_);
    if (name != nullptr) slave_path_ = name;
  }
  ~Pty() {
    if (master_ >= 0) ::close(master_);
  }
  Pty(const Pty&) = delete;
  Pty& operator=(const Pty&) = delete;

  bool ok() const { return !slave_path_.empty(); }
  std::wstring path() const { return fromUtf8(slave_path_); }
  bool send(const std::string& bytes) {
    return ::write(master_, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
  }
  // What the port wrote, waiting up to a second for the first byte.
  std::string receive(std::size_t count) {
    std::string out;
    while (out.size() < count) {
      pollfd p{master_, POLLIN, 0};
      if (::poll(&p, 1, 1000) <= 0) break;
      char buf[64];
      const ssize_t got = ::read(master_, buf, sizeof buf);
      if (got <= 0) break;
      out.append(buf, static_cast<std::size_t>(got));
    }
    return out;
  }

 private:
  int master_ = -1;
  std::string slave_path_;
};

TEST(PosixSerialPort, BytesPassBothWaysOnAPseudoTerminal) {
  Pty pty;
  ASSERT_TRUE(pty.ok());
  auto port = openSerialPort(pty.path());
  ASSERT_NE(port, nullptr);
  // Raw: no line editing, no translation of CR or LF, 8-bit bytes pass.
  const std::string sent = std::string("\x05\x01" "BT,01,\r\n\x02\xb1\x7f\x03\x04", 13);
  ASSERT_TRUE(pty.send(sent));
  std::string got;
  for (std::size_t k = 0; k < sent.size(); ++k) {
    const auto byte = port->readByte();
    ASSERT_TRUE(byte.has_value()) << "byte " << k;
    got.push_back(static_cast<char>(*byte));
  }
  EXPECT_EQ(got, sent);
  EXPECT_TRUE(port->writeByte(0x06));
  EXPECT_TRUE(port->writeByte(0x15));
  EXPECT_EQ(pty.receive(2), "\x06\x15");
}

TEST(PosixSerialPort, AnEmptyReadReturnsNothing) {
  Pty pty;
  ASSERT_TRUE(pty.ok());
  auto port = openSerialPort(pty.path());
  ASSERT_NE(port, nullptr);
  EXPECT_FALSE(port->readByte().has_value());
}

TEST(PosixSerialPort, PurgingDiscardsWhatWasReceived) {
  Pty pty;
  ASSERT_TRUE(pty.ok());
  auto port = openSerialPort(pty.path());
  ASSERT_NE(port, nullptr);
  ASSERT_TRUE(pty.send("abc"));
  ASSERT_EQ(port->readByte(), std::optional<std::uint8_t>('a'));  // the bytes have arrived
  EXPECT_TRUE(port->purgeReceive());
  EXPECT_TRUE(port->purgeTransmit());
  EXPECT_FALSE(port->readByte().has_value());
  ASSERT_TRUE(pty.send("d"));
  EXPECT_EQ(port->readByte(), std::optional<std::uint8_t>('d'));
}

TEST(PosixSerialPort, TheLineSettingsAreApplied) {
  Pty pty;
  ASSERT_TRUE(pty.ok());
  auto port = openSerialPort(pty.path());
  ASSERT_NE(port, nullptr);
  const std::string path = toUtf8(pty.path());
  const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
  if (fd < 0) GTEST_SKIP() << "the held pty cannot be opened a second time to inspect it";
  termios t{};
  ASSERT_EQ(::tcgetattr(fd, &t), 0);
  ::close(fd);
  EXPECT_EQ(::cfgetispeed(&t), B38400);
  EXPECT_EQ(::cfgetospeed(&t), B38400);
  EXPECT_EQ(t.c_lflag & (ICANON | ECHO | ISIG), 0u);
  EXPECT_NE(t.c_iflag & IXON, 0u);
  EXPECT_NE(t.c_iflag & IXOFF, 0u);
  EXPECT_EQ(t.c_oflag & OPOST, 0u);
}

TEST(PosixSerialPort, APortIsHeldExclusively) {
  Pty pty;
  ASSERT_TRUE(pty.ok());
  auto first = openSerialPort(pty.path());
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(openSerialPort(pty.path()), nullptr);
  first.reset();
  EXPECT_NE(openSerialPort(pty.path()), nullptr) << "free again once closed";
}

TEST(PosixSerialPort, WhatCannotBeOpenedGivesNoPort) {
  for (const std::wstring name : {L"/nonexistent/ttyX", L"COM0", L"", L"/dev/null"}) {
    SCOPED_TRACE(toUtf8(name));
    EXPECT_EQ(openSerialPort(name), nullptr);
  }
}

}  // namespace
}  // namespace kj
