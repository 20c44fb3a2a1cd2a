#pragma once
// Move-only owners of the Windows handles the application creates. Each
// closes its handle when it goes, and the old one when it is given another.

#include <utility>

#include "app/win32/win32_include.h"

namespace kj::win32 {

// Traits: `pointer` (the handle type), `invalid()` (the value that owns
// nothing) and `close(pointer)`.
template <class Traits>
class UniqueHandle {
 public:
  using pointer = typename Traits::pointer;

  UniqueHandle() noexcept = default;
  explicit UniqueHandle(pointer handle) noexcept : handle_(handle) {}
  ~UniqueHandle() { reset(); }

  UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.release()) {}
  UniqueHandle& operator=(UniqueHandle&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
  }
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;

  pointer get() const noexcept { return handle_; }
  explicit operator bool() const noexcept { return handle_ != Traits::invalid(); }

  // Gives up ownership without closing.
  pointer release() noexcept { return std::exchange(handle_, Traits::invalid()); }

  // Closes the owned handle (if any) and owns `handle` instead. The member
  // already holds the new value while the old one is being closed, so code
  // run by the close (a window's WM_NCDESTROY) sees the owner empty.
  void reset(pointer handle = Traits::invalid()) noexcept {
    pointer old = std::exchange(handle_, handle);
    if (old != Traits::invalid()) Traits::close(old);
  }

 private:
  pointer handle_ = Traits::invalid();
};

// Fonts, bitmaps and other GDI objects made by CreateFontW, LoadImageW and
// the like. They must not be selected into a device context when closed.
template <class Handle>
struct GdiObjectTraits {
  using pointer = Handle;
  static pointer invalid() noexcept { return nullptr; }
  static void close(pointer handle) noexcept { DeleteObject(handle); }
};

struct WindowTraits {
  using pointer = HWND;
  static pointer invalid() noexcept { return nullptr; }
  static void close(pointer handle) noexcept { DestroyWindow(handle); }
};

using UniqueFont = UniqueHandle<GdiObjectTraits<HFONT>>;
using UniqueBitmap = UniqueHandle<GdiObjectTraits<HBITMAP>>;
// A window destroyed by its owner; it must belong to the owner's thread.
using UniqueWindow = UniqueHandle<WindowTraits>;

// A registered window class, unregistered when the owner goes. The windows of
// the class must be destroyed by then.
class WindowClassRegistration {
 public:
  WindowClassRegistration() noexcept = default;
  // Registers `window_class`; check with operator bool.
  explicit WindowClassRegistration(const WNDCLASSEXW& window_class) noexcept
      : atom_(RegisterClassExW(&window_class)), instance_(window_class.hInstance) {}
  ~WindowClassRegistration() {
    if (atom_ != 0) UnregisterClassW(MAKEINTATOM(atom_), instance_);
  }
  WindowClassRegistration(const WindowClassRegistration&) = delete;
  WindowClassRegistration& operator=(const WindowClassRegistration&) = delete;

  explicit operator bool() const noexcept { return atom_ != 0; }

 private:
  ATOM atom_ = 0;
  HINSTANCE instance_ = nullptr;
};

}  // namespace kj::win32
