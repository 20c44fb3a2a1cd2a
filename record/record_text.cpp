#include "record/record_text.h"

#include <algorithm>
#include <cstdint>
#include <initializer_list>
#include <stdexcept>

#include "record/code_tables.h"
#include "record/control_chars.h"
#include "record/conversions.h"
#include "record/record_fields.h"

namespace kj {

namespace rf = record_field;

void widenBlockBytes(std::string_view bytes, std::wstring& text) {
  text.resize(bytes.size());
  for (std::size_t i = 0; i < bytes.size(); ++i) text[i] = widenByte(static_cast<unsigned char>(bytes[i]));
}

std::wstring widenBlockBytes(std::string_view bytes) {
  std::wstring text;
  widenBlockBytes(bytes, text);
  return text;
}

file::Header parseHeader(std::wstring_view text, bool short_block) {
  file::Header h;
  if (!text.empty() && text[0] == ctl::SOH) {
    const std::wstring letters = cut(text, 1, 2);
    h.kind = letters == L"BT"   ? static_cast<std::int32_t>(BlockKind::TaggedBT)
             : letters == L"PK" ? static_cast<std::int32_t>(BlockKind::TaggedPK)
                                : static_cast<std::int32_t>(BlockKind::TaggedOther);
    h.revision = static_cast<std::uint8_t>(parseUInt32(cut(text, 4, 2)));
    h.field_count = static_cast<std::uint16_t>(parseUInt32(cut(text, 7, 3)));
    h.data_start = 11;
  } else {
    h.kind = static_cast<std::int32_t>(short_block ? BlockKind::Headerless33 : BlockKind::Headerless39);
    h.field_count = static_cast<std::uint16_t>(short_block ? rf::count_short : rf::count_positioned);
    h.data_start = 0;
  }
  const auto start = static_cast<std::size_t>(h.data_start);
  const std::size_t comma = text.find(L',', start);
  const std::size_t length = comma == std::wstring_view::npos ? std::wstring_view::npos : comma - start;
  h.record_count = static_cast<std::uint16_t>(parseUInt32(cut(text, start, length)));
  return h;
}

void splitFields(std::wstring_view record_text, Row& fields) {
  fields.clear();
  std::size_t from = 0;
  for (;;) {
    const std::size_t comma = record_text.find(L',', from);
    if (comma == std::wstring_view::npos) {
      fields.push_back(record_text.substr(from));
      return;
    }
    fields.push_back(record_text.substr(from, comma - from));
    from = comma + 1;
  }
}

Row splitFields(std::wstring_view record_text) {
  Row fields;
  splitFields(record_text, fields);
  return fields;
}

Rows splitRecords(std::wstring_view text, std::uint32_t count) {
  Rows rows(count);
  forEachRecordText(text, count, [&rows, k = std::size_t{0}](std::wstring_view t) mutable {
    splitFields(t, rows[k++]);
    return true;
  });
  return rows;
}

namespace {

template <class CharT>
bool textsFit(std::basic_string_view<CharT> text, std::uint32_t count, std::uint16_t field_count) {
  bool fit = true;
  const std::uint32_t cut_rows = forEachRecordText(text, count, [&](std::basic_string_view<CharT> t) {
    const auto fields = static_cast<std::size_t>(std::count(t.begin(), t.end(), static_cast<CharT>(','))) + 1;
    fit = fields == field_count;
    return fit;
  });
  // The rows without a pair have no fields.
  return fit && (cut_rows == count || field_count == 0);
}

}  // namespace

bool recordTextsFit(std::wstring_view text, std::uint32_t count, std::uint16_t field_count) {
  return textsFit(text, count, field_count);
}

bool recordTextsFit(std::string_view bytes, std::uint32_t count, std::uint16_t field_count) {
  return textsFit(bytes, count, field_count);
}

std::shared_ptr<const DecodedBarcode> BarcodeCache::get(int kind, std::wstring_view text, int variant) {
  const auto found = entries_.find(KeyView{kind, variant, text});
  if (found != entries_.end()) return found->second;
  auto decoded = make_barcode(kind, std::wstring(text), variant);
  if (entries_.size() < max_entries) entries_.emplace(Key{kind, variant, std::wstring(text)}, decoded);
  return decoded;
}

namespace {

// cut without the copy: a view of text from pos, at most n characters; raises
// like cut when pos lies beyond the end.
std::wstring_view cutView(std::wstring_view text, std::size_t pos, std::size_t n) {
  if (pos > text.size()) throw std::out_of_range("substr");
  return text.substr(pos, n);
}

// The parts one after the other, in a text of exactly their size.
std::wstring concat(std::initializer_list<std::wstring_view> parts) {
  std::size_t size = 0;
  for (const std::wstring_view part : parts) size += part.size();
  std::wstring text;
  text.reserve(size);
  for (const std::wstring_view part : parts) text += part;
  return text;
}

// Field i of a row; a row shorter than its decoder needs raises like a cut.
std::wstring_view field(const Row& fields, std::size_t i) {
  if (i >= fields.size()) throw std::out_of_range("field");
  return fields[i];
}

// Highest and lowest of a measured pair in tenths; a lowest above the highest is
// a value the controller could not measure.
void extremes(std::wstring_view high_field, std::wstring_view low_field, std::wstring& high, std::wstring& low) {
  const double hi = parseReal(high_field) / 10;
  const double lo = parseReal(low_field) / 10;
  if (lo > hi) {
    high = unmeasurable_text;
    low = unmeasurable_text;
  } else {
    high = formatFixed(hi, 1);
    low = formatFixed(lo, 1);
  }
}

// Kind 0 composes the lot number from the model code and two hexadecimal fields.
std::wstring composedLotNumber(std::int32_t usage, std::wstring_view f27, std::wstring_view f30) {
  if (f27 == L"FFFFFF" || f30 == L"FFFF") return no_data_text;
  try {
    std::wstring lot = usageModelCode(usage);
    lot += decimal(parseHex(cut(f30, 0, 2)));
    std::wstring part3 = decimal(parseHex(cut(f30, 2, 2)));
    if (part3.size() < 2) part3.insert(0, 2 - part3.size(), L'0');
    lot += part3;
    lot += decimal(parseHex(cut(f27, 0, 2)));
    lot += decimal(parseHex(cut(f27, 2, 2)));
    lot += decimal(parseHex(cut(f27, 4, 2)));
    return lot;
  } catch (const std::logic_error&) {
    return no_data_text;
  }
}

bool lowBytesEqual(std::int64_t a, std::int64_t b) { return (a & 0xFF) == (b & 0xFF); }

}  // namespace

bool decodeEfdx(file::Efdx& r, const file::Header& header, const Row& f, BarcodeCache* barcodes) {
  const bool positioned_kind = header.kind == static_cast<std::int32_t>(BlockKind::Headerless39) ||
                               header.kind == static_cast<std::int32_t>(BlockKind::TaggedBT);

  r.number = decimal(static_cast<std::int64_t>(parseInt32(field(f, rf::number))) + 1);
  r.order = field(f, rf::order);
  r.aux_text = field(f, rf::aux_text);
  r.worker = field(f, rf::worker);
  {
    const std::wstring_view t = field(f, rf::datetime);
    r.datetime = concat({cutView(t, 0, 2), L"/", cutView(t, 2, 2), L"/", cutView(t, 4, 2), L" ", cutView(t, 6, 2),
                         L":", cutView(t, 8, 2)});
  }
  r.lifecycle_counts = field(f, rf::lifecycle_counts);
  r.re_mark = field(f, rf::flags) == L"10000000";

  if (positioned_kind) r.has_coord = field(f, rf::position_flag) != L"0";
  if (r.has_coord) {
    const std::wstring_view lat = field(f, rf::latitude);
    r.latitude_text =
        concat({cutView(lat, 0, 2), L"°", cutView(lat, 2, 8), L"'", field(f, rf::latitude_hemisphere)});
    const std::wstring_view lon = field(f, rf::longitude);
    r.longitude_text =
        concat({cutView(lon, 0, 3), L"°", cutView(lon, 3, 8), L"'", field(f, rf::longitude_hemisphere)});
    double latitude = parseReal(cut(lat, 0, 2)) + parseReal(cut(lat, 2, 8)) / 60;
    if (field(f, rf::latitude_hemisphere) == L"S") latitude *= -1;
    r.latitude = latitude;
    double longitude = parseReal(cut(lon, 0, 3)) + parseReal(cut(lon, 3, 8)) / 60;
    if (field(f, rf::longitude_hemisphere) == L"W") longitude *= -1;
    r.longitude = longitude;
  } else {
    r.latitude_text = no_data_text;
    r.longitude_text = no_data_text;
  }

  r.input_mode = parseInt32(field(f, rf::input_mode));
  r.barcode_present = r.input_mode == 0 || r.input_mode == 1 || r.input_mode == 4 || r.input_mode == 6 ||
                      r.input_mode == 7;
  r.input_mode_text = lookup(input_mode_table(), r.input_mode, std::wstring());

  r.usage = parseInt32(field(f, rf::usage));
  r.barcode_kind = parseInt32(field(f, rf::barcode_kind));

  {
    const std::wstring_view digits = field(f, rf::barcode);
    std::wstring_view barcode_text = no_data_text;
    if (r.barcode_present && !digits.empty() && digits != std::wstring_view(L"00000000000000000000000000000000")) {
      r.joint_barcode = std::wstring(digits);
      barcode_text = digits;
    } else {
      r.barcode_present = false;
      r.joint_barcode = no_data_text;
      r.barcode_kind = 0;
    }
    const int variant = usageBarcodeVariant(r.usage);
    r.decoded_barcode = barcodes != nullptr ? barcodes->get(r.barcode_kind, barcode_text, variant)
                                            : make_barcode(r.barcode_kind, r.joint_barcode, variant);
  }
  if (r.barcode_present && r.barcode_kind == 24) r.joint_barcode = r.joint_barcode.substr(0, 24);

  r.resistance = formatFixed(parseReal(field(f, rf::resistance)) / 100, 2);
  r.temperature = field(f, rf::temperature);
  extremes(field(f, rf::output_voltage_max), field(f, rf::output_voltage_min), r.output_voltage_max,
           r.output_voltage_min);
  extremes(field(f, rf::input_voltage_max), field(f, rf::input_voltage_min), r.input_voltage_max,
           r.input_voltage_min);

  r.output_seconds = trimSpaces(field(f, rf::output_seconds));
  r.remain_output_seconds = trimSpaces(field(f, rf::remain_output_seconds));
  r.actual_output_seconds =
      decimal(static_cast<std::int64_t>(parseInt32(field(f, rf::output_seconds))) -
              static_cast<std::int64_t>(parseInt32(field(f, rf::remain_output_seconds))));
  r.energy = trimSpaces(field(f, rf::energy));

  r.end_code = parseInt32(field(f, rf::end_code));
  {
    const auto it = end_code_table().find(r.end_code);
    if (it != end_code_table().end()) {
      const std::wstring code = decimal(r.end_code);
      r.exit_code = concat({it->second, L" (", code, L")", r.re_mark ? L" RE" : L""});
    } else {
      r.exit_code = no_data_text;
    }
  }

  extremes(field(f, rf::output_current_max), field(f, rf::output_current_min), r.output_current_max,
           r.output_current_min);

  r.traceability_length = parseInt32(field(f, rf::traceability_length));
  if (r.traceability_length >= 1) {
    r.joint_traceability_barcode =
        cut(field(f, rf::traceability_barcode), 0, static_cast<std::size_t>(r.traceability_length));
  } else {
    r.joint_traceability_barcode = no_barcode_text;
  }

  {
    const std::wstring_view v = field(f, rf::version);
    if (v.size() < 2) throw std::out_of_range("version");
    r.version = concat({cutView(v, 0, v.size() - 2), L".", cutView(v, v.size() - 2, 2)});
  }
  {
    const std::wstring_view d = field(f, rf::maintenance_date);
    r.maintenance_date =
        d != L"FFFFFF" ? concat({cutView(d, 0, 2), L"/", cutView(d, 2, 2), L"/", cutView(d, 4, 2)}) : no_data_text;
  }

  if (header.kind == static_cast<std::int32_t>(BlockKind::Headerless33)) {
    r.lot_number = composedLotNumber(r.usage, field(f, rf::lot_hex6), field(f, rf::lot_hex4));
  } else {
    r.lot_number = field(f, rf::lot_number);
  }

  r.scaled_31 = formatFixed(parseReal(field(f, rf::value_31)) / 10, 1);

  r.checksum_text = field(f, rf::checksum);
  {
    std::int64_t sum = 0;
    for (std::size_t i : rf::record_checksum_fields) sum += parseInt32(field(f, i));
    r.checksum_error = !lowBytesEqual(sum, parseInt32(field(f, rf::checksum)));
  }

  r.remarks = usageText(r.usage);
  if (r.barcode_present && (r.barcode_kind == 10 || r.barcode_kind == 24)) {
    r.remarks += L"(" + decimal(r.barcode_kind) + digit_barcode_text + L")";
    if (r.decoded_barcode->joint_cooling_minutes != no_data_text) {
      r.remarks += L" 冷却時間: " + r.decoded_barcode->joint_cooling_minutes + L"分";
    }
  }
  if (!r.barcode_present) r.remarks += L"(" + no_barcode_text + L")";
  if (r.checksum_error) r.remarks += L"(" + bad_data_text + L")";

  return !r.checksum_error;
}

bool decodeEfdxBattery(file::EfdxBattery& r, const file::Header& header, const Row& f, BarcodeCache* barcodes) {
  const bool plain_sound = decodeEfdx(r, header, f, barcodes);

  r.battery_type_code = parseInt32(field(f, rf::battery_type));
  r.battery_type = lookup(battery_type_table(), r.battery_type_code, no_data_text);
  r.battery_identifier = field(f, rf::battery_identifier);
  r.battery_cycle =
      parseInt32(field(f, rf::battery_cycle)) == 65535 ? no_data_text : std::wstring(field(f, rf::battery_cycle));
  {
    const std::int32_t capacity = parseInt32(field(f, rf::battery_full_capacity));
    r.battery_full_capacity = capacity == 65535 ? no_data_text : formatFixed(capacity / 100.0, 2);
  }
  r.battery_capacity_before = parseInt32(field(f, rf::battery_capacity_before)) == 255
                                  ? unmeasurable_text
                                  : std::wstring(field(f, rf::battery_capacity_before));
  r.battery_capacity_after = parseInt32(field(f, rf::battery_capacity_after)) == 255
                                 ? unmeasurable_text
                                 : std::wstring(field(f, rf::battery_capacity_after));
  {
    const std::int32_t before = parseInt32(field(f, rf::battery_temperature_before));
    r.battery_temperature_before = before == 9999 ? unmeasurable_text : formatFixed(before / 100.0, 1);
    const std::int32_t after = parseInt32(field(f, rf::battery_temperature_after));
    r.battery_temperature_after = after == 9999 ? unmeasurable_text : formatFixed(after / 100.0, 1);
  }

  r.battery_checksum = parseInt32(field(f, rf::battery_checksum));
  {
    std::int64_t sum = 0;
    for (std::size_t i : rf::battery_checksum_fields) sum += parseInt32(field(f, i));
    r.battery_checksum_computed = static_cast<std::int32_t>(sum % 256);
    r.battery_checksum_error = !lowBytesEqual(sum, r.battery_checksum);
  }
  if (!r.checksum_error && r.battery_checksum_error) r.remarks += L"(" + bad_data_text + L")";

  return plain_sound && !r.battery_checksum_error;
}

}  // namespace kj
