#pragma once
// The controller simulator as the driver sees it. The simulator is a Linux
// program, so the driver does not start it: scripts/e2e runs a small service
// beside Wine that watches a shared folder. The driver asks for a play by
// writing request-N (the simulator's arguments, one a line, UTF-8); the service
// starts kj_controller_sim with them on a fresh pseudo-terminal linked where
// the prefix's COM port points, writes ready-N (the terminal's path) once the
// line exists, and when the simulator has ended, its report as report-N.json
// and its exit status as exit-N. stop-N asks the service to end play N early;
// a request whose first line is --held keeps the simulator stopped from the
// moment its line exists until go-N appears.

#include <optional>
#include <string>
#include <vector>

#include "tests/e2e/driver_ui.h"
#include "tests/support/json_reader.h"

namespace e2e {

// A Linux path for a path of the prefix's drive Z: (the root of the Linux
// file system): Z:\a\b -> /a/b. Fails for other drives.
std::string linuxPath(const std::wstring& windows_path);

class Controller {
 public:
  // Asks the service (folder sim_dir) to play with `arguments` and waits until
  // the line exists. Fails when sim_dir is empty or the service does not
  // answer in time.
  static Controller start(const std::wstring& sim_dir, const std::vector<std::string>& arguments);
  // The same, but the simulator is held frozen once its line exists, until
  // go(): the program can open the line and wait before the controller sends
  // anything.
  static Controller startHeld(const std::wstring& sim_dir, std::vector<std::string> arguments);
  // Lets a held simulator play.
  void go();

  Controller(Controller&& other) noexcept;
  Controller& operator=(Controller&&) = delete;
  Controller(const Controller&) = delete;
  ~Controller();

  // Waits for the end of the play and returns its report (the simulator's
  // JSON object) and exit status.
  kj::test::JsonValue waitReport(Millis timeout);
  int exitStatus() const { return exit_status_; }
  // Asks the service to end the play now.
  void stop();

 private:
  Controller(std::wstring sim_dir, int number) : sim_dir_(std::move(sim_dir)), number_(number) {}
  std::wstring file(const std::wstring& stem) const;

  std::wstring sim_dir_;
  int number_ = -1;
  bool ended_ = false;
  int exit_status_ = -1;
};

}  // namespace e2e
