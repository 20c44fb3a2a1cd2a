#include "cli/dump.h"

#include "cli/json_writer.h"
#include "cli/record_json.h"
#include "record/code_tables.h"
#include "records_io/paths.h"
#include "records_io/record_file_reader.h"
#include "base/text_encoding.h"

namespace kj::cli {

LoadedFile loadRecordFile(const std::wstring& path) {
  LoadedFile loaded;
  EfdxReader plain;
  if (!plain.open(path)) return loaded;
  loaded.header = plain.header();
  bool any_coord = false;
  switch (static_cast<BlockKind>(plain.header().kind)) {
    case BlockKind::Headerless33:
    case BlockKind::Headerless39:
      loaded.plain = plain.parseRecords(any_coord, loaded.counts.bad_count, loaded.counts.abnormal_end_count);
      loaded.status = loaded.plain ? LoadStatus::ok : LoadStatus::invalid;
      loaded.header = plain.header();
      break;
    case BlockKind::TaggedBT: {
      plain.close();
      EfdxBatteryReader battery;
      if (!battery.open(path)) return LoadedFile{};
      loaded.battery = battery.parseRecords(any_coord, loaded.counts.bad_count, loaded.counts.abnormal_end_count);
      loaded.status = loaded.battery ? LoadStatus::ok : LoadStatus::invalid;
      loaded.header = battery.header();
      break;
    }
    default:
      // Not decoded; a merged file still reports the number of records it holds.
      loaded.status = LoadStatus::not_decoded;
      if (isMergedPath(path)) loaded.header.record_count = static_cast<std::uint16_t>(countStx(plain.text()));
      return loaded;
  }
  loaded.counts.any_coord = any_coord;  // a rejected block reports all counts as zero already
  return loaded;
}

namespace {

class ObjectWriter {
 public:
  explicit ObjectWriter(std::string& out) : out_(out) { out_ += '{'; }
  void raw(std::string_view key, const std::string& value) {
    if (!first_) out_ += ", ";
    first_ = false;
    out_ += json::quote(key);
    out_ += ": ";
    out_ += value;
  }
  void text(std::string_view key, const std::wstring& value) { raw(key, json::quote(value)); }
  void integer(std::string_view key, std::int64_t value) { raw(key, json::number(value)); }
  void flag(std::string_view key, bool value) { raw(key, json::boolean(value)); }
  void real(std::string_view key, double value) { raw(key, json::number(value)); }
  void end() { out_ += '}'; }

