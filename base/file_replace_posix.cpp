#include "base/file_replace.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <string>
#include <string_view>
#include <utility>

#include "base/fs_path.h"

namespace kj {
namespace {

// Closes the descriptor and removes the temporary file unless it was handed
// over to its target.
class TemporaryFile {
 public:
  TemporaryFile(int fd, std::string path) : fd_(fd), path_(std::move(path)) {}
  ~TemporaryFile() {
    if (fd_ >= 0) ::close(fd_);
    if (!kept_) ::unlink(path_.c_str());
  }
  TemporaryFile(const TemporaryFile&) = delete;
  TemporaryFile& operator=(const TemporaryFile&) = delete;

  int fd() const { return fd_; }
  const std::string& path() const { return path_; }
  // Closes the descriptor; false when the close reports an error (data lost).
  bool close() {
    const int fd = fd_;
    fd_ = -1;
    return ::close(fd) == 0;
  }
  void keep() { kept_ = true; }

 private:
  int fd_;
  std::string path_;
  bool kept_ = false;
};

bool writeAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t written = ::write(fd, bytes.data(), bytes.size());
    if (written < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    bytes.remove_prefix(static_cast<std::size_t>(written));
  }
  return true;
}

std::atomic<unsigned> temporary_counter{0};

}  // namespace

bool replaceFileAtomically(const std::wstring& path, std::string_view bytes) {
  const std::string target = fsPath(path).string();
  const std::string::size_type slash = target.rfind('/');
  const std::string folder = slash == std::string::npos ? std::string() : target.substr(0, slash + 1);

  struct stat existing {};
  const bool exists = ::stat(target.c_str(), &existing) == 0;
  if (exists && S_ISDIR(existing.st_mode)) return false;

  // A short name of its own in the target's folder, so that a long target name
  // cannot make it too long, and the rename stays within one file system.
  int fd = -1;
  std::string temporary;
  for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
    temporary = folder + ".kjvt58-" + std::to_string(::getpid()) + "-" +
                std::to_string(temporary_counter.fetch_add(1)) + ".tmp";
    fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0 && errno != EEXIST) return false;
  }
  if (fd < 0) return false;
  TemporaryFile file(fd, temporary);

  // The new file keeps the permissions of the one it replaces.
  if (exists) (void)::fchmod(file.fd(), existing.st_mode & 07777);
  if (!writeAll(file.fd(), bytes)) return false;
  if (::fsync(file.fd()) != 0) return false;
  if (!file.close()) return false;
  if (::rename(file.path().c_str(), target.c_str()) != 0) return false;
  file.keep();
  return true;
}

}  // namespace kj
