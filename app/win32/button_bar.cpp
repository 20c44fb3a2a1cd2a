#include "app/win32/button_bar.h"

#include <cstddef>
#include <string>

namespace kj::win32 {
namespace {

HMENU controlId(int id) {
  return reinterpret_cast<HMENU>(static_cast<INT_PTR>(id));
}

// A copy of a 24-bit picture in which every pixel of the background colour
// (the colour of its top-left pixel) is white. Null when it cannot be made.
HBITMAP whiteBackgroundCopy(HBITMAP picture) {
  auto* copy = static_cast<HBITMAP>(CopyImage(picture, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
  if (copy == nullptr) return nullptr;
  DIBSECTION dib{};
  if (GetObjectW(copy, sizeof dib, &dib) != sizeof dib || dib.dsBm.bmBitsPixel != 24 ||
      dib.dsBm.bmBits == nullptr) {
    DeleteObject(copy);
    return nullptr;
  }
  GdiFlush();  // the bits of a DIB section may only be touched once GDI is done with it
  auto* bits = static_cast<unsigned char*>(dib.dsBm.bmBits);
  const auto width = static_cast<std::size_t>(dib.dsBm.bmWidth);
  const auto height = static_cast<std::size_t>(dib.dsBm.bmHeight);
  const auto stride = static_cast<std::size_t>(dib.dsBm.bmWidthBytes);
  // Rows are stored bottom-up: the top-left pixel opens the last row.
  const unsigned char* corner = bits + (height - 1) * stride;
  const unsigned char background[3] = {corner[0], corner[1], corner[2]};
  for (std::size_t y = 0; y < height; ++y) {
    unsigned char* pixel = bits + y * stride;
    for (std::size_t x = 0; x < width; ++x, pixel += 3) {
      if (pixel[0] == background[0] && pixel[1] == background[1] && pixel[2] == background[2]) {
        pixel[0] = pixel[1] = pixel[2] = 0xFF;
      }
    }
  }
  return copy;
}

}  // namespace

bool ButtonBar::create(HWND parent, HINSTANCE instance) {
  using Layout = app::ButtonBar;

  font_.reset(CreateFontW(app::ui_font_height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                          DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                          DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE,
                          std::wstring(app::ui_font_name).c_str()));

  for (const Layout::Group& group : Layout::groups) {
    HWND box = CreateWindowExW(0, L"BUTTON", std::wstring(group.text).c_str(),
                               WS_CHILD | WS_VISIBLE | BS_GROUPBOX, Layout::group_left, group.y,
                               Layout::group_right - Layout::group_left, group.height, parent,
                               nullptr, instance, nullptr);
    if (box == nullptr) return false;
    if (group.ui_font && font_) {
      SendMessageW(box, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
    }
  }

  for (std::size_t i = 0; i < button_count; ++i) {
    const Layout::Button& button = Layout::buttons[i];
    HWND window = CreateWindowExW(0, L"BUTTON", std::wstring(button.name).c_str(),
                                  WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON | BS_BITMAP,
                                  Layout::button_left, button.y, Layout::button_size,
                                  Layout::button_size, parent, controlId(button.command_id),
                                  instance, nullptr);
    if (window == nullptr) return false;
    buttons_[i] = window;
    bitmaps_[i].reset(static_cast<HBITMAP>(
        LoadImageW(instance, MAKEINTRESOURCEW(button.bitmap_id), IMAGE_BITMAP, 0, 0,
                   LR_CREATEDIBSECTION)));
    if (bitmaps_[i]) {
      disabled_bitmaps_[i].reset(whiteBackgroundCopy(bitmaps_[i].get()));
      SendMessageW(window, BM_SETIMAGE, IMAGE_BITMAP,
                   reinterpret_cast<LPARAM>(bitmaps_[i].get()));
    }
  }
  return true;
}

void ButtonBar::enable(int command_id, bool enabled) {
  for (std::size_t i = 0; i < button_count; ++i) {
    if (app::ButtonBar::buttons[i].command_id != command_id || buttons_[i] == nullptr) continue;
    const UniqueBitmap& picture =
        !enabled && disabled_bitmaps_[i] ? disabled_bitmaps_[i] : bitmaps_[i];
    if (picture) {
      SendMessageW(buttons_[i], BM_SETIMAGE, IMAGE_BITMAP,
                   reinterpret_cast<LPARAM>(picture.get()));
    }
    EnableWindow(buttons_[i], enabled ? TRUE : FALSE);
  }
}

}  // namespace kj::win32
