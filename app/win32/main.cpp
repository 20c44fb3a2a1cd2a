// Process start of kjvt58.exe: the command line, the single instance, the
// window class, the main window or the simple mode window (-easy), and the
// message loop.

#include <array>
#include <memory>
#include <string>

#include "app/copy_data.h"
#include "app/easy_window.h"
#include "app/ids.h"
#include "app/main_window.h"
#include "app/startup.h"
#include "app/win32/drop_target.h"
#include "app/win32/easy_window.h"
#include "app/win32/handles.h"
#include "app/win32/main_window.h"
#include "app/win32/spreadsheet_driver.h"
#include "app/win32/win32_include.h"
#include "settings/registry_store.h"
#include "settings/settings.h"

namespace kj::win32 {
namespace {

// Strings 103 and 109 are read into buffers of this many characters.
constexpr int string_buffer_length = 100;

std::wstring loadString(HINSTANCE instance, UINT id) {
  std::array<wchar_t, string_buffer_length> buffer{};
  const int length = LoadStringW(instance, id, buffer.data(), string_buffer_length);
  return std::wstring(buffer.data(), length > 0 ? static_cast<std::size_t>(length) : 0);
}

// Hands the command line to the window of the running instance and brings
// that window forward.
void handOver(HWND running, const std::wstring& command_line) {
  if (IsIconic(running)) ShowWindow(running, SW_RESTORE);
  // GetLastActivePopup answers the window itself when it has no pop-up.
  SetForegroundWindow(GetLastActivePopup(running));
  COPYDATASTRUCT data{};
  data.dwData = app::command_line_tag;
  // The text with its terminating zero.
  data.cbData = static_cast<DWORD>((command_line.size() + 1) * sizeof(wchar_t));
  data.lpData = const_cast<wchar_t*>(command_line.c_str());  // only read by the receiver
  SendMessageW(running, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data));
}

// The message loop of either window, until WM_QUIT. `accelerators` (may be
// null) go to the window; its modeless dialogs take their keyboard input.
int runMessageLoop(ShellWindow& window, HACCEL accelerators) {
  MSG message{};
  for (;;) {
    const BOOL got = GetMessageW(&message, nullptr, 0, 0);
    if (got == 0) break;       // WM_QUIT
    if (got == -1) return 0;   // the queue is gone; nothing sensible is left to do
    if (accelerators != nullptr && window.hwnd() != nullptr &&
        TranslateAcceleratorW(window.hwnd(), accelerators, &message)) {
      continue;
    }
    if (window.isDialogMessage(message)) continue;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return static_cast<int>(message.wParam);
}

// The class both windows register under the same name, with the menu of one
// of them.
WNDCLASSEXW windowClass(HINSTANCE instance, const std::wstring& class_name, int menu_id) {
  WNDCLASSEXW window_class{};
  window_class.cbSize = sizeof window_class;
  window_class.style = CS_HREDRAW | CS_VREDRAW;
  window_class.lpfnWndProc = ShellWindow::windowProc;
  window_class.hInstance = instance;
  window_class.hIcon = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(IDI_APP),
                                                     IMAGE_ICON, GetSystemMetrics(SM_CXICON),
                                                     GetSystemMetrics(SM_CYICON), LR_SHARED));
  window_class.hIconSm = static_cast<HICON>(
      LoadImageW(instance, MAKEINTRESOURCEW(IDI_APP), IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                 GetSystemMetrics(SM_CYSMICON), LR_SHARED));
  window_class.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  window_class.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
  window_class.lpszMenuName = MAKEINTRESOURCEW(menu_id);
  window_class.lpszClassName = class_name.c_str();
  return window_class;
}

int run(HINSTANCE instance, int show_command) {
  const std::wstring title = loadString(instance, IDS_APP_TITLE);
  const std::wstring class_name = loadString(instance, IDS_CLASS_NAME);

  // One instance: a second start passes its command line on and ends. Both
  // modes use the same class, so either finds the other.
  HWND running = FindWindowW(class_name.c_str(), nullptr);
  const app::StartPlan plan = app::planStart(app::argumentsOf(GetCommandLineW()), running != nullptr);
  if (plan.hand_off) {
    handOver(running, plan.command_line);
    return 0;
  }

  INITCOMMONCONTROLSEX controls{};
  controls.dwSize = sizeof controls;
  controls.dwICC = ICC_LISTVIEW_CLASSES | ICC_BAR_CLASSES | ICC_UPDOWN_CLASS |
                   ICC_PROGRESS_CLASS | ICC_STANDARD_CLASSES;
  InitCommonControlsEx(&controls);

  // The settings with their defaults, before any window exists; the window
  // logic loads them while the window is created.
  Settings settings;
  RegistryStore store;

  if (plan.mode == app::WindowMode::easy) {
    const WindowClassRegistration registration(
        windowClass(instance, class_name, IDR_EASY_MENU));
    if (!registration) return 0;
    const EasyWindow::LogicFactory make_logic = [&](app::ShellUi& shell, app::EasyWindowUi& ui) {
      return std::make_unique<app::EasyWindowState>(
          shell, ui, settings, store, title, [] { return enumerate_ports(); }, openSerialPort,
          makeSpreadsheetDriver);
    };
    // Drag and drop through OLE, for the whole life of the window.
    const OleScope ole;
    EasyWindow window(instance, title, make_logic);
    if (!window.create(class_name, show_command)) return 0;
    return runMessageLoop(window, nullptr);
  }

  const WindowClassRegistration registration(
      windowClass(instance, class_name, IDR_MAIN_MENU));
  if (!registration) return 0;
  const MainWindow::LogicFactory make_logic = [&](app::ShellUi& shell, app::MainWindowUi& ui,
                                                   app::DetailDialogUi& detail_ui) {
    return std::make_unique<app::MainWindowState>(
        shell, ui, detail_ui, settings, store, title, [] { return enumerate_ports(); }, openSerialPort,
        makeSpreadsheetDriver);
  };
  MainWindow window(instance, title, plan.command_line, make_logic);
  if (!window.create(class_name, show_command)) return 0;

  // Resource accelerator tables are freed by the system with the module.
  HACCEL accelerators = LoadAcceleratorsW(instance, MAKEINTRESOURCEW(IDR_ACCELERATORS));
  return runMessageLoop(window, accelerators);
}

}  // namespace
}  // namespace kj::win32

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show_command) {
  try {
    return kj::win32::run(instance, show_command);
  } catch (...) {
    // An error nobody could handle: end as a failed start does.
    return 0;
  }
}
