// The output item dialogs: their check boxes, the start state from the
// selection, "OK" and "キャンセル".

#include "app/output_item_dialog.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "base/text_encoding.h"
#include "settings/settings.h"

namespace kj::app {
namespace {

struct Box {
  int id;
  std::wstring text;
  std::wstring key;
};

// The boxes in item order, as the dialogs show them.
const Box boxes[] = {
    {1042, L"機体番号(Lot No.)", L"lot_number"},
    {1043, L"通し番号(No.)", L"number"},
    {1044, L"日付/時刻", L"datetime"},
    {1045, L"品種", L"joint_kind"},
    {1046, L"サイズ", L"joint_size"},
    {1047, L"製造者", L"joint_manufacturer"},
    {1048, L"管理番号", L"joint_management_id"},
    {1049, L"標準抵抗", L"joint_resistance"},
    {1050, L"標準出力電圧", L"joint_output_voltage"},
    {1051, L"標準通電秒", L"joint_output_seconds"},
    {1052, L"バーコードデータ", L"joint_barcode"},
    {1053, L"トレサビリティーバーコードデータ", L"joint_traceability_barcode"},
    {1054, L"終了状態(終了コード)", L"exit_code"},
    {1055, L"環境温度", L"temperature"},
    {1056, L"実抵抗", L"resistance"},
    {1057, L"出力電圧最低", L"output_voltage_min"},
    {1058, L"出力電圧最高", L"output_voltage_max"},
    {1060, L"出力電流最低", L"output_current_min"},
    {1061, L"出力電流最高", L"output_current_max"},
    {1062, L"入力電圧最低", L"input_voltage_min"},
    {1063, L"入力電圧最高", L"input_voltage_max"},
    {1064, L"目標通電秒", L"output_seconds"},
    {1065, L"実通電秒", L"actual_output_seconds"},
    {1066, L"残通電秒", L"remain_output_seconds"},
    {1067, L"融着エネルギー", L"energy"},
    {1068, L"緯度経度", L"coord"},
    {1069, L"オーダー", L"order"},
    {1070, L"施工者", L"worker"},
    {1071, L"バージョン番号", L"version"},
    {1072, L"点検日", L"maintenance_date"},
    {1073, L"L_CNT", L"lifecycle_counts"},
    {1074, L"備考", L"remarks"},
    {1075, L"電池タイプ", L"battery_type"},
    {1076, L"電池識別情報", L"battery_identifier"},
    {1077, L"電池サイクル数", L"battery_cycle"},
    {1082, L"電池フル容量", L"battery_full_capacity"},
    {1078, L"通電前電池残量", L"battery_capacity_before"},
    {1079, L"通電後電池残量", L"battery_capacity_after"},
    {1080, L"通電前電池温度", L"battery_temperature_before"},
    {1081, L"通電後電池温度", L"battery_temperature_after"},
};

TEST(OutputItemDialog, EachVariantHasItsTemplateAndABoxPerItem) {
  ExportColumns plain{};
  BatteryExportColumns battery{};
  const OutputItemDialogModel models[] = {{OutputItemVariant::plain, plain}, {OutputItemVariant::battery, battery}};
  EXPECT_EQ(models[0].templateId(), 163);
  EXPECT_EQ(models[1].templateId(), 168);
  EXPECT_EQ(models[0].itemCount(), 32u);
  EXPECT_EQ(models[1].itemCount(), 40u);
  for (const OutputItemDialogModel& model : models) {
    std::set<int> ids;
    for (std::size_t i = 0; i < model.itemCount(); ++i) {
      SCOPED_TRACE(toUtf8(boxes[i].key));
      EXPECT_EQ(model.checkBoxId(i), boxes[i].id);
      EXPECT_EQ(model.label(i), boxes[i].text);
      // The box edits the flag stored under the item's key.
      EXPECT_EQ(output_item_value_name(i), boxes[i].key);
      ids.insert(model.checkBoxId(i));
    }
    EXPECT_EQ(ids.size(), model.itemCount());
    EXPECT_EQ(ids.count(1059), 0u);
  }
}

TEST(OutputItemDialog, BoxesStartAsTheSelectionAndOkTakesThemOver) {
  BatteryExportColumns selection{};
  for (std::size_t i = 0; i < selection.size(); i += 3) selection[i] = true;
  // Neighbours with different states, which a box mapped to the wrong item
  // would swap.
  selection[15] = true;   // 出力電圧最低
  selection[16] = false;  // 出力電圧最高
  selection[27] = false;  // 施工者
  selection[28] = true;   // バージョン番号
  const BatteryExportColumns before = selection;

  // Twice "OK" without a change: every flag stays.
  for (int run = 0; run < 2; ++run) {
    OutputItemDialogModel model(OutputItemVariant::battery, selection);
    const std::vector<bool> shown = model.initialChecks();
    ASSERT_EQ(shown.size(), 40u);
    for (std::size_t i = 0; i < shown.size(); ++i) EXPECT_EQ(shown[i], before[i]) << "item " << i + 1;
    EXPECT_EQ(model.accept(shown), OutputItemDialogModel::ok_result);
    EXPECT_EQ(selection, before);
    const auto on = static_cast<std::size_t>(std::count(before.begin(), before.end(), true));
    EXPECT_EQ(model.result(), (OutputItemDialogResult{true, on}));
  }

  // Changed boxes become the selection.
  ExportColumns plain{};
  OutputItemDialogModel model(OutputItemVariant::plain, plain);
  std::vector<bool> checked(32, false);
  checked[0] = checked[25] = checked[31] = true;
  model.accept(checked);
  ExportColumns expected{};
  expected[0] = expected[25] = expected[31] = true;
  EXPECT_EQ(plain, expected);
  EXPECT_EQ(model.result(), (OutputItemDialogResult{true, 3}));
}

TEST(OutputItemDialog, OkWithNoBoxIsAcceptedWithCountZero) {
  ExportColumns selection{};
  selection.fill(true);
  OutputItemDialogModel model(OutputItemVariant::plain, selection);
  model.accept(std::vector<bool>(32, false));
  EXPECT_EQ(model.result(), (OutputItemDialogResult{true, 0}));
  EXPECT_EQ(selection, ExportColumns{});
}

TEST(OutputItemDialog, CancelLeavesTheSelectionAsItWas) {
  ExportColumns selection{};
  selection[4] = true;
  const ExportColumns before = selection;
  OutputItemDialogModel model(OutputItemVariant::plain, selection);
  EXPECT_EQ(model.cancel(), OutputItemDialogModel::cancel_result);
  EXPECT_FALSE(model.result().accepted);
  EXPECT_EQ(selection, before);
}

TEST(OutputItemDialog, RefusesSelectionsAndAnswersOfTheWrongSize) {
  ExportColumns plain{};
  BatteryExportColumns battery{};
  EXPECT_THROW(OutputItemDialogModel(OutputItemVariant::battery, plain), std::invalid_argument);
  EXPECT_THROW(OutputItemDialogModel(OutputItemVariant::plain, battery), std::invalid_argument);
  OutputItemDialogModel model(OutputItemVariant::plain, plain);
  EXPECT_THROW(model.accept(std::vector<bool>(40, true)), std::invalid_argument);
  EXPECT_EQ(plain, ExportColumns{});
}

}  // namespace
}  // namespace kj::app
