#pragma once
// The column of command buttons along the left edge of the main window: four
// group boxes and eight bitmap push buttons (app::ButtonBar gives the layout).

#include <array>

#include "app/layout.h"
#include "app/win32/handles.h"
#include "app/win32/win32_include.h"

namespace kj::win32 {

class ButtonBar {
 public:
  ButtonBar() = default;
  ButtonBar(const ButtonBar&) = delete;
  ButtonBar& operator=(const ButtonBar&) = delete;

  // Creates the controls as children of `parent` (which destroys them) and
  // loads the UI font and the bitmaps from `instance`. False when a control
  // cannot be created; a missing bitmap or font only costs its looks.
  bool create(HWND parent, HINSTANCE instance);

  // Enables or disables the button that sends `command_id`; other ids are
  // ignored.
  void enable(int command_id, bool enabled);

  // The font and the bitmaps stay alive until the bar goes, after the
  // controls that show them.

 private:
  static constexpr std::size_t button_count = app::ButtonBar::buttons.size();

  UniqueFont font_;
  std::array<UniqueBitmap, button_count> bitmaps_;
  // The same pictures with a white background, shown while a button is
  // disabled: the button draws a disabled picture as an embossed
  // silhouette of everything that is not white, which would turn the
  // button-face background into one grey block.
  std::array<UniqueBitmap, button_count> disabled_bitmaps_;
  std::array<HWND, button_count> buttons_{};
};

}  // namespace kj::win32
