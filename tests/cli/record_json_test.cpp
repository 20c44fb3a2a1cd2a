// The exact bytes of the JSON of records: member order, separators, escapes,
// UTF-8 and numbers. The dump of the sample files must not change by a byte.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "cli/json_writer.h"
#include "cli/record_json.h"

namespace kj::cli {
namespace {

struct TextCase {
  std::wstring text;
  std::string json;
};

std::wstring units(std::initializer_list<std::uint32_t> codes) {
  std::wstring s;
  for (std::uint32_t c : codes) s.push_back(static_cast<wchar_t>(c));
  return s;
}

TEST(JsonText, EscapesAndEncodesEveryKindOfCharacter) {
  const std::vector<TextCase> cases = {
      {L"", "\"\""},
      {L"abc 123", "\"abc 123\""},
      {L"a\"b", "\"a\\\"b\""},
      {L"a\\b", "\"a\\\\b\""},
      {L"\n\r\t\b\f", "\"\\n\\r\\t\\b\\f\""},
      {units({0x00, 0x01, 0x1B, 0x1F}), "\"\\u0000\\u0001\\u001b\\u001f\""},
      {units({0x7E, 0x7F}), "\"~\\u007f\""},
      {L"/", "\"/\""},
      {units({0xE9}), "\"\xC3\xA9\""},
      {L"ソケット", "\"\xE3\x82\xBD\xE3\x82\xB1\xE3\x83\x83\xE3\x83\x88\""},
      // Bytes 0x80-0xFF of a block, widened.
      {units({0xFF80, 0xFFFF}), "\"\xEF\xBE\x80\xEF\xBF\xBF\""},
      {units({0xFFFD}), "\"\xEF\xBF\xBD\""},
  };
  for (const TextCase& c : cases) {
    SCOPED_TRACE(c.json);
    EXPECT_EQ(json::quote(c.text), c.json);
    std::string appended = "x";
    json::appendQuoted(appended, c.text);
    EXPECT_EQ(appended, "x" + c.json);
  }
}

TEST(JsonText, CharactersBeyondTheBasicPlaneAndStraySurrogates) {
  std::vector<TextCase> cases;
  if constexpr (sizeof(wchar_t) == 2) {
    cases = {
        {units({0xD83D, 0xDE00}), "\"\xF0\x9F\x98\x80\""},       // a pair
        {units({0xD83D}), "\"\xEF\xBF\xBD\""},                   // high alone at the end
        {units({0xD83D, 0x41}), "\"\xEF\xBF\xBD" "A\""},         // high before a non-surrogate
        {units({0xDE00, 0xD83D}), "\"\xEF\xBF\xBD\xEF\xBF\xBD\""},  // low first
    };
  } else {
    cases = {
        {units({0x1F600}), "\"\xF0\x9F\x98\x80\""},
        {units({0x10FFFF}), "\"\xF4\x8F\xBF\xBF\""},
        {units({0xD83D}), "\"\xEF\xBF\xBD\""},
        {units({0x110000}), "\"\xEF\xBF\xBD\""},
    };
  }
  for (const TextCase& c : cases) {
    SCOPED_TRACE(c.json);
    EXPECT_EQ(json::quote(c.text), c.json);
  }
}

TEST(JsonNumber, ShortestRoundTripAndNullForWhatJsonCannotHold) {
  const std::vector<std::pair<double, std::string>> reals = {
      {0.0, "0"},
      {35.685390000000005, "35.685390000000005"},
      {-35.5, "-35.5"},
      {0.1, "0.1"},
      {1e-7, "1e-07"},
      {1e21, "1e+21"},
      {std::numeric_limits<double>::quiet_NaN(), "null"},
      {std::numeric_limits<double>::infinity(), "null"},
      {-std::numeric_limits<double>::infinity(), "null"},
  };
  for (const auto& [value, text] : reals) {
    EXPECT_EQ(json::number(value), text);
    std::string appended;
    json::appendNumber(appended, value);
    EXPECT_EQ(appended, text);
  }
  EXPECT_EQ(json::number(std::int64_t{-5}), "-5");
  EXPECT_EQ(json::number(std::numeric_limits<std::int64_t>::min()), "-9223372036854775808");
  EXPECT_EQ(json::quote(std::string_view("a\"\x01")), "\"a\\\"\\u0001\"");
}

// The members of a plain record in order, as a fresh record has them.
const std::string fresh_plain =
    "{\"number\": \"\", \"order\": \"\", \"aux_text\": \"\", \"worker\": \"\", \"datetime\": \"\", "
    "\"lifecycle_counts\": \"\", \"has_coord\": false, \"latitude_text\": \"\", \"latitude\": 0, "
    "\"longitude_text\": \"\", \"longitude\": 0, \"barcode_present\": false, \"input_mode\": 0, "
    "\"input_mode_text\": \"\", \"joint_barcode\": \"\", \"barcode_kind\": 0, \"usage\": 0, \"resistance\": \"\", "
    "\"temperature\": \"\", \"output_voltage_max\": \"\", \"output_voltage_min\": \"\", "
    "\"input_voltage_max\": \"\", \"input_voltage_min\": \"\", \"output_seconds\": \"\", "
    "\"remain_output_seconds\": \"\", \"actual_output_seconds\": \"\", \"energy\": \"\", \"end_code\": 0, "
    "\"exit_code\": \"\", \"re_mark\": false, \"output_current_max\": \"\", \"output_current_min\": \"\", "
    "\"joint_traceability_barcode\": \"\", \"traceability_length\": 0, \"lot_number\": \"\", \"version\": \"\", "
    "\"maintenance_date\": \"\", \"scaled_31\": \"\", \"checksum_text\": \"\", \"checksum_error\": false, "
    "\"decoded_barcode\": null, \"remarks\": \"\"}";

const std::string fresh_battery_members =
    ", \"battery_type_code\": 0, \"battery_type\": \"\", \"battery_identifier\": \"\", \"battery_cycle\": \"\", "
    "\"battery_full_capacity\": \"\", \"battery_capacity_before\": \"\", \"battery_capacity_after\": \"\", "
    "\"battery_temperature_before\": \"\", \"battery_temperature_after\": \"\", "
    "\"battery_checksum_error\": false, \"battery_checksum\": 0, \"battery_checksum_computed\": 0}";

TEST(RecordJson, FreshRecordsListEveryMemberInOrder) {
  std::string plain;
  appendRecordJson(plain, file::Efdx{});
  EXPECT_EQ(plain, fresh_plain);
  // Appended after what the string holds already.
  std::string battery(1, '[');
  appendRecordJson(battery, file::EfdxBattery{});
  std::string expected(1, '[');
  expected.append(fresh_plain, 0, fresh_plain.size() - 1);
  expected.append(fresh_battery_members);
  EXPECT_EQ(battery, expected);
}

TEST(RecordJson, ValuesAndTheDecodedBarcode) {
  file::EfdxBattery r;
  r.number = L"12";
  r.worker = L"\"田中\"";
  r.has_coord = true;
  r.latitude = -35.685;
  r.longitude = std::numeric_limits<double>::quiet_NaN();
  r.end_code = -303;
  r.re_mark = true;
  r.battery_checksum_computed = -255;
  auto barcode = std::make_shared<DecodedBarcode>(L"3102\x7f");
  barcode->joint_kind = L"ソケット";
  r.decoded_barcode = barcode;
  std::string out;
  appendRecordJson(out, r);
  const auto has = [&](const std::string& part) {
    EXPECT_NE(out.find(part), std::string::npos) << part << "\n in " << out;
  };
  has("{\"number\": \"12\", ");
  has(", \"worker\": \"\\\"\xE7\x94\xB0\xE4\xB8\xAD\\\"\", ");
  has(", \"has_coord\": true, ");
  has(", \"latitude\": -35.685, ");
  has(", \"longitude\": null, ");
  has(", \"end_code\": -303, ");
  has(", \"re_mark\": true, ");
  has(", \"decoded_barcode\": {\"joint_output_voltage\": \"***\", \"joint_output_seconds\": \"***\", "
      "\"joint_resistance\": \"***\", \"joint_manufacturer\": \"***\", "
      "\"joint_kind\": \"\xE3\x82\xBD\xE3\x82\xB1\xE3\x83\x83\xE3\x83\x88\", \"joint_size\": \"***\", "
      "\"joint_management_id\": \"***\", \"joint_cooling_minutes\": \"***\", "
      "\"joint_barcode\": \"3102\\u007f\"}, \"remarks\": \"\", ");
  has(", \"battery_checksum_computed\": -255}");
}

TEST(RecordJson, RecordsLargerThanTheUsualStillComeOutWhole) {
  // Texts far beyond what the controller sends, of characters that take the
  // most room: the object is written all the same.
  file::Efdx r;
  r.remarks = std::wstring(20000, L'\x01');
  r.order = std::wstring(5000, L'ソ');
  std::string out = "prefix";
  appendRecordJson(out, r);
  std::string escapes;
  for (int i = 0; i < 20000; ++i) escapes += "\\u0001";
  std::string katakana;
  for (int i = 0; i < 5000; ++i) katakana += "\xE3\x82\xBD";
  EXPECT_EQ(out.rfind("prefix{\"number\": \"\", \"order\": \"" + katakana + "\", ", 0), 0u);
  const std::string tail = ", \"remarks\": \"" + escapes + "\"}";
  ASSERT_GE(out.size(), tail.size());
  EXPECT_EQ(out.substr(out.size() - tail.size()), tail);
}

TEST(RecordJson, RoomForManyRecordsKeepsWhatTheOutputHolds) {
  for (const std::size_t records : {std::size_t{0}, std::size_t{3}, std::size_t{20000}}) {
    SCOPED_TRACE(records);
    std::string out(1000, 'x');
    out += "{\"header\": ";
    const std::string before = out;
    reserveRecordsJson(out, records);
    EXPECT_EQ(out, before);
    EXPECT_GE(out.capacity(), before.size() + records * 1500);
    // Writing the records does not move the string.
    const char* data = out.data();
    for (std::size_t i = 0; i < records; ++i) appendRecordJson(out, file::Efdx{});
    EXPECT_EQ(out.data(), data);
    EXPECT_EQ(out.size(), before.size() + records * fresh_plain.size());
    EXPECT_EQ(out.compare(0, before.size(), before), 0);
  }
}

}  // namespace
}  // namespace kj::cli
