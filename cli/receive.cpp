#include "cli/receive.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <deque>
#include <exception>
#include <mutex>
#include <optional>

#include "base/text_encoding.h"
#include "cli/console.h"
#include "cli/dump.h"
#include "records_io/loaded_block.h"
#include "records_io/save_names.h"

namespace kj::cli {
namespace {

// What the worker reports, handed to the command's thread in order.
struct Event {
  enum class Kind { header, progress, ended };
  Kind kind;
  int received = 0;
  int announced = 0;
  bool ok = false;
};

class EventQueue {
 public:
  void push(Event e) {
    {
      std::lock_guard lock(mutex_);
      events_.push_back(e);
    }
    cv_.notify_one();
  }
  // The next event, or nothing after `wait`.
  std::optional<Event> pop(std::chrono::milliseconds wait) {
    std::unique_lock lock(mutex_);
    if (!cv_.wait_for(lock, wait, [this] { return !events_.empty(); })) return std::nullopt;
    Event e = events_.front();
    events_.pop_front();
    return e;
  }

 private:
  std::mutex mutex_;
  std::condition_variable cv_;
  std::deque<Event> events_;
};

// Progress: a bar redrawn in place on a terminal, otherwise a line at each
// whole percent (and for every record of a small block).
class ProgressView {
 public:
  explicit ProgressView(const ReceiveEnvironment& env) : env_(env) {}

  void say(const std::string& line) {
    endBar();
    emit(line + "\n");
  }
  void header(const file::Header& h) {
    say("header: kind " + std::to_string(h.kind) + ", " + std::to_string(h.record_count) + " records announced");
  }
  void progress(int n, int m) {
    if (env_.progress_is_terminal) {
      constexpr int width = 30;
      const int filled = m > 0 ? std::min(width, static_cast<int>(static_cast<long long>(n) * width / m)) : width;
      emit("\rreceiving [" + std::string(static_cast<std::size_t>(filled), '#') +
           std::string(static_cast<std::size_t>(width - filled), '.') + "] " + std::to_string(n) + "/" +
           std::to_string(m) + " records");
      bar_shown_ = true;
      return;
    }
    const int percent = m > 0 ? static_cast<int>(static_cast<long long>(n) * 100 / m) : -1;
    if (m <= 100 || n >= m || percent != last_percent_) {
      emit("received " + std::to_string(n) + "/" + std::to_string(m) + " records\n");
    }
    last_percent_ = percent;
  }
  void endBar() {
    if (bar_shown_) emit("\n");
    bar_shown_ = false;
  }

 private:
  void emit(const std::string& text) {
    if (env_.progress) env_.progress(text);
  }
  const ReceiveEnvironment& env_;
  bool bar_shown_ = false;
  int last_percent_ = -1;
};

std::wstring joinPath(const std::wstring& folder, const std::wstring& name) {
  if (folder.empty()) return name;
  const wchar_t last = folder.back();
  return last == L'/' || last == L'\\' ? folder + name : folder + L"/" + name;
}

}  // namespace

int runReceive(const std::vector<std::wstring>& args, const ReceiveEnvironment& env, std::string& out,
               std::string& err) {
  std::wstring port;
  std::wstring output;
  bool as_json = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::wstring& a = args[i];
    if (a == L"--json") {
      as_json = true;
    } else if (a == L"--port" || a == L"--output") {
      if (i + 1 >= args.size() || args[i + 1].empty()) {
        err += "kjvt58-cli: " + toUtf8(a) + " needs a value\n";
        return exit_usage;
      }
      (a == L"--port" ? port : output) = args[++i];
    } else {
      err += "kjvt58-cli: receive: unexpected argument '" + toUtf8(a) + "'\n";
      return exit_usage;
    }
  }
  if (port.empty()) {
    err += "kjvt58-cli: receive needs --port PORT\n";
    return exit_usage;
  }

  ProgressView view(env);
  EventQueue events;
  ReceiveSession session(env.open_port);
  if (!session.open_port(port)) {
    err += "kjvt58-cli: cannot open the port '" + toUtf8(port) + "'\n";
    return exit_unreadable;
  }
  session.set_on_header([&events](const file::Header&) { events.push({Event::Kind::header}); });
  session.set_on_progress([&events](int n, int m) { events.push({Event::Kind::progress, n, m}); });
  session.set_on_block([](const file::Header&, const std::wstring&) {});
  session.set_on_ended([&events](bool ok) { events.push({Event::Kind::ended, 0, 0, ok}); });
  if (!session.start_receive()) {
    err += "kjvt58-cli: the receive could not be started\n";
    return exit_internal;
  }
  view.say("waiting for the controller on " + toUtf8(port) + " (Ctrl+C stops)");

  bool interrupted = false;
  bool ok = false;
  for (;;) {
    if (!interrupted && env.interrupted && env.interrupted()) {
      interrupted = true;
      session.abort_receive();
    }
    const std::optional<Event> e = events.pop(std::chrono::milliseconds(50));
    if (!e) continue;
    if (e->kind == Event::Kind::header) {
      view.header(session.header());
    } else if (e->kind == Event::Kind::progress) {
      view.progress(e->received, e->announced);
    } else {
      ok = e->ok;
      break;
    }
  }
  view.endBar();
  session.close_port();
  if (interrupted || (env.interrupted && env.interrupted())) {
    err += "kjvt58-cli: interrupted, nothing saved\n";
    return exit_interrupted;
  }
  if (!ok) {
    err += "kjvt58-cli: the transfer failed (cancelled by the controller, a silence on the line, or too long), "
           "nothing saved\n";
    return exit_transfer_failed;
  }

  const file::Header& header = session.header();
  const std::wstring& text = session.received_text();
  const std::wstring path = output.empty() ? joinPath(env.folder, receivedFileName(header.kind, env.clock))
                                           : withDefaultExtension(output, defaultExtensionFor(header.kind));
  if (!writeRecordFile(path, text, true, code_page_ansi)) {
    err += "kjvt58-cli: cannot write '" + toUtf8(path) + "'\n";
    return exit_unreadable;
  }
  view.say("saved " + toUtf8(path));
  const LoadedBlock block = LoadedBlock::fromReceived(header, text, path);
  if (as_json) {
    out += dumpJson(block);
    out += '\n';
  } else {
    out += dumpTable(path, block);
  }
  return block.outcome() == LoadOutcome::invalid ? exit_rejected : exit_ok;
}

int receiveOnConsole(const std::vector<std::wstring>& args) {
  std::string out;
  std::string err;
  int status = exit_internal;
  useBinaryConsole();
  ReceiveEnvironment env;
  env.progress = [](const std::string& text) {
    std::fwrite(text.data(), 1, text.size(), stderr);
    std::fflush(stderr);
  };
  env.progress_is_terminal = stderrIsTerminal();
  env.interrupted = interruptRequested;
  watchInterrupt();
  try {
    status = runReceive(args, env, out, err);
  } catch (const std::exception& e) {
    err += std::string("kjvt58-cli: ") + e.what() + "\n";
    out.clear();
    status = exit_internal;
  }
  unwatchInterrupt();
  std::fwrite(out.data(), 1, out.size(), stdout);
  std::fwrite(err.data(), 1, err.size(), stderr);
  std::fflush(stdout);
  return status;
}

}  // namespace kj::cli
