// kj_controller_sim: the controller's side of a transfer on a pseudo-terminal,
// for trying the receiver by hand and for the end-to-end tests.
//
//   kj_controller_sim [OPTIONS] RECORD_FILE
//
// Makes a pseudo-terminal (or takes --tty PATH), prints the path the receiver
// opens as the first line on stdout (and links it at --link PATH), then plays
// the controller: optional noise, the request (ENQ or SYN) again every
// --request-interval ms until the ACK comes, the record file's block (its
// stored bytes un-substituted, exactly what the receiver will save), EOT, and
// the wait for the final ACK. The report, one JSON object (outcome, times in
// ms since the start, bytes sent, every byte received with its time), goes to
// --report FILE or to stderr. Exit status 0 when the play ended as the plan
// intends (completed; or the fault played), 1 otherwise, 2 on a usage error.
//
// Options:
//   --tty PATH              play on this tty instead of a new pseudo-terminal
//   --link PATH             make PATH a symbolic link to the pseudo-terminal
//   --request enq|syn       the request (default: enq for .efd files, else syn)
//   --rate BYTES_PER_S      pace of the block (3840: the real line; default:
//                           as fast as the line takes it)
//   --noise TEXT            sent once before the first request
//   --start-delay MS        wait before anything is sent
//   --wait-open             wait until the receiver has opened the line
//   --request-interval MS   (250) --request-timeout MS (-1: for ever)
//   --final-ack-timeout MS  (2000)
//   --nak-at N              NAK in place of byte N after the ACK (0: first)
//   --silence-at N          a silence before byte N after the ACK
//   --silence-ms MS         its length (250)
//   --spaces                a space in the header, spaces in the records
//   --endless               the records repeat for ever, no EOT
//   --endless-limit BYTES   ... but stop after this many bytes
//   --stall-timeout MS      stop when the line takes nothing this long (1000)
//   --nothing               send nothing at all (no RECORD_FILE needed)
//   --hold MS               with --nothing: for this long (default: until
//                           SIGINT or SIGTERM)
//   --linger MS             keep the line open after the play (500)
//
// Example: kj_controller_sim --link /tmp/ctl samples/battery.efdx &
//          kjvt58-cli receive --port /tmp/ctl

#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>
#include <thread>

#include "tests/sim/controller_pty.h"

