#include "tests/fuzz/fuzz_checks.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <random>
#include <stdexcept>
#include <system_error>

#include "base/fs_path.h"
#include "base/text_encoding.h"
#include "cli/dump.h"
#include "record/barcode.h"
#include "record/code_tables.h"
#include "record/control_chars.h"
#include "record/record_text.h"
#include "records_io/loaded_block.h"
#include "records_io/paths.h"
#include "records_io/record_file_reader.h"
#include "records_io/record_file_writer.h"
#include "tests/support/json_reader.h"

namespace kj::fuzz {
namespace {

// One character per input byte, widened as block bytes are.
std::wstring widened(const std::uint8_t* data, std::size_t size) {
  std::wstring text;
  text.reserve(size);
  for (std::size_t i = 0; i < size; ++i) text.push_back(widenByte(data[i]));
  return text;
}

// A folder of this process for the files the record file check writes; removed
// at exit.
class ScratchDir {
 public:
  ScratchDir() {
    std::random_device seed;
    const auto now = static_cast<unsigned long long>(std::chrono::steady_clock::now().time_since_epoch().count());
    path_ = std::filesystem::temp_directory_path() /
            ("kj_fuzz_" + std::to_string(seed()) + "_" + std::to_string(now % 1000000007ULL));
    std::filesystem::create_directories(path_);
  }
  ~ScratchDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;
  std::wstring file(const std::wstring& name) const { return (path_ / name).wstring(); }

