#include "link/receive_session.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <functional>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "record/record_text.h"
#include "tests/support/scripted_port.h"

namespace kj {
namespace {

using test::PortEvent;
using test::PortScript;
using test::ScriptedLine;

const std::string enq(1, '\x05');
const std::string syn(1, '\x16');
const std::string ack(1, '\x06');
const std::string eot(1, '\x04');
const std::string nak(1, '\x15');
const std::string soh(1, '\x01');
std::string record(const std::string& fields) { return "\x02" + fields + "\x03"; }

// The widened text of bytes, as the session keeps it.
std::wstring wide(const std::string& bytes) {
  std::wstring out;
  for (char c : bytes) out.push_back(widenByte(static_cast<unsigned char>(c)));
  return out;
}

// A session on a scripted line with every callable recorded; the line
// aborts the session some time after its script has run out, so every run
// ends.
class Harness {
 public:
  explicit Harness(PortScript script, std::size_t max_chars = max_received_chars)
      : Harness([&script](ReceiveSession&) { return std::move(script); }, max_chars) {}
  // A script that may act on the session (abort it at a point of the timeline).
  explicit Harness(const std::function<PortScript(ReceiveSession&)>& make,
                   std::size_t max_chars = max_received_chars)
      : session_([this](const std::wstring&) { return test::makeScriptedPort(line_); }, max_chars) {
    line_ = std::make_shared<ScriptedLine>(make(session_));
    // Long enough that a transfer fails by silence first; a session still
    // waiting for the request is then aborted.
    line_->onExhausted([this] {
      if (line_->exhaustedReads() > 50) session_.abort_receive();
    });
    session_.set_on_header([this](const file::Header& h) {
      std::lock_guard lock(mutex_);
      log_.push_back("header " + std::to_string(h.kind) + " " + std::to_string(h.record_count));
    });
    session_.set_on_progress([this](int n, int m) {
      std::lock_guard lock(mutex_);
      log_.push_back("progress " + std::to_string(n) + "/" + std::to_string(m));
    });
    session_.set_on_block([this](const file::Header&, const std::wstring& text) {
      std::lock_guard lock(mutex_);
      log_.push_back("block");
      block_ = text;
    });
    session_.set_on_ended([this](bool ok) {
      std::lock_guard lock(mutex_);
      log_.push_back(ok ? "ended true" : "ended false");
      ended_at_ms_ = line_->nowMs();
      ++ended_;
      cv_.notify_all();
    });
  }

  // Opens the port, starts and waits until on_ended has been called. The
  // wait only guards against a hang; the scripted clock never sleeps.
  void run() {
    ASSERT_TRUE(session_.open_port(L"COM1"));
    ASSERT_TRUE(session_.start_receive());
    wait();
  }
  void wait() {
    std::unique_lock lock(mutex_);
    ASSERT_TRUE(cv_.wait_for(lock, std::chrono::seconds(20), [this] { return ended_ > 0; }))
        << "the session never ended";
  }

  void resetEnded() {
    std::lock_guard lock(mutex_);
    ended_ = 0;
  }
  std::vector<std::string> log() {
    std::lock_guard lock(mutex_);
    return log_;
  }
  std::wstring block() {
    std::lock_guard lock(mutex_);
    return block_;
  }
  long long endedAtMs() {
    std::lock_guard lock(mutex_);
    return ended_at_ms_;
  }
  ScriptedLine& line() { return *line_; }
  ReceiveSession& session() { return session_; }

