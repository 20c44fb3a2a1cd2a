#include "app/commands.h"

namespace kj::app {

MainState stateOf(const CommandSnapshot& snapshot) {
  if (snapshot.receiving) return MainState::receiving;
  return snapshot.records_shown ? MainState::idle_loaded : MainState::idle_empty;
}

bool commandEnabled(const CommandSnapshot& snapshot, int command_id) {
  const MainState state = stateOf(snapshot);
  const bool idle = state != MainState::receiving;
  const bool loaded = state == MainState::idle_loaded;
  switch (command_id) {
    case IDM_COM_PORT_SETTINGS:
    case IDM_RECEIVE_START:
    case IDM_OPEN_FILE:
      return idle;
    case IDM_RECEIVE_ABORT:
      return !idle;
    case IDM_EXPORT_EXCEL:
    case IDM_PRINT:
      return loaded;
    case IDM_EXPORT_KML:
      return loaded && snapshot.any_coord;
    case IDM_PRINT_SETTINGS:
    case IDM_ABOUT:
    case IDM_EXIT:
    default:
      return true;
  }
}

}  // namespace kj::app
