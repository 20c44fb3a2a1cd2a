#include "export/native_excel_driver.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <map>

#include "base/text_encoding.h"
#include "export/sheet_writer.h"
#include "tests/export/sheet_fixture.h"
#include "tests/support/xls_reader.h"

namespace kj::sheet {
namespace {

namespace fs = std::filesystem;
using test::le16;
using test::le32;

// A fresh folder for the files of one test.
class TempFolder {
 public:
  TempFolder() {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    path_ = fs::temp_directory_path() / (std::string("kj_xls_") + info->test_suite_name() + "_" + info->name());
    fs::remove_all(path_);
    fs::create_directories(path_);
  }
  ~TempFolder() {
    std::error_code ignored;
    fs::remove_all(path_, ignored);
  }
  fs::path file(const std::string& name) const { return path_ / name; }
  std::vector<std::string> names() const {
    std::vector<std::string> out;
    for (const auto& e : fs::directory_iterator(path_)) out.push_back(e.path().filename().string());
    std::sort(out.begin(), out.end());
    return out;
  }

 private:
  fs::path path_;
};

std::wstring wide(const fs::path& p) { return fromUtf8(p.string()); }

// A cell as the workbook stores it.
struct StoredCell {
  std::uint16_t type = 0;  // LABELSST, NUMBER or BLANK
  std::uint16_t xf = 0;
  std::u16string text;
  double number = 0;
};

// The workbook read back through the independent readers.
struct ReadBack {
  std::vector<test::BiffRecord> globals, sheet;
  std::vector<std::u16string> strings;
  std::map<std::pair<int, int>, StoredCell> cells;
  std::u16string sheet_name;

