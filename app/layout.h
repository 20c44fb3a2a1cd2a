#pragma once
// Fixed layout of the main window: the button bar, the list columns and the
// status bar parts, shared by the window logic and the Windows layer.

#include <array>
#include <string_view>

#include "app/ids.h"

namespace kj::app {

// The window title, string IDS_APP_TITLE; the caption of every message box of
// the main window.
inline constexpr std::wstring_view app_title = L"KJ-VT58 融着記録管理ソフト";
// The window class name, string IDS_CLASS_NAME.
inline constexpr std::wstring_view window_class_name = L"kj_vt58";

// Outer size of the main window.
inline constexpr int main_window_width = 660;
inline constexpr int main_window_height = 580;

// The column of command buttons along the left edge of the client area,
// x 5 to 55: four group boxes and eight 40 x 40 bitmap buttons at x 10. A
// button's window text is its name; pressing it sends its command id.
struct ButtonBar {
  struct Group {
    std::wstring_view text;
    int y;
    int height;
    bool ui_font;  // drawn with the UI font "Meiryo UI", height 16, weight 400
  };
  struct Button {
    std::wstring_view name;
    int y;
    int command_id;
    int bitmap_id;
  };

  static constexpr int group_left = 5;
  static constexpr int group_right = 55;
  static constexpr int button_left = 10;
  static constexpr int button_size = 40;

  static constexpr std::array<Group, 4> groups{{
      {L"取込", 30, 155, true},
      {L"変換", 185, 65, true},
      {L"印刷", 250, 110, true},
      {L"", 360, 105, false},
  }};

  static constexpr std::array<Button, 8> buttons{{
      {L"recieve_ef", 50, IDM_RECEIVE_START, IDB_RECEIVE},
      {L"abort_ef", 95, IDM_RECEIVE_ABORT, IDB_ABORT},
      {L"read_file", 140, IDM_OPEN_FILE, IDB_READ_FILE},
      {L"export_excel", 205, IDM_EXPORT_EXCEL, IDB_EXPORT_EXCEL},
      {L"printer_setting", 270, IDM_PRINT_SETTINGS, IDB_PRINTER_SETTING},
      {L"export_printer", 315, IDM_PRINT, IDB_EXPORT_PRINTER},
      {L"about", 375, IDM_ABOUT, IDB_ABOUT},
      {L"exit", 420, IDM_EXIT, IDB_EXIT},
  }};
};

inline constexpr std::wstring_view ui_font_name = L"Meiryo UI";
inline constexpr int ui_font_height = 16;

// The record list IDC_RECORD_LIST: report view, single selection.
inline constexpr std::wstring_view list_window_text = L"融着記録";
inline constexpr int list_left = 60;
inline constexpr int list_top = 0;
inline constexpr int list_width = 585;
inline constexpr int list_height = 495;

struct ListColumn {
  std::wstring_view title;
  int width;
};

// Columns of the record list, left-aligned, in this order.
inline constexpr std::array<ListColumn, 5> list_column_table{{
    {L"通し番号", 60},
    {L"日付/時刻", 100},
    {L"品種", 100},
    {L"サイズ", 60},
    {L"終了状態(終了コード)", 200},
}};

// The status bar IDC_STATUS_BAR, created at y 560 with zero size: right edges
// of its four parts.
inline constexpr int status_bar_top = 560;
inline constexpr std::array<int, 4> status_part_right_edges{65, 215, 365, 565};

// The record detail dialogs are placed this far right of the main window's
// left edge, the progress window of the main window this far.
inline constexpr int detail_window_offset = 660;
inline constexpr int progress_window_offset = 60;

}  // namespace kj::app
