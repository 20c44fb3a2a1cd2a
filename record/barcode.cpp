#include "record/barcode.h"

#include <cmath>
#include <cstdint>

#include "record/code_tables.h"
#include "record/conversions.h"

namespace kj {

DecodedBarcode::DecodedBarcode(std::wstring text)
    : joint_output_voltage(no_data_text),
      joint_output_seconds(no_data_text),
      joint_resistance(no_data_text),
      joint_manufacturer(no_data_text),
      joint_kind(no_data_text),
      joint_size(no_data_text),
      joint_management_id(no_data_text),
      joint_cooling_minutes(no_data_text),
      joint_barcode(std::move(text)) {}

namespace barcode {
namespace {

// Digits first..last of the text read as a decimal number.
std::int32_t digits(const std::wstring& text, std::size_t first, std::size_t last) {
  return parseInt32(cut(text, first, last - first + 1));
}

std::int32_t digit(const std::wstring& text, std::size_t at) { return digits(text, at, at); }

// The letter of a value: the character whose code is 64 + r (1 gives A).
std::wstring letter(std::int32_t r) { return std::wstring(1, static_cast<wchar_t>(64 + r)); }

// Standard energising seconds from a three-digit code: values above 900 count
// minutes; the controller applies a 0.985 factor and rounds halves away from zero.
std::wstring energisingSeconds(std::int32_t a) {
  const std::int32_t t = a <= 900 ? a : (a - 900) * 60;
  return decimal(static_cast<std::int64_t>(std::round(static_cast<double>(t) * 0.985)));
}

std::int32_t reduce24(std::int32_t v) {
  if (v >= 61) return v - 60;
  if (v >= 31) return v - 30;
  return v;
}

bool validLetter(std::int32_t r) { return r >= 1 && r <= 26; }

}  // namespace

Digit24::Digit24(const std::wstring& input) : DecodedBarcode(input.substr(0, 24)) {
  const std::wstring& t = joint_barcode;
  const std::int32_t d0 = digit(t, 0);

  // Manufacturer letters.
  std::wstring maker;
  if (d0 != 9) {
    for (std::size_t at : {0U, 2U, 4U}) {
      const std::int32_t r = reduce24(digits(t, at, at + 1));
      if (validLetter(r)) maker += letter(r);
    }
    if (digit(t, 6) != 3) {
      const std::int32_t r = reduce24(digits(t, 6, 7));
      maker += validLetter(r) ? letter(r) : std::wstring(L"*");
    }
  } else {
    const std::int32_t r2 = reduce24(digits(t, 2, 3));
    if (validLetter(r2)) maker += letter(r2);
    const std::int32_t r4 = reduce24(digits(t, 4, 5));
    if (validLetter(r4)) maker += letter(r4);
  }
  joint_manufacturer = maker;

  // Kind.
  const std::int32_t k = digits(t, 0, 1);
  joint_kind = lookup(kind_table_24(), d0 == 9 ? k : d0, no_data_text);

  // Size.
  const std::int32_t n = digits(t, 8, 10);
  if (k == 93 || k == 94) {
    const auto d = size_table_24().find(n / 31);
    const auto r = size_table_24().find(n % 31);
    if (d != size_table_24().end() && r != size_table_24().end()) joint_size = d->second + L" * " + r->second;
  } else if (n >= 15 && n <= 799) {
    joint_size = decimal(n);
  } else if (n >= 800 && n <= 999) {
    joint_size = decimal(n) + L" * " + lookup(inch_table_24(), n % 10, no_data_text);
  }

  // Output voltage, or output current for class digits 0, 4, 5, 6, 9.
  {
    const std::int32_t a = digits(t, 12, 13);
    const std::int32_t m = digit(t, 11);
    if (digit(t, 2) >= 3) {
      // stays "***"
    } else if (m == 0 || m == 4 || m == 5 || m == 6 || m == 9) {
      if (a >= 2 && a <= 99) joint_output_voltage = decimal(a) + L"A";
    } else if (a == 99) {
      joint_output_voltage = L"39.5";
    } else if (a >= 6 && a <= 89) {
      joint_output_voltage = decimal(a);
    }
  }

  // Resistance, scaled by the class digit.
  {
    const std::int32_t a = digits(t, 14, 16);
    if (a != 0) {
      const std::int32_t m = digit(t, 11);
      double value = a;
      if (m == 0 || m == 3 || m == 6 || m == 8) value = a / 100.0;
      else if (m == 2 || m == 5 || m == 7 || m == 9) value = a / 10.0;
      joint_resistance = formatFixed(value, 2);
    }
  }

  // Energising seconds.
  {
    const std::int32_t a = digits(t, 18, 20);
    if (digit(t, 6) >= 4) {
      // stays "***"
    } else if (a == 0) {
      joint_output_seconds = L"無限時間";
    } else if (a >= 3 && a <= 999) {
      joint_output_seconds = energisingSeconds(a);
    }
  }

  // Cooling minutes.
  if (digit(t, 6) == 3) joint_cooling_minutes = lookup(cooling_table_24(), digit(t, 7), no_data_text);
}

Digit32::Digit32(const std::wstring& input, int variant) : DecodedBarcode(input) {
  const std::wstring& t = joint_barcode;
  if (variant != 2) {
    const bool gas = variant == 1;

    // Manufacturer: two letter codes, and the name for the four digits together.
    const std::int32_t p = digits(t, 0, 1);
    const std::int32_t q = digits(t, 2, 3);
    if (p <= 29 && q <= 29) {
      joint_manufacturer =
          lookup(manufacturer_table(), digits(t, 0, 3), std::wstring()) + L"(" + letter(p) + letter(q) + L")";
    }

    // Kind.
    std::int32_t k = digits(t, 4, 5);
    if (gas) {
      joint_kind = lookup(kind_table_32_gas(), k, no_data_text);
    } else {
      if (k >= 60) k -= 60;
      else if (k >= 30) k -= 30;
      joint_kind = lookup(kind_table_32_water(), k, no_data_text);
    }

    // Size pair.
    const std::int32_t n = digits(t, 6, 8);
    const std::int32_t d = n / 31;
    const std::int32_t r = n % 31;
    if (d < r) {
      const CodeTable& table = gas ? size_table_32_gas_alt() : size_table_32_water_alt();
      const std::wstring a = lookup(table, r - 1, no_data_text);
      const std::wstring b = lookup(table, d, no_data_text);
      joint_size = a == b ? a : a + L" * " + b;
    } else {
      const CodeTable& table = gas ? size_table_32_gas() : size_table_32_water();
      const std::wstring a = lookup(table, d, no_data_text);
      const std::wstring b = lookup(table, r, no_data_text);
      joint_size = a == b ? b : a + L" * " + b;
    }

    // Management number, as printed.
    joint_management_id = cut(t, 9, 6);
  }

  // Output voltage.
  {
    const std::int32_t v = digits(t, 19, 20);
    if (v < 75) {
      const auto it = output_voltage_table_32().find(v);
      joint_output_voltage = it != output_voltage_table_32().end() ? it->second : cut(t, 19, 2);
    }
  }

  // Resistance.
  {
    const double x = parseReal(cut(t, 21, 3));
    if (x > 0 && x <= 999) {
      double value = 0;
      if (x > 666) value = (x - 666) * 3 / 10;
      else if (x > 333) value = (x - 333) / 20;
      else value = x / 100;
      joint_resistance = formatFixed(value, 2);
    }
  }

  // Energising seconds.
  {
    const std::int32_t a = digits(t, 26, 28);
    if (a >= 1 && a <= 999) joint_output_seconds = energisingSeconds(a);
  }
}

InvalidBarcode::InvalidBarcode() : DecodedBarcode(no_data_text) {}

}  // namespace barcode

std::shared_ptr<const DecodedBarcode> make_barcode(int kind, const std::wstring& text, int variant) {
  switch (kind) {
    case 24:
      return std::make_shared<const barcode::Digit24>(text.substr(0, 24));
    case 32:
      return std::make_shared<const barcode::Digit32>(text, variant);
    case 10:
      return std::make_shared<const barcode::Digit32>(text, 2);
    default:
      return std::make_shared<const barcode::InvalidBarcode>();
  }
}

}  // namespace kj
