// The POSIX serial port and the receive session against the controller
// simulator on a pseudo-terminal: real bytes and the real time-outs.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "base/text_encoding.h"
#include "link/receive_session.h"
#include "record/record_text.h"
#include "records_io/record_file_writer.h"
#include "tests/sim/controller_pty.h"
#include "tests/support/record_fixture.h"

namespace kj {
namespace {

using sim::ControllerPlan;
using sim::PlayReport;

std::string narrow(const std::wstring& text) {
  std::string out;
  for (wchar_t c : text) out.push_back(static_cast<char>(c & 0xFF));
  return out;
}

struct Received {
  std::vector<std::string> log;
  std::wstring text;
  file::Header header;
  PlayReport report;
};

// Plays the plan on a new pseudo-terminal while a session on its other end
// receives. `abort_after` aborts the session once that much time has passed
// (for a controller that never sends); once the session has ended the
// simulator is stopped, so a failed transfer does not wait for its time-outs.
Received receiveOnPty(const ControllerPlan& plan, std::size_t max_chars = max_received_chars,
                      std::optional<std::chrono::milliseconds> abort_after = std::nullopt, double rate = 0) {
  Received out;
  std::optional<sim::Pty> pty = sim::Pty::open();
  EXPECT_TRUE(pty.has_value());
  if (!pty) return out;
  sim::PlayOptions options;
  options.request_interval_ms = 50;
  options.final_ack_timeout_ms = 2000;
  options.stall_timeout_ms = 500;
  options.rate = rate;
  std::atomic<bool> stop{false};
  std::thread controller([&] { out.report = sim::play(pty->fd(), plan, options, &stop); });

  std::mutex mutex;
  std::condition_variable cv;
  bool ended = false;
  {
    ReceiveSession session(openSerialPort, max_chars);
    const auto note = [&](std::string what) {
      std::lock_guard lock(mutex);
      out.log.push_back(std::move(what));
    };
    session.set_on_header([&](const file::Header&) { note("header"); });
    session.set_on_progress([&](int n, int m) { note("progress " + std::to_string(n) + "/" + std::to_string(m)); });
    session.set_on_block([&](const file::Header&, const std::wstring&) { note("block"); });
    session.set_on_ended([&](bool ok) {
      note(ok ? "ended true" : "ended false");
      std::lock_guard lock(mutex);
      ended = true;
      cv.notify_all();
    });
    const bool opened = session.open_port(fromUtf8(pty->slavePath()));
    EXPECT_TRUE(opened);
    if (opened && session.start_receive()) {
      std::unique_lock lock(mutex);
      if (abort_after && !cv.wait_for(lock, *abort_after, [&] { return ended; })) {
        lock.unlock();
        session.abort_receive();
        lock.lock();
      }
      EXPECT_TRUE(cv.wait_for(lock, std::chrono::seconds(60), [&] { return ended; })) << "the session never ended";
    }
    out.text = session.received_text();
    out.header = session.header();
    // A successful controller finishes on its own; any other is told to stop.
    if (out.log.empty() || out.log.back() != "ended true") stop.store(true);
    controller.join();
  }
  return out;
}

std::string acksOf(const PlayReport& r) {
  std::string s;
  for (const auto& [ms, byte] : r.received) s.push_back(static_cast<char>(byte));
  return s;
}

// A record file of each block kind goes over the line; saved again, the
// received block is the same file byte for byte.
TEST(ReceiveOnPty, BlocksOfEveryKindArriveAsTheirFile) {
  struct Case {
    const char* name;
    std::wstring text;
    std::uint8_t request;
    BlockKind kind;
    int records;
  };
  const std::vector<Case> cases = {
      {"plain, short", test::headerlessBlock(test::variedRecords(5, 33)), sim::enq, BlockKind::Headerless33, 5},
      {"plain, long", test::headerlessBlock(test::variedRecords(40, 39)), sim::syn, BlockKind::Headerless39, 40},
      {"tagged battery", test::blockText(test::taggedHeader(L"BT", 1, 48, 3), test::variedRecords(3, 48)), sim::syn,
       BlockKind::TaggedBT, 3},
      {"tagged, not decoded",
       test::blockText(test::taggedHeader(L"PK", 1, 39, 2), test::variedRecords(2, 39)), sim::syn,
       BlockKind::TaggedPK, 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    test::TempDir dir;
    const std::wstring original = dir.file(L"sent.efdx");
    test::writeBytes(original, test::storedBytes(c.text));
    ControllerPlan plan;
    plan.request = c.request;
    plan.noise = "\x15noise";
    plan.block = sim::blockOfStoredBytes(test::readBytes(original));

    const Received r = receiveOnPty(plan);
    ASSERT_FALSE(r.log.empty());
    EXPECT_EQ(r.log.back(), "ended true");
    EXPECT_EQ(r.log.front(), "header");
    EXPECT_EQ(r.log.at(r.log.size() - 3),
              "progress " + std::to_string(c.records) + "/" + std::to_string(c.records));
    EXPECT_EQ(r.report.outcome, PlayReport::Outcome::completed) << r.report.json();
    EXPECT_EQ(acksOf(r.report), "\x06\x06");
    EXPECT_EQ(r.header.kind, static_cast<std::int32_t>(c.kind));
    EXPECT_EQ(r.text, c.text);

    const std::wstring saved = dir.file(L"received.efdx");
    ASSERT_TRUE(writeRecordFile(saved, r.text, true, code_page_ansi));
    EXPECT_EQ(test::readBytes(saved), test::readBytes(original));
  }
}

TEST(ReceiveOnPty, BytesAtTheLineRateArriveWhole) {
  ControllerPlan plan;
  plan.request = sim::enq;
  plan.block = narrow(test::headerlessBlock(test::variedRecords(2, 33)));
  plan.spaces = true;
  // Paced at the controller's real rate, with the spaces it may put in.
  const Received r = receiveOnPty(plan, max_received_chars, std::nullopt, 3840);
  ASSERT_FALSE(r.log.empty());
  EXPECT_EQ(r.log.back(), "ended true");
  EXPECT_EQ(narrow(r.text), sim::expectedReceived(plan));
  // The pace held: the block took about its size over the rate.
  EXPECT_GE(r.report.last_byte_ms - r.report.first_byte_ms,
            1000.0 * static_cast<double>(r.report.bytes_sent - 1) / 3840 - 5);
}

// Faults on the line end the transfer false, without a block, through the
// real read time-out.
TEST(ReceiveOnPty, FaultsEndTheTransferFalse) {
  struct Case {
    const char* name;
    ControllerPlan plan;
    std::size_t max_chars;
    bool header;
    std::string acks;  // what the controller received
  };
  ControllerPlan base;
  base.request = sim::syn;
  base.block = narrow(test::blockText(test::taggedHeader(L"BT", 1, 48, 4), test::variedRecords(4, 48)));
  const std::size_t mid = base.block.size() / 2;
  std::vector<Case> cases;
  {
    ControllerPlan p = base;
    p.nak_at = 0;
    cases.push_back({"nak first", p, max_received_chars, false, "\x06"});
  }
  {
    ControllerPlan p = base;
    p.nak_at = mid;
    cases.push_back({"nak in the middle", p, max_received_chars, true, "\x06"});
  }
  {
    ControllerPlan p = base;
    p.silence_at = mid;
    p.silence_ms = 300;
    cases.push_back({"silence in the middle", p, max_received_chars, true, "\x06"});
  }
  {
    ControllerPlan p = base;
    p.endless = true;
    cases.push_back({"no EOT ever", p, 50'000, true, "\x06"});
  }
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const Received r = receiveOnPty(c.plan, c.max_chars);
    ASSERT_FALSE(r.log.empty());
    EXPECT_EQ(r.log.back(), "ended false");
    EXPECT_EQ(std::count(r.log.begin(), r.log.end(), "block"), 0);
    EXPECT_EQ(std::count(r.log.begin(), r.log.end(), "header"), c.header ? 1 : 0);
    EXPECT_EQ(acksOf(r.report), c.acks) << r.report.json();
    EXPECT_LE(r.text.size(), c.max_chars);
    if (c.plan.endless) {
      EXPECT_EQ(r.text.size(), c.max_chars) << "the stream ran into the bound";
    }
    if (c.plan.nak_at) {
      EXPECT_EQ(r.report.outcome, PlayReport::Outcome::nak_sent);
    }
  }
}

TEST(ReceiveOnPty, AControllerThatSendsNothingLeavesTheSessionWaitingUntilAborted) {
  ControllerPlan plan;
  plan.send_nothing = true;
  const Received r = receiveOnPty(plan, max_received_chars, std::chrono::milliseconds(400));
  EXPECT_EQ(r.log, (std::vector<std::string>{"ended false"}));
  EXPECT_TRUE(r.report.received.empty()) << "no ACK without a request";
  EXPECT_EQ(r.report.requests_sent, 0);
}

}  // namespace
}  // namespace kj