 private:
  std::shared_ptr<ScriptedLine> line_;
  std::mutex mutex_;
  std::condition_variable cv_;
  std::vector<std::string> log_;
  std::wstring block_;
  long long ended_at_ms_ = -1;
  int ended_ = 0;
  ReceiveSession session_;  // last: its worker is gone before the rest
};

PortScript script(const std::string& bytes) { return PortScript().bytes(bytes); }

TEST(ReceiveSession, TaggedBlockIsAcknowledgedTwiceWithProgressPerRecord) {
  const std::string block = soh + "BT,01,048,0002," + record("a,b") + record("c,d");
  Harness h(script("xx" + enq + block + eot));
  h.run();
  EXPECT_EQ(h.log(), (std::vector<std::string>{"header 2 2", "progress 1/2", "progress 2/2", "block",
                                               "ended true"}));
  EXPECT_EQ(h.line().written(), ack + ack);
  EXPECT_EQ(h.block(), wide(block));
  EXPECT_EQ(h.session().received_text(), wide(block));
  EXPECT_EQ(h.session().header().record_count, 2);
  EXPECT_FALSE(h.session().running());
  EXPECT_TRUE(h.session().succeeded());
}

TEST(ReceiveSession, TheRequestByteChoosesTheRecordLength) {
  struct Case {
    std::string request;
    BlockKind kind;
  };
  for (const Case& c : {Case{enq, BlockKind::Headerless33}, Case{syn, BlockKind::Headerless39}}) {
    SCOPED_TRACE(static_cast<int>(c.kind));
    // The headerless header ends at its first comma: the record's commas are
    // not part of it.
    Harness h(script(c.request + "1," + record("p,q,r") + eot));
    h.run();
    EXPECT_EQ(h.session().header().kind, static_cast<std::int32_t>(c.kind));
    EXPECT_EQ(h.session().header().record_count, 1);
    EXPECT_EQ(h.block(), wide("1," + record("p,q,r")));
  }
}

TEST(ReceiveSession, SpacesAreKeptInTheHeaderAndDroppedAfterIt) {
  Harness h(script(enq + soh + "BT,01,048, 2," + "\x02 a, b\x03 \x02" + "c\x03 " + eot));
  h.run();
  EXPECT_EQ(h.block(), wide(soh + "BT,01,048, 2," + record("a,b") + record("c")));
  EXPECT_EQ(h.session().header().record_count, 2);
}

TEST(ReceiveSession, BytesAboveSevenBitsAreWidenedAsInRecordFiles) {
  const std::string block = "1," + record("\xb1\x7f");
  Harness h(script(enq + block + eot));
  h.run();
  ASSERT_EQ(h.block().size(), 6u);
  EXPECT_EQ(h.block()[3], widenByte(0xb1));
  EXPECT_EQ(h.block()[3], L'\uffb1');
}

TEST(ReceiveSession, RecordCountsAreNotLimitedByTheAnnouncedCount) {
  // An ETX before any STX counts too.
  Harness h(script(enq + "1," + "\x03" + record("a") + record("b") + eot));
  h.run();
  EXPECT_EQ(h.log(), (std::vector<std::string>{"header 0 1", "progress 1/1", "progress 2/1", "progress 3/1", "block",
                                               "ended true"}));
}

TEST(ReceiveSession, AnEmptyBlockEndsWithItsHeaderOnly) {
  Harness h(script(enq + "0," + eot));
  h.run();
  EXPECT_EQ(h.log(), (std::vector<std::string>{"header 0 0", "block", "ended true"}));
  EXPECT_EQ(h.line().written(), ack + ack);
}

TEST(ReceiveSession, WaitingForTheRequestIgnoresNoiseAndSilence) {
  Harness h(PortScript().bytes("\x15noise\x04\x06").silence(60'000).bytes(syn + "0," + eot));
  h.run();
  EXPECT_EQ(h.log(), (std::vector<std::string>{"header 1 0", "block", "ended true"}));
  EXPECT_GE(h.endedAtMs(), 60'000);
}

// Transfers that fail after the request was acknowledged: one ACK went out,
// on_ended(false) came last, and no block was delivered.
struct FailureCase {
  const char* name;
  PortScript script;
  bool header_reported;
};

std::vector<FailureCase> failureCases() {
  const std::string tagged = soh + "BT,01,048,0002,";
  return {
      {"nak first", script(enq + nak), false},
      {"silence first", PortScript().bytes(enq).silence(150).bytes(soh), false},
      {"nak in the header", script(enq + soh + "BT,0" + nak), false},
      {"silence in the header", PortScript().bytes(enq + soh + "BT,01").silence(102).bytes(",048,0002,"), false},
      {"header letters only", PortScript().bytes(enq + soh + "BT"), false},
      {"unreadable revision", script(enq + soh + "BT,xx,048,0002," + record("a") + eot), false},
      {"unreadable count", script(enq + "abc," + record("a") + eot), false},
      {"count out of range", script(enq + soh + "BT,01,048,99999999999," + eot), false},
      {"nak in a record", script(enq + tagged + record("a") + "\x02" + "b" + nak), true},
      {"block cut off", script(enq + tagged + record("a") + "\x02" + "b,c"), true},
      {"silence between records", PortScript().bytes(enq + tagged + record("a")).silence(110).bytes(record("b") + eot),
       true},
  };
}

TEST(ReceiveSession, FailedTransfersEndFalseWithoutABlock) {
  for (auto& c : failureCases()) {
    SCOPED_TRACE(c.name);
    Harness h(std::move(c.script));
    h.run();
    const auto log = h.log();
    ASSERT_FALSE(log.empty());
    EXPECT_EQ(log.back(), "ended false");
    EXPECT_EQ(std::count(log.begin(), log.end(), "ended false"), 1);
    EXPECT_EQ(std::count(log.begin(), log.end(), "block"), 0);
    EXPECT_EQ(!log.empty() && log.front().rfind("header", 0) == 0, c.header_reported);
    EXPECT_EQ(h.line().written(), ack) << "only the request is acknowledged";
    EXPECT_LE(h.line().exhaustedReads(), 1) << "failed at the first silence, not by the abort";
    EXPECT_FALSE(h.session().running());
    EXPECT_FALSE(h.session().succeeded());
    EXPECT_TRUE(h.session().port_open()) << "a failed transfer leaves the port open";
  }
}

TEST(ReceiveSession, SilenceUpToTheReadTimeOutIsNotAGap) {
  Harness h(PortScript().bytes(enq + "1,").silence(100).bytes(record("a")).silence(100).bytes(eot));
  h.run();
  EXPECT_EQ(h.log().back(), "ended true");
}

TEST(ReceiveSession, AbortEndsTheTransferFalseWithinOneRead) {
  struct Case {
    const char* name;
    std::function<PortScript(ReceiveSession&)> make;
    long long abort_at_ms;
    std::string written;
  };
  const std::vector<Case> cases = {
      {"while waiting for the request",
       [](ReceiveSession& s) {
         return PortScript().silence(3'000).then([&s] { s.abort_receive(); }).silence(1'000'000).bytes(enq);
       },
       3'000, ""},
      {"in the middle of a record",
       [](ReceiveSession& s) {
         return PortScript()
             .bytes(enq + "2," + record("a") + "\x02" + "b")
             .silence(50)
             .then([&s] { s.abort_receive(); })
             .silence(1'000'000)
             .bytes("c\x03" + eot);
       },
       50, ack},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Harness h(c.make);
    h.run();
    const auto log = h.log();
    EXPECT_EQ(log.back(), "ended false");
    EXPECT_EQ(std::count(log.begin(), log.end(), "block"), 0);
    EXPECT_EQ(h.line().written(), c.written);
    EXPECT_LE(h.endedAtMs(), c.abort_at_ms + 101) << "noticed within one read";
    EXPECT_FALSE(h.session().succeeded());
  }
}

TEST(ReceiveSession, StartDiscardsTheReceiveBufferThenTheTransmitBuffer) {
  for (bool receive_purge_fails : {false, true}) {
    SCOPED_TRACE(receive_purge_fails);
    Harness h(script(enq + "0," + eot));
    h.line().failPurge(receive_purge_fails);
    h.run();
    std::vector<PortEvent::Kind> kinds;
    for (const auto& e : h.line().events()) kinds.push_back(e.kind);
    std::vector<PortEvent::Kind> expected;
    if (!receive_purge_fails) expected = {PortEvent::Kind::purge_receive, PortEvent::Kind::purge_transmit};
    expected.push_back(PortEvent::Kind::write);
    expected.push_back(PortEvent::Kind::write);
    EXPECT_EQ(kinds, expected);
  }
}

TEST(ReceiveSession, AFailedAcknowledgementDoesNotFailTheTransfer) {
  Harness h(script(enq + "0," + eot));
  h.line().failWrites(true);
  h.run();
  EXPECT_EQ(h.log().back(), "ended true");
  EXPECT_EQ(h.line().written(), "");
}

TEST(ReceiveSession, AStreamWithoutEndFailsAtTheTextBound) {
  constexpr std::size_t bound = 1000;
  Harness h(script(enq + "9,").endless(record("abcdef")), bound);
  h.run();
  const auto log = h.log();
  EXPECT_EQ(log.back(), "ended false");
  EXPECT_EQ(std::count(log.begin(), log.end(), "block"), 0);
  EXPECT_EQ(h.session().received_text().size(), bound);
  // The text grew up to the bound: 8 characters per record after "9,".
  EXPECT_EQ(std::count(log.begin(), log.end(), "progress " + std::to_string((bound - 2) / 8) + "/9"), 1);
}

TEST(ReceiveSession, ANewReceiveStartsAfresh) {
  Harness h(script(enq + "1," + record("a") + eot + "\x16" + "0," + eot));
  h.run();
  EXPECT_EQ(h.block(), wide("1," + record("a")));
  h.resetEnded();
  ASSERT_TRUE(h.session().start_receive());
  h.wait();
  EXPECT_EQ(h.session().received_text(), wide("0,"));
  EXPECT_EQ(h.session().header().kind, static_cast<std::int32_t>(BlockKind::Headerless39));
  EXPECT_EQ(h.line().written(), ack + ack + ack + ack);
}

TEST(ReceiveSession, StartNeedsAnOpenPortAndAllFourCallables) {
  auto line = std::make_shared<ScriptedLine>(script(enq + "0," + eot));
  ReceiveSession session([line](const std::wstring&) { return test::makeScriptedPort(line); });
  session.set_on_header([](const file::Header&) {});
  session.set_on_progress([](int, int) {});
  session.set_on_block([](const file::Header&, const std::wstring&) {});
  EXPECT_FALSE(session.start_receive()) << "port closed";
  EXPECT_FALSE(session.send_ack()) << "port closed";
  ASSERT_TRUE(session.open_port(L"COM1"));
  EXPECT_FALSE(session.start_receive()) << "no on_ended";
  EXPECT_FALSE(session.running());
  EXPECT_TRUE(session.send_ack());
  EXPECT_EQ(line->written(), ack);
  session.close_port();
  EXPECT_FALSE(session.port_open());
  EXPECT_FALSE(session.send_ack());
}

TEST(ReceiveSession, APortThatCannotBeOpenedLeavesTheSessionClosed) {
  std::wstring asked;
  ReceiveSession session([&asked](const std::wstring& name) -> std::unique_ptr<SerialPort> {
    asked = name;
    return nullptr;
  });
  EXPECT_FALSE(session.open_port(L"COM12"));
  EXPECT_EQ(asked, L"COM12");
  EXPECT_FALSE(session.port_open());
}

TEST(ReceiveSession, DestroyingTheSessionDuringAReceiveWaitsForTheWorker) {
  auto line = std::make_shared<ScriptedLine>(PortScript().bytes(enq + "5," + record("a")).endless(" "));
  std::atomic<int> ended{0};
  {
    ReceiveSession session([line](const std::wstring&) { return test::makeScriptedPort(line); });
    session.set_on_header([](const file::Header&) {});
    session.set_on_progress([](int, int) {});
    session.set_on_block([](const file::Header&, const std::wstring&) {});
    session.set_on_ended([&ended](bool) { ++ended; });
    ASSERT_TRUE(session.open_port(L"COM1"));
    ASSERT_TRUE(session.start_receive());
    EXPECT_TRUE(session.running());
  }
  // The worker is gone with the session (the sanitizers would see a read of
  // freed memory otherwise), and the owner was not called back while going.
  EXPECT_EQ(ended.load(), 0);
  EXPECT_EQ(line.use_count(), 1);
}

}  // namespace
}  // namespace kj
