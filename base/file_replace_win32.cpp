#include "base/file_replace.h"

#include <atomic>
#include <string>
#include <string_view>
#include <utility>

#include "base/win32_include.h"

namespace kj {
namespace {

// Closes the handle and deletes the temporary file unless it was moved to its
// target.
class TemporaryFile {
 public:
  TemporaryFile(HANDLE handle, std::wstring path) : handle_(handle), path_(std::move(path)) {}
  ~TemporaryFile() {
    if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
    if (!kept_) DeleteFileW(path_.c_str());
  }
  TemporaryFile(const TemporaryFile&) = delete;
  TemporaryFile& operator=(const TemporaryFile&) = delete;

  HANDLE handle() const { return handle_; }
  const std::wstring& path() const { return path_; }
  bool close() {
    HANDLE handle = handle_;
    handle_ = INVALID_HANDLE_VALUE;
    return CloseHandle(handle) != FALSE;
  }
  void keep() { kept_ = true; }

 private:
  HANDLE handle_;
  std::wstring path_;
  bool kept_ = false;
};

bool writeAll(HANDLE handle, std::string_view bytes) {
  while (!bytes.empty()) {
    // WriteFile takes at most a DWORD of bytes at once.
    const DWORD chunk = bytes.size() > 0x40000000U ? DWORD{0x40000000U} : static_cast<DWORD>(bytes.size());
    DWORD written = 0;
    if (!WriteFile(handle, bytes.data(), chunk, &written, nullptr) || written == 0) return false;
    bytes.remove_prefix(written);
  }
  return true;
}

std::atomic<unsigned> temporary_counter{0};

}  // namespace

bool replaceFileAtomically(const std::wstring& path, std::string_view bytes) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return false;

  const std::wstring::size_type separator = path.find_last_of(L"\\/");
  const std::wstring folder = separator == std::wstring::npos ? std::wstring() : path.substr(0, separator + 1);

  // A short name of its own in the target's folder: MoveFileExW then only
  // renames within one volume, and a long target name cannot make it too long.
  HANDLE handle = INVALID_HANDLE_VALUE;
  std::wstring temporary;
  for (int attempt = 0; attempt < 100 && handle == INVALID_HANDLE_VALUE; ++attempt) {
    temporary = folder + L".kjvt58-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                std::to_wstring(temporary_counter.fetch_add(1)) + L".tmp";
    handle = CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE && GetLastError() != ERROR_FILE_EXISTS) return false;
  }
  if (handle == INVALID_HANDLE_VALUE) return false;
  TemporaryFile file(handle, temporary);

  if (!writeAll(file.handle(), bytes)) return false;
  if (!FlushFileBuffers(file.handle())) return false;
  if (!file.close()) return false;
  if (!MoveFileExW(file.path().c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    return false;
  }
  file.keep();
  return true;
}

}  // namespace kj
