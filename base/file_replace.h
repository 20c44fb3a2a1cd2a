#pragma once
// Writing a whole file so that a failure never costs the file that was there.

#include <string>
#include <string_view>

namespace kj {

// Writes `bytes` as the whole content of the file at `path`: first into a new
// temporary file in the same folder, which is flushed to the disk and closed,
// then put in the place of `path` in one step (an existing file is replaced).
// False when any step fails; `path` is then as it was before the call and the
// temporary file is gone. A folder at `path` is never replaced.
bool replaceFileAtomically(const std::wstring& path, std::string_view bytes);

}  // namespace kj
