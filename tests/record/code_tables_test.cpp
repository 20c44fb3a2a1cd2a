#include "record/code_tables.h"

#include <gtest/gtest.h>

namespace kj {
namespace {

TEST(CodeTablesTest, TablesHoldTheirRowCounts) {
  struct Case {
    const char* name;
    std::size_t size;
    std::size_t expected;
  };
  const Case cases[] = {
      {"kind_table_24", kind_table_24().size(), 13},
      {"size_table_24", size_table_24().size(), 29},
      {"inch_table_24", inch_table_24().size(), 10},
      {"cooling_table_24", cooling_table_24().size(), 9},
      {"kind_table_32_gas", kind_table_32_gas().size(), 21},
      {"kind_table_32_water", kind_table_32_water().size(), 24},
      {"size_table_32_water", size_table_32_water().size(), 31},
      {"size_table_32_gas", size_table_32_gas().size(), 31},
      {"size_table_32_water_alt", size_table_32_water_alt().size(), 18},
      {"size_table_32_gas_alt", size_table_32_gas_alt().size(), 26},
      {"manufacturer_table", manufacturer_table().size(), 17},
      {"output_voltage_table_32", output_voltage_table_32().size(), 8},
      {"usage_table", usage_table().size(), 15},
      {"end_code_table", end_code_table().size(), 44},
      {"input_mode_table", input_mode_table().size(), 3},
      {"battery_type_table", battery_type_table().size(), 3},
      {"controller_model_table", controller_model_table().size(), 10},
      {"paper_size_table", paper_size_table().size(), 5},
      {"excel_paper_code_table", excel_paper_code_table().size(), 5},
  };
  for (const Case& c : cases) EXPECT_EQ(c.size, c.expected) << c.name;
}

TEST(CodeTablesTest, MissingKeysGiveTheCallersPlaceholder) {
  struct Case {
    const CodeTable* table;
    std::int32_t key;
  };
  const Case misses[] = {
      {&kind_table_24(), 1},        {&kind_table_24(), 2},        {&kind_table_24(), 4},
      {&kind_table_24(), 5},        {&kind_table_24(), 7},        {&kind_table_24(), 8},
      {&size_table_24(), 17},       {&size_table_24(), 18},       {&kind_table_32_water(), 24},
      {&kind_table_32_water(), 28}, {&size_table_32_water_alt(), 0}, {&size_table_32_water_alt(), 4},
      {&size_table_32_water_alt(), 26}, {&size_table_32_gas_alt(), 15}, {&size_table_32_gas_alt(), 18},
      {&end_code_table(), 0},       {&end_code_table(), 12},      {&end_code_table(), 206},
      {&end_code_table(), 501},     {&cooling_table_24(), 9},     {&battery_type_table(), 3},
  };
  for (const Case& c : misses) {
    EXPECT_EQ(lookup(*c.table, c.key, no_data_text), L"***") << "key " << c.key;
  }
  EXPECT_EQ(lookup(battery_type_table(), 0, L"?"), L"***");
}

TEST(CodeTablesTest, TextsUseTheExactCharacters) {
  EXPECT_EQ(end_code_table().at(1), L"警告:記憶領域容量\xFF10");
  EXPECT_EQ(end_code_table().at(301), L"強制終了:入力電圧異常 高");
  EXPECT_EQ(end_code_table().at(500), L"正常終了");
  EXPECT_EQ(size_table_32_gas().at(31), L"\x2267" L"1400");
  EXPECT_EQ(kind_table_32_gas().at(6), L"90\x00B0" L"エルボ");
  EXPECT_EQ(size_table_32_gas_alt().at(24), L"550");
  EXPECT_EQ(size_table_32_water().at(24), L"560");
  EXPECT_EQ(manufacturer_table().at(813), L"日立金属");
  EXPECT_EQ(unmeasurable_text, L"測定不可能");
  EXPECT_EQ(no_barcode_text, L"バーコードデータなし");
}

TEST(CodeTablesTest, WaterAndGasSizesDifferInFourKeys) {
  std::vector<std::int32_t> differing;
  for (const auto& [key, text] : size_table_32_water()) {
    if (size_table_32_gas().at(key) != text) differing.push_back(key);
  }
  EXPECT_EQ(differing, (std::vector<std::int32_t>{4, 7, 10, 19}));
}

TEST(CodeTablesTest, UsageLookupsHaveTheirOwnMissResults) {
  struct Case {
    std::int32_t usage;
    const wchar_t* text;
    const wchar_t* model;
    int variant;
  };
  const Case cases[] = {
      {0, L"配水用途", L"01", 0}, {1, L"ガス用途", L"01", 1}, {3, L"", L"00", 2}, {4, L"", L"00", 2},
      {7, L"", L"04", 2},        {9, L"ガス", L"05", 1},     {16, L"消火・雨水・プラントBK", L"03", 0},
      {-1, L"", L"00", 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.usage);
    EXPECT_EQ(usageText(c.usage), c.text);
    EXPECT_EQ(usageModelCode(c.usage), c.model);
    EXPECT_EQ(usageBarcodeVariant(c.usage), c.variant);
  }
}

TEST(CodeTablesTest, ControllerModelNameComparesTheFirstTwoCharacters) {
  EXPECT_EQ(controllerModelName(L"0312345"), L"KJ-M3");
  EXPECT_EQ(controllerModelName(L"0B99"), L"KJ-M10");
  EXPECT_EQ(controllerModelName(L"0b99"), L"");
  EXPECT_EQ(controllerModelName(L"0A12"), L"");
  EXPECT_EQ(controllerModelName(L"0"), L"");
  EXPECT_EQ(controllerModelName(L""), L"");
  EXPECT_EQ(controllerModelName(L"***"), L"");
}

TEST(CodeTablesTest, PaperSizesIterateInKeyOrder) {
  std::vector<std::wstring> labels;
  for (const auto& [key, label] : paper_size_table()) labels.push_back(label);
  ASSERT_EQ(labels.size(), 5U);
  EXPECT_EQ(labels.front(), L"A3 (297mm * 420mm)");
  EXPECT_EQ(labels.back(), L"B5 (182mm * 257mm)");
  EXPECT_EQ(excel_paper_code_table().at(L"A5"), 11);
}

}  // namespace
}  // namespace kj
