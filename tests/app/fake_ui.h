#pragma once
// A scripted user interface (ShellUi, MainWindowUi and DetailDialogUi in one
// object): records what the logic asks of the windows and answers their
// dialogs from queues. Like the real window, it reports some consequences of
// the logic's calls back through MainWindowEvents at once: the index field's
// change notification while that field has the focus, and the list's
// item-changed notifications when the selection is cleared. Like the real
// list, it holds only a row count and reads the texts through
// MainWindowEvents::listCellText.

#include <array>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "app/com_port_dialog.h"
#include "app/print_settings_dialog.h"
#include "app/output_item_dialog.h"
#include "app/ui.h"

namespace kj::app::test {

struct ShownMessage {
  std::wstring text;
  std::wstring caption;
  MessageIcon icon;
  MessageButtons buttons;
  bool operator==(const ShownMessage&) const = default;
};

struct FakeDetailWindow {
  bool exists = false;
  int created = 0;
  int destroyed = 0;
  int left_offset = 0;
  std::wstring title;
  std::map<int, std::wstring> texts;
  int range_low = -1;
  int range_high = -1;
  // The index field has the keyboard focus (the fake's own notion; tests set
  // it together with onDetailIndexFocus).
  bool index_focused = false;
  // Index field texts the logic wrote, in order.
  std::vector<std::wstring> index_writes;
};

struct FakeProgressWindow {
  bool exists = false;
  int created = 0;
  int closed = 0;
  int left_offset = 0;
  int position = 0;
  std::wstring text;
};

class FakeUi final : public ShellUi, public MainWindowUi, public DetailDialogUi {
 public:
  // Where the fake reports back; set once the logic exists.
  MainWindowEvents* events = nullptr;

  // --- what was done ---
  std::map<int, bool> menu_enabled;
  std::map<int, bool> button_enabled;
  std::vector<ShownMessage> messages;
  std::vector<OpenFileRequest> open_requests;
  std::vector<SaveFileRequest> save_requests;
  int item_count = 0;
  int list_deleted = 0;
  int selection_cleared = 0;
  std::array<std::wstring, 4> status{};
  std::array<FakeDetailWindow, 2> detail{};
  int window_destroyed = 0;
  int about_shown = 0;
  struct ComPortShown {
    std::vector<std::wstring> entries;
    int initial_selection;
  };
  std::vector<ComPortShown> com_port_shown;
  FakeProgressWindow progress;
  struct OutputItemsShown {
    OutputItemVariant variant;
    int template_id;
    std::vector<bool> initial;  // the boxes' states when the dialog opened
  };
  std::vector<OutputItemsShown> output_items_shown;

  // --- how the user answers ---
  // Answers of message boxes in order; when empty, ok boxes answer ok and
  // yes/no boxes `default_yes_no`.
  std::deque<MessageAnswer> message_answers;
  MessageAnswer default_yes_no = MessageAnswer::no;
  // Paths chosen in the open-file dialog; when empty the user cancels.
  std::deque<std::optional<std::wstring>> open_answers;
  // Paths chosen in the save-file dialog; when empty the user cancels.
  std::deque<std::optional<std::wstring>> save_answers;
  // Output item dialogs in order: the boxes' states when "OK" is pressed, or
  // nothing for "キャンセル"; when empty the user cancels.
  std::deque<std::optional<std::vector<bool>>> output_item_answers;
  // COM port dialog: the entry selected when "OK" is pressed (-1 none), or
  // nothing to close the dialog with the close box.
  std::optional<int> com_port_choice;
  // The print settings dialog, run with its model when it is shown: the test
  // presses its buttons; when unset the user presses "キャンセル".
  std::function<int(PrintSettingsDialogModel&)> print_settings_user;
  int print_settings_shown = 0;
  // Fails the creation of detail windows.
  bool fail_detail_create = false;
  // Runs inside the next modal operation (message box, file dialogs, COM
  // port dialog, output item dialog, about box), as a message arriving in its nested loop would.
  std::function<void()> during_modal;
  // Runs inside createDetailWindow, as messages of the dialog's creation.
  std::function<void(DetailKind)> during_detail_create;
  // Item indices the list reports as changed when its selection is cleared.
  std::vector<int> items_changed_on_clear;

