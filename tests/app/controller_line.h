#pragma once
// What the controller sends in the window tests: the bytes of a block on the
// line, the request bytes, and the block as the receive session keeps it.

#include <cstddef>
#include <string>

#include "tests/support/scripted_port.h"

namespace kj::app::test {

// The bytes of a block text of ASCII characters, as the controller sends them.
inline std::string lineBytes(const std::wstring& text) {
  std::string bytes;
  for (const wchar_t c : text) bytes.push_back(static_cast<char>(c));
  return bytes;
}

// The length of a block's header: up to the comma after the record count.
inline std::size_t headerLength(const std::wstring& text) {
  int commas = !text.empty() && text[0] == L'\x01' ? 4 : 1;
  std::size_t i = 0;
  while (i < text.size() && commas > 0) {
    if (text[i++] == L',') --commas;
  }
  return i;
}

// The block as the session keeps it: spaces after the header are dropped.
inline std::wstring asReceived(const std::wstring& text) {
  const std::size_t header_length = headerLength(text);
  std::wstring received = text.substr(0, header_length);
  for (std::size_t i = header_length; i < text.size(); ++i) {
    if (text[i] != L' ') received.push_back(text[i]);
  }
  return received;
}

inline const std::string enq = "\x05";
inline const std::string syn = "\x16";
inline const std::string eot = "\x04";
inline const std::string nak = "\x15";

// The request byte, the block, EOT.
inline kj::test::PortScript transfer(const std::string& request, const std::wstring& block) {
  return kj::test::PortScript().bytes(request + lineBytes(block) + eot);
}

}  // namespace kj::app::test
