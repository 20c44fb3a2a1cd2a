#pragma once
// Records whose every display text names its member and record, so that a
// cell shows where its text came from: member "order" of record 2 is "order#2".

#include <memory>
#include <string>
#include <type_traits>
#include <vector>

#include "record/field_catalogue.h"
#include "record/record_types.h"

namespace kj::test {

inline std::wstring labelled(std::wstring_view key, int index) {
  return std::wstring(key) + L'#' + std::to_wstring(index);
}

template <class Record>
Record labelledRecord(int index, bool with_barcode = true) {
  Record r;
  for (const auto& f : catalogue::record_members) {
    if (f.kind == catalogue::FieldKind::text) r.*f.text = labelled(f.key, index);
  }
  if constexpr (std::is_same_v<Record, file::EfdxBattery>) {
    for (const auto& f : catalogue::battery_members) {
      if (f.kind == catalogue::FieldKind::text) r.*f.text = labelled(f.key, index);
    }
  }
  if (with_barcode) {
    auto joint = std::make_shared<DecodedBarcode>(L"");
    for (const auto& f : catalogue::joint_members) (*joint).*f.text = labelled(f.key, index);
    r.decoded_barcode = std::move(joint);
  }
  return r;
}

template <class Record>
std::vector<Record> labelledRecords(int count) {
  std::vector<Record> records;
  for (int i = 1; i <= count; ++i) records.push_back(labelledRecord<Record>(i));
  return records;
}

}  // namespace kj::test
