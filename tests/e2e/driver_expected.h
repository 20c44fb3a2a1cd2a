#pragma once
// What the window must show for the sample record files in samples/. Worked
// out by hand from the field values the samples are built from (the fixture
// records of tests/samples) and the decoding rules, not taken from the
// program's output: a fault shared by the decoder and the window would pass a
// comparison with the command-line tool, but not these.

#include <array>
#include <string>
#include <utility>
#include <vector>

namespace e2e::expected {

using Row = std::array<std::wstring, 5>;          // the five list columns
using StatusTexts = std::array<std::wstring, 4>;  // the four status bar parts
// Detail dialog fields: control id and text.
using Fields = std::vector<std::pair<int, std::wstring>>;

struct Sample {
  std::wstring file;
  std::vector<Row> rows;
  StatusTexts status;
};

const Sample& positions();     // positions.efdx
const Sample& plain();         // plain.efd
const Sample& battery();       // battery.efdx
const Sample& merged();        // merged.mrgx
const Sample& badChecksums();  // bad-checksums.efdx

// Detail dialog texts of single records.
Fields positionsRecord0();  // every field of template 162
Fields positionsRecord2();
Fields positionsRecord3();
Fields positionsRecord4();        // the one with a 32-digit gas barcode
Fields plainRecord2();            // typed in by hand, reducer barcode
Fields batteryRecord(int index);  // the battery group of template 167, indexes 0..2
Fields badChecksumsRecord1();

inline const std::vector<std::wstring> kColumnTitles = {L"通し番号", L"日付/時刻", L"品種", L"サイズ",
                                                        L"終了状態(終了コード)"};
inline const std::vector<int> kColumnWidths = {60, 100, 100, 60, 200};
inline const std::vector<int> kStatusEdges = {65, 215, 365, 565};
inline const std::vector<std::wstring> kButtonNames = {
    L"recieve_ef",      L"abort_ef",       L"read_file", L"export_excel",
    L"printer_setting", L"export_printer", L"about",     L"exit"};

// The column of buttons along the left edge: 40 x 40 bitmap buttons at x 10
// named by their window text, and four group boxes from x 5 to 55.
struct Place {
  std::wstring text;
  int y;
  int height;
};
inline const std::vector<Place> kButtons = {
    {L"recieve_ef", 50, 40},       {L"abort_ef", 95, 40},        {L"read_file", 140, 40}, {L"export_excel", 205, 40},
    {L"printer_setting", 270, 40}, {L"export_printer", 315, 40}, {L"about", 375, 40},     {L"exit", 420, 40},
};
inline const std::vector<Place> kGroupBoxes = {
    {L"取込", 30, 155}, {L"変換", 185, 65}, {L"印刷", 250, 110}, {L"", 360, 105}};

}  // namespace e2e::expected
