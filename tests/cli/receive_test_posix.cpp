// kjvt58-cli receive against the controller simulator on a pseudo-terminal.
#include "cli/receive.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "base/text_encoding.h"
#include "cli/dump.h"
#include "tests/sim/controller_pty.h"
#include "tests/support/record_fixture.h"

namespace kj::cli {
namespace {

using sim::ControllerPlan;

const Clock fixed_clock = [] { return LocalDateTime{2024, 3, 5, 9, 7, 2}; };

std::vector<std::wstring> filesIn(const std::filesystem::path& folder) {
  std::vector<std::wstring> names;
  for (const auto& e : std::filesystem::directory_iterator(folder)) names.push_back(e.path().filename().wstring());
  return names;
}

// The command run while the simulator plays the plan on a pseudo-terminal.
class ReceiveTest : public testing::Test {
 protected:
  // Runs `receive --port <pty> extra...`; `interrupt_when` is polled as the
  // user's Ctrl+C.
  int run(const ControllerPlan& plan, std::vector<std::wstring> extra = {},
          std::function<bool()> interrupt_when = nullptr, bool terminal = false) {
    std::optional<sim::Pty> pty = sim::Pty::open();
    EXPECT_TRUE(pty.has_value());
    if (!pty) return -1;
    sim::PlayOptions options;
    options.request_interval_ms = 50;
    options.stall_timeout_ms = 300;
    std::atomic<bool> stop{false};
    std::thread controller([&] { report_ = sim::play(pty->fd(), plan, options, &stop); });
    ReceiveEnvironment env;
    env.progress = [this](const std::string& text) { progress_ += text; };
    env.progress_is_terminal = terminal;
    env.interrupted = std::move(interrupt_when);
    env.clock = fixed_clock;
    env.folder = dir_.path().wstring();
    std::vector<std::wstring> args = {L"--port", fromUtf8(pty->slavePath())};
    args.insert(args.end(), extra.begin(), extra.end());
    out_.clear();
    err_.clear();
    const int status = runReceive(args, env, out_, err_);
    stop.store(true);
    controller.join();
    return status;
  }

  // The file the controller sends; its name gives the kind of a headerless
  // block when it is read back.
  ControllerPlan planOf(const std::wstring& text, std::uint8_t request, const std::wstring& name = L"original.efdx") {
    original_ = dir_.file(name);
    test::writeBytes(original_, test::storedBytes(text));
    ControllerPlan plan;
    plan.request = request;
    plan.block = sim::blockOfStoredBytes(test::readBytes(original_));
    std::filesystem::create_directory(dir_.path() / "in");
    return plan;
  }