 private:
  std::string& out_;
  bool first_ = true;
};

const char* statusName(LoadStatus s) {
  switch (s) {
    case LoadStatus::ok: return "ok";
    case LoadStatus::invalid: return "invalid";
    case LoadStatus::not_decoded: return "not_decoded";
    case LoadStatus::unreadable: break;
  }
  return "unreadable";
}

template <class Record, class Each>
void forEachRecord(const LoadedFile& f, Each each) {
  if constexpr (std::is_same_v<Record, file::EfdxBattery>) {
    if (f.battery) for (const auto& r : *f.battery) each(r);
  } else {
    if (f.plain) for (const auto& r : *f.plain) each(r);
  }
}

}  // namespace

std::string dumpJson(const LoadedFile& f) {
  std::string out;
  ObjectWriter top(out);
  if (f.status == LoadStatus::unreadable) {
    top.raw("status", json::quote(std::string_view("unreadable")));
    top.end();
    return out;
  }
  {
    std::string header;
    ObjectWriter h(header);
    h.integer("kind", f.header.kind);
    h.integer("revision", f.header.revision);
    h.integer("field_count", f.header.field_count);
    h.integer("record_count", f.header.record_count);
    h.integer("data_start", f.header.data_start);
    h.end();
    top.raw("header", header);
  }
  top.raw("status", json::quote(std::string_view(statusName(f.status))));
  top.flag("any_coord", f.counts.any_coord);
  top.integer("bad_count", f.counts.bad_count);
  top.integer("abnormal_end_count", f.counts.abnormal_end_count);
  // The records go straight into the output, which has room for all of them.
  const std::size_t count = (f.plain ? f.plain->size() : 0) + (f.battery ? f.battery->size() : 0);
  reserveRecordsJson(out, count);
  top.raw("records", "[");
  bool first = true;
  const auto separator = [&] {
    if (!first) out += ", ";
    first = false;
  };
  forEachRecord<file::Efdx>(f, [&](const file::Efdx& r) {
    separator();
    appendRecordJson(out, r);
  });
  forEachRecord<file::EfdxBattery>(f, [&](const file::EfdxBattery& r) {
    separator();
    appendRecordJson(out, r);
  });
  out += ']';
  top.end();
  return out;
}

namespace {
std::string joint(const file::Efdx& r, bool kind) {
  if (!r.decoded_barcode) return toUtf8(no_data_text);
  return toUtf8(kind ? r.decoded_barcode->joint_kind : r.decoded_barcode->joint_size);
}

const char* kindName(std::int32_t kind) {
  switch (kind) {
    case 0: return "Headerless33";
    case 1: return "Headerless39";
    case 2: return "TaggedBT";
    case 3: return "TaggedPK";
    case 4: return "TaggedOther";
    default: return "?";
  }
}
}  // namespace

std::string dumpTable(const std::wstring& path, const LoadedFile& f) {
  std::string out = toUtf8(path) + "\n";
  std::size_t count = 0;
  const auto line = [&](const file::Efdx& r) {
    out += "  " + std::to_string(count++) + "\t" + toUtf8(r.datetime) + "\t" + joint(r, true) + "\t" +
           joint(r, false) + "\t" + toUtf8(r.exit_code) + "\t" + toUtf8(r.remarks) + "\n";
  };
  forEachRecord<file::Efdx>(f, line);
  forEachRecord<file::EfdxBattery>(f, line);
  out += "  header: kind " + std::to_string(f.header.kind) + " (" + kindName(f.header.kind) + "), revision " +
         std::to_string(f.header.revision) + ", fields " + std::to_string(f.header.field_count) + ", records " +
         std::to_string(f.header.record_count) + ", data start " + std::to_string(f.header.data_start) + "\n";
  switch (f.status) {
    case LoadStatus::invalid: out += "  the records do not fit the header: the file is invalid\n"; break;
    case LoadStatus::not_decoded: out += "  records of this block kind are not decoded\n"; break;
    default: break;
  }
  out += "  records: " + std::to_string(count) + ", bad: " + std::to_string(f.counts.bad_count) +
         ", abnormal end: " + std::to_string(f.counts.abnormal_end_count) +
         ", positions: " + (f.counts.any_coord ? "yes" : "no") + "\n";
  return out;
}

namespace {
constexpr const char* usage =
    "usage: kjvt58-cli dump [--json] FILE...\n"
    "  dump         print the decoded records of each record file\n"
    "  --json       print one JSON object for a single FILE\n";
}

int runCli(const std::vector<std::wstring>& args, std::string& out, std::string& err) {
  if (args.empty()) {
    err += "kjvt58-cli: missing command (try --help)\n";
    return 2;
  }
  if (args[0] == L"--help" || args[0] == L"-h") {
    out += usage;
    return 0;
  }
  if (args[0] != L"dump") {
    err += "kjvt58-cli: unknown command '" + toUtf8(args[0]) + "' (try --help)\n";
    return 2;
  }
  bool as_json = false;
  std::vector<std::wstring> files;
  bool options_done = false;
  for (std::size_t i = 1; i < args.size(); ++i) {
    const std::wstring& a = args[i];
    if (!options_done && a == L"--") {
      options_done = true;
    } else if (!options_done && a == L"--json") {
      as_json = true;
    } else if (!options_done && a.size() > 1 && a[0] == L'-') {
      err += "kjvt58-cli: unknown option '" + toUtf8(a) + "'\n";
      return 2;
    } else {
      files.push_back(a);
    }
  }
  if (files.empty()) {
    err += "kjvt58-cli: dump needs a record file\n";
    return 2;
  }
  if (as_json && files.size() != 1) {
    err += "kjvt58-cli: dump --json takes exactly one record file\n";
    return 2;
  }
  if (as_json) {
    const LoadedFile f = loadRecordFile(files[0]);
    std::string json = dumpJson(f);
    if (out.empty()) {
      out = std::move(json);  // the dump is the whole output: no copy
    } else {
      out += json;
    }
    out += '\n';
    return f.status == LoadStatus::unreadable ? 1 : 0;
  }
  int status = 0;
  for (const std::wstring& path : files) {
    const LoadedFile f = loadRecordFile(path);
    if (f.status == LoadStatus::unreadable) {
      err += "kjvt58-cli: cannot read '" + toUtf8(path) + "': not a readable record file\n";
      status = 1;
      continue;
    }
    out += dumpTable(path, f);
  }
  return status;
}

}  // namespace kj::cli
