#include "tests/sim/controller_script.h"

namespace kj::sim {
namespace {

constexpr char soh = 0x01;
constexpr char etx = 0x03;

// Records with a space after every comma and before every ETX.
void appendSpacedRecords(std::string& out, std::string_view records) {
  for (char c : records) {
    if (c == etx) out.push_back(' ');
    out.push_back(c);
    if (c == ',') out.push_back(' ');
  }
}

// The block with the spaces of the plan put in.
std::string withSpaces(std::string_view block) {
  const std::size_t header = headerLength(block);
  std::string out;
  out.reserve(block.size() + block.size() / 4 + 2);
  std::string_view head = block.substr(0, header);
  // Before the record count: after the last-but-one header comma, or at the
  // very start of a headerless block.
  std::size_t count_at = 0;
  if (!head.empty() && head.front() == soh) {
    std::size_t commas = 0;
    for (std::size_t i = 0; i < head.size(); ++i) {
      if (head[i] == ',' && ++commas == 3) {
        count_at = i + 1;
        break;
      }
    }
  }
  out.append(head.substr(0, count_at));
  out.push_back(' ');
  out.append(head.substr(count_at));
  appendSpacedRecords(out, block.substr(header));
  return out;
}

}  // namespace

std::string blockOfStoredBytes(std::string_view stored) {
  std::string out(stored);
  for (char& c : out) c = static_cast<char>(static_cast<unsigned char>(0xC5 - static_cast<unsigned char>(c)));
  return out;
}

std::size_t headerLength(std::string_view block) {
  const std::size_t wanted = !block.empty() && block.front() == soh ? 4 : 1;
  std::size_t commas = 0;
  for (std::size_t i = 0; i < block.size(); ++i) {
    if (block[i] == ',' && ++commas == wanted) return i + 1;
  }
  return block.size();
}

Transmission transmissionOf(const ControllerPlan& plan) {
  Transmission t;
  if (plan.send_nothing) {
    t.ends_with_eot = false;
    return t;
  }
  std::string stream = plan.spaces ? withSpaces(plan.block) : plan.block;
  bool nak_sent = false;
  if (plan.nak_at && *plan.nak_at <= stream.size()) {
    stream.resize(*plan.nak_at);
    stream.push_back(static_cast<char>(nak));
    nak_sent = true;
  }
  if (plan.silence_at && *plan.silence_at < stream.size()) {
    t.pieces.push_back({0, stream.substr(0, *plan.silence_at)});
    t.pieces.push_back({plan.silence_ms, stream.substr(*plan.silence_at)});
  } else {
    t.pieces.push_back({0, stream});
  }
  if (nak_sent) {
    t.ends_with_eot = false;
    return t;
  }
  if (plan.endless) {
    t.ends_with_eot = false;
    const std::string_view records = std::string_view(plan.block).substr(headerLength(plan.block));
    const std::string_view pattern = records.empty() ? std::string_view("\x02\x03") : records;
    if (plan.spaces) {
      appendSpacedRecords(t.endless_pattern, pattern);
    } else {
      t.endless_pattern = pattern;
    }
  }
  return t;
}

std::string expectedReceived(const ControllerPlan& plan) {
  std::string stream = plan.spaces ? withSpaces(plan.block) : plan.block;
  const std::size_t header = headerLength(stream);
  std::string out = stream.substr(0, header);
  for (char c : std::string_view(stream).substr(header))
    if (c != ' ') out.push_back(c);
  return out;
}

}  // namespace kj::sim
