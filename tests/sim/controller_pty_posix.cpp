#include "tests/sim/controller_pty.h"

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <thread>

namespace kj::sim {
namespace {

using Clock = std::chrono::steady_clock;

bool makeRaw(int fd) {
  termios t{};
  if (::tcgetattr(fd, &t) != 0) return false;
  ::cfmakeraw(&t);
  t.c_cc[VMIN] = 0;
  t.c_cc[VTIME] = 0;
  (void)::cfsetispeed(&t, B38400);
  (void)::cfsetospeed(&t, B38400);
  return ::tcsetattr(fd, TCSANOW, &t) == 0;
}

// One play: the line, the clock and the report.
class Player {
 public:
  Player(int fd, const PlayOptions& options, const std::atomic<bool>* stop)
      : fd_(fd), options_(options), stop_(stop), start_(Clock::now()) {}

  PlayReport run(const ControllerPlan& plan);

 private:
  double nowMs() const {
    return std::chrono::duration<double, std::milli>(Clock::now() - start_).count();
  }
  bool stopped() const { return stop_ != nullptr && stop_->load(); }

  // Takes what the receiver sent, waiting up to wait_ms for the first byte.
  // False on a line error.
  bool drain(int wait_ms);
  // Waits up to ms (or until stopped) for an ACK after the bytes seen so far;
  // -1 on a line error, 0 when none came, 1 when it came.
  int waitForAck(long long ms);
  // Sends the bytes at the pace of the options. False when stopped, stalled or
  // on a line error (the outcome is set then).
  bool send(std::string_view bytes, bool count);
  // Sleeps ms while taking what arrives; false when stopped or on an error.
  bool pause(long long ms);

