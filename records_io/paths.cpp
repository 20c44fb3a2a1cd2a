#include "records_io/paths.h"

#include "records_io/text_encoding.h"

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

std::filesystem::path fsPath(const std::wstring& path) {
#ifdef _WIN32
  return std::filesystem::path(path);
#else
  return std::filesystem::path(toUtf8(path));
#endif
}

std::wstring widePath(const std::filesystem::path& path) {
#ifdef _WIN32
  return path.wstring();
#else
  return fromUtf8(path.string());
#endif
}

}  // namespace kj
