#include "app/easy_window.h"

#include <optional>
#include <utility>

#include "app/com_port_dialog.h"
#include "app/progress.h"
#include "app/receive_flow.h"
#include "app/texts.h"
#include "base/text_encoding.h"
#include "records_io/paths.h"
#include "records_io/record_file_writer.h"
#include "records_io/save_names.h"

namespace kj::app {

namespace {

// The number right-aligned in four places, as "%4u" writes it.
std::wstring padded(unsigned value) {
  std::wstring digits = std::to_wstring(value);
  if (digits.size() < 4) digits.insert(0, 4 - digits.size(), L' ');
  return digits;
}

}  // namespace

std::wstring easyConvertingCounterText(unsigned index, unsigned count) {
  return std::wstring(easy_converting_text) + L" (" + padded(index) + L"/" + padded(count) + L")";
}

std::wstring easySavedText(const std::wstring& path) {
  return std::wstring(easy_save_succeeded_text) + L"\n\"" + path + L"\"\nに保存されました。";
}

std::wstring easyCountsText(const DecodeCounts& counts) {
  std::wstring text;
  if (counts.bad_count > 0) text += std::to_wstring(counts.bad_count) + L"件の不良データが含まれています。\n";
  if (counts.abnormal_end_count > 0) {
    text += std::to_wstring(counts.abnormal_end_count) + L"件の異常終了が含まれています。\n";
  }
  return text;
}

EasyWindowState::EasyWindowState(ShellUi& shell, EasyWindowUi& ui, Settings& settings, KeyValueStore& store,
                                 std::wstring title, PortEnumerator ports, PortOpener open_port,
                                 SpreadsheetDriverFactory drivers)
    : shell_(shell),
      ui_(ui),
      settings_(settings),
      store_(store),
      title_(std::move(title)),
      enumerate_ports_(std::move(ports)),
      drivers_(std::move(drivers)),
      session_(std::move(open_port)) {}

EasyWindowState::~EasyWindowState() {
  // The port opened by the walk-through stays open until the program ends.
  session_.close_port();
}

bool EasyWindowState::onCreate() {
  const MessageAnswer answer = ui_.ownerlessMessageBox(std::wstring(easy_startup_text), title_, MessageIcon::none,
                                                       MessageButtons::ok_cancel);
  // The window is still built; the loop ends as soon as it sees the request.
  if (answer == MessageAnswer::cancel) ui_.endMessageLoop(0);
  // Settings that cannot be read keep their defaults.
  load_settings(settings_, store_);
  ui_.enableMenuItem(IDM_COM_PORT_SETTINGS, false);
  if (!ui_.createControls(std::wstring(easy_intro_text))) return false;
  state_ = 0;
  return true;
}

void EasyWindowState::onCommand(int command_id, std::intptr_t param) {
  switch (command_id) {
    case IDC_EASY_BUTTON: applyState(); break;
    case IDM_COM_PORT_SETTINGS: comPortCommand(); break;
    case CMD_RECEIVE_HEADER:
      if (awaiting_block_) block_kind_ = session_.header().kind;
      break;
    case CMD_RECEIVE_ENDED: receiveEnded(); break;
    case CMD_RECEIVE_COMPLETE: receiveComplete(); break;
    case CMD_RECEIVE_PROGRESS: receiveProgress(param); break;
    default: break;
  }
}

void EasyWindowState::applyState() {
  switch (state_) {
    case 0:
      ui_.enableMenuItem(IDM_COM_PORT_SETTINGS, true);
      ui_.enableButton(true);
      ui_.enableText(true);
      ui_.setText(std::wstring(easy_choose_port_text));
      state_ = 1;
      break;
    case 1:
      if (session_.open_port(settings_.port_name)) {
        ui_.setText(std::wstring(easy_ready_text));
        state_ = 2;
      } else {
        message(port_open_failed_text, MessageIcon::error);
      }
      break;
    case 2:
      ui_.enableMenuItem(IDM_COM_PORT_SETTINGS, false);
      ui_.enableButton(false);
      ui_.enableText(false);
      state_ = 3;
      startReceive();
      break;
    case 3:
      ui_.enableButton(true);
      ui_.enableText(true);
      ui_.setText(std::wstring(easy_convert_text));
      state_ = 4;
      break;
    case 4:
      exportReceived();
      ui_.setText(std::wstring(easy_again_text));
      state_ = 2;
      break;
    case 5:
      ui_.setText(std::wstring(easy_again_text));
      state_ = 2;
      break;
    case 6:
      ui_.enableMenuItem(IDM_COM_PORT_SETTINGS, false);
      ui_.enableButton(false);
      ui_.setText(std::wstring(easy_converting_text));
      break;
    case 7:
      ui_.enableButton(true);
      ui_.enableText(true);
      ui_.setText(std::wstring(easy_intro_text));
      state_ = 0;
      break;
    default:
      break;
  }
}

void EasyWindowState::comPortCommand() {
  ComPortDialogModel model(enumerate_ports_ ? enumerate_ports_() : nullptr, settings_.port_name);
  shell_.showComPortDialog(model);
  settings_.port_name = model.portName();
  // A store that cannot be written keeps the choice for this run only.
  save_settings(settings_, store_);
}

void EasyWindowState::startReceive() {
  if (shell_.createProgressWindow(easy_progress_window_offset)) {
    shell_.setProgressText(std::wstring(easy_receive_waiting_text));
  }
  awaiting_block_ = true;
  // The worker only posts; everything else happens here, on the window thread.
  session_.set_on_header([this](const file::Header&) { shell_.postCommand(CMD_RECEIVE_HEADER, 0); });
  session_.set_on_progress([this](int received, int) { shell_.postCommand(CMD_RECEIVE_PROGRESS, received); });
  session_.set_on_block([this](const file::Header&, const std::wstring&) {
    shell_.postCommand(CMD_RECEIVE_COMPLETE, 0);
  });
  session_.set_on_ended([this](bool succeeded) { shell_.postCommand(CMD_RECEIVE_ENDED, succeeded ? 1 : 0); });
  // Without a worker nothing would ever end the receive: end it here.
  if (!session_.start_receive()) receiveEnded();
}

void EasyWindowState::receiveEnded() {
  // The port stays open for the next receive.
  shell_.closeProgressWindow();
  // The block of a transfer that succeeded was handled before its end came;
  // one that failed (the controller cancelled, the line fell silent) brought
  // none. Left in the receiving step the window would have its
  // button off for good and only closing it would help: it goes back to the
  // ready step instead, so that the next press waits for the controller again.
  if (!awaiting_block_) return;
  awaiting_block_ = false;
  ui_.enableButton(true);
  ui_.enableText(true);
  ui_.setText(std::wstring(easy_ready_text));
  state_ = 2;
}

void EasyWindowState::receiveProgress(std::intptr_t received) {
  if (!awaiting_block_) return;
  const long long announced = session_.header().record_count;
  shell_.setProgressPosition(progressPercent(received, announced));
  shell_.setProgressText(progressText(received, announced));
}

void EasyWindowState::saveReceived() {
  current_path_ = makeTimestampName();
  const int kind = session_.header().kind;
  const SaveFileRequest request = receivedSaveRequest(kind, current_path_);
  for (;;) {
    const std::optional<std::wstring> chosen = shell_.saveFileDialog(request);
    if (chosen) {
      // The system's dialog appends the default extension itself; a dialog
      // that does not must come to the same path.
      const std::wstring path = withDefaultExtension(*chosen, defaultExtensionFor(kind));
      if (writeRecordFile(path, session_.received_text(), true, code_page_ansi)) {
        message(easySavedText(path), MessageIcon::information);
        return;
      }
      // The block is the record of the welds: a failed write (a folder that
      // cannot be written, a full disk) offers the dialog again, as the main
      // window does, instead of going on without a file. Declining is still
      // the user's choice, with its question.
      message(save_failed_text, MessageIcon::error);
      continue;
    }
    const MessageAnswer answer = shell_.messageBox(std::wstring(save_declined_question), title_,
                                                   MessageIcon::warning, MessageButtons::ok_cancel);
    if (answer == MessageAnswer::ok) return;
  }
}

void EasyWindowState::receiveComplete() {
  // Once per started receive: a stray command finds nothing to do.
  if (!awaiting_block_) return;
  awaiting_block_ = false;
  block_kind_ = session_.header().kind;
  saveReceived();

  received_.reset();
  records_present_ = false;
  switch (static_cast<BlockKind>(block_kind_)) {
    case BlockKind::Headerless33:
    case BlockKind::Headerless39:
    case BlockKind::TaggedBT: {
      LoadedBlock block = LoadedBlock::fromReceived(session_.header(), session_.received_text());
      records_present_ = block.outcome() == LoadOutcome::records;
      if (records_present_) received_ = std::move(block);
      break;
    }
    default:
      break;
  }
  if (!records_present_) {
    shell_.messageBox(std::wstring(invalid_data_text), std::wstring(invalid_data_caption), MessageIcon::error,
                      MessageButtons::ok);
    // The "again" text asks the user to press the button: it must be
    // pressable (it was disabled while the receive waited).
    ui_.enableButton(true);
    ui_.enableText(true);
    state_ = 5;
    applyState();
    return;
  }
  showCounts(received_->counts());
  state_ = 3;
  applyState();
}

void EasyWindowState::exportReceived() {
  if (!received_) return;
  exportToExcelSimple(shell_, drivers_, *received_, current_path_, title_);
}

void EasyWindowState::onDropFiles(const std::vector<std::wstring>& paths) {
  if (state_ != 0 && state_ != 7) return;
  const auto count = static_cast<unsigned>(paths.size());
  multi_file_mode_ = count > 1;
  state_ = 6;
  applyState();
  ui_.repaintWindow();
  for (unsigned i = 0; i < count; ++i) {
    if (multi_file_mode_) {
      ui_.setText(easyConvertingCounterText(i, count));
      ui_.repaintText();
    }
    convertDroppedFile(paths[i]);
  }
  state_ = 7;
  applyState();
  multi_file_mode_ = false;
}

void EasyWindowState::convertDroppedFile(const std::wstring& path) {
  if (path.empty() || !isRecordFilePath(path)) return;
  dropped_path_ = path;
  const std::optional<LoadedBlock> block = LoadedBlock::fromFile(path);
  if (!block) return;
  block_kind_ = block->header().kind;
  records_present_ = block->outcome() == LoadOutcome::records;
  if (!records_present_) {
    if (!multi_file_mode_) {
      shell_.messageBox(std::wstring(invalid_data_text), std::wstring(invalid_data_caption), MessageIcon::error,
                        MessageButtons::ok);
    }
    return;
  }
  if (!multi_file_mode_) showCounts(block->counts());

  const ExportOutcome outcome = writeWorkbookWithEveryItem(*block, stem(path) + L".xls", drivers_);
  // A sheet that could not be built (the spreadsheet application failed) is
  // reported like every other outcome: a drop that ends without a workbook
  // must not end without a word.
  if (multi_file_mode_) return;
  if (const auto shown = exportMessage(outcome)) message(shown->text, shown->icon);
}

void EasyWindowState::onDestroy() {
  // The worker notices, stops and posts its end to a window that is gone.
  if (session_.running()) session_.abort_receive();
}

void EasyWindowState::showCounts(const DecodeCounts& counts) {
  const std::wstring text = easyCountsText(counts);
  if (!text.empty()) message(text, MessageIcon::error);
}

void EasyWindowState::message(std::wstring_view text, MessageIcon icon) {
  shell_.messageBox(std::wstring(text), title_, icon, MessageButtons::ok);
}

}  // namespace kj::app
