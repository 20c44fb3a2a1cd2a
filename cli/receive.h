#pragma once
// The receive command: waits for one block from the controller on a serial
// port, saves it as a record file and prints it as the dump command does.

#include <functional>
#include <string>
#include <vector>

#include "link/receive_session.h"
#include "records_io/record_file_writer.h"

namespace kj::cli {

// Exit statuses of the receive command besides those of dump.h.
inline constexpr int exit_transfer_failed = 5;  // NAK, a silence, too long: nothing saved
inline constexpr int exit_interrupted = 130;    // Ctrl+C: nothing saved

// What the command needs of the process; tests give their own.
struct ReceiveEnvironment {
  PortOpener open_port = openSerialPort;
  // Takes progress text at once (standard error); nothing by default.
  std::function<void(const std::string&)> progress;
  // A bar redrawn in place (a terminal) instead of one line per step.
  bool progress_is_terminal = false;
  // Polled while the command waits: true once the user asked to stop.
  std::function<bool()> interrupted;
  Clock clock = systemLocalTime;
  // The folder of the time-stamp name; empty: the current folder.
  std::wstring folder;
};

// `receive --port PORT [--output FILE] [--json]`: args are those after
// "receive". The summary or JSON of the block goes to out, messages to err
// (progress to env.progress). The block is saved under FILE (with the block
// kind's extension when FILE has none) or under the time-stamp name with that
// extension; a failed or interrupted transfer saves nothing.
int runReceive(const std::vector<std::wstring>& args, const ReceiveEnvironment& env, std::string& out,
               std::string& err);

// The command on the process's console: progress on standard error (a bar
// when it is a terminal), Ctrl+C stops it cleanly with status 130.
int receiveOnConsole(const std::vector<std::wstring>& args);

// Ctrl+C handling of the process: from watchInterrupt until unwatchInterrupt,
// an interrupt only sets the flag that interruptRequested reports.
void watchInterrupt();
void unwatchInterrupt();
bool interruptRequested();
// True when standard error is a terminal (a console on Windows).
bool stderrIsTerminal();

}  // namespace kj::cli
