#include "record/field_catalogue.h"

#include "record/code_tables.h"

namespace kj::catalogue {

namespace {
const std::wstring& jointText(const file::Efdx& r, std::wstring DecodedBarcode::*member) {
  // The decoder leaves the barcode out when it gave up before reaching it.
  return r.decoded_barcode ? (*r.decoded_barcode).*member : no_data_text;
}

const std::wstring& noText() {
  static const std::wstring empty;
  return empty;
}
}  // namespace

const std::wstring& TextField::of(const file::Efdx& r) const {
  switch (owner) {
    case Owner::record: return r.*record;
    case Owner::joint: return jointText(r, joint);
    case Owner::battery: break;
  }
  return noText();
}

const std::wstring& TextField::of(const file::EfdxBattery& r) const {
  if (owner == Owner::battery) return r.*battery;
  return of(static_cast<const file::Efdx&>(r));
}

}  // namespace kj::catalogue
