// Receiving a full block (65,535 records) through the POSIX serial port from
// the controller simulator on a pseudo-terminal, as fast as the line takes it:
// bytes per second from the header to the delivered block, and the bytes of
// the last transfer that did not arrive as sent.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "base/text_encoding.h"
#include "link/receive_session.h"
#include "tests/sim/controller_pty.h"
#include "tests/support/record_fixture.h"

namespace {

const std::string& fullBlock() {
  static const std::string block = [] {
    const std::wstring text = kj::test::headerlessBlock(kj::test::variedRecords(65535, 39));
    std::string bytes;
    bytes.reserve(text.size());
    for (wchar_t c : text) bytes.push_back(static_cast<char>(c & 0xFF));
    return bytes;
  }();
  return block;
}

void BM_ReceiveFullBlockOnPty(benchmark::State& state) {
  kj::sim::ControllerPlan plan;
  plan.request = kj::sim::syn;
  plan.block = fullBlock();
  double lost = 0;
  double seconds = 0;
  double failed = 0;
  for (auto _ : state) {
    std::optional<kj::sim::Pty> pty = kj::sim::Pty::open();
    if (!pty) {
      state.SkipWithError("no pseudo-terminal");
      return;
    }
    kj::sim::PlayOptions options;
    options.request_interval_ms = 20;
    kj::sim::PlayReport report;
    std::thread controller([&] { report = kj::sim::play(pty->fd(), plan, options); });

    std::mutex mutex;
    std::condition_variable cv;
    bool ended = false;
    bool ok = false;
    std::chrono::steady_clock::time_point first{}, done{};
    kj::ReceiveSession session;
    session.set_on_header([&](const kj::file::Header&) {
      if (first == std::chrono::steady_clock::time_point{}) first = std::chrono::steady_clock::now();
    });
    session.set_on_progress([](int, int) {});
    session.set_on_block([&](const kj::file::Header&, const std::wstring&) { done = std::chrono::steady_clock::now(); });
    session.set_on_ended([&](bool succeeded) {
      std::lock_guard lock(mutex);
      ended = true;
      ok = succeeded;
      cv.notify_all();
    });
    if (!session.open_port(kj::fromUtf8(pty->slavePath())) || !session.start_receive()) {
      controller.join();
      state.SkipWithError("the port did not open");
      return;
    }
    {
      std::unique_lock lock(mutex);
      cv.wait(lock, [&] { return ended; });
    }
    controller.join();
    const std::wstring& text = session.received_text();
    // Bytes lost: those of the block that are missing or differ.
    std::size_t same = 0;
    const std::size_t n = std::min(text.size(), plan.block.size());
    for (std::size_t i = 0; i < n; ++i) if (static_cast<char>(text[i] & 0xFF) == plan.block[i]) ++same;
    lost = static_cast<double>(plan.block.size() - same);
    // A failed transfer (a gap of more than 100 ms on the line: the machine
    // did not run the simulator in time) is counted, with what it lost.
    if (!ok) {
      failed += 1;
      done = std::chrono::steady_clock::now();
    }
    seconds = std::chrono::duration<double>(done - first).count();
    state.SetIterationTime(seconds);
  }
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(plan.block.size()));
  state.counters["block_bytes"] = static_cast<double>(plan.block.size());
  state.counters["bytes_lost"] = lost;
  state.counters["failed_transfers"] = failed;
  state.counters["bytes_per_second"] = seconds > 0 ? static_cast<double>(plan.block.size()) / seconds : 0;
}
BENCHMARK(BM_ReceiveFullBlockOnPty)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(3);

}  // namespace
