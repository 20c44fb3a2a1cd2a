// The receive target: the worker protocol of the receive session on a scripted
// line of arbitrary bytes and silences, against a model of the protocol.
#include <chrono>
#include <condition_variable>
#include <exception>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "link/receive_session.h"
#include "record/record_text.h"
#include "tests/fuzz/fuzz_checks.h"
#include "tests/support/scripted_port.h"

namespace kj::fuzz {
namespace {

constexpr long long empty_read_ms = read_total_timeout_constant_ms + read_total_timeout_per_byte_ms;
constexpr std::uint8_t escape = 0xFF;
constexpr std::size_t max_pattern = 16;

struct LineStep {
  long long gap_ms = 0;
  std::uint8_t byte = 0;
};

struct Input {
  std::size_t max_chars = 1;
  std::vector<LineStep> steps;
  std::string pattern;  // repeats after the steps; empty: the line falls silent
};

Input parse(const std::uint8_t* data, std::size_t size) {
  Input in;
  if (size == 0) return in;
  in.max_chars = 1 + 64 * static_cast<std::size_t>(data[0] & 0x3F);
  const bool endless = (data[0] & 0x40) != 0;
  long long gap = 0;
  std::string plain;
  for (std::size_t i = 1; i < size; ++i) {
    std::uint8_t b = data[i];
    if (b == escape && i + 1 < size) {
      const std::uint8_t n = data[++i];
      if (n != 0) {
        gap += n;
        continue;
      }
    }
    in.steps.push_back({gap, b});
    gap = 0;
    plain.push_back(static_cast<char>(b));
  }
  if (endless) in.pattern = plain.substr(plain.size() > max_pattern ? plain.size() - max_pattern : 0);
  return in;
}

// What the protocol must do with the line, worked out read by read as the
// scripted line answers them.
struct Expected {
  bool ok = false;
  bool by_limit = false;  // ended by the harness's abort after `limit` reads
  bool header = false;
  int records = 0;
  int acks = 0;
  std::wstring text;
  file::Header parsed;
};

class ModelLine {
 public:
  explicit ModelLine(const Input& in) : in_(in) {}
  // One read: a byte, or nothing (a silence of a whole read, or the end).
  std::optional<std::uint8_t> read() {
    ++reads;
    if (next_ >= in_.steps.size()) {
      if (in_.pattern.empty()) {
        exhausted = true;
        return std::nullopt;
      }
      const char c = in_.pattern[pattern_next_];
      pattern_next_ = (pattern_next_ + 1) % in_.pattern.size();
      return static_cast<std::uint8_t>(c);
    }
    if (gap_left_ < 0) gap_left_ = in_.steps[next_].gap_ms;
    if (gap_left_ >= empty_read_ms) {
      gap_left_ -= empty_read_ms;
      return std::nullopt;
    }
    gap_left_ = -1;
    return in_.steps[next_++].byte;
  }
  long long reads = 0;
  bool exhausted = false;

 private:
  const Input& in_;
  std::size_t next_ = 0;
  std::size_t pattern_next_ = 0;
  long long gap_left_ = -1;
};

// The protocol as it must run on the line. The harness aborts the session
// inside read number `limit` and at the first read after the script ran out;
// the session notices at its next check.
Expected model(const Input& in, long long limit) {
  Expected e;
  ModelLine line(in);
  // True when the abort has fired: the session's next check of `running`
  // ends the transfer.
  const auto aborted = [&] { return line.reads >= limit || line.exhausted; };
  const auto fail = [&] {
    e.by_limit = line.reads >= limit;
    return e;
  };

  bool short_block = false;
  for (;;) {
    if (aborted()) return fail();
    const auto b = line.read();
    if (b && (*b == byte_enq || *b == byte_syn)) {
      short_block = *b == byte_enq;
      ++e.acks;
      break;
    }
  }
  const auto append = [&](std::uint8_t b) {
    if (e.text.size() >= in.max_chars) return false;
    e.text.push_back(widenByte(b));
    return true;
  };
  if (aborted()) return fail();
  auto b = line.read();
  if (!b || *b == byte_nak || !append(*b)) return fail();
  const int commas_needed = *b == byte_soh ? 4 : 1;
  int commas = 0;
  while (commas < commas_needed) {
    if (aborted()) return fail();
    b = line.read();
    if (!b || *b == byte_nak || !append(*b)) return fail();
    if (*b == ',') ++commas;
  }
  if (aborted()) return fail();
  try {
    e.parsed = parseHeader(e.text, short_block);
  } catch (const std::exception&) {
    return fail();
  }
  e.header = true;
  for (;;) {
    if (aborted()) return fail();
    b = line.read();
    if (!b || *b == byte_nak) return fail();
    if (*b == byte_eot) {
      ++e.acks;
      break;
    }
    if (*b == ' ') continue;
    if (!append(*b)) return fail();
    if (*b == byte_etx) ++e.records;
  }
  if (aborted()) return fail();
  e.ok = true;
  return e;
}

// A port that tells the session to stop inside read number `limit`.
class LimitedPort final : public SerialPort {
 public:
  LimitedPort(std::unique_ptr<SerialPort> inner, long long limit, ReceiveSession* const& session)
      : inner_(std::move(inner)), limit_(limit), session_(session) {}
  std::optional<std::uint8_t> readByte() override {
    if (++reads_ == limit_ && session_ != nullptr) session_->abort_receive();
    return inner_->readByte();
  }
  bool writeByte(std::uint8_t b) override { return inner_->writeByte(b); }
  bool purgeReceive() override { return inner_->purgeReceive(); }
  bool purgeTransmit() override { return inner_->purgeTransmit(); }

