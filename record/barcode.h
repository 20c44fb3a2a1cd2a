#pragma once
// Joint barcode decoding: the fitting's data read from the digits the controller
// scanned before welding.

#include <memory>
#include <string>

namespace kj {

// The joint texts of one barcode. Everything that cannot be decoded is "***".
struct DecodedBarcode {
  std::wstring joint_output_voltage;
  std::wstring joint_output_seconds;
  std::wstring joint_resistance;
  std::wstring joint_manufacturer;
  std::wstring joint_kind;
  std::wstring joint_size;
  std::wstring joint_management_id;
  std::wstring joint_cooling_minutes;
  std::wstring joint_barcode;

  // Every field "***" except joint_barcode, which takes `text`.
  explicit DecodedBarcode(std::wstring text);
};

namespace barcode {

// The decoders read digit groups as decimal numbers; a group that lies beyond the
// end of the text or holds no digit raises std::out_of_range or
// std::invalid_argument, which the record decoder counts as a bad record.

// 24-digit layout; constructed from (at most) the first 24 characters.
class Digit24 : public DecodedBarcode {
 public:
  explicit Digit24(const std::wstring& text);
};

// 32-digit layout; variant 0 general, 1 gas, 2 electrical values only.
class Digit32 : public DecodedBarcode {
 public:
  Digit32(const std::wstring& text, int variant);
};

// No usable barcode: every field "***".
class InvalidBarcode : public DecodedBarcode {
 public:
  InvalidBarcode();
};

}  // namespace barcode

// Decoder for a record's barcode kind code: 24 → Digit24 of the first 24
// characters, 32 → Digit32 with `variant`, 10 → Digit32 with variant 2, any other
// kind → InvalidBarcode.
std::shared_ptr<const DecodedBarcode> make_barcode(int kind, const std::wstring& text, int variant);

}  // namespace kj
