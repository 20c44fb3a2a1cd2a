#include "tests/e2e/driver_drop.h"

#include <chrono>

#include <ole2.h>

#include "base/com_object_win32.h"
#include "export/com_ptr_win32.h"
#include "tests/e2e/driver_support.h"
#include "tests/support/file_drop_data.h"

namespace e2e {
namespace {

using Clock = std::chrono::steady_clock;

// The drag gives up (DRAGDROP_S_CANCEL) when it has not dropped by then.
constexpr std::chrono::seconds kDragLimit{20};

// The hand of the user: asked by the system at every step of the drag, it
// first rests beside the target, then moves the pointer onto the middle of the
// target's client area, holds it there for a few steps (so that the target
// sees the drag enter) and lets go.
class Hand final : public kj::com::ComObject<IDropSource, IID_IDropSource> {
 public:
  Hand(POINT start, POINT over) : start_(start), over_(over), deadline_(Clock::now() + kDragLimit) {}

  HRESULT STDMETHODCALLTYPE QueryContinueDrag(BOOL escape, DWORD) override {
    if (escape || Clock::now() > deadline_) return DRAGDROP_S_CANCEL;
    ++steps_;
    if (steps_ < 3) {
      moveTo(start_);
      return S_OK;
    }
    POINT now{};
    GetCursorPos(&now);
    if (now.x != over_.x || now.y != over_.y) {
      moveTo(over_);
      return S_OK;
    }
    // Over the target: a few more steps, then the release.
    return ++steps_over_ < 4 ? S_OK : DRAGDROP_S_DROP;
  }
  HRESULT STDMETHODCALLTYPE GiveFeedback(DWORD) override { return DRAGDROP_S_USEDEFAULTCURSORS; }

 private:
  // The pointer moves as the mouse moves it: absolute coordinates over the
  // primary screen, 0-65535.
  static void moveTo(POINT p) {
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dx = static_cast<LONG>((p.x * 65535LL + GetSystemMetrics(SM_CXSCREEN) / 2) /
                                    (GetSystemMetrics(SM_CXSCREEN) - 1));
    input.mi.dy = static_cast<LONG>((p.y * 65535LL + GetSystemMetrics(SM_CYSCREEN) / 2) /
                                    (GetSystemMetrics(SM_CYSCREEN) - 1));
    input.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    if (SendInput(1, &input, sizeof input) != 1) SetCursorPos(p.x, p.y);
    // Where rounding leaves the pointer a pixel off, put it on the point.
    POINT now{};
    if (GetCursorPos(&now) && (now.x != p.x || now.y != p.y)) SetCursorPos(p.x, p.y);
  }

  const POINT start_;
  const POINT over_;
  const Clock::time_point deadline_;
  int steps_ = 0;
  int steps_over_ = 0;
};

}  // namespace

DragOutcome dragFilesOnto(HWND target, const std::vector<std::wstring>& paths) {
  const HRESULT init = OleInitialize(nullptr);
  if (FAILED(init)) fail(L"OleInitialize failed: " + std::to_wstring(static_cast<long>(init)));
  RECT client{};
  GetClientRect(target, &client);
  POINT over{(client.left + client.right) / 2, (client.top + client.bottom) / 2};
  ClientToScreen(target, &over);
  RECT frame{};
  GetWindowRect(target, &frame);
  // Below the window, where the desktop takes no drop.
  const POINT start{frame.left + 10, frame.bottom + 40};

  DragOutcome outcome;
  {
    const auto data = kj::com::ComPtr<IDataObject>::adopt(new kj::test::FileDropData(paths));
    const auto hand = kj::com::ComPtr<IDropSource>::adopt(new Hand(start, over));
    outcome.result = DoDragDrop(data.get(), hand.get(), DROPEFFECT_COPY, &outcome.effect);
  }
  OleUninitialize();
  return outcome;
}

}  // namespace e2e
