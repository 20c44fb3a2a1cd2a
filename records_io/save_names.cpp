#include "records_io/save_names.h"

#include "records_io/paths.h"

namespace kj {

std::wstring defaultExtensionFor(std::int32_t block_kind) {
  switch (block_kind) {
    case 0: return L".efd";
    case 1:
    case 2:
    case 3: return L".efdx";
    default: return {};
  }
}

std::wstring withDefaultExtension(const std::wstring& path, const std::wstring& default_extension) {
  const std::size_t slash = path.find_last_of(L"/\\");
  const std::wstring name = slash == std::wstring::npos ? path : path.substr(slash + 1);
  return extensionOf(name).empty() ? path + default_extension : path;
}

std::wstring receivedFileName(std::int32_t block_kind, const Clock& clock) {
  return makeTimestampName(clock) + defaultExtensionFor(block_kind);
}

}  // namespace kj