namespace {

std::atomic<bool> g_stop{false};

void onSignal(int) { g_stop.store(true); }

int usage(const std::string& why) {
  std::cerr << "kj_controller_sim: " << why << "\n"
            << "usage: kj_controller_sim [--tty PATH] [--link PATH] [--request enq|syn] [--rate N]\n"
               "  [--noise TEXT] [--start-delay MS] [--wait-open] [--request-interval MS]\n"
               "  [--request-timeout MS] [--final-ack-timeout MS] [--nak-at N] [--silence-at N]\n"
               "  [--silence-ms MS] [--spaces] [--endless] [--endless-limit N] [--stall-timeout MS]\n"
               "  [--nothing] [--hold MS] [--linger MS] [--report FILE] RECORD_FILE\n";
  return 2;
}

bool number(const std::string& text, long long& out) {
  char* end = nullptr;
  errno = 0;
  out = std::strtoll(text.c_str(), &end, 10);
  return errno == 0 && end != text.c_str() && *end == '\0';
}

bool endsWith(const std::string& s, const std::string& tail) {
  return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

}  // namespace

int main(int argc, char** argv) {
  using kj::sim::PlayReport;
  kj::sim::ControllerPlan plan;
  kj::sim::PlayOptions options;
  std::string tty, link, report_path, file, request;
  long long linger_ms = 500;

  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    const auto value = [&](std::string& out) {
      if (i + 1 >= argc) return false;
      out = argv[++i];
      return true;
    };
    const auto num = [&](long long& out) {
      std::string v;
      return value(v) && number(v, out);
    };
    long long n = 0;
    if (a == "--tty") {
      if (!value(tty)) return usage("--tty needs a path");
    } else if (a == "--link") {
      if (!value(link)) return usage("--link needs a path");
    } else if (a == "--report") {
      if (!value(report_path)) return usage("--report needs a path");
    } else if (a == "--request") {
      if (!value(request) || (request != "enq" && request != "syn")) return usage("--request takes enq or syn");
    } else if (a == "--rate") {
      if (!num(n) || n < 0) return usage("--rate needs bytes per second");
      options.rate = static_cast<double>(n);
    } else if (a == "--noise") {
      if (!value(plan.noise)) return usage("--noise needs a text");
      if (plan.noise.find_first_of("\x05\x16") != std::string::npos) return usage("the noise may not hold ENQ or SYN");
    } else if (a == "--start-delay") {
      if (!num(options.start_delay_ms)) return usage("--start-delay needs milliseconds");
    } else if (a == "--wait-open") {
      options.wait_for_open = true;
    } else if (a == "--request-interval") {
      if (!num(options.request_interval_ms) || options.request_interval_ms < 1) return usage("bad --request-interval");
    } else if (a == "--request-timeout") {
      if (!num(options.request_timeout_ms)) return usage("bad --request-timeout");
    } else if (a == "--final-ack-timeout") {
      if (!num(options.final_ack_timeout_ms)) return usage("bad --final-ack-timeout");
    } else if (a == "--nak-at") {
      if (!num(n) || n < 0) return usage("--nak-at needs a byte number");
      plan.nak_at = static_cast<std::size_t>(n);
    } else if (a == "--silence-at") {
      if (!num(n) || n < 0) return usage("--silence-at needs a byte number");
      plan.silence_at = static_cast<std::size_t>(n);
    } else if (a == "--silence-ms") {
      if (!num(plan.silence_ms) || plan.silence_ms < 0) return usage("bad --silence-ms");
    } else if (a == "--spaces") {
      plan.spaces = true;
    } else if (a == "--endless") {
      plan.endless = true;
    } else if (a == "--endless-limit") {
      if (!num(n) || n < 0) return usage("bad --endless-limit");
      options.endless_limit = static_cast<std::uint64_t>(n);
    } else if (a == "--stall-timeout") {
      if (!num(options.stall_timeout_ms) || options.stall_timeout_ms < 0) return usage("bad --stall-timeout");
    } else if (a == "--nothing") {
      plan.send_nothing = true;
    } else if (a == "--hold") {
      if (!num(options.hold_ms)) return usage("bad --hold");
    } else if (a == "--linger") {
      if (!num(linger_ms) || linger_ms < 0) return usage("bad --linger");
    } else if (a == "--help" || a == "-h") {
      usage("the controller's side of a transfer");
      return 0;
    } else if (!a.empty() && a[0] == '-') {
      return usage("unknown option " + a);
    } else if (file.empty()) {
      file = a;
    } else {
      return usage("one record file only");
    }
  }
  if (file.empty() && !plan.send_nothing) return usage("a record file is needed");
  if (!file.empty()) {
    std::ifstream in(file, std::ios::binary);
    if (!in) return usage("cannot read " + file);
    const std::string stored((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    plan.block = kj::sim::blockOfStoredBytes(stored);
  }
  if (request.empty()) request = endsWith(file, ".efd") || endsWith(file, ".EFD") ? "enq" : "syn";
  plan.request = request == "enq" ? kj::sim::enq : kj::sim::syn;

  struct sigaction sa {};
  sa.sa_handler = onSignal;
  sigemptyset(&sa.sa_mask);
  sigaction(SIGINT, &sa, nullptr);
  sigaction(SIGTERM, &sa, nullptr);
  signal(SIGPIPE, SIG_IGN);

  std::optional<kj::sim::Pty> pty = tty.empty() ? kj::sim::Pty::open() : std::nullopt;
  int fd = -1;
  std::string line_path = tty;
  if (tty.empty()) {
    if (!pty) {
      std::cerr << "kj_controller_sim: cannot make a pseudo-terminal\n";
      return 1;
    }
    fd = pty->fd();
    line_path = pty->slavePath();
  } else {
    fd = kj::sim::openControllerTty(tty);
    if (fd < 0) {
      std::cerr << "kj_controller_sim: cannot open " << tty << "\n";
      return 1;
    }
  }
  if (!link.empty()) {
    (void)::unlink(link.c_str());
    if (::symlink(line_path.c_str(), link.c_str()) != 0) {
      std::cerr << "kj_controller_sim: cannot link " << link << "\n";
      return 1;
    }
  }
  std::cout << line_path << std::endl;

  const PlayReport report = kj::sim::play(fd, plan, options, &g_stop);

  const auto linger_end = std::chrono::steady_clock::now() + std::chrono::milliseconds(linger_ms);
  while (!g_stop.load() && std::chrono::steady_clock::now() < linger_end)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  if (!link.empty()) (void)::unlink(link.c_str());
  if (!pty) ::close(fd);

  const std::string json = report.json() + "\n";
  if (report_path.empty()) {
    std::cerr << json;
  } else {
    std::ofstream out(report_path, std::ios::binary | std::ios::trunc);
    out << json;
    if (!out) return 1;
  }

  using O = PlayReport::Outcome;
  bool as_planned = false;
  if (plan.send_nothing) {
    as_planned = report.outcome == O::sent_nothing || report.outcome == O::stopped;
  } else if (plan.nak_at) {
    as_planned = report.outcome == O::nak_sent;
  } else if (plan.endless) {
    as_planned = report.outcome == O::stalled || report.outcome == O::limit_reached;
  } else if (plan.silence_at) {
    // The receiver gives up at the silence; the rest then finds no listener.
    as_planned = report.outcome == O::no_final_ack || report.outcome == O::stalled || report.outcome == O::completed;
  } else {
    as_planned = report.outcome == O::completed;
  }
  return as_planned ? 0 : 1;
}
