#pragma once
// The controller's side of a transfer, as bytes: what a controller sends after
// the PC has acknowledged its request, with the faults a real line or a real
// controller can produce. Portable; the pseudo-terminal player
// (controller_pty_posix.h) and the unit tests of the receive session (through
// the scripted port) both play it.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kj::sim {

inline constexpr std::uint8_t enq = 0x05;
inline constexpr std::uint8_t syn = 0x16;
inline constexpr std::uint8_t ack = 0x06;
inline constexpr std::uint8_t nak = 0x15;
inline constexpr std::uint8_t eot = 0x04;

// What the controller is told to do.
struct ControllerPlan {
  // ENQ (short records) or SYN (long records).
  std::uint8_t request = syn;
  // Bytes sent once before the first request (line noise, or a controller
  // that talks first). Never holds ENQ or SYN.
  std::string noise;
  // The block as the controller sends it: header and records, one byte each.
  std::string block;

  // A space inside the header (before the record count, where the header
  // still reads the same) and spaces inside the records (after every comma and
  // before every ETX).
  bool spaces = false;
  // A NAK in place of byte n of what is sent after the ACK (0: the first
  // byte; spaces count); the controller then stops.
  std::optional<std::size_t> nak_at;
  // A silence of silence_ms before byte n of what is sent after the ACK.
  std::optional<std::size_t> silence_at;
  long long silence_ms = 250;
  // After the block the records repeat without end: no EOT ever comes.
  bool endless = false;
  // The controller never sends anything, not even its request.
  bool send_nothing = false;
};

// The bytes a controller sends after the ACK, in pieces separated by silences.
struct Piece {
  long long silence_before_ms = 0;
  std::string bytes;
};

struct Transmission {
  std::vector<Piece> pieces;
  // After the pieces: EOT, then the controller waits for the final ACK.
  bool ends_with_eot = true;
  // After the pieces these bytes repeat for ever (endless plans).
  std::string endless_pattern;
};

// The block bytes of a record file's stored bytes: every byte un-substituted
// and nothing dropped, so a receive of them saved as a record file gives the
// same file back.
std::string blockOfStoredBytes(std::string_view stored);

// Where the header of a block ends: the length up to and including the comma
// after the record count (the 4th comma of a tagged header, starting with SOH;
// else the 1st). The whole length when that comma is missing.
std::size_t headerLength(std::string_view block);

// What the controller sends after the ACK.
Transmission transmissionOf(const ControllerPlan& plan);

// The text a receiver keeps of a completed transfer of the plan: every byte up
// to EOT, spaces after the header dropped. Only for plans that end with EOT.
std::string expectedReceived(const ControllerPlan& plan);

}  // namespace kj::sim
