// What a start does with its command line and what a running window does
// with a command line handed over by a later start.

#include "app/startup.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "app/copy_data.h"

namespace kj::app {
namespace {

std::string narrow(const std::wstring& text) {
  std::string out;
  for (const wchar_t c : text) out.push_back(c < 0x80 ? static_cast<char>(c) : '?');
  return out;
}

TEST(StartArguments, TheProgramNameIsCutOff) {
  struct Case {
    std::wstring full;
    std::wstring arguments;
  };
  const Case cases[] = {
      {L"kjvt58.exe", L""},
      {L"kjvt58.exe a.efdx", L"a.efdx"},
      {L"kjvt58.exe    a.efdx", L"a.efdx"},
      {L"kjvt58.exe\ta.efdx", L"a.efdx"},
      {L"\"C:\\Program Files\\kj\\kjvt58.exe\" C:\\d\\a.efdx", L"C:\\d\\a.efdx"},
      {L"\"C:\\Program Files\\kj\\kjvt58.exe\"\"x y.efdx\"", L"\"x y.efdx\""},
      {L"\"C:\\unterminated name a.efdx", L""},
      {L"kjvt58.exe \"C:\\記録 1\\a.efdx\"  ", L"\"C:\\記録 1\\a.efdx\"  "},
      {L"kjvt58.exe -easy", L"-easy"},
      {L"", L""},
  };
  for (const Case& c : cases) EXPECT_EQ(argumentsOf(c.full), c.arguments) << narrow(c.full);
}

TEST(StartPlan, ModeCommandLineAndHandOff) {
  struct Case {
    std::wstring arguments;
    bool running;
    StartPlan plan;
  };
  const Case cases[] = {
      // A first start opens its window and loads what the line names.
      {L"", false, {WindowMode::main, L"", false}},
      {L"C:\\d\\a.efdx", false, {WindowMode::main, L"C:\\d\\a.efdx", false}},
      {L"\"C:\\d\\a b.efdx\"", false, {WindowMode::main, L"C:\\d\\a b.efdx", false}},
      {L"\"C:\\d\\a.efdx", false, {WindowMode::main, L"C:\\d\\a.efdx", false}},
      {L"C:\\d\\a.efdx\"", false, {WindowMode::main, L"C:\\d\\a.efdx", false}},
      {L"\"", false, {WindowMode::main, L"", false}},
      {L"\"\"", false, {WindowMode::main, L"", false}},
      // Only one mark at each end goes; marks inside stay.
      {L"\"\"a.efdx\"\"", false, {WindowMode::main, L"\"a.efdx\"", false}},
      {L"a \"b\" c.efdx", false, {WindowMode::main, L"a \"b\" c.efdx", false}},
      {L"\"a.efdx\" \"b.efdx\"", false, {WindowMode::main, L"a.efdx\" \"b.efdx", false}},
      // Blanks are part of the path.
      {L" a.efdx ", false, {WindowMode::main, L" a.efdx ", false}},
      // The simple mode: exactly -easy.
      {L"-easy", false, {WindowMode::easy, L"-easy", false}},
      {L"-EASY", false, {WindowMode::main, L"-EASY", false}},
      {L"-easy a.efdx", false, {WindowMode::main, L"-easy a.efdx", false}},
      {L"-easy ", false, {WindowMode::main, L"-easy ", false}},
      {L"\"-easy\"", false, {WindowMode::main, L"-easy", false}},
      // A second start hands its line over, whatever it is.
      {L"", true, {WindowMode::main, L"", true}},
      {L"\"C:\\d\\a b.efdx\"", true, {WindowMode::main, L"C:\\d\\a b.efdx", true}},
      {L"-easy", true, {WindowMode::easy, L"-easy", true}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(planStart(c.arguments, c.running), c.plan)
        << narrow(c.arguments) << (c.running ? " (second start)" : "");
  }
}

std::vector<unsigned char> terminatedUtf16(const std::u16string& text) {
  std::u16string units = text;
  units.push_back(u'\0');
  std::vector<unsigned char> bytes(units.size() * sizeof(char16_t));
  std::memcpy(bytes.data(), units.data(), bytes.size());
  return bytes;
}

TEST(HandedOverPath, OnlyAnIdleMainWindowTakesATaggedText) {
  const auto path = terminatedUtf16(u"C:\\d\\a.efdx");
  const auto empty = terminatedUtf16(u"");
  const std::vector<unsigned char> unterminated = {'a', 0, 'b', 0};
  struct Case {
    const char* name;
    WindowMode receiver;
    bool busy;
    std::uintptr_t tag;
    const std::vector<unsigned char>* data;
    std::optional<std::wstring> taken;
  };
  const Case cases[] = {
      {"idle main window", WindowMode::main, false, command_line_tag, &path, L"C:\\d\\a.efdx"},
      {"empty line reads again", WindowMode::main, false, command_line_tag, &empty, L""},
      {"busy", WindowMode::main, true, command_line_tag, &path, std::nullopt},
      {"simple mode window", WindowMode::easy, false, command_line_tag, &path, std::nullopt},
      {"other tag", WindowMode::main, false, 2, &path, std::nullopt},
      {"no terminator", WindowMode::main, false, command_line_tag, &unterminated, std::nullopt},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(handedOverPath(c.receiver, c.busy, c.tag, c.data->data(), c.data->size()), c.taken) << c.name;
  }
}

}  // namespace
}  // namespace kj::app
