#include "app/kml_export.h"

#include <optional>
#include <string>

#include "export/kml.h"
#include "records_io/record_file_writer.h"

namespace kj::app {

namespace {
constexpr unsigned utf8_code_page = 65001;

template <class Record>
bool composeOf(const RecordVector<Record>& records, std::wstring& out) {
  if (!records) return false;
  return kml::composeKml(std::span<const Record>(*records), out);
}
}  // namespace

KmlOutcome exportToKml(ShellUi& shell, const RecordSet& records) {
  SaveFileRequest request;
  request.filters = {{std::wstring(kml_filter_label), std::wstring(kml_filter_pattern)}};
  request.default_extension = kml_default_extension;
  request.overwrite_prompt = true;
  const std::optional<std::wstring> path = shell.saveFileDialog(request);
  if (!path) return KmlOutcome::cancelled;

  std::wstring document;
  bool composed = false;
  switch (records.block_kind) {
    case BlockKind::Headerless33:
    case BlockKind::Headerless39: composed = composeOf(records.plainRecords(), document); break;
    case BlockKind::TaggedBT: composed = composeOf(records.batteryRecords(), document); break;
    default: break;
  }
  if (!composed) return KmlOutcome::nothing_to_write;
  if (!writeRecordFile(*path, document, false, utf8_code_page)) {
    shell.messageBox(std::wstring(file_save_failed_text), std::wstring(kml_caption), MessageIcon::error,
                     MessageButtons::ok);
    return KmlOutcome::write_failed;
  }
  return KmlOutcome::written;
}

}  // namespace kj::app
