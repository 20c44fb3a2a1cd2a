#pragma once
// Files dropped onto a window. The system hands them over in two ways: as
// WM_DROPFILES to a window that accepts files (DragAcceptFiles), or to the
// window's registered OLE drop target, which is how drag sources that speak
// only OLE drag and drop reach it (on Wine, every other program's drag). Both
// end in the same list of paths.

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "app/win32/win32_include.h"

#include <ole2.h>

namespace kj::win32 {

// The paths of a drop, in the order the system lists them; a path of more
// than `max_length` characters comes as an empty path.
std::vector<std::wstring> droppedPaths(HDROP drop, std::size_t max_length);

// The thread's OLE initialisation (OleInitialize), which drag and drop needs;
// balanced when it succeeded.
class OleScope {
 public:
  OleScope() : initialised_(SUCCEEDED(OleInitialize(nullptr))) {}
  OleScope(const OleScope&) = delete;
  OleScope& operator=(const OleScope&) = delete;
  ~OleScope() {
    if (initialised_) OleUninitialize();
  }

 private:
  const bool initialised_;
};

using FileDropHandler = std::function<void(std::vector<std::wstring> paths)>;

// A new drop target that takes any drag carrying files (CF_HDROP) as a copy
// and hands the paths of a drop (as droppedPaths gives them) to `on_drop`;
// a drop without files hands nothing. The caller holds its one reference.
IDropTarget* newFileDropTarget(std::size_t max_length, FileDropHandler on_drop);

// The drop target registered for one window (RegisterDragDrop) while the
// owner lives. It takes any drag that carries files (CF_HDROP) as a copy and
// hands the paths of a drop to `on_drop`, which must return at once: the drag
// source waits for the drop call, so the work belongs to a posted message.
// Needs an OleScope on the window's thread.
class FileDropRegistration {
 public:
  FileDropRegistration() = default;
  FileDropRegistration(const FileDropRegistration&) = delete;
  FileDropRegistration& operator=(const FileDropRegistration&) = delete;
  ~FileDropRegistration() { revoke(); }

  // Registers the target for `window`; false when the system refuses.
  bool registerFor(HWND window, std::size_t max_length, FileDropHandler on_drop);
  // Revokes the registration (before the window is destroyed).
  void revoke();

 private:
  HWND window_ = nullptr;
};

}  // namespace kj::win32
