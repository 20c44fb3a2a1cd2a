#include "export/kml.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "record/barcode.h"

namespace kj::kml {
namespace {

file::Efdx positioned(std::wstring datetime, double latitude, double longitude) {
  file::Efdx r;
  r.datetime = std::move(datetime);
  r.has_coord = true;
  r.latitude = latitude;
  r.longitude = longitude;
  r.exit_code = L"正常終了 0";
  auto joint = std::make_shared<DecodedBarcode>(L"");
  joint->joint_kind = L"ソケット";
  joint->joint_size = L"50";
  r.decoded_barcode = std::move(joint);
  return r;
}

const std::wstring header =
    L"<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    L"<kml xmlns=\"http://earth.google.com/kml/2.0\">\n"
    L"<Document>\n";
const std::wstring footer = L"</Document>\n</kml>";

TEST(ComposeKml, OnePositionedRecordGivesTheWholeDocument) {
  const std::vector<file::Efdx> records{positioned(L"2024/03/05 09:07", 35.5, 139.25)};
  std::wstring out = L"left over";
  ASSERT_TRUE(composeKml(records, out));
  EXPECT_EQ(out, header +
                     L"<Placemark>\n"
                     L"  <name>2024/03/05 09:07</name>\n"
                     L"  <description>ソケット 50\n正常終了 0</description>\n"
                     L"  <Point>\n"
                     L"    <coordinates>139.250000,35.500000,0</coordinates>\n"
                     L"  </Point>\n"
                     L"</Placemark>\n" +
                     footer);
}

TEST(ComposeKml, CoordinatesAreSixDecimalsLongitudeFirst) {
  struct Case {
    double latitude, longitude;
    std::wstring coordinates;
  };
  const Case cases[] = {
      {-33.8688, 151.2093, L"151.209300,-33.868800,0"},   // southern hemisphere
      {40.4168, -3.7038, L"-3.703800,40.416800,0"},       // western hemisphere
      {-0.0000004, -0.0000006, L"-0.000001,-0.000000,0"}, // rounding and a negative zero text
      {0.1234565, 0.1234575, L"0.123457,0.123456,0"},     // rounded from the binary value, not the decimal text
  };
  for (const Case& c : cases) {
    std::wstring out;
    ASSERT_TRUE(composeKml(std::vector<file::Efdx>{positioned(L"t", c.latitude, c.longitude)}, out));
    EXPECT_NE(out.find(L"<coordinates>" + c.coordinates + L"</coordinates>"), std::wstring::npos)
        << c.latitude << "," << c.longitude;
  }
}

TEST(ComposeKml, OnlyPositionedRecordsBecomePlacemarks) {
  std::vector<file::Efdx> records{positioned(L"first", 1, 2), positioned(L"second", 3, 4),
                                  positioned(L"third", 35, 139)};
  records[0].has_coord = false;
  records[1].has_coord = false;
  std::wstring out;
  ASSERT_TRUE(composeKml(records, out));
  EXPECT_EQ(out.find(L"<Placemark>"), out.rfind(L"<Placemark>"));
  EXPECT_NE(out.find(L"<name>third</name>"), std::wstring::npos);
  EXPECT_EQ(out.find(L"first"), std::wstring::npos);

  records[2].has_coord = false;
  EXPECT_FALSE(composeKml(records, out));
  EXPECT_EQ(out, header + footer);
  EXPECT_FALSE(composeKml(std::vector<file::Efdx>{}, out));
  EXPECT_EQ(out, header + footer);
}

TEST(ComposeKml, BatteryRecordsComposeLikePlainOnes) {
  file::EfdxBattery battery;
  static_cast<file::Efdx&>(battery) = positioned(L"2024/03/05 09:07", 35.5, 139.25);
  std::wstring plain_out, battery_out;
  ASSERT_TRUE(composeKml(std::vector<file::Efdx>{positioned(L"2024/03/05 09:07", 35.5, 139.25)}, plain_out));
  ASSERT_TRUE(composeKml(std::vector<file::EfdxBattery>{battery}, battery_out));
  EXPECT_EQ(battery_out, plain_out);
}

TEST(ComposeKml, RecordWithoutJointBarcodeIsDescribedWithTheNoDataMark) {
  file::Efdx r = positioned(L"t", 1, 2);
  r.decoded_barcode.reset();
  std::wstring out;
  ASSERT_TRUE(composeKml(std::vector<file::Efdx>{r}, out));
  EXPECT_NE(out.find(L"<description>*** ***\n正常終了 0</description>"), std::wstring::npos);
}

TEST(ComposeKml, InsertedTextsAreEscapedAndCarryOnlyXmlCharacters) {
  struct Case {
    std::wstring text, written;
  };
  const Case cases[] = {
      {L"A&B <1> \"q\" 'a'", L"A&amp;B &lt;1&gt; \"q\" 'a'"},
      {L"a\x01" L"b\x1F" L"c", L"a\uFFFDb\uFFFDc"},                    // control characters
      {L"tab\tlf\ncr\r", L"tab\tlf\ncr\r"},                            // the three XML allows
      {std::wstring{L'\xFF80', L'\xFFFD', L'\xFFFE', L'\xFFFF'}, L"\uFF80\uFFFD\uFFFD\uFFFD"},  // widened bytes
      {std::wstring{L'x', static_cast<wchar_t>(0xD800), L'y'}, L"x\uFFFDy"},  // a lone surrogate
  };
  for (const Case& c : cases) {
    file::Efdx r = positioned(c.text, 1, 2);
    r.exit_code = c.text;
    auto joint = std::make_shared<DecodedBarcode>(L"");
    joint->joint_kind = c.text;
    joint->joint_size = c.text;
    r.decoded_barcode = std::move(joint);
    std::wstring out;
    ASSERT_TRUE(composeKml(std::vector<file::Efdx>{r}, out));
    EXPECT_NE(out.find(L"<name>" + c.written + L"</name>"), std::wstring::npos);
    EXPECT_NE(out.find(L"<description>" + c.written + L" " + c.written + L"\n" + c.written + L"</description>"),
              std::wstring::npos);
  }
}

}  // namespace
}  // namespace kj::kml
