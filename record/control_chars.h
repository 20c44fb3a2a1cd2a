#pragma once
// Control characters of the transfer block and the serial line.

namespace kj::ctl {
inline constexpr wchar_t SOH = 0x01;
inline constexpr wchar_t STX = 0x02;
inline constexpr wchar_t ETX = 0x03;
inline constexpr wchar_t EOT = 0x04;
inline constexpr wchar_t ENQ = 0x05;
inline constexpr wchar_t ACK = 0x06;
inline constexpr wchar_t SYN = 0x16;
}  // namespace kj::ctl
