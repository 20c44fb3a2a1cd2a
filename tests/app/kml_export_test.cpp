#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "app/ids.h"
#include "app/kml_export.h"
#include "base/text_encoding.h"
#include "record/record_fields.h"
#include "tests/app/app_fixture.h"

namespace kj::app::test {
namespace {

namespace rf = kj::record_field;
using kj::test::readBytes;

class KmlExport : public AppTest {
 protected:
  // Three plain records of 39 fields; only those in `positioned` carry a
  // position. The third one's date is "2024/03/05 09:07".
  std::wstring positionedFile(const std::wstring& name, std::vector<bool> positioned) {
    std::vector<kj::test::RecordFields> records;
    for (std::size_t i = 0; i < positioned.size(); ++i) {
      kj::test::RecordFields r = kj::test::soundRecord(39, static_cast<int>(i));
      if (!positioned[i]) r[rf::position_flag] = L"0";
      records.push_back(r);
    }
    return file(name, kj::test::headerlessBlock(records));
  }

  void exportTo(const std::wstring& path) {
    ui.save_answers.push_back(path);
    state->onCommand(IDM_EXPORT_KML, 0);
  }
};

TEST_F(KmlExport, WritesTheMapOfThePositionedRecordsAsUtf8WithLineFeeds) {
  create();
  state->loadFile(positionedFile(L"site.efdx", {false, false, true}));
  ASSERT_TRUE(ui.menuEnabled(IDM_EXPORT_KML));
  const std::wstring target = dir.file(L"map.kml");
  exportTo(target);

  ASSERT_EQ(ui.save_requests.size(), 1u);
  const SaveFileRequest& request = ui.save_requests[0];
  EXPECT_EQ(request.initial_name, L"");
  EXPECT_EQ(request.default_extension, L"kml");
  EXPECT_TRUE(request.overwrite_prompt);
  ASSERT_EQ(request.filters.size(), 1u);
  EXPECT_EQ(request.filters[0].label, L"KMLファイル (*.kml)");
  EXPECT_EQ(request.filters[0].pattern, L"*.kml");
  EXPECT_TRUE(ui.messages.empty());
  EXPECT_FALSE(state->busy());

  const std::string bytes = readBytes(target);
  EXPECT_EQ(bytes.rfind("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<kml xmlns=\"http://earth.google.com/kml/2.0\">\n", 0), 0u);
  EXPECT_TRUE(bytes.ends_with("</Placemark>\n</Document>\n</kml>"));
  EXPECT_EQ(bytes.find('\r'), std::string::npos);
  EXPECT_EQ(bytes.find("<Placemark>"), bytes.rfind("<Placemark>"));
  EXPECT_NE(bytes.find("<coordinates>139.761315,35.685390,0</coordinates>"), std::string::npos);
  // The record's own texts, in UTF-8.
  const auto& record = (*state->recordSet().plainRecords())[2];
  EXPECT_NE(bytes.find("<name>" + toUtf8(record.datetime) + "</name>"), std::string::npos);
  EXPECT_NE(bytes.find(toUtf8(record.exit_code) + "</description>"), std::string::npos);
}

TEST_F(KmlExport, NothingIsWrittenWithoutAPositionOrAFileName) {
  create();
  const std::wstring target = dir.file(L"map.kml");
  kj::test::writeBytes(target, "old map");

  state->loadFile(positionedFile(L"site.efdx", {true}));
  state->onCommand(IDM_EXPORT_KML, 0);  // the save dialog is cancelled
  EXPECT_EQ(ui.save_requests.size(), 1u);

  // The command is unavailable without a position; run the export itself.
  state->loadFile(positionedFile(L"none.efdx", {false, false}));
  EXPECT_FALSE(ui.menuEnabled(IDM_EXPORT_KML));
  ui.save_answers.push_back(target);
  EXPECT_EQ(exportToKml(ui, state->recordSet()), KmlOutcome::nothing_to_write);

  EXPECT_EQ(readBytes(target), "old map");
  EXPECT_TRUE(ui.messages.empty());
}

TEST_F(KmlExport, AFailedWriteIsReportedInItsOwnBox) {
  create();
  state->loadFile(positionedFile(L"site.efdx", {true}));
  exportTo(dir.file(L"missing folder") + L"/map.kml");
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].text, L"ファイルの保存に失敗しました。");
  EXPECT_EQ(ui.messages[0].caption, L"KML出力");
  EXPECT_EQ(ui.messages[0].icon, MessageIcon::error);
  EXPECT_FALSE(state->busy());
}

TEST_F(KmlExport, BatteryRecordsAreMappedToo) {
  create();
  state->loadFile(batteryFile(L"battery.efdx", 2));
  const std::wstring target = dir.file(L"battery.kml");
  exportTo(target);
  const std::string bytes = readBytes(target);
  EXPECT_NE(bytes.find("<Placemark>"), bytes.rfind("<Placemark>"));  // two placemarks
  EXPECT_NE(bytes.find("<coordinates>139.761315,35.685390,0</coordinates>"), std::string::npos);
}

}  // namespace
}  // namespace kj::app::test
