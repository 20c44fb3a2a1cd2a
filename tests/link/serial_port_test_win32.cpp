#include "link/serial_port.h"

#include <gtest/gtest.h>

#include <string>

#include "base/text_encoding.h"

namespace kj {
namespace {

TEST(Win32SerialPort, APortThatDoesNotExistGivesNoPort) {
  // The empty name leaves the device prefix alone, which names no device.
  for (const std::wstring name : {L"COM250", L"COM0", L"", L"NOSUCHPORT"}) {
    SCOPED_TRACE(toUtf8(name));
    EXPECT_EQ(openSerialPort(name), nullptr);
  }
}

}  // namespace
}  // namespace kj
