#pragma once
// A main window logic over the fake UI, an in-memory settings store and a
// fixed list of COM ports, with record files in a temporary folder.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "app/main_window.h"
#include "tests/support/memory_store.h"
#include "settings/settings.h"
#include "tests/app/fake_ui.h"
#include "tests/support/record_fixture.h"
#include "tests/support/scripted_port.h"

namespace kj::app::test {

inline const std::wstring window_title = L"KJ-VT58 融着記録管理ソフト";

class AppTest : public ::testing::Test {
 protected:
  FakeUi ui;
  Settings settings;
  MemoryStore store;
  std::vector<std::wstring> ports;
  int port_enumerations = 0;
  kj::test::TempDir dir;
  // The line the port of a receive plays; while it is null no port opens.
  std::shared_ptr<kj::test::ScriptedLine> line;
  // The port names the window asked to open.
  std::vector<std::wstring> opened_ports;
  std::unique_ptr<MainWindowState> state;

  // Builds the window logic and runs its creation with `command_line`.
  void create(const std::wstring& command_line = L"") {
    state = std::make_unique<MainWindowState>(ui, ui, ui, settings, store, window_title, [this] {
      ++port_enumerations;
      return std::make_shared<const std::vector<std::wstring>>(ports);
    }, [this](const std::wstring& name) -> std::unique_ptr<SerialPort> {
      opened_ports.push_back(name);
      return line ? kj::test::makeScriptedPort(line) : nullptr;
    });
    ui.events = state.get();
    state->onCreate(command_line);
  }

  // A record file `name` in the temporary folder holding `text`.
  std::wstring file(const std::wstring& name, const std::wstring& text) {
    const std::wstring path = dir.file(name);
    kj::test::writeBytes(path, kj::test::storedBytes(text));
    return path;
  }

  // A file of `count` sound records without header (39 fields).
  std::wstring plainFile(const std::wstring& name, int count) {
    std::vector<kj::test::RecordFields> records;
    for (int i = 0; i < count; ++i) records.push_back(kj::test::soundRecord(39, i));
    return file(name, kj::test::headerlessBlock(records));
  }

  // A battery block ("BT", 48 fields) of `count` sound records.
  std::wstring batteryFile(const std::wstring& name, int count) {
    std::vector<kj::test::RecordFields> records;
    for (int i = 0; i < count; ++i) records.push_back(kj::test::soundRecord(48, i));
    return file(name, kj::test::blockText(kj::test::taggedHeader(L"BT", 1, 48, count), records));
  }
};

}  // namespace kj::app::test
