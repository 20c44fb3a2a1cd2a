#pragma once
// A serial port that plays a script of bytes and silences on a timeline of
// its own clock, so that tests of the line protocol never sleep.

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "link/serial_port.h"

namespace kj::test {

// What happened on the port, in order.
struct PortEvent {
  enum class Kind { write, purge_receive, purge_transmit };
  Kind kind;
  std::uint8_t byte = 0;  // for writes
  long long at_ms = 0;    // the port's clock then
};

// The script: bytes arrive one after another at the clock's present time
// unless a silence comes first; an action runs when the reader reaches it.
class PortScript {
 public:
  PortScript& bytes(std::string_view data);
  PortScript& byte(std::uint8_t b);
  PortScript& silence(long long ms);
  PortScript& then(std::function<void()> action);
  // After the last step the line repeats these bytes without end, without a
  // gap (a controller that never stops sending).
  PortScript& endless(std::string_view pattern);
  const std::string& endlessPattern() const { return endless_; }

  struct Step {
    long long gap_ms = 0;            // silence before this step
    bool is_action = false;
    std::uint8_t byte = 0;
    std::function<void()> action;
  };
  const std::vector<Step>& steps() const { return steps_; }

 private:
  long long pending_gap_ = 0;
  std::string endless_;
  std::vector<Step> steps_;
};

// The shared state of a scripted port: what was written and purged, and its
// clock, which advances only by the port's own time-outs and silences.
class ScriptedLine {
 public:
  explicit ScriptedLine(PortScript script = {});

  // Called for every empty read once the script has run out (e.g. to abort
  // the session that reads); nothing by default.
  void onExhausted(std::function<void()> action);
  // A write fails instead of happening.
  void failWrites(bool fail);
  // Purging the receive buffer fails.
  void failPurge(bool fail);

  long long nowMs() const;
  std::vector<PortEvent> events() const;
  // The bytes written, in order.
  std::string written() const;
  // Empty reads after the script ran out.
  int exhaustedReads() const;

  // The port's side.
  std::optional<std::uint8_t> read();
  bool write(std::uint8_t b);
  bool purge(PortEvent::Kind kind);

 private:
  mutable std::mutex mutex_;
  PortScript script_;
  std::size_t next_ = 0;
  std::size_t endless_next_ = 0;
  long long now_ms_ = 0;
  long long gap_left_ms_ = -1;  // of the next step; -1: not started yet
  std::function<void()> on_exhausted_;
  bool fail_writes_ = false;
  bool fail_purge_ = false;
  int exhausted_reads_ = 0;
  std::vector<PortEvent> events_;
};

// A SerialPort on a ScriptedLine; the line outlives the port.
std::unique_ptr<SerialPort> makeScriptedPort(std::shared_ptr<ScriptedLine> line);

}  // namespace kj::test