 private:
  std::filesystem::path path_;
};

const ScratchDir& scratch() {
  static const ScratchDir dir;
  return dir;
}

bool writeBytes(const std::wstring& path, const std::string& bytes) {
  std::ofstream out(fsPath(path), std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  out.close();
  return !out.fail();
}

std::string readBytes(const std::wstring& path) {
  std::ifstream in(fsPath(path), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The load of a record file from its decoded text, in memory, made the long
// way: the header, the count rule of merged files, the rows cut by
// splitRecords and decoded by decodeRecordSet, plain or battery records by
// block kind. The block loaded from a file must agree with it.
struct TextLoad {
  bool readable = false;  // the header could be parsed
  file::Header header;
  LoadOutcome outcome = LoadOutcome::not_decoded;
  DecodeCounts counts;
  RecordVector<file::Efdx> plain;
  RecordVector<file::EfdxBattery> battery;
};

TextLoad loadText(const std::wstring& text, const std::wstring& extension, Rows& rows) {
  TextLoad loaded;
  try {
    loaded.header = parseHeader(text, extension == L"efd");
  } catch (const std::logic_error&) {
    return TextLoad{};
  }
  loaded.readable = true;
  const std::uint32_t count = recordRowCount(text, L"input." + extension, loaded.header);
  switch (static_cast<BlockKind>(loaded.header.kind)) {
    case BlockKind::Headerless33:
    case BlockKind::Headerless39:
      rows = splitRecords(text, count);
      loaded.plain = decodeRecordSet<file::Efdx>(rows, loaded.header, &decodeEfdx, loaded.counts);
      loaded.outcome = loaded.plain ? LoadOutcome::records : LoadOutcome::invalid;
      break;
    case BlockKind::TaggedBT:
      rows = splitRecords(text, count);
      loaded.battery = decodeRecordSet<file::EfdxBattery>(rows, loaded.header, &decodeEfdxBattery, loaded.counts);
      loaded.outcome = loaded.battery ? LoadOutcome::records : LoadOutcome::invalid;
      break;
    default:
      loaded.outcome = LoadOutcome::not_decoded;
      break;
  }
  return loaded;
}

const char* statusName(const TextLoad& loaded) {
  if (!loaded.readable) return "unreadable";
  switch (loaded.outcome) {
    case LoadOutcome::records: return "ok";
    case LoadOutcome::invalid: return "invalid";
    case LoadOutcome::not_decoded: break;
  }
  return "not_decoded";
}

}  // namespace

std::string checkRowsInText(const std::wstring& text, const Rows& rows) {
  const wchar_t* begin = text.data();
  const wchar_t* end = text.data() + text.size();
  for (std::size_t i = 0; i < rows.size(); ++i) {
    for (const std::wstring_view field : rows[i]) {
      if (field.empty()) continue;  // an empty view points nowhere in particular
      if (field.data() < begin || field.data() + field.size() > end) {
        return "a field of row " + std::to_string(i) + " lies outside the text";
      }
    }
  }
  return {};
}

namespace {

template <class Record>
std::string checkRecordsJson(const test::JsonArray& records, const RecordVector<Record>& decoded,
                             std::size_t member_count) {
  const std::size_t expected = decoded ? decoded->size() : 0;
  if (records.size() != expected) return "the JSON lists another number of records than were decoded";
  for (std::size_t i = 0; i < expected; ++i) {
    const Record& r = (*decoded)[i];
    const test::JsonValue& j = records[i];
    if (!j.isObject() || j.object().size() != member_count) return "record " + std::to_string(i) + " has other members";
    if (j["number"].string() != toUtf8(r.number) || j["remarks"].string() != toUtf8(r.remarks) ||
        j["joint_barcode"].string() != toUtf8(r.joint_barcode)) {
      return "record " + std::to_string(i) + " reads back to other texts";
    }
    if (j["end_code"].number() != r.end_code || j["has_coord"].boolean() != r.has_coord) {
      return "record " + std::to_string(i) + " reads back to other values";
    }
    if (j["decoded_barcode"].isNull() != !r.decoded_barcode) {
      return "record " + std::to_string(i) + " has its decoded barcode wrongly null or set";
    }
    if (r.decoded_barcode && j["decoded_barcode"]["joint_size"].string() != toUtf8(r.decoded_barcode->joint_size)) {
      return "record " + std::to_string(i) + " has another joint size in the JSON";
    }
  }
  return {};
}

std::string checkJson(const std::string& json, const TextLoad& loaded) {
  test::JsonValue v;
  try {
    v = test::parseJson(json);
  } catch (const std::exception& e) {
    return std::string("the dump is not JSON: ") + e.what();
  }
  try {
    if (v["status"].string() != statusName(loaded)) return "the dump has another status";
    if (!loaded.readable) {
      return v.object().size() == 1 ? std::string() : "an unreadable dump has more than its status";
    }
    const test::JsonValue& h = v["header"];
    if (h["kind"].number() != loaded.header.kind || h["revision"].number() != loaded.header.revision ||
        h["field_count"].number() != loaded.header.field_count ||
        h["record_count"].number() != loaded.header.record_count ||
        h["data_start"].number() != loaded.header.data_start) {
      return "the dump has another header";
    }
    if (v["bad_count"].number() != loaded.counts.bad_count ||
        v["abnormal_end_count"].number() != loaded.counts.abnormal_end_count ||
        v["any_coord"].boolean() != loaded.counts.any_coord) {
      return "the dump has other counts";
    }
    const std::size_t plain_members = 42;
    if (loaded.battery) return checkRecordsJson(v["records"].array(), loaded.battery, plain_members + 12);
    return checkRecordsJson(v["records"].array(), loaded.plain, plain_members);
  } catch (const std::exception& e) {
    return std::string("the dump lacks a member or has one of another type: ") + e.what();
  }
}

// Whether the ANSI code page of this platform gives back the byte of every
// block character; where it does not (a Windows code page), only texts of
// ASCII characters are written back.
bool ansiKeepsBlockBytes() {
  static const bool keeps = [] {
    std::wstring all;
    std::string bytes;
    for (int b = 0x20; b < 0x100; ++b) {
      all.push_back(widenByte(static_cast<unsigned char>(b)));
      bytes.push_back(static_cast<char>(b));
    }
    return encodeText(all, code_page_ansi) == bytes;
  }();
  return keeps;
}

bool ascii(const std::wstring& text) {
  for (const wchar_t c : text) {
    if (static_cast<unsigned long>(c) >= 0x80) return false;
  }
  return true;
}

}  // namespace

std::string checkRecordFile(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return {};
  static const wchar_t* const extensions[] = {L"efd", L"efdx", L"mrg", L"mrgx"};
  const std::wstring extension = extensions[data[0] & 3U];
  const std::string stored(reinterpret_cast<const char*>(data + 1), size - 1);

  const std::wstring text = decodeRecordFileBytes(stored);
  for (const wchar_t c : text) {
    if (c != ctl::SOH && c != ctl::STX && c != ctl::ETX && (c < 0x20 || c == 0x7F)) {
      return "the decoded text keeps a control character";
    }
  }

  Rows rows;
  const TextLoad loaded = loadText(text, extension, rows);
  if (loaded.readable && loaded.outcome != LoadOutcome::not_decoded && rows.size() != loaded.header.record_count) {
    return "splitRecords gave another number of rows than asked for";
  }
  if (std::string error = checkRowsInText(text, rows); !error.empty()) return error;

  // The block made from the text (as a received block is) dumps what the
  // rows decoded the long way hold.
  const std::string json =
      loaded.readable ? cli::dumpJson(LoadedBlock::fromReceived(loaded.header, text)) : cli::unreadableJson();
  if (std::string error = checkJson(json, loaded); !error.empty()) return error;

  // The same bytes in a file read the way the command-line tool reads it.
  const std::wstring path = scratch().file(L"input." + extension);
  if (!writeBytes(path, stored)) return "cannot write the scratch file";
  const std::optional<LoadedBlock> from_file = cli::loadBlock(path);
  if ((from_file ? cli::dumpJson(*from_file) : cli::unreadableJson()) != json) {
    return "the file dump differs from the dump of the text";
  }

  // The decoded text written as a record file reads back to the same text.
  if (ansiKeepsBlockBytes() || ascii(text)) {
    const std::wstring back = scratch().file(L"back.efdx");
    if (!writeRecordFile(back, text, true, code_page_ansi)) return "writeRecordFile failed on a decoded text";
    const std::string written = readBytes(back);
    if (written.size() != text.size()) return "the written file has another length than the text";
    if (decodeRecordFileBytes(written) != text) return "the written file reads back to another text";
  }
  return {};
}

std::string checkHeader(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return {};
  const bool short_block = (data[0] & 1U) != 0;
  const std::wstring text = widened(data + 1, size - 1);
  file::Header h;
  try {
    h = parseHeader(text, short_block);
  } catch (const std::logic_error&) {
    return {};  // an unreadable header; the caller rejects the block
  }
  if (h.kind < 0 || h.kind > 4) return "kind outside 0-4";
  if (h.data_start != 0 && h.data_start != 11) return "data_start is neither 0 nor 11";
  if (static_cast<std::size_t>(h.data_start) > text.size()) return "data_start lies beyond the text";

  // A number that stands as plain digits must be read as its value.
  const auto plainDigits = [&](std::size_t from, std::size_t length, std::uint32_t& value) {
    if (from + length > text.size() || length == 0 || length > 9) return false;
    value = 0;
    for (std::size_t i = from; i < from + length; ++i) {
      if (text[i] < L'0' || text[i] > L'9') return false;
      value = value * 10 + static_cast<std::uint32_t>(text[i] - L'0');
    }
    return true;
  };
  std::uint32_t value = 0;
  if (!text.empty() && text[0] == ctl::SOH) {
    if (h.data_start != 11) return "a tagged header whose data_start is not 11";
    const std::wstring letters = text.substr(1, 2);
    const std::int32_t kind = letters == L"BT" ? 2 : letters == L"PK" ? 3 : 4;
    if (h.kind != kind) return "a tagged header of another kind than its letters say";
    if (plainDigits(4, 2, value) && h.revision != value) return "the revision is not its two digits";
    if (plainDigits(7, 3, value) && h.field_count != value) return "the field count is not its three digits";
  } else {
    if (h.data_start != 0 || h.revision != 0) return "a headerless block with data_start or revision set";
    if (h.kind != (short_block ? 0 : 1) || h.field_count != (short_block ? 33 : 39)) {
      return "a headerless block of the wrong kind or field count";
    }
  }
  const auto start = static_cast<std::size_t>(h.data_start);
  const std::size_t comma = text.find(L',', start);
  const std::size_t length = (comma == std::wstring::npos ? text.size() : comma) - start;
  if (plainDigits(start, length, value) && h.record_count != static_cast<std::uint16_t>(value)) {
    return "the record count is not its digits";
  }
  return {};
}

namespace {

std::wstring describe(const DecodedBarcode& b) {
  return b.joint_output_voltage + L"|" + b.joint_output_seconds + L"|" + b.joint_resistance + L"|" +
         b.joint_manufacturer + L"|" + b.joint_kind + L"|" + b.joint_size + L"|" + b.joint_management_id + L"|" +
         b.joint_cooling_minutes + L"|" + b.joint_barcode;
}

// The decoded barcode, or the error text it raised.
std::wstring decodeOnce(int kind, const std::wstring& text, int variant, std::shared_ptr<const DecodedBarcode>& out) {
  try {
    out = make_barcode(kind, text, variant);
  } catch (const std::logic_error& e) {
    out.reset();
    return L"error: " + fromUtf8(e.what());
  }
  if (!out) return L"null";
  return describe(*out);
}

}  // namespace

std::string checkBarcode(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return {};
  static const int kinds[] = {24, 32, 10, 0};
  int kind = kinds[data[0] & 3U];
  if (kind == 0) kind = static_cast<int>(data[0] >> 4);  // some code that is none of the three
  const int variant = static_cast<int>((data[0] >> 2) & 3U);
  const std::wstring text = widened(data + 1, size - 1);

  std::shared_ptr<const DecodedBarcode> first;
  std::shared_ptr<const DecodedBarcode> second;
  const std::wstring once = decodeOnce(kind, text, variant, first);
  if (decodeOnce(kind, text, variant, second) != once) return "two decodes of the same barcode differ";
  if (once == L"null") return "make_barcode returned null";
  if (!first) return {};  // the text has no digits where the layout needs them

  const DecodedBarcode& b = *first;
  const std::wstring none = no_data_text;
  const bool digit24 = kind == 24;
  const bool digit32 = kind == 32 || kind == 10;
  const bool electrical_only = kind == 10 || (kind == 32 && variant == 2);
  const std::wstring expected_text = digit24 ? text.substr(0, 24) : digit32 ? text : none;
  if (b.joint_barcode != expected_text) return "joint_barcode is not the text that was decoded";

  struct Member {
    const char* name;
    const std::wstring& value;
    bool decoded;  // this layout fills it; otherwise it stays "***"
  };
  const Member members[] = {
      {"joint_output_voltage", b.joint_output_voltage, digit24 || digit32},
      {"joint_output_seconds", b.joint_output_seconds, digit24 || digit32},
      {"joint_resistance", b.joint_resistance, digit24 || digit32},
      {"joint_manufacturer", b.joint_manufacturer, digit24 || (digit32 && !electrical_only)},
      {"joint_kind", b.joint_kind, digit24 || (digit32 && !electrical_only)},
      {"joint_size", b.joint_size, digit24 || (digit32 && !electrical_only)},
      {"joint_management_id", b.joint_management_id, digit32 && !electrical_only},
      {"joint_cooling_minutes", b.joint_cooling_minutes, digit24},
  };
  for (const Member& m : members) {
    if (!m.decoded && m.value != none) return std::string(m.name) + " is set by a layout that does not decode it";
    // Only the letters of a 24-digit manufacturer may come out empty.
    const bool may_be_empty = digit24 && std::string_view(m.name) == "joint_manufacturer";
    if (m.value.empty() && !may_be_empty) return std::string(m.name) + " is empty";
  }
  return {};
}

Check checkByName(std::string_view name) {
  if (name == "record_file") return &checkRecordFile;
  if (name == "header") return &checkHeader;
  if (name == "barcode") return &checkBarcode;
  if (name == "receive") return &checkReceive;
  return nullptr;
}

int runOrAbort(Check check, const std::uint8_t* data, std::size_t size) {
  const std::string error = check(data, size);
  if (!error.empty()) {
    std::fprintf(stderr, "fuzz check failed: %s\n", error.c_str());
    std::abort();
  }
  return 0;
}

}  // namespace kj::fuzz
