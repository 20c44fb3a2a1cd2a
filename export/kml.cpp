#include "export/kml.h"

#include "record/code_tables.h"
#include "record/conversions.h"

namespace kj::kml {

namespace {

constexpr wchar_t replacement_character = L'\uFFFD';

bool xmlCanCarry(wchar_t c) {
  const auto u = static_cast<std::uint32_t>(c);
  if (u < 0x20) return u == 0x09 || u == 0x0A || u == 0x0D;
  if (u >= 0xD800 && u <= 0xDFFF) return false;  // record texts hold no surrogate pairs
  if (u == 0xFFFE || u == 0xFFFF) return false;
  return u <= 0x10FFFF;
}

template <class Record>
bool compose(std::span<const Record> records, std::wstring& out) {
  out.clear();
  out += L"<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
  out += L"<kml xmlns=\"";
  out += namespace_name;
  out += L"\">\n<Document>\n";
  bool any = false;
  for (const file::Efdx& record : records) {
    if (!record.has_coord) continue;
    out += L"<Placemark>\n  <name>";
    appendXmlText(out, record.datetime);
    out += L"</name>\n  <description>";
    if (record.decoded_barcode) {
      appendXmlText(out, record.decoded_barcode->joint_kind);
      out += L' ';
      appendXmlText(out, record.decoded_barcode->joint_size);
    } else {
      // A record whose decoding stopped before the joint barcode: the same
      // mark the record list shows for its joint.
      out += no_data_text;
      out += L' ';
      out += no_data_text;
    }
    out += L'\n';
    appendXmlText(out, record.exit_code);
    out += L"</description>\n  <Point>\n    <coordinates>";
    out += formatFixed(record.longitude, 6);
    out += L',';
    out += formatFixed(record.latitude, 6);
    out += L",0</coordinates>\n  </Point>\n</Placemark>\n";
    any = true;
  }
  out += L"</Document>\n</kml>";
  return any;
}

}  // namespace

void appendXmlText(std::wstring& out, std::wstring_view text) {
  for (const wchar_t c : text) {
    switch (c) {
      case L'&': out += L"&amp;"; break;
      case L'<': out += L"&lt;"; break;
      case L'>': out += L"&gt;"; break;
      default: out.push_back(xmlCanCarry(c) ? c : replacement_character);
    }
  }
}

bool composeKml(std::span<const file::Efdx> records, std::wstring& out) { return compose(records, out); }
bool composeKml(std::span<const file::EfdxBattery> records, std::wstring& out) { return compose(records, out); }

}  // namespace kj::kml
