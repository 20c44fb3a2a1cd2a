#include "app/receive_flow.h"

#include <optional>
#include <stdexcept>

#include "record/record_text.h"
#include "records_io/paths.h"
#include "records_io/record_file_reader.h"

namespace kj::app {

SaveFileRequest receivedSaveRequest(int kind, const std::wstring& initial_name) {
  SaveFileRequest request;
  request.initial_name = initial_name;
  request.overwrite_prompt = true;
  switch (kind) {
    case static_cast<int>(BlockKind::Headerless33):
      request.filters = {{L"融着記録 (*.efd)", L"*.efd"}};
      request.default_extension = L"efd";
      break;
    case static_cast<int>(BlockKind::Headerless39):
    case static_cast<int>(BlockKind::TaggedBT):
    case static_cast<int>(BlockKind::TaggedPK):
      request.filters = {{L"融着記録 (*.efdx)", L"*.efdx"}};
      request.default_extension = L"efdx";
      break;
    default:
      request.filters = {{L"融着記録 (*.efdx)", L"*.efdx"}};
      break;
  }
  return request;
}

std::wstring withDefaultExtension(const std::wstring& chosen, const std::wstring& default_extension) {
  // Only the name counts: a dot in a folder's name is no extension.
  const std::size_t separator = chosen.find_last_of(L"\\/");
  const std::wstring name = separator == std::wstring::npos ? chosen : chosen.substr(separator + 1);
  if (default_extension.empty() || !extensionOf(name).empty()) return chosen;
  return chosen + L"." + default_extension;
}

bool savedFileReadsBack(const std::wstring& path) {
  const std::optional<std::wstring> text = readRecordFileText(path);
  if (!text) return false;
  try {
    (void)parseHeader(*text, extensionOf(path) == L"efd");
  } catch (const std::logic_error&) {
    return false;
  }
  return true;
}

}  // namespace kj::app
