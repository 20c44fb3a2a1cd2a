#include "records_io/paths.h"

namespace kj {

std::wstring extensionOf(const std::wstring& path) {
  const std::size_t dot = path.rfind(L'.');
  if (dot == std::wstring::npos) return {};
  std::wstring ext = path.substr(dot + 1);
  for (wchar_t& c : ext) {
    if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c - L'A' + L'a');
  }
  return ext;
}

bool isMergedPath(const std::wstring& path) {
  const std::wstring ext = extensionOf(path);
  return ext == L"mrg" || ext == L"mrgx";
}

std::wstring stem(const std::wstring& path) { return path.substr(0, path.rfind(L'.')); }

bool isRecordFilePath(const std::wstring& path) {
  const std::wstring ext = extensionOf(path);
  return ext == L"efd" || ext == L"efdx" || ext == L"mrg" || ext == L"mrgx";
}

}  // namespace kj
