#include "cli/dump.h"

#include "cli/json_writer.h"
#include "cli/kml.h"
#include "cli/record_json.h"
#include "cli/xls.h"
#include "record/code_tables.h"
#include "records_io/paths.h"
#include "base/text_encoding.h"
#include "kj_version.h"

namespace kj::cli {

std::optional<LoadedBlock> loadBlock(const std::wstring& path) {
  // Whatever its name: a file copied without its extension still dumps.
  return LoadedBlock::fromFile(path, PathRule::any_file);
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

const char* outcomeName(LoadOutcome outcome) {
  switch (outcome) {
    case LoadOutcome::records: return "ok";
    case LoadOutcome::invalid: return "invalid";
    case LoadOutcome::not_decoded: break;
  }
  return "not_decoded";
}

template <class Record, class Each>
void forEachRecord(const LoadedBlock& block, Each each) {
  if (const RecordVector<Record>& records = block.records<Record>()) {
    for (const Record& r : *records) each(r);
  }
}

}  // namespace

std::string unreadableJson() {
  std::string out;
  ObjectWriter top(out);
  top.raw("status", json::quote(std::string_view("unreadable")));
  top.end();
  return out;
}

std::string dumpJson(const LoadedBlock& f) {
  std::string out;
  ObjectWriter top(out);
  {
    std::string header;
    ObjectWriter h(header);
    h.integer("kind", f.header().kind);
    h.integer("revision", f.header().revision);
    h.integer("field_count", f.header().field_count);
    h.integer("record_count", f.header().record_count);
    h.integer("data_start", f.header().data_start);
    h.end();
    top.raw("header", header);
  }
  top.raw("status", json::quote(std::string_view(outcomeName(f.outcome()))));
  top.flag("any_coord", f.counts().any_coord);
  top.integer("bad_count", f.counts().bad_count);
  top.integer("abnormal_end_count", f.counts().abnormal_end_count);
  // The records go straight into the output, which has room for all of them.
  reserveRecordsJson(out, f.recordCount());
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

std::string dumpTable(const std::wstring& path, const LoadedBlock& f) {
  std::string out = toUtf8(path) + "\n";
  std::size_t count = 0;
  const auto line = [&](const file::Efdx& r) {
    out += "  " + std::to_string(count++) + "\t" + toUtf8(r.datetime) + "\t" + joint(r, true) + "\t" +
           joint(r, false) + "\t" + toUtf8(r.exit_code) + "\t" + toUtf8(r.remarks) + "\n";
  };
  forEachRecord<file::Efdx>(f, line);
  forEachRecord<file::EfdxBattery>(f, line);
  const file::Header& h = f.header();
  out += "  header: kind " + std::to_string(h.kind) + " (" + kindName(h.kind) + "), revision " +
         std::to_string(h.revision) + ", fields " + std::to_string(h.field_count) + ", records " +
         std::to_string(h.record_count) + ", data start " + std::to_string(h.data_start) + "\n";
  switch (f.outcome()) {
    case LoadOutcome::invalid: out += "  the records do not fit the header: the file is invalid\n"; break;
    case LoadOutcome::not_decoded: out += "  records of this block kind are not decoded\n"; break;
    case LoadOutcome::records: break;
  }
  out += "  records: " + std::to_string(count) + ", bad: " + std::to_string(f.counts().bad_count) +
         ", abnormal end: " + std::to_string(f.counts().abnormal_end_count) +
         ", positions: " + (f.counts().any_coord ? "yes" : "no") + "\n";
  return out;
}

namespace {
constexpr const char* usage =
    "usage: kjvt58-cli dump [--json] FILE...\n"
    "       kjvt58-cli --version\n"
    "       kjvt58-cli kml FILE [--output OUT]\n"
    "       kjvt58-cli xls FILE [--output OUT]\n"
    "       kjvt58-cli receive --port PORT [--output FILE] [--json]\n"
    "  dump         print the decoded records of each record file\n"
    "  --json       print one JSON object for a single FILE\n"
    "  kml          write the map (KML) of the positioned records of FILE, by\n"
    "               default beside it with the extension .kml\n"
    "  xls          write the workbook (.xls) of a record file with every output item,\n"
    "               by default beside it with the extension .xls\n"
    "  receive      wait for one block from the controller on PORT (COMn, or a\n"
    "               tty such as /dev/ttyUSB0), save it as FILE or under a\n"
    "               time-stamp name in the current folder (the block kind's\n"
    "               extension added to a name without one), then print it as dump\n"
    "exit status:\n"
    "  0  every file was read and its records decoded\n"
    "  1  a file could not be read (missing, a folder, unreadable header)\n"
    "  2  usage error\n"
    "  3  internal error\n"
    "  4  a file's records do not fit its header: the block is rejected\n"
    "     (receive: the block is saved all the same; xls: also a block whose\n"
    "     records are not decoded)\n"
    "  5  receive: the transfer failed; nothing was saved\n"
    "     xls: more records than one sheet holds, or the workbook cannot be written\n"
    "     kml: the map could not be written (an existing file stays as it was)\n"
    "  6  kml: no record carries a position, nothing was written\n"
    "  130  receive: interrupted with Ctrl+C; nothing was saved\n"
    "  receive also exits 1 when the port cannot be opened or the file written\n";

// The status of one file read; rejected blocks are told apart from unreadable
// files, and neither from a success.
int fileStatus(const std::optional<LoadedBlock>& block) {
  if (!block) return exit_unreadable;
  return block->outcome() == LoadOutcome::invalid ? exit_rejected : exit_ok;
}
}

int runCli(const std::vector<std::wstring>& args, std::string& out, std::string& err,
           std::vector<LoadedBlock>* keep) {
  if (args.empty()) {
    err += "kjvt58-cli: missing command (try --help)\n";
    return exit_usage;
  }
  if (args[0] == L"--help" || args[0] == L"-h") {
    out += usage;
    return 0;
  }
  if (args[0] == L"--version") {
    out += "kjvt58-cli " KJ_VERSION_TEXT "\n";
    return 0;
  }
  if (args[0] == L"kml") return runKml({args.begin() + 1, args.end()}, out, err);
  if (args[0] == L"xls") return runXls({args.begin() + 1, args.end()}, out, err);
  if (args[0] != L"dump") {
    err += "kjvt58-cli: unknown command '" + toUtf8(args[0]) + "' (try --help)\n";
    return exit_usage;
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
      return exit_usage;
    } else {
      files.push_back(a);
    }
  }
  if (files.empty()) {
    err += "kjvt58-cli: dump needs a record file\n";
    return exit_usage;
  }
  if (as_json && files.size() != 1) {
    err += "kjvt58-cli: dump --json takes exactly one record file\n";
    return exit_usage;
  }
  if (as_json) {
    const std::optional<LoadedBlock> f = loadBlock(files[0]);
    std::string json = f ? dumpJson(*f) : unreadableJson();
    if (out.empty()) {
      out = std::move(json);  // the dump is the whole output: no copy
    } else {
      out += json;
    }
    out += '\n';
    if (keep != nullptr && f) keep->push_back(*f);
    return fileStatus(f);
  }
  // Several files: an unreadable one outweighs a rejected one.
  int status = exit_ok;
  for (const std::wstring& path : files) {
    const std::optional<LoadedBlock> f = loadBlock(path);
    const int file_status = fileStatus(f);
    if (file_status == exit_unreadable) {
      err += "kjvt58-cli: cannot read '" + toUtf8(path) + "': not a readable record file\n";
      status = exit_unreadable;
      continue;
    }
    if (file_status == exit_rejected && status == exit_ok) status = exit_rejected;
    out += dumpTable(path, *f);
    if (keep != nullptr) keep->push_back(*f);
  }
  return status;
}

}  // namespace kj::cli
