#pragma once
// Text helpers, failures and the check vocabulary of the end-to-end driver.
// Nothing here touches a window; see driver_ui.h for that.

#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace e2e {

std::string toUtf8(std::wstring_view text);
std::wstring fromUtf8(std::string_view text);

// A text as it appears in a report: between double quotation marks, control
// characters and the quotation mark itself written as escapes, so that an
// expected and an actual text can be compared by eye, character for character.
std::wstring quoted(std::wstring_view text);

std::wstring joined(const std::vector<std::wstring>& items, std::wstring_view separator = L", ");

// Writes UTF-8 to standard output (or standard error) and flushes at once, so
// that the report survives a later hang or crash of the driver.
void print(std::wstring_view text);
void printError(std::wstring_view text);

// Thrown by every failed check and every timed-out wait. The message says what
// was expected and what was found; the scenario runner adds the step.
class Failure : public std::runtime_error {
 public:
  explicit Failure(std::wstring message);
  const std::wstring& message() const { return message_; }

 private:
  std::wstring message_;
};

[[noreturn]] void fail(std::wstring message);

// Called by fail() before it throws, while the windows of the failing moment
// still exist (unwinding ends the programs under test). Used to capture the
// screen for the report. Set to an empty function to stop.
void setFailureHook(std::function<void()> hook);

// The state of one scenario: the step it is in and how many checks passed.
// Scenarios call step() before each action so that a failure names it.
class Run {
 public:
  void step(std::wstring name) { step_ = std::move(name); }
  const std::wstring& currentStep() const { return step_; }
  int checks() const { return checks_; }

  // what: a short name of the value checked, such as "status bar part 1".
  void equal(std::wstring_view what, std::wstring_view expected, std::wstring_view actual);
  void equal(std::wstring_view what, long long expected, long long actual);
  void flag(std::wstring_view what, bool expected, bool actual);
  void isTrue(std::wstring_view what, bool condition);

 private:
  std::wstring step_ = L"(start)";
  int checks_ = 0;
};

}  // namespace e2e
