#include "tests/e2e/driver_controller.h"

#include <fstream>
#include <iterator>
#include <utility>

namespace e2e {
namespace {

// The number of the next play; the service numbers them from 0 in the same
// order.
int next_play = 0;

std::optional<std::string> readWhole(const std::wstring& path) {
  std::ifstream in(path.c_str(), std::ios::binary);
  if (!in) return std::nullopt;
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void writeAtomically(const std::wstring& path, const std::string& content) {
  const std::wstring temporary = path + L".part";
  {
    std::ofstream out(temporary.c_str(), std::ios::binary | std::ios::trunc);
    out << content;
    if (!out) fail(L"cannot write " + temporary);
  }
  if (!MoveFileExW(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING)) fail(L"cannot rename " + temporary);
}

}  // namespace

std::string linuxPath(const std::wstring& windows_path) {
  if (windows_path.size() < 3 || (windows_path[0] != L'Z' && windows_path[0] != L'z') || windows_path[1] != L':' ||
      windows_path[2] != L'\\') {
    fail(L"not a path of drive Z: " + quoted(windows_path));
  }
  std::wstring rest = windows_path.substr(2);
  for (wchar_t& c : rest) {
    if (c == L'\\') c = L'/';
  }
  return toUtf8(rest);
}

Controller Controller::start(const std::wstring& sim_dir, const std::vector<std::string>& arguments) {
  if (sim_dir.empty()) fail(L"no --sim-dir given: the runner starts no controller simulator service");
  Controller controller(sim_dir, next_play++);
  std::string lines;
  for (const std::string& a : arguments) lines += a + "\n";
  writeAtomically(controller.file(L"request"), lines);
  waitFor(kWindowTimeout, L"the controller simulator's line (" + controller.file(L"ready") + L")",
          [&] { return readWhole(controller.file(L"ready")).value_or("").find('\n') != std::string::npos; });
  return controller;
}

Controller::Controller(Controller&& other) noexcept
    : sim_dir_(std::move(other.sim_dir_)),
      number_(std::exchange(other.number_, -1)),
      ended_(other.ended_),
      exit_status_(other.exit_status_) {}

Controller::~Controller() {
  if (number_ < 0 || ended_) return;
  // A failed scenario must not leave its play running into the next one.
  try {
    stop();
    (void)waitReport(kExitTimeout);
  } catch (...) {
    // The failure that brought us here is the one to report.
  }
}

Controller Controller::startHeld(const std::wstring& sim_dir, std::vector<std::string> arguments) {
  arguments.insert(arguments.begin(), "--held");
  return start(sim_dir, arguments);
}

void Controller::go() { writeAtomically(file(L"go"), ""); }

std::wstring Controller::file(const std::wstring& stem) const {
  return sim_dir_ + L"\\" + stem + L"-" + std::to_wstring(number_) + (stem == L"report" ? L".json" : L"");
}

void Controller::stop() { writeAtomically(file(L"stop"), ""); }

kj::test::JsonValue Controller::waitReport(Millis timeout) {
  const std::optional<std::string> status =
      waitFor(timeout, L"the end of the controller simulator's play", [&]() -> std::optional<std::string> {
        std::optional<std::string> text = readWhole(file(L"exit"));
        if (text && !text->empty()) return text;
        return std::nullopt;
      });
  ended_ = true;
  exit_status_ = std::stoi(*status);
  const std::optional<std::string> report = readWhole(file(L"report"));
  if (!report) fail(L"the controller simulator wrote no report (exit status " + std::to_wstring(exit_status_) + L")");
  return kj::test::parseJson(*report);
}

}  // namespace e2e
