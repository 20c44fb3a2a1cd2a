#include "record/barcode.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace kj {
namespace {

// base with the characters at pos replaced by part.
std::wstring with(std::wstring base, std::size_t pos, const std::wstring& part) {
  return base.replace(pos, part.size(), part);
}

// Manufacturer letters ABCD, kind 3, size 63, class 3, voltage 39, resistance 123,
// seconds 080.
const std::wstring base24 = L"310203040633391230080000";

struct Expect24 {
  std::wstring text;
  const wchar_t* voltage;
  const wchar_t* seconds;
  const wchar_t* resistance;
  const wchar_t* manufacturer;
  const wchar_t* kind;
  const wchar_t* size;
  const wchar_t* cooling;
};

TEST(BarcodeTest, Digit24Layout) {
  const Expect24 cases[] = {
      {base24, L"39", L"79", L"1.23", L"ABCD", L"ソケット", L"63", L"***"},
      // Digit 6 = 3: three letters only, cooling time from digit 7, seconds still decoded.
      {with(base24, 6, L"31"), L"39", L"79", L"1.23", L"ABC", L"ソケット", L"63", L"10"},
      {with(base24, 6, L"39"), L"39", L"79", L"1.23", L"ABC", L"ソケット", L"63", L"***"},
      // Digit 6 of 4 or more: no seconds; letter code 45 reduces to 15 (O).
      {with(base24, 6, L"45"), L"39", L"***", L"1.23", L"ABCO", L"ソケット", L"63", L"***"},
      {with(base24, 18, L"000"), L"39", L"無限時間", L"1.23", L"ABCD", L"ソケット", L"63", L"***"},
      {with(base24, 18, L"001"), L"39", L"***", L"1.23", L"ABCD", L"ソケット", L"63", L"***"},
      {with(base24, 18, L"002"), L"39", L"***", L"1.23", L"ABCD", L"ソケット", L"63", L"***"},
      {with(base24, 18, L"003"), L"39", L"3", L"1.23", L"ABCD", L"ソケット", L"63", L"***"},
      {with(base24, 18, L"950"), L"39", L"2955", L"1.23", L"ABCD", L"ソケット", L"63", L"***"},
      {with(base24, 18, L"900"), L"39", L"887", L"1.23", L"ABCD", L"ソケット", L"63", L"***"},
      // Output voltage or current by the class digit.
      {with(base24, 11, L"199"), L"39.5", L"79", L"123.00", L"ABCD", L"ソケット", L"63", L"***"},
      {with(base24, 11, L"005"), L"5A", L"79", L"1.23", L"ABCD", L"ソケット", L"63", L"***"},
      {with(base24, 11, L"105"), L"***", L"79", L"123.00", L"ABCD", L"ソケット", L"63", L"***"},
      {with(base24, 11, L"190"), L"***", L"79", L"123.00", L"ABCD", L"ソケット", L"63", L"***"},
      {with(base24, 11, L"901"), L"***", L"79", L"12.30", L"ABCD", L"ソケット", L"63", L"***"},
      {with(base24, 11, L"599"), L"99A", L"79", L"12.30", L"ABCD", L"ソケット", L"63", L"***"},
      // Digit 2 of 3 or more hides the voltage (letter code 32 reduces to 2).
      {with(base24, 2, L"32"), L"***", L"79", L"1.23", L"ABCD", L"ソケット", L"63", L"***"},
      {with(base24, 14, L"000"), L"39", L"79", L"***", L"ABCD", L"ソケット", L"63", L"***"},
      {with(base24, 11, L"239150"), L"39", L"79", L"15.00", L"ABCD", L"ソケット", L"63", L"***"},
      // Invalid letter codes are skipped, the fourth becomes "*".
      {with(base24, 0, L"3027000027"), L"39", L"79", L"1.23", L"*", L"ソケット", L"273", L"***"},
      {with(base24, 0, L"61"), L"39", L"79", L"1.23", L"ABCD", L"片受口", L"63", L"***"},
      {with(base24, 0, L"1202030000"), L"39", L"79", L"1.23", L"LBC*", L"***", L"***", L"***"},
      // Sizes: 15..799 as they are, 800..999 with an inch designation.
      {with(base24, 8, L"014"), L"39", L"79", L"1.23", L"ABCD", L"ソケット", L"***", L"***"},
      {with(base24, 8, L"015"), L"39", L"79", L"1.23", L"ABCD", L"ソケット", L"15", L"***"},
      {with(base24, 8, L"850"), L"39", L"79", L"1.23", L"ABCD", L"ソケット", L"850 * IPS", L"***"},
      {with(base24, 8, L"999"), L"39", L"79", L"1.23", L"ABCD", L"ソケット", L"999 * 3/4 CTS", L"***"},
      // Kind 93 and 94 carry two sizes: 67 = 31 * 2 + 5.
      {with(base24, 0, L"93020304067"), L"39", L"79", L"1.23", L"BC", L"レジューサ", L"32 * 63", L"***"},
      {with(base24, 0, L"9402270417"), L"39", L"79", L"1.23", L"B", L"分水サドル", L"***", L"***"},
      {with(base24, 0, L"99"), L"39", L"79", L"1.23", L"BC", L"品種表示無効", L"63", L"***"},
  };
  for (const Expect24& c : cases) {
    SCOPED_TRACE(testing::Message() << "case #" << (&c - cases));
    const barcode::Digit24 b(c.text);
    EXPECT_EQ(b.joint_output_voltage, c.voltage);
    EXPECT_EQ(b.joint_output_seconds, c.seconds);
    EXPECT_EQ(b.joint_resistance, c.resistance);
    EXPECT_EQ(b.joint_manufacturer, c.manufacturer);
    EXPECT_EQ(b.joint_kind, c.kind);
    EXPECT_EQ(b.joint_size, c.size);
    EXPECT_EQ(b.joint_management_id, L"***");
    EXPECT_EQ(b.joint_cooling_minutes, c.cooling);
    EXPECT_EQ(b.joint_barcode, c.text);
  }
}

// Maker 0813 (H, M), kind 03, size 096 (3 and 3), management ABC123, voltage 00,
// resistance 700, seconds 080.
const std::wstring base32 = L"081303096ABC123000000700000800000";

struct Expect32 {
  std::wstring text;
  int variant;
  const wchar_t* voltage;
  const wchar_t* seconds;
  const wchar_t* resistance;
  const wchar_t* manufacturer;
  const wchar_t* kind;
  const wchar_t* size;
  const wchar_t* management;
};

TEST(BarcodeTest, Digit32Layout) {
  const std::wstring b = base32.substr(0, 32);
  const Expect32 cases[] = {
      {b, 0, L"39.5", L"79", L"10.20", L"日立金属(HM)", L"ソケット", L"25", L"ABC123"},
      {b, 1, L"39.5", L"79", L"10.20", L"日立金属(HM)", L"ソケット", L"25", L"ABC123"},
      {b, 2, L"39.5", L"79", L"10.20", L"***", L"***", L"***", L"***"},
      // Sizes: d < r reads the alternative tables at r - 1 and d.
      {with(b, 6, L"035"), 0, L"39.5", L"79", L"10.20", L"日立金属(HM)", L"ソケット", L"1 1/2 CTS * 1/2 CTS", L"ABC123"},
      {with(b, 6, L"035"), 1, L"39.5", L"79", L"10.20", L"日立金属(HM)", L"ソケット", L"25 * 15", L"ABC123"},
      {with(b, 6, L"157"), 0, L"39.5", L"79", L"10.20", L"日立金属(HM)", L"ソケット", L"40 * 20", L"ABC123"},
      {with(b, 6, L"130"), 1, L"39.5", L"79", L"10.20", L"日立金属(HM)", L"ソケット", L"40 * 30", L"ABC123"},
      {with(b, 6, L"000"), 0, L"39.5", L"79", L"10.20", L"日立金属(HM)", L"ソケット", L"***", L"ABC123"},
      {with(b, 6, L"017"), 0, L"39.5", L"79", L"10.20", L"日立金属(HM)", L"ソケット", L"2 IPS * ***", L"ABC123"},
      {with(b, 6, L"005"), 0, L"39.5", L"79", L"10.20", L"日立金属(HM)", L"ソケット", L"***", L"ABC123"},
      // Kinds: water codes fold into 0..29, gas codes are used as they are.
      {with(b, 4, L"33"), 0, L"39.5", L"79", L"10.20", L"日立金属(HM)", L"ソケット", L"25", L"ABC123"},
      {with(b, 4, L"64"), 0, L"39.5", L"79", L"10.20", L"日立金属(HM)", L"分水サドル", L"25", L"ABC123"},
      {with(b, 4, L"33"), 1, L"39.5", L"79", L"10.20", L"日立金属(HM)", L"***", L"25", L"ABC123"},
      {with(b, 4, L"24"), 0, L"39.5", L"79", L"10.20", L"日立金属(HM)", L"***", L"25", L"ABC123"},
      // Manufacturer codes.
      {with(b, 0, L"0102"), 0, L"39.5", L"79", L"10.20", L"(AB)", L"ソケット", L"25", L"ABC123"},
      {with(b, 0, L"0029"), 0, L"39.5", L"79", L"10.20", L"(@])", L"ソケット", L"25", L"ABC123"},
      {with(b, 0, L"3001"), 0, L"39.5", L"79", L"10.20", L"***", L"ソケット", L"25", L"ABC123"},
      // Output voltage codes.
      {with(b, 19, L"74"), 0, L"74", L"79", L"10.20", L"日立金属(HM)", L"ソケット", L"25", L"ABC123"},
      {with(b, 19, L"75"), 0, L"***", L"79", L"10.20", L"日立金属(HM)", L"ソケット", L"25", L"ABC123"},
      {with(b, 19, L"07"), 0, L"***", L"79", L"10.20", L"日立金属(HM)", L"ソケット", L"25", L"ABC123"},
      {with(b, 19, L"08"), 0, L"08", L"79", L"10.20", L"日立金属(HM)", L"ソケット", L"25", L"ABC123"},
      {with(b, 19, L"06"), 0, L"5.5A", L"79", L"10.20", L"日立金属(HM)", L"ソケット", L"25", L"ABC123"},
      // Resistance ranges.
      {with(b, 21, L"400"), 0, L"39.5", L"79", L"3.35", L"日立金属(HM)", L"ソケット", L"25", L"ABC123"},
      {with(b, 21, L"100"), 0, L"39.5", L"79", L"1.00", L"日立金属(HM)", L"ソケット", L"25", L"ABC123"},
      {with(b, 21, L"000"), 0, L"39.5", L"79", L"***", L"日立金属(HM)", L"ソケット", L"25", L"ABC123"},
      {with(b, 21, L"999"), 0, L"39.5", L"79", L"99.90", L"日立金属(HM)", L"ソケット", L"25", L"ABC123"},
      // Seconds: no unlimited time in this layout.
      {with(b, 26, L"000"), 0, L"39.5", L"***", L"10.20", L"日立金属(HM)", L"ソケット", L"25", L"ABC123"},
      {with(b, 26, L"001"), 0, L"39.5", L"1", L"10.20", L"日立金属(HM)", L"ソケット", L"25", L"ABC123"},
      {with(b, 26, L"950"), 0, L"39.5", L"2955", L"10.20", L"日立金属(HM)", L"ソケット", L"25", L"ABC123"},
  };
  for (const Expect32& c : cases) {
    SCOPED_TRACE(testing::Message() << "case #" << (&c - cases));
    const barcode::Digit32 d(c.text, c.variant);
    EXPECT_EQ(d.joint_output_voltage, c.voltage);
    EXPECT_EQ(d.joint_output_seconds, c.seconds);
    EXPECT_EQ(d.joint_resistance, c.resistance);
    EXPECT_EQ(d.joint_manufacturer, c.manufacturer);
    EXPECT_EQ(d.joint_kind, c.kind);
    EXPECT_EQ(d.joint_size, c.size);
    EXPECT_EQ(d.joint_management_id, c.management);
    EXPECT_EQ(d.joint_cooling_minutes, L"***");
    EXPECT_EQ(d.joint_barcode, c.text);
  }
}

TEST(BarcodeTest, FactoryPicksTheDecoderByKindCode) {
  const std::wstring b32 = base32.substr(0, 32);
  const auto ten = make_barcode(10, b32, 1);
  EXPECT_EQ(ten->joint_kind, L"***");
  EXPECT_EQ(ten->joint_manufacturer, L"***");
  EXPECT_EQ(ten->joint_resistance, L"10.20");

  const auto gas = make_barcode(32, b32, 1);
  EXPECT_EQ(gas->joint_kind, L"ソケット");

  const auto long24 = make_barcode(24, base24 + L"EXTRA", 0);
  EXPECT_EQ(long24->joint_barcode, base24);
  EXPECT_EQ(long24->joint_kind, L"ソケット");

  for (int kind : {0, 12, 33, -24}) {
    const auto none = make_barcode(kind, b32, 0);
    EXPECT_EQ(none->joint_barcode, L"***") << kind;
    EXPECT_EQ(none->joint_output_voltage, L"***") << kind;
    EXPECT_EQ(none->joint_size, L"***") << kind;
  }
}

TEST(BarcodeTest, DigitsBeyondTheTextOrNotDigitsRaise) {
  EXPECT_THROW(barcode::Digit24(L"3102030406"), std::out_of_range);
  EXPECT_THROW(barcode::Digit24(L"31020304063339123"), std::out_of_range);
  EXPECT_THROW(barcode::Digit24(L"310203040633391230"), std::invalid_argument);
  EXPECT_THROW(barcode::Digit24(with(base24, 8, L"ABC")), std::invalid_argument);
  EXPECT_THROW(barcode::Digit24(with(base24, 0, L"X")), std::invalid_argument);
  EXPECT_THROW(barcode::Digit32(base32.substr(0, 8), 0), std::out_of_range);
  EXPECT_THROW(barcode::Digit32(base32.substr(0, 25), 2), std::out_of_range);
  EXPECT_THROW(barcode::Digit32(base32.substr(0, 26), 2), std::invalid_argument);
  EXPECT_THROW(barcode::Digit32(with(base32, 19, L"XX"), 0), std::invalid_argument);
  // A text that ends inside a digit group reads the digits it has.
  EXPECT_EQ(barcode::Digit24(base24.substr(0, 19)).joint_output_seconds, L"無限時間");
  EXPECT_EQ(barcode::Digit24(base24.substr(0, 20)).joint_output_seconds, L"8");
  EXPECT_EQ(barcode::Digit32(base32.substr(0, 28), 2).joint_output_seconds, L"8");
}

}  // namespace
}  // namespace kj
