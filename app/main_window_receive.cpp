// Receiving in the main window: start and abort, the commands the receive
// session posts, and saving and showing the received block.

#include <optional>

#include "app/main_window.h"
#include "app/progress.h"
#include "app/receive_flow.h"
#include "app/texts.h"
#include "base/text_encoding.h"
#include "records_io/loaded_block.h"
#include "records_io/record_file_writer.h"
#include "records_io/save_names.h"

namespace kj::app {

void MainWindowState::startReceive() {
  // The save flow of the last block may still be in its dialog; the session
  // holds that block until the next start.
  if (snapshot_.receiving || saving_) return;
  busy_ = true;
  if (!session_.open_port(settings_.port_name)) {
    shell_.messageBox(std::wstring(port_open_failed_text), title_, MessageIcon::error, MessageButtons::ok);
    busy_ = false;
    return;
  }
  snapshot_.receiving = true;
  // The export commands come back only with the next display of records.
  snapshot_.records_shown = false;
  snapshot_.any_coord = false;
  applyCommandState();
  if (shell_.createProgressWindow(progress_window_offset)) {
    shell_.setProgressText(std::wstring(receive_waiting_text));
  }

  // The worker only posts; everything else happens here, on the window thread.
  session_.set_on_header([this](const file::Header&) { shell_.postCommand(CMD_RECEIVE_HEADER, 0); });
  session_.set_on_progress([this](int received, int) { shell_.postCommand(CMD_RECEIVE_PROGRESS, received); });
  session_.set_on_block([this](const file::Header&, const std::wstring&) {
    shell_.postCommand(CMD_RECEIVE_COMPLETE, 0);
  });
  session_.set_on_ended([this](bool succeeded) { shell_.postCommand(CMD_RECEIVE_ENDED, succeeded ? 1 : 0); });
  // Without a worker nothing would ever end the receive: end it here.
  if (!session_.start_receive()) receiveEnded(false);
}

void MainWindowState::abortReceive() {
  if (snapshot_.receiving) session_.abort_receive();
}

void MainWindowState::receiveEnded(bool /*succeeded*/) {
  // Only a running receive ends; a stray command changes nothing.
  if (!snapshot_.receiving) return;
  shell_.closeProgressWindow();
  // Waits for the worker, which has nothing left to do but return.
  session_.close_port();
  snapshot_.receiving = false;
  applyCommandState();
  // A save dialog still open keeps the window busy until it is done.
  if (!saving_) busy_ = false;
}

void MainWindowState::receiveProgress(std::intptr_t received) {
  if (!snapshot_.receiving) return;
  const long long announced = session_.header().record_count;
  shell_.setProgressPosition(progressPercent(received, announced));
  shell_.setProgressText(progressText(received, announced));
}

void MainWindowState::saveReceived() {
  // The block is complete only once the session has posted this during a
  // receive; once is enough.
  if (!snapshot_.receiving || saving_) return;
  struct SavingScope {
    explicit SavingScope(MainWindowState& state) : state_(state) { state_.saving_ = true; }
    ~SavingScope() {
      state_.saving_ = false;
      // The receive ended while the dialog was open: now the window is idle.
      if (!state_.snapshot_.receiving) state_.busy_ = false;
    }
    SavingScope(const SavingScope&) = delete;
    SavingScope& operator=(const SavingScope&) = delete;
    MainWindowState& state_;
  } saving(*this);

  const SaveFileRequest request = receivedSaveRequest(session_.header().kind, makeTimestampName());
  std::wstring saved_path;
  for (;;) {
    const std::optional<std::wstring> chosen = shell_.saveFileDialog(request);
    if (chosen) {
      // The system's dialog appends the default extension itself; a dialog
      // that does not must come to the same path.
      const std::wstring path = withDefaultExtension(*chosen, defaultExtensionFor(session_.header().kind));
      records_.current_path = path;
      if (writeRecordFile(path, session_.received_text(), true, code_page_ansi)) {
        saved_path = path;
        break;
      }
      records_.current_path.clear();
      shell_.messageBox(std::wstring(save_failed_text), title_, MessageIcon::error, MessageButtons::ok);
      continue;
    }
    const MessageAnswer answer =
        shell_.messageBox(std::wstring(save_declined_question), title_, MessageIcon::warning, MessageButtons::ok_cancel);
    if (answer == MessageAnswer::ok) {
      records_.current_path.clear();
      break;
    }
  }
  displayReceived(saved_path);
}

void MainWindowState::displayReceived(const std::wstring& saved_path) {
  const file::Header& header = session_.header();
  records_.block_kind = static_cast<BlockKind>(header.kind);
  switch (records_.block_kind) {
    case BlockKind::Headerless33:
    case BlockKind::Headerless39:
    case BlockKind::TaggedBT:
      break;
    default:
      // Kinds 3 and 4 are saved but never shown.
      return;
  }
  // A saved file that does not read back is not shown either: what is shown
  // must be what the file holds.
  if (!saved_path.empty() && !savedFileReadsBack(saved_path)) return;
  displayRecords(LoadedBlock::fromReceived(header, session_.received_text(), saved_path));
}

}  // namespace kj::app
