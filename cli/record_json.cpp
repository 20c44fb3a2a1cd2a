#include "cli/record_json.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <type_traits>

#include "base/memory_advice.h"
#include "cli/json_writer.h"
#include "record/field_catalogue.h"

namespace kj::cli {

namespace {

using catalogue::FieldKind;

// A record's object is written in two steps over the catalogue: first the
// most room it can take, then the text itself, into a buffer of that size.
// Small objects (all real records) are written on the stack and appended in
// one copy, so that the output is never filled with anything but the text.

constexpr std::string_view null_text = "null";

char* writeAscii(char* p, std::string_view text) {
  for (char c : text) *p++ = c;
  return p;
}

// `, "key": ` (without the comma for the first member).
char* writeKey(char* p, std::wstring_view key, bool& first) {
  if (!first) {
    *p++ = ',';
    *p++ = ' ';
  }
  first = false;
  *p++ = '"';
  for (wchar_t c : key) *p++ = static_cast<char>(c);  // keys are lower-case ASCII
  *p++ = '"';
  *p++ = ':';
  *p++ = ' ';
  return p;
}

constexpr std::size_t keyBound(std::wstring_view key) { return key.size() + 6; }

template <class Owner, std::size_t N>
std::size_t membersBound(const Owner& r, const std::array<catalogue::Field<Owner>, N>& fields);

std::size_t barcodeBound(const DecodedBarcode* b) {
  return b == nullptr ? null_text.size() : 2 + membersBound(*b, catalogue::joint_members);
}

template <class Owner, std::size_t N>
std::size_t membersBound(const Owner& r, const std::array<catalogue::Field<Owner>, N>& fields) {
  std::size_t bound = 0;
  for (const auto& f : fields) {
    bound += keyBound(f.key);
    switch (f.kind) {
      case FieldKind::text: bound += json::quotedBound((r.*f.text).size()); break;
      case FieldKind::flag: bound += 5; break;
      case FieldKind::integer:
      case FieldKind::real: bound += json::number_bound; break;
      case FieldKind::barcode:
        if constexpr (std::is_same_v<Owner, file::Efdx>) bound += barcodeBound((r.*f.barcode).get());
        break;
    }
  }
  return bound;
}

template <class Owner, std::size_t N>
char* writeMembers(char* p, const Owner& r, const std::array<catalogue::Field<Owner>, N>& fields, bool& first);

char* writeBarcode(char* p, const DecodedBarcode* b) {
  if (b == nullptr) return writeAscii(p, null_text);
  *p++ = '{';
  bool first = true;
  p = writeMembers(p, *b, catalogue::joint_members, first);
  *p++ = '}';
  return p;
}

template <class Owner, std::size_t N>
char* writeMembers(char* p, const Owner& r, const std::array<catalogue::Field<Owner>, N>& fields, bool& first) {
  for (const auto& f : fields) {
    p = writeKey(p, f.key, first);
    switch (f.kind) {
      case FieldKind::text: p = json::writeQuoted(p, r.*f.text); break;
      case FieldKind::flag: p = json::writeBoolean(p, r.*f.flag); break;
      case FieldKind::integer: p = json::writeNumber(p, static_cast<std::int64_t>(r.*f.integer)); break;
      case FieldKind::real: p = json::writeNumber(p, r.*f.real); break;
      case FieldKind::barcode:
        if constexpr (std::is_same_v<Owner, file::Efdx>) p = writeBarcode(p, (r.*f.barcode).get());
        break;
    }
  }
  return p;
}

std::size_t objectBound(const file::Efdx& r) { return 2 + membersBound(r, catalogue::record_members); }
std::size_t objectBound(const file::EfdxBattery& r) {
  return objectBound(static_cast<const file::Efdx&>(r)) + membersBound(r, catalogue::battery_members);
}

char* writeObject(char* p, const file::Efdx& r) {
  *p++ = '{';
  bool first = true;
  p = writeMembers(p, r, catalogue::record_members, first);
  *p++ = '}';
  return p;
}

char* writeObject(char* p, const file::EfdxBattery& r) {
  *p++ = '{';
  bool first = true;
  p = writeMembers(p, static_cast<const file::Efdx&>(r), catalogue::record_members, first);
  p = writeMembers(p, r, catalogue::battery_members, first);
  *p++ = '}';
  return p;
}

constexpr std::size_t stack_buffer = 16 * 1024;

template <class Record>
void append(std::string& out, const Record& r) {
  const std::size_t bound = objectBound(r);
  if (bound <= stack_buffer) {
    std::array<char, stack_buffer> buffer;  // written before it is read
    const char* end = writeObject(buffer.data(), r);
    out.append(buffer.data(), static_cast<std::size_t>(end - buffer.data()));
    return;
  }
  const std::size_t old = out.size();
  out.resize(old + bound);
  const char* end = writeObject(out.data() + old, r);
  out.resize(static_cast<std::size_t>(end - out.data()));
}

}  // namespace

void appendRecordJson(std::string& out, const file::Efdx& record) { append(out, record); }

void reserveRecordsJson(std::string& out, std::size_t records) {
  constexpr std::size_t room_per_record = 2048;
  out.reserve(out.size() + records * room_per_record + 64);
  preferLargePages(out.data() + out.size(), out.capacity() - out.size());
}

void appendRecordJson(std::string& out, const file::EfdxBattery& record) { append(out, record); }

}  // namespace kj::cli
