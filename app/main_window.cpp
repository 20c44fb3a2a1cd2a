#include "app/main_window.h"

#include <algorithm>
#include <optional>
#include <utility>

#include "app/com_port_dialog.h"
#include "app/copy_data.h"
#include "app/kml_export.h"
#include "app/print_settings_dialog.h"
#include "app/startup.h"
#include "app/texts.h"
#include "record/code_tables.h"
#include "records_io/paths.h"

namespace kj::app {

namespace {

// Sets a flag for its lifetime and restores the flag's previous value after it.
class FlagScope {
 public:
  explicit FlagScope(bool& flag) : flag_(flag), previous_(flag) { flag_ = true; }
  ~FlagScope() { flag_ = previous_; }
  FlagScope(const FlagScope&) = delete;
  FlagScope& operator=(const FlagScope&) = delete;

 private:
  bool& flag_;
  bool previous_;
};

// The commands of the menu and the button bar, which run only when available.
bool isMenuOrButtonCommand(int command_id) {
  return std::find(menu_commands.begin(), menu_commands.end(), command_id) != menu_commands.end() ||
         std::find(button_commands.begin(), button_commands.end(), command_id) != button_commands.end();
}

constexpr int status_part_count = 4;

}  // namespace

std::wstring listCellOf(std::size_t index, const file::Efdx& record, int column) {
  const DecodedBarcode* barcode = record.decoded_barcode.get();
  switch (column) {
    case 0: return std::to_wstring(index);
    case 1: return record.datetime;
    case 2: return barcode != nullptr ? barcode->joint_kind : std::wstring(no_data_text);
    case 3: return barcode != nullptr ? barcode->joint_size : std::wstring(no_data_text);
    case 4: return record.exit_code;
    default: return std::wstring();
  }
}

ListRow listRowOf(std::size_t index, const file::Efdx& record) {
  ListRow row;
  for (std::size_t column = 0; column < row.size(); ++column) {
    row[column] = listCellOf(index, record, static_cast<int>(column));
  }
  return row;
}

MainWindowState::MainWindowState(ShellUi& shell, MainWindowUi& ui, DetailDialogUi& detail_ui, Settings& settings,
                                 KeyValueStore& store, std::wstring title, PortEnumerator ports,
                                 PortOpener open_port, SpreadsheetDriverFactory spreadsheet_drivers)
    : shell_(shell),
      ui_(ui),
      detail_ui_(detail_ui),
      settings_(settings),
      store_(store),
      title_(std::move(title)),
      enumerate_ports_(std::move(ports)),
      records_(detail_ui),
      excel_export_(shell, ui, settings, store, std::move(spreadsheet_drivers)),
      session_(std::move(open_port)) {
  const auto tell = [this](int index) { onCommand(CMD_CLEAR_SELECTION, index); };
  records_.plain_detail.setIndexChangedHandler(tell);
  records_.battery_detail.setIndexChangedHandler(tell);
}

void MainWindowState::onCreate(const std::wstring& command_line) {
  {
    FlagScope busy(busy_);
    // Without stored settings the defaults stand; nothing to tell the user.
    load_settings(settings_, store_);
    applyCommandState();
    if (!settings_.port_name.empty()) {
      const PortList ports = enumerate_ports_ ? enumerate_ports_() : nullptr;
      const bool present =
          ports && std::find(ports->begin(), ports->end(), settings_.port_name) != ports->end();
      if (!present) {
        shell_.messageBox(portMissingText(settings_.port_name), title_, MessageIcon::error, MessageButtons::ok);
      }
    }
  }
  if (!command_line.empty()) loadFile(command_line);
}

void MainWindowState::onCommand(int command_id, std::intptr_t param) {
  // A command can still arrive while its item is grayed (posted, or typed
  // before the menu was updated); it must not run then.
  if (isMenuOrButtonCommand(command_id) && !commandEnabled(snapshot_, command_id)) return;
  switch (command_id) {
    case IDM_COM_PORT_SETTINGS: comPortCommand(); break;
    case IDM_RECEIVE_START: startReceive(); break;
    case IDM_RECEIVE_ABORT: abortReceive(); break;
    case IDM_OPEN_FILE: openCommand(); break;
    case IDM_EXPORT_EXCEL: exportExcel(); break;
    case IDM_PRINT: print(); break;
    case IDM_PRINT_SETTINGS: printSettingsCommand(); break;
    case IDM_EXPORT_KML: exportKml(); break;
    case IDM_ABOUT: shell_.showAboutBox(); break;
    case IDM_EXIT: ui_.destroyWindow(); break;
    case CMD_RECEIVE_HEADER: break;
    case CMD_RECEIVE_ENDED: receiveEnded(param != 0); break;
    case CMD_RECEIVE_COMPLETE: saveReceived(); break;
    case CMD_RECEIVE_PROGRESS: receiveProgress(param); break;
    case CMD_CLEAR_SELECTION: clearListSelection(); break;
    default: break;
  }
}

void MainWindowState::onListItemChanged(int item_index) {
  // Changes that our own clearing or refilling of the list produces are not
  // the user's choice: following them would pull the detail dialog back to
  // the record the user just stepped away from.
  if (clearing_selection_ || displaying_) return;
  if (DetailDialog* dialog = showRecordWindow()) dialog->showRecord(item_index);
}

std::wstring MainWindowState::listCellText(int index, int column) const {
  if (index < 0) return std::wstring();
  const auto i = static_cast<std::size_t>(index);
  const auto cell = [&](const auto& shown) {
    if (!shown || i >= shown->size()) return std::wstring();
    return listCellOf(i, (*shown)[i], column);
  };
  // The rows are those of the block last displayed: a block of kind 3 or 4
  // leaves them as they were, a rejected one has none.
  if (records_.batteryRecords()) return cell(records_.batteryRecords());
  return cell(records_.plainRecords());
}

void MainWindowState::onCloseRequest() {
  const MessageAnswer answer = shell_.messageBox(std::wstring(close_question_text), title_, MessageIcon::question,
                                                 MessageButtons::yes_no);
  if (answer == MessageAnswer::yes) ui_.destroyWindow();
}

void MainWindowState::onCopyData(std::uintptr_t tag, const void* data, std::size_t size) {
  const std::optional<std::wstring> path = handedOverPath(WindowMode::main, busy_, tag, data, size);
  if (path) loadFile(*path);
}

void MainWindowState::onDetailShowRecord(DetailKind kind, std::intptr_t index) { detail(kind).showRecord(index); }

void MainWindowState::onDetailIndexStep(DetailKind kind, int delta) { detail(kind).step(delta); }

void MainWindowState::onDetailIndexFocus(DetailKind kind, bool focused) { detail(kind).setTyping(focused); }

void MainWindowState::onDetailIndexEdited(DetailKind kind, const std::wstring& text) {
  detail(kind).indexEdited(text);
}

void MainWindowState::onDetailClose(DetailKind kind) { detail(kind).close(); }

void MainWindowState::loadFile(const std::wstring& path) {
  FlagScope busy(busy_);
  if (!path.empty() && !isRecordFilePath(path)) return;
  const std::wstring target = path.empty() ? records_.current_path : path;
  // Read once: a file that cannot be read or whose header cannot be parsed
  // leaves path, kind and display as they were.
  const std::optional<LoadedBlock> block = LoadedBlock::fromFile(target);
  if (!block) return;
  records_.current_path = target;
  records_.block_kind = block->kind();
  if (block->outcome() != LoadOutcome::not_decoded) displayRecords(*block);
}

void MainWindowState::openCommand() {
  FlagScope busy(busy_);
  OpenFileRequest request;
  request.filters = {
      {std::wstring(record_file_filter_label), std::wstring(record_file_filter_pattern)},
      {std::wstring(merged_file_filter_label), std::wstring(merged_file_filter_pattern)},
  };
  request.must_exist = true;
  const std::optional<std::wstring> path = shell_.openFileDialog(request);
  if (path) loadFile(*path);
}

void MainWindowState::displayRecords(const LoadedBlock& block) {
  if (block.outcome() == LoadOutcome::not_decoded) return;
  {
    // The list is emptied and refilled here; its notifications meanwhile are
    // not the user's.
    FlagScope displaying(displaying_);
    records_.plain_detail.close();
    records_.battery_detail.close();
    ui_.listDeleteAllItems();
    for (int part = 0; part < status_part_count; ++part) ui_.setStatusText(part, std::wstring());

    records_.displayed = block;
    if (block.outcome() == LoadOutcome::invalid) {
      shell_.messageBox(std::wstring(invalid_data_text), std::wstring(invalid_data_caption), MessageIcon::error,
                        MessageButtons::ok);
      snapshot_.records_shown = false;
      snapshot_.any_coord = false;
      applyCommandState();
      return;
    }
    if (block.holdsBatteryRecords()) {
      listRecords(*block.batteryRecords());
    } else {
      listRecords(*block.plainRecords());
    }
  }

  showRecordWindow();

  const DecodeCounts& counts = block.counts();
  snapshot_.records_shown = true;
  snapshot_.any_coord = counts.any_coord;
  applyCommandState();

  if (counts.bad_count > 0) {
    shell_.messageBox(badDataText(counts.bad_count), title_, MessageIcon::error, MessageButtons::ok);
  }
}

template <class Record>
void MainWindowState::listRecords(const std::vector<Record>& records) {
  const DecodeCounts& counts = records_.displayed->counts();
  const std::wstring* lot_number = nullptr;
  // The list reads its rows through listCellText when it draws them.
  ui_.listSetItemCount(static_cast<int>(records.size()));
  for (const Record& record : records) {
    if (!record.checksum_error) lot_number = &record.lot_number;
  }
  ui_.setStatusText(1, recordCountText(records.size()));
  ui_.setStatusText(2, badCountText(counts.bad_count));
  ui_.setStatusText(3, abnormalEndCountText(counts.abnormal_end_count));
  std::wstring model;
  if (isMergedPath(records_.current_path)) {
    model = merged_data_text;
  } else if (lot_number != nullptr) {
    model = controllerModelName(*lot_number);
  }
  ui_.setStatusText(0, model);
}

DetailDialog* MainWindowState::showRecordWindow() {
  // Creating the dialog produces messages of its own; one of them may lead
  // back here before the first call is done.
  if (showing_record_window_) return nullptr;
  FlagScope showing(showing_record_window_);
  DetailDialog* dialog = nullptr;
  switch (records_.block_kind) {
    case BlockKind::Headerless33:
    case BlockKind::Headerless39:
      if (records_.plain_detail.isOpen() || records_.plain_detail.open(records_.plainRecords())) {
        dialog = &records_.plain_detail;
      }
      break;
    case BlockKind::TaggedBT:
      if (records_.battery_detail.isOpen() || records_.battery_detail.open(records_.batteryRecords())) {
        dialog = &records_.battery_detail;
      }
      break;
    default:
      break;
  }
  if (dialog != nullptr) detail_ui_.setDetailTitle(dialog->kind(), records_.current_path);
  return dialog;
}

void MainWindowState::applyCommandState() {
  for (const int id : menu_commands) ui_.enableMenuItem(id, commandEnabled(snapshot_, id));
  for (const int id : button_commands) ui_.enableButton(id, commandEnabled(snapshot_, id));
}

void MainWindowState::clearListSelection() {
  FlagScope clearing(clearing_selection_);
  ui_.listClearSelection();
}

void MainWindowState::comPortCommand() {
  FlagScope busy(busy_);
  ComPortDialogModel model(enumerate_ports_ ? enumerate_ports_() : nullptr, settings_.port_name);
  shell_.showComPortDialog(model);
  settings_.port_name = model.portName();
  // A store that cannot be written keeps the choice for this run only.
  save_settings(settings_, store_);
}

void MainWindowState::printSettingsCommand() {
  FlagScope busy(busy_);
  PrintSettingsDialogModel model(settings_);
  ui_.showPrintSettingsDialog(model);
  // Stored whatever closed the dialog; a store that cannot be written keeps
  // the settings for this run only.
  save_settings(settings_, store_);
}

void MainWindowState::exportKml() {
  FlagScope busy(busy_);
  exportToKml(shell_, records_);
}

void MainWindowState::exportExcel() {
  FlagScope busy(busy_);
  excel_export_.run(records_, title_);
}

void MainWindowState::print() {
  FlagScope busy(busy_);
  excel_export_.print(records_, title_);
}

DetailDialog& MainWindowState::detail(DetailKind kind) {
  if (kind == DetailKind::battery) return records_.battery_detail;
  return records_.plain_detail;
}

}  // namespace kj::app