  static std::size_t slot(DetailKind kind) { return kind == DetailKind::plain ? 0 : 1; }
  FakeDetailWindow& window(DetailKind kind) { return detail[slot(kind)]; }
  bool menuEnabled(int id) const { return menu_enabled.at(id); }
  bool buttonEnabled(int id) const { return button_enabled.at(id); }

  // The rows the list shows, read as the list reads them: `item_count` rows,
  // each column asked of the logic.
  std::vector<ListRow> rows() const {
    std::vector<ListRow> shown(static_cast<std::size_t>(item_count));
    if (events == nullptr) return shown;
    for (std::size_t i = 0; i < shown.size(); ++i) {
      for (std::size_t column = 0; column < list_column_count; ++column) {
        shown[i][column] = events->listCellText(static_cast<int>(i), static_cast<int>(column));
      }
    }
    return shown;
  }

  // --- ShellUi, MainWindowUi, DetailDialogUi ---
  void enableMenuItem(int command_id, bool enabled) override { menu_enabled[command_id] = enabled; }
  void enableButton(int command_id, bool enabled) override { button_enabled[command_id] = enabled; }

  MessageAnswer messageBox(const std::wstring& text, const std::wstring& caption, MessageIcon icon,
                           MessageButtons buttons) override {
    messages.push_back({text, caption, icon, buttons});
    runModal();
    if (!message_answers.empty()) {
      const MessageAnswer answer = message_answers.front();
      message_answers.pop_front();
      return answer;
    }
    if (buttons == MessageButtons::yes_no) return default_yes_no;
    if (buttons == MessageButtons::ok_cancel) return MessageAnswer::cancel;
    return MessageAnswer::ok;
  }

  std::optional<std::wstring> openFileDialog(const OpenFileRequest& request) override {
    open_requests.push_back(request);
    runModal();
    if (open_answers.empty()) return std::nullopt;
    auto answer = open_answers.front();
    open_answers.pop_front();
    return answer;
  }

  std::optional<std::wstring> saveFileDialog(const SaveFileRequest& request) override {
    save_requests.push_back(request);
    runModal();
    if (save_answers.empty()) return std::nullopt;
    auto answer = save_answers.front();
    save_answers.pop_front();
    return answer;
  }

  void destroyWindow() override { ++window_destroyed; }
  // Posting comes from the receive worker's thread: the posted commands are
  // queued under a lock until the test takes them.
  void postCommand(int command_id, std::intptr_t param) override {
    {
      const std::lock_guard<std::mutex> lock(posted_mutex_);
      posted_.emplace_back(command_id, param);
    }
    posted_changed_.notify_all();
  }
  // Waits (at most `limit`) until `command_id` has been posted, then takes
  // every command posted so far, in order. Empty when it did not come.
  std::vector<std::pair<int, std::intptr_t>> takePostedUntil(
      int command_id, std::chrono::milliseconds limit = std::chrono::seconds(20)) {
    std::unique_lock<std::mutex> lock(posted_mutex_);
    const auto arrived = [&] {
      for (const auto& post : posted_) {
        if (post.first == command_id) return true;
      }
      return false;
    };
    if (!posted_changed_.wait_for(lock, limit, arrived)) return {};
    return std::exchange(posted_, {});
  }
  // Every command posted so far, taken.
  std::vector<std::pair<int, std::intptr_t>> takePosted() {
    const std::lock_guard<std::mutex> lock(posted_mutex_);
    return std::exchange(posted_, {});
  }

