#pragma once
// The positions of the fields of a record as the controller sends them:
// field 0 is the first text after STX, fields are separated by ",". Kind 0
// records end after the check sum (33 fields), kind 1 records after the
// position (39 fields), battery records after the battery check sum (48).

#include <array>
#include <cstddef>

namespace kj::record_field {

inline constexpr std::size_t number = 0;              // record index on the controller, from 0
inline constexpr std::size_t order = 1;               // order text
inline constexpr std::size_t aux_text = 2;            // kept as sent
inline constexpr std::size_t worker = 3;              // operator text
inline constexpr std::size_t datetime = 4;            // YYMMDDhhmm
inline constexpr std::size_t unused_5 = 5;            // not read
inline constexpr std::size_t lifecycle_counts = 6;    // lifetime fusion count
inline constexpr std::size_t flags = 7;               // eight flag characters; "10000000" marks RE
inline constexpr std::size_t unused_8 = 8;            // not read
inline constexpr std::size_t input_mode = 9;          // input mode code
inline constexpr std::size_t barcode = 10;            // joint barcode digits
inline constexpr std::size_t usage = 11;              // usage code
inline constexpr std::size_t barcode_kind = 12;       // number of barcode digits: 10, 24 or 32
inline constexpr std::size_t resistance = 13;         // hundredths
inline constexpr std::size_t temperature = 14;        // as sent
inline constexpr std::size_t output_voltage_max = 15; // tenths
inline constexpr std::size_t output_voltage_min = 16; // tenths
inline constexpr std::size_t input_voltage_max = 17;  // tenths (battery voltage on battery controllers)
inline constexpr std::size_t input_voltage_min = 18;  // tenths
inline constexpr std::size_t output_seconds = 19;     // target energising seconds
inline constexpr std::size_t remain_output_seconds = 20;
inline constexpr std::size_t energy = 21;             // fusion energy
inline constexpr std::size_t end_code = 22;           // 500: normal end
inline constexpr std::size_t output_current_max = 23; // tenths
inline constexpr std::size_t output_current_min = 24; // tenths
inline constexpr std::size_t traceability_length = 25;
inline constexpr std::size_t traceability_barcode = 26;
inline constexpr std::size_t lot_hex6 = 27;           // six hex digits of the lot number (kind 0); "FFFFFF": not set
inline constexpr std::size_t version = 28;            // firmware version digits
inline constexpr std::size_t maintenance_date = 29;   // YYMMDD; "FFFFFF": none
inline constexpr std::size_t lot_hex4 = 30;           // four hex digits of the lot number (kind 0); "FFFF": not set
inline constexpr std::size_t value_31 = 31;           // tenths
inline constexpr std::size_t checksum = 32;           // record check sum
inline constexpr std::size_t lot_number = 33;         // controller serial number (kinds 1 and 2)
inline constexpr std::size_t position_flag = 34;      // "0": no position
inline constexpr std::size_t latitude_hemisphere = 35;   // "S": south
inline constexpr std::size_t latitude = 36;              // two digits of degrees, then minutes
inline constexpr std::size_t longitude_hemisphere = 37;  // "W": west
inline constexpr std::size_t longitude = 38;             // three digits of degrees, then minutes
inline constexpr std::size_t battery_type = 39;          // battery type code
inline constexpr std::size_t battery_identifier = 40;
inline constexpr std::size_t battery_cycle = 41;             // 65535: not available
inline constexpr std::size_t battery_full_capacity = 42;     // hundredths; 65535: not available
inline constexpr std::size_t battery_capacity_before = 43;   // 255: not measurable
inline constexpr std::size_t battery_capacity_after = 44;    // 255: not measurable
inline constexpr std::size_t battery_temperature_before = 45; // hundredths; 9999: not measurable
inline constexpr std::size_t battery_temperature_after = 46;  // hundredths; 9999: not measurable
inline constexpr std::size_t battery_checksum = 47;

// Fields per record of each layout.
inline constexpr std::size_t count_short = checksum + 1;           // kind 0: 33
inline constexpr std::size_t count_positioned = longitude + 1;     // kind 1: 39
inline constexpr std::size_t count_battery = battery_checksum + 1; // battery: 48

// The fields summed into the record check sum (field 21 is not), and into
// the battery check sum.
inline constexpr std::array<std::size_t, 9> record_checksum_fields = {
    resistance,        temperature,       output_voltage_max, output_voltage_min,   input_voltage_max,
    input_voltage_min, output_seconds,    remain_output_seconds, end_code};
inline constexpr std::array<std::size_t, 4> battery_checksum_fields = {
    battery_capacity_before, battery_capacity_after, battery_temperature_before, battery_temperature_after};

}  // namespace kj::record_field
