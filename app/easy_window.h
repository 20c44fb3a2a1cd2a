#pragma once
// The simple mode window (kjvt58.exe -easy): record files dropped onto it
// become Excel workbooks beside them, and its one button walks the user
// through receiving a block, saving it and converting it. The logic runs on
// the window thread only; the receive worker only posts commands.
//
//   EasyWindowUi      logic -> window: the window's own controls (its menu,
//                     the text control, the button) and the end of the
//                     message loop. The modal dialogs and the progress window
//                     are the ShellUi of every window.
//   EasyWindowEvents  window -> logic: what the window procedure reports.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "app/excel_export.h"
#include "app/layout.h"
#include "app/ui.h"
#include "link/com_ports.h"
#include "link/receive_session.h"
#include "records_io/loaded_block.h"
#include "settings/key_value_store.h"
#include "settings/settings.h"

namespace kj::app {

// Layout of the window: outer size, the centred text control (class
// "STATIC") and the push button "OK" (class "BUTTON", id IDC_EASY_BUTTON),
// both with the UI font ("Meiryo UI", height 16, weight 400).
inline constexpr int easy_window_width = 350;
inline constexpr int easy_window_height = 200;
struct EasyControlRect {
  int x, y, width, height;
};
inline constexpr EasyControlRect easy_text_rect{0, 10, 340, 90};
inline constexpr EasyControlRect easy_button_rect{130, 100, 45, 25};
inline constexpr std::wstring_view easy_button_text = L"OK";
// The progress window sits at the window's left edge.
inline constexpr int easy_progress_window_offset = 0;
// Dropped paths are taken with at most this many characters; a longer one is
// handed on as an empty path, which is skipped.
inline constexpr std::size_t easy_dropped_path_max = 259;

// The texts of the text control.
inline constexpr std::wstring_view easy_intro_text =
    L"<KJ-VT58 融着記録管理ソフト 簡易モード>\n\nefd(efdx)ファイルをドラッグ&ドロップしてください。\n\n"
    L"直接吸い出すにはこのボタンを押してください。";
inline constexpr std::wstring_view easy_choose_port_text =
    L"\"通信ポート設定\"メニューから\nケーブルを接続したポートを選んでから\nこのボタンを押してください。";
inline constexpr std::wstring_view easy_ready_text =
    L"このボタンを押すとデータ待ち受け状態になります。\nボタンを押したあと、EFコントローラーからデータを\n送信してください。";
inline constexpr std::wstring_view easy_convert_text = L"このボタンを押すとExcel形式に変換します。";
inline constexpr std::wstring_view easy_again_text =
    L"右上の\"×\"ボタンで終了します。\n引き続きデータ取り込みを行う場合は\nこのボタンを押すとデータ待ち受け状態になります。\n"
    L"ボタンを押したあと、EFコントローラーからデータを\n送信してください。";
inline constexpr std::wstring_view easy_converting_text = L"ファイル変換中...";
// The first message, before the window shows.
inline constexpr std::wstring_view easy_startup_text =
    L"EFコントローラーから直接吸い出す場合は、PCと専用ケーブルで接続してください。";
// The progress window's line while the controller has not sent yet.
inline constexpr std::wstring_view easy_receive_waiting_text =
    L"EFコントローラーからデータを送信して下さい(\"×\"ボタンで終了できます)。";
inline constexpr std::wstring_view easy_save_succeeded_text = L"データ保存に成功しました。";

// "ファイル変換中... (   0/   3)": the 0-based index of the file about to be
// converted and the number of dropped files, each right-aligned in four
// places (wider numbers take the room they need).
std::wstring easyConvertingCounterText(unsigned index, unsigned count);
// The message after a successful save of a received block: three lines,
// "データ保存に成功しました。", the path in double quotation marks,
// "に保存されました。".
std::wstring easySavedText(const std::wstring& path);
// The counts message of a decoded block: "n件の不良データが含まれています。\n"
// when there are bad records, "n件の異常終了が含まれています。\n" when
// welds ended abnormally; empty when neither.
std::wstring easyCountsText(const DecodeCounts& counts);

// The simple mode window's own controls.
class EasyWindowUi {
 public:
  EasyWindowUi() = default;
  EasyWindowUi(const EasyWindowUi&) = delete;
  EasyWindowUi& operator=(const EasyWindowUi&) = delete;
  virtual ~EasyWindowUi() = default;

