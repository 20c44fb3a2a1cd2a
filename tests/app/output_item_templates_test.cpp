// The templates of the output item dialogs against the output items: one box
// per item with the item's text, in the group box of its group, the buttons
// and the note.

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "app/output_item_dialog.h"
#include "base/text_encoding.h"
#include "settings/settings.h"
#include "tests/app/resource_script.h"

namespace kj::app {
namespace {

using test::TemplateControl;

struct Variant {
  const char* name;
  OutputItemVariant variant;
  std::vector<std::string> groups;  // group boxes in order of the items
};

const Variant variants[] = {
    {"IDD_OUTPUT_ITEMS", OutputItemVariant::plain, {"継手情報", "融着情報", "管理情報"}},
    {"IDD_BATTERY_OUTPUT_ITEMS", OutputItemVariant::battery, {"継手情報", "融着情報", "管理情報", "電池情報"}},
};

// The group box of item `number` (from 1); empty for items 1-3, which sit
// above the groups.
std::string groupOf(int number) {
  if (number <= 3) return "";
  if (number <= 12) return "継手情報";
  if (number <= 26) return "融着情報";
  if (number <= 32) return "管理情報";
  return "電池情報";
}

bool inside(const TemplateControl& inner, const TemplateControl& outer) {
  return inner.x >= outer.x && inner.y >= outer.y && inner.x + inner.width <= outer.x + outer.width &&
         inner.y + inner.height <= outer.y + outer.height;
}

TEST(OutputItemTemplates, HoldABoxPerItemWithItsTextInItsGroup) {
  const std::string rc = test::readText(KJ_APP_SOURCE_DIR "/win32/kjvt58.rc");
  const auto ids = test::controlIds(test::readText(KJ_APP_SOURCE_DIR "/ids.h"));
  for (const Variant& v : variants) {
    SCOPED_TRACE(v.name);
    const std::string dialog = test::dialogTemplate(rc, v.name);
    EXPECT_EQ(ids.at(v.name), outputItemTemplateId(v.variant));
    EXPECT_NE(dialog.find("CAPTION \"出力項目の設定\""), std::string::npos);
    EXPECT_NE(dialog.find("FONT 9, \"Meiryo UI\""), std::string::npos);

    std::map<int, std::wstring> boxes;
    std::map<int, TemplateControl> box_controls;
    std::map<std::string, TemplateControl> groups;
    std::vector<std::string> group_order;
    std::vector<TemplateControl> others;
    for (const TemplateControl& c : test::templateControls(dialog)) {
      if (c.kind == "AUTOCHECKBOX") {
        ASSERT_TRUE(ids.count(c.id)) << c.id;
        const int id = ids.at(c.id);
        EXPECT_TRUE(boxes.emplace(id, fromUtf8(c.text)).second) << c.id << " twice";
        box_controls[id] = c;
      } else if (c.kind == "GROUPBOX") {
        groups[c.text] = c;
        group_order.push_back(c.text);
      } else {
        others.push_back(c);
      }
    }

    // Every item of the variant has its box with the item's text, and there
    // are no others.
    ExportColumns plain{};
    BatteryExportColumns battery{};
    const OutputItemDialogModel model = v.variant == OutputItemVariant::plain
                                            ? OutputItemDialogModel(v.variant, plain)
                                            : OutputItemDialogModel(v.variant, battery);
    std::map<int, std::wstring> expected;
    for (std::size_t i = 0; i < model.itemCount(); ++i) {
      expected[model.checkBoxId(i)] = std::wstring(catalogue::output_items[i].label);
    }
    EXPECT_EQ(boxes, expected);
    EXPECT_EQ(group_order, v.groups);

    // Each box sits in the group box of its item; items 1-3 above all groups.
    int groups_top = 10000;
    int groups_bottom = 0;
    for (const auto& [text, g] : groups) {
      groups_top = std::min(groups_top, g.y);
      groups_bottom = std::max(groups_bottom, g.y + g.height);
    }
    for (std::size_t i = 0; i < model.itemCount(); ++i) {
      const auto found = box_controls.find(model.checkBoxId(i));
      if (found == box_controls.end()) continue;  // reported above
      const TemplateControl& box = found->second;
      const std::string group = groupOf(static_cast<int>(i) + 1);
      if (group.empty()) {
        EXPECT_LE(box.y + box.height, groups_top) << "item " << i + 1;
      } else {
        ASSERT_TRUE(groups.count(group)) << group;
        EXPECT_TRUE(inside(box, groups.at(group))) << "item " << i + 1 << " outside " << group;
      }
    }

    // "OK" and "キャンセル", and the note at the bottom left, below the groups.
    const auto control = [&](const std::string& kind, const std::string& text) {
      const auto it = std::find_if(others.begin(), others.end(),
                                   [&](const TemplateControl& c) { return c.kind == kind && c.text == text; });
      return it == others.end() ? std::optional<TemplateControl>() : std::optional<TemplateControl>(*it);
    };
    const auto ok = control("DEFPUSHBUTTON", "OK");
    const auto cancel = control("PUSHBUTTON", "キャンセル");
    const auto note = control("LTEXT", "※項目を二つ以上選択してください。");
    ASSERT_TRUE(ok && cancel && note);
    EXPECT_EQ(ok->id, "IDOK");
    EXPECT_EQ(cancel->id, "IDCANCEL");
    EXPECT_GE(note->y, groups_bottom);
    EXPECT_LT(note->x + note->width, ok->x);
  }
}

}  // namespace
}  // namespace kj::app