  test::TempDir dir_;
  std::wstring original_;
  std::string out_;
  std::string err_;
  std::string progress_;
  sim::PlayReport report_;
};

TEST_F(ReceiveTest, TheBlockIsSavedUnderTheTimeStampNameOfItsKindAndDumped) {
  struct Case {
    const char* name;
    std::wstring text;
    std::uint8_t request;
    const wchar_t* file;
    int records;
  };
  const std::vector<Case> cases = {
      {"plain, short", test::headerlessBlock(test::variedRecords(3, 33)), sim::enq, L"2024_0305_090702.efd", 3},
      {"plain, long", test::headerlessBlock(test::variedRecords(4, 39)), sim::syn, L"2024_0305_090702.efdx", 4},
      {"battery", test::blockText(test::taggedHeader(L"BT", 1, 48, 2), test::variedRecords(2, 48)), sim::syn,
       L"2024_0305_090702.efdx", 2},
      {"not decoded, no extension", test::blockText(test::taggedHeader(L"ZZ", 1, 39, 1), test::variedRecords(1, 39)),
       sim::syn, L"2024_0305_090702", 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    progress_.clear();
    const std::wstring extension = std::filesystem::path(c.file).extension().wstring();
    const ControllerPlan plan = planOf(c.text, c.request, L"sent" + extension);
    ASSERT_EQ(run(plan, {L"--json"}), exit_ok) << err_;
    const std::wstring saved = dir_.file(c.file);
    ASSERT_TRUE(std::filesystem::exists(saved));
    EXPECT_EQ(test::readBytes(saved), test::readBytes(original_));
    // The JSON is the dump of the very file that was sent.
    const std::optional<LoadedBlock> sent = LoadedBlock::fromFile(original_, PathRule::any_file);
    ASSERT_TRUE(sent.has_value());
    EXPECT_EQ(out_, dumpJson(*sent) + "\n");
    EXPECT_NE(progress_.find("received " + std::to_string(c.records) + "/" + std::to_string(c.records) +
                             " records\n"),
              std::string::npos)
        << progress_;
    EXPECT_EQ(report_.outcome, sim::PlayReport::Outcome::completed);
    std::filesystem::remove(saved);
  }
}

TEST_F(ReceiveTest, OutputNamesTheFileAndGetsTheExtensionOnlyWhenItHasNone) {
  const ControllerPlan plan = planOf(test::headerlessBlock(test::variedRecords(2, 39)), sim::syn);
  struct Case {
    const wchar_t* given;
    const wchar_t* written;
  };
  for (const Case& c : {Case{L"in/rec", L"in/rec.efdx"}, Case{L"in/rec.txt", L"in/rec.txt"}}) {
    const std::wstring given = dir_.file(c.given);
    ASSERT_EQ(run(plan, {L"--output", given}), exit_ok) << err_;
    EXPECT_EQ(test::readBytes(dir_.file(c.written)), test::readBytes(original_));
    // The table dump names the saved file first.
    EXPECT_EQ(out_.rfind(toUtf8(dir_.file(c.written)) + "\n", 0), 0u) << out_;
    EXPECT_NE(out_.find("records: 2, bad: 0"), std::string::npos) << out_;
  }
  EXPECT_EQ(filesIn(dir_.path() / "in").size(), 2u);
}

TEST_F(ReceiveTest, AFailedOrInterruptedTransferWritesNothing) {
  struct Case {
    const char* name;
    std::function<void(ControllerPlan&)> change;
    bool interrupt;
    int status;
  };
  const std::vector<Case> cases = {
      {"nak in the middle", [](ControllerPlan& p) { p.nak_at = p.block.size() / 2; }, false, exit_transfer_failed},
      {"silence in the middle", [](ControllerPlan& p) { p.silence_at = p.block.size() / 2; }, false,
       exit_transfer_failed},
      {"interrupted while waiting", [](ControllerPlan& p) { p.send_nothing = true; }, true, exit_interrupted},
      {"interrupted during the transfer", [](ControllerPlan& p) { p.silence_at = 40; p.silence_ms = 60; }, true,
       exit_interrupted},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ControllerPlan plan = planOf(test::headerlessBlock(test::variedRecords(3, 39)), sim::syn);
    c.change(plan);
    // Ctrl+C once the header has arrived, or while waiting for the request.
    std::function<bool()> interrupt;
    if (c.interrupt) {
      interrupt = [this, waiting = plan.send_nothing] {
        return waiting ? progress_.find("waiting") != std::string::npos
                       : progress_.find("header:") != std::string::npos;
      };
    }
    EXPECT_EQ(run(plan, {}, interrupt), c.status) << err_;
    EXPECT_TRUE(out_.empty()) << out_;
    EXPECT_NE(err_.find("nothing saved"), std::string::npos) << err_;
    EXPECT_EQ(filesIn(dir_.path()).size(), 2u) << "only the original and the empty folder";
  }
}

TEST_F(ReceiveTest, ATerminalGetsOneBarRedrawnInPlace) {
  const ControllerPlan plan = planOf(test::headerlessBlock(test::variedRecords(3, 39)), sim::syn);
  ASSERT_EQ(run(plan, {}, nullptr, true), exit_ok) << err_;
  EXPECT_NE(progress_.find("\rreceiving [##########....................] 1/3 records"), std::string::npos)
      << progress_;
  EXPECT_NE(progress_.find("\rreceiving [##############################] 3/3 records\n"), std::string::npos)
      << progress_;
  EXPECT_EQ(progress_.find("received 1/3"), std::string::npos);
}

TEST(ReceiveCommand, UsageErrorsAndAPortThatCannotBeOpened) {
  struct Case {
    std::vector<std::wstring> args;
    int status;
    const char* message;
  };
  const std::vector<Case> cases = {
      {{}, exit_usage, "needs --port"},
      {{L"--port"}, exit_usage, "--port needs a value"},
      {{L"--port", L"/dev/null", L"--output"}, exit_usage, "--output needs a value"},
      {{L"--port", L"/dev/null", L"extra"}, exit_usage, "unexpected argument 'extra'"},
      {{L"--port", L"/nonexistent/tty"}, exit_unreadable, "cannot open the port '/nonexistent/tty'"},
      {{L"--port", L"/dev/null"}, exit_unreadable, "cannot open the port"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.message);
    std::string out;
    std::string err;
    EXPECT_EQ(runReceive(c.args, ReceiveEnvironment{}, out, err), c.status);
    EXPECT_NE(err.find(c.message), std::string::npos) << err;
    EXPECT_TRUE(out.empty());
  }
}

#ifdef KJ_CLI_PATH
// Ctrl+C is a real SIGINT to the real tool: it exits 130 and saves nothing.
TEST(ReceiveCommand, SigintStopsTheToolWithStatus130) {
  std::optional<sim::Pty> pty = sim::Pty::open();
  ASSERT_TRUE(pty.has_value());
  test::TempDir dir;
  int err_pipe[2];
  ASSERT_EQ(::pipe(err_pipe), 0);
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    ::dup2(err_pipe[1], STDERR_FILENO);
    ::close(err_pipe[0]);
    if (::chdir(dir.path().c_str()) != 0) ::_exit(99);
    ::execl(KJ_CLI_PATH, KJ_CLI_PATH, "receive", "--port", pty->slavePath().c_str(), static_cast<char*>(nullptr));
    ::_exit(98);
  }
  ::close(err_pipe[1]);
  // Wait until it is waiting for the controller.
  std::string err;
  while (err.find("waiting") == std::string::npos) {
    pollfd p{err_pipe[0], POLLIN, 0};
    if (::poll(&p, 1, 10'000) <= 0) break;
    char buf[256];
    const ssize_t got = ::read(err_pipe[0], buf, sizeof buf);
    if (got <= 0) break;
    err.append(buf, static_cast<std::size_t>(got));
  }
  EXPECT_NE(err.find("waiting"), std::string::npos) << err;
  ::kill(child, SIGINT);
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ::close(err_pipe[0]);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), exit_interrupted);
  EXPECT_TRUE(filesIn(dir.path()).empty());
}
#endif

}  // namespace
}  // namespace kj::cli
