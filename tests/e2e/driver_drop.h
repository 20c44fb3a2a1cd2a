#pragma once
// A drag of files onto another program's window, as a user drags them from
// the file manager: an OLE drag (DoDragDrop) whose data carries the paths as a
// drop of files (CF_HDROP), while the mouse pointer moves over the target
// window, where the drag is released.

#include <string>
#include <vector>

#include "tests/e2e/driver_windows.h"

namespace e2e {

struct DragOutcome {
  HRESULT result = E_FAIL;           // what DoDragDrop returned (DRAGDROP_S_DROP: dropped)
  DWORD effect = 0;                  // the effect the target chose (DROPEFFECT_COPY, ...)
};

// Drags `paths` from a point beside `target` onto the middle of its client
// area and drops them there. Fails when OLE cannot be started or the drag
// does not end within its time limit; the outcome tells whether the target
// took the drop.
DragOutcome dragFilesOnto(HWND target, const std::vector<std::wstring>& paths);

}  // namespace e2e
