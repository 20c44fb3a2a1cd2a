#include "tests/e2e/driver_expected.h"

namespace e2e::expected {

namespace {
const std::wstring kNormal = L"正常終了 (500)";
}  // namespace

// Five headerless records of 39 fields, 24-digit socket barcode (kind digit 3,
// size digits 063), lot number field 0312345 (controller model code 03).
// Record 3 ended with code 303; record 4 carries a 32-digit gas barcode
// (maker 0813, kind 03, size 096 = 31 * 3 + 3, so one size: 25).
const Sample& positions() {
  static const Sample s{
      L"positions.efdx",
      {
          Row{L"0", L"24/05/20 09:05", L"ソケット", L"63", kNormal},
          Row{L"1", L"24/05/20 09:31", L"ソケット", L"63", kNormal},
          Row{L"2", L"24/05/20 10:10", L"ソケット", L"63", kNormal},
          Row{L"3", L"24/05/20 11:22", L"ソケット", L"63", L"強制終了:過電流保護 (303)"},
          Row{L"4", L"24/05/20 13:48", L"ソケット", L"25", kNormal},
      },
      {L"KJ-M3", L"総記録数: 5 件", L"不良データ: 0 件", L"融着強制終了データ: 1 件"},
  };
  return s;
}

// Three records of 33 fields: the lot number is composed from usage 0
// (model code 01) and the hexadecimal parts 1A03 / 0C0B01. Record 1 has the
// gas barcode, record 2 a reducer barcode (kind 93, sizes 2 and 5 of 67).
const Sample& plain() {
  static const Sample s{
      L"plain.efd",
      {
          Row{L"0", L"24/03/15 14:30", L"ソケット", L"63", kNormal},
          Row{L"1", L"24/03/15 15:02", L"ソケット", L"25", kNormal},
          Row{L"2", L"24/03/15 15:47", L"レジューサ", L"32 * 63", kNormal},
      },
      {L"KJ-M1", L"総記録数: 3 件", L"不良データ: 0 件", L"融着強制終了データ: 0 件"},
  };
  return s;
}

const Sample& battery() {
  static const Sample s{
      L"battery.efdx",
      {
          Row{L"0", L"24/06/01 08:00", L"ソケット", L"63", kNormal},
          Row{L"1", L"24/06/01 08:01", L"ソケット", L"63", kNormal},
          Row{L"2", L"24/06/01 08:02", L"ソケット", L"63", L"強制終了:電池残量 低 (323)"},
      },
      {L"KJ-M3", L"総記録数: 3 件", L"不良データ: 0 件", L"融着強制終了データ: 1 件"},
  };
  return s;
}

// The header says one record; the file holds four, and a merged file counts
// what it holds.
const Sample& merged() {
  static const Sample s{
      L"merged.mrgx",
      {
          Row{L"0", L"24/07/01 12:00", L"ソケット", L"63", kNormal},
          Row{L"1", L"24/07/02 12:00", L"ソケット", L"63", kNormal},
          Row{L"2", L"24/07/03 12:00", L"ソケット", L"63", kNormal},
          Row{L"3", L"24/07/04 12:00", L"ソケット", L"63", kNormal},
      },
      {L"マージデータ", L"総記録数: 4 件", L"不良データ: 0 件", L"融着強制終了データ: 0 件"},
  };
  return s;
}

// Records 1 and 3 have wrong check sums: listed all the same, counted as bad;
// the model name comes from the last sound record (4).
const Sample& badChecksums() {
  static const Sample s{
      L"bad-checksums.efdx",
      {
          Row{L"0", L"24/08/10 15:00", L"ソケット", L"63", kNormal},
          Row{L"1", L"24/08/11 15:00", L"ソケット", L"63", kNormal},
          Row{L"2", L"24/08/12 15:00", L"ソケット", L"63", kNormal},
          Row{L"3", L"24/08/13 15:00", L"ソケット", L"63", kNormal},
          Row{L"4", L"24/08/14 15:00", L"ソケット", L"63", kNormal},
      },
      {L"KJ-M3", L"総記録数: 5 件", L"不良データ: 2 件", L"融着強制終了データ: 0 件"},
  };
  return s;
}

// Barcode 310203040633391230080000: letters A B C D (31 -> 1, 02, 03, 04),
// class digit 3 (voltage 39, resistance 123 / 100), seconds 80 * 0.985 -> 79.
Fields positionsRecord0() {
  return {
      {1033, L"0"},
      {1035, L"0312345"},
      {1036, L"1"},
      {1037, L"24/05/20 09:05"},
      {1042, L"ソケット"},
      {1044, L"63"},
      {1046, L"ABCD"},
      {1048, L"***"},
      {1043, L"1.23"},
      {1045, L"39"},
      {1047, L"79"},
      {1049, L"310203040633391230080000"},
      {1051, L"バーコードデータなし"},
      {1052, kNormal},
      {2, L"25"},
      {1060, L"1.23"},
      {1053, L"39.0"},
      {1057, L"39.5"},
      {1061, L"11.0"},
      {1062, L"12.0"},
      {1054, L"99.0"},
      {1058, L"100.0"},
      {1064, L"60"},
      {1065, L"0"},
      {1056, L"1234"},
      {1059, L"35°41.1234'N"},
      {1063, L"139°45.6789'E"},
      {1066, L"ORD-001"},
      {1071, L"YAMADA"},
      {1072, L"1.05"},
      {1073, L"24/03/15"},
      {1075, L"1200"},
      {1077, L"配水用途(24桁バーコード)"},
  };
}

Fields positionsRecord2() {
  return {
      {1033, L"2"},    {1036, L"3"},    {1037, L"24/05/20 10:10"}, {1059, L"35°40.9876'N"}, {1063, L"139°46.0123'E"},
      {1075, L"1202"}, {1052, kNormal},
  };
}

Fields positionsRecord3() {
  return {
      {1033, L"3"},   {1036, L"4"},   {1037, L"24/05/20 11:22"}, {1052, L"強制終了:過電流保護 (303)"},
      {1059, L"***"}, {1063, L"***"}, {1075, L"1203"},
  };
}

// 08130309600012300000070000008000: maker 0813 (HM), kind 03, size 096,
// management 000123, voltage code 00 (39.5), resistance 700 -> 10.20,
// seconds 008 -> 8.
Fields positionsRecord4() {
  return {
      {1033, L"4"},
      {1036, L"5"},
      {1037, L"24/05/20 13:48"},
      {1042, L"ソケット"},
      {1044, L"25"},
      {1046, L"日立金属(HM)"},
      {1048, L"000123"},
      {1043, L"10.20"},
      {1045, L"39.5"},
      {1047, L"8"},
      {1049, L"08130309600012300000070000008000"},
      {1059, L"35°39.5000'N"},
      {1063, L"139°44.2500'E"},
      {1075, L"1204"},
      {1077, L"ガス用途"},
  };
}

// Input mode 6: the barcode box shows the mode text. Reducer barcode
// 930203310673391230080000: letters B C, cooling index 1 -> 10 minutes.
Fields plainRecord2() {
  return {
      {1033, L"2"},
      {1035, L"01260312111"},
      {1036, L"3"},
      {1037, L"24/03/15 15:47"},
      {1042, L"レジューサ"},
      {1044, L"32 * 63"},
      {1046, L"BC"},
      {1049, L"(手入力)"},
      {1059, L"***"},
      {1063, L"***"},
      {1077, L"配水用途(24桁バーコード) 冷却時間: 10分"},
  };
}

Fields batteryRecord(int index) {
  switch (index) {
    case 0:
      return {{1033, L"0"},    {1037, L"24/06/01 08:00"}, {1074, L"BQT-2261(HX)"}, {1076, L"BAT-01"},
              {1078, L"12"},   {1079, L"25.00"},          {1080, L"80"},           {1081, L"75"},
              {1082, L"25.3"}, {1083, L"26.0"},           {1052, kNormal}};
    case 1:  // cycle count 65535 and charge 255 stand for "not known"
      return {{1033, L"1"},     {1037, L"24/06/01 08:01"}, {1074, L"BQT-2261(HX)"}, {1078, L"***"},
              {1079, L"25.00"}, {1080, L"測定不可能"},     {1081, L"75"},           {1082, L"25.3"}};
    default:  // type 2, temperature 9999, forced end 323
      return {{1033, L"2"},  {1037, L"24/06/01 08:02"}, {1074, L"BQTX318"}, {1078, L"12"},
              {1080, L"80"}, {1082, L"測定不可能"},     {1083, L"26.0"},    {1052, L"強制終了:電池残量 低 (323)"}};
  }
}

Fields badChecksumsRecord1() {
  return {
      {1033, L"1"},
      {1036, L"2"},
      {1037, L"24/08/11 15:00"},
      {1077, L"配水用途(24桁バーコード)(データ不良)"},
  };
}

}  // namespace e2e::expected