  std::vector<const test::BiffRecord*> all(std::uint16_t type) const {
    std::vector<const test::BiffRecord*> out;
    for (const auto& r : sheet) if (r.type == type) out.push_back(&r);
    for (const auto& r : globals) if (r.type == type) out.push_back(&r);
    return out;
  }
  // The XF record of a cell XF index.
  std::span<const std::uint8_t> xf(std::uint16_t index) const {
    std::uint16_t i = 0;
    for (const auto& r : globals) {
      if (r.type == 0x00E0 && i++ == index) return r.data;
    }
    ADD_FAILURE() << "no XF " << index;
    static const std::vector<std::uint8_t> none(20, 0);
    return none;
  }
  bool wraps(std::uint16_t index) const { return (xf(index)[6] & 0x08) != 0; }
  bool textFormat(std::uint16_t index) const { return le16(xf(index), 2) == 49; }
  bool bordered(std::uint16_t index) const {
    const auto x = xf(index);
    return (le32(x, 10) & 0xFFFF) == 0x1111;  // thin on all four sides
  }
  const StoredCell& at(int row, int column) const {
    static const StoredCell none;
    const auto it = cells.find({row, column});
    return it == cells.end() ? none : it->second;
  }
};

std::optional<ReadBack> readBack(const fs::path& path) {
  const std::vector<std::uint8_t> bytes = test::readFileBytes(path.string());
  std::string error;
  const auto file = test::readCompoundFile(bytes, error);
  if (!file) {
    ADD_FAILURE() << error;
    return std::nullopt;
  }
  EXPECT_EQ(file->stream_name, u"Workbook");
  ReadBack out;
  auto globals = test::readSubstream(file->stream, 0, error);
  if (!globals) {
    ADD_FAILURE() << error;
    return std::nullopt;
  }
  out.globals = std::move(*globals);
  EXPECT_EQ(out.globals.front().type, 0x0809);
  EXPECT_EQ(le16(out.globals.front().data, 2), 0x0005);
  auto strings = test::readSharedStrings(out.globals, error);
  if (!strings) {
    ADD_FAILURE() << error;
    return std::nullopt;
  }
  out.strings = std::move(*strings);
  std::uint32_t sheet_offset = 0;
  for (const auto& r : out.globals) {
    if (r.type != 0x0085) continue;
    sheet_offset = le32(r.data, 0);
    const std::size_t n = r.data[6];
    for (std::size_t i = 0; i < n; ++i) out.sheet_name.push_back(static_cast<char16_t>(le16(r.data, 8 + 2 * i)));
  }
  auto sheet = test::readSubstream(file->stream, sheet_offset, error);
  if (!sheet) {
    ADD_FAILURE() << error;
    return std::nullopt;
  }
  out.sheet = std::move(*sheet);
  EXPECT_EQ(out.sheet.front().type, 0x0809);
  EXPECT_EQ(le16(out.sheet.front().data, 2), 0x0010);
  for (const auto& r : out.sheet) {
    if (r.type != 0x00FD && r.type != 0x0203 && r.type != 0x0201) continue;
    StoredCell c;
    c.type = r.type;
    c.xf = le16(r.data, 4);
    if (r.type == 0x00FD) c.text = out.strings.at(le32(r.data, 6));
    if (r.type == 0x0203) c.number = test::leDouble(r.data, 6);
    EXPECT_TRUE(out.cells.emplace(std::make_pair(le16(r.data, 0), le16(r.data, 2)), c).second) << "cell twice";
  }
  return out;
}

std::u16string u16(std::wstring_view text) { return xls::toUtf16(text); }

std::vector<std::wstring_view> views(const std::vector<std::wstring>& texts) { return {texts.begin(), texts.end()}; }

TEST(NativeExcelDriver, TheSheetBuildersFillTheWorkbook) {
  TempFolder folder;
  const auto records = test::labelledRecords<file::Efdx>(3);
  PlainSelection every;
  every.fill(true);
  NativeExcelDriver driver;
  ASSERT_TRUE(writeEfdxSheet(every, records, driver));
  ASSERT_TRUE(driver.saveAs(wide(folder.file("plain.xls"))));
  driver.close();
  const auto book = readBack(folder.file("plain.xls"));
  ASSERT_TRUE(book);
  EXPECT_EQ(book->sheet_name, u"融着記録");

  // Row 1: the group texts at the first column of each group, merged over it.
  EXPECT_EQ(book->at(0, 3).text, u"継手情報");
  EXPECT_EQ(book->at(0, 12).text, u"融着記録");
  EXPECT_EQ(book->at(0, 27).text, u"管理情報");
  EXPECT_EQ(book->at(0, 4).type, 0x0201);  // merged away: a bordered blank
  std::vector<std::array<int, 4>> merges;
  for (const auto* r : book->all(0x00E5)) {
    for (std::size_t i = 0; i < le16(r->data, 0); ++i) {
      merges.push_back({le16(r->data, 2 + 8 * i), le16(r->data, 4 + 8 * i), le16(r->data, 6 + 8 * i),
                        le16(r->data, 8 + 8 * i)});
    }
  }
  EXPECT_EQ(merges, (std::vector<std::array<int, 4>>{{0, 0, 0, 2}, {0, 0, 3, 11}, {0, 0, 12, 26}, {0, 0, 27, 32}}));

  // Row 2: the headers; those with a line feed wrap, and the row holds two lines.
  EXPECT_EQ(book->at(1, 0).text, u"機体番号");
  EXPECT_EQ(book->at(1, 7).text, u"標準\n抵抗");
  EXPECT_TRUE(book->wraps(book->at(1, 7).xf));
  EXPECT_FALSE(book->wraps(book->at(1, 0).xf));
  std::map<int, int> heights;
  for (const auto* r : book->all(0x0208)) heights[le16(r->data, 0)] = le16(r->data, 6) & 0x7FFF;
  EXPECT_EQ(heights.at(1), 2 * xls::default_row_height);
  EXPECT_EQ(heights.at(0), xls::default_row_height);
  EXPECT_EQ(heights.at(4), xls::default_row_height);

  // The data: every column's text of every record, "@" columns text-formatted.
  for (int r = 0; r < 3; ++r) {
    EXPECT_EQ(book->at(2 + r, 0).text, u16(test::labelled(L"lot_number", r + 1)));
    EXPECT_EQ(book->at(2 + r, 3).text, u16(test::labelled(L"joint_kind", r + 1)));
    EXPECT_EQ(book->at(2 + r, 25).text, u16(test::labelled(L"latitude_text", r + 1)));
    EXPECT_EQ(book->at(2 + r, 32).text, u16(test::labelled(L"remarks", r + 1)));
    EXPECT_TRUE(book->textFormat(book->at(2 + r, 0).xf));
    EXPECT_FALSE(book->textFormat(book->at(2 + r, 1).xf));
  }
  // The grid: every cell from A1 to AG5 has its four thin borders, nothing beyond.
  for (int r = 0; r < 5; ++r) {
    for (int c = 0; c < 33; ++c) {
      ASSERT_NE(book->at(r, c).type, 0) << r << "," << c;
      EXPECT_TRUE(book->bordered(book->at(r, c).xf)) << r << "," << c;
    }
  }
  EXPECT_EQ(book->cells.size(), 5u * 33u);
  // Widths: the longest line of each column; full-width characters count two.
  std::map<int, int> widths;
  for (const auto* r : book->all(0x007D)) {
    for (int c = le16(r->data, 0); c <= le16(r->data, 2); ++c) widths[c] = le16(r->data, 4);
  }
  EXPECT_EQ(widths.at(11), (34 + 1) * 256);  // "トレーサビリティーバーコードデータ"
  EXPECT_EQ(widths.at(7), (static_cast<int>(test::labelled(L"joint_resistance", 3).size()) + 1) * 256);
  EXPECT_EQ(widths.at(0), (static_cast<int>(test::labelled(L"lot_number", 3).size()) + 1) * 256);
}

TEST(NativeExcelDriver, GeneralColumnsTakePlainDecimalsAsNumbers) {
  struct Case {
    std::wstring text;
    std::optional<double> number;
  } const cases[] = {
      {L"12", 12},         {L"-3.25", -3.25}, {L"007", 7},        {L"0.50", 0.5},  {L"-0", 0},
      {L"1.", {}},         {L".5", {}},       {L"+5", {}},        {L"1e3", {}},    {L"1,000", {}},
      {L" 12", {}},        {L"12 ", {}},      {L"--1", {}},       {L"１２", {}},   {L"***", {}},
      {L"24/03/15", {}},   {L"", {}},         {L"12.5.1", {}},    {L"-", {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(toUtf8(c.text));
    EXPECT_EQ(plainDecimal(c.text), c.number);
  }
  // Through the sheet: column A general, column B text; the same texts in both.
  TempFolder folder;
  NativeExcelDriver driver;
  ASSERT_TRUE(driver.open(sheet_name));
  ASSERT_TRUE(driver.setNumberFormat(L"B1:B40", L"@"));
  std::vector<std::wstring> texts;
  for (const Case& c : cases) {
    texts.push_back(c.text);
    texts.push_back(c.text);
  }
  const auto cells = views(texts);
  ASSERT_TRUE(driver.writeBlock(1, TextRows(cells, 2)));
  ASSERT_TRUE(driver.saveAs(wide(folder.file("numbers.xls"))));
  const auto book = readBack(folder.file("numbers.xls"));
  ASSERT_TRUE(book);
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    const Case& c = cases[i];
    SCOPED_TRACE(toUtf8(c.text));
    const int row = static_cast<int>(i);
    const StoredCell& general = book->at(row, 0);
    const StoredCell& text = book->at(row, 1);
    if (c.text.empty()) {
      EXPECT_EQ(general.type, 0);      // nothing in a general empty cell
      EXPECT_EQ(text.type, 0x0201);    // a text-formatted blank
    } else if (c.number) {
      EXPECT_EQ(general.type, 0x0203);
      EXPECT_EQ(general.number, *c.number);
      EXPECT_FALSE(*c.number == 0 && std::signbit(general.number));  // no negative zero
    } else {
      EXPECT_EQ(general.type, 0x00FD);
      EXPECT_EQ(general.text, u16(c.text));
    }
    if (!c.text.empty()) {
      EXPECT_EQ(text.type, 0x00FD);
      EXPECT_EQ(text.text, u16(c.text));
      EXPECT_TRUE(book->textFormat(text.xf));
    }
  }
}

TEST(NativeExcelDriver, SharedStringsAreStoredOnceAndSplitOnlyBetweenCharacters) {
  // Long texts in one byte and two bytes a unit, texts of surrogate pairs of
  // every length up to 40 (so that record ends fall at every parity), many
  // short distinct texts, and repeats.
  std::vector<std::wstring> texts;
  texts.push_back(std::wstring(9000, L'a'));
  texts.push_back(std::wstring(20000, L'融'));
  texts.push_back(std::wstring(32767, L'b'));
  std::wstring pair;
  if constexpr (sizeof(wchar_t) == 2) {
    pair = L"\xD840\xDC0B";
  } else {
    pair = std::wstring(1, static_cast<wchar_t>(0x2000B));
  }
  for (int n = 1; n <= 40; ++n) {
    for (int k = 0; k < 8; ++k) {
      std::wstring t = std::to_wstring(k) + L"ー";
      for (int i = 0; i < n; ++i) t += pair;
      texts.push_back(t);
    }
  }
  for (int i = 0; i < 3000; ++i) texts.push_back(L"s" + std::to_wstring(i) + L"é");
  std::vector<std::wstring> cells_text = texts;
  cells_text.insert(cells_text.end(), texts.begin(), texts.begin() + 100);  // repeats
  while (cells_text.size() % 4 != 0) cells_text.push_back(L"x");
  const auto cells = views(cells_text);
  TempFolder folder;
  NativeExcelDriver driver;
  ASSERT_TRUE(driver.open(sheet_name));
  ASSERT_TRUE(driver.setNumberFormat(L"A:D", L"@"));
  ASSERT_TRUE(driver.writeBlock(1, TextRows(cells, 4)));
  ASSERT_TRUE(driver.saveAs(wide(folder.file("strings.xls"))));
  const auto book = readBack(folder.file("strings.xls"));
  ASSERT_TRUE(book);
  std::vector<std::u16string> expected;
  for (const auto& t : texts) expected.push_back(u16(t));
  if (cells_text.back() == L"x") expected.push_back(u"x");
  EXPECT_EQ(book->strings, expected);
  EXPECT_GE(book->all(0x003C).size(), 10u);
  for (std::size_t i = 0; i < cells_text.size(); ++i) {
    ASSERT_EQ(book->at(static_cast<int>(i / 4), static_cast<int>(i % 4)).text, u16(cells_text[i])) << i;
  }
  // The SST counts its references; the extended table points at string starts.
  const auto* sst = book->all(0x00FC).at(0);
  EXPECT_EQ(le32(sst->data, 0), cells_text.size());
  EXPECT_EQ(le32(sst->data, 4), expected.size());
  const auto* extsst = book->all(0x00FF).at(0);
  const std::size_t per_bucket = le16(extsst->data, 0);
  ASSERT_GE(per_bucket, 8u);
  const std::size_t buckets = (extsst->data.size() - 2) / 8;
  EXPECT_EQ(buckets, (expected.size() + per_bucket - 1) / per_bucket);
  std::map<std::uint64_t, const test::BiffRecord*> by_offset;
  for (const auto& r : book->globals) by_offset[r.offset] = &r;
  for (std::size_t b = 0; b < buckets; ++b) {
    const std::uint32_t at = le32(extsst->data, 2 + 8 * b);
    const std::uint16_t in_record = le16(extsst->data, 6 + 8 * b);
    const auto it = by_offset.find(at - in_record);
    ASSERT_NE(it, by_offset.end()) << b;
    const auto& data = it->second->data;
    ASSERT_LE(in_record - 4u + 3u, data.size());
    EXPECT_EQ(le16(data, in_record - 4u), expected[b * per_bucket].size()) << b;
  }
}

TEST(NativeExcelDriver, IndexAndRowBlocksPointAtTheirRecords) {
  TempFolder folder;
  NativeExcelDriver driver;
  ASSERT_TRUE(driver.open(sheet_name));
  std::vector<std::wstring> texts;
  for (int i = 0; i < 100 * 3; ++i) texts.push_back(i % 5 == 0 ? std::to_wstring(i) : L"t" + std::to_wstring(i % 7));
  const auto cells = views(texts);
  ASSERT_TRUE(driver.writeBlock(2, TextRows(cells, 3)));
  ASSERT_TRUE(driver.drawGrid(L"A1:D101"));
  ASSERT_TRUE(driver.saveAs(wide(folder.file("blocks.xls"))));
  const auto book = readBack(folder.file("blocks.xls"));
  ASSERT_TRUE(book);
  const auto* dimensions = book->all(0x0200).at(0);
  EXPECT_EQ(le32(dimensions->data, 0), 0u);
  EXPECT_EQ(le32(dimensions->data, 4), 101u);
  EXPECT_EQ(le16(dimensions->data, 10), 4u);
  std::map<std::uint64_t, const test::BiffRecord*> by_offset;
  for (const auto& r : book->sheet) by_offset[r.offset] = &r;
  const auto* index = book->all(0x020B).at(0);
  EXPECT_EQ(le32(index->data, 8), 101u);
  EXPECT_EQ(by_offset.at(le32(index->data, 12))->type, 0x0055);
  const std::size_t blocks = (index->data.size() - 16) / 4;
  ASSERT_EQ(blocks, 4u);  // rows 0-31, 32-63, 64-95, 96-100
  for (std::size_t b = 0; b < blocks; ++b) {
    SCOPED_TRACE(b);
    const std::uint64_t at = le32(index->data, 16 + 4 * b);
    ASSERT_TRUE(by_offset.count(at));
    const auto& dbcell = *by_offset.at(at);
    ASSERT_EQ(dbcell.type, 0x00D7);
    const std::uint64_t first_row = at - le32(dbcell.data, 0);
    ASSERT_TRUE(by_offset.count(first_row));
    EXPECT_EQ(by_offset.at(first_row)->type, 0x0208);
    EXPECT_EQ(le16(by_offset.at(first_row)->data, 0), 32 * b);
    std::uint64_t cell = first_row + 20;  // the end of the first ROW record
    const std::size_t rows = (dbcell.data.size() - 4) / 2;
    EXPECT_EQ(rows, b < 3 ? 32u : 5u);
    for (std::size_t i = 0; i < rows; ++i) {
      cell += le16(dbcell.data, 4 + 2 * i);
      ASSERT_TRUE(by_offset.count(cell)) << i;
      const auto& record = *by_offset.at(cell);
      EXPECT_TRUE(record.type == 0x00FD || record.type == 0x0203 || record.type == 0x0201) << record.type;
      EXPECT_EQ(le16(record.data, 0), 32 * b + i);
      EXPECT_EQ(le16(record.data, 2), 0u);
    }
  }
  // The values: numbers where the text is one, blank bordered cells in column D.
  EXPECT_EQ(book->at(1, 0).type, 0x0203);
  EXPECT_EQ(book->at(1, 0).number, 0);
  EXPECT_EQ(book->at(1, 1).text, u"t1");
  EXPECT_EQ(book->at(50, 3).type, 0x0201);
  EXPECT_TRUE(book->bordered(book->at(50, 3).xf));
}

TEST(NativeExcelDriver, MergesKeepTheTopLeftValueAndFillRecordsOf1026) {
  TempFolder folder;
  NativeExcelDriver driver;
  ASSERT_TRUE(driver.open(sheet_name));
  const std::vector<std::wstring> texts = {L"a", L"b", L"c", L"d", L"e", L"f"};
  const auto cells = views(texts);
  ASSERT_TRUE(driver.writeBlock(1, TextRows(cells, 3)));
  ASSERT_TRUE(driver.merge(L"A1:B2"));
  ASSERT_TRUE(driver.merge(L"C1:C1"));  // one cell: nothing to merge
  ASSERT_TRUE(driver.merge(L"B2:C2"));  // overlaps A1:B2: the two become A1:C2
  const xls::Worksheet& sheet = *driver.worksheet();
  EXPECT_EQ(sheet.merges(), (std::vector<xls::CellRange>{{0, 0, 1, 2}}));
  EXPECT_EQ(sheet.value(0, 0).kind, xls::CellValue::Kind::text);
  for (const auto& [r, c] : {std::pair{0u, 1u}, {0u, 2u}, {1u, 0u}, {1u, 1u}, {1u, 2u}}) {
    EXPECT_EQ(sheet.value(r, c).kind, xls::CellValue::Kind::empty) << r << "," << c;
  }
  for (int i = 0; i < 2000; ++i) {
    const std::wstring row = std::to_wstring(10 + i);
    ASSERT_TRUE(driver.merge(L"A" + row + L":B" + row));
  }
  ASSERT_TRUE(driver.saveAs(wide(folder.file("merges.xls"))));
  const auto book = readBack(folder.file("merges.xls"));
  ASSERT_TRUE(book);
  std::vector<std::size_t> counts;
  for (const auto* r : book->all(0x00E5)) counts.push_back(le16(r->data, 0));
  EXPECT_EQ(counts, (std::vector<std::size_t>{1026, 975}));
  EXPECT_EQ(book->at(0, 0).text, u"a");
  EXPECT_EQ(book->at(0, 1).type, 0);
}

TEST(NativeExcelDriver, PageSetupIsStoredOnlyWhenApplied) {
  struct Case {
    std::wstring paper;
    std::optional<std::uint16_t> code;
  } const cases[] = {{L"A3", 8}, {L"A4", 9}, {L"A5", 11}, {L"B4", 12}, {L"B5", 13},
                     {L"", {}},  {L"a4", {}}, {L"Letter", {}}};
  for (const Case& c : cases) {
    SCOPED_TRACE(toUtf8(c.paper));
    NativeExcelDriver driver;
    ASSERT_TRUE(driver.open(sheet_name));
    EXPECT_EQ(driver.applyPageSetup(c.paper, true, 100, 10, 10, 10, 10), c.code.has_value());
    EXPECT_EQ(driver.worksheet()->pageSetup().has_value(), c.code.has_value());
    if (c.code) {
      EXPECT_EQ(driver.worksheet()->pageSetup()->paper, *c.code);
    }
    EXPECT_FALSE(driver.printOut());
  }
  TempFolder folder;
  NativeExcelDriver plain, set;
  ASSERT_TRUE(plain.open(sheet_name));
  ASSERT_TRUE(set.open(sheet_name));
  ASSERT_TRUE(set.applyPageSetup(L"B5", false, 85, 10, 20, 15, 5));
  ASSERT_TRUE(plain.saveAs(wide(folder.file("plain.xls"))));
  ASSERT_TRUE(set.saveAs(wide(folder.file("set.xls"))));
  const auto without = readBack(folder.file("plain.xls"));
  const auto with = readBack(folder.file("set.xls"));
  ASSERT_TRUE(without && with);
  for (const int type : {0x00A1, 0x0026, 0x0027, 0x0028, 0x0029}) EXPECT_TRUE(without->all(static_cast<std::uint16_t>(type)).empty());
  const auto* setup = with->all(0x00A1).at(0);
  EXPECT_EQ(le16(setup->data, 0), 13u);
  EXPECT_EQ(le16(setup->data, 2), 85u);
  EXPECT_EQ(le16(setup->data, 10) & 0x0006, 0u);  // landscape; printer data valid
  const std::pair<std::uint16_t, double> margins[] = {
      {0x0028, 10 / 25.4}, {0x0029, 20 / 25.4}, {0x0026, 15 / 25.4}, {0x0027, 5 / 25.4}};
  for (const auto& [type, inches] : margins) EXPECT_DOUBLE_EQ(test::leDouble(with->all(type).at(0)->data, 0), inches);
}

TEST(NativeExcelDriver, RefusesWhatTheApplicationWouldRefuse) {
  NativeExcelDriver driver;
  const std::vector<std::wstring> texts = {L"a", L"b"};
  const auto cells = views(texts);
  // Nothing works before open nor after close.
  for (int round = 0; round < 2; ++round) {
    EXPECT_FALSE(driver.disableAlerts());
    EXPECT_FALSE(driver.writeBlock(1, TextRows(cells, 2)));
    EXPECT_FALSE(driver.setNumberFormat(L"A1", L"@"));
    EXPECT_FALSE(driver.autoFitColumns(L"A:B"));
    EXPECT_FALSE(driver.merge(L"A1:B1"));
    EXPECT_FALSE(driver.drawGrid(L"A1:B1"));
    EXPECT_FALSE(driver.saveAs(L"never.xls"));
    EXPECT_FALSE(driver.applyPageSetup(L"A4", true, 100, 1, 1, 1, 1));
    EXPECT_EQ(driver.worksheet(), nullptr);
    if (round == 0) {
      ASSERT_TRUE(driver.open(sheet_name));
      EXPECT_FALSE(driver.open(sheet_name));  // one workbook at a time
      EXPECT_TRUE(driver.disableAlerts());
      ASSERT_TRUE(driver.writeBlock(1, TextRows(cells, 2)));
      driver.close();
    }
  }
  for (const std::wstring_view name : {L"", L"a:b", L"x/y", L"[x]", L"'x", L"0123456789012345678901234567890x"}) {
    NativeExcelDriver d;
    EXPECT_FALSE(d.open(name)) << toUtf8(name);
  }

  // Blocks: the first row, the column count and the last row must be 1 or
  // more, the block must lie on the sheet, every text must fit a cell.
  ASSERT_TRUE(driver.open(sheet_name));
  const std::vector<std::wstring> wide_row(257, L"w");
  const std::vector<std::wstring> too_long = {std::wstring(32768, L'x'), L"y"};
  const auto wide_cells = views(wide_row);
  const auto long_cells = views(too_long);
  struct Case {
    const char* what;
    std::int32_t first_row;
    TextRows rows;
  } const refused[] = {
      {"row 0", 0, TextRows(cells, 2)},
      {"row -1", -1, TextRows(cells, 1)},
      {"no columns", 1, TextRows()},
      {"past the last row", 65536, TextRows(cells, 1)},
      {"257 columns", 1, TextRows::oneRow(wide_cells)},
      {"a text too long", 1, TextRows(long_cells, 2)},
  };
  for (const Case& c : refused) {
    EXPECT_FALSE(driver.writeBlock(c.first_row, c.rows)) << c.what;
    EXPECT_EQ(driver.worksheet()->valueRowCount(), 0u) << c.what;
  }
  EXPECT_TRUE(driver.writeBlock(65535, TextRows(cells, 1)));  // rows 65,535 and 65,536
  EXPECT_EQ(driver.worksheet()->valueRowCount(), 65536u);
  EXPECT_FALSE(driver.setNumberFormat(L"A1", L"0.00"));
  for (const std::wstring_view range : {L"", L"A", L"1", L"A0", L"IW1", L"A65537", L"A1:", L"A1:B", L"A1-B2", L"$A$1"}) {
    EXPECT_FALSE(driver.merge(range)) << toUtf8(range);
    EXPECT_FALSE(parseRange(range)) << toUtf8(range);
  }
}

TEST(NativeExcelDriver, RangesReadAsTheSheetAddressesThem) {
  struct Case {
    std::wstring_view text;
    xls::CellRange range;
  } const cases[] = {
      {L"C3", {2, 2, 2, 2}},         {L"A1:C2", {0, 0, 1, 2}},        {L"c2:a1", {0, 0, 1, 2}},
      {L"A:K", {0, 0, 65535, 10}},   {L"AA27:AO65536", {26, 26, 65535, 40}}, {L"IV1", {0, 255, 0, 255}},
  };
  for (const Case& c : cases) {
    const auto range = parseRange(c.text);
    ASSERT_TRUE(range) << toUtf8(c.text);
    EXPECT_EQ(*range, c.range) << toUtf8(c.text);
  }
}

TEST(NativeExcelDriver, ColumnsFitTheirLongestLine) {
  NativeExcelDriver driver;
  ASSERT_TRUE(driver.open(sheet_name));
  const std::vector<std::wstring> texts = {
      L"ab",          L"融着",  L"x",    L"ｱｲｳ",   // half-width katakana count one
      L"abc\nabcdef", L"１２", L"-12.5", L"",
      L"merged-away-long-text", L"", L"", L""};
  const auto cells = views(texts);
  ASSERT_TRUE(driver.writeBlock(1, TextRows(cells, 4)));
  ASSERT_TRUE(driver.merge(L"A3:B3"));
  ASSERT_TRUE(driver.autoFitColumns(L"A:D"));
  const auto& widths = driver.worksheet()->columnWidths();
  EXPECT_EQ(widths[0], (6 + 1) * 256);  // "abcdef": the longer line; A3 is merged
  EXPECT_EQ(widths[1], (4 + 1) * 256);  // two full-width characters
  EXPECT_EQ(widths[2], (5 + 1) * 256);  // the number as it was written
  EXPECT_EQ(widths[3], (3 + 1) * 256);
  EXPECT_EQ(widths[4], 0);  // not fitted: the default width
  EXPECT_EQ(xls::measureText(L"融\n着着\nabcde").width, 5u);
  EXPECT_EQ(xls::measureText(L"融\n着着\nabcde").lines, 3u);
}

TEST(NativeExcelDriver, SavingReplacesTheTargetOnlyWhenAllWasWritten) {
  TempFolder folder;
  const std::string old_content = "the earlier workbook";
  {
    std::ofstream(folder.file("book.xls"), std::ios::binary) << old_content;
  }
  NativeExcelDriver driver;
  ASSERT_TRUE(driver.open(sheet_name));
  const std::vector<std::wstring> texts = {L"a"};
  const auto cells = views(texts);
  ASSERT_TRUE(driver.writeBlock(1, TextRows(cells, 1)));
  // A target that cannot be replaced: a folder; a target in a missing folder.
  fs::create_directory(folder.file("taken.xls"));
  EXPECT_FALSE(driver.saveAs(wide(folder.file("taken.xls"))));
  EXPECT_FALSE(driver.saveAs(wide(folder.file("missing") / "book.xls")));
  EXPECT_FALSE(driver.saveAs(wide(folder.file("book.xls") / "inner.xls")));
  EXPECT_TRUE(fs::is_directory(folder.file("taken.xls")));
  EXPECT_EQ(folder.names(), (std::vector<std::string>{"book.xls", "taken.xls"}));
  const auto old_bytes = test::readFileBytes(folder.file("book.xls").string());
  EXPECT_EQ(std::string(old_bytes.begin(), old_bytes.end()), old_content);
  // A successful save replaces the file, and the driver stays open.
  ASSERT_TRUE(driver.saveAs(wide(folder.file("book.xls"))));
  EXPECT_EQ(folder.names(), (std::vector<std::string>{"book.xls", "taken.xls"}));
  const auto book = readBack(folder.file("book.xls"));
  ASSERT_TRUE(book);
  EXPECT_EQ(book->at(0, 0).text, u"a");
  EXPECT_NE(driver.worksheet(), nullptr);
}

TEST(NativeExcelDriver, IsWhatTheFactoryMakes) {
  const std::unique_ptr<ExcelDriver> driver = makeNativeExcelDriver();
  ASSERT_NE(dynamic_cast<NativeExcelDriver*>(driver.get()), nullptr);
  EXPECT_TRUE(driver->open(sheet_name));
  EXPECT_FALSE(driver->printOut());
}

}  // namespace
}  // namespace kj::sheet
