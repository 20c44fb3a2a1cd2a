// The labels of the detail dialogs: the texts the catalogue gives each field,
// and the labels the dialog templates put beside the fields.

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <sstream>
#include <string>

#include "app/detail_dialog.h"
#include "base/text_encoding.h"
#include "tests/app/resource_script.h"

namespace kj::app {
namespace {

using test::controlIds;
using test::readText;

std::map<int, std::wstring> labelMap(DetailKind kind) {
  std::map<int, std::wstring> m;
  for (const DetailLabel& l : detailLabels(kind)) {
    EXPECT_TRUE(m.emplace(l.id, std::wstring(l.label)).second) << "control " << l.id << " twice";
  }
  return m;
}

const std::map<int, std::wstring> plain_labels{
    {1035, L"機体番号(Lot No.)"},
    {1036, L"No."},
    {1037, L"日付/時刻"},
    {1042, L"品種"},
    {1044, L"サイズ"},
    {1046, L"製造者"},
    {1048, L"管理番号"},
    {1043, L"標準抵抗"},
    {1045, L"標準出力電圧"},
    {1047, L"標準通電秒"},
    {1049, L"バーコードデータ"},
    {1051, L"トレサビリティーバーコードデータ"},
    {1052, L"終了状態(終了コード)"},
    {2, L"環境温度"},
    {1060, L"実抵抗"},
    {1053, L"出力電圧最低"},
    {1057, L"出力電圧最高"},
    {1061, L"出力電流最低"},
    {1062, L"出力電流最高"},
    {1054, L"入力電圧最低"},
    {1058, L"入力電圧最高"},
    {1064, L"目標通電秒"},
    {1065, L"残通電秒"},
    {1056, L"融着エネルギー"},
    {1059, L"緯度"},
    {1063, L"経度"},
    {1066, L"オーダー"},
    {1071, L"施工者"},
    {1072, L"バージョン番号"},
    {1073, L"点検日"},
    {1075, L"L_CNT"},
    {1077, L"備考"},
};

const std::map<int, std::wstring> battery_only_labels{
    {1074, L"電池タイプ"},     {1076, L"電池識別情報"},   {1078, L"電池サイクル数"}, {1079, L"電池フル容量"},
    {1080, L"通電前電池残量"}, {1081, L"通電後電池残量"}, {1082, L"通電前電池温度"}, {1083, L"通電後電池温度"},
};

TEST(DetailLabels, EveryFieldHasItsLabel) {
  EXPECT_EQ(labelMap(DetailKind::plain), plain_labels);
  auto battery = plain_labels;
  battery.insert(battery_only_labels.begin(), battery_only_labels.end());
  EXPECT_EQ(labelMap(DetailKind::battery), battery);
}

// The label before each edit control of one dialog template: the LTEXT line
// followed by the EDITTEXT line of the field.
std::map<int, std::wstring> templateLabels(const std::string& rc, const std::string& dialog,
                                           const std::map<std::string, int>& ids) {
  std::map<int, std::wstring> labels;
  const std::size_t start = rc.find("\n" + dialog + " DIALOGEX");
  EXPECT_NE(start, std::string::npos) << dialog;
  if (start == std::string::npos) return labels;
  const std::size_t end = rc.find("\nEND", start);
  std::istringstream in(rc.substr(start, end - start));
  std::string line;
  std::string label;
  while (std::getline(in, line)) {
    std::istringstream l(line);
    std::string word;
    l >> word;
    if (word == "LTEXT") {
      const std::size_t open = line.find('"');
      const std::size_t close = line.find('"', open + 1);
      label = line.substr(open + 1, close - open - 1);
    } else if (word == "EDITTEXT") {
      std::string name;
      l >> name;
      if (!name.empty() && name.back() == ',') name.pop_back();
      const auto id = ids.find(name);
      EXPECT_NE(id, ids.end()) << name;
      if (id != ids.end() && id->second != 1033) labels[id->second] = fromUtf8(label);  // not the index field
    }
  }
  return labels;
}

TEST(DetailLabels, AreTheLabelsOfTheDialogTemplates) {
  const std::string rc = readText(KJ_APP_SOURCE_DIR "/win32/kjvt58.rc");
  const auto ids = controlIds(readText(KJ_APP_SOURCE_DIR "/ids.h"));
  EXPECT_EQ(templateLabels(rc, "IDD_RECORD_DETAIL", ids), labelMap(DetailKind::plain));
  EXPECT_EQ(templateLabels(rc, "IDD_BATTERY_RECORD_DETAIL", ids), labelMap(DetailKind::battery));
}

}  // namespace
}  // namespace kj::app