  int fd_;
  PlayOptions options_;
  const std::atomic<bool>* stop_;
  Clock::time_point start_;
  PlayReport report_;
  std::size_t ack_seen_ = 0;  // received bytes already looked at for an ACK
  // The pace: sent_since_pace_ bytes since pace_start_.
  Clock::time_point pace_start_;
  std::uint64_t sent_since_pace_ = 0;
};

bool Player::drain(int wait_ms) {
  pollfd p{fd_, POLLIN, 0};
  const int ready = ::poll(&p, 1, wait_ms);
  if (ready < 0) return errno == EINTR;
  if (ready == 0) return true;
  if ((p.revents & POLLIN) == 0) {
    // No receiver has the other end open (yet, or any more): nothing to take.
    if ((p.revents & POLLHUP) != 0 && wait_ms > 0) std::this_thread::sleep_for(std::chrono::milliseconds(std::min(wait_ms, 10)));
    return (p.revents & (POLLERR | POLLNVAL)) == 0;
  }
  unsigned char buf[256];
  for (;;) {
    const ssize_t got = ::read(fd_, buf, sizeof buf);
    if (got > 0) {
      const double at = nowMs();
      for (ssize_t i = 0; i < got; ++i) report_.received.emplace_back(at, buf[i]);
      continue;
    }
    if (got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)) return true;
    // EIO: the receiver closed its end.
    return got == 0 || errno == EIO;
  }
}

int Player::waitForAck(long long ms) {
  const auto deadline = Clock::now() + std::chrono::milliseconds(ms);
  for (;;) {
    for (; ack_seen_ < report_.received.size(); ++ack_seen_) {
      if (report_.received[ack_seen_].second == ack) {
        ++ack_seen_;
        return 1;
      }
    }
    if (stopped()) return 0;
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
    if (left <= 0) return 0;
    if (!drain(static_cast<int>(std::min<long long>(left, 20)))) return -1;
  }
}

bool Player::pause(long long ms) {
  const auto deadline = Clock::now() + std::chrono::milliseconds(ms);
  for (;;) {
    if (stopped()) {
      report_.outcome = PlayReport::Outcome::stopped;
      return false;
    }
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
    if (left <= 0) return true;
    if (!drain(static_cast<int>(std::min<long long>(left, 20)))) {
      report_.outcome = PlayReport::Outcome::line_error;
      return false;
    }
  }
}

bool Player::send(std::string_view bytes, bool count) {
  std::size_t done = 0;
  auto last_progress = Clock::now();
  while (done < bytes.size()) {
    if (stopped()) {
      report_.outcome = PlayReport::Outcome::stopped;
      return false;
    }
    std::size_t chunk = bytes.size() - done;
    if (options_.rate > 0) {
      // Bytes due by now at the pace; wait for the next one when none is.
      const double elapsed = std::chrono::duration<double>(Clock::now() - pace_start_).count();
      const auto due = static_cast<std::uint64_t>(elapsed * options_.rate) + 1;
      if (due <= sent_since_pace_) {
        const double next_s = static_cast<double>(sent_since_pace_) / options_.rate;
        const auto next = pace_start_ + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(next_s));
        std::this_thread::sleep_until(next);
        continue;
      }
      chunk = std::min<std::uint64_t>(chunk, due - sent_since_pace_);
    }
    chunk = std::min<std::size_t>(chunk, 4096);
    const ssize_t put = ::write(fd_, bytes.data() + done, chunk);
    if (put > 0) {
      const double at = nowMs();
      if (count) {
        if (report_.first_byte_ms < 0) report_.first_byte_ms = at;
        report_.last_byte_ms = at;
        report_.bytes_sent += static_cast<std::uint64_t>(put);
      }
      done += static_cast<std::size_t>(put);
      sent_since_pace_ += static_cast<std::uint64_t>(put);
      last_progress = Clock::now();
      if (!drain(0)) {
        report_.outcome = PlayReport::Outcome::line_error;
        return false;
      }
      continue;
    }
    if (put < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR && errno != EIO) {
      report_.outcome = PlayReport::Outcome::line_error;
      return false;
    }
    // The line takes nothing now: wait for room, taking what arrives.
    if (Clock::now() - last_progress > std::chrono::milliseconds(options_.stall_timeout_ms)) {
      report_.outcome = PlayReport::Outcome::stalled;
      return false;
    }
    pollfd p{fd_, POLLOUT | POLLIN, 0};
    const int ready = ::poll(&p, 1, 10);
    if (ready > 0 && (p.revents & POLLIN) != 0 && !drain(0)) {
      report_.outcome = PlayReport::Outcome::line_error;
      return false;
    }
    if (ready > 0 && (p.revents & POLLOUT) == 0) std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return true;
}

PlayReport Player::run(const ControllerPlan& plan) {
  const Transmission t = transmissionOf(plan);
  if (!pause(options_.start_delay_ms)) return report_;

  if (options_.wait_for_open) {
    // The controller's end reports a hang-up while no one has the other end open.
    for (;;) {
      if (stopped()) return report_;
      pollfd p{fd_, POLLIN, 0};
      if (::poll(&p, 1, 10) >= 0 && (p.revents & POLLHUP) == 0) break;
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
  }

  if (plan.send_nothing) {
    if (options_.hold_ms < 0) {
      while (pause(50)) {
      }
      return report_;
    }
    if (pause(options_.hold_ms)) report_.outcome = PlayReport::Outcome::sent_nothing;
    return report_;
  }

  pace_start_ = Clock::now();
  if (!plan.noise.empty() && !send(plan.noise, false)) return report_;

  // The request, again and again until the receiver answers.
  const auto request_deadline = Clock::now() + std::chrono::milliseconds(options_.request_timeout_ms);
  const char request = static_cast<char>(plan.request);
  for (;;) {
    if (!send(std::string_view(&request, 1), false)) return report_;
    ++report_.requests_sent;
    const int got = waitForAck(std::max<long long>(options_.request_interval_ms, 1));
    if (got < 0) {
      report_.outcome = PlayReport::Outcome::line_error;
      return report_;
    }
    if (got > 0) break;
    if (stopped()) return report_;
    if (options_.request_timeout_ms >= 0 && Clock::now() >= request_deadline) {
      report_.outcome = PlayReport::Outcome::no_request_ack;
      return report_;
    }
  }
  report_.request_ack_ms = report_.received.empty() ? nowMs() : report_.received[ack_seen_ - 1].first;

  pace_start_ = Clock::now();
  sent_since_pace_ = 0;
  for (const Piece& piece : t.pieces) {
    if (piece.silence_before_ms > 0) {
      if (!pause(piece.silence_before_ms)) return report_;
      pace_start_ = Clock::now();
      sent_since_pace_ = 0;
    }
    if (!send(piece.bytes, true)) return report_;
  }
  if (plan.nak_at && !t.ends_with_eot && t.endless_pattern.empty()) {
    report_.outcome = PlayReport::Outcome::nak_sent;
    return report_;
  }
  if (!t.endless_pattern.empty()) {
    for (;;) {
      std::string_view next = t.endless_pattern;
      if (options_.endless_limit > 0) {
        if (report_.bytes_sent >= options_.endless_limit) {
          report_.outcome = PlayReport::Outcome::limit_reached;
          return report_;
        }
        next = next.substr(0, std::min<std::uint64_t>(next.size(), options_.endless_limit - report_.bytes_sent));
      }
      if (!send(next, true)) return report_;
    }
  }

  const char end = static_cast<char>(eot);
  if (!send(std::string_view(&end, 1), false)) return report_;
  report_.eot_ms = nowMs();
  const int got = waitForAck(options_.final_ack_timeout_ms);
  if (got < 0) {
    report_.outcome = PlayReport::Outcome::line_error;
  } else if (got == 0) {
    report_.outcome = stopped() ? PlayReport::Outcome::stopped : PlayReport::Outcome::no_final_ack;
  } else {
    report_.final_ack_ms = report_.received[ack_seen_ - 1].first;
    report_.outcome = PlayReport::Outcome::completed;
  }
  return report_;
}

void appendNumber(std::string& out, double v) {
  char buf[32];
  if (v < 0) {
    out += "null";
    return;
  }
  std::snprintf(buf, sizeof buf, "%.3f", v);
  out += buf;
}

}  // namespace

const char* outcomeName(PlayReport::Outcome outcome) {
  switch (outcome) {
    case PlayReport::Outcome::completed: return "completed";
    case PlayReport::Outcome::nak_sent: return "nak_sent";
    case PlayReport::Outcome::no_request_ack: return "no_request_ack";
    case PlayReport::Outcome::no_final_ack: return "no_final_ack";
    case PlayReport::Outcome::stalled: return "stalled";
    case PlayReport::Outcome::limit_reached: return "limit_reached";
    case PlayReport::Outcome::sent_nothing: return "sent_nothing";
    case PlayReport::Outcome::stopped: return "stopped";
    case PlayReport::Outcome::line_error: return "line_error";
  }
  return "unknown";
}

std::string PlayReport::json() const {
  std::string out = "{\"outcome\":\"";
  out += outcomeName(outcome);
  out += "\",\"requests_sent\":" + std::to_string(requests_sent);
  out += ",\"request_ack_ms\":";
  appendNumber(out, request_ack_ms);
  out += ",\"first_byte_ms\":";
  appendNumber(out, first_byte_ms);
  out += ",\"last_byte_ms\":";
  appendNumber(out, last_byte_ms);
  out += ",\"eot_ms\":";
  appendNumber(out, eot_ms);
  out += ",\"final_ack_ms\":";
  appendNumber(out, final_ack_ms);
  out += ",\"bytes_sent\":" + std::to_string(bytes_sent);
  out += ",\"received\":[";
  for (std::size_t i = 0; i < received.size(); ++i) {
    if (i > 0) out += ',';
    out += "{\"ms\":";
    appendNumber(out, received[i].first);
    out += ",\"byte\":" + std::to_string(received[i].second) + "}";
  }
  out += "]}";
  return out;
}

std::optional<Pty> Pty::open() {
  const int fd = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return std::nullopt;
  char name[128];
  if (::grantpt(fd) != 0 || ::unlockpt(fd) != 0 || ::ptsname_r(fd, name, sizeof name) != 0 || !makeRaw(fd)) {
    ::close(fd);
    return std::nullopt;
  }
  // Opened and closed once, the other end reports a hang-up until a receiver
  // opens it: that is how wait_for_open sees the receiver come.
  const int other = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (other >= 0) ::close(other);
  return Pty(fd, name);
}

Pty::~Pty() {
  if (fd_ >= 0) ::close(fd_);
}

int openControllerTty(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return -1;
  if (!makeRaw(fd)) {
    ::close(fd);
    return -1;
  }
  return fd;
}

PlayReport play(int fd, const ControllerPlan& plan, const PlayOptions& options, const std::atomic<bool>* stop) {
  Player player(fd, options, stop);
  return player.run(plan);
}

}  // namespace kj::sim