 private:
  std::unique_ptr<SerialPort> inner_;
  long long limit_;
  long long reads_ = 0;
  ReceiveSession* const& session_;
};

struct Event {
  char kind;  // h(eader), p(rogress), b(lock), e(nded)
  int a = 0;
  int b = 0;
};

}  // namespace

std::string checkReceive(const std::uint8_t* data, std::size_t size) {
  const Input in = parse(data, size);
  long long script_reads = 0;
  for (const LineStep& s : in.steps) script_reads += 1 + s.gap_ms / empty_read_ms;
  const long long limit =
      script_reads + static_cast<long long>(in.max_chars + 2) * static_cast<long long>(max_pattern) + 64;
  const Expected expected = model(in, limit);

  auto line = std::make_shared<test::ScriptedLine>([&in] {
    test::PortScript script;
    for (const LineStep& s : in.steps) script.silence(s.gap_ms).byte(s.byte);
    if (!in.pattern.empty()) script.endless(in.pattern);
    return script;
  }());
  std::mutex mutex;
  std::condition_variable cv;
  std::vector<Event> events;
  std::wstring delivered;
  ReceiveSession* self = nullptr;
  std::wstring text;
  file::Header header;
  bool ended = false;
  {
    ReceiveSession session(
        [&](const std::wstring&) {
          return std::make_unique<LimitedPort>(test::makeScriptedPort(line), limit, self);
        },
        in.max_chars);
    self = &session;
    line->onExhausted([&session] { session.abort_receive(); });
    const auto note = [&](Event e) {
      std::lock_guard lock(mutex);
      events.push_back(e);
    };
    session.set_on_header([&](const file::Header&) { note({'h'}); });
    session.set_on_progress([&](int n, int m) { note({'p', n, m}); });
    session.set_on_block([&](const file::Header&, const std::wstring& t) {
      delivered = t;
      note({'b'});
    });
    session.set_on_ended([&](bool ok) {
      note({'e', ok ? 1 : 0});
      std::lock_guard lock(mutex);
      ended = true;
      cv.notify_all();
    });
    if (!session.open_port(L"COM1") || !session.start_receive()) return "the receive did not start";
    {
      std::unique_lock lock(mutex);
      if (!cv.wait_for(lock, std::chrono::seconds(60), [&] { return ended; })) return "the session never ended";
    }
    // on_ended is the worker's last act; the session joins it on destruction.
    text = session.received_text();
    header = session.header();
    if (session.running()) return "running after on_ended";
    if (session.succeeded() != expected.ok) return "succeeded() differs from the outcome";
  }
  self = nullptr;

  if (text.size() > in.max_chars) return "the received text outgrew its bound";
  int ended_count = 0;
  for (const Event& e : events) ended_count += e.kind == 'e' ? 1 : 0;
  if (ended_count != 1) return "on_ended was not called exactly once";
  if (events.back().kind != 'e') return "on_ended was not the last call";
  const bool ok = events.back().a == 1;
  if (ok != expected.ok) return ok ? "succeeded where the protocol fails" : "failed where the protocol succeeds";
  int blocks = 0;
  for (const Event& e : events) blocks += e.kind == 'b' ? 1 : 0;
  if (blocks != (ok ? 1 : 0)) return "on_block not called exactly once for a success (and never otherwise)";

  const std::string written = line->written();
  if (written.find_first_not_of(static_cast<char>(byte_ack)) != std::string::npos) return "wrote a byte that is not ACK";
  if (!expected.by_limit || ok) {
    if (static_cast<int>(written.size()) != expected.acks) return "the number of ACKs differs from the protocol";
    // header, progress 1..n, block, ended: in this order.
    std::vector<Event> want;
    if (expected.header) want.push_back({'h'});
    for (int n = 1; n <= expected.records; ++n) want.push_back({'p', n, expected.parsed.record_count});
    if (ok) want.push_back({'b'});
    want.push_back({'e', ok ? 1 : 0});
    if (events.size() != want.size()) return "the calls differ from the protocol's";
    for (std::size_t i = 0; i < want.size(); ++i) {
      if (events[i].kind != want[i].kind || events[i].a != want[i].a || events[i].b != want[i].b)
        return "call " + std::to_string(i) + " differs from the protocol's";
    }
  }
  if (ok) {
    if (text != expected.text) return "the received text differs from the bytes sent";
    if (delivered != text) return "on_block was given another text";
    if (header.kind != expected.parsed.kind || header.record_count != expected.parsed.record_count ||
        header.field_count != expected.parsed.field_count)
      return "the header differs from the text's";
  }
  return {};
}

std::string receiveLineBytes(std::string_view bytes) {
  std::string out;
  for (char c : bytes) {
    out.push_back(c);
    if (static_cast<std::uint8_t>(c) == escape) out.push_back('\0');
  }
  return out;
}

std::string receiveLineSilence(long long ms) {
  std::string out;
  for (; ms > 0; ms -= 255) {
    out.push_back(static_cast<char>(escape));
    out.push_back(static_cast<char>(ms > 255 ? 255 : ms));
  }
  return out;
}

}  // namespace kj::fuzz
