#pragma once
// The controller's code tables and the constant texts shared by the views.
// All tables are built once before first use by any thread of the program and
// never change; they are read without locking.

#include <cstdint>
#include <map>
#include <string>

namespace kj {

// One row of the usage table: what the usage code means, the controller model
// code that starts the record's lot number, and how a 32-digit barcode is read
// (0 general, 1 gas, 2 electrical values only).
struct usage_entry {
  std::wstring text;
  std::wstring model_code;
  int barcode_variant = 2;
};

using CodeTable = std::map<std::int32_t, std::wstring>;

// Shared constant texts.
extern const std::wstring no_data_text;       // "***"
extern const std::wstring unmeasurable_text;  // "測定不可能"
extern const std::wstring no_barcode_text;    // "バーコードデータなし"
extern const std::wstring digit_barcode_text; // "桁バーコード"
extern const std::wstring bad_data_text;      // "データ不良"
extern const std::wstring record_title_text;  // "融着記録"

// Joint barcode tables.
const CodeTable& kind_table_24();
const CodeTable& size_table_24();
const CodeTable& inch_table_24();
const CodeTable& cooling_table_24();
const CodeTable& kind_table_32_gas();
const CodeTable& kind_table_32_water();
const CodeTable& size_table_32_water();
const CodeTable& size_table_32_gas();
const CodeTable& size_table_32_water_alt();
const CodeTable& size_table_32_gas_alt();
const CodeTable& manufacturer_table();
const CodeTable& output_voltage_table_32();

// Record field tables.
const std::map<std::int32_t, usage_entry>& usage_table();
const CodeTable& end_code_table();
const CodeTable& input_mode_table();
const CodeTable& battery_type_table();
const std::map<std::wstring, std::wstring>& controller_model_table();

// Print settings tables.
const CodeTable& paper_size_table();
const std::map<std::wstring, std::int32_t>& excel_paper_code_table();

// Text of key in table, or `miss` when the table has no such key.
std::wstring lookup(const CodeTable& table, std::int32_t key, const std::wstring& miss);

// Usage lookups with their own miss results: "" / "00" / 2.
std::wstring usageText(std::int32_t usage);
std::wstring usageModelCode(std::int32_t usage);
int usageBarcodeVariant(std::int32_t usage);

// Controller model name for a lot number: its first two characters (all of it
// when shorter) looked up in controller_model_table; "" on a miss.
std::wstring controllerModelName(const std::wstring& lot_number);

}  // namespace kj
