#pragma once
// The logic of the main window: start-up, the commands and their enabling,
// loading record files, the record list with its status bar, the detail
// dialogs and the closing question. Runs on the window thread only.

#include <functional>
#include <string>

#include "app/commands.h"
#include "app/excel_export.h"
#include "app/layout.h"
#include "app/record_set.h"
#include "app/ui.h"
#include "link/com_ports.h"
#include "link/receive_session.h"
#include "settings/key_value_store.h"
#include "settings/settings.h"

namespace kj::app {

class MainWindowState final : public MainWindowEvents {
 public:
  // Lists the COM ports that exist; enumerate_ports by default.
  using PortEnumerator = std::function<PortList()>;

  // The three UIs, `settings` and `store` must outlive the state. `title` is the
  // window title, the caption of the window's message boxes. `open_port`
  // opens the configured COM port for a receive (openSerialPort by default).
  MainWindowState(ShellUi& shell, MainWindowUi& ui, DetailDialogUi& detail_ui, Settings& settings,
                  KeyValueStore& store,
                  std::wstring title = std::wstring(app_title),
                  PortEnumerator ports = [] { return enumerate_ports(); },
                  PortOpener open_port = openSerialPort,
                  SpreadsheetDriverFactory spreadsheet_drivers = {});

  // MainWindowEvents.
  void onCreate(const std::wstring& command_line) override;
  void onCommand(int command_id, std::intptr_t param) override;
  void onListItemChanged(int item_index) override;
  std::wstring listCellText(int index, int column) const override;
  void onCloseRequest() override;
  void onCopyData(std::uintptr_t tag, const void* data, std::size_t size) override;
  void onDetailShowRecord(DetailKind kind, std::intptr_t index) override;
  void onDetailIndexStep(DetailKind kind, int delta) override;
  void onDetailIndexFocus(DetailKind kind, bool focused) override;
  void onDetailIndexEdited(DetailKind kind, const std::wstring& text) override;
  void onDetailClose(DetailKind kind) override;

  // Loads a record file into the record set and shows it. An empty path reads
  // the current file again. Paths of other extensions, files that cannot be
  // opened and unreadable headers are dropped without a word; blocks of kinds
  // 3 and 4 are not shown and leave the display as it was.
  void loadFile(const std::wstring& path);

  // The open command: the open-file dialog, then loadFile with the choice.
  void openCommand();

  // Shows a loaded or received block of kind 0, 1 or 2: fills list and status
  // bar, reports invalid and bad data and makes the export commands
  // available. The block becomes the record set's displayed block. Blocks
  // that are not decoded (kinds 3 and 4) are not for display: nothing happens.
  void displayRecords(const LoadedBlock& block);

  // The detail dialog of the current block kind, created with the current
  // records when it is not open; null for blocks without a dialog, when it
  // cannot be created, and for a nested call.
  DetailDialog* showRecordWindow();

  const std::wstring& title() const { return title_; }
  bool busy() const { return busy_; }
  const RecordSet& recordSet() const { return records_; }
  const CommandSnapshot& commandSnapshot() const { return snapshot_; }
  const ExcelExport& excelExport() const { return excel_export_; }

 private:
  void applyCommandState();
  // Fills the list and the status bar with the displayed records.
  template <class Record>
  void listRecords(const std::vector<Record>& records);
  void clearListSelection();
  void comPortCommand();
  void exportKml();
  void printSettingsCommand();
  DetailDialog& detail(DetailKind kind);

  // Receiving (main_window_receive.cpp): the start and abort commands and
  // the handlers of the commands the receive session posts.
  void startReceive();
  void abortReceive();
  void receiveEnded(bool succeeded);
  void saveReceived();
  void receiveProgress(std::intptr_t received);
  // Shows the block just received and saved at `saved_path` (empty when not
  // saved).
  void displayReceived(const std::wstring& saved_path);

  // Commands whose features this build does not have yet; they do nothing.
  // The Excel conversion and print commands (excel_export.h).
  void exportExcel();
  void print();

  ShellUi& shell_;
  MainWindowUi& ui_;
  DetailDialogUi& detail_ui_;
  Settings& settings_;
  KeyValueStore& store_;
  const std::wstring title_;
  PortEnumerator enumerate_ports_;
  bool busy_ = false;
  CommandSnapshot snapshot_;
  RecordSet records_;
  ExcelExport excel_export_;
  // Set while our own calls may produce notifications that are not the
  // user's.
  bool showing_record_window_ = false;
  bool clearing_selection_ = false;
  bool displaying_ = false;
  // The save flow of a received block runs (its dialogs are modal).
  bool saving_ = false;
  // Last, so that it goes first: its worker posts through shell_ until it is
  // joined.
  ReceiveSession session_;
};

}  // namespace kj::app
