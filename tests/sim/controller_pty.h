#pragma once
// Plays a controller plan on the controller's end of a serial line: a
// pseudo-terminal it makes (the receiver opens the other end) or a tty it is
// given. POSIX only.

#include <atomic>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "tests/sim/controller_script.h"

namespace kj::sim {

struct PlayOptions {
  // Bytes per second of the block; 0: as fast as the line takes them. The
  // controller's 38,400 baud with 7E1 framing is 3,840 bytes per second.
  double rate = 0;
  // Waits this long before anything is sent.
  long long start_delay_ms = 0;
  // Waits until a receiver has opened the other end of the pseudo-terminal.
  bool wait_for_open = false;
  // The request is sent again at this interval until it is acknowledged (a
  // request sent before the receiver listens is lost), at most this long in
  // all (-1: until stopped).
  long long request_interval_ms = 250;
  long long request_timeout_ms = -1;
  // How long the controller waits for the ACK after its EOT.
  long long final_ack_timeout_ms = 2000;
  // An endless stream, or a block the receiver no longer reads, stops when
  // the line has taken nothing for this long, or after endless_limit bytes
  // (0: no limit).
  long long stall_timeout_ms = 1000;
  std::uint64_t endless_limit = 0;
  // A controller that sends nothing holds the line this long (-1: until
  // stopped).
  long long hold_ms = -1;
};

struct PlayReport {
  enum class Outcome {
    completed,       // the block and EOT went out and the final ACK came
    nak_sent,        // the plan's NAK went out
    no_request_ack,  // the request was never acknowledged
    no_final_ack,    // EOT went out, the final ACK did not come
    stalled,         // the line stopped taking bytes (endless stream or a receiver gone)
    limit_reached,   // an endless stream reached its limit
    sent_nothing,    // the silent controller held the line as long as asked
    stopped,         // told to stop from outside
    line_error,      // a read or write on the line failed
  };
  Outcome outcome = Outcome::stopped;
  int requests_sent = 0;
  // Milliseconds since the start of play; -1 when it did not happen.
  double request_ack_ms = -1;
  double first_byte_ms = -1;
  double last_byte_ms = -1;
  double eot_ms = -1;
  double final_ack_ms = -1;
  std::uint64_t bytes_sent = 0;  // after the ACK, EOT not counted
  // Every byte the receiver sent, with its time.
  std::vector<std::pair<double, std::uint8_t>> received;

  // One JSON object on one line.
  std::string json() const;
};

const char* outcomeName(PlayReport::Outcome outcome);

// The controller's end of a new pseudo-terminal, in raw mode.
class Pty {
 public:
  static std::optional<Pty> open();
  Pty(Pty&& other) noexcept : fd_(std::exchange(other.fd_, -1)), slave_(std::move(other.slave_)) {}
  Pty& operator=(Pty&&) = delete;
  Pty(const Pty&) = delete;
  ~Pty();
  int fd() const { return fd_; }
  // The path the receiver opens, e.g. /dev/pts/7.
  const std::string& slavePath() const { return slave_; }

 private:
  Pty(int fd, std::string slave) : fd_(fd), slave_(std::move(slave)) {}
  int fd_;
  std::string slave_;
};

// Opens a tty device as the controller's end (raw, non-blocking); -1 on
// failure. The caller closes it.
int openControllerTty(const std::string& path);

// Plays the plan on fd (non-blocking). `stop`, when given, ends the play at
// the next step once it is set.
PlayReport play(int fd, const ControllerPlan& plan, const PlayOptions& options,
                const std::atomic<bool>* stop = nullptr);

}  // namespace kj::sim
