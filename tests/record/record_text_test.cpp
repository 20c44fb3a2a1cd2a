#include "record/record_text.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "tests/support/record_fixture.h"

namespace kj {
namespace {

using test::RecordFields;
using test::soundRecord;

const file::Header kind0{0, 0, 33, 1, 0};
const file::Header kind1{1, 0, 39, 1, 0};
const file::Header kind2{2, 1, 48, 1, 11};

// ---------------------------------------------------------------- header

TEST(HeaderTest, Forms) {
  struct Case {
    std::wstring text;
    bool short_block;
    file::Header expected;
  };
  const Case cases[] = {
      {L"\x01" L"BT,01,048,0003,\x02", false, {2, 1, 48, 3, 11}},
      {L"\x01" L"PK,01,040,0002,", false, {3, 1, 40, 2, 11}},
      {L"\x01" L"XY,01,040,0002,", true, {4, 1, 40, 2, 11}},
      {L"5,\x02...", true, {0, 0, 33, 5, 0}},
      {L"5,\x02...", false, {1, 0, 39, 5, 0}},
      {L"0012x,", false, {1, 0, 39, 12, 0}},
      {L" 7", false, {1, 0, 39, 7, 0}},
      {L"70000,", false, {1, 0, 39, 70000 & 0xFFFF, 0}},
      {L"-1,", false, {1, 0, 39, 0xFFFF, 0}},
      {L"\x01" L"BT,-1,-01,0001,", false, {2, 0xFF, 0xFFFF, 1, 11}},
      {L"\x01" L"BT,01,048,0003", false, {2, 1, 48, 3, 11}},
      {L"\x01" L"BT,01,048,9", false, {2, 1, 48, 9, 11}},
      // Positions 3, 6 and 10 are not looked at.
      {L"\x01" L"BTx01y048z3,", false, {2, 1, 48, 3, 11}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "case #" << (&c - cases));
    const file::Header h = parseHeader(c.text, c.short_block);
    EXPECT_EQ(h.kind, c.expected.kind);
    EXPECT_EQ(h.revision, c.expected.revision);
    EXPECT_EQ(h.field_count, c.expected.field_count);
    EXPECT_EQ(h.record_count, c.expected.record_count);
    EXPECT_EQ(h.data_start, c.expected.data_start);
  }
}

TEST(HeaderTest, UnreadableHeadersRaise) {
  EXPECT_THROW(parseHeader(L"", false), std::invalid_argument);
  EXPECT_THROW(parseHeader(L",5", false), std::invalid_argument);
  EXPECT_THROW(parseHeader(L"\x02" L"1,2\x03", false), std::invalid_argument);
  EXPECT_THROW(parseHeader(L"4294967296,", false), std::out_of_range);
  EXPECT_THROW(parseHeader(L"\x01" L"BT,xx,048,0001,", false), std::invalid_argument);
  EXPECT_THROW(parseHeader(L"\x01" L"BT,01,048,", false), std::invalid_argument);
  EXPECT_THROW(parseHeader(L"\x01" L"BT,01,04", false), std::out_of_range);
  EXPECT_THROW(parseHeader(L"\x01" L"B", false), std::out_of_range);
}

// ---------------------------------------------------------------- splitting

TEST(SplitTest, FieldsKeepEmptyPieces) {
  EXPECT_EQ(splitFields(L"a,,b,"), (Row{L"a", L"", L"b", L""}));
  EXPECT_EQ(splitFields(L"abc"), (Row{L"abc"}));
  EXPECT_EQ(splitFields(L""), (Row{L""}));
  EXPECT_EQ(splitFields(L","), (Row{L"", L""}));
}

TEST(SplitTest, RecordsPairStxAndEtxByOrder) {
  struct Case {
    std::wstring text;
    std::uint32_t count;
    Rows expected;
  };
  const Case cases[] = {
      {L"2,\x02" L"a,b\x03\r\n\x02" L"c\x03", 2, {{L"a", L"b"}, {L"c"}}},
      {L"2,\x02" L"a\x03", 0, {}},
      // Fewer pairs than the count: the trailing rows have no fields.
      {L"3,\x02" L"a\x03\x02" L"b\x03", 3, {{L"a"}, {L"b"}, {}}},
      // More pairs than the count: the rest is ignored.
      {L"1,\x02" L"a\x03\x02" L"b\x03", 1, {{L"a"}}},
      // Text between ETX and STX is ignored.
      {L"2,\x02" L"a\x03junk,\x02" L"b\x03", 2, {{L"a"}, {L"b"}}},
      // A missing first STX starts the row at the beginning of the text.
      {L"1,a\x03", 1, {{L"1", L"a"}}},
      // A missing ETX runs the row to the end of the text.
      {L"1,\x02" L"a,b", 1, {{L"a", L"b"}}},
      {L"no frames", 2, {{L"no frames"}, {}}},
      // An ETX before its STX: the row runs from the STX to the end of the text,
      // and the pairs after it are one ETX behind.
      {L"\x03" L"2,\x02" L"a\x03\x02" L"b", 2, {{L"a\x03\x02" L"b"}, {L"b"}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "case #" << (&c - cases));
    EXPECT_EQ(splitRecords(c.text, c.count), c.expected);
  }
}

// ---------------------------------------------------------------- record set

template <class Record>
RecordVector<Record> decodeAll(const std::vector<RecordFields>& records, const file::Header& header,
                               RecordDecoder<Record> decoder, DecodeCounts& counts) {
  Rows rows;
  for (const RecordFields& r : records) rows.push_back(r.row());
  return decodeRecordSet<Record>(rows, header, decoder, counts);
}

TEST(RecordSetTest, CountsBadAbnormalAndPositions) {
  RecordFields abnormal = soundRecord(39, 1);
  abnormal[22] = L"300";
  test::fixChecksums(abnormal);
  RecordFields abnormalBad = abnormal;
  abnormalBad[32] = L"1";
  RecordFields unreadable = soundRecord(39, 3);
  unreadable[13] = L"abc";
  RecordFields noPosition = soundRecord(39, 4);
  noPosition[34] = L"0";

  DecodeCounts counts;
  const auto records =
      decodeAll<file::Efdx>({soundRecord(39, 0), abnormal, abnormalBad, unreadable, noPosition}, kind1, &decodeEfdx, counts);
  ASSERT_TRUE(records);
  ASSERT_EQ(records->size(), 5U);
  EXPECT_EQ(counts.bad_count, 2);
  EXPECT_EQ(counts.abnormal_end_count, 1);
  EXPECT_TRUE(counts.any_coord);
  EXPECT_TRUE((*records)[2].checksum_error);
  // The record whose decoding raised keeps what was filled before the error.
  EXPECT_EQ((*records)[3].number, L"4");
  EXPECT_EQ((*records)[3].joint_barcode, L"310203040633391230080000");
  EXPECT_TRUE((*records)[3].resistance.empty());
  EXPECT_TRUE((*records)[3].exit_code.empty());
}

TEST(RecordSetTest, PositionOfARaisingRecordIsNotExamined) {
  RecordFields r = soundRecord(39);
  r[22] = L"x";
  DecodeCounts counts;
  const auto records = decodeAll<file::Efdx>({r}, kind1, &decodeEfdx, counts);
  ASSERT_TRUE(records);
  EXPECT_TRUE((*records)[0].has_coord);
  EXPECT_FALSE(counts.any_coord);
  EXPECT_EQ(counts.bad_count, 1);
}

TEST(RecordSetTest, FieldCountMismatchRejectsTheBlock) {
  RecordFields extra = soundRecord(39);
  extra.f.push_back(L"");
  DecodeCounts counts;
  counts.bad_count = 7;
  EXPECT_FALSE(decodeAll<file::Efdx>({soundRecord(39), extra}, kind1, &decodeEfdx, counts));
  EXPECT_EQ(counts.bad_count, 0);
  EXPECT_FALSE(counts.any_coord);
  EXPECT_FALSE(decodeAll<file::Efdx>({soundRecord(33)}, kind1, &decodeEfdx, counts));
  EXPECT_FALSE(decodeRecordSet<file::Efdx>(Rows{Row{}}, kind1, &decodeEfdx, counts));
}

TEST(RecordSetTest, NoRowsGiveAnEmptyVector) {
  DecodeCounts counts;
  const auto records = decodeRecordSet<file::Efdx>(Rows{}, kind1, &decodeEfdx, counts);
  ASSERT_TRUE(records);
  EXPECT_TRUE(records->empty());
  EXPECT_EQ(counts.bad_count, 0);
  EXPECT_EQ(counts.abnormal_end_count, 0);
}

TEST(RecordSetTest, ShortTaggedRowsAreBadNotReadPastTheirEnd) {
  // A battery header announcing fewer fields than battery records have.
  const file::Header shortBattery{2, 1, 40, 1, 11};
  DecodeCounts counts;
  const auto records = decodeAll<file::EfdxBattery>({soundRecord(40)}, shortBattery, &decodeEfdxBattery, counts);
  ASSERT_TRUE(records);
  EXPECT_EQ(counts.bad_count, 1);
  EXPECT_EQ((*records)[0].battery_identifier, L"");
  EXPECT_EQ((*records)[0].battery_type, L"BQT-2261(HX)");
  EXPECT_EQ((*records)[0].exit_code, L"正常終了 (500)");

  const file::Header tiny{2, 1, 3, 1, 11};
  const auto three = decodeRecordSet<file::EfdxBattery>(Rows{Row{L"0", L"o", L"a"}}, tiny, &decodeEfdxBattery, counts);
  ASSERT_TRUE(three);
  EXPECT_EQ(counts.bad_count, 1);
  EXPECT_EQ((*three)[0].number, L"1");
  EXPECT_EQ((*three)[0].worker, L"");
}

// The text pass checks the rows before it builds anything and then cuts one
// row at a time; it must give what the rows give.
TEST(RecordSetTest, DecodingTheTextGivesWhatTheRowsGive) {
  RecordFields bad = soundRecord(39, 1);
  bad[32] = L"0";
  RecordFields raising = soundRecord(39, 2);
  raising[13] = L"abc";
  const std::wstring three = test::blockText(L"3,", {soundRecord(39, 0), bad, raising});
  struct Case {
    std::wstring text;
    std::uint32_t count;
    std::uint16_t field_count;
  };
  const Case cases[] = {
      {three, 3, 39},
      {three, 2, 39},   // more pairs than the count
      {three, 4, 39},   // fewer pairs: rejected
      {three, 3, 38},   // field count differs: rejected
      {three, 0, 39},
      {L"2,\x02" L"a,b\x03\x02" L"c,d\x03", 2, 2},
      {L"2,\x02" L"a,b\x03\x02" L"c\x03", 2, 2},
      {L"1,a\x03", 1, 2},                        // no first STX
      {L"1,\x02" L"a,b", 1, 2},                  // no ETX
      {L"\x03" L"2,\x02" L"a\x03\x02" L"b", 2, 1},  // ETX before its STX
      // Rows without a pair have no fields: they pass a field count of 0.
      {L"5,", 5, 0},
      {L"5,\x02\x03", 5, 0},
      {L"5,\x02\x03", 5, 1},
      {L"", 3, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "case #" << (&c - cases));
    const file::Header header{1, 0, c.field_count, 0, 0};
    DecodeCounts by_rows;
    DecodeCounts by_text;
    by_text.bad_count = 99;
    const auto expected = decodeRecordSet<file::Efdx>(splitRecords(c.text, c.count), header, &decodeEfdx, by_rows);
    const auto actual = decodeRecordText<file::Efdx>(c.text, c.count, header, &decodeEfdx, by_text);
    EXPECT_EQ(recordTextsFit(c.text, c.count, c.field_count), expected != nullptr);
    ASSERT_EQ(actual != nullptr, expected != nullptr);
    EXPECT_EQ(by_text.bad_count, by_rows.bad_count);
    EXPECT_EQ(by_text.abnormal_end_count, by_rows.abnormal_end_count);
    EXPECT_EQ(by_text.any_coord, by_rows.any_coord);
    if (!expected) continue;
    ASSERT_EQ(actual->size(), expected->size());
    for (std::size_t i = 0; i < expected->size(); ++i) {
      EXPECT_EQ((*actual)[i].number, (*expected)[i].number);
      EXPECT_EQ((*actual)[i].remarks, (*expected)[i].remarks);
      EXPECT_EQ((*actual)[i].exit_code, (*expected)[i].exit_code);
      EXPECT_EQ((*actual)[i].decoded_barcode != nullptr, (*expected)[i].decoded_barcode != nullptr);
    }
  }
}

TEST(RecordSetTest, RecordsOfTheSameBarcodeShareItsDecoding) {
  RecordFields other = soundRecord(39, 1);
  other[10] = L"310203040633391230090000";
  RecordFields digits32 = soundRecord(39, 3);
  digits32[12] = L"32";
  digits32[10] = L"31020304063339123008000012345678";
  RecordFields digits32_gas = digits32;  // the same digits read for gas usage
  digits32_gas[11] = L"1";
  RecordFields none_a = soundRecord(39, 5);
  none_a[9] = L"2";  // manual input: no barcode
  RecordFields none_b = none_a;
  const std::vector<RecordFields> records = {soundRecord(39, 0), other, soundRecord(39, 2), digits32, digits32_gas,
                                             none_a, none_b};
  std::wstring text = L"7,";
  for (const RecordFields& r : records) text += test::framed(r);
  DecodeCounts counts;
  const auto decoded = decodeRecordText<file::Efdx>(text, 7, kind1, &decodeEfdx, counts);
  ASSERT_TRUE(decoded);
  const auto barcode = [&](std::size_t i) { return (*decoded)[i].decoded_barcode.get(); };
  for (std::size_t i = 0; i < records.size(); ++i) ASSERT_NE(barcode(i), nullptr) << i;
  EXPECT_EQ(barcode(0), barcode(2));
  EXPECT_NE(barcode(0), barcode(1));
  EXPECT_NE(barcode(3), barcode(4));
  EXPECT_EQ(barcode(5), barcode(6));
  // Shared or not, each record shows what its own barcode decodes to.
  for (std::size_t i = 0; i < records.size(); ++i) {
    file::Efdx alone;
    decodeEfdx(alone, kind1, records[i].row());
    EXPECT_EQ(barcode(i)->joint_kind, alone.decoded_barcode->joint_kind) << i;
    EXPECT_EQ(barcode(i)->joint_size, alone.decoded_barcode->joint_size) << i;
    EXPECT_EQ(barcode(i)->joint_barcode, alone.decoded_barcode->joint_barcode) << i;
    EXPECT_EQ(barcode(i)->joint_manufacturer, alone.decoded_barcode->joint_manufacturer) << i;
  }
}

// ---------------------------------------------------------------- one record

file::Efdx decoded(const RecordFields& r, const file::Header& header, bool* sound = nullptr) {
  file::Efdx out;
  const bool ok = decodeEfdx(out, header, r.row());
  if (sound) *sound = ok;
  return out;
}

TEST(DecodeEfdxTest, SoundRecordTexts) {
  bool sound = false;
  const file::Efdx r = decoded(soundRecord(39, 41), kind1, &sound);
  EXPECT_TRUE(sound);
  EXPECT_EQ(r.number, L"42");
  EXPECT_EQ(r.order, L"ORD-001");
  EXPECT_EQ(r.aux_text, L"A1");
  EXPECT_EQ(r.worker, L"YAMADA");
  EXPECT_EQ(r.datetime, L"24/03/15 14:30");
  EXPECT_EQ(r.lifecycle_counts, L"123");
  EXPECT_FALSE(r.re_mark);
  EXPECT_TRUE(r.has_coord);
  EXPECT_EQ(r.latitude_text, L"35\x00B0" L"41.1234'N");
  EXPECT_EQ(r.longitude_text, L"139\x00B0" L"45.6789'E");
  EXPECT_NEAR(r.latitude, 35.68539, 1e-9);
  EXPECT_NEAR(r.longitude, 139.761315, 1e-9);
  EXPECT_TRUE(r.barcode_present);
  EXPECT_EQ(r.input_mode_text, L"");
  EXPECT_EQ(r.joint_barcode, L"310203040633391230080000");
  EXPECT_EQ(r.barcode_kind, 24);
  ASSERT_TRUE(r.decoded_barcode);
  EXPECT_EQ(r.decoded_barcode->joint_kind, L"ソケット");
  EXPECT_EQ(r.resistance, L"1.23");
  EXPECT_EQ(r.temperature, L"25");
  EXPECT_EQ(r.output_voltage_max, L"39.5");
  EXPECT_EQ(r.output_voltage_min, L"39.0");
  EXPECT_EQ(r.input_voltage_max, L"100.0");
  EXPECT_EQ(r.input_voltage_min, L"99.0");
  EXPECT_EQ(r.output_seconds, L"60");
  EXPECT_EQ(r.remain_output_seconds, L"0");
  EXPECT_EQ(r.actual_output_seconds, L"60");
  EXPECT_EQ(r.energy, L"1234");
  EXPECT_EQ(r.end_code, 500);
  EXPECT_EQ(r.exit_code, L"正常終了 (500)");
  EXPECT_EQ(r.output_current_max, L"12.0");
  EXPECT_EQ(r.output_current_min, L"11.0");
  EXPECT_EQ(r.joint_traceability_barcode, L"バーコードデータなし");
  EXPECT_EQ(r.lot_number, L"0312345");
  EXPECT_EQ(r.version, L"1.05");
  EXPECT_EQ(r.maintenance_date, L"24/03/15");
  EXPECT_EQ(r.scaled_31, L"1.5");
  EXPECT_EQ(r.checksum_text, L"155");
  EXPECT_FALSE(r.checksum_error);
  EXPECT_EQ(r.remarks, L"配水用途(24桁バーコード)");
}

TEST(DecodeEfdxTest, ChecksumComparesTheLowByte) {
  struct Case {
    const wchar_t* field32;
    bool sound;
  };
  // Fields 13-20 and 22 of the sound record sum to 3483, low byte 155.
  const Case cases[] = {{L"155", true}, {L"411", true}, {L"-101", true}, {L"154", false}, {L"156x", false}};
  for (const Case& c : cases) {
    RecordFields r = soundRecord(39);
    r[32] = c.field32;
    bool sound = !c.sound;
    const file::Efdx d = decoded(r, kind1, &sound);
    EXPECT_EQ(sound, c.sound) << c.field32;
    EXPECT_EQ(d.checksum_error, !c.sound) << c.field32;
    EXPECT_EQ(d.remarks.ends_with(L"(データ不良)"), !c.sound) << c.field32;
  }
}

TEST(DecodeEfdxTest, ChecksumSumsNegativeAndLargeValuesWithoutOverflow) {
  RecordFields r = soundRecord(39);
  for (std::size_t i : {13U, 14U, 15U, 16U, 17U, 18U, 19U, 20U}) r[i] = L"2147483647";
  r[22] = L"-2147483648";
  r[16] = L"0";  // keep lowest below highest
  r[18] = L"0";
  // Six fields of 2^31 - 1 and one of -2^31: -6 modulo 2^8, worked out by hand.
  r[32] = L"250";
  bool sound = false;
  const file::Efdx d = decoded(r, kind1, &sound);
  EXPECT_TRUE(sound) << d.checksum_text;
  EXPECT_EQ(d.actual_output_seconds, L"0");

  r[20] = L"-2147483648";
  r[32] = L"251";  // five fields of 2^31 - 1 now: -5 modulo 2^8
  sound = false;
  EXPECT_EQ(decoded(r, kind1, &sound).actual_output_seconds, L"4294967295");
  EXPECT_TRUE(sound);
  r[0] = L"2147483647";
  EXPECT_EQ(decoded(r, kind1).number, L"2147483648");
}

TEST(DecodeEfdxTest, ExtremesBelowTheirLowestAreUnmeasurable) {
  struct Case {
    const wchar_t* high;
    const wchar_t* low;
    const wchar_t* high_text;
    const wchar_t* low_text;
  };
  const Case cases[] = {
      {L"395", L"390", L"39.5", L"39.0"},
      {L"390", L"395", L"測定不可能", L"測定不可能"},
      {L"395", L"395", L"39.5", L"39.5"},
      {L"7", L"-5", L"0.7", L"-0.5"},
  };
  for (const Case& c : cases) {
    RecordFields r = soundRecord(39);
    r[23] = c.high;
    r[24] = c.low;
    const file::Efdx d = decoded(r, kind1);
    EXPECT_EQ(d.output_current_max, c.high_text) << c.high << "/" << c.low;
    EXPECT_EQ(d.output_current_min, c.low_text) << c.high << "/" << c.low;
  }
}

TEST(DecodeEfdxTest, InputModesAndBarcodePresence) {
  struct Case {
    const wchar_t* mode;
    const wchar_t* barcode;
    bool present;
    const wchar_t* mode_text;
    const wchar_t* remarks;
  };
  const std::wstring zeros(32, L'0');
  const Case cases[] = {
      {L"2", L"310203040633391230080000", false, L"", L"配水用途(バーコードデータなし)"},
      {L"6", L"310203040633391230080000", true, L"(手入力)", L"配水用途(24桁バーコード)"},
      {L"4", L"310203040633391230080000", true, L"(テストモード)", L"配水用途(24桁バーコード)"},
      {L"7", L"310203040633391230080000", true, L"(バリアSSモード)", L"配水用途(24桁バーコード)"},
      {L"1", L"", false, L"", L"配水用途(バーコードデータなし)"},
      {L"0", zeros.c_str(), false, L"", L"配水用途(バーコードデータなし)"},
      {L"0", L"310203310633391230080000", true, L"", L"配水用途(24桁バーコード) 冷却時間: 10分"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "case #" << (&c - cases));
    RecordFields r = soundRecord(39);
    r[9] = c.mode;
    r[10] = c.barcode;
    const file::Efdx d = decoded(r, kind1);
    EXPECT_EQ(d.barcode_present, c.present);
    EXPECT_EQ(d.input_mode_text, c.mode_text);
    EXPECT_EQ(d.remarks, c.remarks);
    EXPECT_EQ(d.barcode_kind, c.present ? 24 : 0);
    EXPECT_EQ(d.joint_barcode, c.present ? std::wstring(c.barcode) : L"***");
    ASSERT_TRUE(d.decoded_barcode);
    EXPECT_EQ(d.decoded_barcode->joint_kind, c.present ? L"ソケット" : L"***");
  }
}

TEST(DecodeEfdxTest, BarcodeKindsShapeTheRemarks) {
  RecordFields r = soundRecord(39);
  r[10] = L"310203040633391230080000EXTRA";
  file::Efdx d = decoded(r, kind1);
  EXPECT_EQ(d.joint_barcode, L"310203040633391230080000");
  EXPECT_EQ(d.decoded_barcode->joint_barcode, L"310203040633391230080000");

  r[10] = L"08130309600012300000070000008000";
  r[12] = L"32";
  d = decoded(r, kind1);
  EXPECT_EQ(d.remarks, L"配水用途");
  EXPECT_EQ(d.decoded_barcode->joint_manufacturer, L"日立金属(HM)");

  r[11] = L"1";  // gas usage: variant 1; kind 10 still reads electrical values only
  r[12] = L"10";
  test::fixChecksums(r);
  d = decoded(r, kind1);
  EXPECT_EQ(d.remarks, L"ガス用途(10桁バーコード)");
  EXPECT_EQ(d.decoded_barcode->joint_kind, L"***");
  EXPECT_EQ(d.decoded_barcode->joint_resistance, L"10.20");

  r[12] = L"12";
  d = decoded(r, kind1);
  EXPECT_EQ(d.remarks, L"ガス用途");
  EXPECT_EQ(d.decoded_barcode->joint_barcode, L"***");
}

TEST(DecodeEfdxTest, EndStatusAndReMark) {
  struct Case {
    const wchar_t* flags;
    const wchar_t* code;
    const wchar_t* text;
  };
  const Case cases[] = {
      {L"00000000", L"500", L"正常終了 (500)"},
      {L"10000000", L"500", L"正常終了 (500) RE"},
      {L"10000001", L"500", L"正常終了 (500)"},
      {L"00000000", L"303", L"強制終了:過電流保護 (303)"},
      {L"10000000", L"999", L"***"},
      {L"00000000", L"-1", L"***"},
  };
  for (const Case& c : cases) {
    RecordFields r = soundRecord(39);
    r[7] = c.flags;
    r[22] = c.code;
    test::fixChecksums(r);
    EXPECT_EQ(decoded(r, kind1).exit_code, c.text) << c.flags << " " << c.code;
  }
}

TEST(DecodeEfdxTest, TraceabilityVersionAndInspectionDate) {
  RecordFields r = soundRecord(39);
  r[25] = L"5";
  r[26] = L"ABCDEFG";
  r[28] = L"1234";
  r[29] = L"FFFFFF";
  file::Efdx d = decoded(r, kind1);
  EXPECT_EQ(d.joint_traceability_barcode, L"ABCDE");
  EXPECT_EQ(d.version, L"12.34");
  EXPECT_EQ(d.maintenance_date, L"***");

  r[25] = L"20";
  r[28] = L"12";
  r[29] = L"2403";
  d = decoded(r, kind1);
  EXPECT_EQ(d.joint_traceability_barcode, L"ABCDEFG");
  EXPECT_EQ(d.version, L".12");
  EXPECT_EQ(d.maintenance_date, L"24/03/");

  r[25] = L"0";
  EXPECT_EQ(decoded(r, kind1).joint_traceability_barcode, L"バーコードデータなし");
  r[25] = L"-3";
  EXPECT_EQ(decoded(r, kind1).joint_traceability_barcode, L"バーコードデータなし");
}

TEST(DecodeEfdxTest, Kind0ComposesTheLotNumber) {
  struct Case {
    const wchar_t* usage;
    const wchar_t* f27;
    const wchar_t* f30;
    const wchar_t* lot;
  };
  const Case cases[] = {
      {L"5", L"0C0B01", L"1A03", L"02260312111"},
      {L"1", L"010203", L"00FF", L"010255123"},
      {L"3", L"010203", L"0001", L"00001123"},
      {L"0", L"FFFFFF", L"1A03", L"***"},
      {L"0", L"0C0B01", L"FFFF", L"***"},
      {L"0", L"0C0BZZ", L"1A03", L"***"},
      {L"0", L"0C0B01", L"1", L"***"},
      {L"0", L"0C0B", L"1A03", L"***"},
      {L"0", L"0x0B01", L"1A03", L"0126030111"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "case #" << (&c - cases));
    RecordFields r = soundRecord(33);
    r[11] = c.usage;
    r[27] = c.f27;
    r[30] = c.f30;
    bool sound = false;
    const file::Efdx d = decoded(r, kind0, &sound);
    EXPECT_TRUE(sound);
    EXPECT_EQ(d.lot_number, c.lot);
    EXPECT_FALSE(d.has_coord);
    EXPECT_EQ(d.latitude_text, L"***");
    EXPECT_EQ(d.longitude_text, L"***");
  }
}

TEST(DecodeEfdxTest, Kind1TakesTheLotNumberAsSent) {
  RecordFields r = soundRecord(39);
  r[33] = L"";
  EXPECT_EQ(decoded(r, kind1).lot_number, L"");
}

TEST(DecodeEfdxTest, PositionsAndHemispheres) {
  RecordFields r = soundRecord(39);
  r[35] = L"S";
  r[37] = L"W";
  file::Efdx d = decoded(r, kind1);
  EXPECT_NEAR(d.latitude, -35.68539, 1e-9);
  EXPECT_NEAR(d.longitude, -139.761315, 1e-9);
  EXPECT_EQ(d.latitude_text, L"35\x00B0" L"41.1234'S");

  r[34] = L"0";
  d = decoded(r, kind1);
  EXPECT_FALSE(d.has_coord);
  EXPECT_EQ(d.latitude, 0);
  EXPECT_EQ(d.latitude_text, L"***");
}

// Each malformed field makes the record raise; the members before it stay filled.
TEST(DecodeEfdxTest, MalformedFieldsRaiseAfterTheMembersBeforeThem) {
  struct Case {
    std::size_t field;
    const wchar_t* value;
    bool (*filled)(const file::Efdx&);  // the last member that must be set
    bool (*empty)(const file::Efdx&);   // the first member that must not
  };
  const Case cases[] = {
      {0, L"x", [](const file::Efdx&) { return true; }, [](const file::Efdx& d) { return d.number.empty(); }},
      {4, L"2403151", [](const file::Efdx& d) { return d.worker == L"YAMADA"; },
       [](const file::Efdx& d) { return d.datetime.empty(); }},
      {36, L"3", [](const file::Efdx& d) { return d.re_mark == false && !d.lifecycle_counts.empty(); },
       [](const file::Efdx& d) { return d.latitude_text.empty(); }},
      {38, L"13", [](const file::Efdx& d) { return !d.latitude_text.empty(); },
       [](const file::Efdx& d) { return d.longitude_text.empty() && d.latitude == 0; }},
      {9, L"", [](const file::Efdx& d) { return d.has_coord; },
       [](const file::Efdx& d) { return d.input_mode_text.empty() && !d.barcode_present; }},
      {10, L"31020304063339123", [](const file::Efdx& d) { return d.joint_barcode == L"31020304063339123"; },
       [](const file::Efdx& d) { return !d.decoded_barcode && d.resistance.empty(); }},
      {13, L".", [](const file::Efdx& d) { return d.decoded_barcode != nullptr; },
       [](const file::Efdx& d) { return d.resistance.empty(); }},
      {20, L"x", [](const file::Efdx& d) { return d.output_seconds == L"60"; },
       [](const file::Efdx& d) { return d.actual_output_seconds.empty(); }},
      {28, L"5", [](const file::Efdx& d) { return !d.joint_traceability_barcode.empty(); },
       [](const file::Efdx& d) { return d.version.empty(); }},
      {29, L"240", [](const file::Efdx& d) { return d.version == L"1.05"; },
       [](const file::Efdx& d) { return d.maintenance_date.empty(); }},
      {31, L"", [](const file::Efdx& d) { return d.lot_number == L"0312345"; },
       [](const file::Efdx& d) { return d.scaled_31.empty(); }},
      // The check sum converts field 13 as an integer after it was read as a real.
      {13, L".5", [](const file::Efdx& d) { return d.checksum_text == L"155"; },
       [](const file::Efdx& d) { return d.remarks.empty(); }},
      {32, L"x", [](const file::Efdx& d) { return d.checksum_text == L"x"; },
       [](const file::Efdx& d) { return d.remarks.empty(); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "field " << c.field << " = '" << testing::PrintToString(std::wstring(c.value)));
    RecordFields r = soundRecord(39);
    r[c.field] = c.value;
    file::Efdx d;
    EXPECT_ANY_THROW(decodeEfdx(d, kind1, r.row()));
    EXPECT_TRUE(c.filled(d));
    EXPECT_TRUE(c.empty(d));
  }
}

// ---------------------------------------------------------------- battery

TEST(DecodeEfdxBatteryTest, BatteryTexts) {
  file::EfdxBattery d;
  EXPECT_TRUE(decodeEfdxBattery(d, kind2, soundRecord(48).row()));
  EXPECT_EQ(d.battery_type_code, 1);
  EXPECT_EQ(d.battery_type, L"BQT-2261(HX)");
  EXPECT_EQ(d.battery_identifier, L"BAT-01");
  EXPECT_EQ(d.battery_cycle, L"12");
  EXPECT_EQ(d.battery_full_capacity, L"25.00");
  EXPECT_EQ(d.battery_capacity_before, L"80");
  EXPECT_EQ(d.battery_capacity_after, L"75");
  EXPECT_EQ(d.battery_temperature_before, L"25.3");
  EXPECT_EQ(d.battery_temperature_after, L"26.0");
  // Fields 43-46 hold 80, 75, 2534 and 2600: 5289 = 20 * 256 + 169.
  EXPECT_EQ(d.battery_checksum, 169);
  EXPECT_EQ(d.battery_checksum_computed, 169);
  EXPECT_FALSE(d.battery_checksum_error);
  EXPECT_EQ(d.remarks, L"配水用途(24桁バーコード)");
  EXPECT_EQ(d.lot_number, L"0312345");
}

TEST(DecodeEfdxBatteryTest, PlaceholdersForValuesNotAvailable) {
  RecordFields r = soundRecord(48);
  r[39] = L"0";
  r[41] = L"65535";
  r[42] = L"65535";
  r[43] = L"255";
  r[44] = L"255";
  r[45] = L"9999";
  r[46] = L"-150";
  test::fixChecksums(r);
  file::EfdxBattery d;
  EXPECT_TRUE(decodeEfdxBattery(d, kind2, r.row()));
  EXPECT_EQ(d.battery_type, L"***");
  EXPECT_EQ(d.battery_cycle, L"***");
  EXPECT_EQ(d.battery_full_capacity, L"***");
  EXPECT_EQ(d.battery_capacity_before, L"測定不可能");
  EXPECT_EQ(d.battery_capacity_after, L"測定不可能");
  EXPECT_EQ(d.battery_temperature_before, L"測定不可能");
  EXPECT_EQ(d.battery_temperature_after, L"-1.5");
  r[39] = L"7";
  EXPECT_TRUE(decodeEfdxBattery(d = {}, kind2, r.row()));
  EXPECT_EQ(d.battery_type, L"***");
}

TEST(DecodeEfdxBatteryTest, BadCheckSumsAddTheNoteOnce) {
  struct Case {
    bool bad_record;
    bool bad_battery;
  };
  for (const Case c : {Case{false, true}, Case{true, false}, Case{true, true}}) {
    RecordFields r = soundRecord(48);
    if (c.bad_record) r[32] = L"1";
    if (c.bad_battery) r[47] = L"1";
    file::EfdxBattery d;
    EXPECT_FALSE(decodeEfdxBattery(d, kind2, r.row()));
    EXPECT_EQ(d.remarks, L"配水用途(24桁バーコード)(データ不良)") << c.bad_record << c.bad_battery;
    EXPECT_EQ(d.battery_checksum_error, c.bad_battery);
  }
}

TEST(DecodeEfdxBatteryTest, NegativeBatterySumKeepsItsSign) {
  RecordFields r = soundRecord(48);
  r[43] = L"-300";
  r[44] = L"0";
  r[45] = L"0";
  r[46] = L"0";
  r[47] = L"212";  // -300 = -2 * 256 + 212
  file::EfdxBattery d;
  EXPECT_TRUE(decodeEfdxBattery(d, kind2, r.row()));
  EXPECT_EQ(d.battery_checksum_computed, -44);
  EXPECT_EQ(d.battery_checksum, 212);
}

}  // namespace
}  // namespace kj