  void listDeleteAllItems() override {
    ++list_deleted;
    item_count = 0;
  }
  void listSetItemCount(int count) override { item_count = count; }
  void listClearSelection() override {
    ++selection_cleared;
    for (const int index : items_changed_on_clear) {
      if (events != nullptr) events->onListItemChanged(index);
    }
  }
  void setStatusText(int part, const std::wstring& text) override { status.at(static_cast<std::size_t>(part)) = text; }

  bool createDetailWindow(DetailKind kind, int left_offset) override {
    if (fail_detail_create) return false;
    const std::size_t k = slot(kind);
    detail[k] = FakeDetailWindow{};
    detail[k].exists = true;
    detail[k].left_offset = left_offset;
    detail[k].created = ++created_count[k];
    detail[k].destroyed = destroyed_count[k];
    if (during_detail_create) during_detail_create(kind);
    return true;
  }
  void destroyDetailWindow(DetailKind kind) override {
    FakeDetailWindow& w = window(kind);
    w.exists = false;
    w.index_focused = false;
    w.destroyed = ++destroyed_count[slot(kind)];
  }
  void setDetailTitle(DetailKind kind, const std::wstring& title) override { window(kind).title = title; }
  void setDetailText(DetailKind kind, int control_id, const std::wstring& text) override {
    FakeDetailWindow& w = window(kind);
    w.texts[control_id] = text;
    if (control_id == IDC_DETAIL_INDEX) {
      w.index_writes.push_back(text);
      // An edit control reports every change of its text, also one made by
      // the program.
      if (events != nullptr) events->onDetailIndexEdited(kind, text);
    }
  }
  void setDetailIndexRange(DetailKind kind, int lowest, int highest) override {
    window(kind).range_low = lowest;
    window(kind).range_high = highest;
  }

  int showComPortDialog(ComPortDialogModel& model) override {
    com_port_shown.push_back({model.entries(), model.initialSelection()});
    runModal();
    if (!com_port_choice) return ComPortDialogModel::closed_result;
    return model.accept(*com_port_choice);
  }
  int showPrintSettingsDialog(PrintSettingsDialogModel& model) override {
    ++print_settings_shown;
    runModal();
    return print_settings_user ? print_settings_user(model) : PrintSettingsDialogModel::cancel();
  }
  int showOutputItemDialog(OutputItemDialogModel& model) override {
    output_items_shown.push_back({model.variant(), model.templateId(), model.initialChecks()});
    runModal();
    if (output_item_answers.empty()) return model.cancel();
    const auto answer = output_item_answers.front();
    output_item_answers.pop_front();
    return answer ? model.accept(*answer) : model.cancel();
  }
  void showAboutBox() override {
    ++about_shown;
    runModal();
  }

  bool createProgressWindow(int left_offset) override {
    progress = FakeProgressWindow{true, progress.created + 1, progress.closed, left_offset, 0, {}};
    return true;
  }
  void setProgressPosition(int percent) override { progress.position = percent; }
  void setProgressText(const std::wstring& text) override { progress.text = text; }
  void closeProgressWindow() override {
    if (!progress.exists) return;
    progress.exists = false;
    ++progress.closed;
  }

  // --- what the user does in a detail dialog ---
  void focusIndex(DetailKind kind, bool focused) {
    window(kind).index_focused = focused;
    events->onDetailIndexFocus(kind, focused);
  }
  // Types `text` into the index field (replacing it), as the user would.
  void typeIndex(DetailKind kind, const std::wstring& text) {
    FakeDetailWindow& w = window(kind);
    w.texts[IDC_DETAIL_INDEX] = text;
    events->onDetailIndexEdited(kind, text);
  }

 private:
  void runModal() {
    if (!during_modal) return;
    auto task = std::move(during_modal);
    during_modal = nullptr;
    task();
  }

  std::mutex posted_mutex_;
  std::condition_variable posted_changed_;
  std::vector<std::pair<int, std::intptr_t>> posted_;
  std::array<int, 2> created_count{};
  std::array<int, 2> destroyed_count{};
};

}  // namespace kj::app::test
