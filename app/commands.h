#pragma once
// Which commands of the main window are available, decided from one snapshot
// of the window's state.

#include <array>

#include "app/ids.h"

namespace kj::app {

// The facts the enabling rules depend on.
struct CommandSnapshot {
  // A receive runs: from the start command until the session has ended.
  bool receiving = false;
  // Records are on display and may be exported: set by a successful display,
  // cleared by a failed one and by the start of a receive.
  bool records_shown = false;
  // A displayed record has a position (the KML output has something to write).
  bool any_coord = false;
};

// The states of the main window, as the user sees them. After a receive the
// window is idle again, empty or loaded.
enum class MainState { idle_empty, idle_loaded, receiving };

MainState stateOf(const CommandSnapshot& snapshot);

// True when `command_id` is available in `snapshot`. Commands outside the
// menu and the button bar are always available.
bool commandEnabled(const CommandSnapshot& snapshot, int command_id);

// The items of the main menu and the commands of the button-bar buttons.
inline constexpr std::array<int, 10> menu_commands{
    IDM_COM_PORT_SETTINGS, IDM_RECEIVE_START, IDM_RECEIVE_ABORT, IDM_OPEN_FILE,
    IDM_EXPORT_EXCEL,      IDM_PRINT_SETTINGS, IDM_PRINT,        IDM_EXPORT_KML,
    IDM_ABOUT,             IDM_EXIT,
};
inline constexpr std::array<int, 8> button_commands{
    IDM_RECEIVE_START, IDM_RECEIVE_ABORT, IDM_OPEN_FILE, IDM_EXPORT_EXCEL,
    IDM_PRINT_SETTINGS, IDM_PRINT,        IDM_ABOUT,     IDM_EXIT,
};

}  // namespace kj::app
