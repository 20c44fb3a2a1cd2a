#pragma once
// The record manager as the driver sees it from outside: its window class,
// texts, command and control ids, and a handle on one running instance.

#include <optional>
#include <string>
#include <vector>

#include "tests/e2e/driver_ui.h"

namespace e2e {

namespace ids {
inline constexpr wchar_t kMainClass[] = L"kj_vt58";
inline constexpr wchar_t kTitle[] = L"KJ-VT58 融着記録管理ソフト";

inline constexpr int kList = 1023;
inline constexpr int kStatusBar = 1024;

inline constexpr int kCmdComPort = 32838;
inline constexpr int kCmdExit = 32839;
inline constexpr int kCmdOpen = 32849;
inline constexpr int kCmdAbout = 104;
inline constexpr int kCmdPrintSettings = 32855;
inline constexpr int kCmdExportKml = 32844;
inline constexpr int kCmdExportExcel = 32842;

// Output item dialog of plain records (template 163): the check boxes of
// items 1-32 in item order, and the first box of the battery items, which
// only the battery dialog (168) has.
inline constexpr int kPlainItemBoxes[32] = {1042, 1043, 1044, 1045, 1046, 1047, 1048, 1049, 1050, 1051, 1052,
                                            1053, 1054, 1055, 1056, 1057, 1058, 1060, 1061, 1062, 1063, 1064,
                                            1065, 1066, 1067, 1068, 1069, 1070, 1071, 1072, 1073, 1074};
inline constexpr int kBatteryTypeBox = 1075;

// Record detail dialog (templates 162 and 167).
inline constexpr int kDetailIndex = 1033;
inline constexpr int kDetailUpDown = 1034;
inline constexpr int kBatteryType = 1074;

// COM port dialog (template 165).
inline constexpr int kComPortList = 1055;

// The system's file dialog: file name box and file type list.
inline constexpr int kFileNameBox = 0x47C;
inline constexpr int kFileTypeList = 0x470;
}  // namespace ids

// The settings key of the program, under HKEY_CURRENT_USER.
inline constexpr wchar_t kSettingsKey[] = L"SOFTWARE\\TOVANIC\\KJVT58";

// Where the driver finds what it needs; all paths are Windows paths.
struct Environment {
  std::wstring app;       // kjvt58.exe
  std::wstring cli;       // kjvt58-cli.exe, for the cross-check of decoded texts
  std::wstring samples;   // a folder holding the sample record files
  std::wstring work;      // a scratch folder of this run
  std::wstring shots;     // where screenshots go (BMP); empty: none are taken
  std::wstring com_port;  // a COM port the runner made exist in the Wine prefix
  std::wstring sim_dir;   // the folder of the controller simulator service (driver_controller.h)
  std::wstring excel_server;  // a local automation server that records the calls it gets (tests/export/win32)
  std::wstring installer;     // the installer (scripts/package) of the programs named above
  std::wstring sample(const std::wstring& name) const { return samples + L"\\" + name; }
};

std::wstring quotedArgument(const std::wstring& path);

// One running kjvt58.exe. Destroying it ends the process if it still runs.
class App {
 public:
  static App start(const Environment& env, const std::wstring& arguments);
  // The record manager that process `pid` runs (started by the system, for
  // example through a file association).
  static App attach(DWORD pid);

  Process& process() { return process_; }
  DWORD pid() const { return process_.id(); }

  // The main window, waited for on first use (it may still be hidden while a
  // message box of the start-up is shown).
  HWND main();
  // Waits until the main window is shown and no message box is open; fails
  // with the box's text when one is.
  HWND waitIdle();

  RemoteListView list();
  RemoteStatusBar status();
  std::vector<std::vector<std::wstring>> rows();

  // The record detail dialog: a visible dialog of this process holding the
  // index field. null when there is none.
  HWND detail();
  HWND waitDetail();

  MessageBoxView waitMessageBox(std::wstring_view what);
  // A button of the main window's button column, by its name.
  HWND button(std::wstring_view name);

  // Waits for the end and returns the exit code; fails on a time-out.
  DWORD waitExit(std::wstring_view what);

 private:
  explicit App(Process p) : process_(std::move(p)) {}
  Process process_;
  HWND main_ = nullptr;
};

}  // namespace e2e
