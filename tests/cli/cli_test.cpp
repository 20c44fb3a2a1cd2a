#include "record/record_fields.h"
#include "cli/dump.h"

#include <gtest/gtest.h>

#include <cmath>
#include <regex>

#include "record/record_text.h"
#include "base/fs_path.h"
#include "records_io/record_file_reader.h"
#include "base/text_encoding.h"
#include "tests/support/json_reader.h"
#include "tests/support/record_fixture.h"

namespace kj::cli {
namespace {

using test::parseJson;
using test::RecordFields;
using test::soundRecord;

const std::vector<std::string> plain_keys = {
    "number", "order", "aux_text", "worker", "datetime", "lifecycle_counts", "has_coord", "latitude_text",
    "latitude", "longitude_text", "longitude", "barcode_present", "input_mode", "input_mode_text", "joint_barcode",
    "barcode_kind", "usage", "resistance", "temperature", "output_voltage_max", "output_voltage_min",
    "input_voltage_max", "input_voltage_min", "output_seconds", "remain_output_seconds", "actual_output_seconds",
    "energy", "end_code", "exit_code", "re_mark", "output_current_max", "output_current_min",
    "joint_traceability_barcode", "traceability_length", "lot_number", "version", "maintenance_date", "scaled_31",
    "checksum_text", "checksum_error", "decoded_barcode", "remarks"};

const std::vector<std::string> battery_keys = {
    "battery_type_code", "battery_type", "battery_identifier", "battery_cycle", "battery_full_capacity",
    "battery_capacity_before", "battery_capacity_after", "battery_temperature_before", "battery_temperature_after",
    "battery_checksum_error", "battery_checksum", "battery_checksum_computed"};

const std::vector<std::string> barcode_keys = {
    "joint_output_voltage", "joint_output_seconds", "joint_resistance", "joint_manufacturer", "joint_kind",
    "joint_size", "joint_management_id", "joint_cooling_minutes", "joint_barcode"};

class CliTest : public testing::Test {
 protected:
  std::wstring write(const std::wstring& name, const std::wstring& text) {
    const std::wstring path = dir_.file(name);
    test::writeBytes(path, test::storedBytes(text));
    return path;
  }
  int run(std::vector<std::wstring> args) {
    out_.clear();
    err_.clear();
    return runCli(args, out_, err_);
  }
  test::JsonValue json(const std::wstring& path) {
    EXPECT_EQ(run({L"dump", L"--json", path}), 0) << err_;
    EXPECT_EQ(out_.back(), '\n');
    return parseJson(out_);
  }
  test::TempDir dir_;
  std::string out_;
  std::string err_;
};

TEST_F(CliTest, JsonOfPlainRecords) {
  RecordFields forced = soundRecord(39, 1);
  forced[record_field::end_code] = L"303";
  forced[record_field::latitude_hemisphere] = L"S";
  test::fixChecksums(forced);
  const test::JsonValue doc = json(write(L"a.efdx", test::headerlessBlock({soundRecord(39, 0), forced})));
  EXPECT_EQ(doc.keys(), (std::vector<std::string>{"header", "status", "any_coord", "bad_count",
                                                  "abnormal_end_count", "records"}));
  EXPECT_EQ(doc["header"].keys(),
            (std::vector<std::string>{"kind", "revision", "field_count", "record_count", "data_start"}));
  EXPECT_EQ(doc["header"]["kind"].number(), 1);
  EXPECT_EQ(doc["header"]["field_count"].number(), 39);
  EXPECT_EQ(doc["header"]["record_count"].number(), 2);
  EXPECT_EQ(doc["status"].string(), "ok");
  EXPECT_TRUE(doc["any_coord"].boolean());
  EXPECT_EQ(doc["bad_count"].number(), 0);
  EXPECT_EQ(doc["abnormal_end_count"].number(), 1);
  const auto& records = doc["records"].array();
  ASSERT_EQ(records.size(), 2U);
  EXPECT_EQ(records[0].keys(), plain_keys);
  EXPECT_EQ(records[0]["decoded_barcode"].keys(), barcode_keys);
  EXPECT_EQ(records[1]["exit_code"].string(), toUtf8(L"強制終了:過電流保護 (303)"));
  EXPECT_EQ(records[1]["end_code"].number(), 303);
  EXPECT_FALSE(records[1]["checksum_error"].boolean());

  // Positions read back to exactly the decoded doubles.
  file::Efdx expected;
  decodeEfdx(expected, file::Header{1, 0, 39, 1, 0}, forced.row());
  EXPECT_EQ(records[1]["latitude"].number(), expected.latitude);
  EXPECT_EQ(records[1]["longitude"].number(), expected.longitude);
  EXPECT_LT(records[1]["latitude"].number(), 0);
}

TEST_F(CliTest, JsonOfBatteryRecordsAddsBatteryMembers) {
  const test::JsonValue doc =
      json(write(L"b.efdx", test::blockText(test::taggedHeader(L"BT", 1, 48, 1), {soundRecord(48)})));
  EXPECT_EQ(doc["header"]["kind"].number(), 2);
  EXPECT_EQ(doc["header"]["data_start"].number(), 11);
  std::vector<std::string> keys = plain_keys;
  keys.insert(keys.end(), battery_keys.begin(), battery_keys.end());
  ASSERT_EQ(doc["records"].array().size(), 1U);
  EXPECT_EQ(doc["records"].array()[0].keys(), keys);
  EXPECT_EQ(doc["records"].array()[0]["battery_temperature_before"].string(), "25.3");
}

TEST_F(CliTest, RejectedAndUndecodedBlocksHaveNoRecords) {
  struct Case {
    const wchar_t* name;
    std::wstring text;
    const char* status;
    double record_count;
    int exit_status;
  };
  RecordFields bad = soundRecord(39);
  bad[record_field::checksum] = L"1";
  const Case cases[] = {
      {L"short.efdx", test::blockText(L"2,", {bad}), "invalid", 2, exit_rejected},
      {L"short-merged.mrg", test::blockText(L"1,", {bad}) + L"\x02" L"1,2\x03", "invalid", 2, exit_rejected},
      {L"pk.efdx", test::blockText(test::taggedHeader(L"PK", 1, 40, 2), {soundRecord(39)}), "not_decoded", 2, 0},
      {L"xy.efdx", test::blockText(test::taggedHeader(L"XY", 1, 40, 0), {}), "not_decoded", 0, 0},
      {L"merged.mrgx", test::blockText(L"7,", {bad, bad}), "ok", 2, 0},
      {L"merged-pk.mrg", test::blockText(test::taggedHeader(L"PK", 1, 40, 9), {bad}), "not_decoded", 1, 0},
  };
  for (const Case& c : cases) {
    const std::wstring path = write(c.name, c.text);
    EXPECT_EQ(run({L"dump", L"--json", path}), c.exit_status) << testing::PrintToString(std::wstring(c.name));
    const test::JsonValue doc = parseJson(out_);
    EXPECT_EQ(doc["status"].string(), c.status);
    EXPECT_EQ(doc["header"]["record_count"].number(), c.record_count);
    if (doc["status"].string() != "ok") {
      EXPECT_TRUE(doc["records"].array().empty());
      EXPECT_EQ(doc["bad_count"].number(), 0);
      EXPECT_FALSE(doc["any_coord"].boolean());
    } else {
      EXPECT_EQ(doc["bad_count"].number(), 2);
    }
    // The table form tells the same by its exit status.
    EXPECT_EQ(run({L"dump", path}), c.exit_status);
  }
}

TEST_F(CliTest, ExitStatusOfSeveralFilesIsTheWorstOne) {
  const std::wstring good = write(L"good.efdx", test::headerlessBlock({soundRecord(39)}));
  const std::wstring rejected = write(L"rejected.efdx", test::blockText(L"3,", {soundRecord(39)}));
  const std::wstring missing = dir_.file(L"missing.efdx");
  struct Case {
    std::vector<std::wstring> files;
    int exit_status;
  };
  const Case cases[] = {
      {{good, good}, exit_ok},
      {{good, rejected}, exit_rejected},
      {{rejected, good}, exit_rejected},
      {{rejected, missing}, exit_unreadable},
      {{missing, rejected}, exit_unreadable},
  };
  for (const Case& c : cases) {
    std::vector<std::wstring> args = {L"dump"};
    args.insert(args.end(), c.files.begin(), c.files.end());
    EXPECT_EQ(run(args), c.exit_status);
  }
}

TEST_F(CliTest, HelpListsTheExitStatuses) {
  EXPECT_EQ(run({L"--help"}), 0);
  for (const char* line : {"  1  ", "  2  usage", "  3  internal", "  4  "}) {
    EXPECT_NE(out_.find(line), std::string::npos) << line;
  }
}

TEST_F(CliTest, VersionPrintsTheProgramsVersionAlone) {
  EXPECT_EQ(run({L"--version"}), 0);
  EXPECT_TRUE(std::regex_match(out_, std::regex("kjvt58-cli [0-9]+\\.[0-9]+\\.[0-9]+\n"))) << out_;
  EXPECT_TRUE(err_.empty());
  EXPECT_EQ(run({L"--help"}), 0);
  EXPECT_NE(out_.find("kjvt58-cli --version"), std::string::npos);
}

TEST_F(CliTest, RecordThatFailedEarlyHasNullBarcodeAndEmptyLaterMembers) {
  RecordFields r = soundRecord(39);
  r[record_field::input_mode] = L"x";
  const test::JsonValue doc = json(write(L"early.efdx", test::headerlessBlock({r})));
  const auto& rec = doc["records"].array().at(0);
  EXPECT_TRUE(rec["decoded_barcode"].isNull());
  EXPECT_EQ(rec["number"].string(), "1");
  EXPECT_EQ(rec["exit_code"].string(), "");
  EXPECT_EQ(doc["bad_count"].number(), 1);
}

TEST_F(CliTest, TextsAreEscapedAndEncoded) {
  RecordFields r = soundRecord(39);
  r[record_field::order] = L"a\"b\\c\x01";
  r[record_field::worker] = std::wstring(L"op") + wchar_t(0xFF80) + wchar_t(0xFFFF);
  const test::JsonValue doc = json(write(L"esc.efdx", test::headerlessBlock({r})));
  const auto& rec = doc["records"].array().at(0);
  EXPECT_EQ(rec["order"].string(), "a\"b\\c\x01");
  EXPECT_EQ(rec["worker"].string(), "op\xEF\xBE\x80\xEF\xBF\xBF");
}

TEST_F(CliTest, AFileOfAnyNameIsDumpedAsAHeaderlessRecordFile) {
  const std::wstring text = test::headerlessBlock({soundRecord(39), soundRecord(39, 1)});
  for (const wchar_t* name : {L"records.txt", L"records"}) {
    const test::JsonValue v = json(write(name, text));
    EXPECT_EQ(v["header"]["kind"].number(), 1) << testing::PrintToString(name);
    EXPECT_EQ(v["status"].string(), "ok");
    EXPECT_EQ(v["records"].array().size(), 2U);
  }
}

TEST_F(CliTest, UnreadableFiles) {
  const std::wstring missing = dir_.file(L"missing.efdx");
  EXPECT_EQ(run({L"dump", L"--json", missing}), 1);
  EXPECT_EQ(out_, "{\"status\": \"unreadable\"}\n");
  EXPECT_EQ(run({L"dump", L"--json", write(L"bad-header.efdx", L"x,")}), 1);
  EXPECT_EQ(out_, "{\"status\": \"unreadable\"}\n");
  EXPECT_EQ(run({L"dump", L"--json", widePath(dir_.path())}), 1);
  EXPECT_EQ(out_, "{\"status\": \"unreadable\"}\n");
}

TEST_F(CliTest, UsageErrorsWriteOneLineToStandardErrorOnly) {
  const std::wstring file = write(L"a.efdx", test::headerlessBlock({soundRecord(39)}));
  const std::vector<std::vector<std::wstring>> cases = {
      {}, {L"dump"}, {L"dump", L"--jsn", file}, {L"frobnicate", file}, {L"dump", L"--json", file, file},
      {L"dump", L"--json"}};
  for (const auto& args : cases) {
    EXPECT_NE(run(args), 0);
    EXPECT_TRUE(out_.empty()) << out_;
    ASSERT_FALSE(err_.empty());
    EXPECT_EQ(err_.find('\n'), err_.size() - 1) << err_;
  }
}

TEST_F(CliTest, TableListsEachRecordThenHeaderAndCounts) {
  RecordFields bad = soundRecord(39, 1);
  bad[record_field::checksum] = L"9";
  const std::wstring a = write(L"a.efdx", test::headerlessBlock({soundRecord(39, 0), bad}));
  const std::wstring b = write(L"b.efd", test::headerlessBlock({soundRecord(33, 0)}));
  EXPECT_EQ(run({L"dump", a, b}), 0) << err_;
  EXPECT_NE(out_.find("  0\t24/03/15 14:30\t" + toUtf8(L"ソケット") + "\t63\t" + toUtf8(L"正常終了 (500)")),
            std::string::npos)
      << out_;
  EXPECT_NE(out_.find(toUtf8(L"(データ不良)")), std::string::npos);
  EXPECT_NE(out_.find("kind 1 (Headerless39), revision 0, fields 39, records 2"), std::string::npos);
  EXPECT_NE(out_.find("records: 2, bad: 1, abnormal end: 0"), std::string::npos);
  EXPECT_NE(out_.find("kind 0 (Headerless33)"), std::string::npos);
  EXPECT_TRUE(err_.empty());

  EXPECT_EQ(run({L"dump", a, dir_.file(L"none.efdx")}), 1);
  EXPECT_NE(out_.find("records: 2"), std::string::npos);
  EXPECT_NE(err_.find("none.efdx"), std::string::npos);
}

}  // namespace
}  // namespace kj::cli
