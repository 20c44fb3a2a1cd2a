#pragma once
// The transfer block header and the two decoded record types. Records are plain
// data filled once by the decoder and never changed; copies share the decoded
// barcode.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "record/barcode.h"

namespace kj {

enum class BlockKind : std::int32_t {
  Headerless33 = 0,  // no header, 33 fields per record (.efd files, ENQ transfers)
  Headerless39 = 1,  // no header, 39 fields per record
  TaggedBT = 2,      // header "BT": battery records
  TaggedPK = 3,      // header "PK": not decoded
  TaggedOther = 4,   // any other header letters: not decoded
};

namespace file {

struct Header {
  std::int32_t kind = 0;           // a BlockKind value, 0-4
  std::uint8_t revision = 0;       // kept, not interpreted
  std::uint16_t field_count = 0;   // fields in every record
  std::uint16_t record_count = 0;  // records announced
  std::int32_t data_start = 0;     // position of the record count in the text
};

struct Efdx {
  std::wstring number;
  std::wstring order;
  std::wstring aux_text;
  std::wstring worker;
  std::wstring datetime;
  std::wstring lifecycle_counts;
  bool has_coord = false;
  std::wstring latitude_text;
  double latitude = 0;
  std::wstring longitude_text;
  double longitude = 0;
  bool barcode_present = false;
  std::int32_t input_mode = 0;
  std::wstring input_mode_text;
  std::wstring joint_barcode;
  std::int32_t barcode_kind = 0;
  std::int32_t usage = 0;
  std::wstring resistance;
  std::wstring temperature;
  std::wstring output_voltage_max;
  std::wstring output_voltage_min;
  std::wstring input_voltage_max;
  std::wstring input_voltage_min;
  std::wstring output_seconds;
  std::wstring remain_output_seconds;
  std::wstring actual_output_seconds;
  std::wstring energy;
  std::int32_t end_code = 0;
  std::wstring exit_code;
  bool re_mark = false;
  std::wstring output_current_max;
  std::wstring output_current_min;
  std::wstring joint_traceability_barcode;
  std::int32_t traceability_length = 0;
  std::wstring lot_number;
  std::wstring version;
  std::wstring maintenance_date;
  std::wstring scaled_31;
  std::wstring checksum_text;
  bool checksum_error = false;
  // Null when decoding failed before the barcode was reached.
  std::shared_ptr<const DecodedBarcode> decoded_barcode;
  std::wstring remarks;
};

struct EfdxBattery : Efdx {
  std::int32_t battery_type_code = 0;
  std::wstring battery_type;
  std::wstring battery_identifier;
  std::wstring battery_cycle;
  std::wstring battery_full_capacity;
  std::wstring battery_capacity_before;
  std::wstring battery_capacity_after;
  std::wstring battery_temperature_before;
  std::wstring battery_temperature_after;
  bool battery_checksum_error = false;
  std::int32_t battery_checksum = 0;
  std::int32_t battery_checksum_computed = 0;
};

}  // namespace file

// The fields of one record as views into the block text they were cut from; a
// row must not outlive that text.
using Row = std::vector<std::wstring_view>;
using Rows = std::vector<Row>;

template <class Record>
using RecordVector = std::shared_ptr<const std::vector<Record>>;

}  // namespace kj
