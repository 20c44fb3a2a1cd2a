// The controller simulator's byte stream, received by the session through the
// scripted port: every fault mode ends the way the receiver must end it.
#include "tests/sim/controller_script.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "link/receive_session.h"
#include "record/record_text.h"
#include "records_io/loaded_block.h"
#include "tests/support/record_fixture.h"
#include "tests/support/scripted_port.h"

namespace kj {
namespace {

using sim::ControllerPlan;

std::string narrow(const std::wstring& text) {
  std::string out;
  for (wchar_t c : text) out.push_back(static_cast<char>(c & 0xFF));
  return out;
}

// The block bytes of fixture records, as a record file holds them.
std::string plainBlock(std::size_t records, std::size_t fields) {
  return narrow(test::blockText(L"", test::variedRecords(records, fields)));
}
std::string batteryBlock(std::size_t records) {
  return narrow(test::blockText(test::taggedHeader(L"BT", 1, 48, static_cast<int>(records)),
                                test::variedRecords(records, 48)));
}

// The plan played on a scripted line: noise, the request, the pieces with their
// silences, EOT or the endless pattern.
test::PortScript scriptOf(const ControllerPlan& plan) {
  test::PortScript s;
  if (plan.send_nothing) return s;
  s.bytes(plan.noise).byte(plan.request);
  const sim::Transmission t = sim::transmissionOf(plan);
  for (const sim::Piece& p : t.pieces) s.silence(p.silence_before_ms).bytes(p.bytes);
  if (t.ends_with_eot) s.byte(sim::eot);
  if (!t.endless_pattern.empty()) s.endless(t.endless_pattern);
  return s;
}

struct Outcome {
  std::vector<std::string> log;
  std::wstring text;
  file::Header header;
  std::string written;
};

// Receives the plan's transfer; a session still waiting long after the script
// ran out is aborted (the controller that sends nothing).
Outcome receive(const ControllerPlan& plan, std::size_t max_chars = max_received_chars) {
  auto line = std::make_shared<test::ScriptedLine>(scriptOf(plan));
  std::mutex mutex;
  std::condition_variable cv;
  Outcome out;
  bool ended = false;
  {
    ReceiveSession session([line](const std::wstring&) { return test::makeScriptedPort(line); }, max_chars);
    line->onExhausted([&] {
      if (line->exhaustedReads() > 20) session.abort_receive();
    });
    const auto note = [&](std::string what) {
      std::lock_guard lock(mutex);
      out.log.push_back(std::move(what));
    };
    session.set_on_header([&](const file::Header&) { note("header"); });
    session.set_on_progress([&](int, int) { note("progress"); });
    session.set_on_block([&](const file::Header&, const std::wstring&) { note("block"); });
    session.set_on_ended([&](bool ok) {
      note(ok ? "ended true" : "ended false");
      std::lock_guard lock(mutex);
      ended = true;
      cv.notify_all();
    });
    EXPECT_TRUE(session.open_port(L"COM1"));
    EXPECT_TRUE(session.start_receive());
    std::unique_lock lock(mutex);
    EXPECT_TRUE(cv.wait_for(lock, std::chrono::seconds(30), [&] { return ended; })) << "the session never ended";
    out.text = session.received_text();
    out.header = session.header();
  }
  out.written = line->written();
  return out;
}

long long count(const std::vector<std::string>& log, const std::string& what) {
  long long n = 0;
  for (const auto& e : log) n += e == what ? 1 : 0;
  return n;
}

TEST(ControllerScript, StoredBytesGiveTheBlockBackWithNothingDropped) {
  const std::wstring text = test::blockText(test::taggedHeader(L"BT", 1, 48, 2), test::variedRecords(2, 48)) +
                            std::wstring(1, widenByte(0xb1)) + L"\t";
  const std::string block = sim::blockOfStoredBytes(test::storedBytes(text));
  EXPECT_EQ(block, narrow(text));
  EXPECT_NE(block.find("\r\n"), std::string::npos) << "line ends are sent as the file holds them";
}

TEST(ControllerScript, TheHeaderEndsAtTheCommaAfterTheRecordCount) {
  struct Case {
    std::string block;
    std::size_t length;
  };
  for (const Case& c : {Case{"\x01" "BT,01,048,0002,\x02" "a,b\x03", 16}, Case{"12,\x02" "a,b\x03", 3},
                        Case{"\x01" "PK,01,0", 8}, Case{"", 0}}) {
    SCOPED_TRACE(c.block);
    EXPECT_EQ(sim::headerLength(c.block), c.length);
  }
}

// Transfers that arrive whole: the session keeps what the simulator says it
// keeps, which decodes to the file's records.
TEST(ControllerScript, CompleteTransfersArriveAsTheBlockWithTheirSpacesDropped) {
  struct Case {
    const char* name;
    ControllerPlan plan;
    std::size_t records;
    BlockKind kind;
  };
  std::vector<Case> cases;
  const auto add = [&cases](const char* name, std::uint8_t request, std::string block, std::size_t records,
                            BlockKind kind, bool spaces, std::string noise = {}) {
    ControllerPlan p;
    p.request = request;
    p.block = std::move(block);
    p.spaces = spaces;
    p.noise = std::move(noise);
    cases.push_back({name, p, records, kind});
  };
  add("plain, short records", sim::enq, plainBlock(3, 33), 3, BlockKind::Headerless33, false);
  add("plain, long records, after noise", sim::syn, plainBlock(4, 39), 4, BlockKind::Headerless39, false,
      "\x15\x04zz\x06");
  add("battery", sim::syn, batteryBlock(3), 3, BlockKind::TaggedBT, false);
  add("plain with spaces", sim::enq, plainBlock(2, 33), 2, BlockKind::Headerless33, true);
  add("battery with spaces", sim::syn, batteryBlock(2), 2, BlockKind::TaggedBT, true);

  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const Outcome o = receive(c.plan);
    ASSERT_FALSE(o.log.empty());
    EXPECT_EQ(o.log.back(), "ended true");
    EXPECT_EQ(o.written, "\x06\x06");
    EXPECT_EQ(count(o.log, "progress"), static_cast<long long>(c.records));
    const std::string expected = sim::expectedReceived(c.plan);
    EXPECT_EQ(narrow(o.text), expected);
    if (c.plan.spaces) {
      const std::string sent = sim::transmissionOf(c.plan).pieces.at(0).bytes;
      EXPECT_GT(std::count(sent.begin(), sent.end(), ' '), static_cast<long>(c.records) * 10);
      // One space stays, in the header; none of the records' spaces do.
      EXPECT_EQ(expected.size(), c.plan.block.size() + 1);
      EXPECT_EQ(narrow(o.text).substr(sim::headerLength(expected)),
                c.plan.block.substr(sim::headerLength(c.plan.block)));
    } else {
      EXPECT_EQ(expected, c.plan.block);
    }
    EXPECT_EQ(o.header.kind, static_cast<std::int32_t>(c.kind));
    EXPECT_EQ(o.header.record_count, c.records);
    const LoadedBlock block = LoadedBlock::fromReceived(o.header, o.text);
    EXPECT_EQ(block.outcome(), LoadOutcome::records);
    EXPECT_EQ(block.recordCount(), c.records);
    EXPECT_EQ(block.counts().bad_count, 0);
  }
}

TEST(ControllerScript, FaultsEndTheTransferFalseWithoutABlock) {
  struct Case {
    const char* name;
    ControllerPlan plan;
    std::string written;  // by the receiver
    bool header;
  };
  ControllerPlan base;
  base.request = sim::syn;
  base.block = batteryBlock(3);
  const std::size_t mid = base.block.size() / 2;
  std::vector<Case> cases;
  const auto add = [&](const char* name, auto change, std::string written, bool header) {
    ControllerPlan p = base;
    change(p);
    cases.push_back({name, p, std::move(written), header});
  };
  add("nak first", [](ControllerPlan& p) { p.nak_at = 0; }, "\x06", false);
  add("nak in the middle", [mid](ControllerPlan& p) { p.nak_at = mid; }, "\x06", true);
  add("silence in the middle", [mid](ControllerPlan& p) { p.silence_at = mid; }, "\x06", true);
  add("silence in the header", [](ControllerPlan& p) { p.silence_at = 5; }, "\x06", false);
  add("nothing sent", [](ControllerPlan& p) { p.send_nothing = true; }, "", false);

  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const Outcome o = receive(c.plan);
    ASSERT_FALSE(o.log.empty());
    EXPECT_EQ(o.log.back(), "ended false");
    EXPECT_EQ(count(o.log, "ended false"), 1);
    EXPECT_EQ(count(o.log, "block"), 0);
    EXPECT_EQ(count(o.log, "header"), c.header ? 1 : 0);
    EXPECT_EQ(o.written, c.written);
  }
}

TEST(ControllerScript, AnEndlessStreamRepeatsRecordsUntilTheReceiverGivesUp) {
  ControllerPlan plan;
  plan.request = sim::enq;
  plan.block = plainBlock(2, 33);
  plan.endless = true;
  const sim::Transmission t = sim::transmissionOf(plan);
  EXPECT_FALSE(t.ends_with_eot);
  EXPECT_EQ(t.endless_pattern, plan.block.substr(sim::headerLength(plan.block)));

  constexpr std::size_t bound = 20'000;
  const Outcome o = receive(plan, bound);
  EXPECT_EQ(o.log.back(), "ended false");
  EXPECT_EQ(count(o.log, "block"), 0);
  EXPECT_EQ(o.text.size(), bound);
  EXPECT_GT(count(o.log, "progress"), 2) << "records kept coming after the announced two";
  EXPECT_EQ(o.written, "\x06");
}

}  // namespace
}  // namespace kj
