#include "tests/support/scripted_port.h"

#include <utility>

namespace kj::test {

namespace {
// An empty one-byte read waits the whole read time-out.
constexpr long long empty_read_ms = read_total_timeout_constant_ms + read_total_timeout_per_byte_ms;
}  // namespace

PortScript& PortScript::bytes(std::string_view data) {
  for (char c : data) byte(static_cast<std::uint8_t>(c));
  return *this;
}

PortScript& PortScript::byte(std::uint8_t b) {
  Step s;
  s.gap_ms = pending_gap_;
  s.byte = b;
  pending_gap_ = 0;
  steps_.push_back(std::move(s));
  return *this;
}

PortScript& PortScript::silence(long long ms) {
  pending_gap_ += ms;
  return *this;
}

PortScript& PortScript::then(std::function<void()> action) {
  Step s;
  s.gap_ms = pending_gap_;
  s.is_action = true;
  s.action = std::move(action);
  pending_gap_ = 0;
  steps_.push_back(std::move(s));
  return *this;
}

PortScript& PortScript::endless(std::string_view pattern) {
  endless_ = pattern;
  return *this;
}

ScriptedLine::ScriptedLine(PortScript script) : script_(std::move(script)) {}

void ScriptedLine::onExhausted(std::function<void()> action) {
  std::lock_guard lock(mutex_);
  on_exhausted_ = std::move(action);
}

void ScriptedLine::failWrites(bool fail) {
  std::lock_guard lock(mutex_);
  fail_writes_ = fail;
}

void ScriptedLine::failPurge(bool fail) {
  std::lock_guard lock(mutex_);
  fail_purge_ = fail;
}

long long ScriptedLine::nowMs() const {
  std::lock_guard lock(mutex_);
  return now_ms_;
}

std::vector<PortEvent> ScriptedLine::events() const {
  std::lock_guard lock(mutex_);
  return events_;
}

std::string ScriptedLine::written() const {
  std::lock_guard lock(mutex_);
  std::string out;
  for (const auto& e : events_)
    if (e.kind == PortEvent::Kind::write) out.push_back(static_cast<char>(e.byte));
  return out;
}

int ScriptedLine::exhaustedReads() const {
  std::lock_guard lock(mutex_);
  return exhausted_reads_;
}

std::optional<std::uint8_t> ScriptedLine::read() {
  std::unique_lock lock(mutex_);
  for (;;) {
    if (next_ >= script_.steps().size() && !script_.endlessPattern().empty()) {
      const std::string& pattern = script_.endlessPattern();
      const char c = pattern[endless_next_];
      endless_next_ = (endless_next_ + 1) % pattern.size();
      return static_cast<std::uint8_t>(c);
    }
    if (next_ >= script_.steps().size()) {
      now_ms_ += empty_read_ms;
      ++exhausted_reads_;
      auto action = on_exhausted_;
      lock.unlock();
      if (action) action();
      return std::nullopt;
    }
    const auto& step = script_.steps()[next_];
    if (gap_left_ms_ < 0) gap_left_ms_ = step.gap_ms;
    if (gap_left_ms_ >= empty_read_ms) {
      // The silence outlasts this read: it returns empty after the time-out.
      gap_left_ms_ -= empty_read_ms;
      now_ms_ += empty_read_ms;
      return std::nullopt;
    }
    now_ms_ += gap_left_ms_;
    gap_left_ms_ = -1;
    ++next_;
    if (!step.is_action) return step.byte;
    // Actions run without the lock: they may call into whoever reads.
    auto action = step.action;
    lock.unlock();
    action();
    lock.lock();
  }
}

bool ScriptedLine::write(std::uint8_t b) {
  std::lock_guard lock(mutex_);
  if (fail_writes_) return false;
  events_.push_back({PortEvent::Kind::write, b, now_ms_});
  return true;
}

bool ScriptedLine::purge(PortEvent::Kind kind) {
  std::lock_guard lock(mutex_);
  if (fail_purge_ && kind == PortEvent::Kind::purge_receive) return false;
  events_.push_back({kind, 0, now_ms_});
  return true;
}

namespace {

class ScriptedPort final : public SerialPort {
 public:
  explicit ScriptedPort(std::shared_ptr<ScriptedLine> line) : line_(std::move(line)) {}
  std::optional<std::uint8_t> readByte() override { return line_->read(); }
  bool writeByte(std::uint8_t b) override { return line_->write(b); }
  bool purgeReceive() override { return line_->purge(PortEvent::Kind::purge_receive); }
  bool purgeTransmit() override { return line_->purge(PortEvent::Kind::purge_transmit); }

 private:
  std::shared_ptr<ScriptedLine> line_;
};

}  // namespace

std::unique_ptr<SerialPort> makeScriptedPort(std::shared_ptr<ScriptedLine> line) {
  return std::make_unique<ScriptedPort>(std::move(line));
}

}  // namespace kj::test
