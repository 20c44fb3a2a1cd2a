#pragma once
// A main window logic over the fake UI, an in-memory settings store and a
// fixed list of COM ports, with record files in a temporary folder.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "app/main_window.h"
#include "record/record_fields.h"
#include "tests/support/memory_store.h"
#include "settings/settings.h"
#include "tests/app/fake_ui.h"
#include "tests/export/recording_driver.h"
#include "tests/support/record_fixture.h"
#include "tests/support/scripted_port.h"

namespace kj::app::test {

inline const std::wstring window_title = L"KJ-VT58 融着記録管理ソフト";

// The record with a check sum that does not match: a bad record.
inline kj::test::RecordFields withBadChecksum(kj::test::RecordFields r) {
  r[record_field::checksum] = std::to_wstring((kj::test::recordChecksum(r) + 1) & 0xFF);
  return r;
}

// The record with end code `code` (e.g. "301", an abnormal end), still sound.
inline kj::test::RecordFields withEndCode(kj::test::RecordFields r, const std::wstring& code) {
  r[record_field::end_code] = code;
  kj::test::fixChecksums(r);
  return r;
}

// A spreadsheet driver that hands every call to a recording driver the test
// keeps, so that the calls can be looked at after the export let go of it.
class ForwardingDriver final : public sheet::ExcelDriver {
 public:
  explicit ForwardingDriver(sheet::ExcelDriver& target) : target_(target) {}
  bool open(std::wstring_view sheet_name) override { return target_.open(sheet_name); }
  bool disableAlerts() override { return target_.disableAlerts(); }
  bool writeBlock(std::int32_t first_row, const sheet::TextRows& rows) override {
    return target_.writeBlock(first_row, rows);
  }
  bool setNumberFormat(std::wstring_view range, std::wstring_view format) override {
    return target_.setNumberFormat(range, format);
  }
  bool autoFitColumns(std::wstring_view column_range) override { return target_.autoFitColumns(column_range); }
  bool merge(std::wstring_view range) override { return target_.merge(range); }
  bool drawGrid(std::wstring_view range) override { return target_.drawGrid(range); }
  bool saveAs(std::wstring_view path) override { return target_.saveAs(path); }
  bool applyPageSetup(std::wstring_view paper_name, bool portrait, std::int32_t zoom, std::int32_t top_mm,
                      std::int32_t bottom_mm, std::int32_t left_mm, std::int32_t right_mm) override {
    return target_.applyPageSetup(paper_name, portrait, zoom, top_mm, bottom_mm, left_mm, right_mm);
  }
  bool printOut() override { return target_.printOut(); }
  void close() override { target_.close(); }

 private:
  sheet::ExcelDriver& target_;
};

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
  // The spreadsheet drivers of the exports all forward to `driver`; with
  // `no_driver` the window gets none.
  kj::test::RecordingDriver driver;
  int drivers_made = 0;
  // What each driver was asked for, in order.
  std::vector<SheetPurpose> purposes;
  bool no_driver = false;

  // Builds the window logic and runs its creation with `command_line`.
  void create(const std::wstring& command_line = L"") {
    state = std::make_unique<MainWindowState>(ui, ui, ui, settings, store, window_title, [this] {
      ++port_enumerations;
      return std::make_shared<const std::vector<std::wstring>>(ports);
    }, [this](const std::wstring& name) -> std::unique_ptr<SerialPort> {
      opened_ports.push_back(name);
      return line ? kj::test::makeScriptedPort(line) : nullptr;
    }, [this](SheetPurpose purpose) -> std::unique_ptr<sheet::ExcelDriver> {
      purposes.push_back(purpose);
      if (no_driver) return nullptr;
      ++drivers_made;
      return std::make_unique<ForwardingDriver>(driver);
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