  // A message box without owner window (the window is not shown yet).
  virtual MessageAnswer ownerlessMessageBox(const std::wstring& text, const std::wstring& caption,
                                            MessageIcon icon, MessageButtons buttons) = 0;
  // Creates the text control with `text` and the button, both with the UI
  // font. False when they cannot be created.
  virtual bool createControls(const std::wstring& text) = 0;
  // Enables the menu item `command_id` (only IDM_COM_PORT_SETTINGS), or
  // grays it.
  virtual void enableMenuItem(int command_id, bool enabled) = 0;
  virtual void enableButton(bool enabled) = 0;
  virtual void enableText(bool enabled) = 0;
  virtual void setText(const std::wstring& text) = 0;
  // Repaints the whole window, or only the text control, now: the drop
  // conversion runs inside one message and would otherwise show nothing
  // until it is done.
  virtual void repaintWindow() = 0;
  virtual void repaintText() = 0;
  // Asks the message loop to end with `exit_code` once it sees the request.
  virtual void endMessageLoop(int exit_code) = 0;
};

// What the window procedure reports.
class EasyWindowEvents {
 public:
  EasyWindowEvents() = default;
  EasyWindowEvents(const EasyWindowEvents&) = delete;
  EasyWindowEvents& operator=(const EasyWindowEvents&) = delete;
  virtual ~EasyWindowEvents() = default;

  // Window creation (WM_CREATE): the start-up steps. False when the window
  // cannot be built (its creation then fails).
  virtual bool onCreate() = 0;
  // A command (WM_COMMAND): the low 16 bits of the first parameter and the
  // second parameter as it came. Unknown ids have no effect.
  virtual void onCommand(int command_id, std::intptr_t param) = 0;
  // Files dropped onto the window (WM_DROPFILES), in the order the system
  // lists them; a path longer than easy_dropped_path_max is empty. The
  // window releases the drop after the call.
  virtual void onDropFiles(const std::vector<std::wstring>& paths) = 0;
  // The window is being destroyed (WM_DESTROY); the window ends the message
  // loop with exit code 0 after the call.
  virtual void onDestroy() = 0;
};

// The logic of the simple mode window.
class EasyWindowState final : public EasyWindowEvents {
 public:
  using PortEnumerator = std::function<PortList()>;

  // The UIs, `settings` and `store` must outlive the state. `title` is the
  // window title and the caption of its message boxes. `open_port` opens the
  // COM port; `drivers` makes the spreadsheet driver of each conversion
  // (null: every conversion fails as a driver that cannot be opened does).
  EasyWindowState(ShellUi& shell, EasyWindowUi& ui, Settings& settings, KeyValueStore& store,
                  std::wstring title = std::wstring(app_title),
                  PortEnumerator ports = [] { return enumerate_ports(); },
                  PortOpener open_port = openSerialPort, SpreadsheetDriverFactory drivers = {});
  ~EasyWindowState() override;

  // EasyWindowEvents.
  bool onCreate() override;
  void onCommand(int command_id, std::intptr_t param) override;
  void onDropFiles(const std::vector<std::wstring>& paths) override;
  void onDestroy() override;

  // Converts one record file to a workbook beside it (its path with the
  // extension replaced by ".xls"), with every output item. Paths of other
  // extensions and files that cannot be opened are skipped without a word;
  // the messages are not shown while several dropped files are converted.
  void convertDroppedFile(const std::wstring& path);

  // The step of the button's walk-through, 0-7.
  int state() const { return state_; }
  bool multiFileMode() const { return multi_file_mode_; }
  // The time-stamp name of the last receive's save step.
  const std::wstring& currentPath() const { return current_path_; }
  const std::wstring& droppedPath() const { return dropped_path_; }
  // Whether the last dropped file or received block gave records.
  bool recordsPresent() const { return records_present_; }
  // The kind of the block being handled, from its header.
  int blockKind() const { return block_kind_; }
  const std::wstring& title() const { return title_; }
  // Whether the COM port opened by the walk-through is open.
  bool portOpen() const { return session_.port_open(); }

 private:
  // Carries out the current state's step and moves on (the table of the
  // walk-through).
  void applyState();
  void comPortCommand();
  void startReceive();
  void receiveEnded();
  void receiveProgress(std::intptr_t received);
  void receiveComplete();
  // The save step of a received block; the flow goes on whether it saved.
  void saveReceived();
  void exportReceived();
  void showCounts(const DecodeCounts& counts);
  void message(std::wstring_view text, MessageIcon icon);

  ShellUi& shell_;
  EasyWindowUi& ui_;
  Settings& settings_;
  KeyValueStore& store_;
  const std::wstring title_;
  PortEnumerator enumerate_ports_;
  SpreadsheetDriverFactory drivers_;
  int state_ = 0;
  std::wstring current_path_;
  std::wstring dropped_path_;
  bool records_present_ = false;
  bool multi_file_mode_ = false;
  int block_kind_ = 0;
  // A receive was started and its block has not been handled yet.
  bool awaiting_block_ = false;
  // The last received block, decoded; what the button converts in state 4.
  std::optional<LoadedBlock> received_;
  // Last, so that it goes first: its worker posts through shell_ until it is
  // joined.
  ReceiveSession session_;
};

}  // namespace kj::app
