#include "app/receive_flow.h"

#include <optional>
#include <stdexcept>

#include "record/record_text.h"
#include "records_io/paths.h"
#include "records_io/record_file_reader.h"
#include "records_io/save_names.h"

namespace kj::app {

SaveFileRequest receivedSaveRequest(int kind, const std::wstring& initial_name) {
  SaveFileRequest request;
  request.initial_name = initial_name;
  request.overwrite_prompt = true;
  if (kind == static_cast<int>(BlockKind::Headerless33)) {
    request.filters = {{L"融着記録 (*.efd)", L"*.efd"}};
  } else {
    request.filters = {{L"融着記録 (*.efdx)", L"*.efdx"}};
  }
  // The dialog takes the extension without its dot.
  const std::wstring extension = defaultExtensionFor(kind);
  request.default_extension = extension.empty() ? extension : extension.substr(1);
  return request;
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
